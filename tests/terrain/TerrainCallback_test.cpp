// The pending-request list: how a reconciled command ends for its user, and that each ends once.
// Time-outs, refusals and the loss of the world are shown end to end by the terrain_* scripts.

#include "terrain/TerrainCallback.h"

#include <gtest/gtest.h>

#include <tuple>

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
};

TEST_F(CallbackTest, ReconciledCellFollowsTheWorldAndTellsTheUserHowItEnded) {
    const std::string unchanged = bot().language[Added::cells_unchanged_message];
    bot().options.DefaultHeight = -10;
    // State, the marker standing (none: nullptr), hole, texture, the reply, the terrain (-1: none).
    const std::tuple<CommandState, const char*, bool, int32_t, std::string, int32_t> cases[] = {
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
    for (const auto& [state, marker, hole, texture, reply, value] : cases) {
        SCOPED_TRACE(std::string(CommandStateName(state)) + " " + std::to_string(++x));
        if (marker) {
            Place(x, 1, marker, kCitizen);
            Learn(x, 1);
        } else {
            bot().cache.ClearCell(x, 1);
        }
        bot().world.reconcile.cells.push_back(
            {x, 1, kUser, static_cast<uint32_t>(x), state, hole, texture, 0});
        EXPECT_TRUE(ReconcileCell(bot(), x, 1));
        EXPECT_EQ(Replies(kUser), Texts{reply});
        auto terrain = tb.world.TerrainAt(world, x, 1);
        EXPECT_EQ(terrain ? terrain->value : -1, value);
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

TEST_F(CallbackTest, LastOfTwoDeletesSendsTheFinishedMessageOnce) {
    for (int32_t x : {1, 2, 3}) {
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

    // While the user has commands queued the completion waits for them.
    Replies(kUser);
    TerrainQueueCommand(bot(), 3, 1, CommandState::DELETE, kUser, false, false, 0, 0);
    TerrainCommandQueueProcess(bot());
    TerrainQueueCommand(bot(), 9, 9, CommandState::SHOW, kUser, false, false, 0, 0);
    Deliver();
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_TRUE(Outgoing(kUser).empty());
}

}  // namespace
}  // namespace tv::test
