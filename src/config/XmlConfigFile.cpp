#include "config/XmlConfigFile.h"

#include <algorithm>

#include "app/Format.h"
#include "config/MicroXml.h"
#include "config/TextConvert.h"

namespace tv {

TXmlConfigFile::TXmlConfigFile(const std::string& fileName) {
    if (!fileName.empty()) Load(fileName);
}

void TXmlConfigFile::Load(const std::string& fileName) {
    if (!fileName.empty() && fileName != fileName_) fileName_ = fileName;
    TMicroXmlDocument document;
    document.LoadFromFile(fileName_);
    TakeDocument(document, fileName_);
}

void TXmlConfigFile::LoadFromString(std::string_view text, const std::string& nameForErrors) {
    TMicroXmlDocument document;
    document.LoadFromString(text, nameForErrors);
    TakeDocument(document, nameForErrors);
}

void TXmlConfigFile::TakeDocument(const TMicroXmlDocument& document, const std::string& name) {
    // A file cut short would silently lose every parameter after the cut.
    if (!document.Unclosed().empty())
        throw EMicroXmlError("Element <" + document.Unclosed() + "> is not closed in file \"" +
                             name + "\"");
    if (const TMicroXmlElement* root = document.Root()) {
        params_.clear();
        for (std::size_t i = 0; i < root->ChildCount(); ++i) {
            const TMicroXmlElement* section = root->Child(i);
            if (!SameText(section->Name, "section")) continue;
            std::string sectionName = section->GetAttribute("name");
            for (std::size_t j = 0; j < section->ChildCount(); ++j) {
                const TMicroXmlElement* param = section->Child(j);
                if (SameText(param->Name, "param"))
                    WriteString(sectionName, param->GetAttribute("name"), param->Text);
            }
        }
    }
    Sort();
}

void TXmlConfigFile::Sort() {
    std::stable_sort(params_.begin(), params_.end(),
                     [](const TXmlConfigParam& a, const TXmlConfigParam& b) {
                         int bySection = CompareText(a.Section, b.Section);
                         if (bySection != 0) return bySection < 0;
                         return CompareText(a.Name, b.Name) < 0;
                     });
}

std::ptrdiff_t TXmlConfigFile::Find(const std::string& section, const std::string& name) const {
    for (std::size_t i = 0; i < params_.size(); ++i) {
        const TXmlConfigParam& param = params_[i];
        if (SameText(param.Section, section) && (name.empty() || SameText(param.Name, name)))
            return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::string TXmlConfigFile::ReadString(const std::string& section, const std::string& name,
                                       const std::string& defaultValue) const {
    std::ptrdiff_t index = Find(section, name);
    return index < 0 ? defaultValue : params_[static_cast<std::size_t>(index)].Value;
}

int32_t TXmlConfigFile::ReadInteger(const std::string& section, const std::string& name,
                                    int32_t defaultValue) const {
    return StrToInt(ReadString(section, name, std::to_string(defaultValue)));
}

void TXmlConfigFile::WriteString(const std::string& section, const std::string& name,
                                 const std::string& value) {
    std::ptrdiff_t index = Find(section, name);
    if (index >= 0) {
        params_[static_cast<std::size_t>(index)].Value = value;
        return;
    }
    params_.push_back({section, name, value});
}

TMicroXmlDocument TXmlConfigFile::BuildDocument() {
    Sort();
    TMicroXmlDocument document;
    TMicroXmlElement* root = document.CreateRoot("XmlConfigFile");
    root->SetAttribute("version", "3");
    TMicroXmlElement* sectionElement = nullptr;
    for (const TXmlConfigParam& param : params_) {
        // Entries of an unnamed section still get an element, so nothing is dropped.
        if (!sectionElement || !SameText(sectionElement->GetAttribute("name"), param.Section)) {
            sectionElement = root->AddChild("section");
            sectionElement->SetAttribute("name", param.Section);
        }
        TMicroXmlElement* element = sectionElement->AddChild("param");
        element->SetAttribute("name", param.Name);
        element->Text = param.Value;
    }
    return document;
}

std::string TXmlConfigFile::SaveToString() {
    return BuildDocument().SaveToString();
}

void TXmlConfigFile::Save(const std::string& fileName, FileAccess access) {
    TMicroXmlDocument document = BuildDocument();
    if (!fileName.empty() && fileName != fileName_) fileName_ = fileName;
    document.SaveToFile(fileName_, access);
}

}  // namespace tv
