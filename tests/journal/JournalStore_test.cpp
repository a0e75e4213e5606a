#include "journal/JournalStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/BotTest.h"

namespace tv::test {
namespace {

namespace fs = std::filesystem;

unsigned ModeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

// What stands at journal.db first ("", a "wide" file, a "folder", a "link" elsewhere, "junk"):
// the error's message and the file's mode afterwards.
TEST(JournalStore, OpensOnlyTheOwnersOwnFile) {
    const struct {
        const char* setup;
        bool create;
        const char* error;  // a part of the message; "" when it opens
        int mode;           // the file's mode afterwards; -1: not looked at
    } cases[] = {
        {"", true, "", 0600},
        {"wide", true, "", 0600},
        {"", false, "No such file", 0},
        {"folder", true, "cannot open journal.db", -1},
        {"link", true, "cannot open journal.db", -1},
        {"junk", true, "file is not a database", 0600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.setup) + (c.create ? " created" : ""));
        TempDir dir;
        const fs::path file = dir.Path() / JournalStore::kFileName;
        const std::string setup = c.setup;
        if (setup == "wide" || setup == "junk")
            dir.Write(JournalStore::kFileName, setup == "junk" ? std::string(4096, 'x') : "");
        if (setup == "wide") fs::permissions(file, fs::perms(0644));
        if (setup == "folder") fs::create_directory(file);
        if (setup == "link") {
            dir.Write("elsewhere.db", "");
            fs::create_symlink(dir.Path() / "elsewhere.db", file);
        }
        std::string error;
        try {
            JournalStore store(dir.Path(), c.create);
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        EXPECT_TRUE(*c.error ? error.find(c.error) != std::string::npos : error.empty()) << error;
        EXPECT_TRUE(c.mode < 0 || ModeOf(file) == unsigned(c.mode)) << ModeOf(file);
        EXPECT_EQ(ModeOf(dir.Path() / "journal.db-wal") & 0077, 0u);
    }
}

TEST(JournalStore, KeepsEntriesAndRollbacksAcrossConnections) {
    TempDir dir;
    {
        JournalStore store(dir.Path(), true);
        std::vector<JournalEntry> entries(3);
        for (int i = 0; i < 3; ++i) {
            entries[i].time = 1000 + i;
            entries[i].world = i == 2 ? "Other" : "Terra";
            entries[i].x = i;
            entries[i].citizen = 7 + i;
            entries[i].action = JournalAction::Delete;
            entries[i].before.marker = MarkerState{"5,90", 7, false, 65537, -20};
            entries[i].after.terrain = TerrainState{0, -10};
        }
        store.Append(entries);
        RollbackRequest request{0, "terra", 9, 900, JournalArea{-2, 2, -2, 2}, 1, "operator"};
        EXPECT_EQ(store.AddRollback(request), 1);
        EXPECT_EQ(store.Prune(1001), 1);
    }
    JournalStore store(dir.Path(), false);
    int64_t total = 0;
    const std::vector<JournalEntry> latest = store.Latest({"terra", {}, 1000, {}}, 5, &total);
    ASSERT_EQ(latest.size(), 1u);
    EXPECT_EQ(total, 1);
    EXPECT_EQ(latest[0].citizen, 8);
    EXPECT_EQ(latest[0].world, "Terra");
    EXPECT_EQ(DescribeMarker(latest[0].before.marker), "5,90 hidden");
    EXPECT_EQ(latest[0].before.marker->height, -20);
    EXPECT_FALSE(latest[0].after.marker);
    EXPECT_FALSE(latest[0].before.terrain);
    EXPECT_EQ(store.LastTerrain("TERRA", 1, 0), (TerrainState{0, -10}));
    EXPECT_FALSE(store.LastTerrain("terra", 2, 0));
    EXPECT_TRUE(store.Latest({"nowhere", {}, {}, {}}, 5, &total).empty());
    const std::vector<RollbackRequest> waiting = store.Rollbacks("Terra");
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].area->z1, 2);
    EXPECT_EQ(waiting[0].actorName, "operator");
    store.RemoveRollback(waiting[0].id);
    EXPECT_TRUE(store.Rollbacks("terra").empty());
}

// A journal that cannot be opened, or stops taking entries, is one Error entry; the bot works
// on without it.
class JournalFailureTest : public BotTest {
protected:
    int Entries(const std::string& start) const {
        int count = 0;
        for (const std::string& message : tb.ActivityMessages())
            count += message.rfind(start, 0) == 0;
        return count;
    }
};

TEST_F(JournalFailureTest, OneErrorEntryThenNoJournal) {
    fs::create_directory(tb.dir.Path() / "journal.db");
    Login();
    EXPECT_FALSE(JournalOn(bot()));
    EXPECT_EQ(Entries("Unable to open the terrain journal (cannot open journal.db: Is a directory"),
              1);
    const Texts answer = Command(Arrive({11, 7, 0, 0, true}).session, "t:history");
    EXPECT_EQ(answer, Texts{bot().language[Added::journal_off_error]});
}

TEST_F(JournalFailureTest, AWriteThatFailsSwitchesTheJournalOff) {
    Login();
    ASSERT_TRUE(JournalOn(bot()));
    const int32_t ada = Arrive({11, 7, 0, 0, true}).session;
    // Another connection holds the file: the heartbeat's transaction cannot begin.
    SqliteDb other(tb.dir.Path() / "journal.db", false);
    other.Exec("BEGIN EXCLUSIVE");
    tb.world.UserBuild(ada, Shape(0, 0, "5"));
    Settle();
    bot().journal.writer->Idle();  // the failed write is over
    tb.world.UserBuild(ada, Shape(1000, 0, "6"));
    Settle();
    EXPECT_FALSE(JournalOn(bot()));
    EXPECT_EQ(Entries("Unable to write the terrain journal (journal statement failed: database is "
                      "locked"),
              1);
    EXPECT_EQ(MarkersAt(1000, 0).size(), 1u);
    EXPECT_EQ(Cached(1, 0).Texture, 6);
}

// What the bot means to do in a cell lasts seconds; the journal drops what has gone by rather
// than keeping an intent for every cell it ever changed.
using JournalIntents = BotTest;
TEST_F(JournalIntents, GoneByAreDropped) {
    Login();
    JournalIntent(bot(), 1, 1, OperatorCause(bot(), JournalAction::Hide));
    tb.Tick(4 * 100);
    JournalIntent(bot(), 2, 2, OperatorCause(bot(), JournalAction::Show));
    tb.Tick();
    ASSERT_EQ(bot().journal.intents.size(), 1u);
    EXPECT_EQ(bot().journal.intents.begin()->second.cause.action, JournalAction::Show);
}

}  // namespace
}  // namespace tv::test
