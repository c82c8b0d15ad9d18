#include "bench/vou_data.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace bench {

const std::array<Column, kFieldCount> kColumns = {{
    {"MESV", 'C', 2, 0},     {"T", 'C', 2, 0},        {"VOU", 'N', 4, 0},      {"FECHA", 'D', 8, 0},
    {"CUENTA", 'C', 10, 0},  {"DEBE", 'N', 17, 2},    {"HABER", 'N', 17, 2},   {"MONEDA", 'C', 1, 0},
    {"TC", 'N', 10, 5},      {"GLOSA", 'C', 30, 0},   {"ECAR", 'C', 1, 0},     {"FE", 'C', 4, 0},
    {"MPAGO", 'C', 3, 0},    {"RUT", 'C', 11, 0},     {"DOC", 'C', 2, 0},      {"NUMERO", 'C', 20, 0},
    {"FECHAD", 'D', 8, 0},   {"FECHAV", 'D', 8, 0},   {"MESC", 'C', 2, 0},     {"TL", 'C', 1, 0},
    {"NETO", 'N', 17, 2},    {"NETO2", 'N', 17, 2},   {"NETO3", 'N', 17, 2},   {"NETO4", 'N', 17, 2},
    {"NETO5", 'N', 17, 2},   {"NETO6", 'N', 17, 2},   {"NETO7", 'N', 17, 2},   {"NETO8", 'N', 17, 2},
    {"NETO9", 'N', 17, 2},   {"IGV", 'N', 17, 2},     {"RTDOC", 'C', 2, 0},    {"RNUMERO", 'C', 20, 0},
    {"RFECHA", 'D', 8, 0},   {"RMONTO", 'N', 17, 2},  {"RIGV", 'N', 17, 2},    {"RDOC", 'C', 1, 0},
    {"RCODDES", 'C', 1, 0},  {"RNUMDES", 'C', 1, 0},  {"RCODTASA", 'C', 5, 0}, {"RINDRET", 'C', 1, 0},
    {"CC", 'C', 4, 0},       {"PRE", 'C', 10, 0},
}};

const std::array<OrderDef, 7> kOrders = {{
    {"v1", "mesv+t+str(vou,4)", "", "mesv, t, vou", ""},
    {"v2", "mesv+cuenta+t+str(vou,4)", "", "mesv, cuenta, t, vou", ""},
    {"v3", "cuenta", "", "cuenta", ""},
    {"v4", "rut+dtos(fechad)", "rut # SPACE(11)", "rut, fechad", "rut <> ''"},
    {"v5", "cuenta+doc+numero", "doc # SPACE(2)", "cuenta, doc, numero", "doc <> ''"},
    {"v6", "cuenta+rut+doc+numero", "RUT # SPACE(11)", "cuenta, rut, doc, numero", "rut <> ''"},
    {"v11", "cuenta+rut+doc+numero", "RUT # SPACE(11)  .AND. mesc=\"  \"", "cuenta, rut, doc, numero",
     "rut <> '' AND mesc = ''"},
}};

void Row::clear() {
    for (auto& s : text) s.clear();
    units.fill(0);
}

std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

double nowSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// ================================================================ generator

namespace {

// xoshiro256** seeded through splitmix64: the same stream on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed) {
        for (auto& w : s_) {
            seed += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            w = z ^ (z >> 31);
        }
    }
    std::uint64_t next() {
        const std::uint64_t r = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return r;
    }
    // 0 .. n-1
    std::uint64_t below(std::uint64_t n) { return n ? next() % n : 0; }
    int range(int lo, int hi) { return lo + static_cast<int>(below(static_cast<std::uint64_t>(hi - lo + 1))); }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return uniform() < p; }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t s_[4];
};

// Civil dates <-> day numbers (days since 1970-01-01).
int daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string dtos(int days) {
    int z = days + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int y = yoe + era * 400;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    y += m <= 2;
    char b[40];
    std::snprintf(b, sizeof b, "%04d%02d%02d", y, m, d);
    return b;
}

std::string two(int n) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d", n);
    return b;
}

enum class Kind { Bank, Receivable, DocOther, Payable, Tax, Expense, Income, Destination, Other };

struct Account {
    std::string code;
    Kind kind;
};

struct Doc {
    const Account* account = nullptr;
    std::string rut, doc, numero, mesc;
    int fechad = 0, fechav = 0;
    std::int64_t total = 0;
};

constexpr int kYear = 2012;
constexpr int kOrigins = 6;
// Share of the lines per month code "00".."13".
constexpr double kMonthWeight[14] = {1, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 3};
// Share of the vouchers per origin: purchases, sales, receipts, payments, journal, bank.
constexpr double kOriginWeight[kOrigins] = {25, 20, 12, 13, 20, 10};
const char* const kOriginCode[kOrigins] = {"01", "02", "03", "04", "05", "06"};

}  // namespace

struct Generator::Impl {
    Rng rng;
    std::uint64_t rows;
    std::uint64_t produced = 0;
    std::vector<std::uint64_t> monthEnd;  // lines before the end of each month code
    std::vector<Account> chart;
    std::vector<const Account*> bank, receivable, docOther, payable, expense, income, destination, other, journal;
    const Account* igv = nullptr;
    std::vector<std::string> ruts;
    int counter[14][kOrigins] = {};
    int seriesCounter[8] = {};
    std::vector<Doc> salesDocs, purchaseDocs;
    std::size_t salesNext = 0, purchaseNext = 0;
    std::vector<Row> pending;
    std::size_t pendingAt = 0;

    Impl(std::uint64_t rows_, std::uint64_t seed) : rng(seed), rows(rows_) {
        double total = 0;
        for (double w : kMonthWeight) total += w;
        double acc = 0;
        for (double w : kMonthWeight) {
            acc += w;
            monthEnd.push_back(static_cast<std::uint64_t>(static_cast<double>(rows) * acc / total));
        }
        monthEnd.back() = rows;
        buildChart();
        for (int i = 0; i < 5000; ++i) {
            std::string r = rng.chance(0.7) ? "20" : "10";
            for (int d = 0; d < 9; ++d) r += static_cast<char>('0' + rng.below(10));
            ruts.push_back(r);
        }
    }

    void buildChart() {
        struct Class {
            const char* code;
            Kind kind;
            int count;
        };
        static const Class classes[] = {
            {"10", Kind::Bank, 10},        {"12", Kind::Receivable, 6},  {"13", Kind::Other, 3},
            {"14", Kind::DocOther, 6},     {"16", Kind::DocOther, 8},    {"19", Kind::Other, 2},
            {"20", Kind::Other, 6},        {"21", Kind::Other, 4},       {"25", Kind::Other, 4},
            {"28", Kind::Other, 3},        {"33", Kind::Other, 12},      {"34", Kind::Other, 4},
            {"38", Kind::Other, 6},        {"39", Kind::Other, 6},       {"40", Kind::Tax, 12},
            {"41", Kind::Other, 6},        {"42", Kind::Payable, 8},     {"45", Kind::Other, 4},
            {"46", Kind::DocOther, 8},     {"47", Kind::Other, 3},       {"50", Kind::Other, 3},
            {"58", Kind::Other, 2},        {"59", Kind::Other, 4},       {"60", Kind::Expense, 10},
            {"61", Kind::Expense, 6},      {"62", Kind::Expense, 16},    {"63", Kind::Expense, 24},
            {"64", Kind::Expense, 8},      {"65", Kind::Expense, 12},    {"66", Kind::Expense, 4},
            {"67", Kind::Expense, 8},      {"68", Kind::Expense, 10},    {"69", Kind::Expense, 4},
            {"70", Kind::Income, 10},      {"73", Kind::Income, 3},      {"74", Kind::Income, 3},
            {"75", Kind::Income, 8},       {"76", Kind::Income, 3},      {"77", Kind::Income, 8},
            {"79", Kind::Destination, 2},  {"90", Kind::Destination, 8}, {"91", Kind::Destination, 6},
            {"92", Kind::Destination, 8},  {"94", Kind::Destination, 12}, {"95", Kind::Destination, 10},
            {"97", Kind::Destination, 6},
        };
        for (const Class& c : classes) {
            for (int j = 0; j < c.count; ++j) {
                std::string code = std::string(c.code) + static_cast<char>('1' + j / 9) + static_cast<char>('1' + j % 9);
                if (j % 4 == 3) code += static_cast<char>('1' + j % 3);
                chart.push_back({code, c.kind});
            }
        }
        chart[static_cast<std::size_t>(std::find_if(chart.begin(), chart.end(),
                                                     [](const Account& a) { return a.kind == Kind::Tax; }) -
                                       chart.begin())]
            .code = "40111";
        for (const Account& a : chart) {
            switch (a.kind) {
                case Kind::Bank: bank.push_back(&a); break;
                case Kind::Receivable: receivable.push_back(&a); break;
                case Kind::DocOther: docOther.push_back(&a); break;
                case Kind::Payable: payable.push_back(&a); break;
                case Kind::Tax:
                    if (a.code == "40111") igv = &a;
                    else other.push_back(&a);
                    break;
                case Kind::Expense: expense.push_back(&a); break;
                case Kind::Income: income.push_back(&a); break;
                case Kind::Destination: destination.push_back(&a); break;
                case Kind::Other: other.push_back(&a); break;
            }
        }
        for (auto* v : {&expense, &destination, &income, &other}) journal.insert(journal.end(), v->begin(), v->end());
    }

    template <class V>
    const auto& pick(const V& v) {
        return v[static_cast<std::size_t>(rng.below(v.size()))];
    }
    // Skewed towards the first accounts of a class, as real charts are used.
    const Account* pickAccount(const std::vector<const Account*>& v) {
        std::uint64_t n = v.size();
        return v[static_cast<std::size_t>(rng.below(n) * rng.below(n) / n)];
    }
    const std::string& pickRut() {
        std::uint64_t n = ruts.size();
        return ruts[static_cast<std::size_t>(rng.below(n) * (rng.below(n) + 1) / n)];
    }
    std::int64_t amount(bool dollars) {
        double cents = std::exp(std::log(1000.0) + rng.uniform() * (std::log(5e6) - std::log(1000.0)));
        if (dollars) cents /= 2.6;
        return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::llround(cents)));
    }
    std::string docType() {
        double u = rng.uniform();
        if (u < 0.70) return "01";
        if (u < 0.80) return "03";
        if (u < 0.85) return "02";
        if (u < 0.90) return "07";
        if (u < 0.95) return "12";
        return "14";
    }
    std::string number(const std::string& doc) {
        int s = doc == "01" ? 0 : doc == "03" ? 1 : doc == "02" ? 2 : doc == "07" ? 3 : doc == "12" ? 4 : 5;
        static const char* const series[] = {"F001", "B001", "E001", "F001", "0002", "0001"};
        char b[32];
        std::snprintf(b, sizeof b, "%s-%08d", series[s], ++seriesCounter[s]);
        return b;
    }
    void pushDoc(std::vector<Doc>& ring, std::size_t& next, Doc d) {
        constexpr std::size_t kRing = 4000;
        if (ring.size() < kRing) ring.push_back(std::move(d));
        else ring[next] = std::move(d);
        next = (next + 1) % kRing;
    }

    // ---- one voucher

    struct Head {
        std::string mesv, t, glosa;
        int vou, fecha, month;
        bool dollars;
        std::int64_t tc;
    };

    Row& line(const Head& h, const Account* a, std::int64_t debe, std::int64_t haber) {
        pending.emplace_back();
        Row& r = pending.back();
        r.text[MESV] = h.mesv;
        r.text[T] = h.t;
        r.units[VOU] = h.vou;
        r.text[FECHA] = dtos(h.fecha);
        r.text[CUENTA] = a->code;
        r.units[DEBE] = debe;
        r.units[HABER] = haber;
        r.text[MONEDA].assign(1, h.dollars ? 'D' : 'S');
        r.units[TC] = h.tc;
        r.text[GLOSA] = h.glosa;
        r.text[ECAR].assign(1, '1');
        if (a->kind == Kind::Bank) {
            r.text[FE] = debe ? "1010" : "2010";
            r.text[MPAGO] = rng.chance(0.5) ? "003" : "001";
            if (rng.chance(0.5)) r.text[MESC] = two(h.month);  // reconciled
            if (rng.chance(0.4)) {  // operation number of the bank statement
                r.text[DOC] = "00";
                r.text[NUMERO] = "OP-" + std::to_string(100000 + rng.below(900000));
            }
        }
        return r;
    }

    void setDoc(Row& r, const Doc& d, bool withMesc) {
        r.text[RUT] = d.rut;
        r.text[DOC] = d.doc;
        r.text[NUMERO] = d.numero;
        r.text[FECHAD] = dtos(d.fechad);
        r.text[FECHAV] = dtos(d.fechav);
        r.text[RDOC].assign(1, d.rut[0] == '2' ? '6' : '1');
        if (withMesc) r.text[MESC] = d.mesc;
    }

    Doc newDoc(const Head& h, const Account* a, std::int64_t total) {
        Doc d;
        d.account = a;
        d.rut = pickRut();
        d.doc = docType();
        d.numero = number(d.doc);
        d.fechad = h.fecha - rng.range(0, 20);
        d.fechav = d.fechad + (rng.chance(0.5) ? 30 : 0);
        d.total = total;
        if (rng.chance(0.6)) d.mesc = two(std::min(13, h.month + rng.range(0, 2)));
        return d;
    }

    void makeVoucher() {
        pending.clear();
        pendingAt = 0;
        Head h;
        h.month = 12;
        for (int m = 0; m < 14; ++m) {
            if (produced < monthEnd[static_cast<std::size_t>(m)]) {
                h.month = m;
                break;
            }
        }
        double u = rng.uniform() * 100.0, acc = 0;
        int o = kOrigins - 1;
        for (int i = 0; i < kOrigins; ++i) {
            acc += kOriginWeight[i];
            if (u < acc) {
                o = i;
                break;
            }
        }
        while (counter[h.month][o] >= 9999) o = (o + 1) % kOrigins;
        h.mesv = two(h.month);
        h.t = kOriginCode[o];
        h.vou = ++counter[h.month][o];
        if (h.month == 0) h.fecha = daysFromCivil(kYear, 1, 1);
        else if (h.month == 13) h.fecha = daysFromCivil(kYear, 12, 31);
        else {
            static const int mdays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            h.fecha = daysFromCivil(kYear, h.month, rng.range(1, mdays[h.month - 1]));
        }
        h.dollars = rng.chance(0.15);
        // the day's selling rate, 2.55 to 2.70, with three decimals
        h.tc = 255000 + ((h.fecha * 37) % 151) * 100;
        if (rng.chance(0.01)) h.tc = 0;  // adjustment lines carry no rate

        switch (o) {
            case 0: purchase(h); break;
            case 1: sale(h); break;
            case 2: settle(h, true); break;
            case 3: settle(h, false); break;
            case 4: journalEntry(h); break;
            default: bankEntry(h); break;
        }
    }

    void purchase(Head& h) {
        int k = rng.range(3, 8);
        std::vector<std::int64_t> base(static_cast<std::size_t>(k - 2));
        std::int64_t sum = 0;
        for (auto& b : base) sum += (b = amount(h.dollars));
        std::int64_t tax = (sum * 18 + 50) / 100;
        const Account* pay = pickAccount(rng.chance(0.85) ? payable : docOther);
        Doc d = newDoc(h, pay, sum + tax);
        h.glosa = "COMPRA " + d.numero;
        for (std::int64_t b : base) {
            Row& r = line(h, pickAccount(expense), b, 0);
            if (rng.chance(0.3)) setDoc(r, d, false);
        }
        Row& t = line(h, igv, tax, 0);
        setDoc(t, d, false);
        t.text[TL] = "C";
        t.units[NETO] = sum;
        t.units[IGV] = tax;
        if (d.doc == "07") {
            t.text[RTDOC] = "01";
            t.text[RNUMERO] = "F001-" + std::to_string(10000000 + rng.below(90000000));
            t.text[RFECHA] = dtos(d.fechad - rng.range(1, 60));
            t.units[RMONTO] = sum;
            t.units[RIGV] = tax;
        } else if (rng.chance(0.1)) {  // detraction deposit
            t.text[RNUMERO] = std::to_string(100000000 + rng.below(900000000));
            t.text[RFECHA] = dtos(h.fecha + rng.range(0, 5));
            t.text[RCODTASA] = "037";
            t.text[RINDRET] = "1";
        }
        Row& p = line(h, pay, 0, sum + tax);
        setDoc(p, d, true);
        pushDoc(purchaseDocs, purchaseNext, std::move(d));
    }

    void sale(Head& h) {
        int k = rng.range(3, 8);
        std::vector<std::int64_t> base(static_cast<std::size_t>(k - 2));
        std::int64_t sum = 0;
        for (auto& b : base) sum += (b = amount(h.dollars));
        std::int64_t tax = (sum * 18 + 50) / 100;
        const Account* rec = pickAccount(rng.chance(0.9) ? receivable : docOther);
        Doc d = newDoc(h, rec, sum + tax);
        h.glosa = "VENTA " + d.numero;
        Row& r = line(h, rec, sum + tax, 0);
        setDoc(r, d, true);
        Row& t = line(h, igv, 0, tax);
        setDoc(t, d, false);
        t.text[TL] = "V";
        t.units[NETO] = sum;
        t.units[IGV] = tax;
        for (std::int64_t b : base) line(h, pickAccount(income), 0, b);
        pushDoc(salesDocs, salesNext, std::move(d));
    }

    // Receipts from clients (incoming) or payments to suppliers.
    void settle(Head& h, bool incoming) {
        int k = rng.range(2, 6);
        std::vector<Doc>& ring = incoming ? salesDocs : purchaseDocs;
        h.glosa = incoming ? "COBRANZA" : "PAGO A PROVEEDOR";
        std::int64_t total = 0;
        for (int i = 0; i < k - 1; ++i) {
            Doc d;
            if (ring.empty()) d = newDoc(h, pickAccount(incoming ? receivable : payable), amount(h.dollars));
            else d = ring[static_cast<std::size_t>(ring.size() - 1 - rng.below(std::min<std::size_t>(ring.size(), 3000)))];
            std::int64_t a = d.mesc.empty() ? std::max<std::int64_t>(1, d.total / 2) : d.total;
            Row& r = incoming ? line(h, d.account, 0, a) : line(h, d.account, a, 0);
            setDoc(r, d, true);
            total += a;
        }
        const Account* b = pickAccount(bank);
        if (incoming) line(h, b, total, 0);
        else line(h, b, 0, total);
    }

    void journalEntry(Head& h) {
        int k = rng.range(2, 8);
        static const char* const glosas[] = {"PROVISION DEL MES", "DESTINO DE GASTOS", "DEPRECIACION",
                                             "PLANILLA DE SUELDOS", "AJUSTE", "REGULARIZACION"};
        h.glosa = glosas[rng.below(6)];
        std::int64_t net = 0;
        for (int i = 0; i < k - 1; ++i) {
            std::int64_t a = amount(h.dollars);
            if (rng.chance(0.5)) {
                line(h, pickAccount(journal), a, 0);
                net += a;
            } else {
                line(h, pickAccount(journal), 0, a);
                net -= a;
            }
        }
        const Account* last = pickAccount(journal);
        if (net >= 0) line(h, last, 0, net);
        else line(h, last, -net, 0);
    }

    void bankEntry(Head& h) {
        int k = rng.range(2, 4);
        bool charge = rng.chance(0.7);
        h.glosa = charge ? "COMISION BANCARIA" : "INTERESES GANADOS";
        std::int64_t total = 0;
        for (int i = 0; i < k - 1; ++i) {
            std::int64_t a = amount(h.dollars) / 20 + 1;
            total += a;
            if (charge) line(h, pickAccount(expense), a, 0);
            else line(h, pickAccount(income), 0, a);
        }
        Row& b = charge ? line(h, pickAccount(bank), 0, total) : line(h, pickAccount(bank), total, 0);
        b.text[MPAGO] = "007";
    }
};

Generator::Generator(std::uint64_t rows, std::uint64_t seed) : impl_(new Impl(rows, seed)) {}
Generator::~Generator() { delete impl_; }
std::uint64_t Generator::produced() const { return impl_->produced; }

void Generator::next(Row& out) {
    if (impl_->pendingAt >= impl_->pending.size()) impl_->makeVoucher();
    out = impl_->pending[impl_->pendingAt++];
    ++impl_->produced;
}

// ================================================================ summary and seek keys

void Summary::add(const Row& r) {
    ++rows;
    sumDebe += r.units[DEBE];
    sumHaber += r.units[HABER];
    int m = std::atoi(r.text[MESV].c_str());
    if (m >= 0 && m < 14) {
        monthDebe[static_cast<std::size_t>(m)] += r.units[DEBE];
        ++monthRows[static_cast<std::size_t>(m)];
    }
    bool rut = !r.text[RUT].empty();
    withRut += rut;
    withDoc += !r.text[DOC].empty();
    openWithRut += rut && r.text[MESC].empty();
    withMesc += !r.text[MESC].empty();
}

void Summary::write(const std::string& path) const {
    std::ofstream f(path);
    f << "rows " << rows << "\nsumDebe " << sumDebe << "\nsumHaber " << sumHaber << "\nwithRut " << withRut
      << "\nwithDoc " << withDoc << "\nopenWithRut " << openWithRut << "\nwithMesc " << withMesc << "\nvouchers "
      << vouchers << "\naccounts " << accounts << "\n";
    for (int m = 0; m < 14; ++m)
        f << "monthDebe" << two(m) << " " << monthDebe[static_cast<std::size_t>(m)] << "\nmonthRows" << two(m) << " "
          << monthRows[static_cast<std::size_t>(m)] << "\n";
    if (!f) throw std::runtime_error("cannot write " + path);
}

Summary Summary::read(const std::string& path) {
    std::ifstream f(path);
    if (!f) throw std::runtime_error("cannot read " + path + " (generate the data first)");
    Summary s;
    std::string k;
    long long v;
    while (f >> k >> v) {
        if (k == "rows") s.rows = static_cast<std::uint64_t>(v);
        else if (k == "sumDebe") s.sumDebe = v;
        else if (k == "sumHaber") s.sumHaber = v;
        else if (k == "withRut") s.withRut = static_cast<std::uint64_t>(v);
        else if (k == "withDoc") s.withDoc = static_cast<std::uint64_t>(v);
        else if (k == "openWithRut") s.openWithRut = static_cast<std::uint64_t>(v);
        else if (k == "withMesc") s.withMesc = static_cast<std::uint64_t>(v);
        else if (k == "vouchers") s.vouchers = static_cast<std::uint64_t>(v);
        else if (k == "accounts") s.accounts = static_cast<std::uint64_t>(v);
        else if (k.rfind("monthDebe", 0) == 0) s.monthDebe[static_cast<std::size_t>(std::stoi(k.substr(9)))] = v;
        else if (k.rfind("monthRows", 0) == 0)
            s.monthRows[static_cast<std::size_t>(std::stoi(k.substr(9)))] = static_cast<std::uint64_t>(v);
    }
    return s;
}

namespace {
void writeLines(const std::string& path, const std::vector<std::string>& v) {
    std::ofstream f(path);
    for (const auto& s : v) f << s << '\n';
    if (!f) throw std::runtime_error("cannot write " + path);
}
std::vector<std::string> readLines(const std::string& path) {
    std::ifstream f(path);
    if (!f) throw std::runtime_error("cannot read " + path + " (generate the data first)");
    std::vector<std::string> v;
    for (std::string s; std::getline(f, s);)
        if (!s.empty()) v.push_back(s);
    return v;
}
}  // namespace

void SeekKeys::write(const std::string& dir) const {
    writeLines(dir + "/seek_v1.txt", vouchers);
    writeLines(dir + "/seek_v3.txt", accountPrefixes);
}

SeekKeys SeekKeys::draw(const std::vector<std::string>& voucherKeys, const std::vector<std::string>& accounts,
                        std::size_t n) {
    Rng rng(Generator::kSeed ^ 0x5EEC);
    SeekKeys k;
    for (std::size_t i = 0; i < n && !voucherKeys.empty(); ++i) k.vouchers.push_back(voucherKeys[rng.below(voucherKeys.size())]);
    for (std::size_t i = 0; i < n && !accounts.empty(); ++i) {
        const std::string& a = accounts[rng.below(accounts.size())];
        k.accountPrefixes.push_back(a.substr(0, static_cast<std::size_t>(rng.range(2, static_cast<int>(a.size())))));
    }
    return k;
}

SeekKeys SeekKeys::read(const std::string& dir) {
    SeekKeys k;
    k.vouchers = readLines(dir + "/seek_v1.txt");
    k.accountPrefixes = readLines(dir + "/seek_v3.txt");
    return k;
}

}  // namespace bench
