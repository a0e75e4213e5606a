// The pending-request list: completion by world events, time-outs and the loss of the world.

#include "terrain/TerrainCallback.h"

#include <gtest/gtest.h>

#include "app/Errors.h"
#include "support/BotTest.h"

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

TEST_F(CallbackTest, RecordStaysAtTenSecondsAndIsReissuedAtEleven) {
    Add(CallbackType::Delete, 3, 3);
    tb.clock.Advance(10'000);
    CallbackTimeouts(bot());
    EXPECT_EQ(bot().world.callbacks.Count(), 1);
    EXPECT_TRUE(bot().world.commands.Empty());
    tb.clock.Advance(1'000);
    CallbackTimeouts(bot());
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_EQ(QueuedCommands(), Texts{"3,3 DELETE s601"});
}

TEST_F(CallbackTest, QueryTimesOutToTheTailCommandsToTheHead) {
    TerrainQueueAddCell(bot(), 7, 7, false);
    TerrainQueueCommand(bot(), 7, 7, CommandState::HIDE, kUser, false, false, 0, 0);
    Add(CallbackType::CellQuery, 5, 5, 0);
    CallbackAdd(bot(), kUser, CallbackType::ShowHide, 6, 6, true, false, 0, 0);
    tb.clock.Advance(5'000);
    Add(CallbackType::ShowHide, 8, 8);  // younger
    tb.clock.Advance(6'000);
    CallbackTimeouts(bot());
    EXPECT_EQ(QueuedCells(), (Cells{{7, 7}, {5, 5}}));
    EXPECT_EQ(QueuedCommands(), (Texts{"6,6 SHOW s601", "7,7 HIDE s601"}));
    EXPECT_EQ(RecordCells(CallbackType::ShowHide), (Cells{{8, 8}}));
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
