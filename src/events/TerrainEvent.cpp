// The world's object, cell and chat events. Object events keep the cache in step with the marker
// objects in the world, a cell query's events fill the cache cell by cell, a click on a marker
// applies the user's click mode, and prefixed chat lines go to the command dispatcher.

#include "events/TerrainEvent.h"

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Connection.h"
#include "app/MessageQueue.h"
#include "commands/TerrainCommand.h"
#include "commands/TerrainRights.h"
#include "events/SessionTable.h"
#include "terrain/MarkerIntake.h"
#include "terrain/Reconcile.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

inline constexpr const char* kCommandPrefix = "t:";

const char* BoolText(bool value) {
    return value ? "True" : "False";
}

int32_t Anchor(int32_t cell) {
    return static_cast<int32_t>(int64_t{cell} * kCellSpan);
}

bool IsMarkerObject(Bot& bot) {
    return bot.sdk.aw_int(attr::ObjectType) == 0 &&
           SameText(bot.sdk.aw_string(attr::ObjectModel), kMarkerModel);
}

// The marker record of the object the current event describes.
TMarkerRecord DefineFromEvent(Bot& bot) {
    AwSdk& sdk = bot.sdk;
    TMarkerRecord marker;
    TerrainMarkerInit(marker);
    TerrainCacheMarkerDefine(bot, marker, sdk.aw_int(attr::ObjectX), sdk.aw_int(attr::ObjectY),
                             sdk.aw_int(attr::ObjectZ), sdk.aw_int(attr::ObjectId),
                             sdk.aw_string(attr::ObjectDescription),
                             sdk.aw_string(attr::ObjectAction), sdk.aw_int(attr::ObjectOwner),
                             sdk.aw_int(attr::ObjectTimestamp),
                             static_cast<uint32_t>(sdk.aw_int(attr::ObjectNumber)));
    return marker;
}

void AddFromEvent(Bot& bot, TMarkerRecord& marker, bool live) {
    AwSdk& sdk = bot.sdk;
    TerrainCacheMarkerAdd(bot, marker, sdk.aw_int(attr::ObjectYaw), sdk.aw_int(attr::ObjectTilt),
                          sdk.aw_int(attr::ObjectRoll), live);
}

struct ClickMode {
    const char* verb;
    Lang reply;
};

// The click modes a user can choose; any other value has no meaning for a click.
bool ClickModeOf(uint8_t mode, ClickMode& out) {
    switch (static_cast<CommandState>(mode)) {
        case CommandState::DELETE:
            out = {"Deletes", Lang::click_delete_message};
            return true;
        case CommandState::DETACH:
            out = {"Detaches", Lang::click_detach_message};
            return true;
        case CommandState::HIDE:
            out = {"Hides", Lang::click_hide_message};
            return true;
        case CommandState::SHOW:
            out = {"Shows", Lang::click_show_message};
            return true;
        default:
            return false;
    }
}

// The clicking user's gates and the queued command; the marker itself is already known.
void ApplyClick(Bot& bot, int32_t cellX, int32_t cellZ, int32_t owner) {
    AwSdk& sdk = bot.sdk;
    TTerrainSession* session = bot.sessions.FindSession(sdk.aw_int(attr::AvatarSession));
    if (!session) return;
    if (!sdk.aw_has_world_right(session->privilege, right::Terrain)) return;
    if (!TerrainRightsCheckSession(bot, *session)) return;
    // A click is work asked of the bot, like a command: a flood of clicks ejects too.
    FloodCheck(bot, session->session);
    if (IsFloodEjected(bot, session->session)) return;
    if (!session->enabled) {
        Reply(bot, session->session, "%s", {bot.language[Lang::not_enabled_message]});
        return;
    }
    if (owner != session->privilege &&
        !sdk.aw_has_world_right(session->privilege, right::EminentDomain)) {
        Reply(bot, session->session, "%s", {bot.language[Lang::click_no_ed_message]});
        return;
    }
    ClickMode mode{};
    if (!ClickModeOf(session->clickMode, mode)) {
        // No command without a meaning: refuse rather than queue a state nobody chose.
        Reply(bot, session->session, "%s", {bot.language[Lang::invalid_clickmode]});
        return;
    }
    TerrainQueueCommand(bot, cellX, cellZ, static_cast<CommandState>(session->clickMode),
                        session->session, false, false, 0, 0, NewCommandBatch(bot));
    // A click is terrain work: it keeps the session from idling out.
    TouchSession(bot, *session);
    const std::string where = CoordText(Anchor(cellX), Anchor(cellZ), 0, 0);
    AddActivity(bot, ActivityCategory::Command, Format("%s by click at %s", {mode.verb, where}),
                session->privilege, session->name);
    Reply(bot, session->session, "%s %s", {bot.language[mode.reply], where});
}

}  // namespace

void TerrainEventSet(Bot& bot) {
    DebugLog(bot, DebugCategory::Event, "TerrainEventSet");
    AwSdk& sdk = bot.sdk;
    sdk.aw_callback_set(callback::ObjectResult,
                        [&bot](int reason) { TerrainCallbackObjectResult(bot, reason); });
    sdk.aw_callback_set(callback::CellResult,
                        [&bot](int reason) { TerrainCallbackCellResult(bot, reason); });
    sdk.aw_callback_set(callback::TerrainSetResult,
                        [&bot](int reason) { TerrainCallbackTerrainSetResult(bot, reason); });
    sdk.aw_event_set(event::ObjectAdd, [&bot] { TerrainEventObjectAdd(bot); });
    sdk.aw_event_set(event::ObjectDelete, [&bot] { TerrainEventObjectDelete(bot); });
    sdk.aw_event_set(event::ObjectSelect, [&bot] { TerrainEventObjectSelect(bot); });
    sdk.aw_event_set(event::ObjectClick, [&bot] { TerrainEventObjectClick(bot); });
    sdk.aw_event_set(event::CellObject, [&bot] { TerrainEventCellObject(bot); });
    sdk.aw_event_set(event::CellBegin, [&bot] { TerrainEventCellBegin(bot); });
    sdk.aw_event_set(event::CellEnd, [&bot] { TerrainEventCellEnd(bot); });
    sdk.aw_event_set(event::Chat, [&bot] { TerrainEventChat(bot); });
    sdk.aw_event_set(event::WorldDisconnect, [&bot] { OnWorldDisconnect(bot); });
    sdk.aw_event_set(event::WorldAttributes, [&bot] { OnWorldAttributes(bot); });
}

void TerrainCallbackObjectResult(Bot& bot, int reason) {
    if (reason != 0)
        DebugLog(bot, DebugCategory::Event, "TerrainCallbackObjectResult: %d", {reason});
}

void TerrainCallbackCellResult(Bot& bot, int reason) {
    if (reason != 0) DebugLog(bot, DebugCategory::Event, "TerrainCallbackCellResult: %d", {reason});
}

void TerrainCallbackTerrainSetResult(Bot& bot, int reason) {
    if (reason != 0)
        DebugLog(bot, DebugCategory::Event, "TerrainCallbackTerrainSetResult: %d", {reason});
}

void TerrainEventObjectAdd(Bot& bot) {
    DebugLog(bot, DebugCategory::Event, "TerrainEventObjectAdd [CellIgnore = %s, ObjectType = %d]",
             {BoolText(bot.cellQuery.CellIgnore), bot.sdk.aw_int(attr::ObjectType)});
    if (bot.cellQuery.CellIgnore || !IsMarkerObject(bot)) return;
    TMarkerRecord marker = DefineFromEvent(bot);
    AddFromEvent(bot, marker, true);
    // Any marker added in a cell answers the cell's pending show, hide or texture request.
    CallbackComplete(bot, marker, CallbackType::ShowHide,
                     bot.language[Lang::show_hide_finished_message]);
    CallbackComplete(bot, marker, CallbackType::Texture,
                     bot.language[Lang::texture_finished_message]);
}

void TerrainEventObjectDelete(Bot& bot) {
    AwSdk& sdk = bot.sdk;
    DebugLog(bot, DebugCategory::Event, "TerrainEventObjectDelete %.8X (%d)",
             {static_cast<unsigned>(sdk.aw_int(attr::ObjectNumber)), sdk.aw_int(attr::ObjectId)});
    TerrainCacheMarkerDelete(bot, sdk.aw_int(attr::CellX), sdk.aw_int(attr::CellZ),
                             sdk.aw_int(attr::ObjectId));
}

void TerrainEventObjectSelect(Bot& bot) {
    const int32_t cellX = bot.sdk.aw_int(attr::CellX);
    const int32_t cellZ = bot.sdk.aw_int(attr::CellZ);
    DebugLog(bot, DebugCategory::Event, "TerrainEventObjectSelect %s",
             {CoordText(Anchor(cellX), Anchor(cellZ), 0, 0)});
    if (bot.cache.FindCell(cellX, cellZ) == -1) TerrainQueueAddCell(bot, cellX, cellZ, true);
}

void TerrainEventObjectClick(Bot& bot) {
    AwSdk& sdk = bot.sdk;
    if (!IsMarkerObject(bot)) return;
    const int32_t cellX = sdk.aw_int(attr::CellX);
    const int32_t cellZ = sdk.aw_int(attr::CellZ);
    const int32_t owner = sdk.aw_int(attr::ObjectOwner);
    DebugLog(bot, DebugCategory::Event, "TerrainEventObjectClick: %s owner (%d)",
             {CoordText(Anchor(cellX), Anchor(cellZ), 0, 0), owner});
    const int index = bot.cache.FindCell(cellX, cellZ);
    DebugLog(bot, DebugCategory::Event, "TerrainEventObjectClick: got CellXIndex \"%d\"", {index});
    if (index == -1) {
        TerrainEventCellObject(bot);
    } else {
        TMarkerRecord cached;
        TerrainMarkerInit(cached);
        if (bot.cache.ReadMarker(cached, cellX, cellZ, index) != -1 &&
            cached.Id != sdk.aw_int(attr::ObjectId)) {
            // Not the marker the cache knows for this cell: learn it, do not act on it.
            TerrainEventCellObject(bot);
            return;
        }
    }
    ApplyClick(bot, cellX, cellZ, owner);
}

void TerrainEventCellBegin(Bot& bot) {
    const int32_t cellX = bot.sdk.aw_int(attr::CellX);
    const int32_t cellZ = bot.sdk.aw_int(attr::CellZ);
    CellQueryState& state = bot.cellQuery;
    // Only z selects a cache row, so only z decides whether the cell's objects are taken.
    if (!InWorldRange(cellZ, bot.worldSize)) {
        state.CellIgnore = true;
        return;
    }
    state.CurCellX = cellX;
    state.CurCellZ = cellZ;
    state.CellIgnore = false;
    bot.cache.CellHadMarker = false;
}

void TerrainEventCellObject(Bot& bot) {
    if (bot.cellQuery.CellIgnore) return;
    DebugLog(bot, DebugCategory::Event, "TerrainEventCellObject");
    if (!IsMarkerObject(bot)) return;
    TMarkerRecord marker = DefineFromEvent(bot);
    AddFromEvent(bot, marker, false);
}

void TerrainEventCellEnd(Bot& bot) {
    const CellQueryState& state = bot.cellQuery;
    if (state.CellIgnore) return;
    CallbackDelete(bot, state.CurCellX, state.CurCellZ, CallbackType::CellQuery);
    const bool known = bot.cache.FindCell(state.CurCellX, state.CurCellZ) != -1;
    // No marker arrived: the cell is known to be empty.
    if (!known) bot.cache.ClearCell(state.CurCellX, state.CurCellZ);
    if (ReconcileCell(bot, state.CurCellX, state.CurCellZ)) return;
    if (!known || !bot.cache.CellHadMarker) return;
    if (const TTerrainCacheX* entry = bot.cache.Entry(state.CurCellX, state.CurCellZ))
        TerrainCacheSetTerrain(bot, state.CurCellX, state.CurCellZ, entry->Terrain, entry->Height);
}

void TerrainEventChat(Bot& bot) {
    const int32_t number = bot.sdk.aw_int(attr::ChatSession);
    TTerrainSession* session = bot.sessions.FindSession(number);
    if (!session) return;
    const std::string text = LowerAscii(bot.sdk.aw_string(attr::ChatText));
    const std::string prefix = kCommandPrefix;
    if (text.compare(0, prefix.size(), prefix) != 0) return;
    const std::string rest = text.substr(prefix.size());
    if (!TerrainRightsCheckSession(bot, *session)) return;
    if (rest.empty()) return;
    FloodCheck(bot, number);
    if (IsFloodEjected(bot, number)) return;
    ProcessCommand(bot, *session, rest);
}

}  // namespace tv
