#include "app/ActivityLog.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TestBot.h"

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
    // A line of the activity file written now, without a user.
    std::string FileLine(ActivityCategory category, const std::string& message) const {
        return ActivityFileLine(Now(), category, -1, "", message);
    }
    std::uintmax_t Size(const std::string& name) const {
        return std::filesystem::file_size(t.dir.Path() / name);
    }
    void Move(const std::string& from, const std::string& to) {
        std::filesystem::rename(t.dir.Path() / from, t.dir.Path() / to);
    }
    static constexpr const char* kLost = "3 log lines lost: the file could not be written";
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
    // A name longer than its field is written in full and shifts the message right.
    const std::string name = "An Extraordinarily Long Name";
    EXPECT_EQ(ActivityFileLine(when, ActivityCategory::Safeguard, 5, name, "Ejected for flooding"),
              when + "      Safeguard   5       " + name + " Ejected for flooding");
}

TEST_F(ActivityLog, ListKeepsTheNewestHundred) {
    for (int i = 1; i <= 101; ++i) AddActivity(bot, ActivityCategory::Action, std::to_string(i));
    const auto& entries = bot.model.Activity();
    ASSERT_EQ(entries.size(), 100u);
    EXPECT_EQ(entries.front().message + " " + entries.back().message, "101 2");
    EXPECT_EQ(entries.front().dateTime, Now());
}

TEST_F(ActivityLog, WritesTheFileOnlyWhenEnabledEachLineAtOnceEvenWhenMovedAway) {
    AddActivity(bot, ActivityCategory::Message, "not logged");
    EXPECT_FALSE(std::filesystem::exists(t.dir.Path() / "log.txt"));
    EnableLog("log.txt");
    AddActivity(bot, ActivityCategory::Command, "Enables terrain", 77, "Ann");
    // Read right after the call: the line is already in the file.
    EXPECT_EQ(Lines(t.dir.Read("log.txt")), Texts{ActivityFileLine(Now(), ActivityCategory::Command,
                                                                   77, "Ann", "Enables terrain")});
    Move("log.txt", "old.txt");
    AddActivity(bot, ActivityCategory::Message, "second");
    EXPECT_EQ(Lines(t.dir.Read("log.txt")), Texts{FileLine(ActivityCategory::Message, "second")});
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
              (Texts{FileLine(ActivityCategory::Error, kLost),
                     FileLine(ActivityCategory::Action, "Timed out")}));
    EnableLog(".");  // a folder, not a file
    AddActivity(bot, ActivityCategory::Message, "Updated configuration");
    EXPECT_EQ(bot.model.Activity()[0].category, ActivityCategory::Error);
}

TEST_F(ActivityLog, UnwritableDebugLogIsReportedOnce) {
    std::filesystem::create_directory(t.dir.Path() / "debug.log");
    for (int i = 0; i < 2; ++i) DebugLog(bot, DebugCategory::Event, "TerrainEventSet");
    ASSERT_EQ(bot.model.Activity().size(), 1u);
    EXPECT_EQ(bot.model.Activity()[0].message.rfind("Unable to write log file ", 0), 0u);
}

TEST_F(ActivityLog, FullDiskLeavesNoTornLineAndTheFileCountsWhatWasLost) {
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
              (Texts{"torn", FileLine(ActivityCategory::Action, "before"),
                     FileLine(ActivityCategory::Error, kLost),
                     FileLine(ActivityCategory::Action, "after")}));
    // The debug log: a tick's lines that do not fit are cut back as a whole.
    bot.options.SetFlag(OptionFlag::EnableLog, false);
    auto tick = [this](const std::vector<std::string>& lines) {
        for (const std::string& line : lines) DebugLog(bot, DebugCategory::Queue, line);
        FlushDebugLog(bot);
    };
    tick({"before"});
    {
        DiskFullAt full(Size("debug.log") + 30);
        tick({longLine, longLine, longLine});
    }
    tick({"after"});
    const std::string head = "[" + Now() + "] ";
    EXPECT_EQ(Lines(t.dir.Read("debug.log")),
              (Texts{head + "Queue: before", head + "Log: " + kLost, head + "Queue: after"}));
    EXPECT_EQ(t.ActivityMessages().back().rfind("Unable to write log file ", 0), 0u);
}

TEST_F(ActivityLog, DebugLinesWaitForTheTickFollowAMovedFileAndRotate) {
    DebugLog(bot, DebugCategory::Queue, "TerrainQueueAddCell %d, %d", {3, -4});
    EXPECT_EQ(Size("debug.log"), 0u);
    FlushDebugLog(bot);
    EXPECT_EQ(Lines(t.dir.Read("debug.log")),
              Texts{"[" + Now() + "] Queue: TerrainQueueAddCell 3, -4"});
    // Moved away: after the next second's check the lines go to a new file at the name.
    Move("debug.log", "old.log");
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
        std::string got;
        for (const std::string& line : Lines(t.dir.Read(name))) got += line.substr(29) + "|";
        return got;
    };
    EXPECT_EQ(ticks("debug.log") + ticks("debug.log.1") + ticks("debug.log.2"),
              "tick 5|tick 6|tick 2|tick 3|tick 4|second|tick 0|tick 1|");
    EXPECT_FALSE(std::filesystem::exists(t.dir.Path() / "debug.log.3"));
}

}  // namespace
}  // namespace tv::test
