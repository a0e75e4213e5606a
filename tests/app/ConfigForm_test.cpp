#include "app/ConfigForm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/TerrainRights.h"
#include "config/Options.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

// Every option's text, so that "nothing changed" is one comparison.
std::string AllOptions(const Bot& bot) {
    std::string all;
    for (const std::string& key : OptionKeys())
        all += key + "=" + *OptionText(bot.options, key) + ";";
    return all + "rights=" + TerrainRightsToString(bot.rights);
}

TEST(ConfigForm, FillsFromTheOptionsAndWritesEveryFieldBack) {
    TestBot tb;
    Bot& bot = tb.Start();
    ConfigForm form = FillConfigForm(bot);
    ASSERT_EQ(form.Values.size(), ConfigFields().size());
    // control, text shown, text typed, option, value saved ("" for the rights text)
    const std::vector<std::vector<std::string>> rows = {
        {"txtUniHost", "universe.terravane.local", "uni.example", "UniHost", "uni.example"},
        {"txtUniPort", "6670", "7000", "UniPort", "7000"},
        {"txtCitNum", "1", "42", "CitizenNumber", "42"},
        {"txtPrivPW", "secret", "pw", "PrivilegePassword", "pw"},
        {"txtLocation", "terra", "other", "World", "other"},
        {"txtLangFile", "english.xml", "lang/de.xml", "LanguageFilename", "lang/de.xml"},
        {"txtMinTexture", "0", "1", "TextureMin", "1"},
        {"txtMaxTexture", "500", "300", "TextureMax", "300"},
        {"txtDefTexture", "0", "2", "DefaultTexture", "2"},
        {"txtDefHeight", "-10", "-20", "DefaultHeight", "-20"},
        {"txtWarnTime", "30", "31", "WarnTime", "31"},
        {"txtDisableTime", "60", "61", "DisableTime", "61"},
        {"txtRights", "*", "12,5,7", "", "5,7,12"},
        {"chkAllowBots", "True", "False", "AllowBots", "False"},
        {"chkAllowTourists", "True", "False", "AllowTourists", "False"},
        {"chkRightsNotify", "True", "False", "RightsNotify", "False"},
        {"txtMaxQueries", "5", "6", "MaxQueries", "6"},
        {"txtMaxCommands", "5", "7", "MaxCommands", "7"},
        {"txtFloodCommands", "10.05", "12.1", "FloodCommands", "12.10"},
        {"txtEjectTime", "900", "901", "FloodEjectDuration", "901"},
        {"chkSessionsAlways", "False", "True", "AlwaysEnabled", "True"},
        {"chkUseSectors", "False", "True", "UseSectorBox", "True"},
    };
    ASSERT_EQ(rows.size(), ConfigFields().size());
    for (const auto& row : rows) {
        EXPECT_EQ(form.Value(row[0]), row[1]) << row[0];
        form.Value(row[0]) = row[2];
    }
    EXPECT_TRUE(ApplyConfigForm(bot, form).empty());
    const std::string saved = tb.dir.Read("config.xml");
    for (const auto& row : rows) {
        const std::string key = row[3].empty() ? "TerrainRights" : row[3];
        if (!row[3].empty()) {
            EXPECT_EQ(*OptionText(bot.options, key), row[4]) << key;
        }
        EXPECT_NE(saved.find("<" + key + ">" + row[4] + "</" + key + ">"), std::string::npos)
            << key;
    }
    EXPECT_EQ(form.Value("txtRights"), "5,7,12");
    EXPECT_EQ(TerrainRightsToString(bot.rights), "5,7,12");
}

TEST(ConfigForm, AWrongFieldIsNamedAndChangesNothing) {
    TestBot tb;
    Bot& bot = tb.Start();
    // control, text typed, the start of the one problem reported (a bad integer: the dialog's test)
    const std::vector<std::vector<std::string>> rows = {
        {"txtFloodCommands", "ten", "Flood Commands: 'ten' is not a valid floating point value"},
        {"txtMaxQueries", "0", "Max Queries: "},
        {"txtUniPort", "70000", "Universe Port: "},
        {"txtMinTexture", "600", "TextureMin 600"},
    };
    const std::string before = AllOptions(bot);
    const std::string file = tb.dir.Read("config.xml");
    for (const auto& row : rows) {
        ConfigForm form = FillConfigForm(bot);
        form.Value("txtUniHost") = "changed.example";  // before the wrong field
        form.Value("txtEjectTime") = "5";              // after it
        form.Value("txtRights") = "3";
        form.Value(row[0]) = row[1];
        const std::vector<std::string> problems = ApplyConfigForm(bot, form);
        ASSERT_EQ(problems.size(), 1u) << row[0];
        EXPECT_EQ(problems[0].rfind(row[2], 0), 0u) << problems[0];
        EXPECT_EQ(AllOptions(bot), before);
        EXPECT_EQ(tb.dir.Read("config.xml"), file);
    }
}

TEST(ConfigForm, RelativeFileNames) {
    const std::vector<std::vector<std::string>> rows = {
        {"/w", "/w/english.xml", "english.xml"},
        {"/w/", "/w/lang/de.xml", "lang/de.xml"},
        {"/w/run", "/w/data/x.xml", "../data/x.xml"},
        {"/w", "/w/a/../b.xml", "b.xml"},
    };
    for (const auto& row : rows) EXPECT_EQ(RelativeFileName(row[0], row[1]), row[2]) << row[1];
}

}  // namespace
}  // namespace tv::test
