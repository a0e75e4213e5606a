#include "config/Options.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/Errors.h"
#include "commands/TerrainRights.h"
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
    TestBot t;
    Bot& bot = t.Create();
};

TEST_F(OptionsTest, DefaultsWithoutConfigFileAreSavedInTableOrder) {
    LoadConfiguration(bot);  // what it loads: the first row of the load table below
    bot.options.FloodCommands = 7.3;
    TerrainRightsFromString(bot.rights, "5,1~3");
    SaveConfiguration(bot);
    // Login's five options, then the others in table order, then the rights; every value in
    // its text form (floats with two decimals), and the password's file readable by its owner.
    const std::string saved = t.dir.Read("config.xml");
    std::size_t at = saved.find("<TerravaneConfig>\r\n  <Login>\r\n    <CitizenNumber>0<");
    for (const std::string& key : OptionKeys()) {
        at = saved.find("<" + key, at);
        ASSERT_NE(at, std::string::npos) << key;
    }
    for (const char* line : {"<PrivilegePassword />", "<FloodCommands>7.30</FloodCommands>",
                             "<World />\r\n  </Login>\r\n  <Options>", "<AllowBots>True<",
                             "<TerrainRights>1~3,5</TerrainRights>\r\n  </Options>\r\n"
                             "</TerravaneConfig>\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line;
    struct stat info {};
    ASSERT_EQ(stat(bot.PathOf(kConfigFileName).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.dir.Path()), {}), 2);
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
        // What each text parser refuses is listed with it; here: a refused text keeps the value.
        {"UniPort", "5670", "5670"},          {"DefaultHeight", "-250", "-250"},
        {"UniPort", "66x", "'66x' is not a valid integer value"},
        {"AllowBots", "FALSE", "False"},      {"AllowBots", "2", "True"},
        {"AllowBots", "0", "False"},
        {"AllowBots", "yes", "'yes' is not a valid boolean value"},
        {"FloodCommands", "4,5", "4.50"},     {"FloodCommands", "12", "12.00"},
        {"World", "  Spaced World ", "  Spaced World "},
        {"FloodCommands", "1.2.3", "'1.2.3' is not a valid floating point value"}};
    // clang-format on
    for (auto [key, text, result] : cases) EXPECT_EQ(SetAndRead(key, text), result) << key;
    Options options;
    EXPECT_FALSE(SetOptionText(options, "NoSuchOption", "1"));
    EXPECT_EQ(OptionText(options, "NoSuchOption"), std::nullopt);
    EXPECT_EQ(OptionText(options, "uniport"), "0");
}

TEST(Options, FlagIndexFollowsTheBitOrder) {
    int bit = 0;
    for (const char* key : {"AllowBots", "allowtourists", "ALWAYSENABLED", "EnableLog",
                            "RightsNotify", "useSectorBox"})
        EXPECT_EQ(OptionFlagIndex(key), bit++) << key;
    for (std::string key : {"WarnTime", "Bogus", ""}) {
        EXPECT_EQ(ErrorOf<EConvertError>([&] { OptionFlagIndex(key); }),
                  "'" + key + "' is not a valid Terravane option");
    }
}

// What a load makes of config.xml: a few options and the rights in a line, and the dialog.
TEST_F(OptionsTest, LoadNamesEachBadValueTakesItsDefaultAndNeverFailsOpen) {
    const std::string head = "<TerravaneConfig><Login><World>w</World></Login><Options>";
    const std::string tail = "</Options></TerravaneConfig>";
    const std::string unreadable =
        ". The defaults are used and nobody has terrain rights until it is fixed.";
    struct Case {
        std::optional<std::string> file;  // nullopt: no config.xml; "/": a folder
        const char* loaded;  // WarnTime MaxQueries TextureMin DefaultTexture TextureMax
                             // AllowBots EnableLog rights
        std::string dialog;
    };
    auto Unreadable = [&](const std::string& file, const std::string& why) {
        return Case{file, "30 5 0 0 500 True False ",
                    "config.xml: unreadable: " + why + unreadable};
    };
    // clang-format off
    const std::vector<Case> cases = {
        {std::nullopt, "30 5 0 0 500 True False *", ""},
        {head + "<WarnTime>30s</WarnTime><MaxQueries>0</MaxQueries><AllowBots>False</AllowBots>"
                "<TerrainRights>7</TerrainRights>" + tail, "30 5 0 0 500 False False 7",
         "config.xml: WarnTime: '30s' is not a valid integer value\r\n"
         "config.xml: MaxQueries: 0 is outside the range 1 to 10000"},
        {head + "<TextureMin>2</TextureMin><DefaultTexture>3</DefaultTexture>"
                "<TextureMax>16383</TextureMax><EnableLog>True</EnableLog>" + tail,
         "30 5 2 3 16383 True True *", ""},
        {head + "<TextureMax>16384</TextureMax><FloodCommands>0</FloodCommands>" + tail,
         "30 5 0 0 500 True False *",
         "config.xml: TextureMax: 16384 is outside the range 0 to 16383\r\n"
         "config.xml: FloodCommands: 0.00 is outside the range 0.01 to 10000.00"},
        {head + "<TextureMin>10</TextureMin><TextureMax>9</TextureMax>" + tail,
         "30 5 0 0 500 True False *",
         "config.xml: TextureMin 10, DefaultTexture 0 and TextureMax 9 must rise in that order; "
         "all three take their defaults (0, 0, 500)"},
        {head + "<LogFileName /><EnableLog>True</EnableLog>" + tail, "30 5 0 0 500 True False *",
         ""},
        {"<terravaneconfig><OPTIONS><warntime>12</warntime><terrainrights>7,3~4</terrainrights>"
         "</OPTIONS></terravaneconfig>", "12 5 0 0 500 True False 3~4,7", ""},
        {"<TerravaneConfig><Login><World>w</World></Login></TerravaneConfig>",
         "30 5 0 0 500 True False *", ""},
        // Unreadable: the defaults, and nobody has rights (the rights column is empty).
        Unreadable("", "it is empty"), Unreadable(" \r\n", "it is empty"),
        Unreadable("/", "it is a folder"),
        Unreadable(std::string("\xFF\xFE<\0T\0>\0", 8), "it is not 8-bit or UTF-8 text"),
        Unreadable("#!garbage", "it holds no XML element"),
        Unreadable("<html><body/></html>", "it has neither a Login nor an Options section"),
        Unreadable(head + "<WarnTime>45</WarnTime></Login>" + tail,
                   "Mis-matched start/close tags in file \"config.xml\""),
        // (a file cut short: config_mistakes_named_unreadable_fails_closed.scn)
    };
    // clang-format on
    const std::filesystem::path config = t.dir.Path() / "config.xml";
    // One bot loads them all in turn: each load starts from the defaults.
    for (const Case& c : cases) {
        std::filesystem::remove_all(config);
        if (c.file == "/")
            std::filesystem::create_directory(config);
        else if (c.file)
            t.dir.Write("config.xml", *c.file);
        t.frontEnd.errors.clear();
        LoadConfiguration(bot);
        std::string loaded;
        for (const char* key : {"WarnTime", "MaxQueries", "TextureMin", "DefaultTexture",
                                "TextureMax", "AllowBots", "EnableLog"})
            loaded += Text(bot, key) + " ";
        EXPECT_EQ(loaded + TerrainRightsToString(bot.rights), c.loaded) << c.dialog;
        EXPECT_EQ(t.frontEnd.errors, c.dialog.empty() ? Texts{} : Texts{c.dialog});
        // The last problem is also the newest Error entry; the language loaded all the same.
        if (!c.dialog.empty()) {
            EXPECT_EQ(c.dialog.substr(c.dialog.rfind('\n') + 1), t.ActivityMessages().back());
        }
        EXPECT_EQ(bot.options.ConfigFile.Unreadable,
                  c.dialog.find(unreadable) != std::string::npos);
    }
    EXPECT_FALSE(bot.terminated);
    EXPECT_EQ(bot.language[Lang::cmd_begin], "begin");
}

// A config.xml that could not be read is copied aside before a save replaces it.
TEST_F(OptionsTest, UnreadableFileIsKeptBesideTheNextSave) {
    const std::string garbage("\xFF\xFE<\0T\0", 6);
    for (const char* copy : {"config.xml.unreadable", "config.xml.unreadable-2"}) {
        t.dir.Write("config.xml", garbage);
        LoadConfiguration(bot);
        SaveConfiguration(bot);
        EXPECT_EQ(t.dir.Read(copy), garbage);
        EXPECT_EQ(t.ActivityMessages().back(),
                  std::string("The unreadable config.xml was kept as ") + copy);
        EXPECT_NE(t.dir.Read("config.xml").find("<TerrainRights />"), std::string::npos);
    }
    LoadConfiguration(bot);
    SaveConfiguration(bot);
    EXPECT_FALSE(std::filesystem::exists(t.dir.Path() / "config.xml.unreadable-3"));
    // A file that cannot even be read (here a socket) cannot be copied: nothing is saved.
    const std::filesystem::path config = t.dir.Path() / "config.xml";
    std::filesystem::remove(config);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    config.string().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    LoadConfiguration(bot);
    EXPECT_EQ(t.frontEnd.errors.back().rfind("config.xml: unreadable: it cannot be read (", 0), 0u);
    EXPECT_EQ(ErrorOf<EInOutError>([&] {
                  SaveConfiguration(bot);
              }).rfind("config.xml: not saved: the unreadable file could not be copied (", 0),
              0u);
    EXPECT_TRUE(std::filesystem::is_socket(config));
    close(fd);
    struct stat info {};
    ASSERT_EQ(stat((t.dir.Path() / "config.xml.unreadable").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(OptionsTest, SaveAndLoadKeepEveryValue) {
    LoadConfiguration(bot);
    Options& o = bot.options;
    o.Login.World = "Caf\xE9 \x80 \xFF";
    o.Login.PrivilegePassword = " p<&>\"'w  ord\t ";
    o.Login.UniPort = 5670;
    o.FloodCommands = 3.14159;
    o.SetFlag(OptionFlag::AllowBots, false);
    TerrainRightsFromString(bot.rights, "9,2");
    SaveConfiguration(bot);

    TestBot other;
    Bot& back = other.Create();
    std::filesystem::copy_file(t.dir.Path() / "config.xml", other.dir.Path() / "config.xml",
                               std::filesystem::copy_options::overwrite_existing);
    LoadConfiguration(back);
    for (const std::string& key : OptionKeys()) EXPECT_EQ(Text(back, key), Text(bot, key)) << key;
    EXPECT_EQ(back.options.FloodCommands, 3.14);
    EXPECT_EQ(TerrainRightsToString(back.rights), "2,9");
}

// The save goes through a link to its target, past leftovers of earlier saves, and names a
// folder that stands in its way.
TEST_F(OptionsTest, SaveWritesThroughALinkAndNamesWhatStandsInItsWay) {
    const std::filesystem::path dir = t.dir.Path();
    std::filesystem::create_directory(dir / "real");
    std::filesystem::create_symlink("real/config.xml", dir / "config.xml");
    std::filesystem::create_directory(dir / "real" / "config.xml.tmp");
    std::filesystem::create_directory(dir / "real" /
                                      ("config.xml.tmp-" + std::to_string(getpid()) + "-1"));
    LoadConfiguration(bot);
    bot.options.Login.World = "linked";
    SaveConfiguration(bot);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "config.xml"));
    EXPECT_NE(t.dir.Read("real/config.xml").find("<World>linked</World>"), std::string::npos);

    // A link into a folder that does not exist: the temporary file cannot be made there.
    std::filesystem::remove(dir / "config.xml");
    std::filesystem::create_symlink("gone/config.xml", dir / "config.xml");
    std::string error = ErrorOf<EInOutError>([&] { SaveConfiguration(bot); });
    EXPECT_NE(error.find("gone/config.xml.tmp-"), std::string::npos) << error;

    std::filesystem::remove(dir / "config.xml");
    std::filesystem::create_directory(dir / "config.xml");
    error = ErrorOf<EInOutError>([&] { SaveConfiguration(bot); });
    EXPECT_NE(error.find("config.xml\" is a folder"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(dir / "config.xml"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 3);
}

}  // namespace
}  // namespace tv::test
