// The world's object, cell and chat events as the embedded world delivers them.

#include "events/TerrainEvent.h"

#include <gtest/gtest.h>

#include "app/Bot.h"
#include "terrain/TerrainStruct.h"
#include "terrain/WorldFixture.h"

namespace tv::test {
namespace {

TEST(TerrainEventSetTest, InstallsCallbacksAndEventsInOrder) {
    TestBot tb;
    tb.Start();
    tb.world.SetCallLogging(true);
    tb.Login();
    std::vector<std::string> installed;
    for (const std::string& call : tb.world.CallLog())
        if (call.rfind("aw_callback_set(", 0) == 0 || call.rfind("aw_event_set(", 0) == 0)
            installed.push_back(call);
    const std::vector<std::string> expected = {
        "aw_callback_set(3)", "aw_callback_set(23)", "aw_callback_set(29)", "aw_event_set(7)",
        "aw_event_set(8)",    "aw_event_set(19)",    "aw_event_set(18)",    "aw_event_set(4)",
        "aw_event_set(3)",    "aw_event_set(5)",     "aw_event_set(6)",     "aw_event_set(13)",
        "aw_event_set(11)"};
    ASSERT_GE(installed.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(installed.begin(), installed.begin() + 13), expected);
}

class EventTest : public WorldFixture {
protected:
    static constexpr int32_t kUser = 801;
    static constexpr int32_t kCitizen = 81;

    SimObjectSpec Spec(int32_t x, int32_t z, const std::string& description) {
        SimObjectSpec shape;
        shape.x = x;
        shape.z = z;
        shape.description = description;
        return shape;
    }

    std::vector<std::string> Commands() const {
        std::vector<std::string> texts;
        for (auto* node = tb.bot->world.commands.Head(); node; node = node->Next)
            texts.push_back(std::to_string(node->Item->CellX) + "," +
                            std::to_string(node->Item->CellZ) + " " +
                            CommandStateName(node->Item->State) + " s" +
                            std::to_string(node->Item->AvatarSession));
        return texts;
    }

    bool ActivityHas(const std::string& text) const {
        for (const std::string& message : tb.ActivityMessages())
            if (message.find(text) != std::string::npos) return true;
        return false;
    }

    // The attributes of a terrain marker object event, as the world would set them.
    void MarkerAttributes(int32_t x, int32_t z, int32_t id, uint32_t number) {
        AwSdk& sdk = tb.world;
        sdk.aw_int_set(attr::ObjectType, 0);
        sdk.aw_string_set(attr::ObjectModel, "terrain.rwx");
        sdk.aw_int_set(attr::ObjectX, x);
        sdk.aw_int_set(attr::ObjectY, 0);
        sdk.aw_int_set(attr::ObjectZ, z);
        sdk.aw_int_set(attr::ObjectYaw, 0);
        sdk.aw_int_set(attr::ObjectTilt, 0);
        sdk.aw_int_set(attr::ObjectRoll, 0);
        sdk.aw_int_set(attr::ObjectId, id);
        sdk.aw_int_set(attr::ObjectNumber, static_cast<int>(number));
        sdk.aw_string_set(attr::ObjectDescription, "4");
        sdk.aw_string_set(attr::ObjectAction, "");
        sdk.aw_int_set(attr::ObjectOwner, 0);
        sdk.aw_int_set(attr::ObjectTimestamp, 1000);
        sdk.aw_int_set(attr::ObjectSession, sdk.aw_session());
    }

    void CellAttributes(int32_t cellX, int32_t cellZ) {
        tb.world.aw_int_set(attr::CellX, cellX);
        tb.world.aw_int_set(attr::CellZ, cellZ);
    }
};

TEST_F(EventTest, OnlyTypeZeroTerrainModelsAreMarkers) {
    struct Row {
        int32_t cellX, type;
        std::string model;
        bool marker;
    };
    const std::vector<Row> rows = {
        {1, 0, "Terrain.RWX", true}, {2, 1, "terrain.rwx", false}, {3, 0, "tree01.rwx", false}};
    User(kUser, kCitizen, -8000, -8000);
    for (const Row& row : rows) {
        SimObjectSpec shape = Spec(row.cellX * 1000, 7000, "4");
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

TEST_F(EventTest, ClickInHideModeQueuesHideWithActivityAndReply) {
    User(kUser, kCitizen, -8000, -8000);
    ASSERT_EQ(tb.world.UserBuild(kUser, Spec(2000, -3000, "4")), 0);
    Settle();
    ASSERT_EQ(tb.world.UserClick(kUser, 2000, -3000), 0);
    Deliver();
    EXPECT_EQ(Commands(), (std::vector<std::string>{"2,-3 HIDE s801"}));
    const auto activity = tb.ActivityMessages();
    ASSERT_FALSE(activity.empty());
    EXPECT_EQ(activity.back(), "Hides by click at 3S 2W");
    EXPECT_EQ(tb.bot->model.Activity().front().privilege, kCitizen);
    EXPECT_EQ(Queued(kUser),
              (std::vector<std::string>{Braced(Lang::click_hide_message) + " 3S 2W"}));
    Settle();
    EXPECT_EQ(MarkersAt(2000, -3000).at(0).action, "create visible no");
}

TEST_F(EventTest, ClickingMarkersKeepsTheSessionFromIdlingOut) {
    bot().options.WarnTime = 30;
    bot().options.DisableTime = 60;
    TTerrainSession& session = User(kUser, kCitizen, -8000, -8000);
    Place(4, 4, "4", kCitizen);
    Learn(4, 4);
    tb.clock.Advance(50'000);
    ASSERT_EQ(tb.world.UserClick(kUser, 4000, 4000), 0);
    Deliver();
    tb.clock.Advance(20'000);
    CheckSessionTimeouts(bot());
    EXPECT_TRUE(session.enabled);
    EXPECT_FALSE(session.warned);
}

TEST_F(EventTest, ClickModesAndTheirWords) {
    struct Row {
        CommandState mode;
        std::string verb;
        Lang reply;
    };
    const std::vector<Row> rows = {{CommandState::DELETE, "Deletes", Lang::click_delete_message},
                                   {CommandState::DETACH, "Detaches", Lang::click_detach_message},
                                   {CommandState::HIDE, "Hides", Lang::click_hide_message},
                                   {CommandState::SHOW, "Shows", Lang::click_show_message}};
    TTerrainSession& session = User(kUser, kCitizen, -8000, -8000);
    Place(4, 4, "4", kCitizen);
    Learn(4, 4);
    bot().options.MaxCommands = 0;  // keep the queued commands still
    for (const Row& row : rows) {
        session.clickMode = static_cast<uint8_t>(row.mode);
        ASSERT_EQ(tb.world.UserClick(kUser, 4000, 4000), 0);
        Deliver();
        EXPECT_EQ(Commands().back(), std::string("4,4 ") + CommandStateName(row.mode) + " s801");
        EXPECT_EQ(tb.ActivityMessages().back(), row.verb + " by click at 4N 4W");
        EXPECT_EQ(Queued(kUser).back(), Braced(row.reply) + " 4N 4W");
    }
}

TEST_F(EventTest, ClickModeWithoutMeaningIsRefused) {
    TTerrainSession& session = User(kUser, kCitizen, -8000, -8000);
    Place(4, 4, "4", kCitizen);
    Learn(4, 4);
    for (uint8_t mode : {0, 5, 9}) {
        session.clickMode = mode;
        ASSERT_EQ(tb.world.UserClick(kUser, 4000, 4000), 0);
        Deliver();
        EXPECT_TRUE(bot().world.commands.Empty()) << int(mode);
        EXPECT_FALSE(ActivityHas("by click at")) << int(mode);
        EXPECT_EQ(Replies(kUser), (std::vector<std::string>{Braced(Lang::invalid_clickmode)}));
    }
}

TEST_F(EventTest, ClickGates) {
    struct Row {
        std::string name;
        bool terrainRight, enabled, ownMarker, eminentDomain;
        std::vector<std::string> replies;
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
        {"own marker", true, true, true, false, {hidden}, true},
    };
    int32_t n = 0;
    for (const Row& row : rows) {
        ++n;
        const int32_t session = kUser + n;
        const int32_t citizen = kCitizen + n;
        User(session, citizen, -8000, -8000, row.enabled);
        tb.world.SetWorldRight(TestBot::kWorld, citizen, 50, row.terrainRight);
        tb.world.SetWorldRight(TestBot::kWorld, citizen, 51, row.eminentDomain);
        Place(n, 5, "4", row.ownMarker ? citizen : 999);
        Learn(n, 5);
        bot().world.commands.Clear();
        ASSERT_EQ(tb.world.UserClick(session, n * 1000, 5000), 0);
        Deliver();
        EXPECT_EQ(!bot().world.commands.Empty(), row.queued) << row.name;
        std::vector<std::string> replies = Queued(session);
        for (std::string& reply : replies)
            if (reply.rfind(hidden, 0) == 0) reply = hidden;
        EXPECT_EQ(replies, row.replies) << row.name;
        Settle();
    }
}

TEST_F(EventTest, ClickOnAnUncachedCellLearnsTheMarkerAndActs) {
    User(kUser, kCitizen, -8000, -8000);
    const SimObject marker = Place(3, -5, "6", kCitizen);
    ASSERT_EQ(tb.world.UserClick(kUser, 3000, -5000), 0);
    Deliver();
    EXPECT_EQ(Cached(3, -5).Id, marker.id);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"3,-5 HIDE s801"}));
}

TEST_F(EventTest, ClickOnAnotherObjectThanTheCachedMarkerOnlyLearnsIt) {
    User(kUser, kCitizen, -8000, -8000);
    const SimObject marker = Place(3, 5, "6", kCitizen);
    Learn(3, 5);
    SimObjectSpec stray = Spec(3200, 5100, "6");
    stray.owner = kCitizen;
    tb.world.PlaceObject(TestBot::kWorld, stray);
    ASSERT_EQ(tb.world.UserClick(kUser, 3200, 5100), 0);
    Deliver();
    EXPECT_TRUE(bot().world.commands.Empty());
    EXPECT_TRUE(Queued(kUser).empty());
    Settle();
    // The stray marker was taken in like a reported one: moved onto the anchor, where it won.
    EXPECT_TRUE(MarkersAt(3200, 5100).empty());
    ASSERT_EQ(MarkersAt(3000, 5000).size(), 1u);
    EXPECT_NE(MarkersAt(3000, 5000)[0].number, marker.number);
}

TEST_F(EventTest, QueryOfAnEmptyCellLeavesItKnown) {
    TerrainQueueAddCell(bot(), 5, -6, false);
    Settle();
    EXPECT_NE(bot().cache.FindCell(5, -6), -1);
    EXPECT_EQ(Cached(5, -6).Id, 0);
    EXPECT_TRUE(bot().world.callbacks.Empty());
}

TEST_F(EventTest, CellBeyondTheWorldIsIgnoredUntilTheNextCellInside) {
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 15, 4, false, false, 0, 0);
    CellAttributes(3, TestBot::kWorldSize + 1);
    TerrainEventCellBegin(bot());
    EXPECT_TRUE(bot().cellQuery.CellIgnore);
    MarkerAttributes(4000, 4000, 9001, 0x90001);
    TerrainEventCellObject(bot());
    TerrainEventObjectAdd(bot());
    TerrainEventCellEnd(bot());
    EXPECT_EQ(bot().cache.FindCell(4, 4), -1);
    EXPECT_EQ(bot().cache.FindCell(3, TestBot::kWorldSize + 1), -1);

    // x beyond the world is accepted: only z picks a cache row.
    CellAttributes(TestBot::kWorldSize + 5, 4);
    TerrainEventCellBegin(bot());
    EXPECT_FALSE(bot().cellQuery.CellIgnore);
    EXPECT_EQ(bot().cellQuery.CurCellX, TestBot::kWorldSize + 5);
    MarkerAttributes((TestBot::kWorldSize + 5) * 1000, 4000, 9002, 0x90002);
    TerrainEventCellObject(bot());
    TerrainEventCellEnd(bot());
    EXPECT_EQ(Cached(TestBot::kWorldSize + 5, 4).Id, 9002);
    EXPECT_TRUE(bot().world.callbacks.Empty());
}

TEST_F(EventTest, SelectQueuesAnUncachedCellFirst) {
    User(kUser, kCitizen, -8000, -8000);
    Place(4, -4, "4");
    Place(6, -4, "4");
    Learn(6, -4);
    bot().options.MaxQueries = 0;  // keep the query queue still
    TerrainQueueAddCell(bot(), 1, 1, false);
    ASSERT_EQ(tb.world.UserSelect(kUser, 4000, -4000), 0);
    ASSERT_EQ(tb.world.UserSelect(kUser, 6000, -4000), 0);
    Deliver();
    EXPECT_EQ(QueuedCells(), (std::vector<std::pair<int32_t, int32_t>>{{4, -4}, {1, 1}}));
}

TEST_F(EventTest, ChatLinesReachTheDispatcherOnlyThroughTheGates) {
    struct Row {
        std::string name, text;
        bool listed;
        int32_t floodCount;
        bool counted;
        std::vector<std::string> replies;
    };
    const std::string unknown = "'FOO' " + Braced(Lang::invalid_command_error);
    const std::vector<Row> rows = {
        {"prefix in capitals", "T:FOO", true, 0, true, {unknown}},
        {"prefix alone", "t:", true, 0, false, {}},
        {"no prefix", "hello t:foo", true, 0, false, {}},
        {"not in the rights list",
         "t:foo",
         false,
         0,
         false,
         {"You do not have terrain rights in terra."}},
        {"flood-ejected", "t:foo", true, -1, true, {}},
    };
    int32_t n = 0;
    for (const Row& row : rows) {
        ++n;
        const int32_t session = kUser + n;
        const int32_t citizen = kCitizen + n;
        TTerrainSession& record = User(session, citizen, -8000, -8000);
        bot().rights.Clear();
        if (row.listed) TerrainRightsFromString(bot().rights, "*");
        record.floodCount = row.floodCount;
        ASSERT_EQ(tb.world.UserChat(session, row.text), 0);
        Deliver();
        EXPECT_EQ(record.lastCommandMs != 0, row.counted) << row.name;
        EXPECT_EQ(Queued(session), row.replies) << row.name;
        Settle();
    }
}

TEST_F(EventTest, ResultCallbacksLogOnlyFailures) {
    TerrainCallbackObjectResult(bot(), 0);
    TerrainCallbackCellResult(bot(), 0);
    TerrainCallbackTerrainSetResult(bot(), 0);
    TerrainCallbackObjectResult(bot(), 31);
    TerrainCallbackCellResult(bot(), 32);
    TerrainCallbackTerrainSetResult(bot(), 33);
    const std::string log = tb.dir.Read("debug.log");
    for (const char* line : {"TerrainCallbackObjectResult: 31\n", "TerrainCallbackCellResult: 32\n",
                             "TerrainCallbackTerrainSetResult: 33\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    for (const char* line : {"TerrainCallbackObjectResult: 0\n", "TerrainCallbackCellResult: 0\n",
                             "TerrainCallbackTerrainSetResult: 0\n"})
        EXPECT_EQ(log.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace tv::test
