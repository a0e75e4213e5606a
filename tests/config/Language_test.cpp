#include "config/Language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ConfigFixture.h"
#include "app/Errors.h"
#include "config/MicroXml.h"
#include "config/XmlConfigFile.h"

namespace tv {
namespace {

using test::ConfigFixture;

std::string LanguageFile(const std::string& sections, const char* version = "5") {
    return std::string(
               "<?xml version=\"1.0\" standalone=\"yes\"?>\n<XmlConfigFile version=\"3\">") +
           "<section name=\"terravane\"><param name=\"version\">" + version + "</param></section>" +
           sections + "</XmlConfigFile>";
}

// Loads a language file named lang.xml and returns the fixture for inspection.
void Load(ConfigFixture& f, const std::string& content) {
    f.dir.Write("lang.xml", content);
    f.bot.options.LanguageFilename = "lang.xml";
    LoadLanguage(f.bot);
}

TEST(LanguageTest, ShippedFileHasEveryKey) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    f.bot.options.LanguageFilename = "english.xml";
    LoadLanguage(f.bot);
    EXPECT_TRUE(f.frontEnd.errors.empty());
    EXPECT_FALSE(f.bot.terminated);
    const TXmlConfigFile shipped(f.bot.PathOf("english.xml").string());
    EXPECT_EQ(shipped.ReadString("terravane", "version", ""), "5");
    for (std::size_t i = 0; i < kLangKeyCount; ++i) {
        const auto key = static_cast<Lang>(i);
        const std::string& text = f.bot.language[key];
        const std::string name = std::string(LangInfo(key).section) + "/" + LangInfo(key).key;
        EXPECT_FALSE(text.empty()) << name;
        EXPECT_NE(text, kMissingTextPlaceholder) << name;
        // Measured in the file itself: the catalogue would cut a longer text silently.
        const std::string inFile = shipped.ReadString(LangInfo(key).section, LangInfo(key).key, "");
        EXPECT_LE(inFile.size(), kLangTextLimit) << name;
        EXPECT_EQ(text, inFile) << name;
        EXPECT_EQ(text.find('%'), std::string::npos) << name;
    }
    const std::vector<std::pair<Lang, const char*>> words = {
        {Lang::cmd_begin, "begin"},
        {Lang::cmd_end, "end"},
        {Lang::cmd_show, "show"},
        {Lang::cmd_hide, "hide"},
        {Lang::cmd_delete, "delete"},
        {Lang::cmd_detach, "detach"},
        {Lang::cmd_texture, "texture"},
        {Lang::cmd_seed, "seed"},
        {Lang::cmd_clickmode, "clickmode"},
        {Lang::cmd_sessions, "sessions"},
        {Lang::cmd_stats, "stats"},
        {Lang::cmd_version, "version"},
        {Lang::cmd_rights, "rights"},
        {Lang::cmd_help, "help"},
        {Lang::cmd_all, "all"},
        {Lang::cmd_ed, "ed"},
    };
    for (const auto& [key, word] : words) EXPECT_EQ(f.bot.language[key], word);
    // Texts that a number follows directly keep a (non-breaking) space at their end.
    EXPECT_EQ(f.bot.language[Lang::sessions_all_message].back(), '\xA0');
}

TEST(LanguageTest, CatalogueTableMatchesTheKeys) {
    EXPECT_STREQ(LangInfo(Lang::help_message).section, "help");
    EXPECT_STREQ(LangInfo(Lang::help_message).key, "message");
    EXPECT_STREQ(LangInfo(Lang::tourist_command_error).key, "tourist_command_error");
    EXPECT_STREQ(LangInfo(Lang::detach_enable).section, "messages");
    EXPECT_STREQ(LangInfo(Lang::no_all_message).section, "safeguards");
    EXPECT_STREQ(LangInfo(Lang::phrase_percent_queried).key, "percent_queried");
    EXPECT_STREQ(LangInfo(Lang::cmd_version).section, "commands");
    EXPECT_STREQ(LangInfo(Lang::cmd_version).key, "version");
}

TEST(LanguageTest, ReadsKeysAsTheFileGivesThem) {
    struct Case {
        const char* label;
        std::string sections;
        Lang key;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"only key",
         "<section name=\"errors\"><param name=\"bot_error\">No bots.</param></section>",
         Lang::bot_error, "No bots."},
        {"last of two wins",
         "<section name=\"errors\"><param name=\"bot_error\">one</param>"
         "<param name=\"bot_error\">two</param></section>",
         Lang::bot_error, "two"},
        {"wrong section",
         "<section name=\"messages\"><param name=\"bot_error\">misplaced</param></section>",
         Lang::bot_error, kMissingTextPlaceholder},
        {"names ignore case",
         "<section name=\"Errors\"><param name=\"BOT_ERROR\">upper</param></section>",
         Lang::bot_error, "upper"},
        {"lines joined",
         "<section name=\"help\"><param name=\"message\">\n   first line\n\t  second  line\n"
         "</param></section>",
         Lang::help_message, "first line second line"},
        {"translated word",
         "<section name=\"commands\"><param name=\"show\">zeige</param></section>", Lang::cmd_show,
         "zeige"},
        {"utf-8 text",
         "<section name=\"phrases\"><param name=\"cells\">Cellules \xC3\xA0 jour</param></section>",
         Lang::phrase_cells, "Cellules \xE0 jour"},
    };
    for (const Case& c : cases) {
        ConfigFixture f;
        Load(f, LanguageFile(c.sections));
        EXPECT_EQ(f.bot.language[c.key], c.text) << c.label;
        EXPECT_FALSE(f.bot.terminated) << c.label;
        std::size_t placeholders = 0;
        for (std::size_t i = 0; i < kLangKeyCount; ++i)
            placeholders += f.bot.language[static_cast<Lang>(i)] == kMissingTextPlaceholder;
        EXPECT_EQ(placeholders, c.text == kMissingTextPlaceholder ? 83u : 82u) << c.label;
    }
}

TEST(LanguageTest, CutsTextsAt255Characters) {
    ConfigFixture f;
    std::string longText(300, 'x');
    longText.replace(255, 1, "Y");
    Load(f, LanguageFile("<section name=\"errors\"><param name=\"texture_error\">" + longText +
                         "</param></section>"));
    EXPECT_EQ(f.bot.language[Lang::texture_error], std::string(255, 'x'));
    LanguageCatalogue catalogue;
    catalogue.Set(Lang::cmd_all, std::string(255, 'z'));
    EXPECT_EQ(catalogue[Lang::cmd_all].size(), 255u);
}

TEST(LanguageTest, WrongOrMissingFileStopsTheBot) {
    struct Case {
        const char* label;
        const char* fileName;  // LanguageFilename
        std::string content;   // written to lang.xml
        std::string botError;  // what bot_error holds afterwards
    };
    const std::string keyed =
        "<section name=\"errors\"><param name=\"bot_error\">kept</param></section>";
    const std::vector<Case> cases = {
        {"version 4", "lang.xml", LanguageFile(keyed, "4"), "kept"},
        {"no version", "lang.xml", "<XmlConfigFile>" + keyed + "</XmlConfigFile>", "kept"},
        {"missing file", "absent.xml", "", kMissingTextPlaceholder},
        {"empty name", "", "", kMissingTextPlaceholder},
    };
    for (const Case& c : cases) {
        ConfigFixture f;
        f.dir.Write("lang.xml", c.content);
        f.bot.options.LanguageFilename = c.fileName;
        LoadLanguage(f.bot);
        EXPECT_EQ(f.frontEnd.errors, std::vector<std::string>{"Invalid language file"}) << c.label;
        EXPECT_TRUE(f.bot.terminated) << c.label;
        EXPECT_EQ(f.bot.model.ConnectionState(), StatusIndex::Terminated) << c.label;
        EXPECT_EQ(f.bot.language[Lang::bot_error], c.botError) << c.label;
        EXPECT_EQ(f.bot.language[Lang::cmd_end], kMissingTextPlaceholder) << c.label;
    }
}

TEST(LanguageTest, UnreadableVersionOrStructureChangesNothing) {
    ConfigFixture f;
    f.CopyShippedLanguage();
    f.bot.options.LanguageFilename = "english.xml";
    LoadLanguage(f.bot);
    const std::string before = f.bot.language[Lang::cmd_begin];

    const std::string keyed =
        "<section name=\"commands\"><param name=\"begin\">start</param></section>";
    f.dir.Write("lang.xml", LanguageFile(keyed, "five"));
    f.bot.options.LanguageFilename = "lang.xml";
    try {
        LoadLanguage(f.bot);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'five' is not a valid integer value");
    }
    EXPECT_EQ(f.bot.language[Lang::cmd_begin], before);

    f.dir.Write("lang.xml", LanguageFile(keyed) + "</XmlConfigFile>");
    EXPECT_THROW(LoadLanguage(f.bot), EMicroXmlError);
    EXPECT_EQ(f.bot.language[Lang::cmd_begin], before);
    EXPECT_FALSE(f.bot.terminated);
}

}  // namespace
}  // namespace tv
