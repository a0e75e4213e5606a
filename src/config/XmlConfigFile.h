#pragma once
// TXmlConfigFile: a store of (section, name, value) parameters kept in an XML file of
// `section` and `param` elements under the root `XmlConfigFile`. Used by the language file and
// terravane.xml. Sections and names match without regard to letter case; the first entry in
// list order wins.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/AtomicFile.h"

namespace tv {

class TMicroXmlDocument;

struct TXmlConfigParam {
    std::string Section;
    std::string Name;
    std::string Value;
};

class TXmlConfigFile final {
public:
    TXmlConfigFile() = default;
    // Loads the file when the name is not empty.
    explicit TXmlConfigFile(const std::string& fileName);

    // A file that cannot be read leaves the entries as they are; a document with a root
    // replaces them. The list is sorted either way. Structural errors, and a text that ends
    // inside an element, raise EMicroXmlError and change nothing.
    void Load(const std::string& fileName);
    void LoadFromString(std::string_view text, const std::string& nameForErrors);
    void Save(const std::string& fileName, FileAccess access = FileAccess::Shared);
    std::string SaveToString();

    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& defaultValue) const;
    // Raises EConvertError when the value is not an integer.
    int32_t ReadInteger(const std::string& section, const std::string& name,
                        int32_t defaultValue) const;
    void WriteString(const std::string& section, const std::string& name, const std::string& value);

    const std::vector<TXmlConfigParam>& Params() const { return params_; }
    const std::string& FileName() const { return fileName_; }

private:
    // The first entry of the section with that name; an empty name finds the section's first.
    std::ptrdiff_t Find(const std::string& section, const std::string& name) const;
    void TakeDocument(const TMicroXmlDocument& document, const std::string& name);
    void Sort();
    TMicroXmlDocument BuildDocument();

    std::vector<TXmlConfigParam> params_;
    std::string fileName_;
};

}  // namespace tv
