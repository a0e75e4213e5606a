// The pending-request list: completion by world events, time-outs and the loss of the world.

#include "terrain/TerrainCallback.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Errors.h"
#include "support/BotTest.h"
#include "terrain/Reconcile.h"

namespace tv::test {
namespace {

class CallbackTest : public BotTest {
protected:
    static constexpr int32_t kUser = 601;
    static constexpr int32_t kCitizen = 61;

    void SetUp() override {
        Login();
        Arrive({kUser, kCitizen, -8000, -8000, true});
    }
    void Add(CallbackType type, int32_t x, int32_t z, int32_t session = kUser) {
        CallbackAdd(bot(), session, type, x, z, false, false, 0, 0);
    }
};

TEST_F(CallbackTest, FindLookupDeleteAndCounts) {
    Add(CallbackType::Delete, 1, 2);
    Add(CallbackType::Detach, 1, 2);
    Add(CallbackType::CellQuery, 1, 2, 0);
    Add(CallbackType::CellQuery, 3, 4, 0);
    EXPECT_EQ(CallbackCount(bot(), CallbackType::CellQuery), 2);
    EXPECT_EQ(CallbackFind(bot(), 1, 2, CallbackType::Detach).Session, kUser);
    EXPECT_TRUE(CallbackSessionHasType(bot(), kUser, CallbackType::Delete));
    EXPECT_FALSE(CallbackSessionHasType(bot(), kUser, CallbackType::Texture));
    EXPECT_TRUE(CallbackSessionHasAny(bot(), kUser));
    EXPECT_FALSE(CallbackSessionHasAny(bot(), kUser + 1));

    EXPECT_EQ(ErrorOf<ETerrainNoCallback>([&] { CallbackFind(bot(), 2, 1, CallbackType::Delete); }),
              "Terrain callback not found (cell: [2,1]; type: 1)");
    EXPECT_EQ(CallbackLookup(bot(), 2, 1, CallbackType::Delete), nullptr);

    CallbackDelete(bot(), 1, 2, CallbackType::Delete);
    CallbackDelete(bot(), 1, 2, CallbackType::Delete);  // nothing left: no error
    EXPECT_FALSE(CallbackSessionHasType(bot(), kUser, CallbackType::Delete));
    CallbackRemove(bot(), CallbackFind(bot(), 3, 4, CallbackType::CellQuery));
    EXPECT_EQ(RecordCells(CallbackType::CellQuery), (Cells{{1, 2}}));
    EXPECT_EQ(bot().world.callbacks.Count(), 2);
}

TEST_F(CallbackTest, TimeOutsRequeueQueriesGiveUpCommandsAndCountOnlyConnectedTime) {
    Place(3, 3, "4", kCitizen);
    Learn(3, 3);
    Add(CallbackType::CellQuery, 5, 5, 0);
    CallbackAdd(bot(), kUser, CallbackType::ShowHide, 3, 3, true, false, 0, 0);
    Add(CallbackType::Texture, 4, 4);
    Add(CallbackType::Detach, 2, 2);
    tb.clock.Advance(10'000);
    CallbackTimeouts(bot());
    EXPECT_EQ(bot().world.callbacks.Count(), 4);
    tb.clock.Advance(1'000);
    CallbackTimeouts(bot());
    EXPECT_TRUE(bot().world.callbacks.Empty());
    // The query goes to the tail; the commands, unanswered all along, are given up: their cells
    // are forgotten and asked first.
    EXPECT_EQ(QueuedCells(), (Cells{{2, 2}, {4, 4}, {3, 3}, {5, 5}}));
    EXPECT_EQ(bot().cache.FindCell(3, 3), -1);
    EXPECT_TRUE(bot().world.commands.Empty());
    const Texts activity = tb.ActivityMessages();
    for (const char* given : {"showing the marker @ 3N 3W", "texturing the marker @ 4N 4W",
                              "detaching the marker @ 2N 2W"})
        EXPECT_EQ(std::count(activity.begin(), activity.end(),
                             std::string("Gave up ") + given + "; the cell is queried again"),
                  1);

    // Without the world the clock stands still: the request is sent again, first of all.
    bot().model.SetStatus(StatusIndex::Disconnected);
    Add(CallbackType::Delete, 6, 6);
    tb.clock.Advance(11'000);
    CallbackTimeouts(bot());
    EXPECT_EQ(QueuedCommands(), Texts{"6,6 DELETE s601"});
}

TEST_F(CallbackTest, ReconciledCellFollowsTheWorldAndTellsTheUserHowItEnded) {
    const std::string unchanged = bot().language[Added::cells_unchanged_message];
    bot().options.DefaultHeight = -10;
    struct Case {
        CommandState state;
        const char* marker;  // nullptr: none stands
        bool hole;
        int32_t texture;
        std::string reply;
        int32_t terrain;  // -1: not set
    };
    const Case cases[] = {
        {CommandState::DELETE, nullptr, false, 0, Braced(Lang::delete_finished_message), 0},
        {CommandState::DETACH, nullptr, false, 0, Braced(Lang::detach_finished_message), -1},
        {CommandState::DETACH, "4", false, 0, unchanged, 4},
        {CommandState::HIDE, "4", false, 0, unchanged, 4},
        {CommandState::SHOW, "4", false, 0, Braced(Lang::show_hide_finished_message), 4},
        {CommandState::TEXTURE, "4", false, 4, Braced(Lang::texture_finished_message), 4},
        {CommandState::TEXTURE, "4", true, 0, unchanged, 4},
        {CommandState::SHOW, nullptr, false, 0, unchanged, 0},
    };
    int32_t x = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(CommandStateName(c.state)) + " " + std::to_string(x));
        ++x;
        if (c.marker) {
            Place(x, 1, c.marker, kCitizen);
            Learn(x, 1);
        } else {
            bot().cache.ClearCell(x, 1);
        }
        bot().world.reconcile.cells.push_back(
            {x, 1, kUser, static_cast<uint32_t>(x), c.state, c.hole, c.texture, 0});
        EXPECT_TRUE(ReconcileCell(bot(), x, 1));
        EXPECT_EQ(Replies(kUser), Texts{c.reply});
        auto terrain = tb.world.TerrainAt(world, x, 1);
        EXPECT_EQ(terrain ? terrain->value : -1, c.terrain);
    }
    EXPECT_FALSE(ReconcileCell(bot(), 1, 1)) << "reconciled once";

    // A command that meets a forgotten cell waiting for its answer joins it.
    bot().world.reconcile.cells.push_back({9, 1, kUser, 9, CommandState::HIDE, false, 0, 0});
    TerrainQueueCommand(bot(), 9, 1, CommandState::SHOW, kUser, false, false, 0, 0, 10);
    TerrainCommandQueueProcess(bot());
    EXPECT_TRUE(bot().world.commands.Empty());
    EXPECT_EQ(bot().world.reconcile.cells.size(), 2u);
    bot().cache.ClearCell(9, 1);
    ReconcileCell(bot(), 9, 1);
    EXPECT_EQ(Replies(kUser), (Texts{unchanged, unchanged}));

    // However many of its cells stay, a command is reported once.
    for (int32_t cell : {11, 12, 13}) {
        bot().cache.ClearCell(cell, 1);
        bot().world.reconcile.cells.push_back(
            {cell, 1, kUser, cell == 13 ? 2u : 1u, CommandState::HIDE, false, 0, 0});
    }
    for (int32_t cell : {11, 12, 13}) ReconcileCell(bot(), cell, 1);
    EXPECT_EQ(Replies(kUser), (Texts{unchanged, unchanged}));
}

TEST_F(CallbackTest, LostConnectionRequeuesEveryRequest) {
    Add(CallbackType::Delete, 1, 1);
    Add(CallbackType::Detach, 2, 2);
    Add(CallbackType::CellQuery, 3, 3, 0);
    Add(CallbackType::ShowHide, 4, 4);
    CallbackAdd(bot(), kUser, CallbackType::Texture, 5, 5, false, true, 300, 0x4000);
    Add(CallbackType::None, 6, 6);
    tb.world.Disconnect();
    Deliver();  // the disconnect event, without a heartbeat that would run the queues
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_EQ(QueuedCells(), (Cells{{3, 3}}));
    EXPECT_EQ(QueuedCommands(), (Texts{"5,5 TEXTURE s601 hole t300 r16384", "4,4 HIDE s601",
                                       "2,2 DETACH s601", "1,1 DELETE s601"}));
}

TEST_F(CallbackTest, LastOfTwoDeletesSendsTheFinishedMessageOnce) {
    for (int32_t x : {1, 2}) {
        Place(x, 1, "4", kCitizen);
        Learn(x, 1);
    }
    for (int32_t x : {1, 2})
        TerrainQueueCommand(bot(), x, 1, CommandState::DELETE, kUser, false, false, 0, 0);
    TerrainCommandQueueProcess(bot());
    ASSERT_EQ(RecordCells(CallbackType::Delete), (Cells{{1, 1}, {2, 1}}));
    Deliver();  // both deletions reported
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_EQ(Outgoing(kUser), Texts{Braced(Lang::delete_finished_message)});
}

TEST_F(CallbackTest, CompletionWaitsWhileTheUserHasQueuedCommands) {
    Place(1, 1, "4", kCitizen);
    Learn(1, 1);
    TerrainQueueCommand(bot(), 1, 1, CommandState::DELETE, kUser, false, false, 0, 0);
    TerrainCommandQueueProcess(bot());
    TerrainQueueCommand(bot(), 9, 9, CommandState::SHOW, kUser, false, false, 0, 0);
    Deliver();
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_TRUE(Outgoing(kUser).empty());
}

TEST_F(CallbackTest, TextureRequestIsCompletedByAnotherUsersMarker) {
    const int32_t other = Arrive({602, 62, -8000, -8000, true}).session;
    Place(1, 1, "4", kCitizen);
    Learn(1, 1);
    CallbackAdd(bot(), kUser, CallbackType::Texture, 1, 1, false, false, 9, 0);
    ASSERT_EQ(tb.world.UserBuild(other, Shape(1000, 1000, "11")), 0);
    Deliver();
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_EQ(Outgoing(kUser), Texts{Braced(Lang::texture_finished_message)});
    EXPECT_TRUE(Outgoing(other).empty());
}

}  // namespace
}  // namespace tv::test
