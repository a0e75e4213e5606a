// A chat change of the rights when the operator edited config.xml while the bot runs.
#include <gtest/gtest.h>

#include "CommandFixture.h"
#include "commands/TerrainRights.h"

namespace tv::test {
namespace {

class RightsOnDisk : public CommandTest {
protected:
    RightsOnDisk() { options["TerrainRights"] = "1,5,8"; }
    void SetUp() override {
        CommandTest::SetUp();
        EnterCaretaker(12);
    }
    // config.xml with one text replaced, as an editor would leave it.
    void Edit(const std::string& from, const std::string& to) {
        std::string file = tb.dir.Read("config.xml");
        const std::size_t at = file.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        tb.dir.Write("config.xml", file.replace(at, from.size(), to));
    }
    bool OnDisk(const std::string& text) {
        return tb.dir.Read("config.xml").find(text) != std::string::npos;
    }
};

TEST_F(RightsOnDisk, EditsMadeWhileRunningAreReadAgainAndKept) {
    EXPECT_EQ(Command(12, "t:rights add 9"), Texts{"{rights_granted_message}9"});
    Edit("<WarnTime>30</WarnTime>", "<WarnTime>45</WarnTime>");
    Edit("<TerrainRights>1,5,8,9</TerrainRights>", "<TerrainRights>1,5,8,9,77</TerrainRights>");
    EXPECT_EQ(Command(12, "t:rights remove 8"), Texts{"{rights_revoked_message}8"});
    EXPECT_EQ(TerrainRightsToString(bot().rights), "1,5,9,77");
    EXPECT_EQ(bot().options.WarnTime, 45);
    EXPECT_TRUE(OnDisk("<TerrainRights>1,5,9,77</TerrainRights>"));
    EXPECT_TRUE(OnDisk("<WarnTime>45</WarnTime>"));
    const Texts activity = tb.ActivityMessages();
    EXPECT_EQ(activity[activity.size() - 2], "config.xml changed on disk and was read again");

    // Made unreadable meanwhile: the list in use stands, and the file is kept beside the save.
    tb.dir.Write("config.xml", "<TerravaneConfig><Options>");
    EXPECT_EQ(Command(12, "t:rights add 3"), Texts{"{rights_granted_message}3"});
    EXPECT_EQ(tb.dir.Read("config.xml.unreadable"), "<TerravaneConfig><Options>");
    EXPECT_TRUE(OnDisk("<TerrainRights>1,5,9,77,3</TerrainRights>"));
    EXPECT_EQ(tb.frontEnd.errors.back(),
              "config.xml: unreadable: it ends inside <Options>. The settings in use are kept; the "
              "next save keeps a copy of the file.");
    // Removed meanwhile: written anew from the settings in use.
    std::filesystem::remove(tb.dir.Path() / "config.xml");
    EXPECT_EQ(Command(12, "t:rights add 4"), Texts{"{rights_granted_message}4"});
    EXPECT_TRUE(OnDisk("<TerrainRights>1,5,9,77,3,4</TerrainRights>"));
}

}  // namespace
}  // namespace tv::test
