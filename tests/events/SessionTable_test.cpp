#include "events/SessionTable.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Bot.h"
#include "support/TestBot.h"
#include "terrain/TerrainStruct.h"

namespace tv {
namespace {

class EjectRecorder final : public SimListener {
public:
    void OnEject(int32_t session, int32_t seconds) override {
        ejects.push_back({session, seconds});
    }
    std::vector<std::pair<int32_t, int32_t>> ejects;
};

class SessionTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        bot = &tb.Login();
        tb.world.SetListener(&recorder);
    }
    void TearDown() override { tb.world.SetListener(nullptr); }

    TTerrainSession& Entered(int32_t session, int32_t citizen, int32_t x = 0, int32_t z = 0,
                             const std::string& name = {}) {
        tb.Enter(session, citizen, x, z, name);
        tb.Tick();
        TTerrainSession* record = bot->sessions.FindSession(session);
        EXPECT_NE(record, nullptr) << "session " << session;
        return *record;
    }

    int CountActivity(const std::string& message) const {
        auto all = tb.ActivityMessages();
        return static_cast<int>(std::count(all.begin(), all.end(), message));
    }

    const ActivityEntry* NewestActivity(const std::string& message) const {
        for (const ActivityEntry& entry : bot->model.Activity())
            if (entry.message == message) return &entry;
        return nullptr;
    }

    // One command from the user every `spacingMs`; returns the 1-based command that ejected.
    int CommandsUntilEjected(int32_t session, int count, int64_t spacingMs) {
        for (int i = 1; i <= count; ++i) {
            if (i > 1) tb.clock.Advance(spacingMs);
            FloodCheck(*bot, session);
            if (IsFloodEjected(*bot, session)) return i;
        }
        return 0;
    }

    std::string Text(Lang key) const { return bot->language[key]; }

    test::TestBot tb;
    Bot* bot = nullptr;
    EjectRecorder recorder;
};

TEST_F(SessionTableTest, EleventhQuickCommandEjectsTheUser) {
    Entered(5, 100);
    bot->options.FloodCommands = 10.05;
    bot->options.FloodEjectDuration = 900;
    // 5.999 s apart still counts: the window compares whole seconds.
    EXPECT_EQ(CommandsUntilEjected(5, 11, 5999), 11);
    ASSERT_EQ(recorder.ejects.size(), 1u);
    EXPECT_EQ(recorder.ejects[0], std::make_pair(5, 900));
    EXPECT_EQ(CountActivity("Ejected for flooding"), 1);
    EXPECT_EQ(bot->messages.Messages().back().text, kReplyPrefix + Text(Lang::flood_message));
    tb.Tick(2);
    EXPECT_EQ(bot->sessions.FindSession(5), nullptr);
}

TEST_F(SessionTableTest, SlowCommandLowersTheFloodCount) {
    Entered(5, 100);
    bot->options.FloodCommands = 10.05;
    // The first command is not counted, so ten quick ones leave the count at nine.
    EXPECT_EQ(CommandsUntilEjected(5, 10, 1000), 0);
    tb.clock.Advance(6000);
    FloodCheck(*bot, 5);  // not counted, and lowers the count to eight
    EXPECT_FALSE(IsFloodEjected(*bot, 5));
    tb.clock.Advance(1000);
    FloodCheck(*bot, 5);
    EXPECT_FALSE(IsFloodEjected(*bot, 5));
    tb.clock.Advance(1000);
    FloodCheck(*bot, 5);
    EXPECT_TRUE(IsFloodEjected(*bot, 5));
}

TEST_F(SessionTableTest, FloodLimitAndWindowComeFromTheOptionRoundedHalfToEven) {
    struct Case {
        double floodCommands;
        int64_t spacingMs;
        int commands;
        int ejectedAt;  // 0: never
    };
    const Case cases[] = {
        {10.50, 40000, 11, 11},  // limit 10, window 50 s
        {10.50, 51000, 30, 0},   // outside the window
        {11.50, 0, 40, 0},       // limit 12, window -50: nothing counts
        {10.60, 0, 40, 0},       // limit 11, window -40
        {10.05, 6000, 30, 0},   {3.02, 2000, 4, 4},
    };
    int32_t session = 10;
    for (const Case& c : cases) {
        bot->options.FloodCommands = c.floodCommands;
        ++session;
        Entered(session, 100 + session);
        EXPECT_EQ(CommandsUntilEjected(session, c.commands, c.spacingMs), c.ejectedAt)
            << "FloodCommands " << c.floodCommands << " spacing " << c.spacingMs;
    }
}

TEST_F(SessionTableTest, FailedEjectRefusesCommandsUntilOneComesQuickly) {
    Entered(5, 100);
    bot->options.FloodCommands = 3.05;
    tb.world.FailNext("aw_world_eject", reason::NotAllowed);
    EXPECT_EQ(CommandsUntilEjected(5, 4, 1000), 4);
    EXPECT_TRUE(recorder.ejects.empty());
    EXPECT_EQ(CountActivity("Ejected for flooding"), 0);
    tb.clock.Advance(10000);
    FloodCheck(*bot, 5);
    EXPECT_TRUE(IsFloodEjected(*bot, 5));
    tb.clock.Advance(1000);
    FloodCheck(*bot, 5);
    EXPECT_FALSE(IsFloodEjected(*bot, 5));
}

TEST_F(SessionTableTest, IdleSessionIsWarnedOnceThenDisabled) {
    TTerrainSession& user = Entered(5, 100);
    ASSERT_TRUE(SetSessionEnabled(*bot, user, true, false));
    EXPECT_EQ(bot->sessions.EnabledCount, 1);
    EXPECT_EQ(bot->model.Stat(7), "1");
    const std::string warning = Text(Lang::disable_warn_message) + " in 30s";
    auto warnings = [&] {
        auto texts = tb.ConsoleTo(5);
        return std::count(texts.begin(), texts.end(), warning);
    };

    tb.Tick(4 * 29);
    EXPECT_EQ(warnings(), 0);
    tb.Tick(4 * 2);
    EXPECT_EQ(warnings(), 1);
    tb.Tick(4 * 10);
    EXPECT_EQ(warnings(), 1) << "warned once";

    TouchSession(*bot, user);  // a command in between
    EXPECT_FALSE(user.warned);
    tb.Tick(4 * 31);
    EXPECT_EQ(warnings(), 2);
    EXPECT_TRUE(user.enabled);
    tb.Tick(4 * 30);
    EXPECT_FALSE(user.enabled);
    EXPECT_EQ(tb.ConsoleTo(5).back(), Text(Lang::disable_message));
    EXPECT_EQ(bot->sessions.EnabledCount, 0);
    EXPECT_EQ(bot->model.Stat(7), "0");
    const ActivityEntry* timedOut = NewestActivity("Timed out");
    ASSERT_NE(timedOut, nullptr);
    EXPECT_EQ(timedOut->category, ActivityCategory::Action);
    EXPECT_EQ(timedOut->privilege, 100);
    EXPECT_EQ(timedOut->name, "user100");
    EXPECT_EQ(CountActivity("Disables terrain"), 0);
}

TEST_F(SessionTableTest, GhostAddIsRejectedAndItsDeleteKeepsTheUser) {
    Entered(5, 100);
    ASSERT_EQ(tb.world.UserEnter(5, 100, 0, 0, 0, std::nullopt, "user100"), 0);
    tb.Tick();
    EXPECT_EQ(bot->sessions.Count(), 1u);
    EXPECT_EQ(CountActivity("Enters world"), 1);
    EXPECT_EQ(CountActivity("Duplicate ghost session number replaced in database, ghost rejected"),
              1);
    tb.world.UserLeave(5);
    tb.Tick();
    EXPECT_EQ(CountActivity("Duplicate ghost session number timed out on server"), 1);
    ASSERT_NE(bot->sessions.FindSession(5), nullptr);
    EXPECT_FALSE(bot->sessions.FindSession(5)->ghost);
    // The world has no second avatar left to remove; the next delete is delivered by hand.
    ASSERT_EQ(tb.world.aw_int_set(attr::AvatarSession, 5), 0);
    OnAvatarDelete(*bot);
    EXPECT_EQ(bot->sessions.FindSession(5), nullptr);
    EXPECT_EQ(CountActivity("Leaves world"), 1);
}

TEST_F(SessionTableTest, LeavingWhileEnabledLowersTheCount) {
    TTerrainSession& user = Entered(5, 100);
    ASSERT_TRUE(SetSessionEnabled(*bot, user, true, false));
    tb.world.UserLeave(5);
    tb.Tick();
    EXPECT_EQ(bot->sessions.EnabledCount, 0);
    EXPECT_EQ(bot->model.Stat(7), "0");
}

TEST_F(SessionTableTest, BotsAndTouristsAreRefusedWhenNotAllowed) {
    struct Case {
        const char* name;
        OptionFlag flag;
        const char* activity;
        Lang error;
    };
    const Case cases[] = {
        {"[robot", OptionFlag::AllowBots, "Bot attempting to enable terrain building",
         Lang::bot_error},
        {"'visitor", OptionFlag::AllowTourists, "Tourist attempting to enable terrain building",
         Lang::tourist_error},
    };
    int32_t session = 5;
    for (const Case& c : cases) {
        ++session;
        TTerrainSession& user = Entered(session, 100 + session, 0, 0, c.name);
        bot->options.SetFlag(c.flag, false);
        EXPECT_FALSE(SetSessionEnabled(*bot, user, true, false)) << c.name;
        EXPECT_FALSE(user.enabled);
        const ActivityEntry* refused = NewestActivity(c.activity);
        ASSERT_NE(refused, nullptr) << c.name;
        EXPECT_EQ(refused->category, ActivityCategory::Safeguard);
        EXPECT_EQ(refused->name, c.name);
        tb.Tick(2);
        EXPECT_EQ(tb.ConsoleTo(session).back(), Text(c.error));
        bot->options.SetFlag(c.flag, true);
        EXPECT_TRUE(SetSessionEnabled(*bot, user, true, false)) << "allowed again: " << c.name;
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
        ++session;
        TTerrainSession& user = Entered(session, 100 + session, c.x, c.z);
        EXPECT_EQ(SetSessionEnabled(*bot, user, true, false), c.allowed) << c.x << "," << c.z;
        tb.Tick(2);
        if (!c.allowed) {
            EXPECT_EQ(tb.ConsoleTo(session).back(), Text(Lang::bounds_error));
        }
    }
}

TEST_F(SessionTableTest, OutsideTheWorldOrNoLongerAllowedCanStillBeSwitchedOff) {
    TTerrainSession& user = Entered(5, 100, 0, 0, "[robot");
    ASSERT_TRUE(SetSessionEnabled(*bot, user, true, false));
    tb.world.UserMove(5, 15000, 0, 0);
    tb.Tick();
    bot->options.SetFlag(OptionFlag::AllowBots, false);
    EXPECT_TRUE(SetSessionEnabled(*bot, user, false, false));
    EXPECT_FALSE(user.enabled);
    EXPECT_EQ(CountActivity("Bot attempting to enable terrain building"), 0);
}

TEST_F(SessionTableTest, DisablingWithDetachQueuesOneDetachPerCell) {
    TTerrainSession& user = Entered(5, 100);
    ASSERT_TRUE(SetSessionEnabled(*bot, user, true, true));
    EXPECT_EQ(user.detach, 1);
    const std::vector<std::pair<int32_t, int32_t>> cells = {{1, 2}, {-3, 4}, {0, -7}};
    for (auto [x, z] : cells) user.cells.Add(static_cast<int32_t>(PackCellKey(x, z)));
    const int64_t queuedBefore = bot->world.commands.Count();

    ASSERT_TRUE(SetSessionEnabled(*bot, user, false, true));
    std::vector<std::pair<int32_t, int32_t>> detached;
    for (auto* node = bot->world.commands.Head(); node; node = node->Next) {
        const TTerrainCommand& command = *node->Item;
        if (command.State == CommandState::DETACH && command.AvatarSession == 5)
            detached.push_back({command.CellX, command.CellZ});
    }
    EXPECT_EQ(bot->world.commands.Count() - queuedBefore, 3);
    EXPECT_EQ(detached, cells);
    EXPECT_EQ(user.cells.Count(), 3) << "the cell list is kept";
    EXPECT_EQ(bot->messages.Messages().back().text,
              std::string(kReplyPrefix) + "3 " + Text(Lang::cells_processed_message));
    const ActivityEntry* entry = NewestActivity("Detaches 3 cells");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->category, ActivityCategory::Command);
    EXPECT_EQ(CountActivity("Disables terrain"), 1);
}

TEST_F(SessionTableTest, OneDetachedCellIsSingular) {
    TTerrainSession& user = Entered(5, 100);
    ASSERT_TRUE(SetSessionEnabled(*bot, user, true, true));
    user.cells.Add(static_cast<int32_t>(PackCellKey(2, 2)));
    ASSERT_TRUE(SetSessionEnabled(*bot, user, false, true));
    EXPECT_EQ(CountActivity("Detaches 1 cell"), 1);
}

TEST_F(SessionTableTest, EnabledSessionNamesAreSortedAndFiltered) {
    struct User {
        int32_t session, privilege;
        const char* name;
        bool enable;
    };
    const User users[] = {
        {5, 50, "zed", true}, {6, 70, "Alice", true}, {7, 50, "bob", true}, {8, 50, "carl", false}};
    for (const User& u : users) {
        tb.world.AddCitizen(u.privilege, "owner");
        tb.world.SetWorldRight(test::TestBot::kWorld, u.privilege, right::Terrain, true);
        tb.world.AddCitizen(1000 + u.session, u.name);
        ASSERT_EQ(tb.world.UserEnter(u.session, 1000 + u.session, 0, 0, 0, u.privilege, u.name), 0);
    }
    tb.Tick();
    for (const User& u : users) {
        TTerrainSession* record = bot->sessions.FindSession(u.session);
        ASSERT_NE(record, nullptr);
        if (u.enable) {
            ASSERT_TRUE(SetSessionEnabled(*bot, *record, true, false));
        }
    }
    using Names = std::vector<std::string>;
    EXPECT_EQ(EnabledSessionNames(*bot, -1), (Names{"Alice", "bob", "zed"}));
    EXPECT_EQ(EnabledSessionNames(*bot, 50), (Names{"bob", "zed"}));
    EXPECT_EQ(EnabledSessionNames(*bot, 70), (Names{"Alice"}));
    EXPECT_TRUE(EnabledSessionNames(*bot, 90).empty());
}

TEST_F(SessionTableTest, EntryAnnouncesFeaturesAndLogsWithPrivilege) {
    Entered(5, 100);
    const ActivityEntry* entered = NewestActivity("Enters world");
    ASSERT_NE(entered, nullptr);
    EXPECT_EQ(entered->category, ActivityCategory::Action);
    EXPECT_EQ(entered->privilege, 100);
    EXPECT_EQ(entered->name, "user100");
    tb.Tick(2);
    const std::string notice = Text(Lang::features_are_message) + " " +
                               Text(Lang::online_say_message) + "t:" + Text(Lang::cmd_begin) +
                               Text(Lang::edit_message);
    EXPECT_EQ(tb.ConsoleTo(5), (std::vector<std::string>{notice}));

    TerrainRightsFromString(bot->rights, "7");
    Entered(6, 101);
    tb.Tick(2);
    EXPECT_TRUE(tb.ConsoleTo(6).empty()) << "no list entry, no notice";
}

TEST_F(SessionTableTest, OfflineNoticeGoesOnlyToRightsHolders) {
    Entered(5, 100);
    Entered(6, 101);
    tb.world.SetWorldRight(test::TestBot::kWorld, 101, right::Terrain, false);
    Entered(7, 102);
    TerrainRightsFromString(bot->rights, "100,101");
    tb.Tick(2);
    const std::size_t before5 = tb.ConsoleTo(5).size(), before6 = tb.ConsoleTo(6).size(),
                      before7 = tb.ConsoleTo(7).size();
    bot->featuresOnline = false;
    AnnounceToRightsHolders(*bot);
    tb.Tick(2);
    ASSERT_EQ(tb.ConsoleTo(5).size(), before5 + 1);
    EXPECT_EQ(tb.ConsoleTo(5).back(),
              Text(Lang::features_are_message) + " " + Text(Lang::phrase_offline));
    EXPECT_EQ(tb.ConsoleTo(6).size(), before6) << "no terrain world right";
    EXPECT_EQ(tb.ConsoleTo(7).size(), before7) << "not in the rights list";

    bot->options.SetFlag(OptionFlag::AlwaysEnabled, true);
    EXPECT_EQ(FeaturesNotice(*bot), Text(Lang::offline_message));
}

TEST_F(SessionTableTest, AlwaysEnabledSessionStartsItsIdleTimeOnEntry) {
    bot->options.SetFlag(OptionFlag::AlwaysEnabled, true);
    TTerrainSession& user = Entered(5, 100);
    tb.Tick(4);
    EXPECT_TRUE(user.enabled) << "not timed out by the first ticks";
    EXPECT_EQ(CountActivity("Enables terrain"), 0);
    EXPECT_EQ(tb.ConsoleTo(5).front(), Text(Lang::online_enabled_message));
    tb.Tick(4 * 30);
    EXPECT_TRUE(user.enabled);
    EXPECT_EQ(tb.ConsoleTo(5).back(), Text(Lang::disable_warn_message) + " in 30s");
    tb.Tick(4 * 30);
    EXPECT_FALSE(user.enabled);
}

TEST_F(SessionTableTest, ResetForgetsEveryone) {
    TTerrainSession& user = Entered(5, 100);
    ASSERT_TRUE(SetSessionEnabled(*bot, user, true, false));
    Entered(6, 101);
    SessionTableReset(*bot);
    EXPECT_EQ(bot->sessions.Count(), 0u);
    EXPECT_EQ(bot->sessions.EnabledCount, 0);
    EXPECT_EQ(bot->model.Stat(7), "1") << "row 7 is left for the next change";
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
}  // namespace tv
