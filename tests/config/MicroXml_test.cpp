#include "config/MicroXml.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestBot.h"

namespace tv {
namespace {

// A compact picture of a tree: name[attr=value,...]"text"(children...).
std::string Describe(const TMicroXmlElement* element) {
    if (!element) return "<none>";
    std::string out = element->Name, attributes, children;
    for (std::size_t i = 0; i < element->AttributeCount(); ++i)
        attributes +=
            (i > 0 ? "," : "") + element->Attribute(i).Name + "=" + element->Attribute(i).Value;
    for (std::size_t i = 0; i < element->ChildCount(); ++i)
        children += (i > 0 ? " " : "") + Describe(element->Child(i));
    if (!attributes.empty()) out += "[" + attributes + "]";
    if (!element->Text.empty()) out += "\"" + element->Text + "\"";
    if (!children.empty()) out += "(" + children + ")";
    return out;
}

std::string Read(const std::string& text) {
    TMicroXmlDocument document;
    document.LoadFromString(text, "memory.xml");
    return Describe(document.Root());
}

TEST(MicroXmlTest, ReadsTheTreeOfEachDocument) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"<a><b/><c>x</c></a>", "a(b c\"x\")"},     {"<a>  </a>", "a"},
        {"<a>x<!-- c -->y</a>", "a\"y\""},         {"<a><b></a></b>", "a(b)"},
        {"<a>x<b/>y</a>", "a\"y\"(b)"},            {"<a><![CDATA[kept <out>]]></a>", "a"},
        {"<a>\r\n  one \t two\n\n three  </a>", "a\"one two three\""},
        {"<?xml version=\"1.0\"?><!-- top --><?pi data?><a/>", "a"},
        {"<a k='1' j=\"two\"/>", "a[k=1,j=two]"},
        {"<a k=\"1\" K=\"2\" j=\"3\" k=\"4\"/>", "a[k=4,j=3]"},
        {"<a k=\"x&#9;y&#10;z  w\"/>", "a[k=x\ty\nz  w]"},
        {"<a> &#32;x&#32; &#9; </a>", "a\" x  \t\""},
        {"<a k=\"line\r\nnext\"/>", "a[k=line  next]"},
        {"<a>&lt;&gt;&amp;&apos;&quot;</a>", "a\"<>&'\"\""},
        {"<a>&#65;&#x42;&#X43;</a>", "a\"ABC\""},
        {"<a>1&#zz;2</a>", "a\"1 2\""},          {"<a>&nobody;</a>", "a\"nobody\""},
        {"<!DOCTYPE a [<!ENTITY who \"the keeper\">]><a>by &who;</a>", "a\"by the keeper\""},
        {"<!DOCTYPE a [<!ENTITY w 'x'><!ENTITY w 'y'>]><a k=\"&w;\">&w;</a>", "a[k=x]\"x\""},
        {"<a>fish & chips</a>", "a\"fish & chips\""}, {"<a/><b>ignored</b>", "a"},
        {"text before <a>in</a> text after", "a\"in\""}, {"", "<none>"}, {"just text", "<none>"},
        // UTF-8 documents are read into the code page (two-byte e acute, the euro sign's three
        // bytes; other sequences: Cp1252_test), and character references name its byte directly.
        {"<?xml version=\"1.0\"?><a>caf\xC3\xA9</a>", "a\"caf\xE9\""},
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?><a>\xE2\x82\xAC</a>", "a\"\x80\""},
        {"<?xml version=\"1.0\"?><a>&#233;&#8364;&#x4E2D;</a>", "a\"\xE9\x80\xBF\""},
        // Other encodings, and documents without a declaration, are taken byte for byte.
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>caf\xE9</a>", "a\"caf\xE9\""},
        {"<a>caf\xC3\xA9</a>", "a\"caf\xC3\xA9\""}};
    // clang-format on
    for (auto [document, tree] : cases) EXPECT_EQ(Read(document), tree) << document;
    // A text cut short leaves its innermost open element named.
    for (auto [text, open] : {std::pair{"<a><b>x", "b"}, {"<a><b/>", "a"}, {"<a/>", ""}}) {
        TMicroXmlDocument document;
        document.LoadFromString(text, "cut.xml");
        EXPECT_EQ(document.Unclosed(), open) << text;
    }
}

TEST(MicroXmlTest, MismatchedEndTagNamesTheFileAndKeepsTheTreeSoFar) {
    TMicroXmlDocument document;
    EXPECT_EQ(test::ErrorOf<EMicroXmlError>(
                  [&] { document.LoadFromString("<a><b>x</b></a></c>", "settings.xml"); }),
              "Mis-matched start/close tags in file \"settings.xml\"");
    EXPECT_EQ(Describe(document.Root()), "a(b\"x\")");
    EXPECT_THROW(document.LoadFromString("</a>", "x.xml"), EMicroXmlError);
    EXPECT_EQ(document.Root(), nullptr);
}

TEST(MicroXmlTest, RefusesRunawayDocuments) {
    std::string deep;
    for (int i = 0; i < 5000; ++i) deep += "<a>";
    TMicroXmlDocument document;
    EXPECT_THROW(document.LoadFromString(deep, "deep.xml"), EMicroXmlError);

    std::string laughs = "<!DOCTYPE a [<!ENTITY l0 \"ha\">";
    for (int i = 1; i < 40; ++i)
        laughs += "<!ENTITY l" + std::to_string(i) + " \"&l" + std::to_string(i - 1) + ";&l" +
                  std::to_string(i - 1) + ";\">";
    laughs += "]><a>&l39;</a>";
    EXPECT_THROW(document.LoadFromString(laughs, "laughs.xml"), EMicroXmlError);
}

// Nesting and empty elements are in the saved config.xml and parameter store (Options_test,
// XmlConfigFile_test).
TEST(MicroXmlTest, WritesEscapedLines) {
    TMicroXmlDocument document;
    TMicroXmlElement* root = document.CreateRoot("Root");
    root->SetAttribute("name", "x<&\"y");
    root->Text = "dropped";  // an element with children writes no text
    root->AddChild("Value")->Text = "a < b & \"c\" 'd' > e";
    EXPECT_EQ(document.SaveToString(),
              "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
              "<Root name=\"x&lt;&amp;&quot;y\">\r\n"
              "  <Value>a &lt; b &amp; &quot;c&quot; &apos;d&apos; &gt; e</Value>\r\n"
              "</Root>\r\n");
}

// Lookups in any case, with defaults, are the config loaders' (Options_test, XmlConfigFile_test).
TEST(MicroXmlTest, FindsTheFirstChildOfANameInAnyCase) {
    TMicroXmlDocument document;
    document.LoadFromString("<r><Item>1</Item><ITEM>2</ITEM></r>", "m");
    EXPECT_EQ(document.Root()->ChildText("iTeM", "d"), "1");
    EXPECT_THROW(document.Root()->Child(2), EListError);
}

// Saving is WriteFileAtomically's (Options_test); a missing file or a folder reads as no tree.
TEST(MicroXmlTest, MissingFileOrFolderReadsAsNoTree) {
    test::TempDir dir;
    TMicroXmlDocument document;
    for (const std::filesystem::path& path : {dir.Path() / "absent.xml", dir.Path()}) {
        document.CreateRoot("stale");
        document.LoadFromFile(path.string());
        EXPECT_EQ(document.Root(), nullptr) << path;
    }
}

TEST(MicroXmlTest, DropsVeryDeepTreesBuiltInMemory) {
    TMicroXmlDocument document;
    TMicroXmlElement* element = document.CreateRoot("r");
    for (int i = 0; i < 200000; ++i) element = element->AddChild("n");
    document.CreateRoot("fresh");  // frees the deep tree without exhausting the stack
    EXPECT_EQ(Describe(document.Root()), "fresh");
}

}  // namespace
}  // namespace tv
