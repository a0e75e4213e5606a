#include "journal/JournalStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "app/Format.h"

namespace tv {

namespace {

constexpr const char* kSchema = R"sql(
PRAGMA journal_mode = WAL;
PRAGMA synchronous = NORMAL;
CREATE TABLE IF NOT EXISTS worlds(
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS entries(
  id INTEGER PRIMARY KEY,
  time INTEGER NOT NULL,
  world INTEGER NOT NULL REFERENCES worlds(id),
  x INTEGER NOT NULL,
  z INTEGER NOT NULL,
  citizen INTEGER NOT NULL,
  name TEXT NOT NULL,
  action TEXT NOT NULL,
  b_desc TEXT, b_owner INTEGER, b_visible INTEGER, b_number INTEGER, b_height INTEGER,
  b_terrain INTEGER, b_terrain_height INTEGER,
  a_desc TEXT, a_owner INTEGER, a_visible INTEGER, a_number INTEGER, a_height INTEGER,
  a_terrain INTEGER, a_terrain_height INTEGER);
CREATE INDEX IF NOT EXISTS entries_cell ON entries(world, z, x);
CREATE INDEX IF NOT EXISTS entries_citizen ON entries(world, citizen, time);
CREATE TABLE IF NOT EXISTS rollbacks(
  id INTEGER PRIMARY KEY,
  world TEXT NOT NULL,
  citizen INTEGER NOT NULL,
  since INTEGER NOT NULL,
  x0 INTEGER, x1 INTEGER, z0 INTEGER, z1 INTEGER,
  actor INTEGER NOT NULL,
  actor_name TEXT NOT NULL);
)sql";

constexpr const char* kColumns =
    "e.id, e.time, w.name, e.x, e.z, e.citizen, e.name, e.action, "
    "e.b_desc, e.b_owner, e.b_visible, e.b_number, e.b_height, e.b_terrain, e.b_terrain_height, "
    "e.a_desc, e.a_owner, e.a_visible, e.a_number, e.a_height, e.a_terrain, e.a_terrain_height "
    "FROM entries e JOIN worlds w ON w.id = e.world ";

constexpr const char* kInsert =
    "INSERT INTO entries(time, world, x, z, citizen, name, action, "
    "b_desc, b_owner, b_visible, b_number, b_height, b_terrain, b_terrain_height, "
    "a_desc, a_owner, a_visible, a_number, a_height, a_terrain, a_terrain_height) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, "
    "?15, ?16, ?17, ?18, ?19, ?20, ?21)";

constexpr int32_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kIntMax = std::numeric_limits<int32_t>::max();

[[noreturn]] void FileError(const std::filesystem::path& path, const char* what) {
    throw EInOutError(Format("cannot %s %s: %s",
                             {what, path.filename().string(), std::string(std::strerror(errno))}));
}

// The file holds who changed what: only its owner reads it. A new file is made owner-only
// before SQLite sees it (its -wal and -shm files take the same mode); an old one is narrowed.
// A symbolic link is refused, so the journal is always the file in the working folder.
void PrepareFile(const std::filesystem::path& path, bool create) {
    const int flags = O_RDWR | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0);
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) FileError(path, "open");
    struct stat info {};
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                    ((info.st_mode & 0777) == 0600 || ::fchmod(fd, 0600) == 0);
    const int savedErrno = errno;
    ::close(fd);
    errno = savedErrno;
    if (!ok) FileError(path, S_ISREG(info.st_mode) ? "protect" : "use");
}

void BindState(SqliteStatement& statement, int first, const CellState& state) {
    const std::optional<MarkerState>& marker = state.marker;
    auto value = [&](auto member) -> std::optional<int64_t> {
        if (!marker) return std::nullopt;
        return static_cast<int64_t>((*marker).*member);
    };
    statement.Bind(first, marker ? std::optional<std::string>(marker->description) : std::nullopt)
        .Bind(first + 1, value(&MarkerState::owner))
        .Bind(first + 2, value(&MarkerState::visible))
        .Bind(first + 3, value(&MarkerState::number))
        .Bind(first + 4, value(&MarkerState::height));
    const std::optional<TerrainState>& terrain = state.terrain;
    statement.Bind(first + 5, terrain ? std::optional<int64_t>(terrain->value) : std::nullopt)
        .Bind(first + 6, terrain ? std::optional<int64_t>(terrain->height) : std::nullopt);
}

CellState ReadState(const SqliteStatement& statement, int first) {
    CellState state;
    if (!statement.IsNull(first)) {
        MarkerState marker;
        marker.description = statement.Text(first);
        marker.owner = static_cast<int32_t>(statement.Int(first + 1));
        marker.visible = statement.Int(first + 2) != 0;
        marker.number = static_cast<uint32_t>(statement.Int(first + 3));
        marker.height = static_cast<int32_t>(statement.Int(first + 4));
        state.marker = marker;
    }
    if (!statement.IsNull(first + 5))
        state.terrain = TerrainState{static_cast<int32_t>(statement.Int(first + 5)),
                                     static_cast<int32_t>(statement.Int(first + 6))};
    return state;
}

void BindArea(SqliteStatement& statement, int first, const std::optional<JournalArea>& area) {
    const JournalArea all{kIntMin, kIntMax, kIntMin, kIntMax};
    const JournalArea& box = area ? *area : all;
    statement.Bind(first, int64_t{box.x0})
        .Bind(first + 1, int64_t{box.x1})
        .Bind(first + 2, int64_t{box.z0})
        .Bind(first + 3, int64_t{box.z1});
}

}  // namespace

JournalStore::JournalStore(const std::filesystem::path& folder, bool create) {
    const std::filesystem::path path = folder / kFileName;
    PrepareFile(path, create);
    db_ = std::make_unique<SqliteDb>(path, false);
    if (create) db_->Exec(kSchema);
    insert_.emplace(db_->Prepare(kInsert));
}

JournalStore::~JournalStore() {
    insert_.reset();
}

std::optional<int64_t> JournalStore::WorldId(const std::string& world, bool add) {
    const std::string key = LowerAscii(world);
    if (auto known = worldIds_.find(key); known != worldIds_.end()) return known->second;
    SqliteStatement find = db_->Prepare("SELECT id FROM worlds WHERE name = ?1");
    find.Bind(1, world);
    std::optional<int64_t> id;
    if (find.Step()) {
        id = find.Int(0);
        find.Step();
    } else if (add) {
        db_->Prepare("INSERT INTO worlds(name) VALUES (?1)").Bind(1, world).Run();
        id = db_->LastInsertRowId();
    }
    if (id) worldIds_[key] = *id;
    return id;
}

void JournalStore::Append(const std::vector<JournalEntry>& entries) {
    if (entries.empty()) return;
    db_->Exec("BEGIN IMMEDIATE");
    try {
        for (const JournalEntry& entry : entries) {
            insert_->Bind(1, entry.time)
                .Bind(2, *WorldId(entry.world, true))
                .Bind(3, int64_t{entry.x})
                .Bind(4, int64_t{entry.z})
                .Bind(5, int64_t{entry.citizen})
                .Bind(6, entry.name)
                .Bind(7, std::string(JournalActionName(entry.action)));
            BindState(*insert_, 8, entry.before);
            BindState(*insert_, 15, entry.after);
            insert_->Run();
        }
        db_->Exec("COMMIT");
    } catch (...) {
        try {
            db_->Exec("ROLLBACK");
        } catch (const ESqliteError&) {
            // The transaction is gone already; the first error is the one to report.
        }
        worldIds_.clear();  // a world added in the lost transaction is not in the file
        throw;
    }
}

std::vector<JournalEntry> JournalStore::Read(SqliteStatement& statement) {
    std::vector<JournalEntry> entries;
    while (statement.Step()) {
        JournalEntry entry;
        entry.id = statement.Int(0);
        entry.time = statement.Int(1);
        entry.world = statement.Text(2);
        entry.x = static_cast<int32_t>(statement.Int(3));
        entry.z = static_cast<int32_t>(statement.Int(4));
        entry.citizen = static_cast<int32_t>(statement.Int(5));
        entry.name = statement.Text(6);
        entry.action = JournalActionOf(statement.Text(7)).value_or(JournalAction::Terrain);
        entry.before = ReadState(statement, 8);
        entry.after = ReadState(statement, 15);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<JournalEntry> JournalStore::Latest(const JournalQuery& query, int limit,
                                               int64_t* total) {
    std::string where = "WHERE 1";
    std::optional<int64_t> world;
    if (!query.world.empty()) {
        world = WorldId(query.world, false);
        if (!world) {
            if (total) *total = 0;
            return {};
        }
        where += " AND e.world = ?1";
    }
    if (query.citizen) where += " AND e.citizen = ?2";
    if (query.since) where += " AND e.time >= ?3";
    if (query.area) where += " AND e.z BETWEEN ?6 AND ?7 AND e.x BETWEEN ?4 AND ?5";
    auto bind = [&](SqliteStatement& statement) {
        if (world) statement.Bind(1, *world);
        if (query.citizen) statement.Bind(2, int64_t{*query.citizen});
        if (query.since) statement.Bind(3, *query.since);
        if (query.area) BindArea(statement, 4, query.area);
    };
    if (total) {
        SqliteStatement count = db_->Prepare(("SELECT count(*) FROM entries e " + where).c_str());
        bind(count);
        *total = count.Step() ? count.Int(0) : 0;
        count.Step();
    }
    SqliteStatement select = db_->Prepare(
        (std::string("SELECT ") + kColumns + where + " ORDER BY e.id DESC LIMIT ?8").c_str());
    bind(select);
    select.Bind(8, int64_t{limit});
    return Read(select);
}

std::vector<JournalEntry> JournalStore::CitizenCells(const std::string& world, int32_t citizen,
                                                     int64_t since,
                                                     const std::optional<JournalArea>& area) {
    const std::optional<int64_t> id = WorldId(world, false);
    if (!id) return {};
    SqliteStatement select =
        db_->Prepare((std::string("SELECT ") + kColumns +
                      "WHERE e.world = ?1 AND e.time >= ?3 AND (e.z, e.x) IN ("
                      "SELECT z, x FROM entries WHERE world = ?1 AND citizen = ?2 AND time >= ?3 "
                      "AND z BETWEEN ?6 AND ?7 AND x BETWEEN ?4 AND ?5) ORDER BY e.id")
                         .c_str());
    select.Bind(1, *id).Bind(2, int64_t{citizen}).Bind(3, since);
    BindArea(select, 4, area);
    return Read(select);
}

std::vector<JournalEntry> JournalStore::SelectionCells(const std::string& world,
                                                       const std::vector<int64_t>& ids) {
    const std::optional<int64_t> id = WorldId(world, false);
    if (!id) return {};
    SqliteStatement first = db_->Prepare("SELECT z, x FROM entries WHERE id = ?1 AND world = ?2");
    std::map<std::pair<int64_t, int64_t>, int64_t> cells;  // cell -> its first selected entry
    for (int64_t selected : ids) {
        first.Bind(1, selected).Bind(2, *id);
        if (!first.Step()) continue;
        auto [it, added] = cells.try_emplace({first.Int(0), first.Int(1)}, selected);
        if (!added && selected < it->second) it->second = selected;
        first.Step();
    }
    SqliteStatement select =
        db_->Prepare((std::string("SELECT ") + kColumns +
                      "WHERE e.world = ?1 AND e.z = ?2 AND e.x = ?3 AND e.id >= ?4 ORDER BY e.id")
                         .c_str());
    std::vector<JournalEntry> entries;
    for (const auto& [cell, from] : cells) {
        select.Bind(1, *id).Bind(2, cell.first).Bind(3, cell.second).Bind(4, from);
        for (JournalEntry& entry : Read(select)) entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const JournalEntry& a, const JournalEntry& b) { return a.id < b.id; });
    return entries;
}

std::optional<TerrainState> JournalStore::LastTerrain(const std::string& world, int32_t x,
                                                      int32_t z) {
    const std::optional<int64_t> id = WorldId(world, false);
    if (!id) return std::nullopt;
    SqliteStatement select = db_->Prepare(
        "SELECT a_terrain, a_terrain_height FROM entries WHERE world = ?1 AND z = ?2 AND x = ?3 "
        "ORDER BY id DESC LIMIT 1");
    select.Bind(1, *id).Bind(2, int64_t{z}).Bind(3, int64_t{x});
    std::optional<TerrainState> terrain;
    if (select.Step()) {
        if (!select.IsNull(0))
            terrain = TerrainState{static_cast<int32_t>(select.Int(0)),
                                   static_cast<int32_t>(select.Int(1))};
        select.Step();
    }
    return terrain;
}

std::vector<std::pair<int32_t, int32_t>> JournalStore::JournaledCells(const std::string& world) {
    std::vector<std::pair<int32_t, int32_t>> cells;
    const std::optional<int64_t> id = WorldId(world, false);
    if (!id) return cells;
    SqliteStatement select = db_->Prepare("SELECT DISTINCT x, z FROM entries WHERE world = ?1");
    select.Bind(1, *id);
    while (select.Step())
        cells.emplace_back(static_cast<int32_t>(select.Int(0)),
                           static_cast<int32_t>(select.Int(1)));
    return cells;
}

int64_t JournalStore::Prune(int64_t before) {
    db_->Prepare("DELETE FROM entries WHERE time < ?1").Bind(1, before).Run();
    SqliteStatement changes = db_->Prepare("SELECT changes()");
    const int64_t removed = changes.Step() ? changes.Int(0) : 0;
    changes.Step();
    return removed;
}

int64_t JournalStore::AddRollback(const RollbackRequest& request) {
    SqliteStatement insert = db_->Prepare(
        "INSERT INTO rollbacks(world, citizen, since, x0, x1, z0, z1, actor, actor_name) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    insert.Bind(1, request.world).Bind(2, int64_t{request.citizen}).Bind(3, request.since);
    const std::optional<JournalArea>& area = request.area;
    auto bound = [&](int32_t JournalArea::*member) {
        return area ? std::optional<int64_t>((*area).*member) : std::nullopt;
    };
    insert.Bind(4, bound(&JournalArea::x0))
        .Bind(5, bound(&JournalArea::x1))
        .Bind(6, bound(&JournalArea::z0))
        .Bind(7, bound(&JournalArea::z1))
        .Bind(8, int64_t{request.actor})
        .Bind(9, request.actorName)
        .Run();
    return db_->LastInsertRowId();
}

std::vector<RollbackRequest> JournalStore::Rollbacks(const std::string& world) {
    SqliteStatement select = db_->Prepare(
        "SELECT id, world, citizen, since, x0, x1, z0, z1, actor, actor_name FROM rollbacks "
        "WHERE world = ?1 COLLATE NOCASE ORDER BY id");
    select.Bind(1, world);
    std::vector<RollbackRequest> requests;
    while (select.Step()) {
        RollbackRequest request;
        request.id = select.Int(0);
        request.world = select.Text(1);
        request.citizen = static_cast<int32_t>(select.Int(2));
        request.since = select.Int(3);
        if (!select.IsNull(4))
            request.area = JournalArea{
                static_cast<int32_t>(select.Int(4)), static_cast<int32_t>(select.Int(5)),
                static_cast<int32_t>(select.Int(6)), static_cast<int32_t>(select.Int(7))};
        request.actor = static_cast<int32_t>(select.Int(8));
        request.actorName = select.Text(9);
        requests.push_back(std::move(request));
    }
    return requests;
}

void JournalStore::RemoveRollback(int64_t id) {
    db_->Prepare("DELETE FROM rollbacks WHERE id = ?1").Bind(1, id).Run();
}

}  // namespace tv
