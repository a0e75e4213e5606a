#include "terrain/MarkerIntake.h"

#include <stdexcept>

namespace tv {

bool TerrainCacheExtractTexture(Bot& bot, const std::string& text, int32_t& texture, uint16_t& rotation, bool& hole) { throw std::logic_error("not built yet: TerrainCacheExtractTexture"); }
void TerrainCacheMarkerDefine(Bot& bot, TMarkerRecord& marker, int32_t x, int32_t height, int32_t z, int32_t id, const std::string& description, const std::string& action, int32_t owner, int32_t timestamp, uint32_t number) { throw std::logic_error("not built yet: TerrainCacheMarkerDefine"); }
bool TerrainMarkerCorrect(const TMarkerRecord& marker, TMarkerRecord& corrected, int32_t yaw, int32_t tilt, int32_t roll) { throw std::logic_error("not built yet: TerrainMarkerCorrect"); }
bool MarkerIsNewer(const TMarkerRecord& oldMarker, const TMarkerRecord& newMarker) { throw std::logic_error("not built yet: MarkerIsNewer"); }
void TerrainCacheMarkerAdd(Bot& bot, TMarkerRecord& marker, int32_t yaw, int32_t tilt, int32_t roll, bool live) { throw std::logic_error("not built yet: TerrainCacheMarkerAdd"); }
void TerrainCacheMarkerDelete(Bot& bot, int32_t cellX, int32_t cellZ, int32_t id) { throw std::logic_error("not built yet: TerrainCacheMarkerDelete"); }

}  // namespace tv
