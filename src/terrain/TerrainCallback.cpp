// The pending-request list. A record is made only after the SDK accepted the request, and lives
// until the world event that answers it, its time-out, or the loss of the connection.

#include "terrain/TerrainCallback.h"

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Errors.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "terrain/Reconcile.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

TTerrainCallback* CallbackAdd(Bot& bot, int32_t session, CallbackType type, int32_t cellX,
                              int32_t cellZ, bool show, bool hole, int32_t texture,
                              uint16_t rotation) {
    if (!InCacheRows(cellZ)) return nullptr;
    auto record = std::make_unique<TTerrainCallback>();
    record->Session = session;
    record->CellX = cellX;
    record->CellZ = cellZ;
    record->Type = type;
    record->Time = bot.ClockSeconds();
    record->Show = show;
    record->Hole = hole;
    record->Texture = texture;
    record->Rotation = rotation;
    TTerrainCallback* added = record.get();
    bot.world.callbacks.AddLast(std::move(record));
    return added;
}

TTerrainCallback* CallbackLookup(Bot& bot, int32_t cellX, int32_t cellZ, CallbackType type) {
    return bot.world.callbacks.Find(cellX, cellZ, type);
}

TTerrainCallback& CallbackFind(Bot& bot, int32_t cellX, int32_t cellZ, CallbackType type) {
    TTerrainCallback* record = CallbackLookup(bot, cellX, cellZ, type);
    if (!record) throw ETerrainNoCallback(cellX, cellZ, static_cast<int>(type));
    return *record;
}

void CallbackDelete(Bot& bot, int32_t cellX, int32_t cellZ, CallbackType type) {
    if (TTerrainCallback* record = CallbackLookup(bot, cellX, cellZ, type))
        bot.world.callbacks.RemoveItem(record);
}

void CallbackRemove(Bot& bot, const TTerrainCallback& record) {
    bot.world.callbacks.RemoveItem(&record);
}

int CallbackCount(Bot& bot, CallbackType type) {
    return bot.world.callbacks.CountOf(type);
}

bool CallbackSessionHasType(Bot& bot, int32_t session, CallbackType type) {
    for (auto* node = bot.world.callbacks.Head(); node; node = node->Next)
        if (node->Item->Session == session && node->Item->Type == type) return true;
    return false;
}

bool CallbackSessionHasAny(Bot& bot, int32_t session) {
    for (auto* node = bot.world.callbacks.Head(); node; node = node->Next)
        if (node->Item->Session == session) return true;
    return false;
}

void CallbackComplete(Bot& bot, const TMarkerRecord& marker, CallbackType type,
                      const std::string& text) {
    TTerrainCallback* record = CallbackLookup(bot, marker.CellX, marker.CellZ, type);
    if (!record) return;
    const int32_t session = record->Session;
    // A refusal episode ends here: the operator saw its first refusal, so sees its outcome too.
    if (record->Refusal.Attempts > 0)
        AddActivity(bot, ActivityCategory::Message,
                    Format("Finished %s the marker @ %s after %d refusals",
                           {RefusalVerb(CommandStateOf(*record)),
                            CoordText(CellAnchor(record->CellX), CellAnchor(record->CellZ)),
                            record->Refusal.Attempts}));
    CallbackRemove(bot, *record);
    FinishIfLast(bot, session, type, text);
}

void FinishIfLast(Bot& bot, int32_t session, CallbackType type, const std::string& text) {
    // Only the last request of a kind is announced, and only when nothing of the user waits.
    if (session == 0 || CallbackSessionHasType(bot, session, type)) return;
    if (TerrainCommandQueueNumberFromSessionBool(bot, session)) return;
    if (bot.world.reconcile.SessionHas(session, type)) return;
    Reply(bot, session, "%s", {text});
}

void TerrainCallbackReAdd(Bot& bot, const TTerrainCallback& record) {
    DebugLog(bot, DebugCategory::Callback, "TerrainCallbackReAdd: %d %d [%d]",
             {record.CellX, record.CellZ, static_cast<int>(record.Type)});
    // The command carries on the request's user command and refusal episode.
    auto command = [&](CommandState state, bool hole, int32_t texture, uint16_t rotation) {
        if (TTerrainCommand* added =
                TerrainQueueCommand(bot, record.CellX, record.CellZ, state, record.Session, true,
                                    hole, texture, rotation, record.Batch))
            added->Refusal = record.Refusal;
    };
    switch (record.Type) {
        case CallbackType::Delete:
            command(CommandState::DELETE, false, 0, 0);
            break;
        case CallbackType::Detach:
            command(CommandState::DETACH, false, 0, 0);
            break;
        case CallbackType::ShowHide:
            command(record.Show ? CommandState::SHOW : CommandState::HIDE, false, 0, 0);
            break;
        case CallbackType::Texture:
            command(CommandState::TEXTURE, record.Hole, record.Texture, record.Rotation);
            break;
        case CallbackType::Restore:
            command(CommandState::RESTORE, false, 0, 0);
            break;
        case CallbackType::CellQuery:
            TerrainQueueAddCell(bot, record.CellX, record.CellZ, false);
            break;
        default:
            DebugLog(bot, DebugCategory::Callback, "TerrainCallbackReAdd: bad callback!");
            break;
    }
}

void CallbackReAddAll(Bot& bot) {
    TTerrainCallbackList& list = bot.world.callbacks;
    for (auto* node = list.Head(); node; node = node->Next) {
        const TTerrainCallback& record = *node->Item;
        // A textured copy may stand already though its answer was lost: built again, the cell
        // would hold two markers, one unknown to the bot. The world is asked what it holds.
        if (record.Type == CallbackType::Texture)
            GiveUpCell(bot, {record.CellX, record.CellZ, record.Session, record.Batch,
                             CommandState::TEXTURE, record.Hole, record.Texture, record.Rotation});
        else if (record.Type != CallbackType::None)
            TerrainCallbackReAdd(bot, record);
    }
    list.Clear();
}

void CallbackTimeouts(Bot& bot) {
    TTerrainCallbackList& list = bot.world.callbacks;
    const int32_t now = bot.ClockSeconds();
    auto* node = list.Head();
    while (node) {
        auto* next = node->Next;
        TTerrainCallback& record = *node->Item;
        if (now - record.Time > kCallbackTimeoutSeconds) {
            // A request left unanswered all along while connected has been refused long enough.
            const CommandState state = CommandStateOf(record);
            if (state != CommandState::INVALID && RefusalExpired(bot, record.Refusal, record.Time))
                GiveUpCell(bot, {record.CellX, record.CellZ, record.Session, record.Batch, state,
                                 record.Hole, record.Texture, record.Rotation});
            else
                TerrainCallbackReAdd(bot, record);
            list.RemoveNode(node);
        }
        node = next;
    }
}

}  // namespace tv
