// The store benchmarks' operations on SQLite, over the same rows loaded by
// qrx_bench_gen --sqlite: CREATE INDEX for the seven orders (column lists,
// partial indexes for the FOR orders), SELECT SUM(debe), random seeks through
// prepared statements, a month scan in the order of v2, and inserts of
// 10,000 rows with the seven indexes. SQLite runs with its default settings
// (rollback journal, synchronous=FULL), except where a name says otherwise.
#include <benchmark/benchmark.h>

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/sqlite_schema.h"
#include "bench/registration.h"
#include "bench/vou_data.h"

using namespace bench;

namespace {

std::string g_dir;
std::string g_db;
Summary g_sum;
SeekKeys g_keys;

void fail(benchmark::State& st, const std::string& why) { st.SkipWithError(why.c_str()); }

std::int64_t count(SqliteDb& db) {
    Stmt q(db, "SELECT count(*) FROM vou");
    q.step();
    return sqlite3_column_int64(q.get(), 0);
}

// A DEBE total read back as a double must agree with the exact one to the cent.
bool sameCents(double total, std::int64_t cents) { return std::fabs(total * 100.0 - static_cast<double>(cents)) < 1.0; }

// ---------------------------------------------------------------- 1. index builds

void indexBuild(benchmark::State& st, std::size_t i) {
    for (auto _ : st) {
        SqliteDb db(g_db);
        db.exec(std::string("DROP INDEX IF EXISTS ") + kOrders[i].file);
        double t0 = nowSeconds(), c0 = cpuSeconds();
        db.exec(createIndexSql(i));
        double t1 = nowSeconds(), c1 = cpuSeconds();
        st.SetIterationTime(t1 - t0);
        st.counters["cpu_ms"] = (c1 - c0) * 1e3;
    }
    st.counters["rows"] = static_cast<double>(g_sum.rows);
}

void indexBuildAll(benchmark::State& st) {
    for (auto _ : st) {
        SqliteDb db(g_db);
        for (const OrderDef& o : kOrders) db.exec(std::string("DROP INDEX IF EXISTS ") + o.file);
        double t0 = nowSeconds(), c0 = cpuSeconds();
        for (std::size_t i = 0; i < kOrders.size(); ++i) db.exec(createIndexSql(i));
        double t1 = nowSeconds(), c1 = cpuSeconds();
        st.SetIterationTime(t1 - t0);
        st.counters["cpu_ms"] = (c1 - c0) * 1e3;
    }
    st.counters["rows"] = static_cast<double>(g_sum.rows);
}

// ---------------------------------------------------------------- 2. full scans

void fullScanSum(benchmark::State& st) {
    SqliteDb db(g_db);
    Stmt q(db, "SELECT SUM(debe) FROM vou");
    double sum = 0;
    for (auto _ : st) {
        q.step();
        sum = sqlite3_column_double(q.get(), 0);
        q.reset();
    }
    if (!sameCents(sum, g_sum.sumDebe)) fail(st, "wrong DEBE total " + std::to_string(sum));
    st.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(g_sum.rows), benchmark::Counter::kIsIterationInvariantRate);
}

// Every row handed to the program, which adds DEBE up: the counterpart of a skip loop.
void fullScanStep(benchmark::State& st) {
    SqliteDb db(g_db);
    Stmt q(db, "SELECT debe FROM vou");
    double sum = 0;
    for (auto _ : st) {
        sum = 0;
        while (q.step()) sum += sqlite3_column_double(q.get(), 0);
        q.reset();
    }
    if (!sameCents(sum, g_sum.sumDebe)) fail(st, "wrong DEBE total " + std::to_string(sum));
    st.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(g_sum.rows), benchmark::Counter::kIsIterationInvariantRate);
}

// ---------------------------------------------------------------- 3. seeks

void seekVoucher(benchmark::State& st) {
    SqliteDb db(g_db);
    Stmt q(db, "SELECT debe FROM vou WHERE mesv = ?1 AND t = ?2 AND vou = ?3 ORDER BY mesv, t, vou LIMIT 1");
    struct Key {
        std::string mesv, t;
        int vou;
    };
    std::vector<Key> keys;
    for (const std::string& k : g_keys.vouchers) keys.push_back({k.substr(0, 2), k.substr(2, 2), std::stoi(k.substr(4))});
    std::size_t found = 0;
    double sum = 0;
    for (auto _ : st) {
        found = 0;
        for (const Key& k : keys) {
            sqlite3_bind_text(q.get(), 1, k.mesv.data(), 2, SQLITE_STATIC);
            sqlite3_bind_text(q.get(), 2, k.t.data(), 2, SQLITE_STATIC);
            sqlite3_bind_int(q.get(), 3, k.vou);
            if (q.step()) {
                ++found;
                sum += sqlite3_column_double(q.get(), 0);
            }
            sqlite3_reset(q.get());
        }
    }
    benchmark::DoNotOptimize(sum);
    if (found != keys.size()) fail(st, "only " + std::to_string(found) + " of the keys were found");
    st.counters["seeks_per_s"] =
        benchmark::Counter(static_cast<double>(keys.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void seekAccountPrefix(benchmark::State& st) {
    SqliteDb db(g_db);
    Stmt q(db, "SELECT debe FROM vou WHERE cuenta >= ?1 AND cuenta < ?2 ORDER BY cuenta LIMIT 1");
    std::vector<std::pair<std::string, std::string>> keys;
    for (const std::string& p : g_keys.accountPrefixes) {
        std::string hi = p;
        ++hi.back();  // the first text after every text that starts with p
        keys.emplace_back(p, hi);
    }
    std::size_t found = 0;
    double sum = 0;
    for (auto _ : st) {
        found = 0;
        for (const auto& k : keys) {
            sqlite3_bind_text(q.get(), 1, k.first.data(), static_cast<int>(k.first.size()), SQLITE_STATIC);
            sqlite3_bind_text(q.get(), 2, k.second.data(), static_cast<int>(k.second.size()), SQLITE_STATIC);
            if (q.step()) {
                ++found;
                sum += sqlite3_column_double(q.get(), 0);
            }
            sqlite3_reset(q.get());
        }
    }
    benchmark::DoNotOptimize(sum);
    if (found != keys.size()) fail(st, "only " + std::to_string(found) + " of the keys were found");
    st.counters["seeks_per_s"] =
        benchmark::Counter(static_cast<double>(keys.size()), benchmark::Counter::kIsIterationInvariantRate);
}

// ---------------------------------------------------------------- 4. month scan

void monthScan(benchmark::State& st, bool step) {
    SqliteDb db(g_db);
    Stmt q(db, step ? "SELECT debe FROM vou INDEXED BY v2 WHERE mesv = ?1 ORDER BY mesv, cuenta, t, vou"
                    : "SELECT SUM(debe), count(*) FROM vou WHERE mesv = ?1");
    const std::string month = kScanMonth;
    double sum = 0;
    std::uint64_t n = 0;
    for (auto _ : st) {
        sum = 0;
        n = 0;
        sqlite3_bind_text(q.get(), 1, month.data(), 2, SQLITE_STATIC);
        if (step) {
            for (; q.step(); ++n) sum += sqlite3_column_double(q.get(), 0);
        } else {
            q.step();
            sum = sqlite3_column_double(q.get(), 0);
            n = static_cast<std::uint64_t>(sqlite3_column_int64(q.get(), 1));
        }
        sqlite3_reset(q.get());
    }
    std::size_t m = static_cast<std::size_t>(std::stoi(month));
    if (!sameCents(sum, g_sum.monthDebe[m]) || n != g_sum.monthRows[m])
        fail(st, "month " + month + ": " + std::to_string(n) + " rows, DEBE " + std::to_string(sum));
    st.counters["lines"] = static_cast<double>(n);
    st.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
}

// ---------------------------------------------------------------- 5. inserts with the seven indexes

// Every run inserts the same 10,000 rows, the ones the generator makes after
// the table's rows (each repetition adds them once more).

enum class Txn { One, PerRow, PerRowSyncOff };

void inserts(benchmark::State& st, Txn txn) {
    for (auto _ : st) {
        SqliteDb db(g_db);
        if (txn == Txn::PerRowSyncOff) db.exec("PRAGMA synchronous = OFF");
        std::int64_t before = count(db);
        // the lines that the store appends: those generated after the table's rows
        Generator gen(g_sum.rows);
        Row r;
        for (std::uint64_t i = 0; i < g_sum.rows; ++i) gen.next(r);
        std::vector<Row> batch(kAppendRows);
        for (Row& b : batch) gen.next(b);
        RowInserter ins(db);
        // Synchronous commits wait for the disk; on a slow disk the run stops
        // after QRX_BENCH_SYNC_LIMIT seconds and the rate is that of the rows done.
        const double limit = std::stod(envOr("QRX_BENCH_SYNC_LIMIT", "300"));
        std::int64_t done = 0;
        double t0 = nowSeconds(), c0 = cpuSeconds();
        if (txn == Txn::One) db.exec("BEGIN");
        for (const Row& b : batch) {
            ins.insert(b);
            ++done;
            if (txn == Txn::PerRow && done % 10 == 0 && nowSeconds() - t0 > limit) break;
        }
        if (txn == Txn::One) db.exec("COMMIT");
        double t1 = nowSeconds(), c1 = cpuSeconds();
        st.SetIterationTime(t1 - t0);
        st.counters["cpu_ms"] = (c1 - c0) * 1e3;
        if (count(db) != before + done) fail(st, "row count did not grow by the rows inserted");
        st.counters["lines_per_s"] = static_cast<double>(done) / (t1 - t0);
        st.counters["lines"] = static_cast<double>(done);
    }
}

void explain(SqliteDb& db, const std::string& sql) {
    Stmt q(db, "EXPLAIN QUERY PLAN " + sql);
    std::printf("PLAN %s\n", sql.c_str());
    while (q.step()) std::printf("PLAN   %s\n", reinterpret_cast<const char*>(sqlite3_column_text(q.get(), 3)));
}

}  // namespace

using bench::add;
using bench::g_reps;

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    g_reps = std::max(1, std::stoi(envOr("QRX_BENCH_REPS", "3")));
    g_dir = envOr("QRX_BENCH_DIR", "");
    if (g_dir.empty()) {
        std::fprintf(stderr, "QRX_BENCH_DIR must name the folder made by qrx_bench_gen --sqlite\n");
        return 2;
    }
    g_db = g_dir + "/" + kSqliteFile;
    try {
        g_sum = Summary::read(g_dir + "/" + kSummaryFile);
        g_keys = SeekKeys::read(g_dir);
        SqliteDb db(g_db);
        if (count(db) != static_cast<std::int64_t>(g_sum.rows)) {
            std::fprintf(stderr, "%s does not hold the %llu generated rows\n", g_db.c_str(),
                         static_cast<unsigned long long>(g_sum.rows));
            return 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }

    for (std::size_t i = 0; i < kOrders.size(); ++i)
        add(std::string("index_build/") + kOrders[i].file, [i](benchmark::State& st) { indexBuild(st, i); }, true);
    add("index_build/all7", indexBuildAll, true);
    add("full_scan/sum", fullScanSum);
    add("full_scan/step", fullScanStep);
    add("seek_v1", seekVoucher);
    add("seek_v3", seekAccountPrefix);
    add("month_scan_v2/step", [](benchmark::State& st) { monthScan(st, true); });
    add("month_scan/sum", [](benchmark::State& st) { monthScan(st, false); });
    add("insert/one_transaction", [](benchmark::State& st) { inserts(st, Txn::One); }, true);
    // one repetition: ten thousand synchronous commits take long enough
    add("insert/per_row_transaction", [](benchmark::State& st) { inserts(st, Txn::PerRow); }, true, 1);
    add("insert/per_row_transaction_sync_off", [](benchmark::State& st) { inserts(st, Txn::PerRowSyncOff); }, true);

    try {
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        SqliteDb db(g_db);
        explain(db, "SELECT SUM(debe) FROM vou");
        explain(db, "SELECT debe FROM vou WHERE mesv = ?1 AND t = ?2 AND vou = ?3 ORDER BY mesv, t, vou LIMIT 1");
        explain(db, "SELECT debe FROM vou WHERE cuenta >= ?1 AND cuenta < ?2 ORDER BY cuenta LIMIT 1");
        explain(db, "SELECT debe FROM vou INDEXED BY v2 WHERE mesv = ?1 ORDER BY mesv, cuenta, t, vou");
        explain(db, "SELECT SUM(debe), count(*) FROM vou WHERE mesv = ?1");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qrx_bench_sqlite: %s\n", e.what());
        return 1;
    }
    return 0;
}
