#pragma once
// Terrain marker objects in the world: how the bot builds, changes and deletes them. Each call
// sets every attribute it needs and calls the SDK with no other SDK call in between.

#include <cstdint>
#include <string>

#include "terrain/TerrainCache.h"

namespace tv {

class Bot;

inline constexpr const char* kMarkerModel = "terrain.rwx";
inline constexpr const char* kHiddenAction = "create visible no";

// "hole", or the texture with ",90", ",180", ",270" for the rotation.
std::string TerrainMarkerDescription(const TMarkerRecord& marker);
// What a marker the bot builds or changes says: as above, except that texture 0 below TextureMin
// keeps the empty description it came from, since "0" would read back as the default texture.
std::string TerrainMarkerDescription(const Bot& bot, const TMarkerRecord& marker);

int TerrainMarkerLoad(Bot& bot, TMarkerRecord& marker);
int TerrainMarkerChange(Bot& bot, TMarkerRecord& marker);
// A failure gives the Error entry "Unable to delete marker @ %s" unless the caller reports it.
int TerrainMarkerDelete(Bot& bot, TMarkerRecord& marker, bool keepTerrain, bool report = true);

}  // namespace tv
