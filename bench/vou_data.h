// Synthetic voucher lines for the benchmarks: a deterministic generator of
// rows shaped like the voucher-line table, the table's seven orders, and the
// small files (summary, seek keys) that both benchmark programs read so that
// the store and SQLite work on the same data.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// ---- the record layout

enum FieldId {
    MESV, T, VOU, FECHA, CUENTA, DEBE, HABER, MONEDA, TC, GLOSA, ECAR, FE, MPAGO, RUT, DOC, NUMERO,
    FECHAD, FECHAV, MESC, TL, NETO, NETO2, NETO3, NETO4, NETO5, NETO6, NETO7, NETO8, NETO9, IGV,
    RTDOC, RNUMERO, RFECHA, RMONTO, RIGV, RDOC, RCODDES, RNUMDES, RCODTASA, RINDRET, CC, PRE,
    kFieldCount
};

struct Column {
    const char* name;
    char type;  // 'C', 'N' or 'D'
    int length;
    int decimals;
};

extern const std::array<Column, kFieldCount> kColumns;

// One line. Text and date fields live in `text` (texts without trailing
// blanks, dates as YYYYMMDD or empty); numbers in `units`, counted in
// 10^-decimals of their field (cents for amounts).
struct Row {
    std::array<std::string, kFieldCount> text;
    std::array<std::int64_t, kFieldCount> units{};
    void clear();
};

// ---- the seven orders of the table

struct OrderDef {
    const char* file;      // index file base name, in the table's folder
    const char* key;       // key expression
    const char* forExpr;   // FOR condition, empty for all lines
    const char* sqlCols;   // the same order as an SQL column list
    const char* sqlWhere;  // the same condition for a partial SQL index, empty for all rows
};

extern const std::array<OrderDef, 7> kOrders;

// ---- the generator

// Produces the lines in the order they would have been entered: month by
// month from "00" to "13", vouchers of 2 to 8 lines from six origins, each
// voucher numbered by its month and origin. `rows` fixes how the lines are
// spread over the months; lines asked for beyond it (the append batches of
// the benchmarks) go to month "12" and continue its numbering.
class Generator {
public:
    static constexpr std::uint64_t kSeed = 20120101;

    explicit Generator(std::uint64_t rows, std::uint64_t seed = kSeed);
    ~Generator();
    Generator(const Generator&) = delete;
    Generator& operator=(const Generator&) = delete;

    void next(Row& out);
    std::uint64_t produced() const;

private:
    struct Impl;
    Impl* impl_;
};

// ---- what both sides check their results against

struct Summary {
    std::uint64_t rows = 0;
    std::int64_t sumDebe = 0;  // cents
    std::int64_t sumHaber = 0;
    std::array<std::int64_t, 14> monthDebe{};  // cents per month code "00".."13"
    std::array<std::uint64_t, 14> monthRows{};
    std::uint64_t withRut = 0;      // rut # SPACE(11)
    std::uint64_t withDoc = 0;      // doc # SPACE(2)
    std::uint64_t openWithRut = 0;  // rut # SPACE(11) .AND. mesc = "  "
    std::uint64_t withMesc = 0;
    std::uint64_t vouchers = 0;
    std::uint64_t accounts = 0;  // distinct CUENTA values

    void add(const Row& r);
    void write(const std::string& path) const;
    static Summary read(const std::string& path);
};

// Keys for the seek benchmarks, drawn with a fixed seed from the data:
// voucher keys (mesv + t + str(vou,4), 8 characters) and account prefixes.
struct SeekKeys {
    std::vector<std::string> vouchers;
    std::vector<std::string> accountPrefixes;
    // n keys of each kind from the table's voucher keys and account codes.
    static SeekKeys draw(const std::vector<std::string>& voucherKeys, const std::vector<std::string>& accounts,
                         std::size_t n);
    void write(const std::string& dir) const;
    static SeekKeys read(const std::string& dir);
};

// The month code scanned by the month-scan benchmarks.
inline constexpr const char* kScanMonth = "06";
// Lines appended by each append benchmark.
inline constexpr int kAppendRows = 10000;

// File names inside the data folder.
inline constexpr const char* kTableName = "zdr_vou";
inline constexpr const char* kSummaryFile = "summary.txt";
inline constexpr const char* kSqliteFile = "vou.sqlite";

std::string envOr(const char* name, const std::string& fallback);
double nowSeconds();
// CPU time of the whole process, user and system, in seconds.
double cpuSeconds();

}  // namespace bench
