#include "app/ActivityLog.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TestBot.h"
#include "terrain/TerrainCache.h"

namespace tv::test {
namespace {

// A Bot without start-up: an empty activity list and default options.
class ActivityLog : public ::testing::Test {
protected:
    TestBot t;
    Bot& bot = t.Create();

    void EnableLog(const std::string& name) {
        bot.options.LogFileName = name;
        bot.options.SetFlag(OptionFlag::EnableLog, true);
    }
    std::string Now() const { return LocalDateTimeText(t.clock.UnixNow()); }
    std::uintmax_t Size(const std::string& name) const {
        return std::filesystem::file_size(t.dir.Path() / name);
    }
};

// A disk that fills up in the middle of a line: with a file size limit a write goes through up
// to the limit and is then refused, as on a full disk.
class DiskFullAt final {
public:
    explicit DiskFullAt(std::uintmax_t bytes) : signal_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskFullAt() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, signal_);
    }

private:
    rlimit saved_{};
    void (*signal_)(int);
};

TEST(ActivityFileLine, Columns) {
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

TEST_F(ActivityLog, ListKeepsTheNewestHundred) {
    for (int i = 1; i <= 101; ++i) AddActivity(bot, ActivityCategory::Action, std::to_string(i));
    const auto& entries = bot.model.Activity();
    ASSERT_EQ(entries.size(), 100u);
    EXPECT_EQ(entries.front().message, "101");
    EXPECT_EQ(entries.back().message, "2");
    EXPECT_EQ(entries.front().dateTime, Now());
}

TEST_F(ActivityLog, WritesTheFileOnlyWhenEnabledAndFlushesEachCall) {
    AddActivity(bot, ActivityCategory::Message, "not logged");
    DebugLog(bot, DebugCategory::Queue, "TerrainQueueAddCell %d, %d (pri=%s)", {3, -4, "False"});
    EXPECT_FALSE(std::filesystem::exists(t.dir.Path() / "log.txt"));
    EXPECT_EQ(Lines(t.dir.Read("debug.log")),
              Texts{"[" + Now() + "] Queue: TerrainQueueAddCell 3, -4 (pri=False)"});

    EnableLog("log.txt");
    AddActivity(bot, ActivityCategory::Command, "Enables terrain", 77, "Ann");
    // Read right after the call: the line is already in the file.
    EXPECT_EQ(Lines(t.dir.Read("log.txt")), Texts{ActivityFileLine(Now(), ActivityCategory::Command,
                                                                   77, "Ann", "Enables terrain")});
}

TEST_F(ActivityLog, DumpMarkerWritesSixLines) {
    TMarkerRecord marker{.Valid = false,
                         .X = 1000,
                         .Z = -2000,
                         .CellX = 1,
                         .CellZ = -2,
                         .Id = 7,
                         .Owner = 321,
                         .Height = 150,
                         .Number = 0x2A};
    DumpMarker(bot, DebugCategory::Cache, marker);
    const std::string head = "[" + Now() + "] Cache: ";
    EXPECT_EQ(Lines(t.dir.Read("debug.log")),
              (Texts{head + "terrain marker 0000002A (7):", head + "    Coord  = 1000, -2000",
                     head + "    Cell   = 1, -2", head + "    Height = 150",
                     head + "    Owner  = 321", head + "    Valid  = False"}));
}

TEST_F(ActivityLog, UnwritableLogFileIsReportedOnceAndWorkGoesOn) {
    EnableLog("missing-folder/log.txt");
    EXPECT_NO_THROW(AddActivity(bot, ActivityCategory::Action, "Enters world", 3, "Ann"));
    EXPECT_NO_THROW(AddActivity(bot, ActivityCategory::Action, "Leaves world", 3, "Ann"));
    const std::string path = (t.dir.Path() / "missing-folder/log.txt").string();
    const std::string error = "Unable to write log file " + path + ": No such file or directory";
    EXPECT_EQ(t.ActivityMessages(), (Texts{"Enters world", error, "Leaves world"}));
    EXPECT_EQ(bot.model.Activity()[1].category, ActivityCategory::Error);

    // Once writing works again the file first says how many lines it lost (the two entries and
    // the error), and a new failure is reported again.
    std::filesystem::create_directory(t.dir.Path() / "missing-folder");
    AddActivity(bot, ActivityCategory::Action, "Timed out");
    EXPECT_EQ(Lines(t.dir.Read("missing-folder/log.txt")),
              (Texts{ActivityFileLine(Now(), ActivityCategory::Error, -1, "",
                                      "3 log lines lost: the file could not be written"),
                     ActivityFileLine(Now(), ActivityCategory::Action, -1, "", "Timed out")}));
    EnableLog(".");  // a folder, not a file
    AddActivity(bot, ActivityCategory::Message, "Updated configuration");
    EXPECT_EQ(bot.model.Activity()[0].category, ActivityCategory::Error);
}

TEST_F(ActivityLog, UnwritableDebugLogDoesNotStopTheCaller) {
    std::filesystem::create_directory(t.dir.Path() / "debug.log");
    EXPECT_NO_THROW(DebugLog(bot, DebugCategory::Event, "TerrainEventSet"));
    EXPECT_NO_THROW(DebugLog(bot, DebugCategory::Event, "TerrainEventSet"));
    ASSERT_EQ(bot.model.Activity().size(), 1u);
    EXPECT_EQ(bot.model.Activity()[0].category, ActivityCategory::Error);
    EXPECT_EQ(bot.model.Activity()[0].message.rfind("Unable to write log file ", 0), 0u);
}

TEST_F(ActivityLog, FullDiskLeavesNoTornLineAndTheFileCountsWhatWasLost) {
    const std::string lost = "3 log lines lost: the file could not be written";
    const std::string longLine(80, 'x');
    // The activity file: a line torn by someone else is ended first; refused lines are cut back.
    EnableLog("log.txt");
    t.dir.Write("log.txt", "torn");
    AddActivity(bot, ActivityCategory::Action, "before");
    {
        DiskFullAt full(Size("log.txt") + 30);
        AddActivity(bot, ActivityCategory::Action, longLine);  // and its "Unable to write" entry
        AddActivity(bot, ActivityCategory::Action, longLine);
    }
    AddActivity(bot, ActivityCategory::Action, "after");
    EXPECT_EQ(Lines(t.dir.Read("log.txt")),
              (Texts{"torn", ActivityFileLine(Now(), ActivityCategory::Action, -1, "", "before"),
                     ActivityFileLine(Now(), ActivityCategory::Error, -1, "", lost),
                     ActivityFileLine(Now(), ActivityCategory::Action, -1, "", "after")}));
    // The debug log: a tick's lines that do not fit are cut back as a whole.
    bot.options.SetFlag(OptionFlag::EnableLog, false);
    DebugLog(bot, DebugCategory::Queue, "before");
    FlushDebugLog(bot);
    {
        DiskFullAt full(Size("debug.log") + 30);
        for (int i = 0; i < 3; ++i) DebugLog(bot, DebugCategory::Queue, longLine);
        FlushDebugLog(bot);
    }
    DebugLog(bot, DebugCategory::Queue, "after");
    FlushDebugLog(bot);
    const std::string head = "[" + Now() + "] ";
    EXPECT_EQ(Lines(t.dir.Read("debug.log")),
              (Texts{head + "Queue: before", head + "Log: " + lost, head + "Queue: after"}));
    EXPECT_EQ(t.ActivityMessages().back().rfind("Unable to write log file ", 0), 0u);
}

TEST_F(ActivityLog, DebugLinesWaitForTheTickFollowAMovedFileAndRotate) {
    DebugLog(bot, DebugCategory::Queue, "first");
    EXPECT_EQ(Size("debug.log"), 0u);
    FlushDebugLog(bot);
    // Moved away: after the next second's check the lines go to a new file at the name.
    std::filesystem::rename(t.dir.Path() / "debug.log", t.dir.Path() / "old.log");
    t.clock.Advance(1000);
    DebugLog(bot, DebugCategory::Queue, "second");
    FlushDebugLog(bot);
    EXPECT_EQ(Lines(t.dir.Read("old.log")).size(), 1u);
    EXPECT_EQ(Lines(t.dir.Read("debug.log")), Texts{"[" + Now() + "] Queue: second"});
    // Rotated when a flush leaves it at 100 bytes or more (36 bytes a line), two old files kept.
    bot.logs.debug.SetRotation(100, 2);
    for (int tick = 0; tick < 7; ++tick) {
        DebugLog(bot, DebugCategory::Queue, "tick %d", {tick});
        FlushDebugLog(bot);
    }
    auto ticks = [&](const std::string& name) {
        Texts got;
        for (const std::string& line : Lines(t.dir.Read(name))) got.push_back(line.substr(29));
        return got;
    };
    EXPECT_EQ(ticks("debug.log"), (Texts{"tick 5", "tick 6"}));
    EXPECT_EQ(ticks("debug.log.1"), (Texts{"tick 2", "tick 3", "tick 4"}));
    EXPECT_EQ(ticks("debug.log.2"), (Texts{"second", "tick 0", "tick 1"}));
    EXPECT_FALSE(std::filesystem::exists(t.dir.Path() / "debug.log.3"));
}

TEST_F(ActivityLog, FileRemovedWhileOpenIsCreatedAgain) {
    EnableLog("log.txt");
    AddActivity(bot, ActivityCategory::Message, "first");
    std::filesystem::rename(t.dir.Path() / "log.txt", t.dir.Path() / "old.txt");
    AddActivity(bot, ActivityCategory::Message, "second");
    EXPECT_EQ(Lines(t.dir.Read("old.txt")).size(), 1u);
    const auto lines = Lines(t.dir.Read("log.txt"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("second"), std::string::npos);
}

}  // namespace
}  // namespace tv::test
