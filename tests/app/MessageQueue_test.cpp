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

// Every message leaves once, five a pump, in its order; a reply queued during the pump's own
// waits goes behind; what is left for a user who leaves is dropped.
TEST(MessagePump, SendsFiveAtATimeEachOnceInOrder) {
    constexpr int32_t kUser = 20;
    TestBot t;
    Bot& bot = t.Login();
    t.Enter(kUser, 200);
    t.Tick(2);
    while (PumpMessages(bot) > 0) {
    }
    const std::size_t before = t.ConsoleTo(kUser).size();
    auto sent = [&] {
        const Texts all = t.ConsoleTo(kUser);
        return Texts(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    };
    Texts expected;
    for (int i = 0; i < 12; ++i) {
        Reply(bot, kUser, "message %d", {i});
        expected.push_back(Format("message %d", {i}));
    }
    EXPECT_THROW(Reply(bot, kUser, "%d", {"x"}), EConvertError);  // queues nothing
    EXPECT_EQ(PumpMessages(bot), 7u);
    EXPECT_EQ(sent().size(), 5u);
    t.world.UserChat(kUser, "t:version");  // delivered in the wait after the next send
    while (PumpMessages(bot) > 0) {
    }
    expected.push_back(Format("Terravane Terrain Manager %s - world SDK build %d", {"2.1.14", 66}));
    EXPECT_EQ(sent(), expected);

    EnqueueMessage(bot.messages, kUser, MessageKind::Whisper, 0, 0, 0, false, false, "psst");
    EnqueueMessage(bot.messages, 0, MessageKind::Say, 0, 0, 0, false, false, "hello all");
    PumpMessages(bot);
    const Texts& actions = t.world.ActionLog();
    EXPECT_EQ(Texts(actions.end() - 2, actions.end()),
              (Texts{"whisper(20,\"psst\")", "say(\"hello all\")"}));

    for (int i = 0; i < 7; ++i) Reply(bot, kUser, "message %d", {i});
    t.world.UserLeave(kUser);
    t.Tick();  // the departure arrives in the tick's wait, before the pump
    EXPECT_TRUE(bot.messages.Empty());
    EXPECT_EQ(sent().size(), 13u);
}

}  // namespace
}  // namespace tv::test
