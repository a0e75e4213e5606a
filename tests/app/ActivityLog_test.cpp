#include "app/ActivityLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestBot.h"
#include "terrain/TerrainCache.h"

namespace tv::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A Bot without start-up: an empty activity list and default options.
struct LogFixture {
    TestBot t;
    Bot bot{t.world, t.clock, t.frontEnd, t.dir.Path()};

    void EnableLog(const std::string& name) {
        bot.options.LogFileName = name;
        bot.options.OptionFlags |= 1u << static_cast<int>(OptionFlag::EnableLog);
    }
    std::string Now() const { return LocalDateTimeText(t.clock.UnixNow()); }
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const auto& entry : bot.model.Activity()) messages.push_back(entry.message);
        return messages;
    }
};

TEST(ActivityLog, FileLineColumns) {
    const std::string when = "2027-01-01 00:00:00";
    EXPECT_EQ(ActivityFileLine(when, ActivityCategory::Message, -1, "", "Application started"),
              when + "      Message                                 Application started");
    EXPECT_EQ(ActivityFileLine(when, ActivityCategory::Command, 1234, "Bob", "Enables terrain"),
              when + "      Command     1234    Bob                 Enables terrain");
    // A name longer than its field is written in full and shifts the message right.
    const std::string name = "An Extraordinarily Long Name";
    EXPECT_EQ(ActivityFileLine(when, ActivityCategory::Safeguard, 5, name, "Ejected for flooding"),
              when + "      Safeguard   5       " + name + " Ejected for flooding");
}

TEST(ActivityLog, ListKeepsTheNewestHundred) {
    LogFixture f;
    for (int i = 1; i <= 101; ++i) AddActivity(f.bot, ActivityCategory::Action, std::to_string(i));
    const auto& entries = f.bot.model.Activity();
    ASSERT_EQ(entries.size(), 100u);
    EXPECT_EQ(entries.front().message, "101");
    EXPECT_EQ(entries.back().message, "2");
    EXPECT_EQ(entries.front().dateTime, f.Now());
}

TEST(ActivityLog, WritesTheFileOnlyWhenEnabled) {
    LogFixture f;
    AddActivity(f.bot, ActivityCategory::Message, "not logged");
    DebugLog(f.bot, DebugCategory::Queue, "TerrainQueueAddCell %d, %d (pri=%s)", {3, -4, "False"});
    EXPECT_FALSE(std::filesystem::exists(f.t.dir.Path() / "log.txt"));
    EXPECT_EQ(
        Lines(f.t.dir.Read("debug.log")),
        std::vector<std::string>{"[" + f.Now() + "] Queue: TerrainQueueAddCell 3, -4 (pri=False)"});

    f.EnableLog("log.txt");
    AddActivity(f.bot, ActivityCategory::Command, "Enables terrain", 77, "Ann");
    // Read right after the call: the line is already in the file.
    EXPECT_EQ(Lines(f.t.dir.Read("log.txt")),
              std::vector<std::string>{ActivityFileLine(f.Now(), ActivityCategory::Command, 77,
                                                        "Ann", "Enables terrain")});
    f.t.clock.Advance(61000);
    DebugLog(f.bot, DebugCategory::SessionTable, "%s", {"SessionTableReset"});
    const auto debug = Lines(f.t.dir.Read("debug.log"));
    ASSERT_EQ(debug.size(), 2u);
    EXPECT_EQ(debug[1], "[" + f.Now() + "] SessionTable: SessionTableReset");
}

TEST(ActivityLog, DumpMarkerWritesSixLines) {
    LogFixture f;
    TMarkerRecord marker;
    marker.Number = 0x2A;
    marker.Id = 7;
    marker.X = 1000;
    marker.Z = -2000;
    marker.CellX = 1;
    marker.CellZ = -2;
    marker.Height = 150;
    marker.Owner = 321;
    marker.Valid = false;
    DumpMarker(f.bot, DebugCategory::Cache, marker);
    const std::string head = "[" + f.Now() + "] Cache: ";
    EXPECT_EQ(Lines(f.t.dir.Read("debug.log")),
              (std::vector<std::string>{
                  head + "terrain marker 0000002A (7):", head + "    Coord  = 1000, -2000",
                  head + "    Cell   = 1, -2", head + "    Height = 150", head + "    Owner  = 321",
                  head + "    Valid  = False"}));
}

TEST(ActivityLog, UnwritableLogFileIsReportedOnceAndWorkGoesOn) {
    LogFixture f;
    f.EnableLog("missing-folder/log.txt");
    EXPECT_NO_THROW(AddActivity(f.bot, ActivityCategory::Action, "Enters world", 3, "Ann"));
    EXPECT_NO_THROW(AddActivity(f.bot, ActivityCategory::Action, "Leaves world", 3, "Ann"));
    const std::string path = (f.t.dir.Path() / "missing-folder/log.txt").string();
    const std::string error = "Unable to write log file " + path + ": No such file or directory";
    EXPECT_EQ(f.Messages(), (std::vector<std::string>{"Leaves world", error, "Enters world"}));
    EXPECT_EQ(f.bot.model.Activity()[1].category, ActivityCategory::Error);

    // Once writing works again, a new failure is reported again.
    std::filesystem::create_directory(f.t.dir.Path() / "missing-folder");
    AddActivity(f.bot, ActivityCategory::Action, "Timed out");
    EXPECT_EQ(Lines(f.t.dir.Read("missing-folder/log.txt")).size(), 1u);
    f.EnableLog(".");  // a folder, not a file
    AddActivity(f.bot, ActivityCategory::Message, "Updated configuration");
    AddActivity(f.bot, ActivityCategory::Message, "Updated configuration");
    int errors = 0;
    for (const auto& entry : f.bot.model.Activity())
        errors += entry.category == ActivityCategory::Error ? 1 : 0;
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(f.bot.model.Activity().front().message, "Updated configuration");
}

TEST(ActivityLog, UnwritableDebugLogDoesNotStopTheCaller) {
    LogFixture f;
    std::filesystem::create_directory(f.t.dir.Path() / "debug.log");
    EXPECT_NO_THROW(DebugLog(f.bot, DebugCategory::Event, "TerrainEventSet"));
    EXPECT_NO_THROW(DebugLog(f.bot, DebugCategory::Event, "TerrainEventSet"));
    ASSERT_EQ(f.bot.model.Activity().size(), 1u);
    EXPECT_EQ(f.bot.model.Activity()[0].category, ActivityCategory::Error);
    EXPECT_EQ(f.bot.model.Activity()[0].message.rfind("Unable to write log file ", 0), 0u);
}

TEST(ActivityLog, FileRemovedWhileOpenIsCreatedAgain) {
    LogFixture f;
    f.EnableLog("log.txt");
    AddActivity(f.bot, ActivityCategory::Message, "first");
    std::filesystem::rename(f.t.dir.Path() / "log.txt", f.t.dir.Path() / "old.txt");
    AddActivity(f.bot, ActivityCategory::Message, "second");
    EXPECT_EQ(Lines(f.t.dir.Read("old.txt")).size(), 1u);
    const auto lines = Lines(f.t.dir.Read("log.txt"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("second"), std::string::npos);
}

}  // namespace
}  // namespace tv::test
