#include "config/XmlConfigFile.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/Errors.h"
#include "support/TestBot.h"

namespace tv {
namespace {

std::vector<std::string> Entries(const TXmlConfigFile& file) {
    std::vector<std::string> out;
    for (const TXmlConfigParam& p : file.Params())
        out.push_back(p.Section + "/" + p.Name + "=" + p.Value);
    return out;
}

TEST(XmlConfigFileTest, SavesSortedSectionsIgnoringCase) {
    TXmlConfigFile file;
    file.WriteString("b", "x", "1");
    file.WriteString("A", "y", "2");
    file.WriteString("a", "z", "3");
    file.WriteString("b", "Beta", "4");
    file.WriteString("b", "alpha", "5");
    EXPECT_EQ(file.SaveToString(),
              "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
              "<XmlConfigFile version=\"3\">\r\n"
              "  <section name=\"A\">\r\n"
              "    <param name=\"y\">2</param>\r\n"
              "    <param name=\"z\">3</param>\r\n"
              "  </section>\r\n"
              "  <section name=\"b\">\r\n"
              "    <param name=\"alpha\">5</param>\r\n"
              "    <param name=\"Beta\">4</param>\r\n"
              "    <param name=\"x\">1</param>\r\n"
              "  </section>\r\n"
              "</XmlConfigFile>\r\n");
}

TEST(XmlConfigFileTest, FindsTheFirstMatchingEntry) {
    TXmlConfigFile file;
    file.LoadFromString(
        "<XmlConfigFile><section name=\"S\"><param name=\"k\">one</param>"
        "<param name=\"K\">two</param><param name=\"n\">42</param><param name=\"bad\">4x</param>"
        "</section><other><param name=\"k\">ignored</param></other>"
        "<section><param name=\"k\">unnamed</param></section></XmlConfigFile>",
        "m");
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"s", "K", "two"},       // the later duplicate overwrote the first entry
        {"S", "", "4x"},         // an empty name finds the section's first entry (sorted)
        {"", "k", "unnamed"},    // a section element without a name
        {"x", "k", "default"},   // no such section
        {"S", "zz", "default"},  // no such name
    };
    for (auto [section, name, value] : cases)
        EXPECT_EQ(file.ReadString(section, name, "default"), value) << section << name;
    EXPECT_EQ(file.ReadInteger("s", "n", 0), 42);
    EXPECT_EQ(file.ReadInteger("s", "absent", -7), -7);
    EXPECT_EQ(test::ErrorOf<EConvertError>([&] { file.ReadInteger("s", "bad", 0); }),
              "'4x' is not a valid integer value");
    file.WriteString("S", "", "first");
    EXPECT_EQ(file.ReadString("S", "bad", ""), "first");
}

// That what is saved reads back the same is the fuzz target's check (fuzz/xml_fuzz.cpp).
TEST(XmlConfigFileTest, LoadKeepsEntriesWhenTheFileIsMissingSaveWritesThemAndLoadReplacesThem) {
    test::TempDir dir;
    const std::string path = (dir.Path() / "store.xml").string();
    TXmlConfigFile file;
    file.WriteString("World", "TerrainRights", "1,2");
    file.Load(path);
    EXPECT_EQ(file.FileName(), path);
    EXPECT_EQ(Entries(file), std::vector<std::string>{"World/TerrainRights=1,2"});
    file.Save("");
    EXPECT_EQ(Entries(TXmlConfigFile(path)), Entries(file));
    dir.Write("store.xml",
              "<XmlConfigFile><section name=\"n\"><param name=\"p\">v</param>"
              "</section></XmlConfigFile>");
    file.Load("");
    EXPECT_EQ(Entries(file), std::vector<std::string>{"n/p=v"});
}

}  // namespace
}  // namespace tv
