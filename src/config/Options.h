#pragma once
// The 23 options of the bot, their table (key, kind, default), and config.xml, which holds them
// together with the terrain rights list. Options are read live by every unit.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tv {

class Bot;

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

    bool Flag(OptionFlag flag) const { return (OptionFlags >> static_cast<int>(flag)) & 1; }
    void SetFlag(OptionFlag flag, bool on);
};

// The host name of the embedded universe: the default UniHost.
inline constexpr const char* kDefaultUniverseHost = "universe.terravane.local";
inline constexpr const char* kConfigFileName = "config.xml";

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

// Reads config.xml from the bot's working folder into the options and the rights list, then
// loads the language file (also when an earlier step threw; the error then reaches the caller).
void LoadConfiguration(Bot& bot);
// Writes config.xml through a temporary file renamed over the old one (owner-only permissions).
void SaveConfiguration(Bot& bot);

}  // namespace tv
