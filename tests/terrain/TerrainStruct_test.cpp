#include "terrain/TerrainStruct.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <tuple>

#include "app/Format.h"

namespace tv {
namespace {

TEST(TerrainStruct, WorldToCellRoundsBeyondHalfAndTruncatesOnRequest) {
    // clang-format off
    const std::tuple<int32_t, bool, int32_t> cases[] = {
        {0, false, 0},      {500, false, 0},    {-500, false, 0}, {501, false, 1},
        {-501, false, -1},  {1500, false, 1},   {1501, false, 2}, {-1500, false, -1},
        {-1501, false, -2}, {999, false, 1},    {499, false, 0},  {-1, false, 0},
        {1000, false, 1},   {-1000, false, -1}, {2500, false, 2}, {2600, false, 3},
        {1999, true, 1},    {-1999, true, -1},  {-1, true, 0},    {999, true, 0},
        {INT_MAX, false, 2147484}, {INT_MIN, false, -2147484},    {INT_MIN, true, -2147483}};
    // clang-format on
    for (auto [value, truncate, cell] : cases)
        EXPECT_EQ(WorldToCell(value, truncate), cell) << "value " << value << " " << truncate;
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

    // Value, then hole, texture and rotation read with default texture 42.
    const std::pair<int32_t, std::string> unpacked[] = {
        {0xFFFE, "1 42 0"}, {0xC00C, "0 12 49152"}, {0x8007, "0 7 32768"},  {0x4005, "0 5 16384"},
        {0x0009, "0 9 0"},  {0x412C, "0 44 16384"}, {0xFFFF, "0 255 49152"}};
    for (const auto& [value, expected] : unpacked) {
        bool hole = expected[0] == '0';
        int32_t texture = -1;
        uint16_t rot = 0x1234;
        UnpackTerrain(value, 42, hole, texture, rot);
        EXPECT_EQ(std::to_string(hole) + " " + std::to_string(texture) + " " + std::to_string(rot),
                  expected)
            << std::hex << value;
    }
}

TEST(TerrainStruct, CoordTextUsesCellsOnAnchorsAndDecimalsOtherwise) {
    // x, z, y, yaw, the text written with ".", which becomes the user's decimal separator. One
    // unit off an anchor on either axis switches both axes to decimals.
    // clang-format off
    const std::tuple<int32_t, int32_t, int32_t, int32_t, std::string> cases[] = {
        {-2000, 1500, 0, 0, "1.50N 2.00E"},       {3000, -7000, 0, 0, "7S 3W"},
        {0, 0, 0, 0, "0N 0W"},                    {500, 0, 0, 0, "0.00N 0.50W"},
        {3001, -7000, 0, 0, "7.00S 3.00W"},       {3000, -6999, 0, 0, "7.00S 3.00W"},
        {-1, 0, 0, 0, "0.00N 0.00E"},             {0, -1, 0, 0, "0.00S 0.00W"},
        {1000, 2000, 1999, 0, "2N 1W 1a"},        {1000, 2000, -1999, 0, "2N 1W -1a"},
        {1000, 2000, 0, 905, "2N 1W 90"},         {1000, 2000, 5000, 1800, "2N 1W 5a 180"},
        {1000, 2000, 999, 9, "2N 1W 0a 0"},
        {INT_MIN, INT_MIN, 0, 0, "2147483.65S 2147483.65E"}};
    // clang-format on
    for (auto [x, z, y, yaw, text] : cases) {
        std::replace(text.begin(), text.end(), '.', UserSeparators().decimal);
        EXPECT_EQ(CoordText(x, z, y, yaw), text) << x << "," << z;
    }
}

}  // namespace
}  // namespace tv
