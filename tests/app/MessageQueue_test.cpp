#include "app/MessageQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Errors.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

const std::string kPrefix = kReplyPrefix;

TEST(MessageQueue, EnqueueAppendsAtTheTailWithItsValues) {
    TAwMsgQueue queue;
    EnqueueMessage(queue, 7, MessageKind::Console, 1, 2, 3, false, true, "first");
    TAwMessage& second = EnqueueMessage(queue, 8, MessageKind::Whisper, 0, 0, 0, true, false, "b");
    ASSERT_EQ(queue.Count(), 2u);
    const TAwMessage& head = queue.Head();
    EXPECT_EQ(head.session, 7);
    EXPECT_EQ(head.kind, MessageKind::Console);
    EXPECT_EQ((std::vector<int>{head.colour1, head.colour2, head.colour3}),
              (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(head.Flag0());
    EXPECT_TRUE(head.Flag1());
    EXPECT_EQ(head.text, "first");
    EXPECT_EQ(second.text, "b");
    // Each flag accessor changes only its own bit.
    second.SetFlag1(true);
    second.SetFlag0(false);
    EXPECT_FALSE(second.Flag0());
    EXPECT_TRUE(second.Flag1());
    second.SetFlag0(true);
    EXPECT_EQ(second.style, 3);
}

TEST(MessageQueue, ReplyListPacksItemsIntoLines) {
    const std::string hundred(100, 'a');
    auto lines = PackReplyLines({hundred, hundred, hundred, hundred, hundred});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], kPrefix + hundred + ", " + hundred);
    EXPECT_EQ(lines[0].size(), 213u);
    EXPECT_EQ(lines[1], kPrefix + hundred + ", " + hundred);
    EXPECT_EQ(lines[2], kPrefix + hundred);

    EXPECT_TRUE(PackReplyLines({}).empty());
    EXPECT_EQ(PackReplyLines({"Bob", "alice", "Zed"}),
              std::vector<std::string>{kPrefix + "Bob, alice, Zed"});

    // The test leaves out the separator: an item joins while line + item stays below 246.
    const std::string first(200, 'x');
    EXPECT_EQ(PackReplyLines({first, std::string(34, 'y')}).size(), 1u);  // 211 + 34 = 245
    EXPECT_EQ(PackReplyLines({first, std::string(35, 'y')}).size(), 2u);  // 211 + 35 = 246
    EXPECT_EQ(PackReplyLines({first, std::string(34, 'y')})[0].size(), 247u);
}

TEST(MessageQueue, OversizedItemNeverSendsABarePrefix) {
    const std::string huge(240, 'h');
    auto lines = PackReplyLines({huge, "next"});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], kPrefix + huge);
    EXPECT_EQ(lines[1], kPrefix + "next");
}

TEST(MessageQueue, ReplyQueuesConsoleMessagesForOneUser) {
    TestBot t;
    Bot bot(t.world, t.clock, t.frontEnd, t.dir.Path());
    Reply(bot, 5, "%d %s", {3, "cells processed"});
    ReplyList(bot, 6, {"a", "b"});
    ASSERT_EQ(bot.messages.Count(), 2u);
    const TAwMessage& reply = bot.messages.Messages()[0];
    EXPECT_EQ(reply.session, 5);
    EXPECT_EQ(reply.kind, MessageKind::Console);
    EXPECT_EQ((std::vector<int>{reply.colour1, reply.colour2, reply.colour3}),
              (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(reply.style, 0);
    EXPECT_EQ(reply.text, "Terravane:\t3 cells processed");
    EXPECT_EQ(bot.messages.Messages()[1].session, 6);
    EXPECT_EQ(bot.messages.Messages()[1].text, "Terravane:\ta, b");

    // A format that does not fit raises and queues nothing.
    EXPECT_THROW(Reply(bot, 5, "%d", {"x"}), EConvertError);
    ReplyList(bot, 5, {});
    EXPECT_EQ(bot.messages.Count(), 2u);
}

TEST(MessageQueue, PumpSendsFiveAtATimeInOrder) {
    TestBot t;
    Bot& bot = t.Login();
    const int32_t user = t.Enter(20, 200);
    t.Tick(2);
    const std::size_t before = t.ConsoleTo(user).size();
    for (int i = 0; i < 12; ++i) Reply(bot, user, "message %d", {i});

    EXPECT_EQ(PumpMessages(bot), 7u);
    EXPECT_EQ(t.ConsoleTo(user).size(), before + 5);
    EXPECT_EQ(PumpMessages(bot), 2u);
    EXPECT_EQ(PumpMessages(bot), 0u);
    std::vector<std::string> sent = t.ConsoleTo(user);
    sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(before));
    ASSERT_EQ(sent.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(sent[static_cast<std::size_t>(i)], Format("message %d", {i}));

    // An empty queue sends nothing at all.
    t.world.SetCallLogging(true);
    t.world.ClearCallLog();
    EXPECT_EQ(PumpMessages(bot), 0u);
    EXPECT_TRUE(t.world.CallLog().empty());
}

TEST(MessageQueue, ConsoleAttributesAreSetInOrder) {
    TestBot t;
    Bot& bot = t.Login();
    const int32_t user = t.Enter(21, 201);
    t.Tick(2);
    while (PumpMessages(bot) > 0) {
    }
    EnqueueMessage(bot.messages, user, MessageKind::Console, 10, 20, 30, false, true, "hi");
    t.world.SetCallLogging(true);
    t.world.ClearCallLog();
    EXPECT_EQ(PumpMessages(bot), 0u);
    const std::vector<std::string> expected = {
        "aw_bool_set(332,false)", "aw_bool_set(333,true)",
        "aw_int_set(329,10)",     "aw_int_set(330,20)",
        "aw_int_set(331,30)",     "aw_string_set(334,\"hi\")",
        "aw_console_message(21)", "aw_wait(0)",
    };
    EXPECT_EQ(t.world.CallLog(), expected);
    ASSERT_FALSE(t.world.ConsoleLog().empty());
    const SimConsoleMessage& got = t.world.ConsoleLog().back();
    EXPECT_FALSE(got.flag0);
    EXPECT_TRUE(got.flag1);
    EXPECT_EQ(got.text, "hi");
}

TEST(MessageQueue, WhisperAndSayKinds) {
    TestBot t;
    Bot& bot = t.Login();
    const int32_t user = t.Enter(22, 202);
    t.Tick(2);
    while (PumpMessages(bot) > 0) {
    }
    EnqueueMessage(bot.messages, user, MessageKind::Whisper, 0, 0, 0, false, false, "psst");
    EnqueueMessage(bot.messages, 0, MessageKind::Say, 0, 0, 0, false, false, "hello all");
    EXPECT_EQ(PumpMessages(bot), 0u);
    const auto& actions = t.world.ActionLog();
    ASSERT_GE(actions.size(), 2u);
    EXPECT_EQ(actions[actions.size() - 2], "whisper(22,\"psst\")");
    EXPECT_EQ(actions.back(), "say(\"hello all\")");
}

TEST(MessageQueue, MessagesQueuedDuringTheWaitGoToTheTail) {
    TestBot t;
    Bot& bot = t.Login();
    const int32_t user = t.Enter(23, 203);
    t.Tick(2);
    while (PumpMessages(bot) > 0) {
    }
    const std::size_t before = t.ConsoleTo(user).size();
    for (int i = 0; i < 3; ++i) Reply(bot, user, "queued %d", {i});
    // The chat event is delivered in the wait after the first send; its reply queues behind.
    t.world.UserChat(user, "t:version");
    while (PumpMessages(bot) > 0) {
    }
    std::vector<std::string> sent = t.ConsoleTo(user);
    sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(before));
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], "queued 0");
    EXPECT_EQ(sent[1], "queued 1");
    EXPECT_EQ(sent[2], "queued 2");
    EXPECT_NE(sent[3].find("2.1.14"), std::string::npos) << sent[3];
}

}  // namespace
}  // namespace tv::test
