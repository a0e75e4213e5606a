// The pending-request list: completion by world events, time-outs and the loss of the world.

#include <gtest/gtest.h>

#include "app/Errors.h"
#include "terrain/WorldFixture.h"

namespace tv::test {
namespace {

using Cells = std::vector<std::pair<int32_t, int32_t>>;

class CallbackTest : public WorldFixture {
protected:
    static constexpr int32_t kUser = 601;
    static constexpr int32_t kCitizen = 61;
    int32_t user = 0;

    void SetUp() override {
        WorldFixture::SetUp();
        user = User(kUser, kCitizen, -8000, -8000).session;
    }

    std::vector<std::string> Commands() const {
        std::vector<std::string> texts;
        for (auto* node = tb.bot->world.commands.Head(); node; node = node->Next) {
            const TTerrainCommand& c = *node->Item;
            texts.push_back(std::to_string(c.CellX) + "," + std::to_string(c.CellZ) + " " +
                            CommandStateName(c.State) + " s" + std::to_string(c.AvatarSession) +
                            (c.Hole ? " hole" : "") + " t" + std::to_string(c.Texture) + " r" +
                            std::to_string(c.Rotation));
        }
        return texts;
    }
};

TEST_F(CallbackTest, FindLookupDeleteAndCounts) {
    CallbackAdd(bot(), user, CallbackType::Delete, 1, 2, false, false, 0, 0);
    CallbackAdd(bot(), user, CallbackType::Detach, 1, 2, false, false, 0, 0);
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 1, 2, false, false, 0, 0);
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 3, 4, false, false, 0, 0);
    EXPECT_EQ(CallbackCount(bot(), CallbackType::CellQuery), 2);
    EXPECT_EQ(CallbackFind(bot(), 1, 2, CallbackType::Detach).Session, user);
    EXPECT_TRUE(CallbackSessionHasType(bot(), user, CallbackType::Delete));
    EXPECT_FALSE(CallbackSessionHasType(bot(), user, CallbackType::Texture));
    EXPECT_TRUE(CallbackSessionHasAny(bot(), user));
    EXPECT_FALSE(CallbackSessionHasAny(bot(), user + 1));

    try {
        CallbackFind(bot(), 2, 1, CallbackType::Delete);
        ADD_FAILURE() << "no record expected";
    } catch (const ETerrainNoCallback& error) {
        EXPECT_STREQ(error.what(), "Terrain callback not found (cell: [2,1]; type: 1)");
    }
    EXPECT_EQ(CallbackLookup(bot(), 2, 1, CallbackType::Delete), nullptr);

    CallbackDelete(bot(), 1, 2, CallbackType::Delete);
    CallbackDelete(bot(), 1, 2, CallbackType::Delete);  // nothing left: no error
    EXPECT_FALSE(CallbackSessionHasType(bot(), user, CallbackType::Delete));
    CallbackRemove(bot(), CallbackFind(bot(), 3, 4, CallbackType::CellQuery));
    EXPECT_EQ(RecordCells(CallbackType::CellQuery), (Cells{{1, 2}}));
    EXPECT_EQ(bot().world.callbacks.Count(), 2);
}

TEST_F(CallbackTest, RecordStaysAtTenSecondsAndIsReissuedAtEleven) {
    CallbackAdd(bot(), user, CallbackType::Delete, 3, 3, false, false, 0, 0);
    tb.clock.Advance(10'000);
    CallbackTimeouts(bot());
    EXPECT_EQ(bot().world.callbacks.Count(), 1);
    EXPECT_TRUE(bot().world.commands.Empty());
    tb.clock.Advance(1'000);
    CallbackTimeouts(bot());
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_EQ(Commands(), (std::vector<std::string>{"3,3 DELETE s601 t0 r0"}));
}

TEST_F(CallbackTest, QueryTimesOutToTheTailCommandsToTheHead) {
    TerrainQueueAddCell(bot(), 7, 7, false);
    TerrainQueueCommand(bot(), 7, 7, CommandState::HIDE, user, false, false, 0, 0);
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 5, 5, false, false, 0, 0);
    CallbackAdd(bot(), user, CallbackType::ShowHide, 6, 6, true, false, 0, 0);
    tb.clock.Advance(5'000);
    CallbackAdd(bot(), user, CallbackType::ShowHide, 8, 8, false, false, 0, 0);  // younger
    tb.clock.Advance(6'000);
    CallbackTimeouts(bot());
    EXPECT_EQ(QueuedCells(), (Cells{{7, 7}, {5, 5}}));
    EXPECT_EQ(Commands(), (std::vector<std::string>{"6,6 SHOW s601 t0 r0", "7,7 HIDE s601 t0 r0"}));
    EXPECT_EQ(RecordCells(CallbackType::ShowHide), (Cells{{8, 8}}));
}

TEST_F(CallbackTest, LostConnectionRequeuesEveryRequest) {
    CallbackAdd(bot(), user, CallbackType::Delete, 1, 1, false, false, 0, 0);
    CallbackAdd(bot(), user, CallbackType::Detach, 2, 2, false, false, 0, 0);
    CallbackAdd(bot(), 0, CallbackType::CellQuery, 3, 3, false, false, 0, 0);
    CallbackAdd(bot(), user, CallbackType::ShowHide, 4, 4, false, false, 0, 0);
    CallbackAdd(bot(), user, CallbackType::Texture, 5, 5, false, true, 300, 0x4000);
    CallbackAdd(bot(), user, CallbackType::None, 6, 6, false, false, 0, 0);
    tb.world.Disconnect();
    Deliver();  // the disconnect event, without a heartbeat that would run the queues
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_EQ(QueuedCells(), (Cells{{3, 3}}));
    EXPECT_EQ(Commands(),
              (std::vector<std::string>{"5,5 TEXTURE s601 hole t300 r16384", "4,4 HIDE s601 t0 r0",
                                        "2,2 DETACH s601 t0 r0", "1,1 DELETE s601 t0 r0"}));
}

TEST_F(CallbackTest, LastOfTwoDeletesSendsTheFinishedMessageOnce) {
    Place(1, 1, "4", kCitizen);
    Place(2, 1, "4", kCitizen);
    Learn(1, 1);
    Learn(2, 1);
    TerrainQueueCommand(bot(), 1, 1, CommandState::DELETE, user, false, false, 0, 0);
    TerrainQueueCommand(bot(), 2, 1, CommandState::DELETE, user, false, false, 0, 0);
    TerrainCommandQueueProcess(bot());
    ASSERT_EQ(RecordCells(CallbackType::Delete), (Cells{{1, 1}, {2, 1}}));
    Deliver();  // both deletions reported
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_EQ(Queued(user), (std::vector<std::string>{Braced(Lang::delete_finished_message)}));
}

TEST_F(CallbackTest, CompletionWaitsWhileTheUserHasQueuedCommands) {
    Place(1, 1, "4", kCitizen);
    Learn(1, 1);
    TerrainQueueCommand(bot(), 1, 1, CommandState::DELETE, user, false, false, 0, 0);
    TerrainCommandQueueProcess(bot());
    TerrainQueueCommand(bot(), 9, 9, CommandState::SHOW, user, false, false, 0, 0);
    Deliver();
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_TRUE(Queued(user).empty());
}

TEST_F(CallbackTest, TextureRequestIsCompletedByAnotherUsersMarker) {
    const int32_t other = User(602, 62, -8000, -8000).session;
    Place(1, 1, "4", kCitizen);
    Learn(1, 1);
    CallbackAdd(bot(), user, CallbackType::Texture, 1, 1, false, false, 9, 0);
    SimObjectSpec shape;
    shape.x = 1000;
    shape.z = 1000;
    shape.description = "11";
    ASSERT_EQ(tb.world.UserBuild(other, shape), 0);
    Deliver();
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_EQ(Queued(user), (std::vector<std::string>{Braced(Lang::texture_finished_message)}));
    EXPECT_TRUE(Queued(other).empty());
}

}  // namespace
}  // namespace tv::test
