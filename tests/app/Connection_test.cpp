// Logging in, the world's rights check, logging out. The figures are the desktop test's.
#include <gtest/gtest.h>

#include "app/Connection.h"
#include "app/Errors.h"
#include "app/MessageQueue.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

// Whatever failed, the failing call or the missing right is named and the bot is back where it
// was before the click.
TEST(Login, EachFailingStepOrMissingRightIsNamedAndCleansUp) {
    const std::pair<std::string, std::string> cases[] = {
        {"aw_create", "aw_create failed, reason 7"},
        {"aw_login", "aw_login failed, reason 7"},
        {"aw_enter", "aw_enter failed, reason 7"},
        {"57", "Caretaker rights are required in this world."},
        {"162", "Eminent Domain rights are required in this world."}};
    for (const auto& [what, error] : cases) {
        TestBot t;
        if (what.starts_with("aw_"))
            t.world.FailNext(what, 7);
        else
            t.world.SetWorldRight(TestBot::kWorld, TestBot::kBotCitizen, std::stoi(what), false);
        Bot& bot = t.Start();
        const std::string thrown = ErrorOf<EMethodFailed>([&] { LoginClick(bot); });
        EXPECT_EQ(t.frontEnd.errors.empty() ? thrown : t.frontEnd.errors[0], error);
        const std::string state = std::to_string(t.world.aw_session()) + " " + bot.model.Status() +
                                  " " + bot.model.Stat(1) + " " + bot.model.ButtonCaption() +
                                  (bot.model.ButtonEnabled() ? " enabled " : " disabled ") +
                                  (bot.timerEnabled ? "ticking" : "stopped");
        EXPECT_EQ(state, "0 Ready Offline &Login enabled stopped") << what;
    }
}

TEST(Logout, FlushesQueuedMessagesFivePerSecond) {
    struct Watch final : SimListener {
        explicit Watch(VirtualClock& c) : clock(c) {}
        void OnConsoleMessage(const SimConsoleMessage&) override {
            sentAt.push_back(clock.ElapsedMs());
        }
        VirtualClock& clock;
        std::vector<int64_t> sentAt;
    };
    TestBot t;
    Bot& bot = t.Login();
    t.Enter(11, 7);
    t.Tick(2);
    for (int i = 0; i < 12; ++i) Reply(bot, 11, "message %d", {i});
    const int64_t start = t.clock.ElapsedMs();
    Watch watch(t.clock);
    t.world.SetListener(&watch);
    LogoutClick(bot);
    // The features-offline notice joins the queue too; each leaves once, five a second (their
    // order is the pump's, checked with it).
    const auto& sentAt = watch.sentAt;
    ASSERT_EQ(sentAt.size(), 13u);
    EXPECT_GE(sentAt[0] - start, 1000);
    EXPECT_EQ(sentAt[4], sentAt[0]);
    EXPECT_GE(sentAt[5] - sentAt[0], 1000);
    EXPECT_GE(sentAt[10] - sentAt[5], 1000);
    EXPECT_TRUE(bot.messages.Empty());

    // A queue too long for 30 seconds is cut off there, with an Error entry.
    LoginClick(bot);
    t.Tick(2);
    for (int i = 0; i < 400; ++i) Reply(bot, 11, "message %d", {i});
    const int unsent = static_cast<int>(bot.messages.Count()) + 1 - 150;  // and the notice
    const int64_t again = t.clock.ElapsedMs();
    watch.sentAt.clear();
    LogoutClick(bot);
    EXPECT_EQ(t.clock.ElapsedMs() - again, 30000);
    EXPECT_EQ(sentAt.size(), 150u);
    EXPECT_TRUE(bot.messages.Empty());
    const Texts activity = t.ActivityMessages();
    EXPECT_EQ(
        activity[activity.size() - 2],
        Format("Logged out with %d messages unsent: the flush stops after 30 seconds", {unsent}));
}

}  // namespace
}  // namespace tv::test
