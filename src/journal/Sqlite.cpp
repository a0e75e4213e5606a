#include "journal/Sqlite.h"

#include <sqlite3.h>

#include <utility>

namespace tv {

namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw ESqliteError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

// Another process (the headless program queuing a rollback) may hold the write lock for a
// moment; the heartbeat waits no longer than this for it.
constexpr int kBusyTimeoutMs = 250;

}  // namespace

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db_, sql, -1, &stmt_, nullptr) != SQLITE_OK)
        Fail(db_, "cannot prepare a journal statement");
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(stmt_);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)) {}

SqliteStatement& SqliteStatement::Bind(int index, int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) Fail(db_, "cannot bind a value");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const std::string& value) {
    if (sqlite3_bind_text(stmt_, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK)
        Fail(db_, "cannot bind a value");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const std::optional<int64_t>& value) {
    if (value) return Bind(index, *value);
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) Fail(db_, "cannot bind a value");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const std::optional<std::string>& value) {
    if (value) return Bind(index, *value);
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) Fail(db_, "cannot bind a value");
    return *this;
}

bool SqliteStatement::Step() {
    const int result = sqlite3_step(stmt_);
    if (result == SQLITE_ROW) return true;
    sqlite3_reset(stmt_);
    if (result != SQLITE_DONE) Fail(db_, "journal statement failed");
    return false;
}

void SqliteStatement::Run() {
    while (Step()) {
    }
}

int64_t SqliteStatement::Int(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::string SqliteStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

std::optional<int64_t> SqliteStatement::OptionalInt(int column) const {
    if (IsNull(column)) return std::nullopt;
    return Int(column);
}

SqliteDb::SqliteDb(const std::filesystem::path& path, bool readOnly) {
    const int flags =
        (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOFOLLOW;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw ESqliteError("cannot open " + path.filename().string() + ": " + message);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

SqliteDb::~SqliteDb() {
    sqlite3_close(db_);
}

void SqliteDb::Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw ESqliteError("journal statement failed: " + message);
    }
}

SqliteStatement SqliteDb::Prepare(const char* sql) {
    return SqliteStatement(db_, sql);
}

int64_t SqliteDb::LastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

}  // namespace tv
