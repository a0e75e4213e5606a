#include "terrain/TerrainMarker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Bot.h"
#include "support/TestBot.h"
#include "terrain/TerrainStruct.h"

namespace tv {
namespace {

using Calls = std::vector<std::string>;

TEST(TerrainMarkerDescription, NamesTextureAndRotationOrHole) {
    struct Case {
        bool hole;
        int32_t texture;
        uint16_t rotation;
        const char* text;
    };
    const Case cases[] = {
        {false, 7, rotation::Half, "7,180"},
        {true, 7, rotation::Half, "hole"},
        {false, 0, rotation::None, "0"},
        {false, 12, rotation::Quarter, "12,90"},
        {false, 120, rotation::ThreeQuarters, "120,270"},
        {false, 300, rotation::None, "300"},
        {false, 5, 0x1234, ""},  // no such rotation
    };
    for (const Case& c : cases) {
        TMarkerRecord marker;
        TerrainMarkerInit(marker);
        marker.Hole = c.hole;
        marker.Texture = c.texture;
        marker.Rotation = c.rotation;
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
        TMarkerRecord marker;
        TerrainMarkerInit(marker);
        marker.CellX = cx;
        marker.CellZ = cz;
        marker.X = cx * 1000;
        marker.Z = cz * 1000;
        marker.Height = 150;
        marker.Texture = 7;
        marker.Rotation = rotation::Half;
        marker.Owner = 5;
        return marker;
    }

    bool HasActivity(ActivityCategory category, const std::string& message) const {
        for (const ActivityEntry& entry : bot.model.Activity())
            if (entry.message == message)
                return entry.category == category && entry.privilege < 0 && entry.name.empty();
        return false;
    }

    std::string DebugText() const { return t.dir.Read("debug.log"); }

    test::TestBot t;
    Bot& bot;
};

TEST_F(MarkerTest, LoadSetsEveryAttributeInOrderAndTakesTheNewObject) {
    TMarkerRecord marker = Marker(2, -3);
    ASSERT_EQ(TerrainMarkerLoad(bot, marker), 0);
    const Calls expected = {
        "aw_int_set(248,0)",
        "aw_data_set(249,255)",
        "aw_string_set(238,\"terrain.rwx\")",
        "aw_int_set(232,2000)",
        "aw_int_set(233,150)",
        "aw_int_set(234,-3000)",
        "aw_int_set(235,0)",
        "aw_int_set(236,0)",
        "aw_int_set(237,0)",
        "aw_string_set(239,\"7,180\")",
        "aw_string_set(240,\"\")",
        "aw_int_set(244,5)",
        "aw_int_set(230,0)",
        "aw_object_load()",
        "aw_int(231)",
        "aw_int(230)",
    };
    EXPECT_EQ(t.world.CallLog(), expected);

    const SimObject* object = t.world.ObjectAt(test::TestBot::kWorld, 2000, -3000);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(marker.Id, object->id);
    EXPECT_EQ(marker.Number, object->number);
    EXPECT_NE(marker.Id, 0);
    EXPECT_EQ(object->model, "terrain.rwx");
    EXPECT_EQ(object->description, "7,180");
    EXPECT_EQ(object->action, "");
    EXPECT_EQ(object->y, 150);
    EXPECT_EQ(object->owner, 5);
    EXPECT_EQ(object->type, 0);
    EXPECT_NE(DebugText().find("TerrainMarkerLoad: aw_object_load = 0"), std::string::npos);
}

TEST_F(MarkerTest, HiddenMarkerIsBuiltWithTheHidingAction) {
    TMarkerRecord marker = Marker(1, 1);
    marker.Visible = false;
    marker.Hole = true;
    ASSERT_EQ(TerrainMarkerLoad(bot, marker), 0);
    const SimObject* object = t.world.ObjectAt(test::TestBot::kWorld, 1000, 1000);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->action, "create visible no");
    EXPECT_EQ(object->description, "hole");
}

TEST_F(MarkerTest, FailedLoadLeavesTheRecordAndIsOnlyTraced) {
    t.world.FailNext("aw_object_load", reason::NotAllowed);
    TMarkerRecord marker = Marker(1, 1);
    marker.Id = 0;
    EXPECT_EQ(TerrainMarkerLoad(bot, marker), reason::NotAllowed);
    EXPECT_EQ(marker.Id, 0);
    EXPECT_EQ(marker.Number, 0u);
    EXPECT_EQ(t.world.CallLog().back(), "aw_object_load()");
    EXPECT_NE(DebugText().find("TerrainMarkerLoad: aw_object_load = 29"), std::string::npos);
}

TEST_F(MarkerTest, ChangeNamesTheObjectByNumberAndMarksTheCellPending) {
    SimObjectSpec shape;
    shape.x = 3000;
    shape.z = 4000;
    shape.description = "1";
    const uint32_t number = t.world.PlaceObject(test::TestBot::kWorld, shape);
    TMarkerRecord marker = Marker(3, 4);
    marker.Number = number;
    marker.Visible = false;
    marker.Id = 1;
    bot.cache.StoreMarker(marker, -1);
    t.world.ClearCallLog();

    ASSERT_EQ(TerrainMarkerChange(bot, marker), 0);
    const Calls expected = {
        "aw_int_set(248,0)",
        "aw_data_set(249,255)",
        "aw_int_set(241,0)",
        "aw_int_set(242,0)",
        "aw_int_set(243,0)",
        "aw_int_set(230," + std::to_string(static_cast<int>(number)) + ")",
        "aw_string_set(238,\"terrain.rwx\")",
        "aw_int_set(232,3000)",
        "aw_int_set(233,150)",
        "aw_int_set(234,4000)",
        "aw_int_set(235,0)",
        "aw_int_set(236,0)",
        "aw_int_set(237,0)",
        "aw_string_set(239,\"7,180\")",
        "aw_string_set(240,\"create visible no\")",
        "aw_int_set(244,5)",
        "aw_object_change()",
        "aw_int(231)",
    };
    EXPECT_EQ(t.world.CallLog(), expected);
    EXPECT_TRUE(bot.cache.Entry(3, 4)->ChangePending);
    const SimObject* object = t.world.ObjectAt(test::TestBot::kWorld, 3000, 4000);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(marker.Id, object->id);
    EXPECT_EQ(object->number, number);
    EXPECT_EQ(object->description, "7,180");
    EXPECT_EQ(object->action, "create visible no");
    EXPECT_NE(DebugText().find("TerrainMarkerChange: aw_object_change = 0"), std::string::npos);
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
    EXPECT_NE(DebugText().find("TerrainMarkerChange: aw_object_change = 25"), std::string::npos);

    // A change already under way stays marked.
    bot.cache.Entry(3, 4)->ChangePending = true;
    t.world.FailNext("aw_object_change", reason::NoSuchObject);
    TerrainMarkerChange(bot, marker);
    EXPECT_TRUE(bot.cache.Entry(3, 4)->ChangePending);
}

TEST_F(MarkerTest, DeleteNamesTheObjectAndRecordsTheKeepTerrainChoice) {
    TMarkerRecord marker = Marker(-2, 6);
    ASSERT_EQ(TerrainMarkerLoad(bot, marker), 0);
    bot.cache.StoreMarker(marker, -1);
    const int32_t id = marker.Id;
    t.world.ClearCallLog();

    EXPECT_EQ(TerrainMarkerDelete(bot, marker, true), 0);
    const Calls expected = {
        "aw_int_set(232,-2000)",
        "aw_int_set(234,6000)",
        "aw_int_set(231," + std::to_string(id) + ")",
        "aw_int_set(230,0)",
        "aw_object_delete()",
    };
    EXPECT_EQ(t.world.CallLog(), expected);
    EXPECT_EQ(t.world.ObjectAt(test::TestBot::kWorld, -2000, 6000), nullptr);
    EXPECT_TRUE(bot.cache.Entry(-2, 6)->KeepTerrain);
    EXPECT_EQ(marker.Id, 0);
    EXPECT_EQ(marker.Number, 0u);
}

TEST_F(MarkerTest, DeleteOfNothingOrOfAnImpossibleRowDoesNothing) {
    TMarkerRecord noObject = Marker(1, 1);
    noObject.Id = 0;
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
    EXPECT_EQ(t.world.CallLog(), (Calls{"aw_int_set(327,2)", "aw_terrain_set(1,-2,1,5,[100])"}));
    auto terrain = t.world.TerrainAt(test::TestBot::kWorld, 1, -2);
    ASSERT_TRUE(terrain.has_value());
    EXPECT_EQ(terrain->value, 5);
    EXPECT_EQ(terrain->height, 100);

    TMarkerRecord hole = Marker(-1, 0);
    hole.Hole = true;
    EXPECT_EQ(ApplyMarkerTerrain(bot, hole), 0);
    EXPECT_EQ(t.world.TerrainAt(test::TestBot::kWorld, -1, 0)->value, 0xFFFE);
    TMarkerRecord turned = Marker(0, 0);
    turned.Texture = 300;
    turned.Rotation = rotation::Quarter;
    EXPECT_EQ(ApplyMarkerTerrain(bot, turned), 0);
    EXPECT_EQ(t.world.TerrainAt(test::TestBot::kWorld, 0, 0)->value, 0x412C);
    EXPECT_EQ(t.world.TerrainAt(test::TestBot::kWorld, 0, 0)->height, 150);
}

TEST_F(MarkerTest, FailedSetTerrainIsAnErrorEntry) {
    t.world.FailNext("aw_terrain_set", reason::NoConnection);
    EXPECT_EQ(TerrainCacheSetTerrain(bot, 1, -2, 5, 100), reason::NoConnection);
    EXPECT_TRUE(HasActivity(ActivityCategory::Error, "Unable to set terrain @ 2S 1W, error 24"));
}

}  // namespace
}  // namespace tv
