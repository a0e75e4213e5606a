// The cell query queue: cells the cache does not hold yet wait here and are asked of the world a
// few at a time, so that the world server is never flooded.

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

const char* BoolText(bool value) {
    return value ? "True" : "False";
}

// The world position of a cell's anchor; cells at the far ends of the 32-bit range wrap rather
// than overflow.
int32_t Anchor(int32_t cell) {
    return static_cast<int32_t>(int64_t{cell} * kCellSpan);
}

}  // namespace

uint64_t TTerrainQueryQueue::Key(int32_t cellX, int32_t cellZ) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(cellX)) << 32) |
           static_cast<uint32_t>(cellZ);
}

bool TTerrainQueryQueue::Contains(int32_t cellX, int32_t cellZ) const {
    return keys_.count(Key(cellX, cellZ)) != 0;
}

void TTerrainQueryQueue::AddFirst(int32_t cellX, int32_t cellZ) {
    Add(cellX, cellZ, true);
}

void TTerrainQueryQueue::AddLast(int32_t cellX, int32_t cellZ) {
    Add(cellX, cellZ, false);
}

void TTerrainQueryQueue::Add(int32_t cellX, int32_t cellZ, bool first) {
    auto cell = std::make_unique<TTerrainQueueCell>(TTerrainQueueCell{cellX, cellZ});
    auto [position, inserted] = keys_.insert(Key(cellX, cellZ));
    try {
        if (first)
            list_.AddFirst(std::move(cell));
        else
            list_.AddLast(std::move(cell));
    } catch (...) {
        // The list and its index must keep describing the same cells.
        if (inserted) keys_.erase(position);
        throw;
    }
}

void TTerrainQueryQueue::RemoveFirst() {
    Node* head = list_.Head();
    if (!head) return;
    keys_.erase(Key(head->Item->CellX, head->Item->CellZ));
    list_.RemoveFirst();
}

void TTerrainQueryQueue::Clear() {
    list_.Clear();
    keys_.clear();
}

int CellQuery(Bot& bot, int32_t cellX, int32_t cellZ) {
    bot.sdk.aw_int_set(attr::CellIterator, static_cast<int>(PackCellKey(cellX, cellZ)));
    bot.sdk.aw_bool_set(attr::CellCombine, false);
    return bot.sdk.aw_cell_next();
}

bool TerrainQueueFindCell(Bot& bot, int32_t cellX, int32_t cellZ) {
    DebugLog(bot, DebugCategory::Queue, "TerrainQueueFindCell %d, %d", {cellX, cellZ});
    return bot.world.queries.Contains(cellX, cellZ);
}

void TerrainQueueAddCell(Bot& bot, int32_t cellX, int32_t cellZ, bool priority) {
    if (!InCacheRows(cellZ)) return;
    if (TerrainQueueFindCell(bot, cellX, cellZ)) return;
    DebugLog(bot, DebugCategory::Queue, "TerrainQueueAddCell %d, %d (pri=%s)",
             {cellX, cellZ, BoolText(priority)});
    if (priority)
        bot.world.queries.AddFirst(cellX, cellZ);
    else
        bot.world.queries.AddLast(cellX, cellZ);
}

void TerrainQueueAddArea(Bot& bot, int32_t cellX, int32_t cellZ) {
    DebugLog(bot, DebugCategory::Queue, "TerrainQueueAddArea %d, %d", {cellX, cellZ});
    // Four cells wide and deep: the given cell is the block's third column and third row.
    // Counted in 64 bits so that a block at the edge of the 32-bit range cannot wrap.
    const int64_t size = bot.worldSize;
    for (int64_t z = int64_t{cellZ} - 2; z <= int64_t{cellZ} + 1; ++z) {
        if (z < -size || z > size) continue;
        for (int64_t x = int64_t{cellX} - 2; x <= int64_t{cellX} + 1; ++x) {
            if (x < -size || x > size) continue;
            TerrainQueueAddCell(bot, static_cast<int32_t>(x), static_cast<int32_t>(z), false);
        }
    }
}

void TerrainQueryQueueProcess(Bot& bot) {
    TTerrainQueryQueue& queue = bot.world.queries;
    if (queue.Empty()) return;
    const int32_t limit = bot.options.MaxQueries;
    int n = 0;
    while (!queue.Empty() && CallbackCount(bot, CallbackType::CellQuery) < limit && n < limit) {
        const int32_t cellX = queue.Head()->Item->CellX;
        const int32_t cellZ = queue.Head()->Item->CellZ;
        // A cell waiting to be reconciled or refreshed is asked again even though it is known.
        const TReconcileBook& book = bot.world.reconcile;
        const bool cached = bot.cache.FindCell(cellX, cellZ) != -1 && !book.Has(cellX, cellZ) &&
                            !book.refresh.count({cellX, cellZ});
        const bool pending = CallbackLookup(bot, cellX, cellZ, CallbackType::CellQuery) != nullptr;
        if (!cached && !pending) {
            queue.RemoveFirst();
            int reason = CellQuery(bot, cellX, cellZ);
            if (reason != 0) {
                DebugLog(bot, DebugCategory::Queue,
                         "TerrainQueryQueueProcess: query of \"%s\" failed, reason %d",
                         {CoordText(Anchor(cellX), Anchor(cellZ), 0, 0), reason});
                TerrainQueueAddCell(bot, cellX, cellZ, false);
                return;
            }
            CallbackAdd(bot, 0, CallbackType::CellQuery, cellX, cellZ, false, false, 0, 0);
        } else if (cached) {
            // A known cell needs no query, so dropping it takes none of the tick's turns.
            queue.RemoveFirst();
            continue;
        }
        // Otherwise the head's own query is in flight: it stays, and so does everything behind
        // it until the answer arrives or the pending record times out.
        ++n;
    }
}

}  // namespace tv
