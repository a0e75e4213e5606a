#pragma once
// The rights editor without its widgets: the terrain rights text as a list of entries, one a
// line, with "(everyone)" standing for "*"; adding with its questions, removing with its
// selection rules, and the text built on OK. Questions and boxes go through the FrontEnd.

#include <string>
#include <vector>

namespace tv {

class FrontEnd;

class RightsEditorModel final {
public:
    static constexpr const char* kEveryone = "(everyone)";

    // The entries of the text, "*" shown as "(everyone)", in numeric order.
    explicit RightsEditorModel(const std::string& rightsText);

    const std::vector<std::string>& Lines() const { return lines_; }
    int Selected() const { return selected_; }  // -1: none
    void Select(int index) { selected_ = index; }

    // The Add button with the input's text. True when the input has been dealt with (its line
    // is selected and the input is to be emptied); false when it was empty or a question was
    // answered No.
    bool Add(std::string input, FrontEnd& ui);
    // Deletes the selected line and selects the one above it; with none selected, selects the
    // last line.
    void Remove();
    // "*" when "(everyone)" is listed, otherwise the lines joined with ",".
    std::string Text() const;

    // Characters the input takes: control keys and the blank, "*", "-", digits and "~".
    static bool KeyAccepted(char c);

private:
    bool Holds(const std::string& line) const;
    void Erase(const std::string& line);
    std::vector<std::string> lines_;
    int selected_ = -1;
};

}  // namespace tv
