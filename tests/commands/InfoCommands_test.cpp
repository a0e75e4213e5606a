// begin, end, sessions, help and the caretaker's rights command. End to end (grants switching
// other users off, the list kept across a restart, stats, clearcache):
// scenarios/commands_rights.scn.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "CommandFixture.h"
#include "commands/TerrainCommand.h"
#include "commands/TerrainRights.h"

namespace tv::test {
namespace {

using SessionCommands = CommandTest;

TEST_F(SessionCommands, SessionsListsWorkingUsersASecondBeginSaysNothingHelpOpensThePage) {
    Arrive({.session = 11, .citizen = 7, .name = "bob"});
    Arrive({.session = 12, .citizen = 8, .rights = {50, 68}, .name = "alice"});
    Arrive({.session = 13, .citizen = 9, .name = "'guest"});
    Arrive({.session = 14, .citizen = 20, .rights = {}, .name = "carl", .privilege = 7});
    for (int32_t session : {11, 12, 14}) Begin(session);
    EXPECT_EQ(Command(11, "t:begin"), Texts{});
    EXPECT_EQ(Command(13, "t:sessions"), Texts{"{tourist_command_error}"});
    EXPECT_EQ(Command(12, "t:sessions"), (Texts{"{sessions_all_message}3", "alice, bob, carl"}));
    EXPECT_EQ(Command(11, "t:sessions"), (Texts{"{sessions_user_message}2", "bob, carl"}));
    EXPECT_EQ(Command(11, "t:end"), Texts{"{disable_message}"});
    EXPECT_EQ(Command(11, "t:end"), Texts{"{not_enabled_message}"});
    Command(14, "t:end");
    EXPECT_EQ(Command(11, "t:sessions"), (Texts{"{sessions_user_message}0"}));
    // Help opens the home page in the user's browser.
    EXPECT_EQ(Command(11, "t:help"), Texts{"{message}"});
    EXPECT_EQ(tb.world.ActionLog().back(),
              "url(11,\"" + std::string(kHomePageUrl) + "\",\"aw_3d\")");
}

class RightsCommand : public CommandTest {
protected:
    RightsCommand() { options["TerrainRights"] = "1,5,8"; }
    void SetUp() override {
        CommandTest::SetUp();
        EnterCaretaker(12);
    }
    std::string Rights() { return TerrainRightsToString(bot().rights); }
};

TEST_F(RightsCommand, ListGrantAndRevokeRefuseHostileArgumentsAndKeepTheOwnCitizen) {
    const std::string notTarget =
        std::string("' ") + AddedInfo(Added::rights_argument_error).english;
    const std::string own = AddedInfo(Added::own_rights_error).english;
    // The list before, the line, the replies, the list after.
    const std::tuple<const char*, const char*, Texts, const char*> cases[] = {
        {"12,5,7,1", "t:rights", {"{terrain_rights} 4", "1, 5, 7, 12"}, "1,5,7,12"},
        {"*", "t:rights", {"All users have terrain rights."}, "*"},
        {"1~3,20", "t:rights", {"{terrain_rights} 2", "1~3, 20"}, "1~3,20"},
        {"*", "t:rights add 7", {"7: {citnum_rights_error}"}, "*"},
        {"1,5~10", "t:rights add 7", {"7: {citnum_rights_error}"}, "1,5~10"},
        {"1", "t:rights ADD 7", {"{rights_granted_message}7"}, "1,7"},
        {"1,7,5~10", "t:rights remove 7", {"7: {citnum_rights_error}"}, "1,5~10,7"},
        {"*", "t:rights remove 7", {"7: {citnum_rights_error}"}, "*"},
        {"1,7", "t:rights remove 7", {"{rights_revoked_message}7"}, "1"},
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
    for (const auto& [rights, line, replies, after] : cases) {
        SCOPED_TRACE(std::string(rights) + " " + line);
        TerrainRightsFromString(bot().rights, rights);
        EXPECT_EQ(Command(12, line), replies);
        EXPECT_EQ(Rights(), after);
    }
}

TEST_F(RightsCommand, FailedSaveKeepsTheChangeAndSaysSo) {
    // config.xml cannot be replaced once it is a folder.
    std::filesystem::remove(tb.dir.Path() / "config.xml");
    std::filesystem::create_directory(tb.dir.Path() / "config.xml");
    const Texts replies = Command(12, "t:rights add 9");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0], "{rights_granted_message}9");
    EXPECT_EQ(replies[1].rfind("An error occured while processing your command: EInOutError, ", 0),
              0u)
        << replies[1];
    EXPECT_EQ(Rights(), "1,5,8,9");
    EXPECT_EQ(LastActivity().rfind("Unable to save the terrain rights: ", 0), 0u);
    EXPECT_EQ(bot().model.Activity().front().category, ActivityCategory::Error);
}

}  // namespace
}  // namespace tv::test
