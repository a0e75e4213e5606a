#include "config/LibXmlParser.h"

#include "config/Cp1252.h"

namespace tv {

namespace {

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string UpperAsciiCopy(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return text;
}

// Reads a decimal or hexadecimal character number; false when it does not convert.
bool ParseCharNumber(std::string_view digits, bool hex, uint32_t& value) {
    if (digits.empty()) return false;
    value = 0;
    for (char c : digits) {
        uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else {
            return false;
        }
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0x10FFFF) return false;
    }
    return true;
}

// Extra bytes that declared entities may add to a document, beyond its own size.
constexpr std::size_t kEntityExpansionAllowance = 1 << 20;

}  // namespace

TXmlParser::TXmlParser(std::string text, bool normalize)
    : text_(std::move(text)),
      normalize_(normalize),
      expansionBudget_(kEntityExpansionAllowance + text_.size()) {}

bool TXmlParser::At(std::string_view literal) const {
    return std::string_view(text_).substr(pos_).starts_with(literal);
}

void TXmlParser::SkipSpace() {
    while (pos_ < text_.size() && IsXmlSpace(text_[pos_])) ++pos_;
}

void TXmlParser::SkipPastDelimiter(std::string_view close) {
    std::size_t end = text_.find(close, pos_);
    pos_ = end == std::string::npos ? text_.size() : end + close.size();
}

bool TXmlParser::Scan() {
    partType_ = XmlPartType::None;
    name_.clear();
    content_.clear();
    attributes_.clear();
    while (pos_ < text_.size()) {
        if (text_[pos_] == '<') {
            ScanMarkup();
            return true;
        }
        std::size_t end = text_.find('<', pos_);
        if (end == std::string::npos) end = text_.size();
        std::string value = ExpandText(std::string_view(text_).substr(pos_, end - pos_),
                                       normalize_ ? Spaces::Collapse : Spaces::Keep);
        pos_ = end;
        if (normalize_ && value.empty()) continue;
        partType_ = XmlPartType::Content;
        content_ = std::move(value);
        return true;
    }
    return false;
}

void TXmlParser::ScanMarkup() {
    if (At("<?xml") && pos_ + 5 < text_.size() && IsXmlSpace(text_[pos_ + 5])) {
        ScanDeclaration();
    } else if (At("<?")) {
        ScanDelimited(XmlPartType::ProcessingInstruction, 2, "?>");
        std::size_t end = 0;
        while (end < content_.size() && !IsXmlSpace(content_[end])) ++end;
        name_ = content_.substr(0, end);
    } else if (At("<!--")) {
        ScanDelimited(XmlPartType::Comment, 4, "-->");
    } else if (At("<!DOCTYPE")) {
        ScanDocType();
    } else if (At("<![CDATA[")) {
        ScanDelimited(XmlPartType::CData, 9, "]]>");
    } else if (At("</")) {
        ScanEndTag();
    } else {
        ScanStartTag();
    }
}

void TXmlParser::ScanDelimited(XmlPartType type, std::size_t openLength, std::string_view close) {
    partType_ = type;
    std::size_t start = pos_ + openLength;
    std::size_t end = text_.find(close, start);
    if (end == std::string::npos) {
        content_ = text_.substr(start);
        pos_ = text_.size();
    } else {
        content_ = text_.substr(start, end - start);
        pos_ = end + close.size();
    }
}

void TXmlParser::ScanDeclaration() {
    partType_ = XmlPartType::XmlDeclaration;
    pos_ += 5;
    std::vector<TXmlAttr> pseudo;
    ScanAttributes(pseudo, true);
    SkipPastDelimiter(">");
    hasDeclaration_ = true;
    version_.clear();
    standalone_.clear();
    encoding_ = "UTF-8";
    for (const TXmlAttr& attribute : pseudo) {
        if (attribute.Name == "version") version_ = attribute.Value;
        if (attribute.Name == "encoding") encoding_ = UpperAsciiCopy(attribute.Value);
        if (attribute.Name == "standalone") standalone_ = attribute.Value;
    }
    utf8_ = encoding_ == "UTF-8";
}

std::string TXmlParser::ScanName() {
    std::size_t start = pos_;
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (IsXmlSpace(c) || c == '=' || c == '>' || c == '/' || c == '?') break;
        ++pos_;
    }
    return text_.substr(start, pos_ - start);
}

std::string TXmlParser::ScanQuoted() {
    if (pos_ >= text_.size()) return {};
    char quote = text_[pos_];
    if (quote == '"' || quote == '\'') {
        std::size_t start = pos_ + 1;
        std::size_t end = text_.find(quote, start);
        if (end == std::string::npos) end = text_.size();
        pos_ = end < text_.size() ? end + 1 : end;
        return text_.substr(start, end - start);
    }
    // Unquoted values run to the next blank or the end of the tag.
    std::size_t start = pos_;
    while (pos_ < text_.size() && !IsXmlSpace(text_[pos_]) && text_[pos_] != '>' && !At("/>"))
        ++pos_;
    return text_.substr(start, pos_ - start);
}

// Collects name="value" pairs with their values raw; stops before ">" or "/>" (or "?>").
void TXmlParser::ScanAttributes(std::vector<TXmlAttr>& into, bool stopAtQuestion) {
    for (;;) {
        SkipSpace();
        if (pos_ >= text_.size() || text_[pos_] == '>' || At("/>")) return;
        if (stopAtQuestion && At("?>")) return;
        std::string name = ScanName();
        if (name.empty()) {
            ++pos_;  // a stray character inside the tag
            continue;
        }
        SkipSpace();
        std::string value;
        if (pos_ < text_.size() && text_[pos_] == '=') {
            ++pos_;
            SkipSpace();
            value = ScanQuoted();
        }
        into.push_back({std::move(name), std::move(value)});
    }
}

void TXmlParser::ScanStartTag() {
    ++pos_;
    name_ = ScanName();
    ScanAttributes(attributes_, false);
    for (TXmlAttr& attribute : attributes_)
        attribute.Value = ExpandText(attribute.Value, Spaces::Attribute);
    if (At("/>")) {
        partType_ = XmlPartType::EmptyTag;
        pos_ += 2;
    } else {
        partType_ = XmlPartType::StartTag;
        if (pos_ < text_.size()) ++pos_;
    }
}

void TXmlParser::ScanEndTag() {
    partType_ = XmlPartType::EndTag;
    pos_ += 2;
    SkipSpace();
    name_ = ScanName();
    SkipPastDelimiter(">");
}

void TXmlParser::ScanDocType() {
    partType_ = XmlPartType::DocType;
    std::size_t start = pos_;
    pos_ += 9;
    SkipSpace();
    name_ = ScanName();
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '>') {
            ++pos_;
            break;
        }
        if (c == '"' || c == '\'') {
            ScanQuoted();
        } else if (c == '[') {
            ++pos_;
            // The internal subset, where entities are declared.
            while (pos_ < text_.size() && text_[pos_] != ']') {
                if (At("<!ENTITY")) {
                    ScanEntityDeclaration();
                } else if (At("<!--")) {
                    SkipPastDelimiter("-->");
                } else if (At("<?")) {
                    SkipPastDelimiter("?>");
                } else if (text_[pos_] == '"' || text_[pos_] == '\'') {
                    ScanQuoted();
                } else {
                    ++pos_;
                }
            }
            if (pos_ < text_.size()) ++pos_;
        } else {
            ++pos_;
        }
    }
    content_ = text_.substr(start, pos_ - start);
}

void TXmlParser::ScanEntityDeclaration() {
    pos_ += 8;
    SkipSpace();
    bool parameterEntity = false;
    if (pos_ < text_.size() && text_[pos_] == '%') {
        parameterEntity = true;
        ++pos_;
        SkipSpace();
    }
    std::string name = ScanName();
    SkipSpace();
    bool internal = pos_ < text_.size() && (text_[pos_] == '"' || text_[pos_] == '\'');
    if (internal) {
        std::string raw = ScanQuoted();
        // Later declarations of a name do not override the first, as in XML.
        if (!parameterEntity && !name.empty() && !entities_.contains(name))
            entities_.emplace(name, ExpandText(raw, Spaces::Keep));
    }
    // The rest of the declaration (external identifiers and the like) is skipped.
    while (pos_ < text_.size() && text_[pos_] != '>') {
        if (text_[pos_] == '"' || text_[pos_] == '\'')
            ScanQuoted();
        else
            ++pos_;
    }
    if (pos_ < text_.size()) ++pos_;
}

void TXmlParser::TextOut::Literal(char c) {
    if (IsXmlSpace(c)) {
        if (spaces == Spaces::Collapse) {
            pendingSpace = !text.empty();
            return;
        }
        if (spaces == Spaces::Attribute) c = ' ';
    }
    Referenced(c);
}

void TXmlParser::TextOut::Referenced(char c) {
    if (pendingSpace) text += ' ';
    pendingSpace = false;
    text += c;
}

void TXmlParser::AppendTextByte(TextOut& out, std::string_view raw, std::size_t& pos) const {
    out.Literal(utf8_ ? DecodeUtf8Char(raw, pos) : raw[pos++]);
}

std::string TXmlParser::ExpandText(std::string_view raw, Spaces spaces) {
    TextOut out{spaces, {}, false};
    out.text.reserve(raw.size());
    std::size_t pos = 0;
    while (pos < raw.size()) {
        if (raw[pos] != '&') {
            AppendTextByte(out, raw, pos);
            continue;
        }
        // A reference name holds no blank, "&" or "<"; without its ";" the "&" is plain text.
        std::size_t end = pos + 1;
        while (end < raw.size() && raw[end] != ';' && raw[end] != '&' && raw[end] != '<' &&
               !IsXmlSpace(raw[end]))
            ++end;
        if (end >= raw.size() || raw[end] != ';' || end == pos + 1) {
            out.Literal('&');
            ++pos;
            continue;
        }
        AppendReference(out, raw.substr(pos + 1, end - pos - 1));
        pos = end + 1;
    }
    return std::move(out.text);
}

// Characters given by reference are taken as they stand: whitespace written as "&#32;" or "&#9;"
// is neither collapsed nor trimmed, which is how the writer keeps such text intact.
void TXmlParser::AppendReference(TextOut& out, std::string_view name) {
    if (name == "lt") {
        out.Referenced('<');
    } else if (name == "gt") {
        out.Referenced('>');
    } else if (name == "amp") {
        out.Referenced('&');
    } else if (name == "apos") {
        out.Referenced('\'');
    } else if (name == "quot") {
        out.Referenced('"');
    } else if (name[0] == '#') {
        bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        uint32_t code = 0;
        if (!ParseCharNumber(name.substr(hex ? 2 : 1), hex, code) || code == 0) {
            out.Literal(' ');
        } else if (code < 256) {
            out.Referenced(static_cast<char>(code));
        } else {
            int byte = CodePointToCp1252(code);
            out.Referenced(byte < 0 ? kUnmappableChar : static_cast<char>(byte));
        }
    } else {
        auto entity = entities_.find(std::string(name));
        if (entity != entities_.end()) {
            if (entity->second.size() > expansionBudget_)
                throw EXmlParserError("Entity expansion exceeds the limit");
            expansionBudget_ -= entity->second.size();
            for (char c : entity->second) out.Literal(c);
            return;
        }
        // An undeclared name stands for itself.
        std::size_t pos = 0;
        while (pos < name.size()) AppendTextByte(out, name, pos);
    }
}

}  // namespace tv
