// Fuzz target for the XML layer: any bytes are read as an element tree and as a parameter
// store; neither may crash, hang or leak, and what the writer produces must read back to the
// same content.
#include "app/Errors.h"
#include "app/Format.h"
#include "config/Cp1252.h"
#include "config/LibXmlParser.h"
#include "config/MicroXml.h"
#include "config/XmlConfigFile.h"
#include "fuzz/FuzzScene.h"

using tv::fuzz::Check;

namespace {

// The re-read tree equals the written one: names come back in their escaped form (names are
// taken as written), values and leaf texts come back byte for byte.
void CheckSameTree(const tv::TMicroXmlElement& written, const tv::TMicroXmlElement& reread) {
    std::vector<std::pair<const tv::TMicroXmlElement*, const tv::TMicroXmlElement*>> pending{
        {&written, &reread}};
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        Check(tv::XmlEscaped(a->Name) == b->Name && a->AttributeCount() == b->AttributeCount() &&
              a->ChildCount() == b->ChildCount() && (a->ChildCount() > 0 || a->Text == b->Text));
        for (std::size_t i = 0; i < a->AttributeCount(); ++i)
            Check(tv::XmlEscaped(a->Attribute(i).Name) == b->Attribute(i).Name &&
                  a->Attribute(i).Value == b->Attribute(i).Value);
        for (std::size_t i = 0; i < a->ChildCount(); ++i)
            pending.push_back({a->Child(i), b->Child(i)});
    }
}

void FuzzDocument(std::string_view text) {
    tv::TMicroXmlDocument document;
    try {
        document.LoadFromString(text, "fuzz.xml");
    } catch (const tv::EMicroXmlError&) {
        // The tree read up to the error stays and must still be writable.
    }
    tv::TMicroXmlDocument reread;
    reread.LoadFromString(document.SaveToString(), "written.xml");
    Check((document.Root() == nullptr) == (reread.Root() == nullptr));
    if (document.Root()) CheckSameTree(*document.Root(), *reread.Root());
}

void FuzzStore(std::string_view text) {
    tv::TXmlConfigFile store;
    try {
        store.LoadFromString(text, "fuzz.xml");
    } catch (const tv::EMicroXmlError&) {
        return;
    }
    try {
        store.ReadInteger("terravane", "version", 0);
    } catch (const tv::EConvertError&) {
    }
    tv::TXmlConfigFile reread;
    reread.LoadFromString(store.SaveToString(), "written.xml");
    Check(store.Params().size() == reread.Params().size());
    for (std::size_t i = 0; i < store.Params().size(); ++i) {
        const tv::TXmlConfigParam &a = store.Params()[i], &b = reread.Params()[i];
        Check(tv::SameText(a.Section, b.Section) && a.Name == b.Name && a.Value == b.Value);
    }
}

void FuzzScanner(std::string_view text) {
    tv::TXmlParser parser{std::string(text), false};
    try {
        while (parser.Scan()) {
        }
    } catch (const tv::EXmlParserError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    FuzzDocument(text);
    FuzzStore(text);
    FuzzScanner(text);
    Check(tv::Utf8ToCp1252(tv::Cp1252ToUtf8(text)) == text);
    return 0;
}
