// Benchmarks of the table store on the generated voucher-line table (see
// qrx_bench_gen): building the seven orders, full scans, random seeks, a month
// scan in account order and appends that maintain the seven orders. The data
// folder comes from QRX_BENCH_DIR. The benchmarks run in the order registered:
// the builds make the index files that the later ones use, and the appends,
// which grow the table, come last. After them every order is checked against
// the table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/registration.h"
#include "bench/vou_data.h"
#include "store/store.h"

using namespace bench;
using store::Decimal;
using store::Value;
using store::WorkArea;

namespace {

std::string g_dir;
std::string g_table;
Summary g_sum;
SeekKeys g_keys;

std::string indexPath(const OrderDef& o) { return g_dir + "/" + o.file + ".ntx"; }

// Opens the table as the program does: the seven orders attached, v1 controlling.
WorkArea* openVou(store::Store& s, bool shared) {
    WorkArea* a = s.use(g_table, "vou", shared);
    if (!a) throw std::runtime_error("cannot open " + g_table + ": " + s.netErrMessage());
    for (const OrderDef& o : kOrders) a->attachIndex(indexPath(o));
    a->setOrder(1);
    return a;
}

const char* modeName(bool shared) { return shared ? "shared" : "exclusive"; }

void fail(benchmark::State& st, const std::string& why) { st.SkipWithError(why.c_str()); }

// ---------------------------------------------------------------- 1. index builds

void indexBuild(benchmark::State& st, std::size_t i) {
    const OrderDef& o = kOrders[i];
    for (auto _ : st) {
        store::Store s;
        WorkArea* a = s.use(g_table, "vou", false);
        double t0 = nowSeconds(), c0 = cpuSeconds();
        a->createIndex(indexPath(o), o.key, o.forExpr);
        double t1 = nowSeconds(), c1 = cpuSeconds();
        st.SetIterationTime(t1 - t0);
        st.counters["cpu_ms"] = (c1 - c0) * 1e3;
    }
    st.counters["rows"] = static_cast<double>(g_sum.rows);
}

// The seven in one work area, one after the other, as file maintenance rebuilds them.
void indexBuildAll(benchmark::State& st) {
    for (auto _ : st) {
        store::Store s;
        WorkArea* a = s.use(g_table, "vou", false);
        double t0 = nowSeconds(), c0 = cpuSeconds();
        for (const OrderDef& o : kOrders) a->createIndex(indexPath(o), o.key, o.forExpr);
        double t1 = nowSeconds(), c1 = cpuSeconds();
        st.SetIterationTime(t1 - t0);
        st.counters["cpu_ms"] = (c1 - c0) * 1e3;
    }
    st.counters["rows"] = static_cast<double>(g_sum.rows);
}

// ---------------------------------------------------------------- 2. full scans

void fullScan(benchmark::State& st, bool shared, bool useForEach) {
    store::Store s;
    WorkArea* a = openVou(s, shared);
    a->setOrder(0);
    store::Field debe = a->field("DEBE");
    Decimal sum;
    for (auto _ : st) {
        sum = Decimal();
        if (useForEach) {
            a->forEach([&] { sum += a->num(debe); });
        } else {
            for (a->goTop(); !a->eof(); a->skip()) sum += a->num(debe);
        }
        benchmark::DoNotOptimize(sum);
    }
    if (sum != Decimal::fromUnits(g_sum.sumDebe, 2)) fail(st, "wrong DEBE total " + sum.toString());
    st.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(g_sum.rows), benchmark::Counter::kIsIterationInvariantRate);
}

// ---------------------------------------------------------------- 3. seeks

void seeks(benchmark::State& st, bool shared, const char* order, const std::vector<std::string>& keys) {
    store::Store s;
    WorkArea* a = openVou(s, shared);
    a->setOrder(order);
    store::Field debe = a->field("DEBE");
    std::vector<Value> values(keys.begin(), keys.end());
    std::size_t found = 0;
    Decimal sum;
    for (auto _ : st) {
        found = 0;
        for (const Value& k : values) {
            if (a->seek(k, false)) {
                ++found;
                sum += a->num(debe);
            }
        }
    }
    benchmark::DoNotOptimize(sum);
    if (found != keys.size()) fail(st, "only " + std::to_string(found) + " of the keys were found");
    st.counters["seeks_per_s"] =
        benchmark::Counter(static_cast<double>(keys.size()), benchmark::Counter::kIsIterationInvariantRate);
}

// ---------------------------------------------------------------- 4. month scan in order v2

void monthScan(benchmark::State& st, bool shared, bool scoped) {
    store::Store s;
    WorkArea* a = openVou(s, shared);
    a->setOrder("v2");
    store::Field debe = a->field("DEBE");
    store::Field mesv = a->field("MESV");
    const std::string month = kScanMonth;
    Decimal sum;
    std::uint64_t n = 0;
    for (auto _ : st) {
        sum = Decimal();
        n = 0;
        if (scoped) {
            a->setScopeTop(Value(month));
            a->setScopeBottom(Value(month));
            a->forEach([&] {
                sum += a->num(debe);
                ++n;
            });
            a->clearScopes();
        } else {
            a->seek(Value(month), false);
            for (; !a->eof() && a->text(mesv) == month; a->skip()) {
                sum += a->num(debe);
                ++n;
            }
        }
    }
    std::size_t m = static_cast<std::size_t>(std::stoi(month));
    if (sum != Decimal::fromUnits(g_sum.monthDebe[m], 2) || n != g_sum.monthRows[m])
        fail(st, "month " + month + ": " + std::to_string(n) + " lines, DEBE " + sum.toString());
    st.counters["lines"] = static_cast<double>(n);
    st.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
}

// ---------------------------------------------------------------- 5. appends with the seven orders

// The kAppendRows lines that the generator makes after the table's lines, as
// field values. Every run appends these same lines (each repetition once more),
// and so does the SQLite side.
std::vector<std::vector<Value>> appendBatch() {
    Generator gen(g_sum.rows);
    Row r;
    for (std::uint64_t i = 0; i < g_sum.rows; ++i) gen.next(r);
    std::vector<std::vector<Value>> batch;
    for (int n = 0; n < kAppendRows; ++n) {
        gen.next(r);
        std::vector<Value> v;
        for (int i = 0; i < kFieldCount; ++i) {
            const Column& c = kColumns[static_cast<std::size_t>(i)];
            const std::string& t = r.text[static_cast<std::size_t>(i)];
            if (c.type == 'C') v.emplace_back(t);
            else if (c.type == 'D') v.emplace_back(t.empty() ? store::Date() : store::Date::fromDtos(t).value());
            else v.emplace_back(Decimal::fromUnits(r.units[static_cast<std::size_t>(i)], c.decimals));
        }
        batch.push_back(std::move(v));
    }
    return batch;
}

void appends(benchmark::State& st, bool shared) {
    for (auto _ : st) {
        store::Store s;
        WorkArea* a = openVou(s, shared);
        std::uint32_t before = a->recCount();
        auto batch = appendBatch();
        std::vector<store::Field> fields;
        for (const Column& c : kColumns) fields.push_back(a->field(c.name));
        double t0 = nowSeconds(), c0 = cpuSeconds();
        for (const auto& row : batch) {
            if (shared) {
                if (!store::ADD_REC(s, 5)) throw std::runtime_error("ADD_REC failed");
            } else {
                a->appendBlank();
            }
            for (std::size_t i = 0; i < fields.size(); ++i) a->put(fields[i], row[i]);
            if (shared) a->unlock();
        }
        a->unlock();  // writes the last line in exclusive use
        double t1 = nowSeconds(), c1 = cpuSeconds();
        st.SetIterationTime(t1 - t0);
        st.counters["cpu_ms"] = (c1 - c0) * 1e3;
        if (a->recCount() != before + batch.size()) fail(st, "record count did not grow by the batch");
        st.counters["lines_per_s"] = static_cast<double>(batch.size()) / (t1 - t0);
    }
    st.counters["lines"] = kAppendRows;
}

// Every order must hold exactly the keys of the table after the appends.
int checkOrders() {
    store::Store s;
    WorkArea* a = openVou(s, false);
    int bad = 0;
    for (int i = 1; i <= a->orderCount(); ++i) {
        double t0 = nowSeconds();
        a->setOrder(i);
        std::string why = a->checkOrder(i);
        std::printf("CHECK %s %s (%.1f s)\n", a->orderName(i).c_str(), why.empty() ? "ok" : why.c_str(),
                    nowSeconds() - t0);
        bad += !why.empty();
    }
    return bad;
}

}  // namespace

using bench::add;
using bench::g_reps;

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    g_reps = std::max(1, std::stoi(envOr("QRX_BENCH_REPS", "3")));
    g_dir = envOr("QRX_BENCH_DIR", "");
    if (g_dir.empty()) {
        std::fprintf(stderr, "QRX_BENCH_DIR must name the folder made by qrx_bench_gen\n");
        return 2;
    }
    g_table = g_dir + "/" + kTableName + ".dbf";
    try {
        g_sum = Summary::read(g_dir + "/" + kSummaryFile);
        g_keys = SeekKeys::read(g_dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }

    for (std::size_t i = 0; i < kOrders.size(); ++i)
        add(std::string("index_build/") + kOrders[i].file, [i](benchmark::State& st) { indexBuild(st, i); }, true);
    add("index_build/all7", indexBuildAll, true);
    for (bool shared : {false, true}) {
        add(std::string("full_scan/forEach/") + modeName(shared),
            [shared](benchmark::State& st) { fullScan(st, shared, true); });
        add(std::string("full_scan/skip/") + modeName(shared),
            [shared](benchmark::State& st) { fullScan(st, shared, false); });
    }
    for (bool shared : {false, true}) {
        add(std::string("seek_v1/") + modeName(shared),
            [shared](benchmark::State& st) { seeks(st, shared, "v1", g_keys.vouchers); });
        add(std::string("seek_v3/") + modeName(shared),
            [shared](benchmark::State& st) { seeks(st, shared, "v3", g_keys.accountPrefixes); });
    }
    for (bool shared : {false, true}) {
        add(std::string("month_scan_v2/scope/") + modeName(shared),
            [shared](benchmark::State& st) { monthScan(st, shared, true); });
        add(std::string("month_scan_v2/seek_skip/") + modeName(shared),
            [shared](benchmark::State& st) { monthScan(st, shared, false); });
    }
    for (bool shared : {true, false})
        add(std::string("append/") + modeName(shared), [shared](benchmark::State& st) { appends(st, shared); }, true);

    try {
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        if (envOr("QRX_BENCH_CHECK", "1") != "0" && checkOrders() != 0) return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qrx_bench_store: %s\n", e.what());
        return 1;
    }
    return 0;
}
