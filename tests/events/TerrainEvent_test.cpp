// The world's object, cell and chat events as the embedded world delivers them.

#include "events/TerrainEvent.h"

#include <gtest/gtest.h>

#include "app/Bot.h"
#include "commands/TerrainRights.h"
#include "support/BotTest.h"
#include "terrain/TerrainStruct.h"

namespace tv::test {
namespace {

TEST(TerrainEventSetTest, InstallsCallbacksAndEventsInOrder) {
    TestBot tb;
    tb.Start();
    tb.world.SetCallLogging(true);
    tb.Login();
    Texts installed;
    for (const std::string& call : tb.world.CallLog())
        if (call.rfind("aw_callback_set(", 0) == 0 || call.rfind("aw_event_set(", 0) == 0)
            installed.push_back(call);
    const Texts expected = {"aw_callback_set(3)", "aw_callback_set(23)", "aw_callback_set(29)",
                            "aw_event_set(7)",    "aw_event_set(8)",     "aw_event_set(19)",
                            "aw_event_set(18)",   "aw_event_set(4)",     "aw_event_set(3)",
                            "aw_event_set(5)",    "aw_event_set(6)",     "aw_event_set(13)",
                            "aw_event_set(11)"};
    ASSERT_GE(installed.size(), expected.size());
    EXPECT_EQ(Texts(installed.begin(), installed.begin() + 13), expected);
}

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
        for (auto [attribute, value] : {std::pair{attr::ObjectX, x},
                                        {attr::ObjectY, 0},
                                        {attr::ObjectZ, z},
                                        {attr::ObjectYaw, 0},
                                        {attr::ObjectTilt, 0},
                                        {attr::ObjectRoll, 0},
                                        {attr::ObjectId, id},
                                        {attr::ObjectNumber, static_cast<int32_t>(number)},
                                        {attr::ObjectOwner, 0},
                                        {attr::ObjectTimestamp, 1000},
                                        {attr::ObjectSession, sdk.aw_session()}})
            sdk.aw_int_set(attribute, value);
        sdk.aw_string_set(attr::ObjectDescription, "4");
        sdk.aw_string_set(attr::ObjectAction, "");
    }
    void CellBegin(int32_t cellX, int32_t cellZ) {
        tb.world.aw_int_set(attr::CellX, cellX);
        tb.world.aw_int_set(attr::CellZ, cellZ);
        TerrainEventCellBegin(bot());
    }
    void Click(int32_t session, int32_t x, int32_t z) {
        ASSERT_EQ(tb.world.UserClick(session, x, z), 0);
        Deliver();
    }
};

TEST_F(EventTest, OnlyTypeZeroTerrainModelsAreMarkers) {
    struct Row {
        int32_t cellX, type;
        std::string model;
        bool marker;
    };
    const Row rows[] = {
        {1, 0, "Terrain.RWX", true}, {2, 1, "terrain.rwx", false}, {3, 0, "tree01.rwx", false}};
    for (const Row& row : rows) {
        SimObjectSpec shape = Shape(row.cellX * 1000, 7000, "4");
        shape.type = row.type;
        shape.model = row.model;
        ASSERT_EQ(tb.world.UserBuild(kUser, shape), 0);
        Deliver();
        EXPECT_EQ(bot().cache.FindCell(row.cellX, 7) != -1, row.marker) << row.model;
        const std::string trace =
            "TerrainEventObjectAdd [CellIgnore = False, ObjectType = " + std::to_string(row.type) +
            "]";
        EXPECT_NE(tb.dir.Read("debug.log").find(trace), std::string::npos) << row.model;
    }
}

TEST_F(EventTest, ClickModesAndTheirWords) {
    struct Row {
        uint8_t mode;
        std::string command, activity;
        Lang reply;
    };
    const std::string at = " by click at 3S 2W";
    const Row rows[] = {{3, "2,-3 HIDE s801", "Hides" + at, Lang::click_hide_message},
                        {1, "2,-3 DELETE s801", "Deletes" + at, Lang::click_delete_message},
                        {2, "2,-3 DETACH s801", "Detaches" + at, Lang::click_detach_message},
                        {4, "2,-3 SHOW s801", "Shows" + at, Lang::click_show_message},
                        {0, "", "", Lang::invalid_clickmode},
                        {5, "", "", Lang::invalid_clickmode},
                        {9, "", "", Lang::invalid_clickmode}};
    TTerrainSession& session = *user;
    ASSERT_EQ(tb.world.UserBuild(kUser, Shape(2000, -3000, "4")), 0);
    Settle();
    bot().options.MaxCommands = 0;  // keep the queued commands still
    EXPECT_EQ(session.clickMode, 3) << "hide until the user chooses";
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.mode));
        session.clickMode = row.mode;
        const std::size_t entries = bot().model.Activity().size();
        Click(kUser, 2000, -3000);
        if (row.command.empty()) {
            EXPECT_TRUE(QueuedCommands().empty());
            EXPECT_EQ(bot().model.Activity().size(), entries);
            EXPECT_EQ(Replies(kUser), Texts{Braced(row.reply)});
        } else {
            EXPECT_EQ(QueuedCommands(), Texts{row.command});
            EXPECT_EQ(LastActivity(), row.activity);
            EXPECT_EQ(bot().model.Activity().front().privilege, kCitizen);
            EXPECT_EQ(Replies(kUser), Texts{Braced(row.reply) + " 3S 2W"});
        }
        bot().world.commands.Clear();
    }
    session.clickMode = 3;
    bot().options.MaxCommands = 5;
    Click(kUser, 2000, -3000);
    Settle();
    EXPECT_EQ(MarkersAt(2000, -3000).at(0).action, "create visible no");
}

TEST_F(EventTest, ClickingMarkersKeepsTheSessionFromIdlingOut) {
    bot().options.WarnTime = 30;
    bot().options.DisableTime = 60;
    TTerrainSession& session = *user;
    Place(4, 4, "4", kCitizen);
    Learn(4, 4);
    tb.clock.Advance(50'000);
    Click(kUser, 4000, 4000);
    tb.clock.Advance(20'000);
    CheckSessionTimeouts(bot());
    EXPECT_TRUE(session.enabled);
    EXPECT_FALSE(session.warned);
}

TEST_F(EventTest, ClickGates) {
    struct Row {
        std::string name;
        bool terrainRight, enabled, ownMarker, eminentDomain;
        Texts replies;
        bool queued;
    };
    const std::string hidden = Braced(Lang::click_hide_message) + " ";
    const std::vector<Row> rows = {
        {"no terrain right", false, true, true, false, {}, false},
        {"session not enabled",
         true,
         false,
         true,
         false,
         {Braced(Lang::not_enabled_message)},
         false},
        {"other's marker", true, true, false, false, {Braced(Lang::click_no_ed_message)}, false},
        {"other's marker, eminent domain", true, true, false, true, {hidden}, true},
        {"own marker", true, true, true, false, {hidden}, true}};
    int32_t n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ++n;
        const int32_t session = kUser + n;
        const int32_t citizen = kCitizen + n;
        Arrive({session, citizen, -8000, -8000, row.enabled});
        tb.world.SetWorldRight(TestBot::kWorld, citizen, right::Terrain, row.terrainRight);
        tb.world.SetWorldRight(TestBot::kWorld, citizen, right::EminentDomain, row.eminentDomain);
        Place(n, 5, "4", row.ownMarker ? citizen : 999);
        Learn(n, 5);
        bot().world.commands.Clear();
        Click(session, n * 1000, 5000);
        EXPECT_EQ(!bot().world.commands.Empty(), row.queued);
        Texts replies = Outgoing(session);
        for (std::string& reply : replies)
            if (reply.rfind(hidden, 0) == 0) reply = hidden;
        EXPECT_EQ(replies, row.replies);
        Settle();
    }
}

TEST_F(EventTest, ClickOnAnUncachedCellLearnsTheMarkerAndActs) {
    const SimObject marker = Place(3, -5, "6", kCitizen);
    Click(kUser, 3000, -5000);
    EXPECT_EQ(Cached(3, -5).Id, marker.id);
    EXPECT_EQ(QueuedCommands(), Texts{"3,-5 HIDE s801"});
}

TEST_F(EventTest, ClickOnAnotherObjectThanTheCachedMarkerOnlyLearnsIt) {
    const SimObject marker = Place(3, 5, "6", kCitizen);
    Learn(3, 5);
    SimObjectSpec stray = Shape(3200, 5100, "6");
    stray.owner = kCitizen;
    tb.world.PlaceObject(TestBot::kWorld, stray);
    Click(kUser, 3200, 5100);
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
        Texts replies;
    };
    const std::string unknown = "'FOO' " + Braced(Lang::invalid_command_error);
    const std::vector<Row> rows = {{"prefix in capitals", "T:FOO", true, 0, true, {unknown}},
                                   {"prefix alone", "t:", true, 0, false, {}},
                                   {"no prefix", "hello t:foo", true, 0, false, {}},
                                   {"not in the rights list",
                                    "t:foo",
                                    false,
                                    0,
                                    false,
                                    {"You do not have terrain rights in terra."}},
                                   {"flood-ejected", "t:foo", true, -1, true, {}}};
    int32_t n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ++n;
        TTerrainSession& record = Arrive({kUser + n, kCitizen + n, -8000, -8000, true});
        bot().rights.Clear();
        if (row.listed) TerrainRightsFromString(bot().rights, "*");
        record.floodCount = row.floodCount;
        ASSERT_EQ(tb.world.UserChat(kUser + n, row.text), 0);
        Deliver();
        EXPECT_EQ(record.lastCommandMs != 0, row.counted);
        EXPECT_EQ(Outgoing(kUser + n), row.replies);
        Settle();
    }
}

TEST_F(EventTest, ResultCallbacksLogOnlyFailures) {
    for (int failed : {0, 1}) {
        TerrainCallbackObjectResult(bot(), failed * 31);
        TerrainCallbackCellResult(bot(), failed * 32);
        TerrainCallbackTerrainSetResult(bot(), failed * 33);
    }
    const std::string log = tb.dir.Read("debug.log");
    for (auto [name, reason] : {std::pair{"Object", 31}, {"Cell", 32}, {"TerrainSet", 33}}) {
        const std::string line = std::string("TerrainCallback") + name + "Result: ";
        EXPECT_NE(log.find(line + std::to_string(reason) + "\n"), std::string::npos) << line;
        EXPECT_EQ(log.find(line + "0\n"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace tv::test
