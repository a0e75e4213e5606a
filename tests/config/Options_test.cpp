#include "config/Options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ConfigFixture.h"
#include "app/Errors.h"
#include "commands/TerrainRights.h"
#include "config/MicroXml.h"

namespace tv {
namespace {

using test::ConfigFixture;

std::string Text(const Bot& bot, const std::string& key) {
    return OptionText(bot.options, key).value_or("<unknown>");
}

TEST(OptionsTest, DefaultsWithoutConfigFile) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    LoadConfiguration(f.bot);
    const std::map<std::string, std::string> expected = {
        {"CitizenNumber", "0"},
        {"PrivilegePassword", ""},
        {"UniHost", kDefaultUniverseHost},
        {"UniPort", "6670"},
        {"World", ""},
        {"WarnTime", "30"},
        {"DisableTime", "60"},
        {"DefaultHeight", "-10"},
        {"TextureMin", "0"},
        {"TextureMax", "500"},
        {"MaxQueries", "5"},
        {"MaxCommands", "5"},
        {"DefaultTexture", "0"},
        {"FloodCommands", "10.05"},
        {"FloodEjectDuration", "900"},
        {"LanguageFilename", "english.xml"},
        {"LogFileName", "log.txt"},
        {"AllowBots", "True"},
        {"AllowTourists", "True"},
        {"AlwaysEnabled", "False"},
        {"EnableLog", "False"},
        {"RightsNotify", "True"},
        {"UseSectorBox", "False"},
    };
    ASSERT_EQ(OptionKeys().size(), expected.size());
    for (const std::string& key : OptionKeys())
        EXPECT_EQ(Text(f.bot, key), expected.at(key)) << key;
    EXPECT_EQ(TerrainRightsToString(f.bot.rights), "*");
    EXPECT_TRUE(f.frontEnd.errors.empty());
    EXPECT_EQ(f.bot.options.FloodCommands, 10.05);
}

TEST(OptionsTest, FlagsAreClearedOnlyWhenTheFileHasARoot) {
    struct Case {
        const char* config;  // nullptr: no file
        bool allowBots, alwaysEnabled, useSectorBox;
    };
    const std::vector<Case> cases = {
        // Root present: every flag cleared, then the file (or a row's default "1") sets it.
        {"<TerravaneConfig><Options><AlwaysEnabled>False</AlwaysEnabled></Options>"
         "</TerravaneConfig>",
         true, false, false},
        {"<TerravaneConfig><Options><AllowBots>False</AllowBots></Options></TerravaneConfig>",
         false, false, false},
        {"<TerravaneConfig><Options><UseSectorBox>true</UseSectorBox></Options></TerravaneConfig>",
         true, false, true},
        // No root: the flags set before stay, and default "1" flags are added.
        {nullptr, true, true, true},
        {"", true, true, true},
        {"<!-- nothing but a comment -->", true, true, true},
    };
    for (const Case& c : cases) {
        ConfigFixture f;
        f.CopyShippedLanguage();
        if (c.config) f.dir.Write("config.xml", c.config);
        f.bot.options.OptionFlags = 0;
        f.bot.options.SetFlag(OptionFlag::AlwaysEnabled, true);
        f.bot.options.SetFlag(OptionFlag::UseSectorBox, true);
        LoadConfiguration(f.bot);
        std::string label = c.config ? c.config : "(no file)";
        EXPECT_EQ(f.bot.options.Flag(OptionFlag::AllowBots), c.allowBots) << label;
        EXPECT_EQ(f.bot.options.Flag(OptionFlag::AlwaysEnabled), c.alwaysEnabled) << label;
        EXPECT_EQ(f.bot.options.Flag(OptionFlag::UseSectorBox), c.useSectorBox) << label;
    }
}

TEST(OptionsTest, ConvertsEachKindFromItsText) {
    struct Case {
        const char* key;
        const char* text;
        const char* stored;  // OptionText afterwards; nullptr when the text must be refused
        const char* error;
    };
    const std::vector<Case> cases = {
        {"UniPort", "5670", "5670", nullptr},
        {"DefaultHeight", "-250", "-250", nullptr},
        {"UniPort", "-1", "-1", nullptr},
        {"UniPort", "66x", nullptr, "'66x' is not a valid integer value"},
        {"UniPort", "99999999999", nullptr, "'99999999999' is not a valid integer value"},
        {"AllowBots", "FALSE", "False", nullptr},
        {"AllowBots", "tRuE", "True", nullptr},
        {"AllowBots", "2", "True", nullptr},
        {"AllowBots", "0", "False", nullptr},
        {"AllowBots", "yes", nullptr, "'yes' is not a valid boolean value"},
        {"FloodCommands", "7.3", "7.30", nullptr},
        {"FloodCommands", "4,5", "4.50", nullptr},
        {"FloodCommands", "12", "12.00", nullptr},
        {"FloodCommands", "1.2.3", nullptr, "'1.2.3' is not a valid floating point value"},
        {"FloodCommands", "inf", nullptr, "'inf' is not a valid floating point value"},
        {"World", "  Spaced World ", "  Spaced World ", nullptr},
    };
    for (const Case& c : cases) {
        Options options;
        SetOptionText(options, "AllowBots", "True");
        std::string before = OptionText(options, c.key).value();
        if (c.stored) {
            EXPECT_TRUE(SetOptionText(options, c.key, c.text)) << c.key << " " << c.text;
            EXPECT_EQ(OptionText(options, c.key), c.stored) << c.key << " " << c.text;
        } else {
            try {
                SetOptionText(options, c.key, c.text);
                ADD_FAILURE() << "accepted " << c.text;
            } catch (const EConvertError& error) {
                EXPECT_STREQ(error.what(), c.error);
            }
            EXPECT_EQ(OptionText(options, c.key), before) << c.key;
        }
    }
    Options options;
    EXPECT_FALSE(SetOptionText(options, "NoSuchOption", "1"));
    EXPECT_EQ(OptionText(options, "NoSuchOption"), std::nullopt);
    EXPECT_EQ(OptionText(options, "uniport"), "0");
}

TEST(OptionsTest, FlagIndexFollowsTheBitOrder) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"AllowBots", 0}, {"allowtourists", 1}, {"ALWAYSENABLED", 2},
        {"EnableLog", 3}, {"RightsNotify", 4},  {"useSectorBox", 5},
    };
    for (const auto& [key, bit] : cases) EXPECT_EQ(OptionFlagIndex(key), bit) << key;
    for (const char* key : {"WarnTime", "Bogus", ""}) {
        try {
            OptionFlagIndex(key);
            ADD_FAILURE() << key;
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.what(), "'" + std::string(key) + "' is not a valid Terravane option");
        }
    }
    Options options;
    options.SetFlag(OptionFlag::RightsNotify, true);
    EXPECT_EQ(options.OptionFlags, 1 << 4);
    options.SetFlag(OptionFlag::RightsNotify, false);
    EXPECT_EQ(options.OptionFlags, 0);
}

TEST(OptionsTest, ConversionErrorStopsAtItsRowAndStillLoadsTheLanguage) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    f.WriteConfig(
        "<TerravaneConfig><Options><WarnTime>45</WarnTime><DisableTime>soon</DisableTime>"
        "<DefaultHeight>7</DefaultHeight></Options>"
        "<Login><CitizenNumber>12</CitizenNumber></Login></TerravaneConfig>");
    f.bot.options.DefaultHeight = 99;
    f.bot.options.LanguageFilename = "english.xml";  // as an earlier load left it
    f.bot.options.Loaded = true;
    try {
        LoadConfiguration(f.bot);
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'soon' is not a valid integer value");
    }
    EXPECT_EQ(f.bot.options.WarnTime, 45);
    EXPECT_EQ(f.bot.options.DisableTime, 0);     // the failing row keeps its old value
    EXPECT_EQ(f.bot.options.DefaultHeight, 99);  // so do the rows after it
    EXPECT_EQ(f.bot.options.Login.CitizenNumber, 0);
    EXPECT_NE(f.bot.language[Lang::bot_error], "");
    EXPECT_NE(f.bot.language[Lang::bot_error], kMissingTextPlaceholder);
}

TEST(OptionsTest, StructuralErrorAssignsNothingButLoadsTheLanguage) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    f.WriteConfig(
        "<TerravaneConfig><Login><UniPort>1</UniPort></Login></Options></TerravaneConfig>");
    f.bot.options.LanguageFilename = "english.xml";  // as an earlier load left it
    EXPECT_THROW(LoadConfiguration(f.bot), EMicroXmlError);
    EXPECT_EQ(f.bot.options.Login.UniPort, 0);
    EXPECT_EQ(f.bot.language[Lang::cmd_begin], "begin");
}

TEST(OptionsTest, EmptyLogFileNameTurnsLoggingOff) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    f.WriteConfig(
        "<TerravaneConfig><Options><LogFileName></LogFileName><EnableLog>True</EnableLog>"
        "</Options></TerravaneConfig>");
    LoadConfiguration(f.bot);
    EXPECT_EQ(f.bot.options.LogFileName, "");
    EXPECT_FALSE(f.bot.options.Flag(OptionFlag::EnableLog));

    f.WriteConfig(
        "<TerravaneConfig><Options><LogFileName>a.log</LogFileName><EnableLog>True</EnableLog>"
        "</Options></TerravaneConfig>");
    LoadConfiguration(f.bot);
    EXPECT_TRUE(f.bot.options.Flag(OptionFlag::EnableLog));
}

TEST(OptionsTest, SectionAndElementNamesIgnoreCase) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    f.WriteConfig(
        "<terravaneconfig><login><citizennumber>5</citizennumber><WORLD>Mars</WORLD></login>"
        "<OPTIONS><warntime>12</warntime><terrainrights>7,3~4</terrainrights></OPTIONS>"
        "</terravaneconfig>");
    LoadConfiguration(f.bot);
    EXPECT_EQ(f.bot.options.Login.CitizenNumber, 5);
    EXPECT_EQ(f.bot.options.Login.World, "Mars");
    EXPECT_EQ(f.bot.options.WarnTime, 12);
    EXPECT_EQ(TerrainRightsToString(f.bot.rights), "3~4,7");
}

TEST(OptionsTest, AMissingSectionTakesItsDefaults) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    f.WriteConfig("<TerravaneConfig><Options><WarnTime>20</WarnTime></Options></TerravaneConfig>");
    f.bot.options.Login.UniPort = 1;
    LoadConfiguration(f.bot);
    EXPECT_EQ(f.bot.options.Login.UniPort, 6670);
    EXPECT_EQ(f.bot.options.Login.UniHost, kDefaultUniverseHost);
    EXPECT_EQ(f.bot.options.WarnTime, 20);

    f.WriteConfig("<TerravaneConfig><Login><World>w</World></Login></TerravaneConfig>");
    TerrainRightsFromString(f.bot.rights, "12");
    LoadConfiguration(f.bot);
    EXPECT_EQ(f.bot.options.Login.World, "w");
    EXPECT_EQ(f.bot.options.WarnTime, 30);
    EXPECT_EQ(f.bot.options.LanguageFilename, "english.xml");
    EXPECT_TRUE(f.bot.options.Flag(OptionFlag::AllowTourists));
    EXPECT_EQ(TerrainRightsToString(f.bot.rights), "*");
}

TEST(OptionsTest, StartUpWithOnlyALoginSectionIsReadyToLogIn) {
    test::TestBot t;  // its config.xml holds the Login section only
    Bot& bot = t.Start();
    EXPECT_EQ(bot.options.Login.CitizenNumber, test::TestBot::kBotCitizen);
    EXPECT_EQ(bot.options.Login.World, test::TestBot::kWorld);
    EXPECT_EQ(bot.options.MaxQueries, 5);
    EXPECT_FALSE(bot.terminated);
}

TEST(OptionsTest, SavesTheWholeFileInTableOrder) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    LoadConfiguration(f.bot);
    f.bot.options.Login.CitizenNumber = 1234;
    f.bot.options.FloodCommands = 7.3;
    TerrainRightsFromString(f.bot.rights, "5,1~3");
    SaveConfiguration(f.bot);
    EXPECT_EQ(f.dir.Read("config.xml"),
              "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
              "<TerravaneConfig>\r\n"
              "  <Login>\r\n"
              "    <CitizenNumber>1234</CitizenNumber>\r\n"
              "    <PrivilegePassword />\r\n"
              "    <UniHost>universe.terravane.local</UniHost>\r\n"
              "    <UniPort>6670</UniPort>\r\n"
              "    <World />\r\n"
              "  </Login>\r\n"
              "  <Options>\r\n"
              "    <WarnTime>30</WarnTime>\r\n"
              "    <DisableTime>60</DisableTime>\r\n"
              "    <DefaultHeight>-10</DefaultHeight>\r\n"
              "    <TextureMin>0</TextureMin>\r\n"
              "    <TextureMax>500</TextureMax>\r\n"
              "    <MaxQueries>5</MaxQueries>\r\n"
              "    <MaxCommands>5</MaxCommands>\r\n"
              "    <DefaultTexture>0</DefaultTexture>\r\n"
              "    <FloodCommands>7.30</FloodCommands>\r\n"
              "    <FloodEjectDuration>900</FloodEjectDuration>\r\n"
              "    <LanguageFilename>english.xml</LanguageFilename>\r\n"
              "    <LogFileName>log.txt</LogFileName>\r\n"
              "    <AllowBots>True</AllowBots>\r\n"
              "    <AllowTourists>True</AllowTourists>\r\n"
              "    <AlwaysEnabled>False</AlwaysEnabled>\r\n"
              "    <EnableLog>False</EnableLog>\r\n"
              "    <RightsNotify>True</RightsNotify>\r\n"
              "    <UseSectorBox>False</UseSectorBox>\r\n"
              "    <TerrainRights>1~3,5</TerrainRights>\r\n"
              "  </Options>\r\n"
              "</TerravaneConfig>\r\n");
    struct stat info {};
    ASSERT_EQ(stat(f.bot.PathOf(kConfigFileName).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(std::filesystem::exists(f.dir.Path() / "config.xml.tmp"));
}

TEST(OptionsTest, SaveAndLoadKeepEveryValue) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    LoadConfiguration(f.bot);
    Options& o = f.bot.options;
    o.Login.World = "Caf\xE9 \x80 \xFF";
    o.Login.PrivilegePassword = "p<&>\"'w";
    o.Login.UniPort = -3;
    o.TextureMin = 600;
    o.FloodCommands = 3.14159;
    o.LogFileName = "logs/activity \xE9.txt";
    o.SetFlag(OptionFlag::AllowBots, false);
    o.SetFlag(OptionFlag::UseSectorBox, true);
    TerrainRightsFromString(f.bot.rights, "9,2");
    SaveConfiguration(f.bot);
    std::map<std::string, std::string> saved;
    for (const std::string& key : OptionKeys()) saved[key] = Text(f.bot, key);

    ConfigFixture g;
    g.CopyShippedLanguage();
    std::filesystem::copy_file(f.dir.Path() / "config.xml", g.dir.Path() / "config.xml");
    LoadConfiguration(g.bot);
    for (const std::string& key : OptionKeys()) EXPECT_EQ(Text(g.bot, key), saved[key]) << key;
    EXPECT_EQ(g.bot.options.Login.World, "Caf\xE9 \x80 \xFF");
    EXPECT_EQ(g.bot.options.FloodCommands, 3.14);
    EXPECT_EQ(TerrainRightsToString(g.bot.rights), "2,9");
}

TEST(OptionsTest, AFailedSaveLeavesThePreviousFileIntact) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    LoadConfiguration(f.bot);
    f.bot.options.Login.World = "first";
    SaveConfiguration(f.bot);
    const std::string before = f.dir.Read("config.xml");

    // The temporary file cannot be created where a folder of that name stands.
    std::filesystem::create_directory(f.dir.Path() / "config.xml.tmp");
    f.bot.options.Login.World = "second";
    try {
        SaveConfiguration(f.bot);
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("config.xml"), std::string::npos) << error.what();
    }
    EXPECT_EQ(f.dir.Read("config.xml"), before);
    EXPECT_EQ(f.bot.options.Login.World, "second");

    std::filesystem::remove(f.dir.Path() / "config.xml.tmp");
    SaveConfiguration(f.bot);
    LoadConfiguration(f.bot);
    EXPECT_EQ(f.bot.options.Login.World, "second");
}

}  // namespace
}  // namespace tv
