#include "config/Options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/Errors.h"
#include "commands/TerrainRights.h"
#include "config/MicroXml.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

std::string Text(const Bot& bot, const std::string& key) {
    return OptionText(bot.options, key).value_or("<unknown>");
}

// A Bot that has not started, in a folder with the shipped language and no config.xml.
class OptionsTest : public ::testing::Test {
protected:
    OptionsTest() { std::filesystem::remove(t.dir.Path() / "config.xml"); }
    void WriteConfig(const std::string& body) const {
        t.dir.Write("config.xml", "<?xml version=\"1.0\"?>\n" + body);
    }
    TestBot t;
    Bot& bot = t.Create();
};

TEST_F(OptionsTest, DefaultsWithoutConfigFileAreSavedInTableOrder) {
    LoadConfiguration(bot);
    EXPECT_TRUE(t.frontEnd.errors.empty());
    EXPECT_EQ(bot.options.FloodCommands, 10.05);
    EXPECT_EQ(TerrainRightsToString(bot.rights), "*");
    EXPECT_EQ(OptionKeys().size(), 24u);
    bot.options.FloodCommands = 7.3;
    TerrainRightsFromString(bot.rights, "5,1~3");
    SaveConfiguration(bot);
    EXPECT_EQ(t.dir.Read("config.xml"),
              "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
              "<TerravaneConfig>\r\n"
              "  <Login>\r\n"
              "    <CitizenNumber>0</CitizenNumber>\r\n"
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
              "    <JournalKeepDays>90</JournalKeepDays>\r\n"
              "    <TerrainRights>1~3,5</TerrainRights>\r\n"
              "  </Options>\r\n"
              "</TerravaneConfig>\r\n");
    struct stat info {};
    ASSERT_EQ(stat(bot.PathOf(kConfigFileName).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(std::filesystem::exists(t.dir.Path() / "config.xml.tmp"));
}

TEST(Options, FlagsAreClearedOnlyWhenTheFileHasARoot) {
    // AllowBots, AlwaysEnabled and UseSectorBox afterwards; AlwaysEnabled and UseSectorBox are
    // set before the load.
    const std::pair<const char*, const char*> cases[] = {
        // Root present: every flag cleared, then the file (or a row's default "1") sets it.
        {"<TerravaneConfig><Options><AlwaysEnabled>False</AlwaysEnabled></Options>"
         "</TerravaneConfig>",
         "100"},
        {"<TerravaneConfig><Options><AllowBots>False</AllowBots></Options></TerravaneConfig>",
         "000"},
        {"<TerravaneConfig><Options><UseSectorBox>true</UseSectorBox></Options></TerravaneConfig>",
         "101"},
        // No root: the flags set before stay, and default "1" flags are added.
        {nullptr, "111"},
        {"", "111"},
        {"<!-- nothing but a comment -->", "111"}};
    for (auto [config, flags] : cases) {
        TestBot t;
        Bot& bot = t.Create();
        if (config)
            t.dir.Write("config.xml", config);
        else
            std::filesystem::remove(t.dir.Path() / "config.xml");
        bot.options.OptionFlags = 0;
        bot.options.SetFlag(OptionFlag::AlwaysEnabled, true);
        bot.options.SetFlag(OptionFlag::UseSectorBox, true);
        LoadConfiguration(bot);
        std::string got;
        for (OptionFlag flag :
             {OptionFlag::AllowBots, OptionFlag::AlwaysEnabled, OptionFlag::UseSectorBox})
            got += bot.options.Flag(flag) ? '1' : '0';
        EXPECT_EQ(got, flags) << (config ? config : "(no file)");
    }
}

// The option's text after SetOptionText, or the error that refused the text (the option then
// keeps its value).
std::string SetAndRead(const std::string& key, const std::string& text) {
    Options options;
    SetOptionText(options, "AllowBots", "True");
    const std::string before = OptionText(options, key).value();
    const std::string error =
        ErrorOf<EConvertError>([&] { EXPECT_TRUE(SetOptionText(options, key, text)); });
    if (error == "<no error>") return OptionText(options, key).value();
    EXPECT_EQ(OptionText(options, key), before) << key << " " << text;
    return error;
}

TEST(Options, ConvertsEachKindFromItsText) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"UniPort", "5670", "5670"},          {"DefaultHeight", "-250", "-250"},
        {"UniPort", "-1", "-1"},
        {"UniPort", "66x", "'66x' is not a valid integer value"},
        {"UniPort", "99999999999", "'99999999999' is not a valid integer value"},
        {"AllowBots", "FALSE", "False"},      {"AllowBots", "tRuE", "True"},
        {"AllowBots", "2", "True"},           {"AllowBots", "0", "False"},
        {"AllowBots", "yes", "'yes' is not a valid boolean value"},
        {"FloodCommands", "7.3", "7.30"},     {"FloodCommands", "4,5", "4.50"},
        {"FloodCommands", "12", "12.00"},     {"World", "  Spaced World ", "  Spaced World "},
        {"FloodCommands", "1.2.3", "'1.2.3' is not a valid floating point value"},
        {"FloodCommands", "inf", "'inf' is not a valid floating point value"}};
    // clang-format on
    for (auto [key, text, result] : cases) EXPECT_EQ(SetAndRead(key, text), result) << key;
    Options options;
    EXPECT_FALSE(SetOptionText(options, "NoSuchOption", "1"));
    EXPECT_EQ(OptionText(options, "NoSuchOption"), std::nullopt);
    EXPECT_EQ(OptionText(options, "uniport"), "0");
}

TEST(Options, FlagIndexFollowsTheBitOrder) {
    const std::pair<std::string, int> cases[] = {{"AllowBots", 0},     {"allowtourists", 1},
                                                 {"ALWAYSENABLED", 2}, {"EnableLog", 3},
                                                 {"RightsNotify", 4},  {"useSectorBox", 5}};
    for (const auto& [key, bit] : cases) EXPECT_EQ(OptionFlagIndex(key), bit) << key;
    for (std::string key : {"WarnTime", "Bogus", ""}) {
        EXPECT_EQ(ErrorOf<EConvertError>([&] { OptionFlagIndex(key); }),
                  "'" + key + "' is not a valid Terravane option");
    }
}

TEST_F(OptionsTest, ConversionErrorStopsAtItsRowAndStillLoadsTheLanguage) {
    WriteConfig(
        "<TerravaneConfig><Options><WarnTime>45</WarnTime><DisableTime>soon</DisableTime>"
        "<DefaultHeight>7</DefaultHeight></Options>"
        "<Login><CitizenNumber>12</CitizenNumber></Login></TerravaneConfig>");
    bot.options.DefaultHeight = 99;
    bot.options.LanguageFilename = "english.xml";  // as an earlier load left it
    bot.options.Loaded = true;
    EXPECT_EQ(ErrorOf<EConvertError>([&] { LoadConfiguration(bot); }),
              "'soon' is not a valid integer value");
    EXPECT_EQ(bot.options.WarnTime, 45);
    EXPECT_EQ(bot.options.DisableTime, 0);     // the failing row keeps its old value
    EXPECT_EQ(bot.options.DefaultHeight, 99);  // so do the rows after it
    EXPECT_EQ(bot.options.Login.CitizenNumber, 0);
    EXPECT_NE(bot.language[Lang::bot_error], "");
    EXPECT_NE(bot.language[Lang::bot_error], kMissingTextPlaceholder);
}

TEST_F(OptionsTest, StructuralErrorAssignsNothingButLoadsTheLanguage) {
    WriteConfig("<TerravaneConfig><Login><UniPort>1</UniPort></Login></Options></TerravaneConfig>");
    bot.options.LanguageFilename = "english.xml";  // as an earlier load left it
    EXPECT_THROW(LoadConfiguration(bot), EMicroXmlError);
    EXPECT_EQ(bot.options.Login.UniPort, 0);
    EXPECT_EQ(bot.language[Lang::cmd_begin], "begin");
}

TEST_F(OptionsTest, EmptyLogFileNameTurnsLoggingOff) {
    for (auto [name, enabled] : {std::pair{"", false}, {"a.log", true}}) {
        WriteConfig("<TerravaneConfig><Options><LogFileName>" + std::string(name) +
                    "</LogFileName><EnableLog>True</EnableLog></Options></TerravaneConfig>");
        LoadConfiguration(bot);
        EXPECT_EQ(bot.options.LogFileName, name);
        EXPECT_EQ(bot.options.Flag(OptionFlag::EnableLog), enabled) << name;
    }
}

TEST_F(OptionsTest, SectionAndElementNamesIgnoreCase) {
    WriteConfig(
        "<terravaneconfig><login><citizennumber>5</citizennumber><WORLD>Mars</WORLD></login>"
        "<OPTIONS><warntime>12</warntime><terrainrights>7,3~4</terrainrights></OPTIONS>"
        "</terravaneconfig>");
    LoadConfiguration(bot);
    EXPECT_EQ(bot.options.Login.CitizenNumber, 5);
    EXPECT_EQ(bot.options.Login.World, "Mars");
    EXPECT_EQ(bot.options.WarnTime, 12);
    EXPECT_EQ(TerrainRightsToString(bot.rights), "3~4,7");
}

TEST_F(OptionsTest, AMissingSectionTakesItsDefaults) {
    WriteConfig("<TerravaneConfig><Options><WarnTime>20</WarnTime></Options></TerravaneConfig>");
    bot.options.Login.UniPort = 1;
    LoadConfiguration(bot);
    EXPECT_EQ(bot.options.Login.UniPort, 6670);
    EXPECT_EQ(bot.options.Login.UniHost, kDefaultUniverseHost);
    EXPECT_EQ(bot.options.WarnTime, 20);

    WriteConfig("<TerravaneConfig><Login><World>w</World></Login></TerravaneConfig>");
    TerrainRightsFromString(bot.rights, "12");
    LoadConfiguration(bot);
    EXPECT_EQ(bot.options.Login.World, "w");
    EXPECT_EQ(bot.options.WarnTime, 30);
    EXPECT_EQ(bot.options.LanguageFilename, "english.xml");
    EXPECT_TRUE(bot.options.Flag(OptionFlag::AllowTourists));
    EXPECT_EQ(TerrainRightsToString(bot.rights), "*");
}

TEST_F(OptionsTest, SaveAndLoadKeepEveryValue) {
    LoadConfiguration(bot);
    Options& o = bot.options;
    o.Login.World = "Caf\xE9 \x80 \xFF";
    o.Login.PrivilegePassword = "p<&>\"'w";
    o.Login.UniPort = -3;
    o.TextureMin = 600;
    o.FloodCommands = 3.14159;
    o.LogFileName = "logs/activity \xE9.txt";
    o.SetFlag(OptionFlag::AllowBots, false);
    o.SetFlag(OptionFlag::UseSectorBox, true);
    TerrainRightsFromString(bot.rights, "9,2");
    SaveConfiguration(bot);

    TestBot other;
    Bot& back = other.Create();
    std::filesystem::copy_file(t.dir.Path() / "config.xml", other.dir.Path() / "config.xml",
                               std::filesystem::copy_options::overwrite_existing);
    LoadConfiguration(back);
    for (const std::string& key : OptionKeys()) EXPECT_EQ(Text(back, key), Text(bot, key)) << key;
    EXPECT_EQ(back.options.Login.World, "Caf\xE9 \x80 \xFF");
    EXPECT_EQ(back.options.FloodCommands, 3.14);
    EXPECT_EQ(TerrainRightsToString(back.rights), "2,9");
}

TEST_F(OptionsTest, AFailedSaveLeavesThePreviousFileIntact) {
    LoadConfiguration(bot);
    bot.options.Login.World = "first";
    SaveConfiguration(bot);
    const std::string before = t.dir.Read("config.xml");

    // The temporary file cannot be created where a folder of that name stands.
    std::filesystem::create_directory(t.dir.Path() / "config.xml.tmp");
    bot.options.Login.World = "second";
    EXPECT_NE(ErrorOf<EInOutError>([&] { SaveConfiguration(bot); }).find("config.xml"),
              std::string::npos);
    EXPECT_EQ(t.dir.Read("config.xml"), before);
    EXPECT_EQ(bot.options.Login.World, "second");

    std::filesystem::remove(t.dir.Path() / "config.xml.tmp");
    SaveConfiguration(bot);
    LoadConfiguration(bot);
    EXPECT_EQ(bot.options.Login.World, "second");
}

}  // namespace
}  // namespace tv::test
