// begin, end, sessions, rights, help, version, stats and clearcache.
#include <gtest/gtest.h>

#include <filesystem>

#include "CommandFixture.h"
#include "app/Clock.h"
#include "commands/TerrainCommand.h"
#include "commands/TerrainRights.h"

namespace tv::test {
namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

using SessionCommands = CommandTest;

TEST_F(SessionCommands, BeginTwiceSaysNothingTheSecondTime) {
    Arrive({11, 7});
    Begin(11);
    EXPECT_EQ(Command(11, "t:begin"), Texts{});
    EXPECT_EQ(Command(11, "t:end"), Texts{"{disable_message}"});
    EXPECT_FALSE(SessionOf(11).enabled);
    EXPECT_EQ(Command(11, "t:end"), Texts{"{not_enabled_message}"});
}

TEST_F(SessionCommands, SessionsListsWorkingUsers) {
    Arrive({.session = 11, .citizen = 7, .name = "bob"});
    Arrive({.session = 12, .citizen = 8, .rights = {50, 68}, .name = "alice"});
    Arrive({.session = 13, .citizen = 9, .name = "'guest"});
    Arrive({.session = 14, .citizen = 20, .rights = {}, .name = "carl", .privilege = 7});
    for (int32_t session : {11, 12, 14}) Begin(session);
    EXPECT_EQ(Command(13, "t:sessions"), Texts{"{tourist_command_error}"});
    EXPECT_EQ(Command(12, "t:sessions"), (Texts{"{sessions_all_message}3", "alice, bob, carl"}));
    EXPECT_EQ(Command(11, "t:sessions"), (Texts{"{sessions_user_message}2", "bob, carl"}));
    EXPECT_EQ(Command(13, "t:begin"), Texts{"{enable_message}"});
    Command(11, "t:end");
    Command(14, "t:end");
    EXPECT_EQ(Command(11, "t:sessions"), (Texts{"{sessions_user_message}0"}));
}

TEST_F(SessionCommands, HelpVersionStats) {
    struct Urls final : SimListener {
        void OnUrl(int32_t session, const std::string& url, const std::string& target) override {
            sent.push_back(std::to_string(session) + " " + url + " " + target);
        }
        Texts sent;
    } urls;
    tb.world.SetListener(&urls);
    Arrive({11, 7});
    EXPECT_EQ(Command(11, "t:help"), Texts{"{message}"});
    EXPECT_EQ(urls.sent, Texts{"11 " + std::string(kHomePageUrl) + " aw_3d"});
    EXPECT_TRUE(EndsWith(kHomePageUrl, "/terravane2"));
    EXPECT_EQ(Command(11, "t:version"), Texts{"{version_message} 2.1.14 {version_sdk_message} 66"});
    const Texts stats = Command(11, "t:stats");
    ASSERT_EQ(stats.size(), 1u);
    EXPECT_EQ(stats[0].rfind("{markers}: 0, {cells}: 0, {extents}: ", 0), 0u) << stats[0];
    EXPECT_TRUE(EndsWith(stats[0], ", {percent_queried}: 0.000000%")) << stats[0];
    tb.world.SetListener(nullptr);
}

class CacheCommands : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        EnterCaretaker(12);
        Arrive({11, 7});
        Begin(11);
    }
};

TEST_F(CacheCommands, ClearCacheEmptiesTheCacheAndStatsShowIt) {
    CacheMarker(1, 1, 7);
    ASSERT_GT(bot().cache.QueriedCells(), 0);
    const Texts before = Command(12, "t:stats");
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].rfind("{markers}: 1, {cells}: 16, ", 0), 0u) << before[0];

    EXPECT_EQ(Command(12, "t:clearcache"), Texts{"Terrain cache cleared."});
    EXPECT_EQ(bot().cache.FindCell(1, 1), -1);
    EXPECT_EQ(bot().cache.QueriedCells(), 0);
    EXPECT_EQ(bot().cache.MarkerCount(), 0);
    EXPECT_TRUE(bot().world.queries.Empty());
    EXPECT_TRUE(bot().world.callbacks.Empty());
    EXPECT_TRUE(bot().featuresOnline);
    const Texts after = Command(12, "t:stats");
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].rfind("{markers}: 0, {cells}: 0, ", 0), 0u) << after[0];
    EXPECT_TRUE(EndsWith(after[0], "{percent_queried}: 0.000000%")) << after[0];
    EXPECT_EQ(bot().model.Stat(2), "0");
    EXPECT_EQ(bot().model.Stat(5), "0");
    EXPECT_EQ(Command(11, "t:clearcache"), Texts{"{not_caretaker_error}"});
}

TEST_F(CacheCommands, ClearCacheWaitsForTheCommandQueue) {
    bot().options.MaxCommands = 0;
    for (auto [x, z] : {std::pair{0, 0}, {1, 0}, {0, 1}}) CacheMarker(x, z, 7);
    Command(11, "t:hide");
    EXPECT_EQ(Command(12, "t:clearcache"),
              Texts{"Please wait until the command queue is empty. (remaining: 3)"});
    EXPECT_EQ(QueuedCommands().size(), 3u);
    EXPECT_GE(bot().cache.FindCell(1, 0), 0);
    EXPECT_EQ(bot().cache.MarkerCount(), 3);
}

class RightsCommand : public CommandTest {
protected:
    RightsCommand() { options["TerrainRights"] = "1,5,8"; }
    void SetUp() override {
        CommandTest::SetUp();
        EnterCaretaker(12);
    }
    std::string Rights() { return TerrainRightsToString(bot().rights); }
    void SetRights(const std::string& text) { TerrainRightsFromString(bot().rights, text); }
};

TEST_F(RightsCommand, Listing) {
    struct Case {
        const char* rights;
        Texts replies;
    } cases[] = {
        {"12,5,7,1", {"{terrain_rights} 4", "1, 5, 7, 12"}},
        {"*", {"All users have terrain rights."}},
        {"1~3,20", {"{terrain_rights} 2", "1~3, 20"}},
    };
    for (const auto& c : cases) {
        SetRights(c.rights);
        EXPECT_EQ(Command(12, "t:rights"), c.replies) << c.rights;
    }
    // An empty list shuts the caretaker out of chat too; the handler still counts no entries.
    SetRights("");
    ProcessCommand(bot(), SessionOf(12), "rights");
    EXPECT_EQ(Replies(12), Texts{"{terrain_rights} 0"});
    // Only the bot's own citizen may use it.
    SetRights("*");
    Arrive({11, 5});
    EXPECT_EQ(Command(11, "t:rights"), Texts{"{not_caretaker_error}"});
}

TEST_F(RightsCommand, GrantAndRevokeRefuseHostileArgumentsAndKeepTheOwnCitizen) {
    tb.world.AddCitizen(1234, "ada");
    const std::string notTarget =
        std::string("' ") + AddedInfo(Added::rights_argument_error).english;
    const std::string own = AddedInfo(Added::own_rights_error).english;
    struct Case {
        const char* rights;
        const char* line;
        Texts replies;
        const char* after;
    } cases[] = {
        {"*", "t:rights add 7", {"7: {citnum_rights_error}"}, "*"},
        {"1,5~10", "t:rights add 7", {"7: {citnum_rights_error}"}, "1,5~10"},
        {"1", "t:rights add 7", {"{rights_granted_message}7"}, "1,7"},
        {"1", "t:rights ADD 'ada'", {"{rights_granted_message}1234"}, "1,1234"},
        {"1", "t:rights add 'nobody'", {"''nobody'' {invalid_citname_message}"}, "1"},
        {"1,5~10", "t:rights rem 5", {"{rights_revoked_message}5"}, "1"},
        {"1,7,5~10", "t:rights remove 7", {"7: {citnum_rights_error}"}, "1,5~10,7"},
        {"1,5~10", "t:rights remove 7", {"7: {citnum_rights_error}"}, "1,5~10"},
        {"*", "t:rights remove 7", {"7: {citnum_rights_error}"}, "*"},
        {"1,7", "t:rights remove 7", {"{rights_revoked_message}7"}, "1"},
        {"1", "t:rights remove 9", {"9: {citnum_no_rights_error}"}, "1"},
        {"1", "t:rights frob 9", {}, "1"},
        {"1", "t:rights add", {}, "1"},
        // Hostile or mistyped arguments change nothing.
        {"1,5", "t:rights remove abc", {"'abc" + notTarget}, "1,5"},
        {"1", "t:rights add 0x10", {"'0x10" + notTarget}, "1"},
        {"1", "t:rights add $10", {"'$10" + notTarget}, "1"},
        {"1", "t:rights add -5", {"'-5" + notTarget}, "1"},
        {"1", "t:rights add 10~5", {"'10~5" + notTarget}, "1"},
        {"1", "t:rights add  7", {"'" + notTarget}, "1"},
        {"1,5", "t:rights remove 1", {own}, "1,5"},
        {"1~3,5", "t:rights remove 1~3", {own}, "1~3,5"},
        // Ranges.
        {"1", "t:rights add 5~10", {"{rights_granted_message}5~10"}, "1,5~10"},
        {"1,5~10", "t:rights add 6~8", {"6~8: {citnum_rights_error}"}, "1,5~10"},
        {"1,5,7~8,20", "t:rights remove 5~10", {"{rights_revoked_message}5~10"}, "1,20"},
        {"1,5~12", "t:rights remove 5~10", {"5~10: {citnum_rights_error}"}, "1,5~12"},
        {"1", "t:rights remove 5~10", {"5~10: {citnum_no_rights_error}"}, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rights) + " " + c.line);
        SetRights(c.rights);
        EXPECT_EQ(Command(12, c.line), c.replies);
        EXPECT_EQ(Rights(), c.after);
    }
}

TEST_F(RightsCommand, GrantSwitchesOffOtherWorkersAndTellsTheGrantee) {
    Arrive({11, 5});
    Arrive({13, 8});
    Arrive({14, 9});
    Arrive({.session = 15, .citizen = 30, .rights = {}, .name = "dora", .privilege = 9});
    for (int32_t session : {12, 11, 13}) Begin(session);
    EXPECT_EQ(Command(14, "t:begin"), Texts{"You do not have terrain rights in wide."});
    Replies(15);

    EXPECT_EQ(Command(12, "t:rights add 9"), Texts{"{rights_granted_message}9"});
    EXPECT_EQ(LastActivity(), "Granted rights to #9");
    EXPECT_EQ(Replies(14), Texts{"{rights_granted_message}9"});
    EXPECT_EQ(Replies(15), Texts{"{rights_granted_message}9"});
    EXPECT_EQ(Replies(11), Texts{});
    EXPECT_EQ(Replies(13), Texts{});
    EXPECT_FALSE(SessionOf(11).enabled);
    EXPECT_FALSE(SessionOf(13).enabled);
    EXPECT_TRUE(SessionOf(12).enabled);
    EXPECT_EQ(Command(14, "t:begin"), Texts{"{enable_message}"});

    EXPECT_EQ(Command(12, "t:rights remove 5"), Texts{"{rights_revoked_message}5"});
    EXPECT_EQ(LastActivity(), "Revoked rights of #5");
    EXPECT_EQ(Replies(11), Texts{"{rights_revoked_message}5"});
    EXPECT_FALSE(SessionOf(14).enabled);
    EXPECT_EQ(Command(11, "t:begin"), Texts{"You do not have terrain rights in wide."});
}

TEST_F(RightsCommand, ChangeIsSavedAndSurvivesARestart) {
    bot().options.MaxCommands = 3;
    Command(12, "t:rights add 9");
    Command(12, "t:rights remove 8");
    EXPECT_EQ(Rights(), "1,5,9");
    EXPECT_NE(tb.dir.Read("config.xml").find("<TerrainRights>1,5,9</TerrainRights>"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(tb.dir.Path() / "terravane.xml"));

    VirtualClock clock;
    SimWorld world(clock);
    RecordingFrontEnd frontEnd;
    Bot restarted(world, clock, frontEnd, tb.dir.Path());
    restarted.Start();
    EXPECT_EQ(TerrainRightsToString(restarted.rights), "1,5,9");
    EXPECT_EQ(restarted.options.MaxCommands, 3);
    EXPECT_EQ(restarted.options.Login.World, kWorld);
    EXPECT_EQ(restarted.options.Login.PrivilegePassword, "secret");
}

TEST_F(RightsCommand, FailedSaveKeepsTheChangeAndSaysSo) {
    // config.xml cannot be replaced once it is a folder.
    std::filesystem::remove(tb.dir.Path() / "config.xml");
    std::filesystem::create_directory(tb.dir.Path() / "config.xml");
    tb.dir.Write("config.xml/keep", "x");
    const Texts replies = Command(12, "t:rights add 9");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0], "{rights_granted_message}9");
    EXPECT_EQ(replies[1].rfind("An error occured while processing your command: EInOutError, ", 0),
              0u)
        << replies[1];
    EXPECT_EQ(Rights(), "1,5,8,9");
    const Texts activity = tb.ActivityMessages();
    ASSERT_GE(activity.size(), 2u);
    EXPECT_EQ(activity[activity.size() - 2], "Granted rights to #9");
    EXPECT_EQ(activity.back().rfind("Unable to save the terrain rights: ", 0), 0u)
        << activity.back();
    EXPECT_EQ(bot().model.Activity().front().category, ActivityCategory::Error);
}

}  // namespace
}  // namespace tv::test
