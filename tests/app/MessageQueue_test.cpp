#include "app/MessageQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Errors.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

const std::string kPrefix = kReplyPrefix;

TEST(PackReplyLines, TwoHundredCharacterItemsALine) {
    const std::string hundred(100, 'a');
    const auto lines = PackReplyLines({hundred, hundred, hundred, hundred, hundred});
    const std::string two = kPrefix + hundred + ", " + hundred;
    EXPECT_EQ(lines, (Texts{two, two, kPrefix + hundred}));
    EXPECT_EQ(lines[0].size(), 213u);

    EXPECT_TRUE(PackReplyLines({}).empty());
    EXPECT_EQ(PackReplyLines({"Bob", "alice", "Zed"}), Texts{kPrefix + "Bob, alice, Zed"});

    // The test leaves out the separator: an item joins while line + item stays below 246.
    const std::string first(200, 'x');
    EXPECT_EQ(PackReplyLines({first, std::string(34, 'y')}).size(), 1u);  // 211 + 34 = 245
    EXPECT_EQ(PackReplyLines({first, std::string(35, 'y')}).size(), 2u);  // 211 + 35 = 246
    EXPECT_EQ(PackReplyLines({first, std::string(34, 'y')})[0].size(), 247u);

    // An oversized first item never leaves a bare prefix behind.
    const std::string huge(240, 'h');
    EXPECT_EQ(PackReplyLines({huge, "next"}), (Texts{kPrefix + huge, kPrefix + "next"}));
}

TEST(Reply, QueuesConsoleMessagesForOneUser) {
    TestBot t;
    Bot& bot = t.Create();
    Reply(bot, 5, "%d %s", {3, "cells processed"});
    ReplyList(bot, 6, {"a", "b"});
    ASSERT_EQ(bot.messages.Count(), 2u);
    const std::vector<TAwMessage> queued = bot.messages.InSendOrder();
    const TAwMessage& reply = queued[0];
    EXPECT_EQ(reply.session, 5);
    EXPECT_EQ(reply.kind, MessageKind::Console);
    EXPECT_EQ((std::vector<int>{reply.colour1, reply.colour2, reply.colour3}),
              (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(reply.style, 0);
    EXPECT_EQ(reply.text, "Terravane:\t3 cells processed");
    EXPECT_EQ(queued[1].session, 6);
    EXPECT_EQ(queued[1].text, "Terravane:\ta, b");

    // A format that does not fit raises and queues nothing.
    EXPECT_THROW(Reply(bot, 5, "%d", {"x"}), EConvertError);
    ReplyList(bot, 5, {});
    EXPECT_EQ(bot.messages.Count(), 2u);
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
    EXPECT_EQ(queue.DropSession(9), 0u);
    EXPECT_EQ(order(), "a1 b1 a2 a3 ");
    EXPECT_EQ(queue.TakeNext().text, "a1");
    EXPECT_EQ(queue.Count(), 3u);
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

TEST_F(MessagePump, SendsFiveAtATimeInOrder) {
    for (int i = 0; i < 12; ++i) Reply(bot, kUser, "message %d", {i});
    EXPECT_EQ(PumpMessages(bot), 7u);
    EXPECT_EQ(Sent().size(), 5u);
    EXPECT_EQ(PumpMessages(bot), 2u);
    EXPECT_EQ(PumpMessages(bot), 0u);
    ASSERT_EQ(Sent().size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(Sent()[static_cast<std::size_t>(i)], Format("message %d", {i}));

    // An empty queue sends nothing at all.
    t.world.SetCallLogging(true);
    t.world.ClearCallLog();
    EXPECT_EQ(PumpMessages(bot), 0u);
    EXPECT_TRUE(t.world.CallLog().empty());
}

TEST_F(MessagePump, ConsoleAttributesAreSetInOrderWhisperAndSayToo) {
    EnqueueMessage(bot.messages, kUser, MessageKind::Console, 10, 20, 30, false, true, "hi");
    t.world.SetCallLogging(true);
    t.world.ClearCallLog();
    EXPECT_EQ(PumpMessages(bot), 0u);
    EXPECT_EQ(t.world.CallLog(),
              (Texts{"aw_bool_set(332,false)", "aw_bool_set(333,true)", "aw_int_set(329,10)",
                     "aw_int_set(330,20)", "aw_int_set(331,30)", "aw_string_set(334,\"hi\")",
                     "aw_console_message(20)", "aw_wait(0)"}));
    ASSERT_FALSE(t.world.ConsoleLog().empty());
    const SimConsoleMessage& got = t.world.ConsoleLog().back();
    EXPECT_FALSE(got.flag0);
    EXPECT_TRUE(got.flag1);
    EXPECT_EQ(got.text, "hi");

    EnqueueMessage(bot.messages, kUser, MessageKind::Whisper, 0, 0, 0, false, false, "psst");
    EnqueueMessage(bot.messages, 0, MessageKind::Say, 0, 0, 0, false, false, "hello all");
    EXPECT_EQ(PumpMessages(bot), 0u);
    const auto& actions = t.world.ActionLog();
    ASSERT_GE(actions.size(), 2u);
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
