#include "events/SessionTable.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Bot.h"
#include "app/MessageQueue.h"
#include "commands/TerrainRights.h"
#include "support/BotTest.h"
#include "terrain/TerrainStruct.h"

namespace tv::test {
namespace {

class EjectRecorder final : public SimListener {
public:
    void OnEject(int32_t session, int32_t seconds) override {
        ejects.push_back({session, seconds});
    }
    std::vector<std::pair<int32_t, int32_t>> ejects;
};

class SessionTableTest : public BotTest {
protected:
    void SetUp() override {
        Login();
        tb.world.SetListener(&recorder);
    }
    void TearDown() override { tb.world.SetListener(nullptr); }

    int CountActivity(const std::string& message) const {
        const Texts all = tb.ActivityMessages();
        return static_cast<int>(std::count(all.begin(), all.end(), message));
    }
    const ActivityEntry* NewestActivity(const std::string& message) {
        for (const ActivityEntry& entry : bot().model.Activity())
            if (entry.message == message) return &entry;
        return nullptr;
    }
    // One command from the user every `spacingMs`; returns the 1-based command that ejected.
    int CommandsUntilEjected(int32_t session, int count, int64_t spacingMs) {
        for (int i = 1; i <= count; ++i) {
            if (i > 1) tb.clock.Advance(spacingMs);
            FloodCheck(bot(), session);
            if (IsFloodEjected(bot(), session)) return i;
        }
        return 0;
    }
    // A second command `afterMs` later; whether it is refused as flooding.
    bool Refused(int32_t session, int64_t afterMs) {
        tb.clock.Advance(afterMs);
        FloodCheck(bot(), session);
        return IsFloodEjected(bot(), session);
    }

    EjectRecorder recorder;
};

TEST_F(SessionTableTest, FloodNoticeIsSentBeforeTheEject) {
    Arrive({5, 100});
    bot().options.FloodCommands = 3.05;
    bot().options.FloodEjectDuration = 900;
    EXPECT_EQ(CommandsUntilEjected(5, 4, 1000), 4);
    EXPECT_EQ(recorder.ejects, (std::vector<std::pair<int32_t, int32_t>>{{5, 900}}));
    // Sent at once, while the user is still there to read it (the world drops messages to
    // sessions that have gone).
    EXPECT_EQ(tb.ConsoleTo(5).back(), Braced(Lang::flood_message));
}

TEST_F(SessionTableTest, SlowCommandLowersTheFloodCount) {
    Arrive({5, 100});
    bot().options.FloodCommands = 10.05;
    // The first command is not counted, so ten quick ones leave the count at nine.
    EXPECT_EQ(CommandsUntilEjected(5, 10, 1000), 0);
    EXPECT_FALSE(Refused(5, 6000));  // not counted, and lowers the count to eight
    EXPECT_FALSE(Refused(5, 1000));
    EXPECT_TRUE(Refused(5, 1000));
}

TEST_F(SessionTableTest, FloodLimitAndWindowComeFromTheOptionRoundedHalfToEven) {
    struct Case {
        double floodCommands;
        int64_t spacingMs;
        int commands;
        int ejectedAt;  // 0: never
    };
    const Case cases[] = {{10.05, 5999, 11, 11},   // whole seconds: 5.999 s is within 5
                          {10.50, 40000, 11, 11},  // limit 10, window 50 s
                          {10.50, 51000, 30, 0},   // outside the window
                          {11.50, 0, 40, 0},       // limit 12, window -50: nothing counts
                          {10.60, 0, 40, 0},       // limit 11, window -40
                          {10.05, 6000, 30, 0},   {3.02, 2000, 4, 4}};
    int32_t session = 10;
    for (const Case& c : cases) {
        bot().options.FloodCommands = c.floodCommands;
        ++session;
        Arrive({session, 100 + session});
        EXPECT_EQ(CommandsUntilEjected(session, c.commands, c.spacingMs), c.ejectedAt)
            << "FloodCommands " << c.floodCommands << " spacing " << c.spacingMs;
    }
}

TEST_F(SessionTableTest, FailedEjectRefusesCommandsUntilOneComesQuickly) {
    Arrive({5, 100});
    bot().options.FloodCommands = 3.05;
    tb.world.FailNext("aw_world_eject", reason::NotAllowed);
    EXPECT_EQ(CommandsUntilEjected(5, 4, 1000), 4);
    EXPECT_TRUE(recorder.ejects.empty());
    EXPECT_EQ(CountActivity("Ejected for flooding"), 0);
    EXPECT_TRUE(Refused(5, 10000));
    EXPECT_FALSE(Refused(5, 1000));
}

TEST_F(SessionTableTest, IdleSessionIsWarnedOnceThenDisabled) {
    TTerrainSession& user = Arrive({5, 100});
    ASSERT_TRUE(SetSessionEnabled(bot(), user, true, false));
    const std::string warning = Braced(Lang::disable_warn_message) + " in 30s";
    auto warnings = [&] {
        const Texts texts = tb.ConsoleTo(5);
        return std::count(texts.begin(), texts.end(), warning);
    };

    tb.Tick(4 * 29);
    EXPECT_EQ(warnings(), 0);
    tb.Tick(4 * 2);
    EXPECT_EQ(warnings(), 1);
    tb.Tick(4 * 10);
    EXPECT_EQ(warnings(), 1) << "warned once";

    TouchSession(bot(), user);  // a command in between
    EXPECT_FALSE(user.warned);
    tb.Tick(4 * 31);
    EXPECT_EQ(warnings(), 2);
    EXPECT_TRUE(user.enabled);
    tb.Tick(4 * 30);
    EXPECT_FALSE(user.enabled);
    EXPECT_EQ(tb.ConsoleTo(5).back(), Braced(Lang::disable_message));
    const ActivityEntry* timedOut = NewestActivity("Timed out");
    ASSERT_NE(timedOut, nullptr);
    EXPECT_EQ(timedOut->privilege, 100);
    EXPECT_EQ(CountActivity("Disables terrain"), 0);
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

TEST_F(SessionTableTest, AlwaysEnabledSessionStartsItsIdleTimeOnEntry) {
    bot().options.SetFlag(OptionFlag::AlwaysEnabled, true);
    TTerrainSession& user = Arrive({5, 100});
    tb.Tick(4);
    EXPECT_TRUE(user.enabled) << "not timed out by the first ticks";
    EXPECT_EQ(tb.ConsoleTo(5).front(), Braced(Lang::online_enabled_message));
    tb.Tick(4 * 30);
    EXPECT_TRUE(user.enabled);
    EXPECT_EQ(tb.ConsoleTo(5).back(), Braced(Lang::disable_warn_message) + " in 30s");
    tb.Tick(4 * 30);
    EXPECT_FALSE(user.enabled);
}

TEST_F(SessionTableTest, GhostAddIsRejectedAndItsDeleteKeepsTheUser) {
    Arrive({5, 100});
    ASSERT_EQ(tb.world.UserEnter(5, 100, 0, 0, 0, std::nullopt, "user100"), 0);
    tb.Tick();
    EXPECT_EQ(bot().sessions.Count(), 1u);
    EXPECT_EQ(CountActivity("Enters world"), 1);
    EXPECT_EQ(CountActivity("Duplicate ghost session number replaced in database, ghost rejected"),
              1);
    tb.world.UserLeave(5);
    tb.Tick();
    EXPECT_EQ(CountActivity("Duplicate ghost session number timed out on server"), 1);
    ASSERT_NE(bot().sessions.FindSession(5), nullptr);
    EXPECT_FALSE(bot().sessions.FindSession(5)->ghost);
    // The world has no second avatar left to remove; the next delete is delivered by hand.
    ASSERT_EQ(tb.world.aw_int_set(attr::AvatarSession, 5), 0);
    OnAvatarDelete(bot());
    EXPECT_EQ(bot().sessions.FindSession(5), nullptr);
    EXPECT_EQ(CountActivity("Leaves world"), 1);
}

TEST_F(SessionTableTest, LeavingWhileEnabledOrAResetLowersTheCount) {
    TTerrainSession& user = Arrive({5, 100});
    ASSERT_TRUE(SetSessionEnabled(bot(), user, true, false));
    tb.world.UserLeave(5);
    tb.Tick();
    EXPECT_EQ(bot().sessions.EnabledCount, 0);
    EXPECT_EQ(bot().model.Stat(7), "0");

    ASSERT_TRUE(SetSessionEnabled(bot(), Arrive({6, 101}), true, false));
    Arrive({7, 102});
    SessionTableReset(bot());
    EXPECT_EQ(bot().sessions.Count(), 0u);
    EXPECT_EQ(bot().sessions.EnabledCount, 0);
    EXPECT_EQ(bot().model.Stat(7), "0") << "no tick may follow: the window is told at once";
}

TEST_F(SessionTableTest, BotsAndTouristsAreRefusedWhenNotAllowed) {
    struct Case {
        const char* name;
        OptionFlag flag;
        const char* activity;
        Lang error;
    };
    const Case cases[] = {{"[robot", OptionFlag::AllowBots,
                           "Bot attempting to enable terrain building", Lang::bot_error},
                          {"'visitor", OptionFlag::AllowTourists,
                           "Tourist attempting to enable terrain building", Lang::tourist_error}};
    int32_t session = 5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++session;
        TTerrainSession& user =
            Arrive({.session = session, .citizen = 100 + session, .name = c.name});
        bot().options.SetFlag(c.flag, false);
        EXPECT_FALSE(SetSessionEnabled(bot(), user, true, false));
        const ActivityEntry* refused = NewestActivity(c.activity);
        ASSERT_NE(refused, nullptr);
        EXPECT_EQ(refused->category, ActivityCategory::Safeguard);
        EXPECT_EQ(Replies(session), Texts{Braced(c.error)});
        bot().options.SetFlag(c.flag, true);
        EXPECT_TRUE(SetSessionEnabled(bot(), user, true, false)) << "allowed again";
    }
}

TEST_F(SessionTableTest, EnablingOutsideTheWorldIsRefused) {
    struct Case {
        int32_t x, z;
        bool allowed;
    };
    // World size 10: cells -10..10, positions truncated toward zero.
    const Case cases[] = {{10999, 0, true},   {11000, 0, false}, {-10999, 0, true},
                          {-11000, 0, false}, {0, 11000, false}, {0, -10999, true}};
    int32_t session = 20;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.z));
        ++session;
        TTerrainSession& user = Arrive({session, 100 + session, c.x, c.z});
        EXPECT_EQ(SetSessionEnabled(bot(), user, true, false), c.allowed);
        EXPECT_EQ(Replies(session), c.allowed ? Texts{} : Texts{Braced(Lang::bounds_error)});
    }
}

TEST_F(SessionTableTest, OutsideTheWorldOrNoLongerAllowedCanStillBeSwitchedOff) {
    TTerrainSession& user = Arrive({.session = 5, .citizen = 100, .name = "[robot"});
    ASSERT_TRUE(SetSessionEnabled(bot(), user, true, false));
    tb.world.UserMove(5, 15000, 0, 0);
    tb.Tick();
    bot().options.SetFlag(OptionFlag::AllowBots, false);
    EXPECT_TRUE(SetSessionEnabled(bot(), user, false, false));
    EXPECT_FALSE(user.enabled);
    EXPECT_EQ(CountActivity("Bot attempting to enable terrain building"), 0);
}

TEST_F(SessionTableTest, DisablingWithDetachQueuesOneDetachPerCellTheUserStillOwns) {
    // Recorded cells with the owner recorded and the owner of the cell's marker now (0: none):
    // the user's, one recorded with another owner who still holds it, a later marker, none.
    struct Cell {
        int32_t x, z, recorded, now;
    };
    const Cell cells[] = {{1, 2, 105, 105}, {0, -7, 9, 9}, {3, 3, 105, 9}, {4, 4, 105, 0}};
    TTerrainSession& user = Arrive({5, 105});
    ASSERT_TRUE(SetSessionEnabled(bot(), user, true, true));
    EXPECT_EQ(user.detach, 1);
    for (const Cell& cell : cells) {
        if (cell.now != 0) CacheMarker(cell.x, cell.z, cell.now);
        RecordDetachCell(user, cell.x, cell.z, cell.recorded);
        RecordDetachCell(user, cell.x, cell.z, cell.recorded);  // recorded once
    }
    bot().world.commands.Clear();

    ASSERT_TRUE(SetSessionEnabled(bot(), user, false, true));
    EXPECT_EQ(QueuedCommands(), (Texts{"1,2 DETACH s5", "0,-7 DETACH s5"}));
    EXPECT_EQ(user.cells.Count(), 0) << "queued once, never again";
    EXPECT_EQ(Outgoing(5).back(), "2 " + Braced(Lang::cells_processed_message));
    const ActivityEntry* entry = NewestActivity("Detaches 2 cells");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->category, ActivityCategory::Command);
    EXPECT_EQ(CountActivity("Disables terrain"), 1);
}

// Filtering by privilege is checked through the sessions command; here the order ignores case.
TEST_F(SessionTableTest, EnabledSessionNamesAreSortedIgnoringCase) {
    for (auto [session, name] : {std::pair{5, "zed"}, {6, "Alice"}, {7, "bob"}})
        Arrive({.session = session, .citizen = 1000 + session, .enable = true, .name = name});
    EXPECT_EQ(EnabledSessionNames(bot(), -1), (Texts{"Alice", "bob", "zed"}));
}

TEST_F(SessionTableTest, EntryAnnouncesFeaturesAndLogsWithPrivilege) {
    Arrive({5, 100});
    const ActivityEntry* entered = NewestActivity("Enters world");
    ASSERT_NE(entered, nullptr);
    EXPECT_EQ(entered->privilege, 100);
    EXPECT_EQ(tb.ConsoleTo(5),
              Texts{Braced(Lang::features_are_message) + " " + Braced(Lang::online_say_message) +
                    "t:begin" + Braced(Lang::edit_message)});

    TerrainRightsFromString(bot().rights, "7");
    Arrive({6, 101});
    EXPECT_TRUE(tb.ConsoleTo(6).empty()) << "no list entry, no notice";
}

TEST_F(SessionTableTest, OfflineNoticeGoesOnlyToRightsHolders) {
    Arrive({5, 100});
    Arrive({.session = 6, .citizen = 101, .rights = {}});  // no terrain world right
    Arrive({7, 102});
    TerrainRightsFromString(bot().rights, "100,101");
    bot().featuresOnline = false;
    AnnounceToRightsHolders(bot());
    EXPECT_EQ(Replies(5),
              Texts{Braced(Lang::features_are_message) + " " + Braced(Lang::phrase_offline)});
    EXPECT_TRUE(Replies(6).empty()) << "no terrain world right";
    EXPECT_TRUE(Replies(7).empty()) << "not in the rights list";

    bot().options.SetFlag(OptionFlag::AlwaysEnabled, true);
    EXPECT_EQ(FeaturesNotice(bot()), Braced(Lang::offline_message));
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
