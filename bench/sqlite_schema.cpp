#include "bench/sqlite_schema.h"

#include <cctype>
#include <stdexcept>

namespace bench {
namespace {

std::string lower(const char* s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

std::string createTable() {
    std::string sql = "CREATE TABLE vou (";
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        const Column& c = kColumns[i];
        if (i) sql += ", ";
        sql += lower(c.name);
        sql += c.type == 'N' ? (c.decimals ? " NUMERIC" : " INTEGER") : " TEXT";
    }
    return sql + ")";
}

double pow10(int n) {
    double r = 1;
    while (n-- > 0) r *= 10;
    return r;
}

}  // namespace

const std::string kCreateTableSql = createTable();

std::string createIndexSql(std::size_t i) {
    const OrderDef& o = kOrders[i];
    std::string sql = std::string("CREATE INDEX ") + o.file + " ON vou(" + o.sqlCols + ")";
    if (*o.sqlWhere) sql += std::string(" WHERE ") + o.sqlWhere;
    return sql;
}

SqliteDb::SqliteDb(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) fail("open " + path);
}
SqliteDb::~SqliteDb() { sqlite3_close(db_); }

void SqliteDb::fail(const std::string& what) const {
    throw std::runtime_error("sqlite: " + what + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory"));
}

void SqliteDb::exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : "?";
        sqlite3_free(err);
        throw std::runtime_error("sqlite: " + sql + ": " + msg);
    }
}

Stmt::Stmt(SqliteDb& db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &st_, nullptr) != SQLITE_OK) db.fail("prepare " + sql);
}
Stmt::~Stmt() { sqlite3_finalize(st_); }

bool Stmt::step() {
    int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_.fail(std::string("step ") + sqlite3_sql(st_));
}
void Stmt::reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}
void Stmt::bindText(int i, const std::string& s) {
    sqlite3_bind_text(st_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}
void Stmt::bindInt(int i, std::int64_t v) { sqlite3_bind_int64(st_, i, v); }

namespace {
std::string insertSql() {
    std::string sql = "INSERT INTO vou VALUES (";
    for (std::size_t i = 0; i < kColumns.size(); ++i) sql += i ? ", ?" : "?";
    return sql + ")";
}
}  // namespace

RowInserter::RowInserter(SqliteDb& db) : st_(db, insertSql()) {}

void RowInserter::insert(const Row& r) {
    sqlite3_stmt* s = st_.get();
    for (int i = 0; i < kFieldCount; ++i) {
        const Column& c = kColumns[static_cast<std::size_t>(i)];
        const std::string& t = r.text[static_cast<std::size_t>(i)];
        std::int64_t u = r.units[static_cast<std::size_t>(i)];
        if (c.type == 'C') sqlite3_bind_text(s, i + 1, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
        else if (c.type == 'D') {
            if (t.empty()) sqlite3_bind_null(s, i + 1);
            else sqlite3_bind_text(s, i + 1, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
        } else if (c.decimals == 0) sqlite3_bind_int64(s, i + 1, u);
        else sqlite3_bind_double(s, i + 1, static_cast<double>(u) / pow10(c.decimals));
    }
    st_.step();
    sqlite3_reset(s);
}

}  // namespace bench
