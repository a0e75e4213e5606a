#include "app/OperatorModel.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/Format.h"

namespace tv {
namespace {

class RecordingObserver final : public OperatorObserver {
public:
    void OnActivity(const ActivityEntry& entry) override { activities.push_back(entry.message); }
    void OnStatus(const std::string& text) override { statuses.push_back(text); }
    void OnStat(int row, const std::string& text) override { stats.emplace_back(row, text); }
    void OnSessionList() override { ++sessionLists; }
    void OnButton() override { ++buttons; }

    std::vector<std::string> activities;
    std::vector<std::string> statuses;
    std::vector<std::pair<int, std::string>> stats;
    int sessionLists = 0;
    int buttons = 0;
};

// The texts of the other states are checked end to end by the scenarios.
TEST(OperatorModel, StatusTextsAndTheButton) {
    OperatorModel model;
    EXPECT_EQ(model.Status(), "Ready");
    EXPECT_STREQ(model.ButtonCaption(), "&Login");
    model.SetButtonEnabled(false);
    model.SetStatus(StatusIndex::LoggingIn);
    EXPECT_EQ(model.Status(), "Logging in...");
    EXPECT_TRUE(model.ButtonEnabled());
    model.SetStatus(StatusIndex::Terminated);
    EXPECT_FALSE(model.ButtonEnabled());
    model.SetButton(ButtonAction::Logout, false);
    EXPECT_STREQ(model.ButtonCaption(), "&Logout");
    model.SetStatusText("Shutting down...");
    EXPECT_EQ(model.Status(), "Shutting down...");
    EXPECT_EQ(model.ConnectionState(), StatusIndex::Terminated);
}

TEST(OperatorModel, ObserverHearsEveryChange) {
    OperatorModel model;
    RecordingObserver observer;
    model.SetObserver(&observer);
    model.SetStatus(StatusIndex::LoggingIn);
    model.SetLinkText(LinkIndex::Online);
    model.SetLinkText(LinkIndex::Online);  // unchanged: not told again
    model.SetStat(2, "5");
    model.SetStat(2, "6");
    model.AddActivityEntry({"now", ActivityCategory::Message, -1, "", "one"});
    model.AddActivityEntry({"now", ActivityCategory::Message, -1, "", "two"});
    model.SetButton(ButtonAction::Logout, true);
    EXPECT_EQ(observer.statuses, std::vector<std::string>{"Logging in..."});
    EXPECT_EQ(observer.stats,
              (std::vector<std::pair<int, std::string>>{{1, "Online"}, {2, "5"}, {2, "6"}}));
    EXPECT_EQ(model.Stat(1), "Online");
    EXPECT_EQ(observer.activities, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(observer.buttons, 1);
    EXPECT_THROW(model.SetStat(10, "x"), std::out_of_range);
}

TEST(OperatorModel, WorkingUsersStaySortedOnceEachWithTheirHeader) {
    OperatorModel model;
    RecordingObserver observer;
    model.SetObserver(&observer);
    EXPECT_EQ(model.SessionListHeader(), "0 users with active terrain sessions.");
    model.AddWorkingUser("zed");
    EXPECT_EQ(model.SessionListHeader(), "1 user with active terrain sessions.");
    for (const char* name : {"Bob", "alice", "Bob", "bob"}) model.AddWorkingUser(name);
    EXPECT_EQ(model.SessionList(), (std::vector<std::string>{"alice", "Bob", "bob", "zed"}));
    model.RemoveWorkingUser("Bob");  // one of two sessions named so: still listed
    model.RemoveWorkingUser("nobody");
    EXPECT_EQ(model.SessionList(), (std::vector<std::string>{"alice", "Bob", "bob", "zed"}));
    model.RemoveWorkingUser("Bob");
    model.RemoveWorkingUser("zed");
    EXPECT_EQ(model.SessionList(), (std::vector<std::string>{"alice", "bob"}));
    EXPECT_EQ(model.SessionListHeader(), "2 users with active terrain sessions.");
    EXPECT_EQ(observer.sessionLists, 6);  // each change that shows, and only those
    model.ClearWorkingUsers();
    model.ClearWorkingUsers();
    EXPECT_EQ(model.SessionListHeader(), "0 users with active terrain sessions.");
    EXPECT_EQ(observer.sessionLists, 7);
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
