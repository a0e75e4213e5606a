#pragma once
// TXmlParser: scans a whole XML text held in memory and yields it part by part (declaration,
// tags, content, comments, CDATA, processing instructions, document type declaration). It is
// deliberately forgiving: any byte sequence scans to some sequence of parts without failing,
// except an entity expansion beyond its budget.
//
// References in content and attribute values are replaced as the text is taken; when the
// declaration names UTF-8 (or no encoding) the text is decoded to Windows-1252 on the way.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/Errors.h"

namespace tv {

enum class XmlPartType {
    None,
    XmlDeclaration,
    ProcessingInstruction,
    Comment,
    DocType,
    CData,
    StartTag,
    EmptyTag,
    EndTag,
    Content,
};

struct TXmlAttr {
    std::string Name;
    std::string Value;
};

// Declared entities expanded past their budget (a document that tries to blow up in memory).
class EXmlParserError final : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EXmlParserError"; }
};

class TXmlParser final {
public:
    // Content normalisation: whitespace runs become one space, ends trimmed, empty content
    // is no part at all. Whitespace given as a character reference is kept as it stands.
    explicit TXmlParser(std::string text, bool normalize = true);

    // Moves to the next part; false at the end of the text.
    bool Scan();

    XmlPartType CurPartType() const { return partType_; }
    // Tag name, processing-instruction target or document type name.
    const std::string& CurName() const { return name_; }
    // Character content (references replaced), comment, CDATA or instruction text.
    const std::string& CurContent() const { return content_; }
    // Attributes of the current start or empty-element tag, in the order written.
    const std::vector<TXmlAttr>& CurAttr() const { return attributes_; }

    // From the XML declaration; Encoding in upper case, "UTF-8" when the declaration names none.
    bool HasDeclaration() const { return hasDeclaration_; }
    const std::string& Version() const { return version_; }
    const std::string& Encoding() const { return encoding_; }
    const std::string& Standalone() const { return standalone_; }

private:
    void ScanMarkup();
    void ScanDeclaration();
    void ScanDelimited(XmlPartType type, std::size_t openLength, std::string_view close);
    void ScanDocType();
    void ScanEntityDeclaration();
    void ScanEndTag();
    void ScanStartTag();
    void ScanAttributes(std::vector<TXmlAttr>& into, bool stopAtQuestion);
    std::string ScanQuoted();
    std::string ScanName();
    void SkipSpace();
    void SkipPastDelimiter(std::string_view close);
    bool At(std::string_view literal) const;

    // What happens to literal whitespace: kept, collapsed to one space and trimmed (content),
    // or each tab, CR and LF made a space (attribute values).
    enum class Spaces { Keep, Collapse, Attribute };
    struct TextOut {
        Spaces spaces;
        std::string text;
        bool pendingSpace;
        void Literal(char c);
        void Referenced(char c);
    };
    // Replaces references and, in UTF-8 documents, decodes the text.
    std::string ExpandText(std::string_view raw, Spaces spaces);
    void AppendReference(TextOut& out, std::string_view name);
    void AppendTextByte(TextOut& out, std::string_view raw, std::size_t& pos) const;

    std::string text_;
    std::size_t pos_ = 0;
    bool normalize_;

    XmlPartType partType_ = XmlPartType::None;
    std::string name_;
    std::string content_;
    std::vector<TXmlAttr> attributes_;

    bool hasDeclaration_ = false;
    bool utf8_ = false;
    std::string version_;
    std::string encoding_;
    std::string standalone_;

    std::unordered_map<std::string, std::string> entities_;
    std::size_t expansionBudget_;
};

}  // namespace tv
