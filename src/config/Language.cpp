#include "config/Language.h"

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Errors.h"
#include "config/AtomicFile.h"
#include "config/MicroXml.h"
#include "config/XmlConfigFile.h"

namespace tv {

namespace {

// In the order of the Lang enumeration, which is the load order.
constexpr std::array<LangKeyInfo, kLangKeyCount> kCatalogue = {{
    {"help", "message"},

    {"errors", "bot_error"},
    {"errors", "bounds_error"},
    {"errors", "tourist_error"},
    {"errors", "confused_chat_message"},
    {"errors", "seed_encroachment_error"},
    {"errors", "invalid_citname_message"},
    {"errors", "invalid_clickmode"},
    {"errors", "invalid_command_error"},
    {"errors", "citnum_no_rights_error"},
    {"errors", "not_caretaker_error"},
    {"errors", "object_result_error"},
    {"errors", "awaiting_query_error"},
    {"errors", "citnum_rights_error"},
    {"errors", "seed_building_error"},
    {"errors", "specify_prefix_error_2"},
    {"errors", "specify_prefix_error"},
    {"errors", "texture_error"},
    {"errors", "message_too_long_error"},
    {"errors", "tourist_command_error"},

    {"messages", "always_enabled_message"},
    {"messages", "cells_processed_message"},
    {"messages", "click_delete_message"},
    {"messages", "click_detach_message"},
    {"messages", "click_hide_message"},
    {"messages", "clickmode_message"},
    {"messages", "click_show_message"},
    {"messages", "delete_finished_message"},
    {"messages", "detach_finished_message"},
    {"messages", "disable_message"},
    {"messages", "disable_warn_message"},
    {"messages", "edit_message"},
    {"messages", "enable_message"},
    {"messages", "features_are_message"},
    {"messages", "new_marker_seed_message"},
    {"messages", "new_marker_seed_as_message"},
    {"messages", "no_cells_message"},
    {"messages", "no_ed_message"},
    {"messages", "click_no_ed_message"},
    {"messages", "not_enabled_message"},
    {"messages", "offline_message"},
    {"messages", "online_enabled_message"},
    {"messages", "online_say_message"},
    {"messages", "rights_granted_message"},
    {"messages", "rights_revoked_message"},
    {"messages", "version_sdk_message"},
    {"messages", "sector_processed_message"},
    {"messages", "show_hide_finished_message"},
    {"messages", "texture_finished_message"},
    {"messages", "version_message"},
    {"messages", "wait_for_objects_message"},
    {"messages", "sessions_all_message"},
    {"messages", "sessions_user_message"},
    {"messages", "detach_enable"},

    {"safeguards", "flood_message"},
    {"safeguards", "all_limit_message"},
    {"safeguards", "all_message"},
    {"safeguards", "no_all_message"},

    {"phrases", "cells"},
    {"phrases", "citizen"},
    {"phrases", "extents_to"},
    {"phrases", "extents"},
    {"phrases", "markers"},
    {"phrases", "offline"},
    {"phrases", "percent_queried"},
    {"phrases", "terrain_rights"},
    {"phrases", "users"},

    {"commands", "all"},
    {"commands", "begin"},
    {"commands", "clickmode"},
    {"commands", "delete"},
    {"commands", "detach"},
    {"commands", "ed"},
    {"commands", "end"},
    {"commands", "help"},
    {"commands", "hide"},
    {"commands", "rights"},
    {"commands", "seed"},
    {"commands", "sessions"},
    {"commands", "show"},
    {"commands", "stats"},
    {"commands", "texture"},
    {"commands", "version"},
}};

constexpr std::array<AddedTextInfo, kAddedTextCount> kAddedTexts = {{
    {"messages", "cells_unchanged_message",
     "Some cells could not be changed: the world refused the request. They now show what the "
     "world holds."},
    {"errors", "rights_argument_error",
     "is not a citizen number, a range of them such as 5~10, or a citizen name in single quotes."},
    {"errors", "own_rights_error",
     "You cannot revoke your own terrain rights: the rights command would go with them."},
    {"commands", "history", "history"},
    {"commands", "rollback", "rollback"},
    {"commands", "confirm", "confirm"},
    {"messages", "history_message", "Terrain changes, newest first:"},
    {"messages", "history_more_message",
     "more changes not shown; name a citizen or a shorter span to see them."},
    {"messages", "history_none_message", "No terrain changes were found for that."},
    {"errors", "history_usage_error",
     "Say t:history, optionally followed by all for the whole world, a citizen number or a name in "
     "single quotes, and a span such as 2h or 3d."},
    {"errors", "rollback_usage_error",
     "Say t:rollback followed by a citizen number or a name in single quotes, a span such as 2h or "
     "3d, and all for the whole world."},
    {"errors", "rollback_rights_error",
     "Only the terrain manager's own citizen and citizens with eminent domain rights may roll back "
     "terrain changes."},
    {"errors", "journal_off_error",
     "The terrain journal is off, so there is no history to show or roll back."},
    {"messages", "rollback_none_message",
     "Nothing to roll back: that citizen changed no terrain there in that time."},
    {"messages", "rollback_confirm_message",
     "cells would be rolled back. Say t:confirm within 30 seconds to go ahead."},
    {"errors", "confirm_none_error",
     "No rollback is waiting for your confirmation; it may have expired after 30 seconds."},
    {"messages", "rollback_queued_message", "cells queued for rollback;"},
    {"messages", "rollback_skipped_message",
     "cells skipped because someone else changed them since."},
    {"messages", "rollback_finished_message", "Done: the rollback is complete."},
}};

constexpr int kLanguageVersion = 5;

}  // namespace

const LangKeyInfo& LangInfo(Lang key) {
    return kCatalogue.at(static_cast<std::size_t>(key));
}

const AddedTextInfo& AddedInfo(Added key) {
    return kAddedTexts.at(static_cast<std::size_t>(key));
}

LanguageCatalogue::LanguageCatalogue() {
    for (std::size_t i = 0; i < kAddedTextCount; ++i) added_[i] = kAddedTexts[i].english;
}

void LanguageCatalogue::Set(Lang key, const std::string& text) {
    texts_.at(static_cast<std::size_t>(key)) = text.substr(0, kLangTextLimit);
}

void LanguageCatalogue::Set(Added key, const std::string& text) {
    added_.at(static_cast<std::size_t>(key)) = text.substr(0, kLangTextLimit);
}

namespace {

// What reading the language file found. `fatal` is set when the file cannot serve at all
// (missing, no name, another version); `unreadable` when its structure or version number is
// broken, which stops the bot at start-up and otherwise keeps the texts in use.
struct LanguageRead {
    TXmlConfigFile file;
    std::string fatal;
    std::string unreadable;
};

void ReadVersion(LanguageRead& read, const std::string& name) {
    int32_t version = 0;
    try {
        version = read.file.ReadInteger("terravane", "version", 0);
    } catch (const EConvertError& error) {
        read.unreadable = name + ": version: " + error.what();
        return;
    }
    if (version != kLanguageVersion)
        read.fatal = name + ": version " + std::to_string(version) + " where " +
                     std::to_string(kLanguageVersion) + " is needed";
}

LanguageRead ReadLanguageFile(const Bot& bot) {
    LanguageRead read;
    const std::string& name = bot.options.LanguageFilename;
    std::string content;
    if (name.empty()) {
        read.fatal = "no file is named by LanguageFilename";
    } else if (!ReadWholeFile(bot.PathOf(name).string(), content)) {
        read.fatal = name + " cannot be read";
    } else {
        try {
            read.file.LoadFromString(content, name);
        } catch (const EMicroXmlError& error) {
            read.unreadable = error.what();
            return read;
        }
        ReadVersion(read, name);
    }
    return read;
}

// One Error entry lists the catalogue texts the file lacks (they show the placeholder).
void ReportMissingKeys(Bot& bot, const TXmlConfigFile& file) {
    std::string missing;
    int count = 0;
    for (const LangKeyInfo& info : kCatalogue) {
        if (file.ReadString(info.section, info.key, kMissingTextPlaceholder) !=
            kMissingTextPlaceholder)
            continue;
        missing += (count++ ? ", " : "") + std::string(info.section) + "/" + info.key;
    }
    if (count > 0)
        AddActivity(bot, ActivityCategory::Error,
                    bot.options.LanguageFilename + ": " + std::to_string(count) +
                        " texts are missing and read as a placeholder: " + missing);
}

void FillTexts(Bot& bot, const TXmlConfigFile& file) {
    for (std::size_t i = 0; i < kLangKeyCount; ++i) {
        const LangKeyInfo& info = kCatalogue[i];
        bot.language.Set(static_cast<Lang>(i),
                         file.ReadString(info.section, info.key, kMissingTextPlaceholder));
    }
    for (const AddedTextInfo& info : kAddedTexts)
        bot.language.Set(static_cast<Added>(&info - kAddedTexts.data()),
                         file.ReadString(info.section, info.key, info.english));
    bot.language.MarkLoaded();
}

}  // namespace

void LoadLanguage(Bot& bot) {
    LanguageRead read = ReadLanguageFile(bot);
    if (!read.unreadable.empty()) {
        if (bot.language.Loaded()) {
            const std::string message = read.unreadable + "; the texts in use are kept";
            AddActivity(bot, ActivityCategory::Error, message);
            bot.frontEnd.ShowError(message);
            return;
        }
        // At start-up there are no texts to keep: every one is the placeholder, so no command
        // word is empty and nothing a user types can match one.
        FillTexts(bot, TXmlConfigFile());
        bot.FatalStop(std::string(kInvalidLanguageFile) + ": " + read.unreadable);
        return;
    }
    FillTexts(bot, read.file);
    if (!read.fatal.empty())
        bot.FatalStop(std::string(kInvalidLanguageFile) + ": " + read.fatal);
    else
        ReportMissingKeys(bot, read.file);
}

}  // namespace tv
