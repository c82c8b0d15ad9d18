// The listing templates of the master tables (data/reportes/*.qrt), each run over a
// table with the layout its listing prints and the report header table of the
// installation (data/reportes/var.fields).
#include <gtest/gtest.h>

#include "support/readers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "output/report/layout.h"
#include "output/report/template.h"
#include "support.h"

#ifdef QRX_REPORT_QT
#include <QFont>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QString>

#include <array>
#include <filesystem>
#include <memory>

#include "output/report/pdf.h"
#endif

namespace {

using testsupport::run;

using store::Decimal;
using store::FieldDef;
using store::Type;
using store::Value;

const std::string kSource = QRX_DATA_SOURCE_DIR;

// One record: field name and value (texts as the tables hold them, Windows-1252).
using Record = std::vector<std::pair<std::string, Value>>;

// A text that a listing must show below its column headings: under the heading
// `heading` (same left edge, right edge or centre as the heading, by alignment;
// empty: anywhere) and with the alignment given.
struct Shown {
    std::string text;  // UTF-8
    std::string heading;
    report::Align align = report::Align::Left;
};

struct Listing {
    std::string name;  // template, data/reportes/NAME.qrt
    std::vector<FieldDef> fields;
    bool landscape = false;
    std::string title;                  // report name and the title line
    std::vector<std::string> headings;  // column headings, on every page
    std::vector<Record> records;
    std::vector<Shown> shown;
    std::vector<std::string> absent;  // texts that must not be printed
    // The i-th record of a long table (i from 0) and the text that shows it.
    std::function<Record(int)> bulk;
    std::function<std::string(int)> bulkText;
};

void PrintTo(const Listing& l, std::ostream* os) { *os << l.name << ".qrt"; }

std::string fmt(const char* f, int i) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, i);
    return buf;
}

Value dec(const char* text) { return Value(Decimal::of(text)); }
Value date(int y, int m, int d) { return Value(*store::Date::fromYmd(y, m, d)); }

std::vector<FieldDef> monthly(std::vector<FieldDef> fields, const std::string& prefix, int length, int decimals) {
    for (int m = 0; m <= 13; ++m) fields.push_back({prefix + fmt("%02d", m), Type::Num, length, decimals});
    return fields;
}

std::vector<FieldDef> planFields() {
    std::vector<FieldDef> f{{"CUENTA", Type::Char, 10, 0}, {"NOMBRE", Type::Char, 80, 0}, {"BD", Type::Char, 1, 0},
                            {"RNF", Type::Char, 1, 0},     {"CTA", Type::Char, 1, 0},     {"TDEBE", Type::Char, 10, 0},
                            {"THABER", Type::Char, 10, 0}, {"SD", Type::Char, 1, 0},      {"BCTACTE", Type::Char, 30, 0},
                            {"BANCOEF", Type::Char, 2, 0}, {"BANCOMO", Type::Char, 1, 0}, {"CRU", Type::Char, 1, 0},
                            {"BG", Type::Char, 4, 0},      {"BG2", Type::Char, 4, 0}};
    for (const char* p : {"DEBE", "HABER", "DEBED", "HABERD"}) f = monthly(f, p, 15, 2);
    return f;
}

std::vector<FieldDef> ctacFields() {
    return {{"RUT", Type::Char, 11, 0},  {"RS", Type::Char, 40, 0},    {"NOM1", Type::Char, 20, 0},
            {"NOM2", Type::Char, 20, 0}, {"APE1", Type::Char, 20, 0},  {"APE2", Type::Char, 20, 0},
            {"TIPO", Type::Char, 20, 0}, {"DI", Type::Char, 60, 0},    {"FONO", Type::Char, 20, 0},
            {"CODIGO", Type::Char, 11, 0}, {"ATEN", Type::Char, 30, 0}, {"DCRED", Type::Char, 2, 0},
            {"ARUT", Type::Char, 11, 0}, {"ARS", Type::Char, 40, 0},   {"ADI", Type::Char, 60, 0},
            {"AFONO", Type::Char, 20, 0}, {"VEND", Type::Char, 10, 0}, {"TDOC", Type::Char, 13, 0}};
}

Record counters(Record r, std::vector<int> n) {
    for (std::size_t m = 0; m < n.size(); ++m) r.push_back({fmt("NUMERO%02d", static_cast<int>(m)), Value(n[m])});
    return r;
}

const std::vector<std::string> kMonths{"Apertura", "Enero",   "Febrero",   "Marzo",   "Abril",     "Mayo",
                                       "Junio",    "Julio",   "Agosto",    "Setiembre", "Octubre", "Noviembre",
                                       "Diciembre", "Cierre"};

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

using report::Align;

std::vector<Listing> listings() {
    std::vector<Listing> all;

    all.push_back({"utsce",
                   {{"DES", Type::Char, 20, 0}, {"VIA", Type::Char, 50, 0}, {"VIA2", Type::Char, 50, 0}},
                   true,
                   "RELACIÓN DE EMPRESAS",
                   {"Empresa", "Ruta", "Ruta para recuperar datos y parametros"},
                   {{{"DES", Value("COMERCIAL NORTE SAC")}, {"VIA", Value("C:\\QRX2012\\SUR")}},
                    {{"DES", Value("PANADER\xCD" "A EL A\xD1O SAC")},
                     {"VIA", Value("D:\\CONTABILIDAD\\EMPRESAS\\2012\\PANADER\xCD" "A EL A\xD1O SAC")},
                     {"VIA2", Value("E:\\RESPALDO\\SUR")}}},
                   {{"COMERCIAL NORTE SAC", "Empresa"},
                    {"PANADERÍA EL AÑO SAC", "Empresa"},
                    {"D:\\CONTABILIDAD\\EMPRESAS\\2012\\PANADERÍA EL AÑO SAC", "Ruta"},
                    {"C:\\QRX2012\\SUR", "Ruta"},
                    {"E:\\RESPALDO\\SUR", "Ruta para recuperar datos y parametros"}},
                   {},
                   [](int i) { return Record{{"DES", Value(fmt("EMPRESA %03d", i))}, {"VIA", Value(fmt("C:\\E%03d", i))}}; },
                   [](int i) { return fmt("EMPRESA %03d", i); }});

    all.push_back({"tapla",
                   planFields(),
                   false,
                   "PLAN DE CUENTAS",
                   {"Cuenta", "Nombre de la Cuenta", "N", "T", "A", "Amarre Debe", "Amarre Haber", "M.E."},
                   {{{"CUENTA", Value("10")}, {"NOMBRE", Value("CAJA Y BANCOS")}, {"BD", Value("1")},
                     {"RNF", Value("A")}, {"DEBE01", dec("1234.56")}, {"HABER01", dec("78.9")}},
                    {{"CUENTA", Value("1041")}, {"NOMBRE", Value("CTAS. CORRIENTES OPERATIVAS D\xD3LARES")},
                     {"BD", Value("3")}, {"RNF", Value("A")}, {"CTA", Value("B")}, {"SD", Value("S")},
                     {"BCTACTE", Value("193-1234567-1-88")}, {"BANCOEF", Value("02")}, {"BANCOMO", Value("2")}},
                    // the longest name of the general chart
                    {{"CUENTA", Value("7761")},
                     {"NOMBRE", Value("Diferencia en cambio de inversiones permanentes en entidades extranjeras")},
                     {"BD", Value("3")}, {"RNF", Value("R")}},
                    {{"CUENTA", Value("6011")}, {"NOMBRE", Value("MERCADER\xCD" "AS MANUFACTURADAS")},
                     {"BD", Value("3")}, {"RNF", Value("N")}, {"TDEBE", Value("9111")}, {"THABER", Value("7911")},
                     {"DEBED05", dec("345.60")}}},
                   {{"10", "Cuenta"},
                    {"CAJA Y BANCOS", "Nombre de la Cuenta"},
                    {"1", "N", Align::Center},
                    {"CTAS. CORRIENTES OPERATIVAS DÓLARES", "Nombre de la Cuenta"},
                    {"B", "A", Align::Center},
                    {"S", "M.E."},
                    {"Diferencia en cambio de inversiones permanentes en entidades extranjeras", "Nombre de la Cuenta"},
                    {"MERCADERÍAS MANUFACTURADAS", "Nombre de la Cuenta"},
                    {"N", "T", Align::Center},
                    {"9111", "Amarre Debe"},
                    {"7911", "Amarre Haber"}},
                   // the accumulators and the bank data are not part of the listing
                   {"1,234.56", "1234.56", "78.90", "345.60", "193-1234567-1-88"},
                   [](int i) {
                       return Record{{"CUENTA", Value(fmt("60%04d", i))}, {"NOMBRE", Value(fmt("CUENTA %d", i))},
                                     {"BD", Value("3")}};
                   },
                   [](int i) { return fmt("60%04d", i); }});

    all.push_back({"taori",
                   monthly({{"TOV", Type::Char, 2, 0}, {"ORIGEN", Type::Char, 30, 0}}, "NUMERO", 4, 0),
                   true,
                   "ORIGENES",
                   join({"Código", "Descripción"}, kMonths),
                   {counters({{"TOV", Value("02")}, {"ORIGEN", Value("COMPRAS E IMPORTACI\xD3N DIRECTAS")}},
                             {0, 12, 345, 9999, 7, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
                    counters({{"TOV", Value("05")}, {"ORIGEN", Value("VENTAS")}},
                             {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14})},
                   {{"02", "Código"},
                    {"COMPRAS E IMPORTACIÓN DIRECTAS", "Descripción"},
                    {"12", "Enero", Align::Right},
                    {"345", "Febrero", Align::Right},
                    {"9999", "Marzo", Align::Right},
                    {"7", "Abril", Align::Right},
                    {"VENTAS", "Descripción"},
                    {"11", "Octubre", Align::Right},
                    {"13", "Diciembre", Align::Right},
                    {"14", "Cierre", Align::Right}},
                   {},
                   [](int i) { return counters({{"TOV", Value(fmt("%02d", i))}, {"ORIGEN", Value(fmt("ORIGEN %d", i))}}, {i}); },
                   [](int i) { return fmt("ORIGEN %d", i); }});

    all.push_back({"tatid",
                   {{"TD", Type::Char, 2, 0}, {"DOC", Type::Char, 30, 0}},
                   false,
                   "TIPO DE DOCUMENTO",
                   {"Código", "Documento"},
                   {{{"TD", Value("01")}, {"DOC", Value("FACTURA")}},
                    {{"TD", Value("07")}, {"DOC", Value("NOTA DE CR\xC9" "DITO")}},
                    {{"TD", Value("BV")}, {"DOC", Value("BOLETA DE VENTA")}},
                    {{"TD", Value("12")}, {"DOC", Value("Ticket de m\xE1quina registradora")}}},
                   {{"01", "Código"}, {"FACTURA", "Documento"}, {"NOTA DE CRÉDITO", "Documento"}, {"BV", "Código"}, {"Ticket de máquina registradora", "Documento"}},
                   {},
                   [](int i) { return Record{{"TD", Value(fmt("%02d", i))}, {"DOC", Value(fmt("DOCUMENTO %d", i))}}; },
                   [](int i) { return fmt("DOCUMENTO %d", i); }});

    all.push_back({"tapro",
                   ctacFields(),
                   true,
                   "PROVEEDORES / CLIENTES /...",
                   {"Código", "Cod.Tributario", "Documento", "Razón Social", "Tipo", "Teléfono", "Atención", "Nombres",
                    "Apellidos", "Dirección", "Días Crédito", "Vendedor", "Asociado"},
                   {{{"RUT", Value("P0001")}, {"RS", Value("DISTRIBUIDORA COMERCIAL LA MONTA\xD1" "A SAC")},
                     {"TIPO", Value("PROVEEDOR")}, {"DI", Value("AV. LOS PR\xD3" "CERES 123")},
                     {"FONO", Value("01-4445566")}, {"CODIGO", Value("20100047218")}, {"ATEN", Value("SR. I\xD1IGO")},
                     {"TDOC", Value("6 RUC        ")}},
                    {{"RUT", Value("C0002")}, {"NOM1", Value("JOS\xC9")}, {"NOM2", Value("MAR\xCD" "A")},
                     {"APE1", Value("PE\xD1" "A")}, {"APE2", Value("G\xD3MEZ")}, {"TIPO", Value("CLIENTE")},
                     {"CODIGO", Value("10456789")}, {"DCRED", Value("30")}, {"VEND", Value("V01")},
                     {"ARUT", Value("20512345678")}, {"ARS", Value("INVERSIONES \xC1NCASH")},
                     {"ADI", Value("JR. HUARAZ 45")}, {"AFONO", Value("043-421234")}, {"TDOC", Value("1 DNI        ")}}},
                   {{"P0001", "Código"},
                    {"20100047218", "Cod.Tributario"},
                    {"6 RUC", "Documento"},
                    {"DISTRIBUIDORA COMERCIAL LA MONTAÑA SAC", "Razón Social"},
                    {"PROVEEDOR", "Tipo"},
                    {"01-4445566", "Teléfono"},
                    {"SR. IÑIGO", "Atención"},
                    {"AV. LOS PRÓCERES 123", "Dirección"},
                    {"JOSÉ", "Nombres"},
                    {"MARÍA", ""},
                    {"PEÑA", "Apellidos"},
                    {"GÓMEZ", ""},
                    {"1 DNI", "Documento"},
                    {"30", "Días Crédito"},
                    {"V01", "Vendedor"},
                    {"20512345678", "Asociado"},
                    {"INVERSIONES ÁNCASH", "Razón Social"},
                    {"JR. HUARAZ 45", "Dirección"},
                    {"043-421234", "Teléfono"}},
                   {},
                   [](int i) {
                       return Record{{"RUT", Value(fmt("R%05d", i))}, {"RS", Value(fmt("RAZON %d", i))},
                                     {"TDOC", Value("6 RUC        ")}};
                   },
                   [](int i) { return fmt("R%05d", i); }});

    all.push_back({"tatca",
                   {{"FECHA", Type::Date, 8, 0}, {"TC", Type::Num, 10, 5}, {"TV", Type::Num, 10, 5}},
                   false,
                   "TIPO DE CAMBIO DIARIO",
                   {"Fecha", "Compra", "Venta"},
                   {{{"FECHA", date(2012, 1, 2)}, {"TC", dec("3.45650")}, {"TV", dec("3.45649")}},
                    {{"FECHA", date(2012, 3, 15)}, {"TC", dec("2.69950")}, {"TV", dec("0.5")}},
                    {{"FECHA", date(2012, 12, 31)}, {"TC", dec("10.12345")}, {"TV", dec("2.70049")}}},
                   {{"02/01/2012", "Fecha"},
                    {"3.457", "Compra", Align::Right},
                    {"3.456", "Venta", Align::Right},
                    {"15/03/2012", "Fecha"},
                    {"2.700", "Compra", Align::Right},
                    {"0.500", "Venta", Align::Right},
                    {"31/12/2012", "Fecha"},
                    {"10.123", "Compra", Align::Right}},
                   // five stored decimals are not shown; dates are not in the stored form
                   {"3.45650", "3.4565", "20120102", "2012-01-02"},
                   [](int i) { return Record{{"FECHA", Value(store::Date::fromYmd(2012, 1, 1)->addDays(i))}, {"TC", dec("3.5")}}; },
                   [](int i) { return store::Date::fromYmd(2012, 1, 1)->addDays(i).toText(); }});

    all.push_back({"tampa",
                   {{"CODIGO", Type::Char, 3, 0}, {"NOMBRE", Type::Char, 30, 0}},
                   false,
                   "MEDIOS DE PAGO",
                   {"Código", "Nombre"},
                   {{{"CODIGO", Value("001")}, {"NOMBRE", Value("DEP\xD3SITO EN CUENTA")}},
                    {{"CODIGO", Value("008")}, {"NOMBRE", Value("EFECTIVO")}},
                    {{"CODIGO", Value("104")}, {"NOMBRE", Value("Orden pago documentario - Ext.")}}},
                   {{"001", "Código"}, {"DEPÓSITO EN CUENTA", "Nombre"}, {"008", "Código"}, {"EFECTIVO", "Nombre"}, {"Orden pago documentario - Ext.", "Nombre"}},
                   {},
                   [](int i) { return Record{{"CODIGO", Value(fmt("%03d", i))}, {"NOMBRE", Value(fmt("MEDIO %d", i))}}; },
                   [](int i) { return fmt("MEDIO %d", i); }});
    return all;
}

// The report header table as the installation defines it (var.fields), with one record.
struct Heading {
    std::string var30 = "COMERCIAL SUR S.A.", var31 = "AV. GRAU 123 - PIURA", var32 = "R.U.C. 20123456789",
                var33 = "SUCURSAL \xC1REA NORTE";
    std::string titulo1, titulo2, titulo3;
};

store::WorkArea* makeVar(store::Store& s, const std::string& path, const Heading& h) {
    std::ifstream in(kSource + "/reportes/var.fields");
    if (!in) throw std::runtime_error("no var.fields");
    std::vector<FieldDef> fields;
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string name, type;
        int width = 0;
        if (!(words >> name >> type >> width)) continue;
        if (type != "C") throw std::runtime_error("var.fields: " + line);
        fields.push_back({name, Type::Char, width, 0});
    }
    store::Store::createTable(path, fields);
    store::WorkArea* a = s.use(path, "var2", false);
    if (!a->appendBlank()) throw std::runtime_error("append failed");
    a->put("VAR5", Value("2012"));
    a->put("VAR30", Value(h.var30));
    a->put("VAR31", Value(h.var31));
    a->put("VAR32", Value(h.var32));
    a->put("VAR33", Value(h.var33));
    a->put("VARMES", Value(" DEL MES DE ENERO    "));
    a->put("TITULO1", Value(h.titulo1));
    a->put("TITULO2", Value(h.titulo2));
    a->put("TITULO3", Value(h.titulo3));
    a->commit();
    return a;
}

store::WorkArea* makeData(store::Store& s, const std::string& path, const Listing& l, const std::vector<Record>& records) {
    store::Store::createTable(path, l.fields);
    store::WorkArea* a = s.use(path, "vou2", false);
    for (const auto& r : records) {
        if (!a->appendBlank()) throw std::runtime_error("append failed");
        for (const auto& [name, value] : r) a->put(name, value);
    }
    a->commit();
    a->goTop();
    return a;
}

report::Template load(const Listing& l) { return report::loadTemplate(kSource + "/reportes/" + l.name + ".qrt"); }

const std::vector<std::string> kCompany{"COMERCIAL SUR S.A.", "AV. GRAU 123 - PIURA", "R.U.C. 20123456789",
                                        "SUCURSAL ÁREA NORTE"};

const report::Item* find(const report::Page& page, const std::string& text, double below = -1) {
    for (const auto& i : page.items)
        if (i.text == text && i.y > below) return &i;
    return nullptr;
}

int count(const report::Page& page, const std::string& text) {
    return static_cast<int>(std::count_if(page.items.begin(), page.items.end(), [&](const auto& i) { return i.text == text; }));
}

// The lowest line of the column headings on a page (the page header comes first,
// so the first item with a heading's text is the heading itself).
double headingsBottom(const report::Page& page, const Listing& l) {
    double y = -1;
    for (const auto& h : l.headings)
        if (const report::Item* i = find(page, h)) y = std::max(y, i->y);
    return y;
}

// What every page must hold: the company lines at the top, the title, the column
// headings, its page number; texts on one line do not overlap and stay inside the
// printable area.
void checkPage(const report::Document& doc, std::size_t p, const Listing& l, const report::Template& t) {
    SCOPED_TRACE(l.name + " page " + std::to_string(p + 1));
    const auto& page = doc.pages[p];
    for (const auto& c : kCompany) EXPECT_EQ(count(page, c), 1) << c;
    EXPECT_EQ(count(page, l.title), 1);
    EXPECT_EQ(count(page, "Página " + std::to_string(p + 1)), 1);
    for (const auto& h : l.headings) EXPECT_GE(count(page, h), 1) << h;
    const double bottom = headingsBottom(page, l);
    const report::Item* company = find(page, kCompany[0]);
    const report::Item* title = find(page, l.title);
    ASSERT_TRUE(company && title);
    EXPECT_DOUBLE_EQ(company->y, t.margin);  // at the top of the page
    EXPECT_LT(company->y, title->y);
    EXPECT_LT(title->y, bottom);
    for (std::size_t a = 0; a < page.items.size(); ++a) {
        const auto& i = page.items[a];
        EXPECT_NE(i.text.find_first_not_of(' '), std::string::npos) << "blank item at " << i.x << "," << i.y;
        EXPECT_GE(i.x, t.margin - 1e-9) << i.text;
        EXPECT_LE(i.x + i.width, doc.pageWidth - t.margin + 1e-9) << i.text;
        EXPECT_LE(i.y + i.height, doc.pageHeight - t.margin + 1e-9) << i.text;
        for (std::size_t b = a + 1; b < page.items.size(); ++b) {
            const auto& j = page.items[b];
            if (std::abs(i.y - j.y) > 1e-9) continue;
            EXPECT_TRUE(i.x + i.width <= j.x + 1e-9 || j.x + j.width <= i.x + 1e-9)
                << "\"" << i.text << "\" and \"" << j.text << "\" overlap";
        }
    }
}

class ListingTemplate : public ::testing::TestWithParam<Listing> {};

TEST_P(ListingTemplate, NamesOnlyFieldsOfItsTables) {
    const Listing& l = GetParam();
    const report::Template t = load(l);
    std::set<std::string> data, used;
    for (const auto& f : l.fields) data.insert(f.name);
    const std::set<std::string> var{"VAR5", "VAR30", "VAR31", "VAR32", "VAR33", "VARMES", "TITULO1", "TITULO2", "TITULO3"};
    auto check = [&](const report::Source& s, int line) {
        if (s.set == report::DataSet::Data) {
            EXPECT_TRUE(data.count(s.field)) << l.name << ".qrt:" << line << ": " << s.field;
            used.insert(s.field);
        } else {
            EXPECT_TRUE(var.count(s.field)) << l.name << ".qrt:" << line << ": var." << s.field;
        }
    };
    for (const auto& b : t.bands)
        for (const auto& e : b.elements) {
            if (e.kind == report::Element::Kind::Text) {
                for (const auto& p : e.pieces)
                    if (p.kind == report::Piece::Kind::Field) check(p.source, e.sourceLine);
            } else {
                check(e.source, e.sourceLine);
            }
        }
    EXPECT_FALSE(used.empty());
    EXPECT_EQ(t.name, l.title);
    EXPECT_TRUE(t.band(report::BandKind::PageHeader));
    EXPECT_TRUE(t.band(report::BandKind::Detail));
}

TEST_P(ListingTemplate, ShowsTheRecordsFormattedUnderTheirHeadings) {
    const Listing& l = GetParam();
    report_test::TempDir dir;
    store::Store s;
    auto* data = makeData(s, dir.file("data.dbf"), l, l.records);
    auto* var = makeVar(s, dir.file("var.dbf"), Heading{});
    const report::Template t = load(l);
    const report::Document doc = report::layout(t, *data, var);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(doc.name, l.title);
    EXPECT_DOUBLE_EQ(doc.pageWidth, l.landscape ? 297 : 210);
    EXPECT_DOUBLE_EQ(doc.pageHeight, l.landscape ? 210 : 297);
    checkPage(doc, 0, l, t);
    const auto& page = doc.pages[0];
    const double bottom = headingsBottom(page, l);
    for (const auto& want : l.shown) {
        SCOPED_TRACE(l.name + ": " + want.text);
        const report::Item* item = find(page, want.text, bottom);
        ASSERT_TRUE(item) << "not printed";
        EXPECT_EQ(item->align, want.align);
        if (want.heading.empty()) continue;
        bool under = false;
        for (const auto& h : page.items) {
            if (h.text != want.heading || h.y > bottom) continue;
            const double hl = h.x, hr = h.x + h.width, il = item->x, ir = item->x + item->width;
            switch (want.align) {
                case Align::Left: under = under || std::abs(hl - il) < 1e-6; break;
                case Align::Right: under = under || (std::abs(hr - ir) < 1e-6 && h.align == Align::Right); break;
                case Align::Center: under = under || std::abs((hl + hr) - (il + ir)) < 1e-6; break;
            }
        }
        EXPECT_TRUE(under) << "not under \"" << want.heading << "\"";
    }
    for (const auto& text : l.absent) EXPECT_FALSE(find(page, text)) << l.name << ": " << text;
    // blank titles print nothing between the title and the headings
    double first = bottom;
    for (const auto& h : l.headings)
        if (const report::Item* i = find(page, h)) first = std::min(first, i->y);
    const double titleY = find(page, l.title)->y;
    for (const auto& i : page.items)
        EXPECT_FALSE(i.y > titleY + 1e-9 && i.y < first - 1e-9) << l.name << ": \"" << i.text << "\"";
}

TEST_P(ListingTemplate, RepeatsTheHeadingsOnEveryPage) {
    const Listing& l = GetParam();
    constexpr int kRecords = 90;
    std::vector<Record> records;
    for (int i = 0; i < kRecords; ++i) records.push_back(l.bulk(i));
    report_test::TempDir dir;
    store::Store s;
    auto* data = makeData(s, dir.file("data.dbf"), l, records);
    Heading h;
    h.titulo1 = "DEL 01/01/2012 AL 31/12/2012";
    h.titulo2 = "ANEXO 1";
    h.titulo3 = "EXPRESADO EN NUEVOS SOLES (S/.) - A\xD1O 2012";
    auto* var = makeVar(s, dir.file("var.dbf"), h);
    const report::Template t = load(l);
    const report::Document doc = report::layout(t, *data, var);
    ASSERT_GE(doc.pages.size(), 2u);
    const double detailHeight = t.band(report::BandKind::Detail)->rows() * doc.lineHeight;
    int next = 0;  // the next generated record expected
    for (std::size_t p = 0; p < doc.pages.size(); ++p) {
        checkPage(doc, p, l, t);
        const auto& page = doc.pages[p];
        // the titles that were given, in their order between the title and the headings
        double above = find(page, l.title)->y;
        for (const std::string title : {"DEL 01/01/2012 AL 31/12/2012", "ANEXO 1", "EXPRESADO EN NUEVOS SOLES (S/.) - AÑO 2012"}) {
            const report::Item* item = find(page, title);
            ASSERT_TRUE(item) << title;
            EXPECT_GT(item->y, above) << title;
            EXPECT_LT(item->y, headingsBottom(page, l)) << title;
            above = item->y;
        }
        double last = 0;
        for (const auto& i : page.items) {
            if (next < kRecords && i.text == l.bulkText(next)) {
                EXPECT_GT(i.y, headingsBottom(page, l)) << i.text;
                last = i.y;
                ++next;
            }
        }
        EXPECT_GT(last, 0) << "page " << p + 1 << " has no records";
        // a page is only left when the next record does not fit on it
        if (p + 1 < doc.pages.size()) {
            EXPECT_GT(last + 2 * detailHeight, doc.pageHeight - t.margin) << "page " << p + 1;
        }
    }
    EXPECT_EQ(next, kRecords) << "records missing or out of order";
    EXPECT_EQ(count(doc.pages.back(), "Página " + std::to_string(doc.pages.size() + 1)), 0);
}

#ifdef QRX_REPORT_QT

TEST_P(ListingTemplate, WritesAPdfWithWholeHeadings) {
    const Listing& l = GetParam();
    if (run("command -v pdftotext").empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    report_test::TempDir dir;
    store::Store s;
    auto* data = makeData(s, dir.file("data.dbf"), l, l.records);
    auto* var = makeVar(s, dir.file("var.dbf"), Heading{});
    const report::Template t = load(l);
    const report::Document doc = report::layout(t, *data, var);
    // The fixed texts and the values of the records fit their boxes (nothing of them
    // is cut in the PDF), and the texts drawn on one line stay at least a blank apart.
    {
        QPdfWriter device(QString::fromStdString(dir.file("measure.pdf")));
        device.setResolution(1200);
        QFont regular(QString::fromStdString(doc.fontFamily));
        regular.setPointSizeF(doc.fontSize);
        QFont bold = regular;
        bold.setBold(true);
        auto advance = [&](const report::Item& i) {
            return QFontMetricsF(i.bold ? bold : regular, &device).horizontalAdvance(QString::fromStdString(i.text)) /
                   1200 * 25.4;
        };
        const double blank = QFontMetricsF(regular, &device).horizontalAdvance(QStringLiteral(" ")) / 1200 * 25.4;
        // where the text is drawn: [left, right] in mm
        auto extent = [&](const report::Item& i) {
            const double w = std::min(advance(i), i.width);
            const double left = i.align == Align::Left    ? i.x
                                : i.align == Align::Right ? i.x + i.width - w
                                                          : i.x + (i.width - w) / 2;
            return std::make_pair(left, left + w);
        };
        const auto& items = doc.pages[0].items;
        for (std::size_t a = 0; a < items.size(); ++a) {
            const auto& i = items[a];
            const bool fixed = i.text == l.title ||
                               std::find(l.headings.begin(), l.headings.end(), i.text) != l.headings.end();
            const bool value = std::any_of(l.shown.begin(), l.shown.end(), [&](const Shown& w) { return w.text == i.text; });
            if (fixed || value) {
                EXPECT_LE(advance(i), i.width) << l.name << ": \"" << i.text << "\" is cut";
            }
            for (std::size_t b = a + 1; b < items.size(); ++b) {
                const auto& j = items[b];
                if (std::abs(i.y - j.y) > 1e-9) continue;
                const auto [il, ir] = extent(i);
                const auto [jl, jr] = extent(j);
                EXPECT_GE(std::max(jl - ir, il - jr), blank) << l.name << ": \"" << i.text << "\" touches \"" << j.text << "\"";
            }
        }
    }
    const std::string pdf = dir.file(l.name + ".pdf");
    report::writePdf(doc, pdf);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const std::string text = run("pdftotext -layout '" + pdf + "' -");
    for (const auto& want : join({l.title, kCompany[0], kCompany[3], "Página 1"}, l.headings))
        EXPECT_NE(text.find(want), std::string::npos) << l.name << ": " << want << "\n" << text;
    for (const auto& want : l.shown) EXPECT_NE(text.find(want.text), std::string::npos) << l.name << ": " << want.text;
}
#endif

INSTANTIATE_TEST_SUITE_P(Masters, ListingTemplate, ::testing::ValuesIn(listings()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
