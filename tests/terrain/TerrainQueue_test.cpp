// The cell query queue and the terrain command queue, driven through the embedded world.

#include "terrain/TerrainQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/BotTest.h"

namespace tv::test {
namespace {

class QueryQueueTest : public BotTest {
protected:
    void SetUp() override {
        Login();
        bot().options.MaxQueries = 5;
        tb.world.SetCallLogging(true);
    }
    void Add(const Cells& cells, bool priority = false) {
        for (auto [x, z] : cells) TerrainQueueAddCell(bot(), x, z, priority);
    }
};

// The cells of a block, row by row from (x0, z0) to (x1, z1).
Cells Block(int32_t x0, int32_t z0, int32_t x1, int32_t z1) {
    Cells cells;
    for (int32_t z = z0; z <= z1; ++z)
        for (int32_t x = x0; x <= x1; ++x) cells.emplace_back(x, z);
    return cells;
}

TEST_F(QueryQueueTest, AreaBlockIsFourByFourClippedToTheWorld) {
    // World size, the cell, the block queued.
    const std::tuple<int32_t, int32_t, int32_t, Cells> rows[] = {
        {1, 0, 0, Block(-1, -1, 1, 1)},
        {10, 5, -3, Block(3, -5, 6, -2)},
        {10, 10, 10, Block(8, 8, 10, 10)},
        {10, -10, -10, Block(-10, -10, -9, -9)}};
    for (const auto& [worldSize, cellX, cellZ, expected] : rows) {
        bot().world.queries.Clear();
        bot().worldSize = worldSize;
        TerrainQueueAddArea(bot(), cellX, cellZ);
        EXPECT_EQ(QueuedCells(), expected) << worldSize << " around " << cellX << "," << cellZ;
    }
}

// Against a plain list: a new cell goes to the tail, or to the head with priority; a queued cell
// keeps its place even with priority; FindCell agrees with a walk of the queue.
TEST_F(QueryQueueTest, QueueAgreesWithAPlainListAndFindCellWithAWalk) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> coordinate(-6, 6);
    std::uniform_int_distribution<int> action(0, 3);
    Cells reference;
    auto listed = [&](std::pair<int32_t, int32_t> cell) {
        return std::find(reference.begin(), reference.end(), cell) != reference.end();
    };
    for (int step = 0; step < 2000; ++step) {
        const std::pair<int32_t, int32_t> cell{coordinate(random), coordinate(random)};
        const int what = action(random);
        if (what < 2) Add({cell}, what == 1);
        if (what < 2 && !listed(cell))
            reference.insert(what == 1 ? reference.begin() : reference.end(), cell);
        if (what == 2) bot().world.queries.RemoveFirst();
        if (what == 2 && !reference.empty()) reference.erase(reference.begin());
        ASSERT_EQ(QueuedCells(), reference) << "step " << step;
        ASSERT_EQ(TerrainQueueFindCell(bot(), cell.first, cell.second), listed(cell));
    }
    EXPECT_EQ(static_cast<int64_t>(reference.size()), bot().world.queries.Count());
    bot().world.queries.Clear();
    EXPECT_FALSE(TerrainQueueFindCell(bot(), reference[0].first, reference[0].second));
    // A cell outside the cache rows is never queued.
    Add({{0, 32768}});
    Add({{0, -32768}}, true);
    EXPECT_TRUE(bot().world.queries.Empty());
}

TEST_F(QueryQueueTest, FailedQueryGoesToTheTailAndAHeadInFlightHoldsTheQueue) {
    Add({{1, 1}, {2, 2}, {3, 3}});
    tb.world.FailNext("aw_cell_next", 24);
    tb.world.ClearCallLog();
    TerrainQueryQueueProcess(bot());  // the failure ends the step
    EXPECT_EQ(Calls("aw_cell_next"), 1);
    EXPECT_EQ(QueuedCells(), (Cells{{2, 2}, {3, 3}, {1, 1}}));
    EXPECT_EQ(CallbackCount(bot(), CallbackType::CellQuery), 0);
    // Nothing is sent while the head is in flight; once it is known the queue moves on.
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 2, 2, false, false, 0, 0);
    for (int calls : {1, 3}) {
        TerrainQueryQueueProcess(bot());
        EXPECT_EQ(Calls("aw_cell_next"), calls);
        EXPECT_EQ(QueuedCells().size(), calls == 1 ? 3u : 0u);
        bot().cache.ClearCell(2, 2);
    }
    EXPECT_EQ(RecordCells(CallbackType::CellQuery), (Cells{{2, 2}, {3, 3}, {1, 1}}));
}

TEST_F(QueryQueueTest, KnownHeadsAreDroppedWithoutUsingAQueryTurn) {
    for (int32_t x = 0; x < 8; ++x) bot().cache.ClearCell(x, 0);  // known cells first in line
    Add(Block(0, 0, 7, 1));
    tb.world.ClearCallLog();
    TerrainQueryQueueProcess(bot());
    EXPECT_EQ(Calls("aw_cell_next"), 5);  // MaxQueries, as if no known cell had been in line
    EXPECT_EQ(RecordCells(CallbackType::CellQuery), Block(0, 1, 4, 1));
    EXPECT_EQ(QueuedCells(), Block(5, 1, 7, 1));
    // With every place in flight, a known head stays in line and nothing is sent.
    bot().cache.ClearCell(5, 1);
    TerrainQueryQueueProcess(bot());
    EXPECT_EQ(Calls("aw_cell_next"), 5);
    EXPECT_EQ(QueuedCells(), Block(5, 1, 7, 1));
}

class CommandQueueTest : public BotTest {
protected:
    static constexpr int32_t kUser = 501;
    static constexpr int32_t kCitizen = 51;

    void SetUp() override {
        Login();
        bot().options.MaxCommands = 5;
        // Far from the cells the tests use, so that its area queries do not learn them.
        Arrive({kUser, kCitizen, -8000, -8000, true});
        tb.world.SetCallLogging(true);
    }
    void Queue(int32_t x, int32_t z, CommandState state, bool priority = false) {
        TerrainQueueCommand(bot(), x, z, state, kUser, priority, false, 0, 0);
    }
    // Markers of the user, known to the bot.
    void Markers(const Cells& cells) {
        for (auto [x, z] : cells) Place(x, z, "4", kCitizen);
        for (auto [x, z] : cells) Learn(x, z);
        tb.world.ClearCallLog();
    }
};

TEST_F(CommandQueueTest, PriorityGoesBeforeEverythingIncludingEarlierPriority) {
    Queue(1, 1, CommandState::HIDE);
    Queue(2, 2, CommandState::SHOW, true);
    Queue(3, 3, CommandState::DELETE, true);
    Queue(4, 4, CommandState::DETACH);
    // Only a texture command carries its texture.
    TerrainQueueCommand(bot(), 5, 5, CommandState::TEXTURE, kUser, false, true, 300, 0x8000);
    TerrainQueueCommand(bot(), 6, 6, CommandState::HIDE, kUser, false, true, 300, 0x8000);
    EXPECT_EQ(QueuedCommands(),
              (Texts{"3,3 DELETE s501", "2,2 SHOW s501", "1,1 HIDE s501", "4,4 DETACH s501",
                     "5,5 TEXTURE s501 hole t300 r32768", "6,6 HIDE s501"}));
    // Counting the whole queue (every heartbeat, for the figures) is not traced.
    const std::size_t traced = tb.dir.Read("debug.log").size();
    for (auto [session, count] : {std::pair{0, 6}, {kUser, 6}, {kUser + 1, 0}}) {
        EXPECT_EQ(TerrainCommandQueueNumberFromSession(bot(), session), count);
        EXPECT_EQ(TerrainCommandQueueNumberFromSessionBool(bot(), session), count > 0);
    }
    const std::string added = tb.dir.Read("debug.log").substr(traced);
    EXPECT_EQ(added.find("TerrainCommandQueueNumberFromSession 0"), std::string::npos);
    EXPECT_NE(added.find("TerrainCommandQueueNumberFromSessionBool 0\n"), std::string::npos);
    EXPECT_NE(added.find("TerrainCommandQueueNumberFromSession 501\n"), std::string::npos);
    // The per-session numbers follow the commands out of the queue.
    bot().options.MaxCommands = 6;
    TerrainCommandQueueProcess(bot());
    TerrainQueueCommand(bot(), 5, 5, CommandState::HIDE, kUser + 1, false, false, 0, 0);
    EXPECT_EQ(TerrainCommandQueueNumberFromSession(bot(), kUser), 0);
    EXPECT_EQ(TerrainCommandQueueNumberFromSession(bot(), kUser + 1), 1);
    bot().world.commands.Clear();
    EXPECT_FALSE(TerrainCommandQueueNumberFromSessionBool(bot(), kUser + 1));
}

TEST_F(CommandQueueTest, MaxCommandsPacesTheCommandsAndQueriesInFlightHoldThem) {
    bot().options.MaxCommands = 2;
    Markers({{1, 2}, {2, 2}, {3, 2}, {4, 2}});
    for (int32_t x = 1; x <= 4; ++x) Queue(x, 2, CommandState::HIDE);
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 8, 8, false, false, 0, 0);
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 9, 9, false, false, 0, 0);
    // Changes made in all after each step: as many queries in flight as MaxCommands hold the
    // commands back; fewer do not.
    for (auto [answered, changes] : {std::pair{0, 0}, {9, 2}, {8, 4}}) {
        if (answered) CallbackDelete(bot(), answered, answered, CallbackType::CellQuery);
        TerrainCommandQueueProcess(bot());
        EXPECT_EQ(Calls("aw_object_change"), changes) << "after " << answered;
    }
    EXPECT_TRUE(bot().world.commands.Empty());
    EXPECT_EQ(RecordCells(CallbackType::ShowHide), Block(1, 2, 4, 2));
}

TEST_F(CommandQueueTest, FailedCommandIsPassedOverForTheOnesBehindIt) {
    Markers({{1, 1}, {2, 1}});
    Queue(1, 1, CommandState::DELETE);
    Queue(2, 1, CommandState::HIDE);
    bot().options.MaxCommands = 3;
    tb.world.FailNext("aw_object_delete", 29, 3);
    TerrainCommandQueueProcess(bot());
    // Delete fails, the hide behind it runs, then the failed delete is met again from the head.
    EXPECT_EQ(Calls("aw_object_change"), 1);
    EXPECT_EQ(Calls("aw_object_delete"), 2);
    EXPECT_EQ(QueuedCommands(), Texts{"1,1 DELETE s501"});
}

// A command with nothing to change finishes at once, unless the user's other work is not done.
TEST_F(CommandQueueTest, CommandWithNothingToChangeFinishesAtOnce) {
    bot().cache.ClearCell(6, 6);  // known, no marker
    Markers({{2, 2}, {1, 1}});    // visible already
    const std::tuple<int32_t, CommandState, Texts> rows[] = {
        {6, CommandState::DELETE, {Braced(Lang::delete_finished_message)}},
        {6, CommandState::DETACH, {Braced(Lang::detach_finished_message)}},
        {6, CommandState::SHOW, {Braced(Lang::show_hide_finished_message)}},
        {6, CommandState::TEXTURE, {Braced(Lang::texture_finished_message)}},
        {6, CommandState::INVALID, {}},
        {2, CommandState::SHOW, {Braced(Lang::show_hide_finished_message)}}};
    for (const auto& [x, state, finished] : rows) {
        SCOPED_TRACE(std::to_string(x) + " " + CommandStateName(state));
        Queue(x, x, state);
        tb.world.ClearCallLog();
        TerrainCommandQueueProcess(bot());
        EXPECT_TRUE(tb.world.CallLog().empty());
        EXPECT_TRUE(bot().world.commands.Empty());
        EXPECT_TRUE(bot().world.callbacks.Empty()) << "nothing would ever complete it";
        EXPECT_EQ(Replies(kUser), finished);
    }
    // The detach is the last of its kind; the markerless delete waits for the world's answer
    // to the other.
    Queue(1, 1, CommandState::DELETE);
    Queue(6, 6, CommandState::DELETE);
    Queue(6, 6, CommandState::DETACH);
    TerrainCommandQueueProcess(bot());
    EXPECT_EQ(Outgoing(kUser), Texts{Braced(Lang::detach_finished_message)});
    EXPECT_EQ(RecordCells(CallbackType::Delete), (Cells{{1, 1}}));
    Settle();
    EXPECT_EQ(Replies(kUser), (Texts{Braced(Lang::detach_finished_message),
                                     Braced(Lang::delete_finished_message)}));
}

}  // namespace
}  // namespace tv::test
