#pragma once
// A small element tree over TXmlParser: elements with a name, one text, attributes and
// children, read from a file or memory and written back as indented text with CR LF lines.
// Names are looked up without regard to letter case; the first match in list order wins.
//
// Text is Windows-1252 in memory. Documents are written as UTF-8 under a declaration that
// names no encoding, which is exactly how they are read back, so every byte survives; blanks
// that reading would collapse or trim are written as character references, so texts survive too.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/Errors.h"
#include "config/AtomicFile.h"

namespace tv {

// The five markup characters as references; other bytes unchanged (how names are written).
std::string XmlEscaped(std::string_view text);

// A structural error in a document being read.
class EMicroXmlError final : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EMicroXmlError"; }
};

struct TMicroXmlAttribute {
    std::string Name;
    std::string Value;
};

class TMicroXmlElement final {
public:
    TMicroXmlElement(TMicroXmlElement* parent, std::string name);
    // Frees the subtree without recursion, so documents of any depth are safe to drop.
    ~TMicroXmlElement();
    TMicroXmlElement(const TMicroXmlElement&) = delete;
    TMicroXmlElement& operator=(const TMicroXmlElement&) = delete;

    std::string Name;
    std::string Text;
    TMicroXmlElement* Parent() const { return parent_; }

    std::size_t AttributeCount() const { return attributes_.size(); }
    const TMicroXmlAttribute& Attribute(std::size_t index) const;
    std::size_t ChildCount() const { return children_.size(); }
    TMicroXmlElement* Child(std::size_t index) const;

    void SetAttribute(const std::string& name, const std::string& value);
    std::string GetAttribute(const std::string& name) const;
    TMicroXmlElement* AddChild(const std::string& name);
    // Index of the first child with that name, or -1.
    int FindChild(const std::string& name) const;
    std::string ChildText(const std::string& name, const std::string& defaultText) const;

private:
    TMicroXmlElement* parent_;
    std::vector<TMicroXmlAttribute> attributes_;
    std::vector<std::unique_ptr<TMicroXmlElement>> children_;
};

class TMicroXmlDocument final {
public:
    TMicroXmlDocument() = default;

    TMicroXmlElement* Root() const { return root_.get(); }
    TMicroXmlElement* CreateRoot(const std::string& name);

    // A file that cannot be opened or read gives a document without a root and no error.
    // An end tag with nothing open raises EMicroXmlError naming the file; the tree read so
    // far stays in the document.
    void LoadFromFile(const std::string& fileName);
    // The same from text in memory; nameForErrors stands for the file name in messages.
    void LoadFromString(std::string_view text, const std::string& nameForErrors);
    // The innermost element the text left open (a truncated file); empty when all were closed.
    const std::string& Unclosed() const { return unclosed_; }

    // Writes the whole file or nothing (EInOutError); the document is unchanged either way.
    void SaveToFile(const std::string& fileName, FileAccess access = FileAccess::Shared) const;
    std::string SaveToString() const;

private:
    std::unique_ptr<TMicroXmlElement> root_;
    std::string unclosed_;
};

}  // namespace tv
