// The world's object, cell and chat events as the embedded world delivers them. Clicks end to
// end: scenarios/econ_clicks.scn.

#include "events/TerrainEvent.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/Bot.h"
#include "commands/TerrainRights.h"
#include "support/BotTest.h"
#include "terrain/TerrainStruct.h"

namespace tv::test {
namespace {

class EventTest : public BotTest {
protected:
    static constexpr int32_t kUser = 801;
    static constexpr int32_t kCitizen = 81;

    // The user at (-8, -8), far from the cells the tests use, with terrain enabled.
    void SetUp() override {
        Login();
        user = &Arrive({kUser, kCitizen, -8000, -8000, true});
    }
    TTerrainSession* user = nullptr;

    // The attributes of a terrain marker object event, as the world would set them.
    void MarkerAttributes(int32_t x, int32_t z, int32_t id, uint32_t number) {
        AwSdk& sdk = tb.world;
        sdk.aw_int_set(attr::ObjectType, 0);
        sdk.aw_string_set(attr::ObjectModel, "terrain.rwx");
        // clang-format off
        const std::pair<int, int32_t> values[] = {
            {attr::ObjectX, x}, {attr::ObjectY, 0}, {attr::ObjectZ, z}, {attr::ObjectYaw, 0},
            {attr::ObjectTilt, 0}, {attr::ObjectRoll, 0}, {attr::ObjectId, id},
            {attr::ObjectNumber, static_cast<int32_t>(number)}, {attr::ObjectOwner, 0},
            {attr::ObjectTimestamp, 1000}, {attr::ObjectSession, sdk.aw_session()}};
        // clang-format on
        for (auto [attribute, value] : values) sdk.aw_int_set(attribute, value);
        sdk.aw_string_set(attr::ObjectDescription, "4");
        sdk.aw_string_set(attr::ObjectAction, "");
    }
    void CellBegin(int32_t cellX, int32_t cellZ) {
        tb.world.aw_int_set(attr::CellX, cellX);
        tb.world.aw_int_set(attr::CellZ, cellZ);
        TerrainEventCellBegin(bot());
    }
};

TEST_F(EventTest, OnlyTypeZeroTerrainModelsAreMarkers) {
    const std::tuple<int32_t, int32_t, const char*, bool> rows[] = {
        {1, 0, "Terrain.RWX", true}, {2, 1, "terrain.rwx", false}, {3, 0, "tree01.rwx", false}};
    for (auto [cellX, type, model, marker] : rows) {
        SimObjectSpec shape = Shape(cellX * 1000, 7000, "4");
        shape.type = type;
        shape.model = model;
        ASSERT_EQ(tb.world.UserBuild(kUser, shape), 0);
        Deliver();
        EXPECT_EQ(bot().cache.FindCell(cellX, 7) != -1, marker) << model;
    }
}

TEST_F(EventTest, ClickOnAnotherObjectThanTheCachedMarkerOnlyLearnsIt) {
    const SimObject marker = Place(3, 5, "6", kCitizen);
    Learn(3, 5);
    SimObjectSpec stray = Shape(3200, 5100, "6");
    stray.owner = kCitizen;
    tb.world.PlaceObject(TestBot::kWorld, stray);
    ASSERT_EQ(tb.world.UserClick(kUser, 3200, 5100), 0);
    Deliver();
    EXPECT_TRUE(bot().world.commands.Empty());
    EXPECT_TRUE(Outgoing(kUser).empty());
    Settle();
    // The stray marker was taken in like a reported one: moved onto the anchor, where it won.
    EXPECT_TRUE(MarkersAt(3200, 5100).empty());
    ASSERT_EQ(MarkersAt(3000, 5000).size(), 1u);
    EXPECT_NE(MarkersAt(3000, 5000)[0].number, marker.number);
}

TEST_F(EventTest, CellBeyondTheWorldIsIgnoredUntilTheNextCellInside) {
    const int32_t beyond = TestBot::kWorldSize + 1;
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 15, 4, false, false, 0, 0);
    CellBegin(3, beyond);
    EXPECT_TRUE(bot().cellQuery.CellIgnore);
    MarkerAttributes(4000, 4000, 9001, 0x90001);
    TerrainEventCellObject(bot());
    TerrainEventObjectAdd(bot());
    TerrainEventCellEnd(bot());
    EXPECT_EQ(bot().cache.FindCell(4, 4), -1);
    EXPECT_EQ(bot().cache.FindCell(3, beyond), -1);

    // x beyond the world is accepted: only z picks a cache row.
    CellBegin(beyond + 4, 4);
    EXPECT_FALSE(bot().cellQuery.CellIgnore);
    EXPECT_EQ(bot().cellQuery.CurCellX, beyond + 4);
    MarkerAttributes((beyond + 4) * 1000, 4000, 9002, 0x90002);
    TerrainEventCellObject(bot());
    TerrainEventCellEnd(bot());
    EXPECT_EQ(Cached(beyond + 4, 4).Id, 9002);
    EXPECT_TRUE(bot().world.callbacks.Empty());
}

TEST_F(EventTest, SelectQueuesAnUncachedCellFirst) {
    Place(4, -4, "4");
    Place(6, -4, "4");
    Learn(6, -4);
    bot().options.MaxQueries = 0;  // keep the query queue still
    TerrainQueueAddCell(bot(), 1, 1, false);
    ASSERT_EQ(tb.world.UserSelect(kUser, 4000, -4000), 0);
    ASSERT_EQ(tb.world.UserSelect(kUser, 6000, -4000), 0);
    Deliver();
    EXPECT_EQ(QueuedCells(), (Cells{{4, -4}, {1, 1}}));
}

TEST_F(EventTest, ChatLinesReachTheDispatcherOnlyThroughTheGates) {
    struct Row {
        std::string name, text;
        bool listed;
        int32_t floodCount;
        bool counted;
        std::string reply;  // none when empty
    };
    const Row rows[] = {{"prefix in capitals", "T:FOO", true, 0, true,
                         "'FOO' " + Braced(Lang::invalid_command_error)},
                        {"prefix alone", "t:", true, 0, false, ""},
                        {"no prefix", "hello t:foo", true, 0, false, ""},
                        {"not in the rights list", "t:foo", false, 0, false,
                         "You do not have terrain rights in terra."},
                        {"flood-ejected", "t:foo", true, -1, true, ""}};
    int32_t n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ++n;
        TTerrainSession& record = Arrive({kUser + n, kCitizen + n, -8000, -8000, true});
        TerrainRightsFromString(bot().rights, row.listed ? "*" : "");
        record.floodCount = row.floodCount;
        ASSERT_EQ(tb.world.UserChat(kUser + n, row.text), 0);
        Deliver();
        EXPECT_EQ(record.lastCommandMs != 0, row.counted);
        EXPECT_EQ(Outgoing(kUser + n), row.reply.empty() ? Texts{} : Texts{row.reply});
        Settle();
    }
}

}  // namespace
}  // namespace tv::test
