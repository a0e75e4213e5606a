#pragma once
// journal.db: the terrain journal's SQLite file in the bot's working folder, readable by its
// owner only. Entries are appended a batch per transaction; queries serve the history (newest
// first), the rollback planning (oldest first, cell by cell) and the terrain last set in a cell.
// The file also keeps the rollbacks still to be carried out, so that one queued by the headless
// program, or cut short by a logout or a crash, runs at the next login.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "journal/JournalTypes.h"
#include "journal/Sqlite.h"

namespace tv {

struct JournalQuery {
    std::string world;  // empty: every world
    std::optional<int32_t> citizen;
    std::optional<int64_t> since;  // Unix seconds
    std::optional<JournalArea> area;
};

// A rollback of one citizen's changes since a time, in an area or the whole world, for the
// actor who asked for it.
struct RollbackRequest {
    int64_t id = 0;
    std::string world;
    int32_t citizen = 0;
    int64_t since = 0;
    std::optional<JournalArea> area;
    int32_t actor = 0;
    std::string actorName;
};

class JournalStore final {
public:
    static constexpr const char* kFileName = "journal.db";

    // Opens journal.db in `folder`, creating it (owner-only, schema, write-ahead log) when
    // `create` is set; without it a missing file is an error. Throws ESqliteError or
    // EInOutError.
    JournalStore(const std::filesystem::path& folder, bool create);
    ~JournalStore();
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    // One transaction; nothing is kept when it fails.
    void Append(const std::vector<JournalEntry>& entries);
    // Newest first, at most `limit`; `total` is how many match in all.
    std::vector<JournalEntry> Latest(const JournalQuery& query, int limit, int64_t* total);
    // Every entry since `since` in the cells where `citizen` changed something since then (in
    // the area, when given), oldest first.
    std::vector<JournalEntry> CitizenCells(const std::string& world, int32_t citizen, int64_t since,
                                           const std::optional<JournalArea>& area);
    // The entries named, and every entry after the first of them in each of their cells, oldest
    // first (entries of other worlds are left out).
    std::vector<JournalEntry> SelectionCells(const std::string& world,
                                             const std::vector<int64_t>& ids);
    // The terrain the latest entry of the cell left; none when unknown.
    std::optional<TerrainState> LastTerrain(const std::string& world, int32_t x, int32_t z);
    // Every cell the world has entries for, as (x, z).
    std::vector<std::pair<int32_t, int32_t>> JournaledCells(const std::string& world);
    // Entries older than `before` (Unix seconds) go; returns how many.
    int64_t Prune(int64_t before);

    int64_t AddRollback(const RollbackRequest& request);
    std::vector<RollbackRequest> Rollbacks(const std::string& world);
    void RemoveRollback(int64_t id);

private:
    // The world's number in the file; none for a world never journaled unless `add`.
    std::optional<int64_t> WorldId(const std::string& world, bool add);
    std::vector<JournalEntry> Read(SqliteStatement& statement);

    std::unique_ptr<SqliteDb> db_;  // declared first: destroyed after its statements
    std::map<std::string, int64_t> worldIds_;
    std::optional<SqliteStatement> insert_;
};

}  // namespace tv
