#include "events/SessionTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "commands/TerrainRights.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

constexpr int kEnabledRow = 7;
constexpr int kSessionsRow = 6;

// The count of enabled sessions and the working-users list follow every switch.
void ChangeEnabledCount(Bot& bot, const TTerrainSession& session, int delta) {
    bot.sessions.EnabledCount += delta;
    bot.model.SetStat(kEnabledRow, std::to_string(bot.sessions.EnabledCount));
    if (delta > 0)
        bot.model.AddWorkingUser(session.name);
    else
        bot.model.RemoveWorkingUser(session.name);
}

void Activity(Bot& bot, ActivityCategory category, const std::string& message,
              const TTerrainSession& session) {
    AddActivity(bot, category, message, session.privilege, session.name);
}

void Tell(Bot& bot, const TTerrainSession& session, const std::string& text) {
    Reply(bot, session.session, "%s", {text});
}

bool HasTerrainRight(Bot& bot, int32_t privilege) {
    return bot.sdk.aw_has_world_right(privilege, right::Terrain) != 0;
}

// The refusals that only make sense when switching on: a user standing outside the world, or a
// bot or tourist no longer allowed, must still be able to switch off (and lose it on a revoke).
bool MayEnable(Bot& bot, TTerrainSession& session) {
    if (!bot.options.Flag(OptionFlag::AllowBots) && session.isBot) {
        Activity(bot, ActivityCategory::Safeguard, "Bot attempting to enable terrain building",
                 session);
        Tell(bot, session, bot.language[Lang::bot_error]);
        return false;
    }
    if (!bot.options.Flag(OptionFlag::AllowTourists) && session.isTourist) {
        Activity(bot, ActivityCategory::Safeguard, "Tourist attempting to enable terrain building",
                 session);
        Tell(bot, session, bot.language[Lang::tourist_error]);
        return false;
    }
    const int32_t cellX = WorldToCell(session.x, true);
    const int32_t cellZ = WorldToCell(session.z, true);
    if (!InWorldRange(cellX, bot.worldSize) || !InWorldRange(cellZ, bot.worldSize)) {
        Tell(bot, session, bot.language[Lang::bounds_error]);
        return false;
    }
    return true;
}

// Only what the user placed goes: a marker another citizen built in the cell since then stays.
void QueueDetachOfCells(Bot& bot, TTerrainSession& session) {
    int queued = 0;
    const uint32_t batch = NewCommandBatch(bot);
    for (int i = 0; i < session.cells.Count(); ++i) {
        int32_t cellX = 0, cellZ = 0;
        UnpackCellKey(static_cast<uint32_t>(session.cells.Items(i)), cellX, cellZ);
        const TTerrainCacheX* entry = bot.cache.Entry(cellX, cellZ);
        if (!entry || entry->Id == 0 || entry->Owner != session.cellOwners.Items(i)) continue;
        TerrainQueueCommand(bot, cellX, cellZ, CommandState::DETACH, session.session, false, false,
                            0, 0, batch);
        ++queued;
    }
    // Queued once: a later end of a detach session must not detach them again.
    session.cells.Clear();
    session.cellOwners.Clear();
    if (queued == 0) return;
    Reply(bot, session.session, "%d %s", {queued, bot.language[Lang::cells_processed_message]});
    Activity(bot, ActivityCategory::Command,
             Format("Detaches %d cell%s", {queued, queued == 1 ? "" : "s"}), session);
}

}  // namespace

TTerrainSession* SessionTable::FindSession(int32_t session) {
    auto found = bySession_.find(session);
    return found == bySession_.end() ? nullptr : &*found->second.front();
}

TTerrainSession& SessionTable::Append(int32_t session) {
    TTerrainSession& record = records_.emplace_back();
    record.session = session;
    bySession_[session].push_back(std::prev(records_.end()));
    return record;
}

void SessionTable::Remove(int32_t session) {
    auto found = bySession_.find(session);
    if (found == bySession_.end()) return;
    records_.erase(found->second.front());
    found->second.erase(found->second.begin());
    if (found->second.empty()) bySession_.erase(found);
}

void SessionTable::Clear() {
    records_.clear();
    bySession_.clear();
}

void InstallAvatarEvents(Bot& bot) {
    bot.sdk.aw_event_set(event::AvatarAdd, [&bot] { OnAvatarAdd(bot); });
    bot.sdk.aw_event_set(event::AvatarChange, [&bot] { OnAvatarChange(bot); });
    bot.sdk.aw_event_set(event::AvatarDelete, [&bot] { OnAvatarDelete(bot); });
    SessionTableReset(bot);
}

void SessionTableReset(Bot& bot) {
    DebugLog(bot, DebugCategory::SessionTable, "%s", {"SessionTableReset"});
    bot.sessions.Clear();
    bot.sessions.EnabledCount = 0;
    // No tick may follow (a logout, a lost connection): the window shows the empty table now.
    bot.model.SetStat(kEnabledRow, "0");
    bot.model.SetStat(kSessionsRow, "0");
    bot.model.ClearWorkingUsers();
}

void TouchSession(Bot& bot, TTerrainSession& session) {
    session.lastActivity = bot.ClockSeconds();
    session.warned = false;
    bot.sessions.TimeoutDueBy(int64_t{session.lastActivity} + bot.options.WarnTime);
}

void RecordDetachCell(TTerrainSession& session, int32_t cellX, int32_t cellZ, int32_t owner) {
    ForgetDetachCell(session, cellX, cellZ);
    session.cells.Add(static_cast<int32_t>(PackCellKey(cellX, cellZ)));
    session.cellOwners.Add(owner);
}

void ForgetDetachCell(TTerrainSession& session, int32_t cellX, int32_t cellZ) {
    const int index = session.cells.Remove(static_cast<int32_t>(PackCellKey(cellX, cellZ)));
    session.cellOwners.Delete(index);
}

bool SetSessionEnabled(Bot& bot, TTerrainSession& session, bool enable, bool detach) {
    if (enable && !MayEnable(bot, session)) return false;
    if (session.enabled == enable) return false;
    if (!enable && detach) QueueDetachOfCells(bot, session);
    session.enabled = enable;
    session.warned = false;
    session.detach = detach ? 1 : 0;
    // The idle time starts with the session, also when nothing else marks it active (a session
    // switched on at entry would otherwise look idle since the clock began).
    if (enable) {
        session.lastActivity = bot.ClockSeconds();
        bot.sessions.TimeoutDueBy(int64_t{session.lastActivity} + bot.options.WarnTime);
    }
    ChangeEnabledCount(bot, session, enable ? 1 : -1);
    if (!bot.options.Flag(OptionFlag::AlwaysEnabled))
        Activity(bot, ActivityCategory::Command, enable ? "Enables terrain" : "Disables terrain",
                 session);
    if (enable)
        TerrainQueueAddArea(bot, WorldToCell(session.x, false), WorldToCell(session.z, false));
    return true;
}

void CheckSessionTimeouts(Bot& bot) {
    if (bot.sessions.EnabledCount == 0) return;
    const int32_t now = bot.ClockSeconds();
    const int32_t warnTime = bot.options.WarnTime;
    const int32_t disableTime = bot.options.DisableTime;
    // A walk notes the second at which the first enabled session can next be warned or timed
    // out; activity only moves that later, except for a session that becomes active again, which
    // lowers it (TimeoutDueBy). So a thousand sessions are walked only when one of them is due,
    // not every tick.
    SessionTable::TimeoutWalk& walk = bot.sessions.timeoutWalk;
    const bool sameLimits = walk.warnTime == warnTime && walk.disableTime == disableTime;
    if (warnTime > 0 && sameLimits && now < walk.due) return;
    walk = {warnTime, disableTime, std::numeric_limits<int64_t>::max()};
    for (TTerrainSession& session : bot.sessions.Records()) {
        if (!session.enabled) continue;
        const int64_t idle = int64_t{now} - session.lastActivity;
        if (idle < warnTime) {
            walk.due = std::min(walk.due, int64_t{session.lastActivity} + warnTime);
            continue;
        }
        if (idle >= disableTime) {
            session.enabled = false;
            Tell(bot, session, bot.language[Lang::disable_message]);
            ChangeEnabledCount(bot, session, -1);
            Activity(bot, ActivityCategory::Action, "Timed out", session);
        } else if (!session.warned) {
            session.warned = true;
            Reply(bot, session.session, "%s in %ds",
                  {bot.language[Lang::disable_warn_message], disableTime - warnTime});
        }
        if (session.enabled)
            walk.due = std::min(walk.due, int64_t{session.lastActivity} + disableTime);
    }
}

void FloodCheck(Bot& bot, int32_t sessionNumber) {
    TTerrainSession* session = bot.sessions.FindSession(sessionNumber);
    if (!session) return;
    const int64_t now = bot.clock.MonotonicMs();
    if (session->lastCommandMs != 0) {
        const int64_t elapsed = (now - session->lastCommandMs) / 1000;
        // Under the default rounding mode nearbyint rounds halves to even, as the option's
        // "10.05 means ten commands in five seconds" reading requires.
        const double floodCommands = bot.options.FloodCommands;
        const double limit = std::nearbyint(floodCommands);
        const double window = std::nearbyint((floodCommands - limit) * 100);
        const bool withinWindow = static_cast<double>(elapsed) <= window;
        if (withinWindow)
            ++session->floodCount;
        else if (session->floodCount >= 1)
            --session->floodCount;
        if (withinWindow && static_cast<double>(session->floodCount) >= limit) {
            // Sent at once: a queued message would leave after the eject and reach nobody. When
            // the world refuses it, it is queued: it reaches the user if the eject fails too.
            if (ReplyNow(bot, sessionNumber, bot.language[Lang::flood_message]) != 0)
                Reply(bot, sessionNumber, "%s", {bot.language[Lang::flood_message]});
            bot.sdk.aw_int_set(attr::EjectSession, sessionNumber);
            bot.sdk.aw_int_set(attr::EjectDuration, bot.options.FloodEjectDuration);
            const int result = bot.sdk.aw_world_eject();
            DebugLog(bot, DebugCategory::SessionTable, "aw_world_eject: %d", {result});
            if (result == 0)
                Activity(bot, ActivityCategory::Safeguard, "Ejected for flooding", *session);
            session->floodCount = -1;
        }
    }
    session->lastCommandMs = now;
}

bool IsFloodEjected(Bot& bot, int32_t sessionNumber) {
    const TTerrainSession* session = bot.sessions.FindSession(sessionNumber);
    return session && session->floodCount < 0;
}

std::vector<std::string> EnabledSessionNames(Bot& bot, int32_t privilege) {
    std::vector<std::string> names;
    for (const TTerrainSession& session : bot.sessions.Records())
        if (session.enabled && (privilege == -1 || session.privilege == privilege))
            names.push_back(session.name);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    return names;
}

void AnnounceToRightsHolders(Bot& bot) {
    for (const TTerrainSession& session : bot.sessions.Records())
        if (HasTerrainRight(bot, session.privilege) &&
            TerrainRightsHasCitizen(bot.rights, session.privilege))
            Tell(bot, session, FeaturesNotice(bot));
}

std::string FeaturesNotice(Bot& bot) {
    const LanguageCatalogue& text = bot.language;
    if (bot.options.Flag(OptionFlag::AlwaysEnabled))
        return bot.featuresOnline ? text[Lang::online_enabled_message]
                                  : text[Lang::offline_message];
    if (bot.featuresOnline)
        return Format("%s %s%s%s%s",
                      {text[Lang::features_are_message], text[Lang::online_say_message],
                       "t:", text[Lang::cmd_begin], text[Lang::edit_message]});
    return Format("%s %s", {text[Lang::features_are_message], text[Lang::phrase_offline]});
}

void OnAvatarAdd(Bot& bot) {
    AwSdk& sdk = bot.sdk;
    // Every attribute is read before any other SDK call can overwrite the store.
    const int32_t number = sdk.aw_int(attr::AvatarSession);
    const std::string name = sdk.aw_string(attr::AvatarName);
    const int32_t citizen = sdk.aw_int(attr::AvatarCitizen);
    const int32_t privilege = sdk.aw_int(attr::AvatarPrivilege);
    const int32_t x = sdk.aw_int(attr::AvatarX);
    const int32_t y = sdk.aw_int(attr::AvatarY);
    const int32_t z = sdk.aw_int(attr::AvatarZ);

    TTerrainSession* session = bot.sessions.FindSession(number);
    const bool ghost = session != nullptr;
    if (ghost) {
        session->ghost = true;
    } else {
        session = &bot.sessions.Append(number);
        session->citizen = citizen;
    }
    // A working user's name may change with a second arrival: the list follows.
    if (ghost && session->enabled && session->name != name) {
        bot.model.RemoveWorkingUser(session->name);
        bot.model.AddWorkingUser(name);
    }
    session->name = name;
    session->session = number;
    session->privilege = privilege;
    session->x = x;
    session->y = y;
    session->z = z;
    session->isBot = !name.empty() && name[0] == '[';
    session->isTourist = !name.empty() && name[0] == '\'';
    session->clickMode = static_cast<uint8_t>(CommandState::HIDE);
    session->lastCommandMs = 0;

    if (ghost)
        Activity(bot, ActivityCategory::Safeguard,
                 "Duplicate ghost session number replaced in database, ghost rejected", *session);
    else
        Activity(bot, ActivityCategory::Action, "Enters world", *session);

    if (!HasTerrainRight(bot, privilege)) return;
    const bool alwaysEnabled = bot.options.Flag(OptionFlag::AlwaysEnabled);
    if ((TerrainRightsHasCitizen(bot.rights, privilege) || alwaysEnabled) &&
        (!session->isBot || bot.options.Flag(OptionFlag::AllowBots)) &&
        (!session->isTourist || bot.options.Flag(OptionFlag::AllowTourists)))
        Tell(bot, *session, FeaturesNotice(bot));
    if (alwaysEnabled) SetSessionEnabled(bot, *session, true, false);
}

void OnAvatarChange(Bot& bot) {
    AwSdk& sdk = bot.sdk;
    TTerrainSession* session = bot.sessions.FindSession(sdk.aw_int(attr::AvatarSession));
    if (!session) return;
    const int32_t oldCellX = WorldToCell(session->x, false);
    const int32_t oldCellZ = WorldToCell(session->z, false);
    session->x = sdk.aw_int(attr::AvatarX);
    session->y = sdk.aw_int(attr::AvatarY);
    session->z = sdk.aw_int(attr::AvatarZ);
    const int32_t cellX = WorldToCell(session->x, false);
    const int32_t cellZ = WorldToCell(session->z, false);
    if (session->enabled && (cellX != oldCellX || cellZ != oldCellZ))
        TerrainQueueAddArea(bot, cellX, cellZ);
}

void OnAvatarDelete(Bot& bot) {
    const int32_t number = bot.sdk.aw_int(attr::AvatarSession);
    TTerrainSession* session = bot.sessions.FindSession(number);
    if (!session) return;
    if (session->ghost) {
        session->ghost = false;
        Activity(bot, ActivityCategory::Safeguard,
                 "Duplicate ghost session number timed out on server", *session);
        return;
    }
    Activity(bot, ActivityCategory::Action, "Leaves world", *session);
    if (session->enabled) ChangeEnabledCount(bot, *session, -1);
    bot.sessions.Remove(number);
    // Nobody is left to read them, and a later user may be given the same session number.
    bot.messages.DropSession(number);
}

}  // namespace tv
