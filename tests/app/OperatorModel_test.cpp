#include "app/OperatorModel.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/Format.h"

namespace tv {
namespace {

// Every notification, in order, as "what value|".
class RecordingObserver final : public OperatorObserver {
public:
    void OnActivity(const ActivityEntry& entry) override {
        heard += "activity " + entry.message + "|";
    }
    void OnStatus(const std::string& text) override { heard += "status " + text + "|"; }
    void OnStat(int row, const std::string& text) override {
        heard += "stat " + std::to_string(row) + " " + text + "|";
    }
    void OnSessionList() override { heard += "list|"; }
    void OnButton() override { heard += "button|"; }
    std::string heard;
};

// Each change is told once and an unchanged value not at all; only "Terminated" disables the
// button. The texts of the other states are checked end to end by the scenarios.
TEST(OperatorModel, ObserverHearsEachChangeOnce) {
    OperatorModel model;
    RecordingObserver observer;
    model.SetObserver(&observer);
    model.SetStatus(StatusIndex::LoggingIn);  // the button is enabled already: not told
    model.SetLinkText(LinkIndex::Online);
    model.SetLinkText(LinkIndex::Online);
    model.SetStat(2, "5");
    model.AddActivityEntry({"now", ActivityCategory::Message, -1, "", "one"});
    model.SetButton(ButtonAction::Logout, true);
    model.SetStatus(StatusIndex::Terminated);
    EXPECT_EQ(observer.heard,
              "status Logging in...|stat 1 Online|stat 2 5|activity one|button|button|"
              "status Terminated; restart required.|");
    EXPECT_FALSE(model.ButtonEnabled());
    EXPECT_STREQ(model.ButtonCaption(), "&Logout");
    EXPECT_THROW(model.SetStat(10, "x"), std::out_of_range);
}

TEST(OperatorModel, WorkingUsersStaySortedOnceEachWithTheirHeader) {
    OperatorModel model;
    RecordingObserver observer;
    model.SetObserver(&observer);
    auto shown = [&model] {
        std::string text = model.SessionListHeader();
        for (const std::string& name : model.SessionList()) text += " " + name;
        return text;
    };
    model.AddWorkingUser("zed");
    EXPECT_EQ(shown(), "1 user with active terrain sessions. zed");
    for (const char* name : {"Bob", "alice", "Bob", "bob"}) model.AddWorkingUser(name);
    model.RemoveWorkingUser("Bob");  // one of two sessions named so: still listed
    model.RemoveWorkingUser("nobody");
    EXPECT_EQ(shown(), "4 users with active terrain sessions. alice Bob bob zed");
    model.RemoveWorkingUser("Bob");
    model.RemoveWorkingUser("zed");
    EXPECT_EQ(shown(), "2 users with active terrain sessions. alice bob");
    model.ClearWorkingUsers();
    model.ClearWorkingUsers();
    EXPECT_EQ(shown(), "0 users with active terrain sessions.");
    // Each change that shows, and only those.
    EXPECT_EQ(observer.heard, "list|list|list|list|list|list|list|");
}

TEST(OperatorModel, ByteSizes) {
    const NumberSeparators english{',', '.'}, german{'.', ','};
    const std::pair<uint32_t, std::string> cases[] = {
        {0, "0 bytes"},           {1, "1 byte"},
        {1023, "1,023 bytes"},    {1024, "1.0 KiB"},
        {1048575, "1,024.0 KiB"}, {1048576, "1.0 MiB"},
        {1073741824, "1.0 GiB"},  {4294967295u, "4.0 GiB"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FormatByteSize(english, bytes), text) << bytes;
    EXPECT_EQ(FormatByteSize(german, 1536), "1,5 KiB");
    EXPECT_EQ(FormatByteSize(german, 1000), "1.000 bytes");
}

TEST(OperatorModel, TrafficTotalsWrapAt32Bits) {
    OperatorModel model;
    model.AddTraffic(1, 1536);
    EXPECT_EQ(model.Stat(9), "1 byte in, 1.5 KiB out");
    model.AddTraffic(0xFFFFFFFFu, 0);
    EXPECT_EQ(model.BytesIn(), 0u);
    EXPECT_EQ(model.Stat(9), "0 bytes in, 1.5 KiB out");
}

}  // namespace
}  // namespace tv
