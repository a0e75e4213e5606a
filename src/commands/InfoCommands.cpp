// The session, rights and information commands: begin, end, sessions, rights, help, version,
// stats and clearcache.

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
constexpr const char* kAddWord = "add";
constexpr const char* kRemWord = "rem";
constexpr const char* kRemoveWord = "remove";

void ListRights(Bot& bot, const TTerrainSession& session) {
    std::vector<std::string> entries = SplitCommaList(TerrainRightsToString(bot.rights));
    if (entries.size() == 1 && entries[0] == "*") {
        Reply(bot, session.session, "%s", {"All users have terrain rights."});
        return;
    }
    Reply(bot, session.session, "%s %d",
          {bot.language[Lang::phrase_terrain_rights], static_cast<int>(entries.size())});
    if (entries.empty()) return;
    SortNumericStrings(entries);
    ReplyList(bot, session.session, entries);
}

// A chat change of the rights takes effect at once and is kept in config.xml, the file the list
// is read from at start-up; nothing is reloaded, so the change cannot be undone by a reload. A
// save that fails leaves the change in effect for this run: the operator sees an Error entry and
// the error travels on to the dispatcher, which tells the user that it was not saved.
void SaveRightsChange(Bot& bot, const TTerrainSession& session) {
    try {
        SaveConfiguration(bot);
    } catch (const std::exception& error) {
        AddActivity(bot, ActivityCategory::Error,
                    Format("Unable to save the terrain rights: %s", {error.what()}),
                    session.privilege, session.name);
        throw;
    }
}

// A grant or revoke in force: the users concerned are told, the other working users switched
// off, the caretaker answered, the change logged and saved.
void RightsChanged(Bot& bot, TTerrainSession& session, Lang message, const char* activity,
                   int32_t citnum) {
    const std::string& text = bot.language[message];
    NotifyRightsChange(bot, session, text, citnum);
    Reply(bot, session.session, "%s%d", {text, citnum});
    AddActivity(bot, ActivityCategory::Command, Format(activity, {citnum}), session.privilege,
                session.name);
    SaveRightsChange(bot, session);
}

void GrantRights(Bot& bot, TTerrainSession& session, int32_t citnum) {
    if (TerrainRightsHasCitizen(bot.rights, citnum)) {
        Reply(bot, session.session, "%d: %s", {citnum, bot.language[Lang::citnum_rights_error]});
        return;
    }
    TerrainRightsAdd(bot.rights, citnum);
    RightsChanged(bot, session, Lang::rights_granted_message, "Granted rights to #%d", citnum);
}

void RevokeRights(Bot& bot, TTerrainSession& session, int32_t citnum) {
    if (!TerrainRightsHasCitizen(bot.rights, citnum)) {
        Reply(bot, session.session, "%d: %s", {citnum, bot.language[Lang::citnum_no_rights_error]});
        return;
    }
    // Only entries that begin at the number go; when a range or the everyone entry would still
    // cover the citizen, a reported revocation would be false, so the caretaker is told that the
    // citizen keeps the rights and the list stays as it is.
    TTerrainRightsList changed = bot.rights;
    TerrainRightsRemove(changed, citnum);
    if (TerrainRightsHasCitizen(changed, citnum)) {
        Reply(bot, session.session, "%d: %s", {citnum, bot.language[Lang::citnum_rights_error]});
        return;
    }
    bot.rights = changed;
    RightsChanged(bot, session, Lang::rights_revoked_message, "Revoked rights of #%d", citnum);
}

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

void DoRightsCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) {
    if (words.size() < 2) {
        ListRights(bot, session);
        return;
    }
    if (words.size() < 3) return;
    const std::string& verb = words[1];
    const bool add = SameText(verb, kAddWord);
    const bool remove = SameText(verb, kRemWord) || SameText(verb, kRemoveWord);
    if (!add && !remove) return;
    int32_t citnum = 0;
    if (!ParseCitNum(bot, session, words[2], citnum)) return;
    if (add) {
        GrantRights(bot, session, citnum);
    } else {
        RevokeRights(bot, session, citnum);
    }
}

void NotifyRightsChange(Bot& bot, TTerrainSession& caller, const std::string& text,
                        int32_t citnum) {
    for (TTerrainSession& other : bot.sessions.Records()) {
        if (other.session == caller.session) continue;
        if (other.privilege == citnum || other.citizen == citnum) {
            Reply(bot, other.session, "%s%d", {text, citnum});
        }
        // Every other working user starts again under the new list.
        if (other.enabled) SetSessionEnabled(bot, other, false, false);
    }
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
