#pragma once
// The options of the bot (23, and the journal's), their table (key, kind, default), and config.xml,
// which holds them together with the terrain rights list. Options are read live by every unit.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace tv {

class Bot;
class TMicroXmlElement;

enum class OptionFlag : uint8_t {
    AllowBots = 0,
    AllowTourists = 1,
    AlwaysEnabled = 2,
    EnableLog = 3,
    RightsNotify = 4,
    UseSectorBox = 5,
};

struct TTerrainLoginInfo {
    std::string World;
    int32_t CitizenNumber = 0;
    std::string UniHost;
    int32_t UniPort = 0;
    std::string PrivilegePassword;
};

struct Options {
    TTerrainLoginInfo Login;
    int32_t WarnTime = 0;
    int32_t DisableTime = 0;
    int32_t DefaultHeight = 0;
    int32_t TextureMin = 0;
    int32_t TextureMax = 0;
    int32_t MaxQueries = 0;
    int32_t MaxCommands = 0;
    int32_t DefaultTexture = 0;
    double FloodCommands = 0;
    int32_t FloodEjectDuration = 0;
    std::string LanguageFilename;
    std::string LogFileName;
    uint8_t OptionFlags = 0;
    int32_t JournalKeepDays = 0;  // 0: no terrain journal
    bool Loaded = false;          // a configuration load has run at least once

    bool Flag(OptionFlag flag) const { return (OptionFlags >> static_cast<int>(flag)) & 1; }
    void SetFlag(OptionFlag flag, bool on);
};

// The host name of the embedded universe: the default UniHost.
inline constexpr const char* kDefaultUniverseHost = "universe.terravane.local";
inline constexpr const char* kConfigFileName = "config.xml";

enum class OptionKind { Integer, Flag, String, Float };

// Where a row's value lives: an integer, a string, the float, or a bit of OptionFlags.
using OptionStorage = std::variant<int32_t*, std::string*, double*, OptionFlag>;

// The values a numeric option may take, both bounds included. Strings and flags have none.
struct OptionRange {
    double Min = 0;
    double Max = 0;
    bool Bounded = false;
};

// One row of the option table. Row order is the order of the elements in config.xml.
struct OptionDescriptor {
    const char* Key;
    OptionKind Kind;
    const char* DefaultText;
    bool LockedOnline;  // the configuration dialog refuses changes while connected
    OptionStorage (*Storage)(Options&);
    OptionRange Range;
};

// The highest texture number the packed terrain value can carry (bits 0-13; 14 and 15 rotate).
inline constexpr int32_t kTextureLimit = 16383;

// Rows 1-5, the `Login` section, and rows 6-24, the `Options` section.
std::span<const OptionDescriptor> LoginOptions();
std::span<const OptionDescriptor> GeneralOptions();
// The row of a key (case-insensitive), or nullptr.
const OptionDescriptor* FindOption(const std::string& key);

// For each row: the text of the element's child named by the key (the default text when the
// child is missing, or when no element is given), converted and stored. Flags are only ever
// set here, never cleared. A text that does not convert raises EConvertError at its row.
void LoadOptionGroup(Options& options, std::span<const OptionDescriptor> rows,
                     const TMicroXmlElement* element);
// Adds one child per row, named by the key, holding the value in its written form.
void SaveOptionGroup(const Options& options, std::span<const OptionDescriptor> rows,
                     TMicroXmlElement& element);

// Bit of a flag by its key, case-insensitive; throws EConvertError
// "'%s' is not a valid Terravane option" for any other key.
int OptionFlagIndex(const std::string& key);

// An option's value in the file's text form ("True", "10.05", ...); nullopt for an unknown key.
std::optional<std::string> OptionText(const Options& options, const std::string& key);
// Sets an option from its file text form; throws EConvertError when the text does not convert;
// returns false for an unknown key.
bool SetOptionText(Options& options, const std::string& key, const std::string& text);
// Every option key in table order (Login group first).
std::vector<std::string> OptionKeys();

// A numeric option's value outside its range: "MaxQueries: 0 is outside the range 1 to 10000".
// Empty when the value is inside it, or the option has no range.
std::string OptionRangeProblem(const Options& options, const OptionDescriptor& row);
// The rule between options: TextureMin <= DefaultTexture <= TextureMax. Empty when it holds,
// else "TextureMin 10, DefaultTexture 0 and TextureMax 500 must rise in that order".
std::string TextureOrderProblem(const Options& options);
// Every problem of the two kinds above, in table order, the texture rule last.
std::vector<std::string> OptionProblems(const Options& options);

// Reads config.xml from the bot's working folder into the options and the rights list, then
// loads the language file (also when an earlier step threw; the error then reaches the caller).
void LoadConfiguration(Bot& bot);
// Writes config.xml through a temporary file renamed over the old one (owner-only permissions).
void SaveConfiguration(Bot& bot);

}  // namespace tv
