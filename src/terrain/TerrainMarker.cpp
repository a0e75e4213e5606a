#include "terrain/TerrainMarker.h"

#include <stdexcept>

namespace tv {

std::string TerrainMarkerDescription(const TMarkerRecord& marker) { throw std::logic_error("not built yet: TerrainMarkerDescription"); }
int TerrainMarkerLoad(Bot& bot, TMarkerRecord& marker) { throw std::logic_error("not built yet: TerrainMarkerLoad"); }
int TerrainMarkerChange(Bot& bot, TMarkerRecord& marker) { throw std::logic_error("not built yet: TerrainMarkerChange"); }
int TerrainMarkerDelete(Bot& bot, TMarkerRecord& marker, bool keepTerrain) { throw std::logic_error("not built yet: TerrainMarkerDelete"); }

}  // namespace tv
