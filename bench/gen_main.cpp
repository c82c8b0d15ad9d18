// Writes the benchmark data into a folder: the voucher-line table (through the
// store's table file layer), its summary and seek keys, and, with --sqlite,
// the same rows loaded into an SQLite database without indexes.
//
//   qrx_bench_gen DIR ROWS [--sqlite]
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "bench/sqlite_schema.h"
#include "bench/vou_data.h"
#include "store/dbf.h"
#include "store/decimal.h"
#include "store/store.h"

using namespace bench;

namespace {

std::vector<store::FieldDef> fieldDefs() {
    std::vector<store::FieldDef> defs;
    for (const Column& c : kColumns)
        defs.push_back({c.name, static_cast<store::Type>(c.type), c.length, c.decimals});
    return defs;
}

// Fills a record buffer (starting as the blank record) from a generated row.
void encode(const std::vector<store::FieldInfo>& fields, const Row& r, char* rec, const std::string& where) {
    for (int i = 0; i < kFieldCount; ++i) {
        const store::FieldInfo& f = fields[static_cast<std::size_t>(i)];
        switch (kColumns[static_cast<std::size_t>(i)].type) {
            case 'C': store::fieldcodec::writeText(f, rec, r.text[static_cast<std::size_t>(i)]); break;
            case 'D': {
                const std::string& d = r.text[static_cast<std::size_t>(i)];
                if (d.size() == 8) std::memcpy(rec + f.offset, d.data(), 8);
                break;
            }
            default:
                store::fieldcodec::writeNum(f, rec,
                                            store::Decimal::fromUnits(r.units[static_cast<std::size_t>(i)], f.decimals),
                                            where);
        }
    }
}

std::string voucherKey(const Row& r) {
    char b[16];
    std::snprintf(b, sizeof b, "%s%s%4lld", r.text[MESV].c_str(), r.text[T].c_str(),
                  static_cast<long long>(r.units[VOU]));
    return b;
}

void writeTable(const std::string& dir, std::uint64_t rows) {
    namespace fs = std::filesystem;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::string ext = e.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".ntx" || ext == ".tmp") fs::remove(e.path());
    }
    std::string path = dir + "/" + kTableName + ".dbf";
    double t0 = nowSeconds();
    store::Store::createTable(path, fieldDefs());
    Summary sum;
    std::vector<std::string> voucherKeys;
    std::set<std::string> accounts;
    {
        store::DbfFile dbf(path, store::OpenMode::Exclusive);
        std::vector<char> rec(dbf.recordLength());
        Generator gen(rows);
        Row r;
        std::string lastKey;
        for (std::uint64_t i = 0; i < rows; ++i) {
            gen.next(r);
            std::memcpy(rec.data(), dbf.blankRecord().data(), rec.size());
            encode(dbf.fields(), r, rec.data(), path);
            if (dbf.append(rec.data()) == 0) throw std::runtime_error("append refused on " + path);
            sum.add(r);
            std::string k = voucherKey(r);
            if (k != lastKey) {
                voucherKeys.push_back(k);
                lastKey = k;
            }
            accounts.insert(r.text[CUENTA]);
        }
    }
    double t1 = nowSeconds();
    sum.vouchers = voucherKeys.size();
    sum.accounts = accounts.size();
    sum.write(dir + "/" + kSummaryFile);
    SeekKeys::draw(voucherKeys, std::vector<std::string>(accounts.begin(), accounts.end()), 10000).write(dir);

    // Read back through a work area: the count and the debit total must agree.
    store::Store s;
    store::WorkArea* a = s.use(path, "vou", false);
    store::Field debe = a->field("DEBE");
    store::Decimal total;
    a->forEach([&] { total += a->num(debe); });
    if (a->recCount() != rows || total != store::Decimal::fromUnits(sum.sumDebe, 2))
        throw std::runtime_error("table read back does not match what was written: " + path);

    std::uintmax_t bytes = fs::file_size(path);
    std::printf("generated %llu lines (%llu vouchers, %llu accounts) into %s: %.1f MB in %.2f s\n",
                static_cast<unsigned long long>(rows), static_cast<unsigned long long>(sum.vouchers),
                static_cast<unsigned long long>(sum.accounts), path.c_str(), static_cast<double>(bytes) / 1e6, t1 - t0);
    std::printf("  lines with RUT %.1f%%, with DOC %.1f%%, with MESC %.1f%%, open with RUT %.1f%%\n",
                100.0 * static_cast<double>(sum.withRut) / static_cast<double>(rows),
                100.0 * static_cast<double>(sum.withDoc) / static_cast<double>(rows),
                100.0 * static_cast<double>(sum.withMesc) / static_cast<double>(rows),
                100.0 * static_cast<double>(sum.openWithRut) / static_cast<double>(rows));
    std::printf("GEN table_seconds %.3f\n", t1 - t0);
}

void writeSqlite(const std::string& dir, std::uint64_t rows) {
    std::string path = dir + "/" + kSqliteFile;
    std::filesystem::remove(path);
    std::filesystem::remove(path + "-journal");
    double t0 = nowSeconds();
    SqliteDb db(path);
    db.exec(kCreateTableSql);
    db.exec("BEGIN");
    {
        RowInserter ins(db);
        Generator gen(rows);
        Row r;
        for (std::uint64_t i = 0; i < rows; ++i) {
            gen.next(r);
            ins.insert(r);
        }
    }
    db.exec("COMMIT");
    double t1 = nowSeconds();
    std::printf("loaded %llu rows into %s in %.2f s (not a measured operation)\n",
                static_cast<unsigned long long>(rows), path.c_str(), t1 - t0);
    std::printf("GEN sqlite_load_seconds %.3f\n", t1 - t0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIR ROWS [--sqlite]\n", argv[0]);
        return 2;
    }
    try {
        std::string dir = argv[1];
        std::uint64_t rows = std::stoull(argv[2]);
        std::filesystem::create_directories(dir);
        writeTable(dir, rows);
        if (argc > 3 && std::strcmp(argv[3], "--sqlite") == 0) writeSqlite(dir, rows);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qrx_bench_gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
