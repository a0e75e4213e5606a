// The caretaker's rights command: listing the terrain rights list, granting and revoking a
// citizen or a range of citizens. A change takes effect at once and is kept in config.xml.

#include "app/ActivityLog.h"
#include "app/AwSdk.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "commands/TerrainCommand.h"
#include "commands/TerrainRights.h"
#include "config/Options.h"
#include "events/SessionTable.h"

namespace tv {

namespace {

// Fixed words, not from the language file.
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

// The argument of a grant or revoke: a citizen number, a range of them, or a quoted name. Any
// other word is refused: read as the caretaker's own number it would grant or revoke the wrong
// citizen.
bool ReadTarget(Bot& bot, TTerrainSession& session, const std::string& word,
                TRightsTarget& target) {
    const bool quoted = !word.empty() && word[0] == '\'';
    if (!quoted && !ParseRightsTarget(word, target)) {
        Reply(bot, session.session, "'%s' %s", {word, bot.language[Added::rights_argument_error]});
        return false;
    }
    if (!quoted && target.Low != target.High) return true;
    int32_t citnum = 0;
    if (!ParseCitNum(bot, session, word, citnum)) return false;
    target = {citnum, citnum};
    return true;
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
                   const TRightsTarget& target) {
    const std::string& text = bot.language[message];
    NotifyRightsChange(bot, session, text, target);
    Reply(bot, session.session, "%s%s", {text, target.Text()});
    AddActivity(bot, ActivityCategory::Command, Format(activity, {target.Text()}),
                session.privilege, session.name);
    SaveRightsChange(bot, session);
}

void Refuse(Bot& bot, const TTerrainSession& session, const TRightsTarget& target, Lang error) {
    Reply(bot, session.session, "%s: %s", {target.Text(), bot.language[error]});
}

void GrantRights(Bot& bot, TTerrainSession& session, const TRightsTarget& target) {
    if (TerrainRightsCoversAll(bot.rights, target)) {
        Refuse(bot, session, target, Lang::citnum_rights_error);
        return;
    }
    TTerrainRightsItem& item = bot.rights.Add();
    item.LowCitnum = target.Low;
    item.HighCitnum = target.High;
    RightsChanged(bot, session, Lang::rights_granted_message, "Granted rights to #%s", target);
}

void RevokeRights(Bot& bot, TTerrainSession& session, const TRightsTarget& target) {
    if (!TerrainRightsCoversAny(bot.rights, target)) {
        Refuse(bot, session, target, Lang::citnum_no_rights_error);
        return;
    }
    // When a range or the everyone entry would still cover the target, a reported revocation
    // would be false: the caretaker is told that the rights stay, and the list stays as it is.
    TTerrainRightsList changed = bot.rights;
    TerrainRightsRemoveTarget(changed, target);
    if (TerrainRightsCoversAny(changed, target)) {
        Refuse(bot, session, target, Lang::citnum_rights_error);
        return;
    }
    // The bot's own citizen keeps its rights: without them nobody could give the rights command.
    const int32_t own = bot.sdk.aw_int(attr::LoginCitizen);
    if (TerrainRightsHasCitizen(bot.rights, own) && !TerrainRightsHasCitizen(changed, own)) {
        Reply(bot, session.session, "%s", {bot.language[Added::own_rights_error]});
        return;
    }
    bot.rights = changed;
    RightsChanged(bot, session, Lang::rights_revoked_message, "Revoked rights of #%s", target);
}

}  // namespace

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
    TRightsTarget target;
    if (!ReadTarget(bot, session, words[2], target)) return;
    // The operator may have edited config.xml while the bot runs: the change applies on top.
    RereadConfigurationIfChanged(bot);
    if (add) {
        GrantRights(bot, session, target);
    } else {
        RevokeRights(bot, session, target);
    }
}

void NotifyRightsChange(Bot& bot, TTerrainSession& caller, const std::string& text,
                        const TRightsTarget& target) {
    auto named = [&target](int32_t citnum) {
        return target.Low <= citnum && citnum <= target.High;
    };
    for (TTerrainSession& other : bot.sessions.Records()) {
        if (other.session == caller.session) continue;
        if (named(other.privilege) || named(other.citizen))
            Reply(bot, other.session, "%s%s", {text, target.Text()});
        // Every other working user starts again under the new list.
        if (other.enabled) SetSessionEnabled(bot, other, false, false);
    }
}

}  // namespace tv
