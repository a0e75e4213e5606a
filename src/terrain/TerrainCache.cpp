#include "terrain/TerrainCache.h"

#include <algorithm>
#include <cassert>

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "terrain/Repairs.h"
#include "journal/Journal.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

constexpr std::size_t kRowCount = static_cast<std::size_t>(kMaxCacheRow - kMinCacheRow + 1);
// Below this many entries a row is scanned; from it on, searched by halves.
constexpr std::size_t kBinarySearchFrom = 15;

std::size_t RowIndex(int32_t cellZ) {
    return static_cast<std::size_t>(cellZ - kMinCacheRow);
}

// The world's rows clipped to the rows the cache can hold.
int32_t FirstWorldRow(int32_t worldSize) {
    return std::max(-worldSize, kMinCacheRow);
}
int32_t LastWorldRow(int32_t worldSize) {
    return std::min(worldSize, kMaxCacheRow);
}

bool ValidIndex(const TTerrainCacheZ* row, int index) {
    return row && index >= 0 && static_cast<std::size_t>(index) < row->Entries.size();
}

}  // namespace

void TerrainMarkerInit(TMarkerRecord& marker) {
    marker = TMarkerRecord{};
    marker.Valid = true;
    marker.Visible = true;
}

TTerrainCache::TTerrainCache() : rows_(kRowCount) {}

TTerrainCache::~TTerrainCache() = default;

TTerrainCacheZ* TTerrainCache::Row(int32_t cellZ) {
    if (!InCacheRows(cellZ)) return nullptr;
    auto& row = rows_[RowIndex(cellZ)];
    if (!row) row = std::make_unique<TTerrainCacheZ>();
    return row.get();
}

const TTerrainCacheZ* TTerrainCache::FindRow(int32_t cellZ) const {
    if (!InCacheRows(cellZ)) return nullptr;
    return rows_[RowIndex(cellZ)].get();
}

void TTerrainCache::CreateRows() {
    for (int32_t z = FirstWorldRow(worldSize_); z <= LastWorldRow(worldSize_); ++z) Row(z);
}

void TTerrainCache::SetWorldSize(int32_t worldSize) {
    if (worldSize == worldSize_) return;
    worldSize_ = worldSize;
    // Other rows count now: the one full scan of a login into a world of another size.
    keptMarkers_ = RecountMarkers();
}

void TTerrainCache::Clear() {
    for (auto& row : rows_) row.reset();
    keptMarkers_ = 0;
}

int TTerrainCache::FindCell(int32_t cellX, int32_t cellZ) const {
    const TTerrainCacheZ* row = FindRow(cellZ);
    if (!row) return -1;
    const TTerrainCacheXList& entries = row->Entries;
    const std::size_t n = entries.size();
    if (n < kBinarySearchFrom) {
        for (std::size_t i = 0; i < n; ++i) {
            if (entries[i].X == cellX) return static_cast<int>(i);
            if (entries[i].X > cellX) return -1;
        }
        return -1;
    }
    std::size_t lo = 0;
    std::size_t hi = n - 1;
    for (;;) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (mid == lo) {
            if (entries[lo].X == cellX) return static_cast<int>(lo);
            if (entries[hi].X == cellX) return static_cast<int>(hi);
            return -1;
        }
        if (cellX < entries[mid].X)
            hi = mid;
        else
            lo = mid;
    }
}

int TTerrainCache::InsertCell(int32_t cellX, int32_t cellZ) {
    TTerrainCacheZ* row = Row(cellZ);
    if (!row) return -1;
    TTerrainCacheXList& entries = row->Entries;
    auto at = std::lower_bound(entries.begin(), entries.end(), cellX,
                               [](const TTerrainCacheX& entry, int32_t x) { return entry.X < x; });
    // A row holds one entry per cell: asking again gives the entry that is there.
    if (at != entries.end() && at->X == cellX) return static_cast<int>(at - entries.begin());
    TTerrainCacheX entry;
    entry.X = cellX;
    at = entries.insert(at, entry);
    ++queriedCells_;
    CountersChanged();
    return static_cast<int>(at - entries.begin());
}

void TTerrainCache::ClearCell(int32_t cellX, int32_t cellZ) {
    if (!InCacheRows(cellZ)) return;
    int index = FindCell(cellX, cellZ);
    if (index == -1) index = InsertCell(cellX, cellZ);
    TTerrainCacheX& entry = Row(cellZ)->Entries[static_cast<std::size_t>(index)];
    const bool hadMarker = entry.Id != 0;
    entry.HasMarker = false;
    entry.Id = 0;
    entry.Owner = 0;
    entry.Timestamp = 0;
    entry.Number = 0;
    entry.ChangePending = false;
    if (hadMarker) {
        MarkerChanged(cellZ, -1);
        CountMarkers();
    }
}

void TTerrainCache::ForgetCell(int32_t cellX, int32_t cellZ) {
    const int index = FindCell(cellX, cellZ);
    if (index == -1) return;
    TTerrainCacheXList& entries = Row(cellZ)->Entries;
    const bool hadMarker = entries[static_cast<std::size_t>(index)].Id != 0;
    entries.erase(entries.begin() + index);
    --queriedCells_;
    if (hadMarker) {
        MarkerChanged(cellZ, -1);
        CountMarkers();
    } else {
        CountersChanged();
    }
}

int TTerrainCache::StoreMarker(const TMarkerRecord& marker, int index) {
    TTerrainCacheZ* row = Row(marker.CellZ);
    if (!row) return -1;
    // An index that does not name this cell's entry is looked up again rather than trusted.
    if (ValidIndex(row, index) && row->Entries[static_cast<std::size_t>(index)].X != marker.CellX)
        index = -1;
    if (!ValidIndex(row, index)) index = -1;
    if (index == -1) {
        index = FindCell(marker.CellX, marker.CellZ);
        if (index == -1) index = InsertCell(marker.CellX, marker.CellZ);
    }
    TTerrainCacheX& entry = row->Entries[static_cast<std::size_t>(index)];
    // The count changes only when the cell gains or loses its marker.
    const bool recount = (entry.Id == 0) != (marker.Id == 0);
    entry.HasMarker = true;
    entry.ChangePending = false;
    entry.X = marker.CellX;
    entry.Id = marker.Id;
    entry.Terrain = PackTerrain(marker.Hole, marker.Texture, marker.Rotation);
    entry.Texture = marker.Texture;
    entry.Height = marker.Height;
    entry.Owner = marker.Owner;
    entry.Timestamp = marker.Timestamp;
    entry.Visible = marker.Visible;
    entry.Number = marker.Number;
    if (recount) {
        MarkerChanged(marker.CellZ, marker.Id != 0 ? 1 : -1);
        CountMarkers();
    }
    return index;
}

int TTerrainCache::ReadMarker(TMarkerRecord& marker, int32_t cellX, int32_t cellZ,
                              int index) const {
    marker.CellX = cellX;
    marker.CellZ = cellZ;
    marker.X = CellAnchor(cellX);
    marker.Z = CellAnchor(cellZ);
    if (index == -1) index = FindCell(cellX, cellZ);
    const TTerrainCacheZ* row = FindRow(cellZ);
    if (index == -1 || !InWorldRange(cellZ, worldSize_) || !ValidIndex(row, index) ||
        row->Entries[static_cast<std::size_t>(index)].X != cellX) {
        marker.Valid = false;
        marker.Owner = 0;
        marker.Id = 0;
        marker.Height = 0;
        marker.Timestamp = 0;
        marker.Number = 0;
        marker.Visible = true;
        marker.Hole = false;
        marker.Rotation = rotation::None;
        marker.Texture = defaultTexture_;
        return -1;
    }
    const TTerrainCacheX& entry = row->Entries[static_cast<std::size_t>(index)];
    marker.Owner = entry.Owner;
    marker.Id = entry.Id;
    marker.Height = entry.Height;
    marker.Timestamp = entry.Timestamp;
    marker.Visible = entry.Visible;
    marker.Number = entry.Number;
    UnpackTerrain(entry.Terrain, defaultTexture_, marker.Hole, marker.Texture, marker.Rotation);
    // The packed value keeps only the low 8 bits of the texture; the entry remembers the whole
    // number, which is used as long as it still agrees with the packed value.
    if (!marker.Hole && (entry.Texture & 0xFF) == marker.Texture) marker.Texture = entry.Texture;
    return index;
}

TTerrainCacheX* TTerrainCache::Entry(int32_t cellX, int32_t cellZ) {
    const int index = FindCell(cellX, cellZ);
    if (index == -1) return nullptr;
    return &rows_[RowIndex(cellZ)]->Entries[static_cast<std::size_t>(index)];
}

const TTerrainCacheX* TTerrainCache::Entry(int32_t cellX, int32_t cellZ) const {
    const int index = FindCell(cellX, cellZ);
    if (index == -1) return nullptr;
    return &rows_[RowIndex(cellZ)]->Entries[static_cast<std::size_t>(index)];
}

int32_t TTerrainCache::RecountMarkers() const {
    int32_t count = 0;
    for (int32_t z = FirstWorldRow(worldSize_); z <= LastWorldRow(worldSize_); ++z) {
        const TTerrainCacheZ* row = rows_[RowIndex(z)].get();
        if (!row) continue;
        for (const TTerrainCacheX& entry : row->Entries)
            if (entry.Id != 0) ++count;
    }
    return count;
}

void TTerrainCache::CountMarkers() {
    assert(keptMarkers_ == RecountMarkers());
    markerCount_ = recountEachTime_ ? RecountMarkers() : keptMarkers_;
    CountersChanged();
}

void TTerrainCache::ResetCounters() {
    markerCount_ = 0;
    queriedCells_ = 0;
    CountersChanged();
}

int TerrainCacheSetTerrain(Bot& bot, int32_t cellX, int32_t cellZ, int32_t value, int32_t height) {
    bot.sdk.aw_int_set(attr::TerrainSetMode, 2);
    const int heights[1] = {height};
    const int result = bot.sdk.aw_terrain_set(cellX, cellZ, 1, value, heights);
    // A refused setting is tried again until the world takes it; only its first refusal is told.
    if (RepairTerrainOutcome(bot, cellX, cellZ, value, height, result)) {
        AddActivity(bot, ActivityCategory::Error,
                    Format("Unable to set terrain @ %s, error %d",
                           {CoordText(CellAnchor(cellX), CellAnchor(cellZ)), result}));
    } else {
        JournalTerrainSet(bot, cellX, cellZ, value, height);
    }
    return result;
}

int ApplyMarkerTerrain(Bot& bot, const TMarkerRecord& marker) {
    return TerrainCacheSetTerrain(bot, marker.CellX, marker.CellZ,
                                  PackTerrain(marker.Hole, marker.Texture, marker.Rotation),
                                  marker.Height);
}

std::string TerrainCacheStatistics(Bot& bot) {
    const TTerrainCache& cache = bot.cache;
    const int32_t worldSize = cache.WorldSize();
    int64_t total = 0;
    int32_t minX = worldSize, minZ = worldSize;
    int32_t maxX = -worldSize, maxZ = -worldSize;
    for (int32_t z = FirstWorldRow(worldSize); z <= LastWorldRow(worldSize); ++z) {
        const TTerrainCacheZ* row = cache.FindRow(z);
        if (!row) continue;
        total += static_cast<int64_t>(row->Entries.size());
        bool markerRow = false;
        for (const TTerrainCacheX& entry : row->Entries) {
            if (entry.Id == 0) continue;
            markerRow = true;
            minX = std::min(minX, entry.X);
            maxX = std::max(maxX, entry.X);
        }
        if (markerRow) {
            minZ = std::min(minZ, z);
            maxZ = std::max(maxZ, z);
        }
    }
    const std::string from = CoordText(CellAnchor(minX), CellAnchor(minZ));
    const std::string to = CoordText(CellAnchor(maxX), CellAnchor(maxZ));
    const double side = 2.0 * worldSize + 1.0;
    const double percent = cache.QueriedCells() * 100.0 / (side * side);
    return Format("%s: %d, %s: %d, %s: %s %s %s, %s: %.6f%%",
                  {bot.language[Lang::phrase_markers], cache.MarkerCount(),
                   bot.language[Lang::phrase_cells], static_cast<long long>(total),
                   bot.language[Lang::phrase_extents], from, bot.language[Lang::phrase_extents_to],
                   to, bot.language[Lang::phrase_percent_queried], percent});
}

}  // namespace tv
