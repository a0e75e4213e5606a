#pragma once
// Cells and world positions: the exact conversions every terrain unit shares. One cell is 1000
// world units on a side; z grows north, x grows west.

#include <cstdint>
#include <string>

namespace tv {

inline constexpr int32_t kCellSpan = 1000;
inline constexpr int32_t kMinCacheRow = -32767;
inline constexpr int32_t kMaxCacheRow = 32767;
inline constexpr int32_t kHoleTerrain = 0xFFFE;
// The highest texture a terrain value carries: bits 14 and 15 hold the rotation.
inline constexpr int32_t kMaxTexture = 0x3FFF;

namespace rotation {
inline constexpr uint16_t None = 0x0000;
inline constexpr uint16_t Quarter = 0x4000;        // 90
inline constexpr uint16_t Half = 0x8000;           // 180
inline constexpr uint16_t ThreeQuarters = 0xC000;  // 270
}  // namespace rotation

// Cell of a world coordinate: remainders beyond 500 round away from zero unless truncating.
int32_t WorldToCell(int32_t value, bool truncate);
// value / 1000 rounded down.
int32_t FloorToCell(int32_t value);
int32_t SectorOf(int32_t cell);
int32_t SectorOrigin(int32_t sector);
// The world coordinate of a cell's anchor (cell * 1000), wrapping rather than overflowing for
// cells no world can hold.
int32_t CellAnchor(int32_t cell);

// High 16 bits: low 16 bits of cell x; low 16 bits: low 16 bits of cell z.
uint32_t PackCellKey(int32_t cellX, int32_t cellZ);
void UnpackCellKey(uint32_t key, int32_t& cellX, int32_t& cellZ);

// Textures outside 0..kMaxTexture are clamped; texture 16382 turned 270 degrees, which would
// read as the hole mark, loses its rotation.
int32_t PackTerrain(bool hole, int32_t texture, uint16_t rotation);
void UnpackTerrain(int32_t value, int32_t defaultTexture, bool& hole, int32_t& texture,
                   uint16_t& rotation);

inline bool InWorldRange(int32_t v, int32_t worldSize) {
    return -worldSize <= v && v <= worldSize;
}
inline bool InCacheRows(int32_t cellZ) {
    return kMinCacheRow <= cellZ && cellZ <= kMaxCacheRow;
}

// "1.50N 2.00E", "7S 3W", "0N 0W" (+ " %da" for y, " %d" for yaw when non-zero).
std::string CoordText(int32_t x, int32_t z, int32_t y = 0, int32_t yaw = 0);

}  // namespace tv
