// The company template sets as the build leaves them: the 13 tables of each set
// with their layouts, the parameter record pointing at accounts of the chart, the
// chart's tree agreeing with its levels, destinations and statement links that
// lead somewhere, unique codes, valid taxpayer numbers, and demo vouchers that
// balance and whose postings the chart, the counterparties and the counters carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "store/store.h"

namespace {

using store::Decimal;
using store::Value;

const char* const kTables[] = {"zdr_ecpn", "zdr_fb",  "zdr_fb2", "zdr_fe",  "zdr_pc",  "zdr_plan", "zdr_tc",
                               "zdr_td",   "zdr_tmp", "zdr_to",  "zdr_var", "zdr_vou", "zdr_pago"};

std::vector<std::string> monthCodes() {
    std::vector<std::string> m;
    for (int i = 0; i <= 13; ++i) m.push_back((i < 10 ? "0" : "") + std::to_string(i));
    return m;
}

std::vector<std::string> accumulators() {
    std::vector<std::string> names;
    for (const char* p : {"DEBE", "HABER", "DEBED", "HABERD"})
        for (const std::string& m : monthCodes()) names.push_back(p + m);
    return names;
}

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// One record: field name to value, texts without their trailing blanks.
struct Row {
    std::map<std::string, Value> v;
    std::string s(const std::string& name) const {
        auto it = v.find(name);
        if (it == v.end()) ADD_FAILURE() << "no field " << name;
        return it == v.end() ? std::string() : trimmed(it->second.text());
    }
    Decimal n(const std::string& name) const {
        auto it = v.find(name);
        if (it == v.end()) ADD_FAILURE() << "no field " << name;
        return it == v.end() ? Decimal() : it->second.num();
    }
};

struct Table {
    std::vector<store::FieldInfo> fields;
    std::vector<Row> rows;
    const store::FieldInfo* field(const std::string& name) const {
        for (const auto& f : fields)
            if (f.name == name) return &f;
        return nullptr;
    }
};

std::string setPath(const std::string& set, const std::string& table) {
    return std::string(QRX_INSTALL_DATA) + "/" + set + "/" + table + ".db_";
}

Table load(const std::string& set, const std::string& name) {
    Table t;
    store::Store s;
    store::WorkArea* a = s.use(setPath(set, name), name, true, true, true);
    if (a == nullptr) {
        ADD_FAILURE() << "cannot open " << setPath(set, name);
        return t;
    }
    t.fields = a->fields();
    for (a->goTop(); !a->eof(); a->skip()) {
        Row r;
        for (std::size_t i = 0; i < t.fields.size(); ++i) {
            Value v = a->get(store::Field{static_cast<int>(i)});
            if (v.isText()) v = Value(trimmed(v.text()));
            r.v.emplace(t.fields[i].name, std::move(v));
        }
        t.rows.push_back(std::move(r));
    }
    s.closeAll();
    return t;
}

// The authority's modulus-11 check of a taxpayer number (RUC).
bool validRuc(const std::string& ruc) {
    if (ruc.size() != 11 || !std::all_of(ruc.begin(), ruc.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    static const int weights[] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < 10; ++i) sum += (ruc[i] - '0') * weights[i];
    int check = 11 - sum % 11;
    if (check == 10) check = 0;
    if (check == 11) check = 1;
    return ruc[10] - '0' == check;
}

Decimal r2(const Decimal& d) { return d.rounded(2); }

class TemplateSet : public ::testing::TestWithParam<std::string> {
protected:
    const std::string& set() const { return GetParam(); }
    std::map<std::string, Row> chart() {
        std::map<std::string, Row> byCode;
        for (Row& r : load(set(), "zdr_plan").rows) byCode.emplace(r.s("CUENTA"), r);
        return byCode;
    }
};

TEST(TemplateChecks, RucCheckDigit) {
    EXPECT_TRUE(validRuc("20100070970"));
    EXPECT_TRUE(validRuc("20131312955"));
    EXPECT_FALSE(validRuc("20100070971"));
    EXPECT_FALSE(validRuc("2010007097"));
    EXPECT_FALSE(validRuc("2010007097A"));
}

TEST_P(TemplateSet, HoldsTheThirteenTables) {
    for (const char* name : kTables) {
        EXPECT_TRUE(std::filesystem::is_regular_file(setPath(set(), name))) << setPath(set(), name);
        Table t = load(set(), name);
        EXPECT_FALSE(t.fields.empty()) << name;
    }
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(std::string(QRX_INSTALL_DATA) + "/" + set()))
        if (e.path().extension() == ".db_") ++files;
    EXPECT_EQ(files, std::size(kTables));
}

TEST_P(TemplateSet, LayoutsAreThoseOfTheCommonSet) {
    for (const char* name : kTables) {
        Table mine = load(set(), name), common = load("datos", name);
        ASSERT_EQ(mine.fields.size(), common.fields.size()) << name;
        for (std::size_t i = 0; i < mine.fields.size(); ++i) {
            EXPECT_EQ(mine.fields[i].name, common.fields[i].name) << name;
            EXPECT_EQ(mine.fields[i].type, common.fields[i].type) << name << "." << mine.fields[i].name;
            EXPECT_EQ(mine.fields[i].length, common.fields[i].length) << name << "." << mine.fields[i].name;
            EXPECT_EQ(mine.fields[i].decimals, common.fields[i].decimals) << name << "." << mine.fields[i].name;
        }
    }
}

// The widths the program relies on: keys, codes and the fields that screens and
// work tables copy.
TEST_P(TemplateSet, FixedWidths) {
    struct Expect {
        const char* table;
        const char* field;
        char type;
        int length, decimals;
    };
    const Expect fixed[] = {
        {"zdr_plan", "CUENTA", 'C', 10, 0}, {"zdr_plan", "BD", 'C', 1, 0},       {"zdr_plan", "RNF", 'C', 1, 0},
        {"zdr_plan", "CTA", 'C', 1, 0},     {"zdr_plan", "TDEBE", 'C', 10, 0},   {"zdr_plan", "THABER", 'C', 10, 0},
        {"zdr_plan", "SD", 'C', 1, 0},      {"zdr_plan", "BANCOMO", 'C', 1, 0},  {"zdr_plan", "CRU", 'C', 1, 0},
        {"zdr_plan", "BG", 'C', 4, 0},      {"zdr_plan", "BG2", 'C', 4, 0},      {"zdr_tmp", "CUENTA", 'C', 10, 0},
        {"zdr_tmp", "CTA", 'C', 1, 0},      {"zdr_to", "TOV", 'C', 2, 0},        {"zdr_td", "TD", 'C', 2, 0},
        {"zdr_pago", "CODIGO", 'C', 3, 0},  {"zdr_pago", "NOMBRE", 'C', 30, 0},  {"zdr_tc", "FECHA", 'D', 8, 0},
        {"zdr_pc", "RUT", 'C', 11, 0},      {"zdr_pc", "CODIGO", 'C', 11, 0},    {"zdr_pc", "RS", 'C', 40, 0},
        {"zdr_pc", "TIPO", 'C', 1, 0},      {"zdr_pc", "TDOC", 'C', 1, 0},       {"zdr_vou", "MESV", 'C', 2, 0},
        {"zdr_vou", "T", 'C', 2, 0},        {"zdr_vou", "VOU", 'N', 4, 0},       {"zdr_vou", "CUENTA", 'C', 10, 0},
        {"zdr_vou", "TC", 'N', 10, 5},      {"zdr_vou", "GLOSA", 'C', 30, 0},    {"zdr_vou", "FE", 'C', 4, 0},
        {"zdr_vou", "MPAGO", 'C', 3, 0},    {"zdr_vou", "RUT", 'C', 11, 0},      {"zdr_vou", "DOC", 'C', 2, 0},
        {"zdr_vou", "NUMERO", 'C', 20, 0},  {"zdr_vou", "MESC", 'C', 2, 0},      {"zdr_vou", "TL", 'C', 1, 0},
        {"zdr_vou", "RTDOC", 'C', 2, 0},    {"zdr_vou", "RNUMERO", 'C', 20, 0},  {"zdr_vou", "RCODTASA", 'C', 5, 0},
        {"zdr_vou", "CC", 'C', 4, 0},       {"zdr_fb", "CUENTA", 'C', 4, 0},     {"zdr_fb", "TC", 'C', 1, 0},
        {"zdr_fb", "CTA3", 'C', 100, 0},    {"zdr_fb", "SBS", 'C', 6, 0},        {"zdr_fb2", "CUENTA", 'C', 4, 0},
        {"zdr_fe", "CUENTA", 'C', 4, 0},    {"zdr_fe", "CTA", 'C', 100, 0},      {"zdr_fe", "ORDEN", 'C', 1, 0},
        {"zdr_fe", "SBS", 'C', 6, 0},       {"zdr_fe", "MONTO", 'N', 17, 2},     {"zdr_ecpn", "CODIGO", 'C', 4, 0},
        {"zdr_ecpn", "SBS", 'C', 6, 0},     {"zdr_ecpn", "TOTAL", 'N', 17, 2},   {"zdr_var", "VAR5", 'C', 4, 0},
        {"zdr_var", "VAR21", 'C', 10, 0},   {"zdr_var", "TOA", 'C', 2, 0},       {"zdr_var", "CTA18", 'C', 10, 0},
        {"zdr_var", "ORIGEN3", 'C', 2, 0},  {"zdr_var", "MES13", 'C', 1, 0},     {"zdr_var", "FBACKUP", 'D', 8, 0},
    };
    std::map<std::string, Table> tables;
    for (const Expect& e : fixed) {
        if (!tables.count(e.table)) tables.emplace(e.table, load(set(), e.table));
        const store::FieldInfo* f = tables[e.table].field(e.field);
        ASSERT_NE(f, nullptr) << e.table << "." << e.field;
        EXPECT_EQ(static_cast<char>(f->type), e.type) << e.table << "." << e.field;
        EXPECT_EQ(f->length, e.length) << e.table << "." << e.field;
        EXPECT_EQ(f->decimals, e.decimals) << e.table << "." << e.field;
    }
    // Every month code has its accumulators in the chart and in the scratch copy,
    // its counter in the origins and its lock in the parameters.
    Table plan = load(set(), "zdr_plan"), tmp = load(set(), "zdr_tmp");
    Table to = load(set(), "zdr_to"), var = load(set(), "zdr_var");
    for (const std::string& a : accumulators()) {
        const store::FieldInfo* p = plan.field(a);
        const store::FieldInfo* t = tmp.field(a);
        ASSERT_NE(p, nullptr) << a;
        ASSERT_NE(t, nullptr) << a;
        EXPECT_EQ(p->type, store::Type::Num) << a;
        EXPECT_EQ(p->decimals, 2) << a;
        EXPECT_EQ(t->length, p->length) << a;
        EXPECT_EQ(t->decimals, p->decimals) << a;
    }
    for (const std::string& m : monthCodes()) {
        EXPECT_NE(to.field("NUMERO" + m), nullptr) << m;
        EXPECT_NE(var.field("MES" + m), nullptr) << m;
        if (m != "13") {
            EXPECT_NE(var.field("TCC" + m), nullptr) << m;
            EXPECT_NE(var.field("TCV" + m), nullptr) << m;
        }
    }
    EXPECT_EQ(var.field("TCC13"), nullptr);
}

TEST_P(TemplateSet, OneParameterRecordPointingAtTheChart) {
    Table var = load(set(), "zdr_var");
    ASSERT_EQ(var.rows.size(), 1u);
    const Row& v = var.rows[0];
    EXPECT_EQ(v.n("PIGV"), Decimal::of("0.18"));
    EXPECT_EQ(v.s("VAR5").size(), 4u);
    for (const std::string& m : monthCodes()) EXPECT_EQ(v.s("MES" + m), "N") << "the month " << m << " is open";
    EXPECT_TRUE(v.v.at("FBACKUP").date().isEmpty());

    auto plan = chart();
    // Accounts the program writes lines on, or whose balance it reads: posting accounts.
    for (const char* f : {"VAR15", "VAR21", "VAR22", "VAR23", "VAR28", "VAR81", "VAR82", "CTA11", "CTA12",
                          "CTA13", "CTA14", "CTA15", "CTA16", "CTA17", "CTA18"}) {
        std::string code = v.s(f);
        ASSERT_FALSE(code.empty()) << f;
        ASSERT_TRUE(plan.count(code)) << f << " " << code;
        EXPECT_EQ(plan[code].s("BD"), "3") << f << " " << code;
    }
    // The purchases and sales registers tell their lines apart by these prefixes.
    EXPECT_FALSE(startsWith(v.s("VAR21"), v.s("VAR22")));
    EXPECT_FALSE(startsWith(v.s("VAR22"), v.s("VAR21")));
    EXPECT_EQ(plan[v.s("CTA11")].s("CTA"), "S");
    EXPECT_EQ(plan[v.s("CTA13")].s("CTA"), "S");
    EXPECT_EQ(plan[v.s("CTA16")].s("CTA"), "S");

    std::set<std::string> origins;
    for (const Row& r : load(set(), "zdr_to").rows) origins.insert(r.s("TOV"));
    for (const char* f : {"TOA", "ORIGEN1", "ORIGEN2", "ORIGEN3"}) EXPECT_TRUE(origins.count(v.s(f))) << f;
    std::set<std::string> distinct = {v.s("TOA"), v.s("ORIGEN1"), v.s("ORIGEN2"), v.s("ORIGEN3")};
    EXPECT_EQ(distinct.size(), 4u);
    for (int i = 71; i <= 79; ++i) EXPECT_FALSE(v.s("VAR" + std::to_string(i)).empty()) << i;
    if (!v.s("VAR33").empty()) { EXPECT_TRUE(validRuc(v.s("VAR33"))) << v.s("VAR33"); }
}

TEST_P(TemplateSet, ChartTreeAndLevels) {
    Table plan = load(set(), "zdr_plan");
    ASSERT_GT(plan.rows.size(), 300u);
    std::set<std::string> codes;
    std::string previous;
    for (const Row& r : plan.rows) {
        std::string c = r.s("CUENTA");
        EXPECT_TRUE(codes.insert(c).second) << "repeated account " << c;
        EXPECT_GT(c, previous) << "accounts in code order";
        previous = c;
    }
    const std::set<std::string> types = {"A", "P", "R", "N", "F", "O", ""};
    const std::set<std::string> analysis = {"", "D", "B", "S"};
    for (const Row& r : plan.rows) {
        std::string c = r.s("CUENTA"), bd = r.s("BD");
        ASSERT_GE(c.size(), 2u) << c;
        EXPECT_TRUE(std::all_of(c.begin(), c.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) << c;
        EXPECT_FALSE(r.s("NOMBRE").empty()) << c;
        EXPECT_TRUE(types.count(r.s("RNF"))) << c;
        EXPECT_TRUE(analysis.count(r.s("CTA"))) << c;
        bool parent = std::any_of(codes.begin(), codes.end(),
                                  [&](const std::string& o) { return o != c && startsWith(o, c); });
        if (c.size() == 2) {
            EXPECT_EQ(bd, "1") << c;
        } else {
            EXPECT_TRUE(codes.count(c.substr(0, 2))) << "the two-digit account of " << c;
            std::string up;
            for (std::size_t n = c.size() - 1; n >= 2 && up.empty(); --n)
                if (codes.count(c.substr(0, n))) up = c.substr(0, n);
            ASSERT_FALSE(up.empty()) << c;
            EXPECT_GE(up.size() + 2, c.size()) << "a level is skipped above " << c;
            EXPECT_EQ(bd, parent ? "2" : "3") << c;
        }
        if (bd != "3") {
            EXPECT_EQ(r.s("CTA"), "") << c;
            EXPECT_EQ(r.s("TDEBE"), "") << c;
            EXPECT_EQ(r.s("BG"), "") << c;
            EXPECT_EQ(r.s("BG2"), "") << c;
        }
        // The type follows the class: assets 1-3, liabilities and equity 4-5, memorandum 0.
        char k = c[0];
        if (k >= '1' && k <= '3') { EXPECT_EQ(r.s("RNF"), "A") << c; }
        if (k == '4' || k == '5') { EXPECT_EQ(r.s("RNF"), "P") << c; }
        if (k == '0') { EXPECT_EQ(r.s("RNF"), "O") << c; }
        if (k == '9') { EXPECT_EQ(r.s("RNF"), "F") << c; }
        if (r.s("CTA") == "B") { EXPECT_TRUE(startsWith(c, "10")) << c; }
        std::string mo = r.s("BANCOMO");
        EXPECT_TRUE(mo.empty() || mo == "1" || mo == "2" || mo == "9") << c;
        EXPECT_TRUE(r.s("SD").empty() || r.s("SD") == "S" || r.s("SD") == "D") << c;
    }
    for (const char* c : {"10", "12", "40", "42", "50", "59", "60", "69", "70", "79", "94", "40111", "676", "776",
                          "791", "9411"})
        EXPECT_TRUE(codes.count(c)) << c;
}

TEST_P(TemplateSet, DestinationAccountsArePostingAccounts) {
    auto plan = chart();
    int withDestinations = 0;
    for (auto& [code, r] : plan) {
        std::string d = r.s("TDEBE"), h = r.s("THABER");
        EXPECT_EQ(d.empty(), h.empty()) << code;
        if (d.empty()) continue;
        ++withDestinations;
        ASSERT_TRUE(plan.count(d)) << code << " " << d;
        ASSERT_TRUE(plan.count(h)) << code << " " << h;
        EXPECT_EQ(plan[d].s("BD"), "3") << d;
        EXPECT_EQ(plan[h].s("BD"), "3") << h;
        EXPECT_EQ(code[0], '6') << "only expenses are carried to their destinations: " << code;
    }
    EXPECT_GT(withDestinations, 50);
    // Every expense by nature of classes 62 to 68 reaches a function account and 79.
    for (auto& [code, r] : plan) {
        if (r.s("BD") != "3" || code < "62" || code >= "69") continue;
        EXPECT_EQ(r.s("TDEBE").substr(0, 1), "9") << code;
        EXPECT_EQ(r.s("THABER").substr(0, 2), "79") << code;
    }
}

TEST_P(TemplateSet, StatementLinksLeadToFormatLines) {
    auto plan = chart();
    for (const auto& [format, field] : {std::pair<const char*, const char*>{"zdr_fb", "BG"}, {"zdr_fb2", "BG2"}}) {
        std::set<std::string> lines;
        for (const Row& r : load(set(), format).rows) lines.insert(r.s("CUENTA"));
        for (auto& [code, r] : plan) {
            std::string l = r.s(field);
            if (r.s("BD") == "3" && code[0] >= '1' && code[0] <= '5') {
                EXPECT_FALSE(l.empty()) << "balance-sheet account without a line: " << code << " " << format;
            }
            if (l.empty()) continue;
            ASSERT_EQ(l.size(), 4u) << code;
            if (l[0] == 'R') {
                EXPECT_TRUE(lines.count("F" + l.substr(1))) << code << " " << l;
                EXPECT_TRUE(lines.count("N" + l.substr(1))) << code << " " << l;
            } else {
                EXPECT_TRUE(lines.count(l)) << code << " " << l << " " << format;
                EXPECT_NE(l.substr(2), "99") << "linked to a subtotal: " << code;
            }
            char k = code[0];
            if (k >= '1' && k <= '3') { EXPECT_EQ(l[0], 'A') << code; }
            if (k == '4' || k == '5') { EXPECT_EQ(l[0], 'P') << code; }
            if (k >= '6') { EXPECT_TRUE(l[0] == 'N' || l[0] == 'F' || l[0] == 'R') << code; }
        }
        // A bank in overdraft moves to the liability line of the same number.
        EXPECT_TRUE(lines.count("P" + plan["104101"].s(field).substr(1))) << format;
        // The result of the period goes to the line of the result account.
        Row var = load(set(), "zdr_var").rows.at(0);
        std::string result = plan[var.s("VAR28")].s(field);
        EXPECT_EQ(result.substr(0, 1), "P") << format;
        EXPECT_TRUE(lines.count(result.substr(0, 2) + "99")) << format;
        EXPECT_TRUE(lines.count("P999")) << format;
        EXPECT_TRUE(lines.count("A999")) << format;
    }
}

TEST_P(TemplateSet, StatementFormats) {
    for (const char* format : {"zdr_fb", "zdr_fb2"}) {
        Table t = load(set(), format);
        ASSERT_GT(t.rows.size(), 20u) << format;
        std::set<std::string> codes;
        for (const Row& r : t.rows) EXPECT_TRUE(codes.insert(r.s("CUENTA")).second) << r.s("CUENTA");
        for (const Row& r : t.rows) {
            std::string c = r.s("CUENTA");
            ASSERT_EQ(c.size(), 4u);
            std::string tc = c[0] == 'A' || c[0] == 'P' ? "B" : c[0] == 'N' || c[0] == 'F' ? "R" : "S";
            EXPECT_EQ(r.s("TC"), tc) << c;
            EXPECT_LE(r.s("NOMBRE").size(), 40u) << c;
            std::string f = r.s("CTA3");
            EXPECT_EQ(f.find(' '), std::string::npos) << c;
            // Each "C" operand names a line above the ratio or of the statements.
            for (std::size_t i = 0; i < f.size(); ++i)
                if (f[i] == 'C') {
                    std::string ref = f.substr(i + 1, 4);
                    EXPECT_TRUE(codes.count(ref)) << c << " " << ref;
                    EXPECT_TRUE(ref[0] != 'R' || ref < c) << c << " " << ref;
                    i += 4;
                }
        }
    }
    Table fe = load(set(), "zdr_fe");
    std::set<std::string> feCodes;
    auto plan = chart();
    for (const Row& r : fe.rows) {
        std::string c = r.s("CUENTA");
        EXPECT_TRUE(feCodes.insert(c).second) << c;
        ASSERT_EQ(c.size(), 4u);
        EXPECT_NE(std::string("OIF9C").find(c[0]), std::string::npos) << c;
        std::string orden = c[0] == 'O' ? "1" : c[0] == 'I' ? "2" : c[0] == 'F' ? "3" : c[0] == '9' ? "4" : "5";
        EXPECT_EQ(r.s("ORDEN"), orden) << c;
        std::string f = r.s("CTA");
        if (!f.empty()) {
            ASSERT_TRUE(f[0] == 'A' || f[0] == 'C') << c;
            std::string acc = f.substr(1);
            EXPECT_TRUE(std::any_of(plan.begin(), plan.end(), [&](auto& p) { return startsWith(p.first, acc); }))
                << c;
        }
    }
    for (const char* c : {"O999", "I999", "F999"}) EXPECT_TRUE(feCodes.count(c)) << c;
    Table ecpn = load(set(), "zdr_ecpn");
    std::vector<std::string> codes;
    for (const Row& r : ecpn.rows) codes.push_back(r.s("CODIGO"));
    std::vector<std::string> sorted = codes;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    ASSERT_FALSE(sorted.empty());
    EXPECT_EQ(sorted.back(), "N199");
    for (const char* c : {"M199", "N105"}) EXPECT_NE(std::find(codes.begin(), codes.end(), c), codes.end()) << c;
    for (const std::string& c : codes) EXPECT_TRUE(c[0] == 'M' || c[0] == 'N') << c;
}

TEST_P(TemplateSet, CodesOfTheAuxiliaryTablesAreUnique) {
    struct Key {
        const char* table;
        const char* field;
        std::size_t length;
        std::size_t atLeast;
    };
    for (const Key& k : {Key{"zdr_td", "TD", 2, 40}, Key{"zdr_pago", "CODIGO", 3, 15}, Key{"zdr_to", "TOV", 2, 8}}) {
        Table t = load(set(), k.table);
        EXPECT_GE(t.rows.size(), k.atLeast) << k.table;
        std::set<std::string> seen;
        for (const Row& r : t.rows) {
            std::string c = r.s(k.field);
            EXPECT_EQ(c.size(), k.length) << k.table << " " << c;
            EXPECT_TRUE(seen.insert(c).second) << k.table << " repeats " << c;
        }
    }
    std::map<std::string, std::string> td, pago;
    for (const Row& r : load(set(), "zdr_td").rows) td[r.s("TD")] = r.s("DOC");
    for (const Row& r : load(set(), "zdr_pago").rows) pago[r.s("CODIGO")] = r.s("NOMBRE");
    for (const char* c : {"01", "02", "03", "07", "08", "12", "14", "50", "87", "97"}) EXPECT_TRUE(td.count(c)) << c;
    for (const char* c : {"001", "003", "007", "008", "009", "999"}) EXPECT_TRUE(pago.count(c)) << c;
    EXPECT_EQ(td["01"], "Factura");
    EXPECT_EQ(td["02"], "Recibo por Honorarios");
    for (const auto& [c, n] : td) EXPECT_FALSE(n.empty()) << c;
}

TEST_P(TemplateSet, CounterpartiesAndRates) {
    Table pc = load(set(), "zdr_pc");
    std::set<std::string> codes;
    for (const Row& r : pc.rows) {
        std::string rut = r.s("RUT");
        EXPECT_TRUE(codes.insert(rut).second) << rut;
        EXPECT_FALSE(r.s("RS").empty()) << rut;
        std::string t = r.s("TIPO");
        EXPECT_TRUE(t.size() == 1 && t[0] >= '1' && t[0] <= '9') << rut;
        if (r.s("TDOC") == "6") {
            EXPECT_TRUE(validRuc(rut)) << rut;
            EXPECT_TRUE(validRuc(r.s("CODIGO"))) << rut;
        }
    }
    Table tc = load(set(), "zdr_tc");
    std::set<std::string> dates;
    for (const Row& r : tc.rows) {
        std::string d = r.v.at("FECHA").date().dtos();
        EXPECT_TRUE(dates.insert(d).second) << d;
        EXPECT_GT(r.n("TC"), Decimal()) << d;
        EXPECT_GE(r.n("TV"), r.n("TC")) << d;
    }
    if (set() == "datos") {
        EXPECT_TRUE(pc.rows.empty());
        EXPECT_TRUE(tc.rows.empty());
    } else {
        EXPECT_GE(pc.rows.size(), 3u);
        EXPECT_GE(tc.rows.size(), 3u);
    }
}

// The voucher lines balance per voucher, and the chart, the counterparties and the
// origin counters already hold what posting them added.
TEST_P(TemplateSet, VouchersBalanceAndArePosted) {
    Table vou = load(set(), "zdr_vou");
    auto plan = chart();
    Table to = load(set(), "zdr_to"), pc = load(set(), "zdr_pc");
    std::map<std::string, Decimal> expected;  // account + accumulator name
    std::map<std::string, Decimal> balances;  // counterparty + SALDOS/SALDOD
    std::map<std::string, std::pair<Decimal, Decimal>> vouchers, dollars;
    std::map<std::string, int> highest;  // origin + month
    std::map<std::string, std::vector<const Row*>> groups;
    std::map<std::string, Decimal> rateOf;
    for (const Row& r : load(set(), "zdr_tc").rows) rateOf[r.v.at("FECHA").date().dtos()] = r.n("TV");
    for (const Row& r : vou.rows) {
        std::string mm = r.s("MESV"), acc = r.s("CUENTA"), cur = r.s("MONEDA");
        Decimal d = r.n("DEBE"), h = r.n("HABER"), t = r.n("TC");
        int number = static_cast<int>(r.n("VOU").toInt());
        ASSERT_TRUE(plan.count(acc)) << acc;
        EXPECT_EQ(plan[acc].s("BD"), "3") << acc;
        EXPECT_TRUE(cur == "S" || cur == "D") << acc;
        EXPECT_TRUE(d.isZero() || h.isZero()) << acc;
        EXPECT_EQ(r.s("ECAR"), "1");
        EXPECT_TRUE(rateOf.count(r.v.at("FECHA").date().dtos())) << "no rate for the voucher date";
        ASSERT_GE(number, 1);
        std::string key = mm + r.s("T") + std::to_string(number);
        Decimal ld = cur == "D" ? r2(d * t) : d, lh = cur == "D" ? r2(h * t) : h;
        Decimal dd = cur == "D" ? d : r2(d / t), dh = cur == "D" ? h : r2(h / t);
        vouchers[key].first = vouchers[key].first + ld;
        vouchers[key].second = vouchers[key].second + lh;
        dollars[key].first = dollars[key].first + dd;
        dollars[key].second = dollars[key].second + dh;
        highest[r.s("T") + mm] = std::max(highest[r.s("T") + mm], number);
        for (const std::string& a : {acc, acc.substr(0, 2)}) {
            expected[a + "/DEBE" + mm] = expected[a + "/DEBE" + mm] + ld;
            expected[a + "/HABER" + mm] = expected[a + "/HABER" + mm] + lh;
            expected[a + "/DEBED" + mm] = expected[a + "/DEBED" + mm] + dd;
            expected[a + "/HABERD" + mm] = expected[a + "/HABERD" + mm] + dh;
        }
        if (plan[acc].s("CTA") == "S") {
            EXPECT_FALSE(r.s("RUT").empty()) << "a document line without its counterparty";
        }
        if (plan[acc].s("CTA") == "S" && !r.s("RUT").empty()) {
            std::string b = r.s("RUT") + (cur == "D" ? "/SALDOD" : "/SALDOS");
            balances[b] = balances[b] + d - h;
            groups[acc + "|" + r.s("RUT") + "|" + r.s("DOC") + "|" + r.s("NUMERO")].push_back(&r);
        }
        std::string tl = r.s("TL");
        if (!tl.empty()) {
            EXPECT_FALSE(r.s("DOC").empty()) << "a register line without its document";
            EXPECT_FALSE(r.s("RUT").empty()) << "a register line without its counterparty";
        }
        if (startsWith(acc, "10")) { EXPECT_FALSE(r.s("MPAGO").empty()) << "a cash line without payment method"; }
    }
    for (const auto& [key, sums] : vouchers) EXPECT_EQ(r2(sums.first), r2(sums.second)) << "voucher " << key;
    for (const auto& [key, sums] : dollars) EXPECT_EQ(r2(sums.first), r2(sums.second)) << "voucher in US$ " << key;
    for (auto& [code, r] : plan)
        for (const std::string& a : accumulators()) {
            auto it = expected.find(code + "/" + a);
            EXPECT_EQ(r.n(a), it == expected.end() ? Decimal() : it->second) << code << " " << a;
        }
    for (const Row& r : pc.rows)
        for (const char* f : {"SALDOS", "SALDOD"}) {
            auto it = balances.find(r.s("RUT") + "/" + f);
            EXPECT_EQ(r.n(f), it == balances.end() ? Decimal() : it->second) << r.s("RUT") << " " << f;
        }
    for (const Row& r : to.rows)
        for (const std::string& m : monthCodes()) {
            auto it = highest.find(r.s("TOV") + m);
            EXPECT_EQ(r.n("NUMERO" + m), Decimal(it == highest.end() ? 0 : it->second)) << r.s("TOV") << " " << m;
        }
    // A document group is cancelled, in the latest month of its lines, exactly when it balances.
    for (const auto& [key, lines] : groups) {
        Decimal d, h;
        std::string latest;
        for (const Row* r : lines) {
            if (!r->n("TC").isZero()) {
                d = d + r->n("DEBE");
                h = h + r->n("HABER");
            }
            latest = std::max(latest, r->s("MESV"));
        }
        bool cancelled = r2(d) == r2(h) && !d.isZero();
        for (const Row* r : lines) EXPECT_EQ(r->s("MESC"), cancelled ? latest : std::string()) << key;
    }
    if (set() == "datos") {
        EXPECT_TRUE(vou.rows.empty());
    } else {
        EXPECT_GE(vouchers.size(), 3u);
    }
}

TEST_P(TemplateSet, ScratchTableIsEmpty) { EXPECT_TRUE(load(set(), "zdr_tmp").rows.empty()); }

// The demo company starts from the same chart, origins and parameters as a new
// one: only its accumulators, counters, company texts and closing rates differ.
TEST_P(TemplateSet, SameMasterDataAsANewCompany) {
    const std::set<std::string> own = {"VAR1", "VAR30", "VAR31", "VAR32", "VAR33"};
    std::vector<std::string> acc = accumulators();
    for (const char* name : {"zdr_plan", "zdr_to", "zdr_var", "zdr_td", "zdr_pago", "zdr_fb", "zdr_fb2", "zdr_fe",
                             "zdr_ecpn"}) {
        Table mine = load(set(), name), common = load("datos", name);
        ASSERT_EQ(mine.rows.size(), common.rows.size()) << name;
        for (std::size_t i = 0; i < mine.rows.size(); ++i)
            for (const auto& f : mine.fields) {
                const std::string& n = f.name;
                if (std::find(acc.begin(), acc.end(), n) != acc.end() || startsWith(n, "NUMERO") || own.count(n) ||
                    startsWith(n, "TCC") || startsWith(n, "TCV"))
                    continue;
                EXPECT_EQ(mine.rows[i].v.at(n), common.rows[i].v.at(n)) << name << " row " << i + 1 << " " << n;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, TemplateSet, ::testing::Values(std::string("datos"), std::string("datos2")),
                         [](const auto& info) { return info.param; });

}  // namespace
