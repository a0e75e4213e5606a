#pragma once
// The configuration dialog without its widgets: which control shows which option on which tab,
// the controls' texts filled from the options, and OK. OK converts every field into a copy of the
// options and checks the copy against the ranges the configuration load enforces; only when every
// field is sound are the options and the rights list replaced and config.xml saved, so a field
// that does not convert, or a value out of range, changes nothing. Also the log-file settings of
// the main window and the relative path the language-file chooser stores.

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class Bot;

enum class ConfigFieldKind {
    Text,     // an edit whose text is the option
    Number,   // an edit converted to the option's kind (integer or float)
    Flag,     // a check box
    Chooser,  // a read-only edit set by a button (language file, rights text)
};

struct ConfigField {
    const char* Control;    // "txtUniPort"
    const char* Label;      // "Universe Port:"
    const char* OptionKey;  // "UniPort"; nullptr for the rights text
    int Tab;                // 0 "Login / Language", 1 "Restrictions", 2 "Performance"
    ConfigFieldKind Kind;
    bool LockedOnline;  // disabled while the bot is connected
};

inline constexpr const char* kConfigTabs[] = {"Login / Language", "Restrictions", "Performance"};
inline constexpr const char* kOnlineNotice =
    "Some settings cannot be changed while Terravane is online.";
inline constexpr const char* kRightsNotice =
    "Changing terrain rights will not affect terrain sessions that are already active.";

// Every field, tab by tab in the order shown, which is also the order OK reads them back.
std::span<const ConfigField> ConfigFields();
// The index of a control's field; throws std::out_of_range for an unknown name.
std::size_t ConfigFieldIndex(std::string_view control);

// The texts of the controls, one per field of ConfigFields(); a check box holds "True"/"False".
struct ConfigForm {
    std::vector<std::string> Values;

    std::string& Value(std::string_view control) { return Values[ConfigFieldIndex(control)]; }
    bool Checked(std::string_view control) const;
};

// Integers in decimal, FloodCommands with two decimals, texts as they are, the rights list in its
// text form.
ConfigForm FillConfigForm(const Bot& bot);
// OK. Returns the problems, each naming its field, and changes nothing when there are any;
// otherwise assigns every option and the rights list, puts the rights' normalised text back into
// the form and saves config.xml (a file that cannot be written throws; the options are then set).
std::vector<std::string> ApplyConfigForm(Bot& bot, ConfigForm& form);

// The main window's log controls: LogFileName and EnableLog, then config.xml saved.
void StoreLogOptions(Bot& bot, const std::string& fileName, bool enable);

// The path of `file` relative to `folder`: a bare name for a file in it, "sub/name" below it,
// ".." steps elsewhere; the full path when no relative path leads there.
std::string RelativeFileName(const std::filesystem::path& folder,
                             const std::filesystem::path& file);

}  // namespace tv
