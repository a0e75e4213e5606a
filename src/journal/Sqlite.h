#pragma once
// A small RAII wrapper over the SQLite C API: one connection that owns its prepared statements'
// lifetimes, statements that reset themselves after each run, and failures raised as
// ESqliteError carrying SQLite's own message. Nothing here knows what the journal stores.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "app/Errors.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tv {

class ESqliteError final : public ETerravaneException {
public:
    using ETerravaneException::ETerravaneException;
    const char* ClassName() const override { return "ESqliteError"; }
};

class SqliteStatement final {
public:
    SqliteStatement(sqlite3* db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&&) = delete;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Parameters count from 1, as in the SQL text (?1, ?2 ...). An empty optional binds NULL.
    SqliteStatement& Bind(int index, int64_t value);
    SqliteStatement& Bind(int index, const std::string& value);
    SqliteStatement& Bind(int index, const std::optional<int64_t>& value);
    SqliteStatement& Bind(int index, const std::optional<std::string>& value);

    // True while a row is there to read; false once the statement ran to its end, when it is
    // reset for the next use (its bindings stay). A failure resets it too and throws.
    bool Step();
    // Runs a statement that returns no rows.
    void Run();

    // Columns count from 0.
    int64_t Int(int column) const;
    std::string Text(int column) const;
    bool IsNull(int column) const;
    std::optional<int64_t> OptionalInt(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class SqliteDb final {
public:
    // Opens an existing database file. Symbolic links are refused, so the file named is the one
    // used; read-only connections never write.
    SqliteDb(const std::filesystem::path& path, bool readOnly);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    void Exec(const char* sql);
    SqliteStatement Prepare(const char* sql);
    int64_t LastInsertRowId() const;

private:
    sqlite3* db_ = nullptr;
};

}  // namespace tv
