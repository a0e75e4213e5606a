#include "commands/TerrainCommand.h"

#include <cstdio>
#include <exception>

#include "app/ActivityLog.h"
#include "app/AwSdk.h"
#include "app/Bot.h"
#include "app/Errors.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "commands/TerrainRights.h"
#include "events/SessionTable.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"

namespace tv {

namespace {

constexpr const char* kClearCacheWord = "clearcache";

const std::array<CommandRow, kCommandRows> kCommandTable = {{
    {Lang::cmd_begin, nullptr, DoBeginCommand, nullptr},
    {Lang::cmd_clickmode, nullptr, DoClickModeCommand, RequireEnabled},
    {Lang::cmd_delete, nullptr, DoShowHideCommand, RequireEnabled},
    {Lang::cmd_detach, nullptr, DoShowHideCommand, nullptr},
    {Lang::cmd_end, nullptr, DoEndCommand, RequireEnabled},
    {Lang::cmd_help, nullptr, DoHelpCommand, nullptr},
    {Lang::cmd_hide, nullptr, DoShowHideCommand, RequireEnabled},
    {Lang::cmd_rights, nullptr, DoRightsCommand, RequireCaretaker},
    {Lang::cmd_seed, nullptr, DoSeedCommand, RequireEnabled},
    {Lang::cmd_sessions, nullptr, DoSessionsCommand, nullptr},
    {Lang::cmd_show, nullptr, DoShowHideCommand, RequireEnabled},
    {Lang::cmd_stats, nullptr, DoStatsCommand, nullptr},
    {Lang::cmd_texture, nullptr, DoTextureCommand, RequireEnabled},
    {Lang::cmd_version, nullptr, DoVersionCommand, nullptr},
    {std::monostate{}, kClearCacheWord, DoClearCacheCommand, RequireCaretaker},
    {Added::cmd_history, nullptr, DoHistoryCommand, nullptr},
    {Added::cmd_rollback, nullptr, DoRollbackCommand, RequireEnabled},
    {Added::cmd_confirm, nullptr, DoConfirmCommand, RequireEnabled},
}};

const CommandRow* FindCommandRow(const Bot& bot, const std::string& word) {
    for (const CommandRow& row : kCommandTable) {
        if (SameText(word, CommandWord(bot, row))) return &row;
    }
    return nullptr;
}

// Runs one handler; whatever it throws becomes the single error reply, and the session counts as
// active only when the handler finished.
void RunHandler(Bot& bot, TTerrainSession& session, const CommandRow& row,
                const CommandWords& words) {
    static constexpr const char* kErrorReply =
        "An error occured while processing your command: %s, %s";
    try {
        row.handler(bot, session, words);
        TouchSession(bot, session);
    } catch (const std::exception& error) {
        Reply(bot, session.session, kErrorReply, {ExceptionClassName(error), error.what()});
    } catch (...) {
        Reply(bot, session.session, kErrorReply, {"Exception", "unknown error"});
    }
}

}  // namespace

const std::array<CommandRow, kCommandRows>& CommandTable() {
    return kCommandTable;
}

std::string CommandWord(const Bot& bot, const CommandRow& row) {
    if (const Lang* key = std::get_if<Lang>(&row.key)) return bot.language[*key];
    if (const Added* key = std::get_if<Added>(&row.key)) return bot.language[*key];
    return row.fixedWord;
}

std::vector<std::string> SplitCommandLine(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inQuotes = false;
    for (char c : text) {
        if (c == ' ' && !inQuotes) {
            // Two blanks in a row give an empty word: arguments keep their places.
            words.push_back(word);
            word.clear();
            continue;
        }
        if (c == '\'') inQuotes = !inQuotes;
        word += c;
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

void ProcessCommand(Bot& bot, TTerrainSession& session, const std::string& text) {
    const CommandWords words = SplitCommandLine(text);
    const std::string first = words.empty() ? std::string() : words[0];
    const CommandRow* row = FindCommandRow(bot, first);
    if (!row) {
        Reply(bot, session.session, "'%s' %s",
              {UpperAscii(first), bot.language[Lang::invalid_command_error]});
        return;
    }
    if (row->preCheck && !row->preCheck(bot, session)) return;
    RunHandler(bot, session, *row, words);
}

bool RequireEnabled(Bot& bot, TTerrainSession& session) {
    if (session.enabled) return true;
    Reply(bot, session.session, "%s", {bot.language[Lang::not_enabled_message]});
    return false;
}

bool RequireNothingPending(Bot& bot, TTerrainSession& session) {
    if (!CallbackSessionHasAny(bot, session.session)) return true;
    Reply(bot, session.session, "%d %s",
          {TerrainCommandQueueNumberFromSession(bot, session.session),
           bot.language[Lang::wait_for_objects_message]});
    return false;
}

bool RequireCaretaker(Bot& bot, TTerrainSession& session) {
    if (bot.sdk.aw_int(attr::LoginCitizen) == session.privilege) return true;
    Reply(bot, session.session, "%s", {bot.language[Lang::not_caretaker_error]});
    return false;
}

int32_t ParseCitNumFromString(Bot& bot, const std::string& text) {
    if (!text.empty() && text[0] == '\'') {
        // "'%[^']'": the characters up to the next quote; a missing closing quote still
        // yields the name.
        std::string::size_type close = text.find('\'', 1);
        std::string name =
            text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        if (bot.sdk.aw_citizen_attributes_by_name(name) == 0) {
            return bot.sdk.aw_int(attr::FoundCitizenNumber);
        }
        return -1;
    }
    // Decimal only: "0x10" or "$10" must not reach another citizen.
    int32_t value = 0;
    if (!ParseDecimal(text, value)) return -2;
    return value;
}

bool ParseCitNum(Bot& bot, TTerrainSession& session, const std::string& text, int32_t& citnum) {
    int32_t result = ParseCitNumFromString(bot, text);
    DebugLog(bot, DebugCategory::Command, "ParseCitNumFromString(%s): %d", {text, result});
    if (result == -1) {
        Reply(bot, session.session, "'%s' %s", {text, bot.language[Lang::invalid_citname_message]});
        return false;
    }
    // A word that is neither a number nor a quoted name stands for the user's own number.
    citnum = result >= 0 ? result : session.privilege;
    return true;
}

}  // namespace tv
