#pragma once
// What a reported marker object means: read its texture text and position, replace a misplaced
// or rotated marker by a corrected copy, settle rival markers in one cell, store the marker and
// apply its terrain, undo building or deleting by users without an enabled terrain session.

#include <cstdint>
#include <string>

#include "terrain/TerrainCache.h"

namespace tv {

class Bot;

bool TerrainCacheExtractTexture(Bot& bot, const std::string& text, int32_t& texture,
                                uint16_t& rotation, bool& hole);
void TerrainCacheMarkerDefine(Bot& bot, TMarkerRecord& marker, int32_t x, int32_t height, int32_t z,
                              int32_t id, const std::string& description, const std::string& action,
                              int32_t owner, int32_t timestamp, uint32_t number);
bool TerrainMarkerCorrect(const TMarkerRecord& marker, TMarkerRecord& corrected, int32_t yaw,
                          int32_t tilt, int32_t roll);
bool MarkerIsNewer(const TMarkerRecord& oldMarker, const TMarkerRecord& newMarker);
void TerrainCacheMarkerAdd(Bot& bot, TMarkerRecord& marker, int32_t yaw, int32_t tilt, int32_t roll,
                           bool live);
void TerrainCacheMarkerDelete(Bot& bot, int32_t cellX, int32_t cellZ, int32_t id);

}  // namespace tv
