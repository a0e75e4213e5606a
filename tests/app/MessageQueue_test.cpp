#include "app/MessageQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Errors.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

const std::string kPrefix = kReplyPrefix;

TEST(PackReplyLines, ItemsJoinWhileTheLineStaysBelow246Characters) {
    const std::string hundred(100, 'a');
    const std::string two = kPrefix + hundred + ", " + hundred;
    EXPECT_EQ(PackReplyLines({hundred, hundred, hundred, hundred, hundred}),
              (Texts{two, two, kPrefix + hundred}));
    EXPECT_TRUE(PackReplyLines({}).empty());
    // The test leaves out the separator: 211 + 34 = 245 joins, 211 + 35 = 246 does not.
    const std::string first(200, 'x');
    EXPECT_EQ(PackReplyLines({first, std::string(34, 'y')})[0].size(), 247u);
    EXPECT_EQ(PackReplyLines({first, std::string(35, 'y')}).size(), 2u);
    // An oversized first item never leaves a bare prefix behind.
    const std::string huge(240, 'h');
    EXPECT_EQ(PackReplyLines({huge, "next"}), (Texts{kPrefix + huge, kPrefix + "next"}));
}

TEST(TAwMsgQueue, RecipientsTakeTurnsEachKeepingItsOwnOrder) {
    TAwMsgQueue queue;
    for (auto [session, text] :
         {std::pair{1, "a1"}, {1, "a2"}, {1, "a3"}, {2, "b1"}, {3, "c1"}, {3, "c2"}})
        EnqueueMessage(queue, session, MessageKind::Console, 0, 0, 255, false, false, text);
    auto order = [&queue] {
        std::string texts;
        for (const TAwMessage& message : queue.InSendOrder()) texts += message.text + " ";
        return texts;
    };
    EXPECT_EQ(order(), "a1 b1 c1 a2 c2 a3 ");
    EXPECT_EQ(queue.DropSession(3), 2u);
    EXPECT_EQ(order(), "a1 b1 a2 a3 ");
}

// A logged-in bot with user 20 in the world and nothing left to send.
class MessagePump : public ::testing::Test {
protected:
    void SetUp() override {
        t.Enter(kUser, 200);
        t.Tick(2);
        while (PumpMessages(bot) > 0) {
        }
        before = t.ConsoleTo(kUser).size();
    }
    // Console texts sent to the user since SetUp.
    Texts Sent() const {
        const Texts all = t.ConsoleTo(kUser);
        return Texts(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }
    static constexpr int32_t kUser = 20;
    TestBot t;
    Bot& bot = t.Login();
    std::size_t before = 0;
};

TEST_F(MessagePump, SendsFiveAtATimeEachOnceInOrder) {
    for (int i = 0; i < 12; ++i) Reply(bot, kUser, "message %d", {i});
    EXPECT_THROW(Reply(bot, kUser, "%d", {"x"}), EConvertError);  // queues nothing
    EXPECT_EQ(PumpMessages(bot), 7u);
    EXPECT_EQ(Sent().size(), 5u);
    EXPECT_EQ(PumpMessages(bot), 2u);
    EXPECT_EQ(PumpMessages(bot), 0u);
    Texts expected;
    for (int i = 0; i < 12; ++i) expected.push_back(Format("message %d", {i}));
    EXPECT_EQ(Sent(), expected);
    EnqueueMessage(bot.messages, kUser, MessageKind::Whisper, 0, 0, 0, false, false, "psst");
    EnqueueMessage(bot.messages, 0, MessageKind::Say, 0, 0, 0, false, false, "hello all");
    PumpMessages(bot);
    const Texts& actions = t.world.ActionLog();
    EXPECT_EQ(Texts(actions.end() - 2, actions.end()),
              (Texts{"whisper(20,\"psst\")", "say(\"hello all\")"}));
}

TEST_F(MessagePump, MessagesToAUserWhoLeftAreDropped) {
    for (int i = 0; i < 7; ++i) Reply(bot, kUser, "message %d", {i});
    t.world.UserLeave(kUser);
    t.Tick();  // the departure arrives in the tick's wait, before the pump
    EXPECT_TRUE(bot.messages.Empty());
    EXPECT_EQ(Sent(), Texts{});
}

TEST_F(MessagePump, MessagesQueuedDuringTheWaitGoToTheTail) {
    for (int i = 0; i < 3; ++i) Reply(bot, kUser, "queued %d", {i});
    // The chat event is delivered in the wait after the first send; its reply queues behind.
    t.world.UserChat(kUser, "t:version");
    while (PumpMessages(bot) > 0) {
    }
    const Texts sent = Sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(Texts(sent.begin(), sent.begin() + 3), (Texts{"queued 0", "queued 1", "queued 2"}));
    EXPECT_NE(sent[3].find("2.1.14"), std::string::npos) << sent[3];
}

}  // namespace
}  // namespace tv::test
