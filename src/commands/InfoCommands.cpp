// The session and information commands: begin, end, sessions, help, version, stats and
// clearcache.

#include "app/ActivityLog.h"
#include "app/AwSdk.h"
#include "app/Bot.h"
#include "app/Errors.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "commands/TerrainCommand.h"
#include "commands/TerrainRights.h"
#include "config/Options.h"
#include "events/SessionTable.h"
#include "terrain/TerrainCache.h"
#include "terrain/TerrainQueue.h"

namespace tv {

namespace {

// Fixed words, not from the language file.
constexpr const char* kDetachWord = "detach";

}  // namespace

void DoBeginCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) {
    const bool detach = words.size() >= 2 && SameText(words[1], kDetachWord);
    if (!SetSessionEnabled(bot, session, true, detach)) return;
    Reply(bot, session.session, "%s",
          {bot.language[detach ? Lang::detach_enable : Lang::enable_message]});
}

void DoEndCommand(Bot& bot, TTerrainSession& session, const CommandWords&) {
    if (SetSessionEnabled(bot, session, false, session.detach != 0)) {
        Reply(bot, session.session, "%s", {bot.language[Lang::disable_message]});
    }
}

void DoSessionsCommand(Bot& bot, TTerrainSession& session, const CommandWords&) {
    if (session.isTourist) {
        Reply(bot, session.session, "%s", {bot.language[Lang::tourist_command_error]});
        return;
    }
    std::vector<std::string> names;
    if (bot.sdk.aw_has_world_right(session.privilege, right::ListSessions) != 0) {
        names = EnabledSessionNames(bot, -1);
        Reply(bot, session.session, "%s%d",
              {bot.language[Lang::sessions_all_message], static_cast<int>(names.size())});
    } else {
        names = EnabledSessionNames(bot, session.privilege);
        Reply(bot, session.session, "%s%d",
              {bot.language[Lang::sessions_user_message], static_cast<int>(names.size())});
    }
    if (!names.empty()) ReplyList(bot, session.session, names);
}

void DoHelpCommand(Bot& bot, TTerrainSession& session, const CommandWords&) {
    Reply(bot, session.session, "%s", {bot.language[Lang::help_message]});
    bot.sdk.aw_url_send(session.session, kHomePageUrl, "aw_3d");
}

void DoVersionCommand(Bot& bot, TTerrainSession& session, const CommandWords&) {
    Reply(bot, session.session, "%s %d.%d.%d %s %d",
          {bot.language[Lang::version_message], kVersionMajor, kVersionMinor, kVersionRelease,
           bot.language[Lang::version_sdk_message], kSdkBuild});
}

void DoStatsCommand(Bot& bot, TTerrainSession& session, const CommandWords&) {
    Reply(bot, session.session, "%s", {TerrainCacheStatistics(bot)});
}

void DoClearCacheCommand(Bot& bot, TTerrainSession& session, const CommandWords&) {
    // Answers still on their way would land in the cleared cache (terrain without its marker, a
    // second marker nobody knows of), so they are waited for too, as are cells being reconciled.
    const int remaining =
        TerrainCommandQueueNumberFromSession(bot, 0) +
        static_cast<int>(bot.world.callbacks.Count() + bot.world.reconcile.cells.size());
    if (remaining != 0) {
        Reply(bot, session.session, "Please wait until the command queue is empty. (remaining: %d)",
              {remaining});
        return;
    }
    bot.cache.Clear();
    bot.world.Clear();
    // The per-world reset of the login, without touching the features-online flag.
    bot.ResetWorldState();
    Reply(bot, session.session, "%s", {"Terrain cache cleared."});
}

}  // namespace tv
