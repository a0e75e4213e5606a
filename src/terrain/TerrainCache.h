#pragma once
// The bot's memory of the world's terrain: one entry per known cell, holding the marker that
// governs it, if any. Rows are cell z from -32767 to 32767, each a list of entries sorted by x.
// The number of markers is kept up to date as cells gain and lose them, never recounted.
// The structure lives here; TerrainCacheSetTerrain, ApplyMarkerTerrain and the statistics line
// talk to the world and the language, so they take the Bot.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "terrain/TerrainStruct.h"

namespace tv {

class Bot;

struct TTerrainCacheX {
    bool HasMarker = false;
    int32_t X = 0;
    int32_t Id = 0;
    int32_t Terrain = 0;  // PackTerrain of the marker
    int32_t Height = 0;
    int32_t Timestamp = 0;
    int32_t Owner = 0;
    bool Visible = false;
    bool KeepTerrain = false;
    uint32_t Number = 0;
    bool ChangePending = false;
    // The marker's own texture number: the packed value keeps only 8 bits, so textures above 255
    // would otherwise come back as another texture when the marker is rebuilt.
    int32_t Texture = 0;
};

using TTerrainCacheXList = std::vector<TTerrainCacheX>;

struct TTerrainCacheZ {
    TTerrainCacheXList Entries;
};

struct TMarkerRecord {
    bool Valid = true;
    int32_t X = 0, Z = 0;
    int32_t CellX = 0, CellZ = 0;
    int32_t Id = 0;
    int32_t Owner = 0;
    int32_t Height = 0;
    int32_t Texture = 0;
    bool Hole = false;
    uint16_t Rotation = 0;
    int32_t Timestamp = 0;
    bool Visible = true;
    uint32_t Number = 0;
};

// Valid and Visible true, every other field 0 or false.
void TerrainMarkerInit(TMarkerRecord& marker);

class TTerrainCache final {
public:
    TTerrainCache();
    ~TTerrainCache();

    // The extent of the world the counters and reads are limited to (set at login).
    void SetWorldSize(int32_t worldSize);
    int32_t WorldSize() const { return worldSize_; }
    void SetDefaultTexture(int32_t texture) { defaultTexture_ = texture; }
    int32_t DefaultTexture() const { return defaultTexture_; }

    // Called whenever MarkerCount or QueriedCells is recomputed, so the window can show them.
    std::function<void()> OnCountersChanged;

    TTerrainCacheZ* Row(int32_t cellZ);                  // created on first use; null outside rows
    const TTerrainCacheZ* FindRow(int32_t cellZ) const;  // null when absent
    void CreateRows();
    void Clear();

    int FindCell(int32_t cellX, int32_t cellZ) const;
    int InsertCell(int32_t cellX, int32_t cellZ);
    void ClearCell(int32_t cellX, int32_t cellZ);
    // Removes the cell's entry, so that the cell counts as unknown and is queried again.
    void ForgetCell(int32_t cellX, int32_t cellZ);
    int StoreMarker(const TMarkerRecord& marker, int index);
    int ReadMarker(TMarkerRecord& marker, int32_t cellX, int32_t cellZ, int index) const;
    TTerrainCacheX* Entry(int32_t cellX, int32_t cellZ);  // null when the cell has no entry
    const TTerrainCacheX* Entry(int32_t cellX, int32_t cellZ) const;
    // Shows the number of markers. The number is kept as cells gain and lose their markers, so
    // this costs nothing; a debug build checks it against RecountMarkers every time.
    void CountMarkers();
    // The full scan of the world's rows: the reference for the kept number.
    int32_t RecountMarkers() const;
    // Counts by the full scan on every CountMarkers, as the cache once did (kept for comparison).
    void SetRecountEachTime(bool recount) { recountEachTime_ = recount; }

    int32_t MarkerCount() const { return markerCount_; }
    int32_t QueriedCells() const { return queriedCells_; }
    // The per-world reset: both counters 0 (and shown).
    void ResetCounters();

    bool CellHadMarker = false;

private:
    std::vector<std::unique_ptr<TTerrainCacheZ>> rows_;  // index cellZ - kMinCacheRow
    int32_t worldSize_ = 0;
    int32_t defaultTexture_ = 0;
    int32_t markerCount_ = 0;  // as last shown
    int32_t keptMarkers_ = 0;  // entries with a marker in the world's rows, always current
    int32_t queriedCells_ = 0;
    bool recountEachTime_ = false;
    bool Counted(int32_t cellZ) const { return InWorldRange(cellZ, worldSize_); }
    // A cell of row cellZ gained (+1) or lost (-1) its marker.
    void MarkerChanged(int32_t cellZ, int delta) {
        if (Counted(cellZ)) keptMarkers_ += delta;
    }
    void CountersChanged() {
        if (OnCountersChanged) OnCountersChanged();
    }
};

// aw_terrain_set of one cell (attribute 327 := 2 first); failure logged as an Error entry
// "Unable to set terrain @ %s, error %d". Returns the SDK result.
int TerrainCacheSetTerrain(Bot& bot, int32_t cellX, int32_t cellZ, int32_t value, int32_t height);
int ApplyMarkerTerrain(Bot& bot, const TMarkerRecord& marker);
// "%s: %d, %s: %d, %s: %s %s %s, %s: %.6f%%" with the phrases of the language file.
std::string TerrainCacheStatistics(Bot& bot);

}  // namespace tv
