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

// config.xml as the bot last read or wrote it.
struct ConfigFileState {
    // It exists but could not be used: the next save first keeps a copy of it.
    bool Unreadable = false;
    // What stood on disk (missing, a folder, or a digest of the bytes); a change on disk since
    // shows as a different signature.
    std::string Signature;
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
    ConfigFileState ConfigFile;

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
// Every option at its default; the six flags as their defaults say.
void SetOptionDefaults(Options& options);
// Stores a row's text from config.xml. A text that does not convert, or a value outside the
// row's range, leaves the row at its default and is returned as the problem
// ("WarnTime: '30s' is not a valid integer value"); empty when the value was taken.
std::string LoadOptionValue(Options& options, const OptionDescriptor& row, const std::string& text);

// A numeric option's value outside its range: "MaxQueries: 0 is outside the range 1 to 10000".
// Empty when the value is inside it, or the option has no range.
std::string OptionRangeProblem(const Options& options, const OptionDescriptor& row);
// The rule between options: TextureMin <= DefaultTexture <= TextureMax. Empty when it holds,
// else "TextureMin 10, DefaultTexture 0 and TextureMax 500 must rise in that order".
std::string TextureOrderProblem(const Options& options);
// Every problem of the two kinds above, in table order, the texture rule last.
std::vector<std::string> OptionProblems(const Options& options);

// Reads config.xml from the bot's working folder into the options and the rights list, then
// loads the language file. Every load starts from the defaults. A missing file leaves them and
// gives everyone terrain rights ("*"); a file that exists but cannot be used (empty, truncated,
// not text, a folder, malformed) gives nobody rights until it is fixed. A value that does not
// convert or lies outside its range takes its default; a texture order that does not rise sets
// TextureMin, DefaultTexture and TextureMax to their defaults. Each problem is one Error entry
// naming the file (and the key and value), and all of them one dialog.
void LoadConfiguration(Bot& bot);
// Writes config.xml through a temporary file renamed over the old one (owner-only permissions),
// through a symbolic link to its target. When the file on disk could not be read, a copy of it
// is kept first as config.xml.unreadable (or -2, -3 ...); without that copy nothing is written.
void SaveConfiguration(Bot& bot);
// Before a chat change of the rights: when config.xml changed on disk since the bot last read or
// wrote it, reads it again into the options and the rights list, so that the change applies on
// top of the operator's edits. A file that is now missing or unusable leaves the settings in use
// as they are. True when the file had changed.
bool RereadConfigurationIfChanged(Bot& bot);

}  // namespace tv
