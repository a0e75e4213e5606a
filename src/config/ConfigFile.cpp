// config.xml: read into the options and the rights list without ever failing open, written back
// without losing the operator's file, and read again before a chat change when it changed.

#include <functional>

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Errors.h"
#include "commands/TerrainRights.h"
#include "config/AtomicFile.h"
#include "config/Language.h"
#include "config/MicroXml.h"
#include "config/Options.h"

namespace tv {

namespace {

enum class ConfigKind { Missing, Unreadable, Readable };

struct ConfigRead {
    ConfigKind kind = ConfigKind::Missing;
    std::string signature;
    std::string unreadable;  // why the file cannot be used
    std::vector<std::string> problems;
};

std::string Prefixed(const std::string& problem) {
    return std::string(kConfigFileName) + ": " + problem;
}

std::string Signature(FileRead result, const std::string& content) {
    switch (result) {
        case FileRead::Ok:
            return "text " + std::to_string(content.size()) + " " +
                   std::to_string(std::hash<std::string>{}(content));
        case FileRead::Missing:
            return "missing";
        case FileRead::Folder:
            return "folder";
        case FileRead::Failed:
            break;
    }
    return "unreadable";
}

bool LooksLikeText(const std::string& content) {
    if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) return false;
    return content.find('\0') == std::string::npos;
}

bool OnlyBlanks(const std::string& content) {
    return content.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Why an existing config.xml cannot be used, or empty when `document` holds a configuration.
std::string Unusable(FileRead result, const std::string& content, const std::string& error,
                     TMicroXmlDocument& document) {
    if (result == FileRead::Folder) return "it is a folder";
    if (result == FileRead::Failed) return "it cannot be read (" + error + ")";
    if (!LooksLikeText(content)) return "it is not 8-bit or UTF-8 text";
    if (OnlyBlanks(content)) return "it is empty";
    try {
        document.LoadFromString(content, kConfigFileName);
    } catch (const EMicroXmlError& problem) {
        return problem.what();
    }
    const TMicroXmlElement* root = document.Root();
    if (!root) return "it holds no XML element";
    if (!document.Unclosed().empty()) return "it ends inside <" + document.Unclosed() + ">";
    if (root->FindChild("Login") < 0 && root->FindChild("Options") < 0)
        return "it has neither a Login nor an Options section";
    return {};
}

void ReadGroup(Options& options, std::span<const OptionDescriptor> rows,
               const TMicroXmlElement& section, std::vector<std::string>& problems) {
    for (const OptionDescriptor& row : rows) {
        std::string problem =
            LoadOptionValue(options, row, section.ChildText(row.Key, row.DefaultText));
        if (!problem.empty()) problems.push_back(Prefixed(problem));
    }
}

// The three texture options must rise; when they do not, all three take their defaults.
void CheckTextureOrder(Options& options, std::vector<std::string>& problems) {
    std::string problem = TextureOrderProblem(options);
    if (problem.empty()) return;
    std::string defaults;
    for (const char* key : {"TextureMin", "DefaultTexture", "TextureMax"}) {
        const OptionDescriptor* row = FindOption(key);
        LoadOptionValue(options, *row, row->DefaultText);
        defaults += (defaults.empty() ? "" : ", ") + std::string(row->DefaultText);
    }
    problems.push_back(Prefixed(problem + "; all three take their defaults (" + defaults + ")"));
}

void ReadSections(const TMicroXmlElement& root, Options& options, TTerrainRightsList& rights,
                  ConfigRead& read) {
    bool sawOptions = false;
    for (std::size_t i = 0; i < root.ChildCount(); ++i) {
        const TMicroXmlElement& child = *root.Child(i);
        if (SameText(child.Name, "Login")) {
            ReadGroup(options, LoginOptions(), child, read.problems);
        } else if (SameText(child.Name, "Options")) {
            sawOptions = true;
            ReadGroup(options, GeneralOptions(), child, read.problems);
            TerrainRightsFromString(rights, child.ChildText("TerrainRights", "*"));
        }
    }
    if (!sawOptions) TerrainRightsFromString(rights, "*");
    CheckTextureOrder(options, read.problems);
}

// Reads config.xml into `options` and `rights`, starting from the defaults.
ConfigRead ReadConfig(const std::string& path, Options& options, TTerrainRightsList& rights) {
    ConfigRead read;
    SetOptionDefaults(options);
    std::string content, error;
    const FileRead result = ReadFileContent(path, content, error);
    read.signature = Signature(result, content);
    TMicroXmlDocument document;
    if (result == FileRead::Missing) {
        TerrainRightsFromString(rights, "*");
    } else if (read.unreadable = Unusable(result, content, error, document);
               !read.unreadable.empty()) {
        read.kind = ConfigKind::Unreadable;
        rights.Clear();
    } else {
        read.kind = ConfigKind::Readable;
        ReadSections(*document.Root(), options, rights, read);
    }
    if (options.LogFileName.empty()) options.SetFlag(OptionFlag::EnableLog, false);
    return read;
}

// Each problem is an Error entry; together they make one dialog.
void Report(Bot& bot, const std::vector<std::string>& problems) {
    if (problems.empty()) return;
    std::string text;
    for (const std::string& problem : problems) {
        AddActivity(bot, ActivityCategory::Error, problem);
        text += (text.empty() ? "" : "\r\n") + problem;
    }
    bot.frontEnd.ShowError(text);
}

// A copy of the unreadable config.xml beside it, before a save replaces it. A folder is left
// alone: the save itself then fails and names it.
void KeepUnreadableCopy(Bot& bot, const std::string& path) {
    std::string content, error;
    const FileRead result = ReadFileContent(path, content, error);
    if (result == FileRead::Missing || result == FileRead::Folder) return;
    if (result == FileRead::Failed)
        throw EInOutError(
            Prefixed("not saved: the unreadable file could not be copied (" + error + ")"));
    const std::string copy = WriteToFreeName(path + ".unreadable", content);
    AddActivity(
        bot, ActivityCategory::Message,
        "The unreadable config.xml was kept as " + std::filesystem::path(copy).filename().string());
}

}  // namespace

void LoadConfiguration(Bot& bot) {
    ConfigRead read = ReadConfig(bot.PathOf(kConfigFileName).string(), bot.options, bot.rights);
    bot.options.Loaded = true;
    bot.options.ConfigFile = {read.kind == ConfigKind::Unreadable, read.signature};
    if (read.kind == ConfigKind::Unreadable)
        read.problems.insert(read.problems.begin(),
                             Prefixed("unreadable: " + read.unreadable +
                                      ". The defaults are used and nobody has terrain rights "
                                      "until it is fixed."));
    Report(bot, read.problems);
    LoadLanguage(bot);
}

void SaveConfiguration(Bot& bot) {
    const std::string path = bot.PathOf(kConfigFileName).string();
    if (bot.options.ConfigFile.Unreadable) KeepUnreadableCopy(bot, path);
    TMicroXmlDocument document;
    TMicroXmlElement* root = document.CreateRoot("TerravaneConfig");
    SaveOptionGroup(bot.options, LoginOptions(), *root->AddChild("Login"));
    TMicroXmlElement* general = root->AddChild("Options");
    SaveOptionGroup(bot.options, GeneralOptions(), *general);
    general->AddChild("TerrainRights")->Text = TerrainRightsToString(bot.rights);
    const std::string content = document.SaveToString();
    // The file holds the privilege password.
    WriteFileAtomically(path, content, FileAccess::OwnerOnly);
    bot.options.ConfigFile = {false, Signature(FileRead::Ok, content)};
}

bool RereadConfigurationIfChanged(Bot& bot) {
    const std::string path = bot.PathOf(kConfigFileName).string();
    std::string content, error;
    const FileRead result = ReadFileContent(path, content, error);
    if (Signature(result, content) == bot.options.ConfigFile.Signature) return false;
    Options fresh = bot.options;
    TTerrainRightsList rights;
    ConfigRead read = ReadConfig(path, fresh, rights);
    if (read.kind == ConfigKind::Readable) {
        bot.options = fresh;
        bot.rights = rights;
        AddActivity(bot, ActivityCategory::Message,
                    "config.xml changed on disk and was read again");
    } else if (read.kind == ConfigKind::Missing) {
        AddActivity(bot, ActivityCategory::Message,
                    "config.xml was removed: the settings in use are kept and saved again");
    } else {
        read.problems = {Prefixed("unreadable: " + read.unreadable +
                                  ". The settings in use are kept; the next save keeps a copy "
                                  "of the file.")};
    }
    bot.options.ConfigFile = {read.kind == ConfigKind::Unreadable, read.signature};
    Report(bot, read.problems);
    return true;
}

}  // namespace tv
