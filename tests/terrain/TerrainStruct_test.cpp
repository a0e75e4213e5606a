#include "terrain/TerrainStruct.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "app/Format.h"

namespace tv {
namespace {

TEST(TerrainStruct, WorldToCellRoundsBeyondHalfAndTruncatesOnRequest) {
    struct Case {
        int32_t value;
        bool truncate;
        int32_t cell;
    };
    const Case cases[] = {
        {0, false, 0},      {500, false, 0},    {-500, false, 0}, {501, false, 1},
        {-501, false, -1},  {1500, false, 1},   {1501, false, 2}, {-1500, false, -1},
        {-1501, false, -2}, {999, false, 1},    {499, false, 0},  {-1, false, 0},
        {1000, false, 1},   {-1000, false, -1}, {2500, false, 2}, {2600, false, 3},
        {1999, true, 1},    {-1999, true, -1},  {-1, true, 0},    {999, true, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(WorldToCell(c.value, c.truncate), c.cell)
            << "value " << c.value << " truncate " << c.truncate;
    }
    EXPECT_EQ(WorldToCell(INT_MAX, false), 2147484);
    EXPECT_EQ(WorldToCell(INT_MIN, false), -2147484);
    EXPECT_EQ(WorldToCell(INT_MIN, true), -2147483);
}

TEST(TerrainStruct, FloorToCellRoundsDownAndSectorsTruncateTowardZero) {
    const std::pair<int32_t, int32_t> floors[] = {
        {0, 0},      {1, 0},      {999, 0},    {1000, 1},           {-1, -1},          {-999, -1},
        {-1000, -1}, {-1001, -2}, {-2000, -2}, {INT_MIN, -2147484}, {INT_MAX, 2147483}};
    for (auto [value, cell] : floors) EXPECT_EQ(FloorToCell(value), cell) << "value " << value;
    const std::pair<int32_t, int32_t> sectors[] = {{0, 0},  {7, 0},  {-7, 0},   {8, 1},   {-8, -1},
                                                   {15, 1}, {16, 2}, {-16, -2}, {-17, -2}};
    for (auto [cell, sector] : sectors) {
        EXPECT_EQ(SectorOf(cell), sector) << "cell " << cell;
        EXPECT_EQ(SectorOrigin(sector), sector * 8);
    }
}

TEST(TerrainStruct, CellKeysPackSixteenBitHalvesAndUnpackSigned) {
    struct Case {
        int32_t x, z;
        uint32_t key;
        int32_t backX, backZ;
    };
    const Case cases[] = {{-1, -1, 0xFFFFFFFFu, -1, -1},
                          {-1, 2, 0xFFFF0002u, -1, 2},
                          {32767, -32768, 0x7FFF8000u, 32767, -32768},
                          {0, 0, 0u, 0, 0},
                          {10, -10, 0x000AFFF6u, 10, -10},
                          // Only the low 16 bits travel: 65537 comes back as 1.
                          {65537, -65537, 0x0001FFFFu, 1, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(PackCellKey(c.x, c.z), c.key) << c.x << "," << c.z;
        int32_t x = 99, z = 99;
        UnpackCellKey(c.key, x, z);
        EXPECT_EQ(std::make_pair(x, z), std::make_pair(c.backX, c.backZ)) << c.x << "," << c.z;
    }
}

TEST(TerrainStruct, TerrainValuesPackAndUnpack) {
    EXPECT_EQ(PackTerrain(true, 12, rotation::Quarter), 0xFFFE);
    EXPECT_EQ(PackTerrain(false, 12, rotation::ThreeQuarters), 0xC00C);
    EXPECT_EQ(PackTerrain(false, 0, rotation::None), 0);
    EXPECT_EQ(PackTerrain(false, 7, rotation::Half), 0x8007);
    // Textures keep bits 0-13: 300 runs into bit 8; beyond 0..16383 they are clamped, and 16382
    // turned 270 degrees, which would read as a hole, loses its rotation.
    EXPECT_EQ(PackTerrain(false, 300, rotation::Quarter), 0x412C);
    EXPECT_EQ(PackTerrain(false, 70000, rotation::None), 0x3FFF);
    EXPECT_EQ(PackTerrain(false, -5, rotation::Quarter), 0x4000);
    EXPECT_EQ(PackTerrain(false, 16382, rotation::ThreeQuarters), 0x3FFE);

    struct Case {
        int32_t value;
        bool hole;
        int32_t texture;
        uint16_t rotation;
    };
    const int32_t defaultTexture = 42;
    const Case cases[] = {{0xFFFE, true, defaultTexture, 0},
                          {0xC00C, false, 12, 0xC000},
                          {0x8007, false, 7, 0x8000},
                          {0x4005, false, 5, 0x4000},
                          {0x0009, false, 9, 0},
                          {0x412C, false, 0x2C, 0x4000},
                          {0xFFFF, false, 0xFF, 0xC000}};
    for (const Case& c : cases) {
        bool hole = !c.hole;
        int32_t texture = -1;
        uint16_t rot = 0x1234;
        UnpackTerrain(c.value, defaultTexture, hole, texture, rot);
        EXPECT_EQ(hole, c.hole) << std::hex << c.value;
        EXPECT_EQ(texture, c.texture) << std::hex << c.value;
        EXPECT_EQ(rot, c.rotation) << std::hex << c.value;
    }
}

TEST(TerrainStruct, InWorldRangeIsInclusive) {
    EXPECT_TRUE(InWorldRange(10, 10));
    EXPECT_TRUE(InWorldRange(-10, 10));
    EXPECT_FALSE(InWorldRange(11, 10));
    EXPECT_FALSE(InWorldRange(-11, 10));
    EXPECT_TRUE(InCacheRows(32767));
    EXPECT_TRUE(InCacheRows(-32767));
    EXPECT_FALSE(InCacheRows(32768));
    EXPECT_FALSE(InCacheRows(-32768));
}

TEST(TerrainStruct, CoordTextUsesCellsOnAnchorsAndDecimalsOtherwise) {
    struct Case {
        int32_t x, z, y, yaw;
        std::string text;  // written with ".", which becomes the user's decimal separator
    };
    // One unit off an anchor on either axis switches both axes to decimals.
    // clang-format off
    const Case cases[] = {
        {-2000, 1500, 0, 0, "1.50N 2.00E"},       {3000, -7000, 0, 0, "7S 3W"},
        {0, 0, 0, 0, "0N 0W"},                    {500, 0, 0, 0, "0.00N 0.50W"},
        {3001, -7000, 0, 0, "7.00S 3.00W"},       {3000, -6999, 0, 0, "7.00S 3.00W"},
        {-1, 0, 0, 0, "0.00N 0.00E"},             {0, -1, 0, 0, "0.00S 0.00W"},
        {1000, 2000, 1999, 0, "2N 1W 1a"},        {1000, 2000, -1999, 0, "2N 1W -1a"},
        {1000, 2000, 0, 905, "2N 1W 90"},         {1000, 2000, 5000, 1800, "2N 1W 5a 180"},
        {1000, 2000, 999, 9, "2N 1W 0a 0"},
        {INT_MIN, INT_MIN, 0, 0, "2147483.65S 2147483.65E"}};
    // clang-format on
    for (Case c : cases) {
        std::replace(c.text.begin(), c.text.end(), '.', UserSeparators().decimal);
        EXPECT_EQ(CoordText(c.x, c.z, c.y, c.yaw), c.text) << c.x << "," << c.z;
    }
}

}  // namespace
}  // namespace tv
