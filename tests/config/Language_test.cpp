#include "config/Language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Errors.h"
#include "config/XmlConfigFile.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

std::string LanguageFile(const std::string& sections, const char* version = "5") {
    return std::string(
               "<?xml version=\"1.0\" standalone=\"yes\"?>\n<XmlConfigFile version=\"3\">") +
           "<section name=\"terravane\"><param name=\"version\">" + version + "</param></section>" +
           sections + "</XmlConfigFile>";
}

// Loads `content` as lang.xml into a Bot that has not started.
Bot& Load(TestBot& t, const std::string& content, const std::string& fileName = "lang.xml") {
    Bot& bot = t.Create();
    t.dir.Write("lang.xml", content);
    bot.options.LanguageFilename = fileName;
    LoadLanguage(bot);
    return bot;
}

TEST(Language, ShippedFileHasEveryKey) {
    TestBot t;
    Bot& bot = t.Create();
    bot.options.LanguageFilename = "english.xml";
    LoadLanguage(bot);
    EXPECT_TRUE(t.frontEnd.errors.empty());
    EXPECT_FALSE(bot.terminated);
    const TXmlConfigFile shipped(bot.PathOf("english.xml").string());
    for (std::size_t i = 0; i < kLangKeyCount; ++i) {
        const LangKeyInfo& info = LangInfo(static_cast<Lang>(i));
        const std::string& text = bot.language[static_cast<Lang>(i)];
        const std::string name = std::string(info.section) + "/" + info.key;
        EXPECT_TRUE(!text.empty() && text != kMissingTextPlaceholder) << name;
        // Measured in the file itself: the catalogue would cut a longer text silently.
        const std::string inFile = shipped.ReadString(info.section, info.key, "");
        EXPECT_LE(inFile.size(), kLangTextLimit) << name;
        EXPECT_EQ(text, inFile) << name;
        EXPECT_EQ(text.find('%'), std::string::npos) << name;
        // The English command words are the keys themselves.
        if (std::string(info.section) == "commands") {
            EXPECT_EQ(text, info.key);
        }
    }
    // Texts that a number follows directly keep a (non-breaking) space at their end.
    EXPECT_EQ(bot.language[Lang::sessions_all_message].back(), '\xA0');
}

// One file: a key alone, one cut at 255 characters, the last of two, one in the wrong section,
// names in other case, lines joined, a translated word, UTF-8 text; one Error entry lists the
// missing texts.
TEST(Language, ReadsKeysAsTheFileGivesThem) {
    TestBot t;
    Bot& bot = Load(
        t,
        LanguageFile(
            "<section name=\"errors\"><param name=\"bot_error\">No bots.</param>"
            "<param name=\"bounds_error\">" +
            std::string(255, 'x') +
            "Y</param>"
            "<param name=\"seed_building_error\">one</param>"
            "<param name=\"seed_building_error\">two</param></section>"
            "<section name=\"messages\"><param name=\"texture_error\">misplaced</param></section>"
            "<section name=\"Errors\"><param name=\"TOURIST_ERROR\">upper</param></section>"
            "<section name=\"help\"><param name=\"message\">\n   first line\n\t  second  line\n"
            "</param></section>"
            "<section name=\"commands\"><param name=\"show\">zeige</param></section>"
            "<section name=\"phrases\"><param name=\"cells\">Cellules \xC3\xA0 jour</param>"
            "</section>"));
    const std::pair<Lang, std::string> cases[] = {
        {Lang::bot_error, "No bots."},      {Lang::bounds_error, std::string(255, 'x')},
        {Lang::seed_building_error, "two"}, {Lang::texture_error, kMissingTextPlaceholder},
        {Lang::tourist_error, "upper"},     {Lang::help_message, "first line second line"},
        {Lang::cmd_show, "zeige"},          {Lang::phrase_cells, "Cellules \xE0 jour"}};
    for (const auto& [key, text] : cases) EXPECT_EQ(bot.language[key], text) << text;
    EXPECT_FALSE(bot.terminated);
    const std::size_t missing = kLangKeyCount - 7;
    const std::string entry = t.ActivityMessages().back();
    EXPECT_EQ(entry.rfind("lang.xml: " + std::to_string(missing) +
                              " texts are missing and read as a placeholder: ",
                          0),
              0u)
        << entry;
    EXPECT_EQ(std::count(entry.begin(), entry.end(), '/'), missing) << entry;
}

// A file that cannot serve stops the bot; one that cannot be read at all only does so at
// start-up, and later keeps the texts in use.
TEST(Language, WrongOrMissingFileStopsTheBot) {
    struct Case {
        const char* fileName;  // LanguageFilename
        std::string content;   // written to lang.xml
        std::string error;     // after "Invalid language file: "
        std::string botError;  // what bot_error holds afterwards
    };
    const std::string keyed =
        "<section name=\"errors\"><param name=\"bot_error\">kept</param></section>";
    const std::string placeholder = kMissingTextPlaceholder;
    const std::vector<Case> cases = {
        {"lang.xml", LanguageFile(keyed, "4"), "lang.xml: version 4 where 5 is needed", "kept"},
        {"lang.xml", "<XmlConfigFile>" + keyed + "</XmlConfigFile>",
         "lang.xml: version 0 where 5 is needed", "kept"},
        {"absent.xml", "", "absent.xml cannot be read", placeholder},
        {"", "", "no file is named by LanguageFilename", placeholder},
        // Unreadable at start-up: no text is left empty, so no empty command word matches.
        {"lang.xml", LanguageFile(keyed, "five"),
         "lang.xml: version: 'five' is not a valid integer value", placeholder},
        {"lang.xml", LanguageFile(keyed) + "</XmlConfigFile>",
         "Mis-matched start/close tags in file \"lang.xml\"", placeholder},
        {"lang.xml", LanguageFile(keyed).substr(0, 150),
         "Element <section> is not closed in file \"lang.xml\"", placeholder},
    };
    for (const Case& c : cases) {
        TestBot t;
        Bot& bot = Load(t, c.content, c.fileName);
        EXPECT_EQ(t.frontEnd.errors, Texts{"Invalid language file: " + c.error});
        EXPECT_TRUE(bot.terminated) << c.error;
        EXPECT_EQ(bot.language[Lang::bot_error], c.botError) << c.error;
        EXPECT_EQ(bot.language[Lang::cmd_end], kMissingTextPlaceholder) << c.error;
        if (c.botError != placeholder || c.fileName != std::string("lang.xml")) continue;
        TestBot later;
        Bot& running = Load(later, LanguageFile(keyed));
        later.dir.Write("lang.xml", c.content);
        LoadLanguage(running);
        EXPECT_FALSE(running.terminated) << c.error;
        EXPECT_EQ(running.language[Lang::bot_error], "kept") << c.error;
        EXPECT_EQ(later.frontEnd.errors, Texts{c.error + "; the texts in use are kept"});
        EXPECT_EQ(later.ActivityMessages().back(), later.frontEnd.errors.back());
    }
}

}  // namespace
}  // namespace tv::test
