#include "terrain/TerrainCache.h"

#include <stdexcept>

namespace tv {

void TerrainMarkerInit(TMarkerRecord& marker) { throw std::logic_error("not built yet: TerrainMarkerInit"); }
int TerrainCacheSetTerrain(Bot& bot, int32_t cellX, int32_t cellZ, int32_t value, int32_t height) { throw std::logic_error("not built yet: TerrainCacheSetTerrain"); }
int ApplyMarkerTerrain(Bot& bot, const TMarkerRecord& marker) { throw std::logic_error("not built yet: ApplyMarkerTerrain"); }
std::string TerrainCacheStatistics(Bot& bot) { throw std::logic_error("not built yet: TerrainCacheStatistics"); }

TTerrainCache::TTerrainCache() {}
TTerrainCache::~TTerrainCache() {}
TTerrainCacheZ* TTerrainCache::Row(int32_t) { throw std::logic_error("not built yet"); }
const TTerrainCacheZ* TTerrainCache::FindRow(int32_t) const { throw std::logic_error("not built yet"); }
void TTerrainCache::CreateRows() { throw std::logic_error("not built yet"); }
void TTerrainCache::Clear() { throw std::logic_error("not built yet"); }
int TTerrainCache::FindCell(int32_t, int32_t) const { throw std::logic_error("not built yet"); }
int TTerrainCache::InsertCell(int32_t, int32_t) { throw std::logic_error("not built yet"); }
void TTerrainCache::ClearCell(int32_t, int32_t) { throw std::logic_error("not built yet"); }
int TTerrainCache::StoreMarker(const TMarkerRecord&, int) { throw std::logic_error("not built yet"); }
int TTerrainCache::ReadMarker(TMarkerRecord&, int32_t, int32_t, int) const { throw std::logic_error("not built yet"); }
TTerrainCacheX* TTerrainCache::Entry(int32_t, int32_t) { throw std::logic_error("not built yet"); }
void TTerrainCache::CountMarkers() { throw std::logic_error("not built yet"); }
void TTerrainCache::ResetCounters() { throw std::logic_error("not built yet"); }

}  // namespace tv
