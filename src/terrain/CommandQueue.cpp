// The terrain command queue: one command per cell for show, hide, delete, detach and texture,
// carried out a few per tick on the marker objects. Every command that reached the world leaves
// a pending record that the matching world event completes.

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "journal/Journal.h"
#include "journal/Rollback.h"
#include "terrain/Reconcile.h"
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

enum class Outcome {
    Sent,     // the request went out; a pending record waits for its answer
    Nothing,  // nothing to change
    Retry,    // refused; the command stays
    Stopped,  // given up, or joined a cell waiting to be reconciled
};

TReconcileCell RequestOf(const TTerrainCommand& command) {
    return {command.CellX, command.CellZ, command.AvatarSession, command.Batch,
            command.State, command.Hole,  command.Texture,       command.Rotation};
}

// The record carries on the command's user command and refusal episode.
void Track(TTerrainCallback* record, const TTerrainCommand& command) {
    if (!record) return;
    record->Batch = command.Batch;
    record->Refusal = command.Refusal;
}

// The world refused the command's call. The debug log hears of every refusal, the activity log
// only of the first of the episode (its outcome follows later), and a command refused for more
// than 10 seconds of connected time is given up.
Outcome Refused(Bot& bot, TTerrainCommand& command, int reason, const char* failure) {
    DebugLog(bot, DebugCategory::Queue, "TerrainCommandQueueProcess: %s of %d, %d refused: %d",
             {CommandStateName(command.State), command.CellX, command.CellZ, reason});
    const bool first = command.Refusal.Attempts == 0;
    if (RefusalExpired(bot, command.Refusal, bot.ClockSeconds())) {
        GiveUpCell(bot, RequestOf(command));
        return Outcome::Stopped;
    }
    if (first)
        AddActivity(
            bot, ActivityCategory::Error,
            Format(failure, {CoordText(CellAnchor(command.CellX), CellAnchor(command.CellZ))}));
    return Outcome::Retry;
}

// Show or hide: a marker already in the wanted state needs neither a call nor a record.
Outcome ShowHide(Bot& bot, TTerrainCommand& command, TMarkerRecord& marker) {
    if (marker.Id == 0) return Outcome::Nothing;
    const bool visible = command.State == CommandState::SHOW;
    if (visible == marker.Visible) return Outcome::Nothing;
    marker.Visible = visible;
    const int reason = TerrainMarkerChange(bot, marker);
    if (reason != 0) return Refused(bot, command, reason, "Unable to change marker @ %s");
    Track(CallbackAdd(bot, command.AvatarSession, CallbackType::ShowHide, marker.CellX,
                      marker.CellZ, visible, false, 0, 0),
          command);
    return Outcome::Sent;
}

Outcome Texture(Bot& bot, TTerrainCommand& command, TMarkerRecord& marker) {
    if (marker.Id == 0) return Outcome::Nothing;
    marker.Hole = command.Hole;
    marker.Texture = command.Texture;
    marker.Rotation = command.Rotation;
    const int reason = TerrainMarkerLoad(bot, marker);
    if (reason != 0) return Refused(bot, command, reason, "Unable to build marker @ %s");
    Track(CallbackAdd(bot, command.AvatarSession, CallbackType::Texture, command.CellX,
                      command.CellZ, false, command.Hole, command.Texture, command.Rotation),
          command);
    return Outcome::Sent;
}

// Delete or detach. A cell whose marker is already gone has nothing left to wait for: no world
// event would ever complete a pending record for it.
Outcome Remove(Bot& bot, TTerrainCommand& command, TMarkerRecord& marker, bool keep) {
    if (marker.Id == 0) return Outcome::Nothing;
    const int reason = TerrainMarkerDelete(bot, marker, keep, false);
    if (reason != 0) return Refused(bot, command, reason, "Unable to delete marker @ %s");
    Track(
        CallbackAdd(bot, command.AvatarSession, keep ? CallbackType::Detach : CallbackType::Delete,
                    command.CellX, command.CellZ, false, false, 0, 0),
        command);
    return Outcome::Sent;
}

// A rollback's cell; a cell the cache does not know yet waits for its query.
Outcome Restore(Bot& bot, TTerrainCommand& command) {
    const RestoreStep step = RestoreCell(bot, command);
    switch (step.kind) {
        case RestoreStep::Kind::Sent:
            Track(step.record, command);
            return Outcome::Sent;
        case RestoreStep::Kind::Wait:
            return Outcome::Retry;
        case RestoreStep::Kind::Refused:
            return Refused(bot, command, step.reason, "Unable to restore marker @ %s");
        default:
            return Outcome::Nothing;
    }
}

Outcome Execute(Bot& bot, TTerrainCommand& command) {
    // A cell the bot forgot after a refusal is not known again until the world answered for it.
    if (JoinReconciliation(bot, RequestOf(command))) return Outcome::Stopped;
    JournalCommandStep(bot, command);
    TMarkerRecord marker;
    TerrainMarkerInit(marker);
    bot.cache.ReadMarker(marker, command.CellX, command.CellZ, -1);
    switch (command.State) {
        case CommandState::HIDE:
        case CommandState::SHOW:
            return ShowHide(bot, command, marker);
        case CommandState::DELETE:
            return Remove(bot, command, marker, false);
        case CommandState::DETACH:
            return Remove(bot, command, marker, true);
        case CommandState::TEXTURE:
            return Texture(bot, command, marker);
        case CommandState::RESTORE:
            return Restore(bot, command);
        default:
            return Outcome::Nothing;
    }
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
        case CommandState::RESTORE:
            return "RESTORE";
    }
    return "INVALID";
}

uint32_t NewCommandBatch(Bot& bot) {
    uint32_t& next = bot.world.reconcile.nextBatch;
    if (++next == 0) ++next;  // 0 means no batch
    return next;
}

TTerrainCommand* TerrainQueueCommand(Bot& bot, int32_t cellX, int32_t cellZ, CommandState state,
                                     int32_t session, bool priority, bool hole, int32_t texture,
                                     uint16_t rotation, uint32_t batch) {
    DebugLog(bot, DebugCategory::Queue, "TerrainQueueCommand %d, %d, %d, %d, %s, %s, %d, %d",
             {cellX, cellZ, static_cast<int>(state), session, BoolText(priority), BoolText(hole),
              texture, static_cast<int>(rotation)});
    if (!InCacheRows(cellZ)) return nullptr;
    auto command = std::make_unique<TTerrainCommand>();
    command->CellX = cellX;
    command->CellZ = cellZ;
    command->State = state;
    command->AvatarSession = session;
    command->Batch = batch;
    if (state == CommandState::TEXTURE) {
        command->Hole = hole;
        command->Texture = texture;
        command->Rotation = rotation;
    }
    TTerrainCommand* added = command.get();
    JournalCommandQueued(bot, *added);
    if (priority)
        bot.world.commands.AddFirst(std::move(command));
    else
        bot.world.commands.AddLast(std::move(command));
    return added;
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
            if (outcome == Outcome::Nothing) FinishCommandIfLast(bot, session, state);
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
