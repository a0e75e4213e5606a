// Requests the world keeps refusing: when to stop, and how a stopped cell is made to agree with
// the world again.

#include "terrain/Reconcile.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "journal/Rollback.h"
#include "terrain/TerrainCache.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

bool SameCell(const TReconcileCell& request, int32_t cellX, int32_t cellZ) {
    return request.CellX == cellX && request.CellZ == cellZ;
}

// Whether the cell as the world holds it is what the request asked for.
bool Reached(const Bot& bot, const TReconcileCell& request, bool standing,
             const TMarkerRecord& marker) {
    switch (request.State) {
        case CommandState::RESTORE:
            return RestoreReached(bot, request.Batch, request.CellX, request.CellZ, standing,
                                  marker);
        case CommandState::DELETE:
        case CommandState::DETACH:
            return !standing;
        case CommandState::TEXTURE:
            return standing && marker.Hole == request.Hole &&
                   (request.Hole ||
                    (marker.Texture == request.Texture && marker.Rotation == request.Rotation));
        default:  // show or hide
            return standing && marker.Visible == (request.State == CommandState::SHOW);
    }
}

// Once per user command, however many of its cells stayed as they were.
void TellUnchanged(Bot& bot, const TReconcileCell& request) {
    if (request.Session == 0) return;
    if (request.Batch != 0 && !bot.world.reconcile.toldBatches.insert(request.Batch).second) return;
    Reply(bot, request.Session, "%s", {bot.language[Added::cells_unchanged_message]});
}

}  // namespace

bool TReconcileBook::Has(int32_t cellX, int32_t cellZ) const {
    return std::any_of(cells.begin(), cells.end(), [&](const TReconcileCell& request) {
        return SameCell(request, cellX, cellZ);
    });
}

bool TReconcileBook::SessionHas(int32_t session, CallbackType type) const {
    return std::any_of(cells.begin(), cells.end(), [&](const TReconcileCell& request) {
        return request.Session == session && CallbackTypeOf(request.State) == type;
    });
}

void TReconcileBook::Clear() {
    cells.clear();
    refresh.clear();
    toldBatches.clear();
}

namespace {

// What each command state means for its requests, indexed by the state.
struct StateFacts {
    CallbackType type;
    const char* verb;
    std::optional<Lang> finished;  // none: the rollback tells its user itself
};
constexpr StateFacts kStateFacts[] = {
    {CallbackType::None, "changing", Lang::show_hide_finished_message},
    {CallbackType::Delete, "deleting", Lang::delete_finished_message},
    {CallbackType::Detach, "detaching", Lang::detach_finished_message},
    {CallbackType::ShowHide, "hiding", Lang::show_hide_finished_message},
    {CallbackType::ShowHide, "showing", Lang::show_hide_finished_message},
    {CallbackType::Texture, "texturing", Lang::texture_finished_message},
    {CallbackType::Restore, "restoring", std::nullopt},
};

const StateFacts& FactsOf(CommandState state) {
    const auto index = static_cast<std::size_t>(state);
    return kStateFacts[index < std::size(kStateFacts) ? index : 0];
}

}  // namespace

CallbackType CallbackTypeOf(CommandState state) {
    return FactsOf(state).type;
}

CommandState CommandStateOf(const TTerrainCallback& record) {
    switch (record.Type) {
        case CallbackType::Delete:
            return CommandState::DELETE;
        case CallbackType::Detach:
            return CommandState::DETACH;
        case CallbackType::ShowHide:
            return record.Show ? CommandState::SHOW : CommandState::HIDE;
        case CallbackType::Texture:
            return CommandState::TEXTURE;
        case CallbackType::Restore:
            return CommandState::RESTORE;
        default:
            return CommandState::INVALID;
    }
}

const char* RefusalVerb(CommandState state) {
    return FactsOf(state).verb;
}

void FinishCommandIfLast(Bot& bot, int32_t session, CommandState state) {
    const StateFacts& facts = FactsOf(state);
    if (state == CommandState::INVALID || !facts.finished) return;
    FinishIfLast(bot, session, facts.type, bot.language[*facts.finished]);
}

bool RefusalExpired(Bot& bot, TRefusal& refusal, int32_t startedAt) {
    ++refusal.Attempts;
    if (bot.model.ConnectionState() != StatusIndex::Active) {
        // Time without the world does not count; the clock starts again once it is back.
        refusal.Timing = false;
        return false;
    }
    const uint32_t epoch = bot.world.reconcile.epoch;
    if (!refusal.Timing || refusal.Epoch != epoch) {
        refusal.Timing = true;
        refusal.Since = startedAt;
        refusal.Epoch = epoch;
    }
    return bot.ClockSeconds() - refusal.Since > kCallbackTimeoutSeconds;
}

void GiveUpCell(Bot& bot, const TReconcileCell& request) {
    AddActivity(bot, ActivityCategory::Error,
                Format("Gave up %s the marker @ %s; the cell is queried again",
                       {RefusalVerb(request.State),
                        CoordText(CellAnchor(request.CellX), CellAnchor(request.CellZ))}));
    bot.cache.ForgetCell(request.CellX, request.CellZ);
    bot.world.reconcile.cells.push_back(request);
    TerrainQueueAddCell(bot, request.CellX, request.CellZ, true);
}

bool JoinReconciliation(Bot& bot, const TReconcileCell& request) {
    if (bot.cache.FindCell(request.CellX, request.CellZ) != -1) return false;
    if (!bot.world.reconcile.Has(request.CellX, request.CellZ)) return false;
    bot.world.reconcile.cells.push_back(request);
    return true;
}

void RefreshCell(Bot& bot, int32_t cellX, int32_t cellZ) {
    if (!InCacheRows(cellZ)) return;
    bot.world.reconcile.refresh.insert({cellX, cellZ});
    TerrainQueueAddCell(bot, cellX, cellZ, false);
}

void RefreshKnownCells(Bot& bot) {
    const int32_t size = bot.cache.WorldSize();
    for (int32_t z = -size; z <= size; ++z)
        if (const TTerrainCacheZ* row = bot.cache.FindRow(z))
            for (const TTerrainCacheX& entry : row->Entries) RefreshCell(bot, entry.X, z);
}

void ForgetUnreportedMarker(Bot& bot, int32_t cellX, int32_t cellZ,
                            const std::vector<uint32_t>& reported) {
    const TTerrainCacheX* entry = bot.cache.Entry(cellX, cellZ);
    if (!entry || entry->Id == 0 ||
        std::find(reported.begin(), reported.end(), entry->Number) != reported.end())
        return;
    DebugLog(bot, DebugCategory::Cache, "ForgetUnreportedMarker %d, %d: marker %u is gone",
             {cellX, cellZ, entry->Number});
    bot.cache.ClearCell(cellX, cellZ);
    TerrainCacheSetTerrain(bot, cellX, cellZ, PackTerrain(false, 0, 0), bot.options.DefaultHeight);
}

bool ReconcileCell(Bot& bot, int32_t cellX, int32_t cellZ) {
    std::vector<TReconcileCell>& cells = bot.world.reconcile.cells;
    const auto waiting = std::stable_partition(
        cells.begin(), cells.end(),
        [&](const TReconcileCell& request) { return !SameCell(request, cellX, cellZ); });
    if (waiting == cells.end()) return false;
    const std::vector<TReconcileCell> requests(waiting, cells.end());
    cells.erase(waiting, cells.end());

    TMarkerRecord marker;
    TerrainMarkerInit(marker);
    const bool standing = bot.cache.ReadMarker(marker, cellX, cellZ, -1) != -1 && marker.Id != 0;
    // A rollback's terrain is the bot's own choice for the cell, set already.
    const bool keep = std::any_of(requests.begin(), requests.end(), [](const TReconcileCell& r) {
        return r.State == CommandState::DETACH || r.State == CommandState::RESTORE;
    });
    // The terrain follows the marker the world holds; without one it goes back to the default,
    // unless a detach asked for the terrain to stay.
    if (standing)
        ApplyMarkerTerrain(bot, marker);
    else if (!keep)
        TerrainCacheSetTerrain(bot, cellX, cellZ, PackTerrain(false, 0, 0),
                               bot.options.DefaultHeight);
    std::set<std::pair<int32_t, CommandState>> finished;
    for (const TReconcileCell& request : requests) {
        if (!Reached(bot, request, standing, marker))
            TellUnchanged(bot, request);
        else if (finished.insert({request.Session, request.State}).second)
            FinishCommandIfLast(bot, request.Session, request.State);
    }
    return true;
}

}  // namespace tv
