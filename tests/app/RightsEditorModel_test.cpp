#include "app/RightsEditorModel.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/TestBot.h"

namespace tv::test {
namespace {

const std::string kEveryoneQuestion =
    "Adding \"(everyone)\" is mutually exclusive, and will remove all other entries. Continue?";
const std::string kOthersQuestion =
    "Adding other entries will remove the \"(everyone)\" entry. Continue?";

TEST(RightsEditorModel, ListRules) {
    struct Case {
        std::string text;   // handed in
        std::string steps;  // "+7" adds 7, "s1" selects line 1, "-" removes; "n" answers No
        std::string lines;  // the lines after, joined with "|"
        int selected;
        std::string result;  // the text built on OK
        std::string asked;   // the question or box shown, if any
    };
    const std::vector<Case> cases = {
        {"12,5,7", "", "5|7|12", -1, "5,7,12", ""},
        {"*", "", "(everyone)", -1, "*", ""},
        {"5,7,12", "+7", "5|7|12", 1, "5,7,12", "\"7\" is already in the list."},
        {"1,2,3", "+*", "(everyone)", 0, "*", kEveryoneQuestion},
        {"1,2,3", "n +*", "1|2|3", -1, "1,2,3", kEveryoneQuestion},
        {"*", "+9", "9", 0, "9", kOthersQuestion},
        {"*", "n +9", "(everyone)", -1, "*", kOthersQuestion},
        {"", "+* +4", "4", 0, "4", kOthersQuestion},
        {"1,2,3", "s1 -", "1|3", 0, "1,3", ""},
        {"1,2,3", "s0 -", "2|3", -1, "2,3", ""},
        {"1,2,3", "-", "1|2|3", 2, "1,2,3", ""},
        {"5", "s0 -", "", -1, "", ""},
        {"5", "+ +5~ +--3", "--3|5|5~", 0, "--3,5,5~", ""},
    };
    for (const Case& c : cases) {
        RecordingFrontEnd ui;
        RightsEditorModel model(c.text);
        std::istringstream steps(c.steps);
        for (std::string step; steps >> step;) {
            if (step == "n") ui.nextAnswer = false;
            if (step[0] == '+') model.Add(step.substr(1), ui);
            if (step[0] == 's') model.Select(std::stoi(step.substr(1)));
            if (step == "-") model.Remove();
        }
        std::string lines;
        for (const std::string& line : model.Lines()) lines += (lines.empty() ? "" : "|") + line;
        EXPECT_EQ(lines, c.lines) << c.text << " " << c.steps;
        EXPECT_EQ(model.Selected(), c.selected) << c.text << " " << c.steps;
        EXPECT_EQ(model.Text(), c.result) << c.text << " " << c.steps;
        Texts shown = ui.questions;
        shown.insert(shown.end(), ui.information.begin(), ui.information.end());
        EXPECT_EQ(shown, c.asked.empty() ? Texts{} : Texts{c.asked}) << c.text << " " << c.steps;
    }
}

TEST(RightsEditorModel, KeyFilter) {
    for (char c : std::string("\b\r 0123456789*-~")) EXPECT_TRUE(RightsEditorModel::KeyAccepted(c));
    for (char c : std::string(",'\"a.;/+")) EXPECT_FALSE(RightsEditorModel::KeyAccepted(c)) << c;
}

}  // namespace
}  // namespace tv::test
