// The cell query queue and the terrain command queue, driven through the embedded world.

#include <gtest/gtest.h>

#include <random>

#include "terrain/WorldFixture.h"

namespace tv::test {
namespace {

using Cells = std::vector<std::pair<int32_t, int32_t>>;

class QueryQueueTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        bot().options.MaxQueries = 5;
        tb.world.SetCallLogging(true);
    }
};

TEST_F(QueryQueueTest, AreaBlockIsFourByFourClippedToTheWorld) {
    struct Row {
        int32_t worldSize, cellX, cellZ;
        Cells expected;
    };
    const std::vector<Row> rows = {
        {1, 0, 0, {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {0, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}},
        {10,
         5,
         -3,
         {{3, -5},
          {4, -5},
          {5, -5},
          {6, -5},
          {3, -4},
          {4, -4},
          {5, -4},
          {6, -4},
          {3, -3},
          {4, -3},
          {5, -3},
          {6, -3},
          {3, -2},
          {4, -2},
          {5, -2},
          {6, -2}}},
        {10,
         10,
         10,
         {{8, 8}, {9, 8}, {10, 8}, {8, 9}, {9, 9}, {10, 9}, {8, 10}, {9, 10}, {10, 10}}},
        {10, -10, -10, {{-10, -10}, {-9, -10}, {-10, -9}, {-9, -9}}},
    };
    for (const Row& row : rows) {
        bot().world.queries.Clear();
        bot().worldSize = row.worldSize;
        TerrainQueueAddArea(bot(), row.cellX, row.cellZ);
        EXPECT_EQ(QueuedCells(), row.expected)
            << "world size " << row.worldSize << " around " << row.cellX << "," << row.cellZ;
    }
}

TEST_F(QueryQueueTest, QueuedCellKeepsItsPlaceEvenWithPriority) {
    TerrainQueueAddCell(bot(), 1, 1, false);
    TerrainQueueAddCell(bot(), 2, 2, false);
    TerrainQueueAddCell(bot(), 3, 3, false);
    TerrainQueueAddCell(bot(), 2, 2, true);
    TerrainQueueAddCell(bot(), 3, 3, false);
    EXPECT_EQ(QueuedCells(), (Cells{{1, 1}, {2, 2}, {3, 3}}));
    TerrainQueueAddCell(bot(), 4, 4, true);
    TerrainQueueAddCell(bot(), 5, 5, true);
    EXPECT_EQ(QueuedCells(), (Cells{{5, 5}, {4, 4}, {1, 1}, {2, 2}, {3, 3}}));
}

TEST_F(QueryQueueTest, FindCellAgreesWithAWalkOfTheQueue) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> coordinate(-6, 6);
    std::uniform_int_distribution<int> action(0, 3);
    auto walk = [&](int32_t x, int32_t z) {
        TTerrainQueryQueue::Node* node = nullptr;
        while (bot().world.queries.Next(node))
            if (node->Item->CellX == x && node->Item->CellZ == z) return true;
        return false;
    };
    for (int step = 0; step < 2000; ++step) {
        const int32_t x = coordinate(random);
        const int32_t z = coordinate(random);
        switch (action(random)) {
            case 0:
                TerrainQueueAddCell(bot(), x, z, false);
                break;
            case 1:
                TerrainQueueAddCell(bot(), x, z, true);
                break;
            case 2:
                bot().world.queries.RemoveFirst();
                break;
            default:
                break;
        }
        ASSERT_EQ(TerrainQueueFindCell(bot(), x, z), walk(x, z)) << "step " << step;
    }
    // No cell is ever queued twice.
    Cells cells = QueuedCells();
    std::sort(cells.begin(), cells.end());
    EXPECT_EQ(std::adjacent_find(cells.begin(), cells.end()), cells.end());
    EXPECT_EQ(static_cast<int64_t>(cells.size()), bot().world.queries.Count());
    bot().world.queries.Clear();
    EXPECT_FALSE(TerrainQueueFindCell(bot(), cells.front().first, cells.front().second));
}

TEST_F(QueryQueueTest, CellOutsideTheCacheRowsIsNeverQueued) {
    TerrainQueueAddCell(bot(), 0, 32768, false);
    TerrainQueueAddCell(bot(), 0, -32768, true);
    EXPECT_TRUE(bot().world.queries.Empty());
}

TEST_F(QueryQueueTest, FailedQueryGoesToTheTailAndEndsTheStep) {
    TerrainQueueAddCell(bot(), 1, 1, false);
    TerrainQueueAddCell(bot(), 2, 2, false);
    TerrainQueueAddCell(bot(), 3, 3, false);
    tb.world.FailNext("aw_cell_next", 24);
    tb.world.ClearCallLog();
    TerrainQueryQueueProcess(bot());
    EXPECT_EQ(Calls("aw_cell_next"), 1);
    EXPECT_EQ(QueuedCells(), (Cells{{2, 2}, {3, 3}, {1, 1}}));
    EXPECT_EQ(CallbackCount(bot(), CallbackType::CellQuery), 0);

    TerrainQueryQueueProcess(bot());
    EXPECT_EQ(Calls("aw_cell_next"), 4);
    EXPECT_TRUE(bot().world.queries.Empty());
    EXPECT_EQ(RecordCells(CallbackType::CellQuery), (Cells{{2, 2}, {3, 3}, {1, 1}}));
}

TEST_F(QueryQueueTest, FullFlightSendsNothingAndKeepsKnownHeads) {
    for (int32_t x = 0; x < 5; ++x) TerrainQueueAddCell(bot(), x, 5, false);
    TerrainQueryQueueProcess(bot());
    ASSERT_EQ(CallbackCount(bot(), CallbackType::CellQuery), 5);
    bot().cache.ClearCell(7, 7);  // known, so a free step would drop it without a query
    TerrainQueueAddCell(bot(), 7, 7, false);
    TerrainQueueAddCell(bot(), 8, 8, false);
    tb.world.ClearCallLog();
    TerrainQueryQueueProcess(bot());
    EXPECT_EQ(Calls("aw_cell_next"), 0);
    EXPECT_EQ(QueuedCells(), (Cells{{7, 7}, {8, 8}}));
}

TEST_F(QueryQueueTest, HeadInFlightHoldsTheQueueUntilAnswered) {
    TerrainQueueAddCell(bot(), 1, 1, false);
    TerrainQueueAddCell(bot(), 2, 2, false);
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 1, 1, false, false, 0, 0);
    tb.world.ClearCallLog();
    TerrainQueryQueueProcess(bot());
    EXPECT_EQ(Calls("aw_cell_next"), 0);
    EXPECT_EQ(QueuedCells(), (Cells{{1, 1}, {2, 2}}));

    // Once the cell is known the queue moves on.
    bot().cache.ClearCell(1, 1);
    TerrainQueryQueueProcess(bot());
    EXPECT_EQ(Calls("aw_cell_next"), 1);
    EXPECT_TRUE(bot().world.queries.Empty());
    EXPECT_EQ(RecordCells(CallbackType::CellQuery), (Cells{{1, 1}, {2, 2}}));
}

TEST_F(QueryQueueTest, AnsweredQueryFillsTheCacheAndEndsItsRecord) {
    const SimObject marker = Place(3, -4, "12,90", 77, 250);
    TerrainQueueAddCell(bot(), 3, -4, false);
    TerrainQueueAddCell(bot(), 4, -4, false);
    tb.Tick();  // sends both queries
    EXPECT_EQ(CallbackCount(bot(), CallbackType::CellQuery), 2);
    tb.Tick();  // delivers the answers
    EXPECT_EQ(CallbackCount(bot(), CallbackType::CellQuery), 0);
    const TMarkerRecord cached = Cached(3, -4);
    EXPECT_EQ(cached.Id, marker.id);
    EXPECT_EQ(cached.Number, marker.number);
    EXPECT_EQ(cached.Texture, 12);
    EXPECT_EQ(cached.Rotation, rotation::Quarter);
    EXPECT_EQ(cached.Height, 250);
    EXPECT_EQ(cached.Owner, 77);
    EXPECT_NE(bot().cache.FindCell(4, -4), -1);
    EXPECT_EQ(Cached(4, -4).Id, 0);
}

class CommandQueueTest : public WorldFixture {
protected:
    void SetUp() override {
        WorldFixture::SetUp();
        bot().options.MaxCommands = 5;
        // Far from the cells the tests use, so that its area queries do not learn them.
        user = User(kUser, kCitizen, -8000, -8000).session;
        tb.world.SetCallLogging(true);
    }
    static constexpr int32_t kUser = 501;
    static constexpr int32_t kCitizen = 51;
    int32_t user = 0;

    void Queue(int32_t x, int32_t z, CommandState state, bool priority = false) {
        TerrainQueueCommand(bot(), x, z, state, user, priority, false, 0, 0);
    }
    std::vector<std::string> Commands() const {
        std::vector<std::string> texts;
        for (auto* node = tb.bot->world.commands.Head(); node; node = node->Next)
            texts.push_back(std::to_string(node->Item->CellX) + "," +
                            std::to_string(node->Item->CellZ) + " " +
                            CommandStateName(node->Item->State));
        return texts;
    }
};

TEST_F(CommandQueueTest, StateNames) {
    const std::vector<std::pair<CommandState, std::string>> rows = {
        {CommandState::INVALID, "INVALID"}, {CommandState::DELETE, "DELETE"},
        {CommandState::DETACH, "DETACH"},   {CommandState::HIDE, "HIDE"},
        {CommandState::SHOW, "SHOW"},       {CommandState::TEXTURE, "TEXTURE"}};
    for (const auto& [state, name] : rows) EXPECT_EQ(CommandStateName(state), name);
}

TEST_F(CommandQueueTest, PriorityGoesBeforeEverythingIncludingEarlierPriority) {
    Queue(1, 1, CommandState::HIDE);
    Queue(2, 2, CommandState::SHOW, true);
    Queue(3, 3, CommandState::DELETE, true);
    Queue(4, 4, CommandState::DETACH);
    EXPECT_EQ(Commands(),
              (std::vector<std::string>{"3,3 DELETE", "2,2 SHOW", "1,1 HIDE", "4,4 DETACH"}));
    EXPECT_EQ(TerrainCommandQueueNumberFromSession(bot(), 0), 4);
    EXPECT_EQ(TerrainCommandQueueNumberFromSession(bot(), user), 4);
    EXPECT_EQ(TerrainCommandQueueNumberFromSession(bot(), user + 1), 0);
    EXPECT_TRUE(TerrainCommandQueueNumberFromSessionBool(bot(), 0));
    EXPECT_TRUE(TerrainCommandQueueNumberFromSessionBool(bot(), user));
    EXPECT_FALSE(TerrainCommandQueueNumberFromSessionBool(bot(), user + 1));
}

TEST_F(CommandQueueTest, CountingTheWholeQueueIsNotTraced) {
    const std::size_t before = tb.dir.Read("debug.log").size();
    EXPECT_EQ(TerrainCommandQueueNumberFromSession(bot(), 0), 0);
    EXPECT_FALSE(TerrainCommandQueueNumberFromSessionBool(bot(), 0));
    EXPECT_EQ(TerrainCommandQueueNumberFromSession(bot(), user), 0);
    const std::string added = tb.dir.Read("debug.log").substr(before);
    EXPECT_EQ(added.find("TerrainCommandQueueNumberFromSession 0"), std::string::npos);
    EXPECT_NE(added.find("TerrainCommandQueueNumberFromSessionBool 0\n"), std::string::npos);
    EXPECT_NE(added.find("TerrainCommandQueueNumberFromSession 501\n"), std::string::npos);
}

TEST_F(CommandQueueTest, OnlyTextureCarriesItsTexture) {
    TerrainQueueCommand(bot(), 1, 1, CommandState::TEXTURE, user, false, true, 300, 0x8000);
    TerrainQueueCommand(bot(), 2, 2, CommandState::HIDE, user, false, true, 300, 0x8000);
    const TTerrainCommand& texture = *bot().world.commands.Head()->Item;
    const TTerrainCommand& hide = *bot().world.commands.Tail()->Item;
    EXPECT_TRUE(texture.Hole);
    EXPECT_EQ(texture.Texture, 300);
    EXPECT_EQ(texture.Rotation, 0x8000);
    EXPECT_FALSE(hide.Hole);
    EXPECT_EQ(hide.Texture, 0);
    EXPECT_EQ(hide.Rotation, 0);
}

TEST_F(CommandQueueTest, MaxCommandsTwoCarriesOutThreeCommandsOverTwoTicks) {
    bot().options.MaxCommands = 2;
    for (int32_t x = 1; x <= 3; ++x) {
        Place(x, 2, "4", kCitizen);
        Learn(x, 2);
    }
    for (int32_t x = 1; x <= 3; ++x) Queue(x, 2, CommandState::HIDE);
    tb.world.ClearCallLog();
    TerrainCommandQueueProcess(bot());
    EXPECT_EQ(Calls("aw_object_change"), 2);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"3,2 HIDE"}));
    TerrainCommandQueueProcess(bot());
    EXPECT_EQ(Calls("aw_object_change"), 3);
    EXPECT_TRUE(bot().world.commands.Empty());
    EXPECT_EQ(RecordCells(CallbackType::ShowHide), (Cells{{1, 2}, {2, 2}, {3, 2}}));

    Settle();
    for (int32_t x = 1; x <= 3; ++x) {
        ASSERT_EQ(MarkersAt(x * 1000, 2000).size(), 1u);
        EXPECT_EQ(MarkersAt(x * 1000, 2000)[0].action, "create visible no");
        EXPECT_FALSE(Cached(x, 2).Visible);
    }
    EXPECT_EQ(Replies(user), (std::vector<std::string>{Braced(Lang::show_hide_finished_message)}));
}

TEST_F(CommandQueueTest, InFlightQueriesPaceTheCommands) {
    bot().options.MaxCommands = 2;
    Place(1, 1, "4", kCitizen);
    Learn(1, 1);
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 8, 8, false, false, 0, 0);
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 9, 9, false, false, 0, 0);
    Queue(1, 1, CommandState::HIDE);
    tb.world.ClearCallLog();
    TerrainCommandQueueProcess(bot());
    EXPECT_EQ(Calls("aw_object_change"), 0);
    EXPECT_EQ(Commands().size(), 1u);
    CallbackDelete(bot(), 9, 9, CallbackType::CellQuery);
    TerrainCommandQueueProcess(bot());
    EXPECT_EQ(Calls("aw_object_change"), 1);
}

TEST_F(CommandQueueTest, ShowOfAVisibleMarkerNeedsNoCallAndNoRecord) {
    Place(2, 2, "4", kCitizen);
    Learn(2, 2);
    Queue(2, 2, CommandState::SHOW);
    tb.world.ClearCallLog();
    TerrainCommandQueueProcess(bot());
    EXPECT_TRUE(tb.world.CallLog().empty());
    EXPECT_TRUE(bot().world.commands.Empty());
    EXPECT_TRUE(bot().world.callbacks.Empty());
}

TEST_F(CommandQueueTest, FailedDeleteIsRetriedInTheSameTickAndTheNext) {
    Place(2, 2, "4", kCitizen);
    Learn(2, 2);
    Queue(2, 2, CommandState::DELETE);
    tb.world.FailNext("aw_object_delete", 29, 5);
    tb.world.ClearCallLog();
    TerrainCommandQueueProcess(bot());
    EXPECT_EQ(Calls("aw_object_delete"), 5);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"2,2 DELETE"}));
    EXPECT_TRUE(bot().world.callbacks.Empty());
    const auto activity = tb.ActivityMessages();
    EXPECT_EQ(std::count(activity.begin(), activity.end(), "Unable to delete marker @ 2N 2W"), 5);

    TerrainCommandQueueProcess(bot());
    EXPECT_EQ(Calls("aw_object_delete"), 6);
    EXPECT_TRUE(bot().world.commands.Empty());
    EXPECT_EQ(RecordCells(CallbackType::Delete), (Cells{{2, 2}}));
    Settle();
    EXPECT_TRUE(MarkersAt(2000, 2000).empty());
    EXPECT_EQ(Replies(user), (std::vector<std::string>{Braced(Lang::delete_finished_message)}));
}

TEST_F(CommandQueueTest, FailedCommandIsPassedOverForTheOnesBehindIt) {
    Place(1, 1, "4", kCitizen);
    Place(2, 1, "4", kCitizen);
    Learn(1, 1);
    Learn(2, 1);
    Queue(1, 1, CommandState::DELETE);
    Queue(2, 1, CommandState::HIDE);
    bot().options.MaxCommands = 3;
    tb.world.FailNext("aw_object_delete", 29, 3);
    tb.world.ClearCallLog();
    TerrainCommandQueueProcess(bot());
    // Delete fails, the hide behind it runs, then the failed delete is met again from the head.
    EXPECT_EQ(Calls("aw_object_change"), 1);
    EXPECT_EQ(Calls("aw_object_delete"), 2);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"1,1 DELETE"}));
}

TEST_F(CommandQueueTest, DeleteOrDetachOfACellWithoutMarkerFinishesAtOnce) {
    struct Row {
        CommandState state;
        Lang finished;
    };
    const std::vector<Row> rows = {{CommandState::DELETE, Lang::delete_finished_message},
                                   {CommandState::DETACH, Lang::detach_finished_message}};
    bot().cache.ClearCell(6, 6);  // known, no marker
    for (const Row& row : rows) {
        Queue(6, 6, row.state);
        tb.world.ClearCallLog();
        TerrainCommandQueueProcess(bot());
        EXPECT_TRUE(tb.world.CallLog().empty()) << CommandStateName(row.state);
        EXPECT_TRUE(bot().world.commands.Empty());
        EXPECT_TRUE(bot().world.callbacks.Empty()) << "nothing would ever complete it";
        EXPECT_EQ(Replies(user), (std::vector<std::string>{Braced(row.finished)}));
    }
}

TEST_F(CommandQueueTest, MarkerlessDeleteWaitsForTheUsersOtherWork) {
    Place(1, 1, "4", kCitizen);
    Learn(1, 1);
    bot().cache.ClearCell(6, 6);
    Queue(1, 1, CommandState::DELETE);
    Queue(6, 6, CommandState::DELETE);
    Queue(6, 6, CommandState::DETACH);
    TerrainCommandQueueProcess(bot());
    // The detach was the last of its kind; the deletes wait for the world's answer.
    EXPECT_EQ(Queued(user), (std::vector<std::string>{Braced(Lang::detach_finished_message)}));
    EXPECT_EQ(RecordCells(CallbackType::Delete), (Cells{{1, 1}}));
    Settle();
    EXPECT_EQ(Replies(user), (std::vector<std::string>{Braced(Lang::detach_finished_message),
                                                       Braced(Lang::delete_finished_message)}));
}

}  // namespace
}  // namespace tv::test
