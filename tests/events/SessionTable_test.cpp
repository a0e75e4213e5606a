#include "events/SessionTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "app/Bot.h"
#include "support/BotTest.h"

namespace tv::test {
namespace {

class SessionTableTest : public BotTest {
protected:
    void SetUp() override { Login(); }

    int CountActivity(const std::string& message) const {
        const Texts all = tb.ActivityMessages();
        return static_cast<int>(std::count(all.begin(), all.end(), message));
    }
    const ActivityEntry* NewestActivity(const std::string& message) {
        for (const ActivityEntry& entry : bot().model.Activity())
            if (entry.message == message) return &entry;
        return nullptr;
    }
    // One command from the user every `spacingMs`, the `slowAt`th 6 s after the one before;
    // returns the 1-based command that ejected.
    int CommandsUntilEjected(int32_t session, int count, int64_t spacingMs, int slowAt = 0) {
        for (int i = 1; i <= count; ++i) {
            if (i > 1) tb.clock.Advance(i == slowAt ? 6000 : spacingMs);
            FloodCheck(bot(), session);
            if (IsFloodEjected(bot(), session)) return i;
        }
        return 0;
    }
};

TEST_F(SessionTableTest, FloodLimitAndWindowComeFromTheOptionRoundedHalfToEven) {
    struct Case {
        double floodCommands;
        int64_t spacingMs;
        int commands;
        int ejectedAt;   // 0: never
        int slowAt = 0;  // a slow command is not counted and lowers the count by one
    };
    const Case cases[] = {{10.05, 5999, 11, 11},   // whole seconds: 5.999 s is within 5
                          {10.50, 40000, 11, 11},  // limit 10, window 50 s
                          {10.50, 51000, 30, 0},   // outside the window
                          {11.50, 0, 40, 0},       // limit 12, window -50: nothing counts
                          {10.60, 0, 40, 0},       // limit 11, window -40
                          {10.05, 6000, 30, 0},   {3.02, 2000, 4, 4}, {10.05, 1000, 14, 13, 11}};
    int32_t session = 10;
    for (const Case& c : cases) {
        bot().options.FloodCommands = c.floodCommands;
        ++session;
        Arrive({session, 100 + session});
        EXPECT_EQ(CommandsUntilEjected(session, c.commands, c.spacingMs, c.slowAt), c.ejectedAt)
            << "FloodCommands " << c.floodCommands << " spacing " << c.spacingMs;
    }
}

TEST_F(SessionTableTest, FailedEjectRefusesCommandsUntilOneComesQuickly) {
    Arrive({5, 100});
    bot().options.FloodCommands = 3.05;
    tb.world.FailNext("aw_world_eject", reason::NotAllowed);
    EXPECT_EQ(CommandsUntilEjected(5, 4, 1000), 4);
    EXPECT_EQ(CountActivity("Ejected for flooding"), 0);
    tb.clock.Advance(10000);
    EXPECT_EQ(CommandsUntilEjected(5, 1, 0), 1) << "still refused";
    tb.clock.Advance(1000);
    EXPECT_EQ(CommandsUntilEjected(5, 1, 0), 0) << "a quick one is let through";
}

// Idle sessions are looked at once a second, yet within the second new limits, and a warning
// time of 0 for a session switched on meanwhile, act at the next tick.
TEST_F(SessionTableTest, TimeoutsActAtTheNextTickWithinTheSecond) {
    TTerrainSession& ada = Arrive({5, 100});
    TTerrainSession& bob = Arrive({6, 101});
    ASSERT_TRUE(SetSessionEnabled(bot(), ada, true, false));
    tb.Tick(4 * 10);
    const int32_t second = bot().ClockSeconds();
    while (bot().ClockSeconds() == second) tb.Tick();  // the first of a second's four ticks
    EXPECT_FALSE(ada.warned);
    bot().options.WarnTime = 5;
    tb.Tick();
    EXPECT_TRUE(ada.warned);
    bot().options.WarnTime = 0;
    bot().options.DisableTime = 0;
    tb.Tick();
    EXPECT_FALSE(ada.enabled);
    ASSERT_TRUE(SetSessionEnabled(bot(), bob, true, false));
    tb.Tick();
    EXPECT_FALSE(bob.enabled);
}

TEST_F(SessionTableTest, EntryNoticeThenAGhostAddIsRejectedAndItsDeleteKeepsTheUser) {
    Arrive({5, 100});
    EXPECT_EQ(tb.ConsoleTo(5),
              Texts{Braced(Lang::features_are_message) + " " + Braced(Lang::online_say_message) +
                    "t:begin" + Braced(Lang::edit_message)});
    ASSERT_EQ(tb.world.UserEnter(5, 100, 0, 0, 0, std::nullopt, "user100"), 0);
    tb.Tick();
    EXPECT_EQ(bot().sessions.Count(), 1u);
    EXPECT_EQ(CountActivity("Enters world"), 1);
    EXPECT_EQ(NewestActivity("Enters world")->privilege, 100);
    EXPECT_EQ(CountActivity("Duplicate ghost session number replaced in database, ghost rejected"),
              1);
    tb.world.UserLeave(5);
    tb.Tick();
    EXPECT_EQ(CountActivity("Duplicate ghost session number timed out on server"), 1);
    const TTerrainSession* kept = bot().sessions.FindSession(5);
    EXPECT_TRUE(kept && !kept->ghost);
    // The world has no second avatar left to remove; the next delete is delivered by hand.
    ASSERT_EQ(tb.world.aw_int_set(attr::AvatarSession, 5), 0);
    OnAvatarDelete(bot());
    EXPECT_EQ(bot().sessions.FindSession(5), nullptr);
    EXPECT_EQ(CountActivity("Leaves world"), 1);
}

TEST_F(SessionTableTest, EnablingOutsideTheWorldIsRefused) {
    // World size 10: cells -10..10, positions truncated toward zero.
    const std::tuple<int32_t, int32_t, bool> cases[] = {{10999, 0, true},  {11000, 0, false},
                                                        {-10999, 0, true}, {-11000, 0, false},
                                                        {0, 11000, false}, {0, -10999, true}};
    int32_t session = 20;
    for (auto [x, z, allowed] : cases) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(z));
        TTerrainSession& user = Arrive({++session, 100 + session, x, z});
        EXPECT_EQ(SetSessionEnabled(bot(), user, true, false), allowed);
        EXPECT_EQ(Replies(session), allowed ? Texts{} : Texts{Braced(Lang::bounds_error)});
    }
}

// Filtering by privilege is checked through the sessions command; here the order ignores case.
TEST_F(SessionTableTest, EnabledSessionNamesAreSortedIgnoringCase) {
    for (auto [session, name] : {std::pair{5, "zed"}, {6, "Alice"}, {7, "bob"}})
        Arrive({.session = session, .citizen = 1000 + session, .enable = true, .name = name});
    EXPECT_EQ(EnabledSessionNames(bot(), -1), (Texts{"Alice", "bob", "zed"}));
}

TEST(SessionTableList, FindsTheFirstRecordAndRemovesOnlyIt) {
    SessionTable table;
    table.Append(4).name = "first";
    table.Append(9);
    table.Append(4).name = "second";
    EXPECT_EQ(table.FindSession(4)->name, "first");
    EXPECT_EQ(table.FindSession(8), nullptr);
    table.Remove(4);
    EXPECT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.FindSession(4)->name, "second");
    EXPECT_EQ(table.Records().front().session, 9);
}

}  // namespace
}  // namespace tv::test
