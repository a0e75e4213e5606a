// The terrain command queue: one command per cell for show, hide, delete, detach and texture,
// carried out a few per tick on the marker objects. Every command that reached the world leaves
// a pending record that the matching world event completes.

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

const char* BoolText(bool value) {
    return value ? "True" : "False";
}

void LogCommand(Bot& bot, const TTerrainCommand& command) {
    DebugLog(bot, DebugCategory::Queue, "TerrainCommandQueueProcess: request %p",
             {static_cast<const void*>(&command)});
    DebugLog(bot, DebugCategory::Queue, "TerrainCommandQueueProcess:     CellX         = %d",
             {command.CellX});
    DebugLog(bot, DebugCategory::Queue, "TerrainCommandQueueProcess:     CellZ         = %d",
             {command.CellZ});
    DebugLog(bot, DebugCategory::Queue, "TerrainCommandQueueProcess:     CommandState  = %s",
             {CommandStateName(command.State)});
    DebugLog(bot, DebugCategory::Queue, "TerrainCommandQueueProcess:     AvatarSession = %d",
             {command.AvatarSession});
}

// Show or hide: a marker already in the wanted state needs neither a call nor a record.
void ShowHide(Bot& bot, const TTerrainCommand& command, TMarkerRecord& marker) {
    if (marker.Id == 0) return;
    const bool visible = command.State == CommandState::SHOW;
    if (visible == marker.Visible) return;
    marker.Visible = visible;
    TerrainMarkerChange(bot, marker);
    CallbackAdd(bot, command.AvatarSession, CallbackType::ShowHide, marker.CellX, marker.CellZ,
                visible, false, 0, 0);
}

void Texture(Bot& bot, const TTerrainCommand& command, TMarkerRecord& marker) {
    if (marker.Id == 0) return;
    marker.Hole = command.Hole;
    marker.Texture = command.Texture;
    marker.Rotation = command.Rotation;
    TerrainMarkerLoad(bot, marker);
    CallbackAdd(bot, command.AvatarSession, CallbackType::Texture, command.CellX, command.CellZ,
                false, command.Hole, command.Texture, command.Rotation);
}

enum class Outcome { Done, Retry, DoneWithoutMarker };

// A delete the world keeps refusing while the connection is up means the cache no longer matches
// the world (the answer to an earlier delete was lost with a connection, say). Retrying would go
// on forever, so after the pending-request time-out the cell is forgotten and queried afresh.
bool GiveUpDelete(Bot& bot, TTerrainCommand& command, bool keep) {
    const int32_t now = bot.ClockSeconds();
    if (command.FailingSince == 0) command.FailingSince = now;
    if (now - command.FailingSince <= kCallbackTimeoutSeconds) return false;
    if (bot.model.ConnectionState() != StatusIndex::Active) return false;
    bot.cache.ForgetCell(command.CellX, command.CellZ);
    TerrainQueueAddCell(bot, command.CellX, command.CellZ, false);
    // The user is told the work is done, so the cell looks as a finished delete leaves it.
    if (!keep)
        TerrainCacheSetTerrain(bot, command.CellX, command.CellZ, 0, bot.options.DefaultHeight);
    AddActivity(bot, ActivityCategory::Error,
                Format("Gave up deleting the marker @ %s; the cell is queried again",
                       {CoordText(CellAnchor(command.CellX), CellAnchor(command.CellZ))}));
    return true;
}

// Delete or detach. A cell whose marker is already gone has nothing left to wait for: no world
// event would ever complete a pending record for it.
Outcome Remove(Bot& bot, TTerrainCommand& command, TMarkerRecord& marker, bool keep) {
    if (marker.Id == 0) return Outcome::DoneWithoutMarker;
    if (TerrainMarkerDelete(bot, marker, keep) != 0)
        return GiveUpDelete(bot, command, keep) ? Outcome::DoneWithoutMarker : Outcome::Retry;
    CallbackAdd(bot, command.AvatarSession, keep ? CallbackType::Detach : CallbackType::Delete,
                command.CellX, command.CellZ, false, false, 0, 0);
    return Outcome::Done;
}

Outcome Execute(Bot& bot, TTerrainCommand& command) {
    TMarkerRecord marker;
    TerrainMarkerInit(marker);
    bot.cache.ReadMarker(marker, command.CellX, command.CellZ, -1);
    switch (command.State) {
        case CommandState::HIDE:
        case CommandState::SHOW:
            ShowHide(bot, command, marker);
            break;
        case CommandState::DELETE:
            return Remove(bot, command, marker, false);
        case CommandState::DETACH:
            return Remove(bot, command, marker, true);
        case CommandState::TEXTURE:
            Texture(bot, command, marker);
            break;
        case CommandState::INVALID:
            break;
    }
    return Outcome::Done;
}

// The user's delete or detach finished without a world event: tell them when it was their last
// work of that kind, as a completion would.
void FinishWithoutMarker(Bot& bot, int32_t session, CommandState state) {
    if (session == 0) return;
    const bool detach = state == CommandState::DETACH;
    const CallbackType type = detach ? CallbackType::Detach : CallbackType::Delete;
    if (CallbackSessionHasType(bot, session, type)) return;
    if (TerrainCommandQueueNumberFromSessionBool(bot, session)) return;
    Reply(bot, session, "%s",
          {bot.language[detach ? Lang::detach_finished_message : Lang::delete_finished_message]});
}

}  // namespace

TTerrainCommandQueue::Node* TTerrainCommandQueue::AddFirst(
    std::unique_ptr<TTerrainCommand> command) {
    const TTerrainCommand& counted = *command;
    Node* node = list_.AddFirst(std::move(command));
    Counted(counted, 1);
    return node;
}

TTerrainCommandQueue::Node* TTerrainCommandQueue::AddLast(
    std::unique_ptr<TTerrainCommand> command) {
    const TTerrainCommand& counted = *command;
    Node* node = list_.AddLast(std::move(command));
    Counted(counted, 1);
    return node;
}

void TTerrainCommandQueue::RemoveNode(Node* node) {
    Counted(*node->Item, -1);
    list_.RemoveNode(node);
}

void TTerrainCommandQueue::RemoveFirst() {
    if (Node* head = list_.Head()) RemoveNode(head);
}

void TTerrainCommandQueue::Clear() {
    list_.Clear();
    perSession_.clear();
}

int TTerrainCommandQueue::CountOf(int32_t session) const {
    auto found = perSession_.find(session);
    return found == perSession_.end() ? 0 : found->second;
}

void TTerrainCommandQueue::Counted(const TTerrainCommand& command, int delta) {
    auto [entry, added] = perSession_.try_emplace(command.AvatarSession, 0);
    entry->second += delta;
    if (entry->second == 0) perSession_.erase(entry);
}

const char* CommandStateName(CommandState state) {
    switch (state) {
        case CommandState::INVALID:
            return "INVALID";
        case CommandState::DELETE:
            return "DELETE";
        case CommandState::DETACH:
            return "DETACH";
        case CommandState::HIDE:
            return "HIDE";
        case CommandState::SHOW:
            return "SHOW";
        case CommandState::TEXTURE:
            return "TEXTURE";
    }
    return "INVALID";
}

void TerrainQueueCommand(Bot& bot, int32_t cellX, int32_t cellZ, CommandState state,
                         int32_t session, bool priority, bool hole, int32_t texture,
                         uint16_t rotation) {
    DebugLog(bot, DebugCategory::Queue, "TerrainQueueCommand %d, %d, %d, %d, %s, %s, %d, %d",
             {cellX, cellZ, static_cast<int>(state), session, BoolText(priority), BoolText(hole),
              texture, static_cast<int>(rotation)});
    if (!InCacheRows(cellZ)) return;
    auto command = std::make_unique<TTerrainCommand>();
    command->CellX = cellX;
    command->CellZ = cellZ;
    command->State = state;
    command->AvatarSession = session;
    if (state == CommandState::TEXTURE) {
        command->Hole = hole;
        command->Texture = texture;
        command->Rotation = rotation;
    }
    if (priority)
        bot.world.commands.AddFirst(std::move(command));
    else
        bot.world.commands.AddLast(std::move(command));
}

void TerrainCommandQueueProcess(Bot& bot) {
    TTerrainCommandQueue& queue = bot.world.commands;
    if (queue.Empty()) return;
    const int32_t limit = bot.options.MaxCommands;
    int n = 0;
    TTerrainCommandQueue::Node* node = queue.Head();
    DebugLog(bot, DebugCategory::Queue, "TerrainCommandQueueProcess");
    // The in-flight cell queries pace the commands too: both load the same world server.
    while (!queue.Empty() && CallbackCount(bot, CallbackType::CellQuery) < limit && n < limit) {
        TTerrainCommand& command = *node->Item;
        LogCommand(bot, command);
        const Outcome outcome = Execute(bot, command);
        if (outcome == Outcome::Retry) {
            // A failed command at the tail is met again by the next iteration.
            queue.Next(node);
        } else {
            const int32_t session = command.AvatarSession;
            const CommandState state = command.State;
            queue.RemoveNode(node);
            if (outcome == Outcome::DoneWithoutMarker) FinishWithoutMarker(bot, session, state);
            node = queue.Head();
        }
        ++n;
    }
}

int TerrainCommandQueueNumberFromSession(Bot& bot, int32_t session) {
    if (session != 0)
        DebugLog(bot, DebugCategory::Queue, "TerrainCommandQueueNumberFromSession %d", {session});
    const TTerrainCommandQueue& queue = bot.world.commands;
    if (session == 0) return static_cast<int>(queue.Count());
    return queue.CountOf(session);
}

bool TerrainCommandQueueNumberFromSessionBool(Bot& bot, int32_t session) {
    DebugLog(bot, DebugCategory::Queue, "TerrainCommandQueueNumberFromSessionBool %d", {session});
    const TTerrainCommandQueue& queue = bot.world.commands;
    if (session == 0) return !queue.Empty();
    return queue.CountOf(session) > 0;
}

}  // namespace tv
