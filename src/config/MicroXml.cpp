#include "config/MicroXml.h"

#include "app/Format.h"
#include "config/Cp1252.h"
#include "config/LibXmlParser.h"

namespace tv {

namespace {

// Deeper documents are refused: no file of ours nests beyond a few levels, and the written
// form of a deep tree grows with the square of its depth.
constexpr std::size_t kMaxDepth = 1024;

const char* kDeclarationLine = "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n";

[[noreturn]] void FailList() {
    throw EListError("Invalid list index.");
}

enum class Written { Name, Value, Text };

bool IsXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether a blank would not read back as it stands: the reader collapses runs of blanks in
// text and trims its ends, and turns tabs and line breaks into spaces everywhere.
bool NeedsReference(std::string_view text, std::size_t i, Written what) {
    const char c = text[i];
    if (what == Written::Name || !IsXmlBlank(c)) return false;
    if (c != ' ') return true;
    return what == Written::Text && (i == 0 || i + 1 == text.size() || IsXmlBlank(text[i - 1]));
}

// Escapes the five markup characters; values and texts are also re-encoded from Windows-1252
// and get the blanks that would be lost as character references.
void AppendEscaped(std::string& out, std::string_view text, Written what) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                if (NeedsReference(text, i, what))
                    out += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
                else if (what == Written::Name)
                    out += c;
                else
                    AppendCp1252AsUtf8(out, c);
        }
    }
}

void AppendOpening(std::string& out, const TMicroXmlElement& element, std::size_t depth) {
    out.append(2 * depth, ' ');
    out += '<';
    AppendEscaped(out, element.Name, Written::Name);
    for (std::size_t i = 0; i < element.AttributeCount(); ++i) {
        const TMicroXmlAttribute& attribute = element.Attribute(i);
        out += ' ';
        AppendEscaped(out, attribute.Name, Written::Name);
        out += "=\"";
        AppendEscaped(out, attribute.Value, Written::Value);
        out += '"';
    }
}

void AppendClosing(std::string& out, const TMicroXmlElement& element) {
    out += "</";
    AppendEscaped(out, element.Name, Written::Name);
    out += ">\r\n";
}

}  // namespace

std::string XmlEscaped(std::string_view text) {
    std::string out;
    AppendEscaped(out, text, Written::Name);
    return out;
}

TMicroXmlElement::TMicroXmlElement(TMicroXmlElement* parent, std::string name)
    : Name(std::move(name)), parent_(parent) {}

TMicroXmlElement::~TMicroXmlElement() {
    std::vector<std::unique_ptr<TMicroXmlElement>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<TMicroXmlElement> element = std::move(pending.back());
        pending.pop_back();
        for (auto& child : element->children_) pending.push_back(std::move(child));
        element->children_.clear();
    }
}

const TMicroXmlAttribute& TMicroXmlElement::Attribute(std::size_t index) const {
    if (index >= attributes_.size()) FailList();
    return attributes_[index];
}

TMicroXmlElement* TMicroXmlElement::Child(std::size_t index) const {
    if (index >= children_.size()) FailList();
    return children_[index].get();
}

void TMicroXmlElement::SetAttribute(const std::string& name, const std::string& value) {
    for (TMicroXmlAttribute& attribute : attributes_) {
        if (SameText(attribute.Name, name)) {
            attribute.Value = value;
            return;
        }
    }
    attributes_.push_back({name, value});
}

std::string TMicroXmlElement::GetAttribute(const std::string& name) const {
    for (const TMicroXmlAttribute& attribute : attributes_)
        if (SameText(attribute.Name, name)) return attribute.Value;
    return {};
}

TMicroXmlElement* TMicroXmlElement::AddChild(const std::string& name) {
    children_.push_back(std::make_unique<TMicroXmlElement>(this, name));
    return children_.back().get();
}

int TMicroXmlElement::FindChild(const std::string& name) const {
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (SameText(children_[i]->Name, name)) return static_cast<int>(i);
    return -1;
}

std::string TMicroXmlElement::ChildText(const std::string& name,
                                        const std::string& defaultText) const {
    int index = FindChild(name);
    return index < 0 ? defaultText : children_[static_cast<std::size_t>(index)]->Text;
}

TMicroXmlElement* TMicroXmlDocument::CreateRoot(const std::string& name) {
    root_ = std::make_unique<TMicroXmlElement>(nullptr, name);
    return root_.get();
}

void TMicroXmlDocument::LoadFromFile(const std::string& fileName) {
    root_.reset();
    unclosed_.clear();
    std::string text;
    if (!ReadWholeFile(fileName, text)) return;
    LoadFromString(text, fileName);
}

void TMicroXmlDocument::LoadFromString(std::string_view text, const std::string& nameForErrors) {
    root_.reset();
    unclosed_.clear();
    TXmlParser parser{std::string(text)};
    TMicroXmlElement* current = nullptr;
    std::size_t depth = 0;
    // Depth inside a second top-level element, which is skipped as a whole.
    std::size_t skipped = 0;
    try {
        while (parser.Scan()) {
            switch (parser.CurPartType()) {
                case XmlPartType::StartTag:
                case XmlPartType::EmptyTag: {
                    bool opens = parser.CurPartType() == XmlPartType::StartTag;
                    if (skipped > 0 || (!current && root_)) {
                        if (opens) ++skipped;
                        break;
                    }
                    TMicroXmlElement* element =
                        root_ ? current->AddChild(parser.CurName()) : CreateRoot(parser.CurName());
                    for (const TXmlAttr& attribute : parser.CurAttr())
                        element->SetAttribute(attribute.Name, attribute.Value);
                    if (opens) {
                        if (++depth > kMaxDepth)
                            throw EMicroXmlError("Elements nested too deeply in file \"" +
                                                 nameForErrors + "\"");
                        current = element;
                    }
                    break;
                }
                case XmlPartType::EndTag:
                    if (skipped > 0) {
                        --skipped;
                        break;
                    }
                    if (!current)
                        throw EMicroXmlError("Mis-matched start/close tags in file \"" +
                                             nameForErrors + "\"");
                    current = current->Parent();
                    --depth;
                    break;
                case XmlPartType::Content:
                    if (current && skipped == 0) current->Text = parser.CurContent();
                    break;
                default:
                    break;
            }
        }
    } catch (const EXmlParserError& error) {
        throw EMicroXmlError(std::string(error.what()) + " in file \"" + nameForErrors + "\"");
    }
    if (current) unclosed_ = current->Name;
}

std::string TMicroXmlDocument::SaveToString() const {
    std::string out = kDeclarationLine;
    if (!root_) return out;
    struct Step {
        const TMicroXmlElement* element;
        std::size_t depth;
        bool closing;
    };
    std::vector<Step> steps{{root_.get(), 0, false}};
    while (!steps.empty()) {
        Step step = steps.back();
        steps.pop_back();
        const TMicroXmlElement& element = *step.element;
        if (step.closing) {
            out.append(2 * step.depth, ' ');
            AppendClosing(out, element);
            continue;
        }
        AppendOpening(out, element, step.depth);
        if (element.ChildCount() > 0) {
            out += ">\r\n";
            steps.push_back({step.element, step.depth, true});
            for (std::size_t i = element.ChildCount(); i-- > 0;)
                steps.push_back({element.Child(i), step.depth + 1, false});
        } else if (element.Text.empty()) {
            out += " />\r\n";
        } else {
            out += '>';
            AppendEscaped(out, element.Text, Written::Text);
            AppendClosing(out, element);
        }
    }
    return out;
}

void TMicroXmlDocument::SaveToFile(const std::string& fileName, FileAccess access) const {
    WriteFileAtomically(fileName, SaveToString(), access);
}

}  // namespace tv
