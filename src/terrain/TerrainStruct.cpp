#include "terrain/TerrainStruct.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/Format.h"

namespace tv {

int32_t WorldToCell(int32_t value, bool truncate) {
    // C++ division truncates toward zero, so the remainder takes the sign of the value and
    // value - r never overflows.
    int32_t r = value % kCellSpan;
    int32_t q = (value - r) / kCellSpan;
    if (!truncate && std::abs(r) > kCellSpan / 2) q += r > 0 ? 1 : -1;
    return q;
}

int32_t FloorToCell(int32_t value) {
    if (value >= 0) return value / kCellSpan;
    // 64-bit so that values near the lower end of the range do not overflow.
    return static_cast<int32_t>((static_cast<int64_t>(value) - (kCellSpan - 1)) / kCellSpan);
}

int32_t SectorOf(int32_t cell) {
    return cell / 8;
}

int32_t SectorOrigin(int32_t sector) {
    return static_cast<int32_t>(static_cast<int64_t>(sector) * 8);
}

uint32_t PackCellKey(int32_t cellX, int32_t cellZ) {
    return ((static_cast<uint32_t>(cellX) & 0xFFFFu) << 16) |
           (static_cast<uint32_t>(cellZ) & 0xFFFFu);
}

void UnpackCellKey(uint32_t key, int32_t& cellX, int32_t& cellZ) {
    cellX = static_cast<int16_t>(static_cast<uint16_t>(key >> 16));
    cellZ = static_cast<int16_t>(static_cast<uint16_t>(key & 0xFFFFu));
}

int32_t PackTerrain(bool hole, int32_t texture, uint16_t rotation) {
    if (hole) return kHoleTerrain;
    // The accepted range belongs to the options, but whatever they say, a texture never runs
    // into the rotation bits, and a texture with its rotation never reads as a hole.
    const int32_t value = static_cast<int32_t>(rotation) | std::clamp(texture, 0, kMaxTexture);
    return value == kHoleTerrain ? value & kMaxTexture : value;
}

void UnpackTerrain(int32_t value, int32_t defaultTexture, bool& hole, int32_t& texture,
                   uint16_t& rotation) {
    if (value == kHoleTerrain) {
        hole = true;
        texture = defaultTexture;
        rotation = rotation::None;
        return;
    }
    hole = false;
    texture = value & 0xFF;
    const bool quarter = (value & 0x4000) != 0;
    const bool half = (value & 0x8000) != 0;
    if (quarter && half)
        rotation = rotation::ThreeQuarters;
    else if (quarter)
        rotation = rotation::Quarter;
    else if (half)
        rotation = rotation::Half;
    else
        rotation = rotation::None;
}

int32_t CellAnchor(int32_t cell) {
    return static_cast<int32_t>(static_cast<int64_t>(cell) * kCellSpan);
}

std::string CoordText(int32_t x, int32_t z, int32_t y, int32_t yaw) {
    const char* northSouth = z < 0 ? "S" : "N";
    const char* eastWest = x < 0 ? "E" : "W";
    std::string text;
    if (x % kCellSpan == 0 && z % kCellSpan == 0) {
        text = Format("%d%s %d%s",
                      {std::abs(z / kCellSpan), northSouth, std::abs(x / kCellSpan), eastWest});
    } else {
        // Through double so that the most negative coordinate has a magnitude too.
        const double zCells = std::fabs(static_cast<double>(z)) / kCellSpan;
        const double xCells = std::fabs(static_cast<double>(x)) / kCellSpan;
        text = Format("%.2f%s %.2f%s", {zCells, northSouth, xCells, eastWest});
    }
    if (y != 0) text += Format(" %da", {y / kCellSpan});
    if (yaw != 0) text += Format(" %d", {yaw / 10});
    return text;
}

}  // namespace tv
