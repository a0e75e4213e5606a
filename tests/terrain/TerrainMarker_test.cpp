#include "terrain/TerrainMarker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Bot.h"
#include "support/TestBot.h"
#include "terrain/TerrainCache.h"
#include "terrain/TerrainStruct.h"

namespace tv::test {
namespace {

TEST(TerrainMarkerDescription, NamesTextureAndRotationOrHole) {
    struct Case {
        bool hole;
        int32_t texture;
        uint16_t rotation;
        const char* text;
    };
    const Case cases[] = {{false, 7, rotation::Half, "7,180"},
                          {true, 7, rotation::Half, "hole"},
                          {false, 0, rotation::None, "0"},
                          {false, 12, rotation::Quarter, "12,90"},
                          {false, 120, rotation::ThreeQuarters, "120,270"},
                          {false, 300, rotation::None, "300"},
                          {false, 5, 0x1234, ""}};  // no such rotation
    for (const Case& c : cases) {
        const TMarkerRecord marker{.Texture = c.texture, .Hole = c.hole, .Rotation = c.rotation};
        EXPECT_EQ(TerrainMarkerDescription(marker), c.text) << c.texture << "/" << c.rotation;
    }
}

class MarkerTest : public ::testing::Test {
protected:
    MarkerTest() : bot(t.Login()) {
        t.world.SetCallLogging(true);
        t.world.ClearCallLog();
    }

    // A marker for cell (cx, cz) of the test world, on its anchor.
    static TMarkerRecord Marker(int32_t cx, int32_t cz) {
        return {.X = cx * 1000,
                .Z = cz * 1000,
                .CellX = cx,
                .CellZ = cz,
                .Owner = 5,
                .Height = 150,
                .Texture = 7,
                .Rotation = rotation::Half};
    }
    // A marker in the cache and the world.
    TMarkerRecord Built(int32_t cx, int32_t cz) {
        TMarkerRecord marker = Marker(cx, cz);
        EXPECT_EQ(TerrainMarkerLoad(bot, marker), 0);
        bot.cache.StoreMarker(marker, -1);
        t.world.ClearCallLog();
        return marker;
    }
    // The object at (x, z): its number, id, height, owner, type, model, description and action.
    std::string ObjectText(int32_t x, int32_t z) const {
        const SimObject* o = t.world.ObjectAt(TestBot::kWorld, x, z);
        if (!o) return "<none>";
        return std::to_string(o->number) + " id" + std::to_string(o->id) + " y" +
               std::to_string(o->y) + " owner" + std::to_string(o->owner) + " type" +
               std::to_string(o->type) + " " + o->model + " '" + o->description + "' '" +
               o->action + "'";
    }
    bool HasActivity(ActivityCategory category, const std::string& message) const {
        for (const ActivityEntry& entry : bot.model.Activity())
            if (entry.message == message)
                return entry.category == category && entry.privilege < 0 && entry.name.empty();
        return false;
    }
    bool Traced(const std::string& line) const {
        return t.dir.Read("debug.log").find(line) != std::string::npos;
    }

    TestBot t;
    Bot& bot;
};

TEST_F(MarkerTest, LoadSetsEveryAttributeInOrderAndTakesTheNewObject) {
    TMarkerRecord marker = Marker(2, -3);
    ASSERT_EQ(TerrainMarkerLoad(bot, marker), 0);
    EXPECT_EQ(
        t.world.CallLog(),
        (Texts{"aw_int_set(248,0)", "aw_data_set(249,255)", "aw_string_set(238,\"terrain.rwx\")",
               "aw_int_set(232,2000)", "aw_int_set(233,150)", "aw_int_set(234,-3000)",
               "aw_int_set(235,0)", "aw_int_set(236,0)", "aw_int_set(237,0)",
               "aw_string_set(239,\"7,180\")", "aw_string_set(240,\"\")", "aw_int_set(244,5)",
               "aw_int_set(230,0)", "aw_object_load()", "aw_int(231)", "aw_int(230)"}));
    EXPECT_NE(marker.Id, 0);
    EXPECT_EQ(ObjectText(2000, -3000), std::to_string(marker.Number) + " id" +
                                           std::to_string(marker.Id) +
                                           " y150 owner5 type0 terrain.rwx '7,180' ''");
    EXPECT_TRUE(Traced("TerrainMarkerLoad: aw_object_load = 0"));

    // Hidden: built with the hiding action.
    TMarkerRecord hidden = Marker(1, 1);
    hidden.Visible = false;
    hidden.Hole = true;
    ASSERT_EQ(TerrainMarkerLoad(bot, hidden), 0);
    EXPECT_EQ(t.world.ObjectAt(TestBot::kWorld, 1000, 1000)->action, "create visible no");
    EXPECT_EQ(t.world.ObjectAt(TestBot::kWorld, 1000, 1000)->description, "hole");
}

TEST_F(MarkerTest, FailedLoadLeavesTheRecordAndIsOnlyTraced) {
    t.world.FailNext("aw_object_load", reason::NotAllowed);
    TMarkerRecord marker = Marker(1, 1);
    EXPECT_EQ(TerrainMarkerLoad(bot, marker), reason::NotAllowed);
    EXPECT_EQ(marker.Id, 0);
    EXPECT_EQ(marker.Number, 0u);
    EXPECT_EQ(t.world.CallLog().back(), "aw_object_load()");
    EXPECT_TRUE(Traced("TerrainMarkerLoad: aw_object_load = 29"));
}

TEST_F(MarkerTest, ChangeNamesTheObjectByNumberAndMarksTheCellPending) {
    TMarkerRecord marker = Built(3, 4);
    const uint32_t number = marker.Number;
    marker.Visible = false;
    ASSERT_EQ(TerrainMarkerChange(bot, marker), 0);
    EXPECT_EQ(
        t.world.CallLog(),
        (Texts{
            "aw_int_set(248,0)", "aw_data_set(249,255)", "aw_int_set(241,0)", "aw_int_set(242,0)",
            "aw_int_set(243,0)", "aw_int_set(230," + std::to_string(static_cast<int>(number)) + ")",
            "aw_string_set(238,\"terrain.rwx\")", "aw_int_set(232,3000)", "aw_int_set(233,150)",
            "aw_int_set(234,4000)", "aw_int_set(235,0)", "aw_int_set(236,0)", "aw_int_set(237,0)",
            "aw_string_set(239,\"7,180\")", "aw_string_set(240,\"create visible no\")",
            "aw_int_set(244,5)", "aw_object_change()", "aw_int(231)"}));
    EXPECT_TRUE(bot.cache.Entry(3, 4)->ChangePending);
    EXPECT_EQ(ObjectText(3000, 4000), std::to_string(number) + " id" + std::to_string(marker.Id) +
                                          " y150 owner5 type0 terrain.rwx '7,180' "
                                          "'create visible no'");
    EXPECT_TRUE(Traced("TerrainMarkerChange: aw_object_change = 0"));
}

TEST_F(MarkerTest, FailedChangeLeavesNoPendingMarkOnTheCell) {
    TMarkerRecord marker = Marker(3, 4);
    marker.Id = 9;
    marker.Number = 77;
    bot.cache.StoreMarker(marker, -1);
    t.world.FailNext("aw_object_change", reason::NoSuchObject);
    EXPECT_EQ(TerrainMarkerChange(bot, marker), reason::NoSuchObject);
    EXPECT_FALSE(bot.cache.Entry(3, 4)->ChangePending);
    EXPECT_EQ(marker.Id, 9);
    EXPECT_TRUE(Traced("TerrainMarkerChange: aw_object_change = 25"));

    // A change already under way stays marked.
    bot.cache.Entry(3, 4)->ChangePending = true;
    t.world.FailNext("aw_object_change", reason::NoSuchObject);
    TerrainMarkerChange(bot, marker);
    EXPECT_TRUE(bot.cache.Entry(3, 4)->ChangePending);
}

TEST_F(MarkerTest, DeleteNamesTheObjectAndRecordsTheKeepTerrainChoice) {
    TMarkerRecord marker = Built(-2, 6);
    const int32_t id = marker.Id;
    EXPECT_EQ(TerrainMarkerDelete(bot, marker, true), 0);
    EXPECT_EQ(t.world.CallLog(), (Texts{"aw_int_set(232,-2000)", "aw_int_set(234,6000)",
                                        "aw_int_set(231," + std::to_string(id) + ")",
                                        "aw_int_set(230,0)", "aw_object_delete()"}));
    EXPECT_EQ(t.world.ObjectAt(TestBot::kWorld, -2000, 6000), nullptr);
    EXPECT_TRUE(bot.cache.Entry(-2, 6)->KeepTerrain);
    EXPECT_EQ(marker.Id, 0);
    EXPECT_EQ(marker.Number, 0u);
}

TEST_F(MarkerTest, DeleteOfNothingOrOfAnImpossibleRowDoesNothing) {
    TMarkerRecord noObject = Marker(1, 1);
    noObject.Number = 5;
    EXPECT_EQ(TerrainMarkerDelete(bot, noObject, true), 0);
    EXPECT_EQ(noObject.Number, 5u);

    TMarkerRecord farAway = Marker(1, 1);
    farAway.CellZ = 40000;
    farAway.Id = 12;
    farAway.Number = 13;
    EXPECT_EQ(TerrainMarkerDelete(bot, farAway, true), 0);
    EXPECT_EQ(farAway.Id, 12);
    EXPECT_EQ(farAway.Number, 13u);
    EXPECT_TRUE(t.world.CallLog().empty());
}

TEST_F(MarkerTest, FailedDeleteIsLoggedYetStillRecordsKeepTerrainAndEmptiesTheRecord) {
    TMarkerRecord marker = Marker(2, -3);
    marker.Id = 44;
    marker.Number = 45;
    bot.cache.StoreMarker(marker, -1);
    bot.cache.Entry(2, -3)->KeepTerrain = true;
    t.world.FailNext("aw_object_delete", reason::NoSuchObject);
    EXPECT_EQ(TerrainMarkerDelete(bot, marker, false), reason::NoSuchObject);
    EXPECT_TRUE(HasActivity(ActivityCategory::Error, "Unable to delete marker @ 3S 2W"));
    EXPECT_FALSE(bot.cache.Entry(2, -3)->KeepTerrain);
    EXPECT_EQ(marker.Id, 0);
    EXPECT_EQ(marker.Number, 0u);
}

TEST_F(MarkerTest, SetTerrainSendsOneCellWithItsHeight) {
    EXPECT_EQ(TerrainCacheSetTerrain(bot, 1, -2, 5, 100), 0);
    EXPECT_EQ(t.world.CallLog(), (Texts{"aw_int_set(327,2)", "aw_terrain_set(1,-2,1,5,[100])"}));
    auto terrain = [&](int32_t x, int32_t z) {
        auto cell = t.world.TerrainAt(TestBot::kWorld, x, z);
        return cell ? std::make_pair(cell->value, cell->height) : std::make_pair(-1, -1);
    };
    EXPECT_EQ(terrain(1, -2), std::make_pair(5, 100));

    TMarkerRecord hole = Marker(-1, 0);
    hole.Hole = true;
    EXPECT_EQ(ApplyMarkerTerrain(bot, hole), 0);
    EXPECT_EQ(terrain(-1, 0), std::make_pair(0xFFFE, 150));
    TMarkerRecord turned = Marker(0, 0);
    turned.Texture = 300;
    turned.Rotation = rotation::Quarter;
    EXPECT_EQ(ApplyMarkerTerrain(bot, turned), 0);
    EXPECT_EQ(terrain(0, 0), std::make_pair(0x412C, 150));

    t.world.FailNext("aw_terrain_set", reason::NoConnection);
    EXPECT_EQ(TerrainCacheSetTerrain(bot, 1, -2, 5, 100), reason::NoConnection);
    EXPECT_TRUE(HasActivity(ActivityCategory::Error, "Unable to set terrain @ 2S 1W, error 24"));
}

}  // namespace
}  // namespace tv::test
