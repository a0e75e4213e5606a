#include "app/RightsEditorModel.h"

#include <algorithm>

#include "app/Bot.h"
#include "commands/TerrainRights.h"

namespace tv {

RightsEditorModel::RightsEditorModel(const std::string& rightsText)
    : lines_(SplitCommaList(rightsText)) {
    std::replace(lines_.begin(), lines_.end(), std::string("*"), std::string(kEveryone));
    SortNumericStrings(lines_);
}

bool RightsEditorModel::Holds(const std::string& line) const {
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

void RightsEditorModel::Erase(const std::string& line) {
    lines_.erase(std::find(lines_.begin(), lines_.end(), line));
}

bool RightsEditorModel::Add(std::string input, FrontEnd& ui) {
    if (input.empty()) return false;
    if (input == "*") input = kEveryone;
    const std::string everyone = std::string("\"") + kEveryone + "\"";
    if (Holds(input)) {
        ui.ShowInformation("\"" + input + "\" is already in the list.");
    } else {
        if (!lines_.empty() && input == kEveryone) {
            if (!ui.ConfirmYesNo("Adding " + everyone +
                                 " is mutually exclusive, and will remove all other entries. "
                                 "Continue?"))
                return false;
            lines_.clear();
        } else if (!lines_.empty() && Holds(kEveryone)) {
            if (!ui.ConfirmYesNo("Adding other entries will remove the " + everyone +
                                 " entry. Continue?"))
                return false;
        }
        lines_.push_back(input);
        SortNumericStrings(lines_);
    }
    if (input != kEveryone && Holds(kEveryone)) Erase(kEveryone);
    selected_ = static_cast<int>(std::find(lines_.begin(), lines_.end(), input) - lines_.begin());
    return true;
}

void RightsEditorModel::Remove() {
    if (selected_ >= 0 && static_cast<std::size_t>(selected_) < lines_.size()) {
        lines_.erase(lines_.begin() + selected_);
        selected_ = lines_.empty() ? -1 : selected_ - 1;
    } else if (!lines_.empty()) {
        selected_ = static_cast<int>(lines_.size()) - 1;
    }
}

std::string RightsEditorModel::Text() const {
    if (Holds(kEveryone)) return "*";
    std::string text;
    for (const std::string& line : lines_) text += (text.empty() ? "" : ",") + line;
    return text;
}

bool RightsEditorModel::KeyAccepted(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < 33 || c == '*' || c == '-' || c == '~' || (c >= '0' && c <= '9');
}

}  // namespace tv
