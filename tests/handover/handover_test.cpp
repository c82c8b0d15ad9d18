// The report hand-over over a start folder with its "reportes" folder and a
// company: the header record, the data table and its order, the template lookup,
// design mode, and what the user is told when something is missing or in use.
#include "output/report/handover.h"

#include <gtest/gtest.h>

#include "support/readers.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "output/report/file_viewer.h"
#include "platform/paths.h"
#include "support/files.h"
#include "ui/backend.h"
#include "ui/script.h"

namespace fs = std::filesystem;
using store::Decimal;
using store::Type;
using store::Value;

namespace {

using testsupport::run;


std::string trim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// Keeps what the hand-over showed, and what was open while it was shown.
struct Recorder : report::Viewer {
    store::Store* st = nullptr;
    int previews = 0, designs = 0;
    std::string name, designPath;
    report::Document doc;
    std::vector<std::string> openAliases;
    std::map<std::string, std::string> header;  // VAR2's fields, blanks trimmed
    std::vector<std::string> order;             // vou2's CUENTA in the order read

    void capture() {
        openAliases = st->aliases();
        if (store::WorkArea* h = st->find("VAR2"))
            for (const auto& f : h->fields()) header[f.name] = trim(h->text(f.name));
        if (store::WorkArea* d = st->find("vou2"))
            for (d->goTop(); !d->eof(); d->skip()) order.push_back(trim(d->text("CUENTA")));
    }
    void preview(const std::string& n, const report::Document& d) override {
        ++previews;
        name = n;
        doc = d;
        capture();
    }
    report::DesignFields fields;
    void design(const std::string& path, const std::string& n, const report::DesignFields& f,
                const std::function<report::Document(const report::Template&)>& run) override {
        ++designs;
        name = n;
        designPath = path;
        fields = f;
        report::Template empty;
        doc = run(empty);
        capture();
    }
};

class HandOver : public ::testing::Test {
public:
    void SetUp() override {
        platform::setStartFolder(dir.path());
        fs::create_directories(dir.file("reportes"));
        fs::copy_file(std::string(QRX_INSTALL_DATA) + "/reportes/var.dbf", dir.file("reportes/var.dbf"));
        fs::create_directories(dir.file("empresa1"));
        // the company's parameter record
        store::Store::createTable(dir.file("empresa1/zdr_var"), {{"VAR1", Type::Char, 40, 0},
                                                                 {"VAR5", Type::Char, 4, 0},
                                                                 {"VAR30", Type::Char, 60, 0},
                                                                 {"VAR31", Type::Char, 60, 0},
                                                                 {"VAR32", Type::Char, 60, 0},
                                                                 {"VAR33", Type::Char, 60, 0}});
        store::WorkArea* var = st.use(dir.file("empresa1/zdr_var"), "var", true);
        EXPECT_TRUE(var->appendBlank());
        var->put("VAR5", Value("2026"));
        var->put("VAR30", Value("COMERCIAL \xD1" "AUPE S.A."));  // Windows-1252 Ñ
        var->put("VAR31", Value("AV. LOS PINOS 123"));
        var->put("VAR33", Value("20100070970"));
        var->unlock();
        // a data table with its index
        store::Store::createTable(dir.file("empresa1/zdr_plan"),
                                  {{"CUENTA", Type::Char, 10, 0}, {"DESCRI", Type::Char, 40, 0}, {"DEBE01", Type::Num, 17, 2}});
        store::WorkArea* plan = st.use(dir.file("empresa1/zdr_plan"), "plan", true);
        for (auto [c, d, n] : std::vector<std::tuple<const char*, const char*, const char*>>{
                 {"42", "PROVEEDORES", "10.50"}, {"10", "CAJA", "1234.56"}, {"12", "CLIENTES", "0"}}) {
            EXPECT_TRUE(plan->appendBlank());
            plan->put("CUENTA", Value(c));
            plan->put("DESCRI", Value(d));
            plan->put("DEBE01", Value(Decimal::of(n)));
        }
        plan->unlock();
        plan->createIndex(dir.file("empresa1/plan1.ntx"), "cuenta");
        plan->go(2);  // the caller's position
        ctx.store = &st;
        ctx.MES = "ENERO    ";
        script = std::make_shared<ui::ScriptBackend>();
        ui::install(script);
        recorder.st = &st;
        report::installViewer(&recorder);
    }
    void TearDown() override {
        report::installViewer(nullptr);
        platform::resetStartFolder();
    }
    void writeTemplate(const std::string& name, const std::string& text) {
        testsupport::writeFile(dir.file("reportes/" + name + ".qrt"), text);
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> r;
        for (const auto& s : script->shown()) r.push_back(s.text);
        return r;
    }
    std::string plan() const { return dir.path() + "/empresa1/zdr_plan"; }

    testsupport::TempDir dir;
    store::Store st;
    report::HandOverContext ctx;
    std::shared_ptr<ui::ScriptBackend> script;
    Recorder recorder;
};

const char* const kListing = R"(report "PLAN"
band pageheader
  text "{var.VAR30}" at 0 width 60
  text "{var.TITULO1} {var.VARMES}" at 60 width 40
band detail
  field data.CUENTA at 0 width 20
  field data.DESCRI at 20 width 50
  field data.DEBE01 at 70 width 30 align right picture "@Z 999,999,999.99"
)";

TEST_F(HandOver, FillsTheHeaderRecordAndFollowsTheIndex) {
    writeTemplate("tapla", kListing);
    report::REPORTE(ctx, " tapla ", "  " + plan() + " ", "  PLAN DE CUENTAS ", " ", "Soles", dir.path() + "/empresa1/plan1");
    EXPECT_TRUE(messages().empty()) << messages().front();
    ASSERT_EQ(recorder.previews, 1);
    EXPECT_EQ(recorder.name, "tapla");
    EXPECT_EQ(recorder.header["VAR5"], "2026");
    EXPECT_EQ(recorder.header["VAR30"], "COMERCIAL \xD1" "AUPE S.A.");
    EXPECT_EQ(recorder.header["VAR31"], "AV. LOS PINOS 123");
    EXPECT_EQ(recorder.header["VAR32"], "");
    EXPECT_EQ(recorder.header["VAR33"], "20100070970");
    EXPECT_EQ(recorder.header["VARMES"], " DEL MES DE ENERO");
    EXPECT_EQ(recorder.header["TITULO1"], "PLAN DE CUENTAS");
    EXPECT_EQ(recorder.header["TITULO2"], "");
    EXPECT_EQ(recorder.header["TITULO3"], "Soles");
    EXPECT_EQ(recorder.order, (std::vector<std::string>{"10", "12", "42"}));
    // the laid-out page: heading from the header record, rows in index order, amounts with the picture
    std::vector<std::string> texts;
    for (const auto& item : recorder.doc.pages.at(0).items) texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"COMERCIAL ÑAUPE S.A.", "PLAN DE CUENTAS DEL MES DE ENERO", "10", "CAJA",
                                               "1,234.56", "12", "CLIENTES", "42", "PROVEEDORES", "10.50"}));
    // everything the hand-over opened is closed; the caller's table keeps its place
    EXPECT_EQ(st.aliases(), (std::vector<std::string>{"var", "plan"}));
    EXPECT_EQ(st.current().alias(), "plan");
    EXPECT_EQ(st.area("plan").recno(), 2u);
}

TEST_F(HandOver, AccumulatedPeriodAndRecordOrderWithoutIndex) {
    ctx.MA = 2;
    ctx.MES = "SETIEMBRE";
    writeTemplate("tapla", kListing);
    report::REPORTE(ctx, "tapla", plan(), " ", " ", " ");
    EXPECT_EQ(recorder.header["VARMES"], " AL MES DE SETIEMBRE");
    EXPECT_EQ(recorder.header["TITULO1"], "");
    EXPECT_EQ(recorder.order, (std::vector<std::string>{"42", "10", "12"}));
}

TEST_F(HandOver, TheMonthNameKeepsItsBlanksInTheHeader) {
    writeTemplate("t", "band detail\n  text \"[{var.VARMES}]\" at 0 width 100\n");
    report::REPORTE(ctx, "t", plan(), " ", " ", " ");
    store::Store other;  // the record as stored: the nine characters of the name
    store::WorkArea* h = other.use(dir.file("reportes/var"), "h", true);
    EXPECT_EQ(h->text("VARMES").substr(0, 22), " DEL MES DE ENERO     ");  // 9 + 1 of the padding
}

TEST_F(HandOver, AMissingTemplateGivesAnEmptyPreview) {
    report::REPORTE(ctx, "no existe", plan(), " ", " ", " ");
    EXPECT_TRUE(messages().empty());
    ASSERT_EQ(recorder.previews, 1);
    for (const auto& p : recorder.doc.pages) EXPECT_TRUE(p.items.empty());
}

TEST_F(HandOver, TheDesignCodeOpensTheDesigner) {
    struct Case {
        const char* arg;
        bool design;
    };
    for (Case c : {Case{"qkvqkv", true}, Case{"qkvqkv2012", true}, Case{"QKVQKV", false}, Case{"qkvqk", false},
                   Case{"", false}, Case{" qkvqkv", false}}) {
        EXPECT_EQ(report::designCode(c.arg), c.design) << c.arg;
    }
    ctx.WZDR = "qkvqkvx";
    report::REPORTE(ctx, "sunat mayor", plan(), " ", " ", " ");
    EXPECT_EQ(recorder.previews, 0);
    ASSERT_EQ(recorder.designs, 1);
    EXPECT_EQ(recorder.name, "sunat mayor");
    EXPECT_EQ(fs::path(recorder.designPath), fs::path(dir.file("reportes/sunat mayor.qrt")));
    EXPECT_TRUE(std::count(recorder.openAliases.begin(), recorder.openAliases.end(), "vou2"));
    EXPECT_EQ(recorder.fields.data, (std::vector<std::string>{"CUENTA", "DESCRI", "DEBE01"}));
    EXPECT_EQ(recorder.fields.var.at(0), "VAR5");
    EXPECT_EQ(st.aliases(), (std::vector<std::string>{"var", "plan"}));
}

TEST_F(HandOver, ProblemsAreToldAndNothingIsLeftOpen) {
    struct Case {
        const char* what;
        std::function<void(HandOver&)> prepare;
        std::string table;
        const char* message;  // part of the message shown
    };
    std::vector<Case> cases = {
        {"data table missing", [](HandOver&) {}, "/nada/zdr_plan", "No se encuentra la tabla del reporte"},
        {"faulty template", [](HandOver& t) { t.writeTemplate("tapla", "band detail\n  field data.NOHAY at 0 width 10\n"); },
         "", "tapla.qrt:2"},
        {"unsafe template name", [](HandOver&) {}, "", ""},
        {"header table missing", [](HandOver& t) { fs::remove(t.dir.file("reportes/var.dbf")); }, "", "reportes\\var.dbf"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        script = std::make_shared<ui::ScriptBackend>();
        ui::install(script);
        recorder.previews = 0;
        c.prepare(*this);
        std::string name = std::string(c.what) == "unsafe template name" ? "..\\..\\x" : "tapla";
        report::REPORTE(ctx, name, c.table.empty() ? plan() : c.table, " ", " ", " ");
        EXPECT_EQ(recorder.previews, 0);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_NE(messages()[0].find(c.message), std::string::npos) << messages()[0];
        EXPECT_EQ(st.aliases(), (std::vector<std::string>{"var", "plan"}));
        EXPECT_EQ(st.current().alias(), "plan");
    }
}

// Two workstations started from the same folder share "reportes\var": while one
// prepares its report the other is told that the report output is busy.
TEST_F(HandOver, ASecondStationIsToldTheOutputIsBusy) {
    store::Store otherStation;
    ASSERT_NE(otherStation.use(dir.file("reportes/var"), "VAR2", false), nullptr);
    report::REPORTE(ctx, "tapla", plan(), " ", " ", " ");
    EXPECT_EQ(recorder.previews, 0);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("ocupada por otra estación"), std::string::npos) << messages()[0];
    otherStation.closeAll();
    report::REPORTE(ctx, "tapla", plan(), " ", " ", " ");
    EXPECT_EQ(recorder.previews, 1);
}

// A report screen keeps its work table open exclusively while it prints it.
TEST_F(HandOver, AWorkTableHeldExclusivelyByTheCaller) {
    st.close("plan");
    store::WorkArea* work = st.use(plan(), "tmp", false);
    ASSERT_NE(work, nullptr);
    ASSERT_TRUE(work->appendBlank());
    work->put("CUENTA", Value("60"));  // not yet committed by the caller
    writeTemplate("tapla", kListing);
    report::REPORTE(ctx, "tapla", plan(), " ", " ", " ");
    EXPECT_TRUE(messages().empty()) << messages().front();
    EXPECT_EQ(recorder.order, (std::vector<std::string>{"42", "10", "12", "60"}));
}

TEST_F(HandOver, WithoutADisplayThePdfGoesToTheNamedFile) {
    if (run("command -v pdftotext").empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    writeTemplate("tapla", kListing);
    report::PdfFileViewer files(dir.file("salida-{name}.pdf"));
    report::installViewer(&files);
    report::REPORTE(ctx, "tapla", plan(), "PLAN DE CUENTAS", " ", " ", dir.path() + "/empresa1/plan1");
    ASSERT_EQ(files.written(), (std::vector<std::string>{dir.file("salida-tapla.pdf")}));
    std::string text = run("pdftotext -layout '" + dir.file("salida-tapla.pdf") + "' -");
    EXPECT_NE(text.find("COMERCIAL ÑAUPE S.A."), std::string::npos) << text;
    EXPECT_NE(text.find("PLAN DE CUENTAS DEL MES DE ENERO"), std::string::npos) << text;
    EXPECT_LT(text.find("CAJA"), text.find("PROVEEDORES"));
    EXPECT_NE(text.find("1,234.56"), std::string::npos);
    // an unwritable target is told, not thrown
    report::PdfFileViewer nowhere("/nonexistent/folder/{name}.pdf");
    report::installViewer(&nowhere);
    report::REPORTE(ctx, "tapla", plan(), " ", " ", " ");
    EXPECT_TRUE(nowhere.written().empty());
    ASSERT_FALSE(messages().empty());
    EXPECT_NE(messages().back().find("/nonexistent/folder/tapla.pdf"), std::string::npos);
}

}  // namespace
