// The voucher-line table as an SQLite table, and thin wrappers over the
// SQLite C interface used by the loader and the SQLite benchmarks.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "bench/vou_data.h"

namespace bench {

// CREATE TABLE vou (...): texts without trailing blanks ('' when blank),
// dates as YYYYMMDD text (NULL when empty), numbers with NUMERIC affinity.
extern const std::string kCreateTableSql;

// CREATE INDEX for order i of kOrders (a partial index for the FOR orders).
std::string createIndexSql(std::size_t i);

class SqliteDb {
public:
    explicit SqliteDb(const std::string& path);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;
    sqlite3* get() const { return db_; }
    void exec(const std::string& sql);
    [[noreturn]] void fail(const std::string& what) const;

private:
    sqlite3* db_ = nullptr;
};

class Stmt {
public:
    Stmt(SqliteDb& db, const std::string& sql);
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    sqlite3_stmt* get() const { return st_; }
    bool step();  // true while a row is ready
    void reset();
    void bindText(int i, const std::string& s);
    void bindInt(int i, std::int64_t v);

private:
    SqliteDb& db_;
    sqlite3_stmt* st_ = nullptr;
};

// A prepared INSERT of whole rows.
class RowInserter {
public:
    explicit RowInserter(SqliteDb& db);
    void insert(const Row& r);

private:
    Stmt st_;
};

}  // namespace bench
