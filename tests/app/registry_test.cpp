// The company registry screen, played through the script backend over the
// registry of a fresh start folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/company.h"
#include "app/registry.h"
#include "platform/paths.h"
#include "support.h"

namespace fs = std::filesystem;
using app_test::run;

namespace {

using app_test::trim;

struct Record {
    std::string des, via, via2;
    bool deleted;
    bool operator==(const Record& o) const {
        return des == o.des && via == o.via && via2 == o.via2 && deleted == o.deleted;
    }
};

std::ostream& operator<<(std::ostream& os, const Record& r) {
    return os << "{" << r.des << "|" << r.via << "|" << r.via2 << (r.deleted ? "|deleted" : "") << "}";
}


std::string pad(std::string s, std::size_t width) {
    s.resize(width, ' ');
    return s;
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app::openRegistry(ctx())); }

    app::Context& ctx() { return start.ctx; }

    void add(const std::string& des, const std::string& via, const std::string& via2 = "") {
        store::WorkArea& emp = ctx().store.area("emp");
        ASSERT_TRUE(emp.appendBlank());
        emp.put("DES", store::Value(des));
        emp.put("VIA", store::Value(via));
        emp.put("VIA2", store::Value(via2));
        emp.unlock();
        emp.commit();
    }

    // Every record of empresa.dbf in record order, deleted ones included, as stored.
    std::vector<Record> records() {
        store::Settings all;
        all.deletedHidden = false;
        store::Store other(all);
        store::WorkArea* e = other.use(start.file("empresa.dbf"), "e", true);
        std::vector<Record> r;
        if (!e) return r;
        for (e->goTop(); !e->eof(); e->skip())
            r.push_back({trim(e->text("DES")), trim(e->text("VIA")), trim(e->text("VIA2")), e->deleted()});
        return r;
    }

    // Runs the registry screen with the script and checks that it played to its end.
    void play(const std::vector<std::string>& lines, int request = app::kLogoRequest) {
        ui::ScriptBackend& script = start.script(lines);
        app::U_RUTA(ctx(), request);
        script.finish();
        for (const auto& f : script.failures()) ADD_FAILURE() << f;
        EXPECT_EQ(script.pending(), 0u);
    }

    app_test::StartFolder start;
};

TEST_F(Registry, ScreenListsTheRegistry) {
    add("COMERCIAL SUR", "C:\\EMPRESAS\\SUR", "C:\\QRX2012");
    play({
        "expect dialog INGRESO",
        "expect caption \"SELECCION Y CREACION DE EMPRESA\"",
        R"(expect row 1 of 181 "DEMO|C:\\QRX2012|")",
        R"(expect row 2 of 181 "COMERCIAL SUR|C:\\EMPRESAS\\SUR|C:\\QRX2012")",
        "expect rows 181 2",
        "expect 127 enabled",
        "expect 210 enabled",
        "expect 240 enabled",
        "expect 170 hidden",
        "expect 171 hidden",
        "expect 200 hidden",
        "press 240",
        "expect closed",
    });
    EXPECT_TRUE(ctx().RUTA.empty());
}

TEST_F(Registry, ClosingSelectsNothing) {
    for (const char* closing : {"press 240", "close", "key Escape on 181"}) {
        SCOPED_TRACE(closing);
        play({"key Down", closing, "expect closed"});
        EXPECT_TRUE(ctx().RUTA.empty());
        EXPECT_FALSE(ctx().companyOpen());
        EXPECT_TRUE(start.messages().empty());
        EXPECT_FALSE(fs::exists(start.demoFolder() + "/zdr_plan.dbf"));
    }
}

TEST_F(Registry, CreatesACompany) {
    add("COMERCIAL SUR", "C:\\EMPRESAS\\SUR");
    play({
        "key Down",
        // a blank description is refused and the list goes back to where it was
        "key Insert on 181",
        "expect dialog DatosRuta",
        "expect caption \"CREACION DE EMPRESAS\"",
        "expect 121 holds \"\"",
        "expect 174 enabled",
        R"(type "C:\\NUEVA" into 174)",
        "press 175",
        "expect message \"Debe ingresar una Código para que el registro se valide\"",
        "expect dialog INGRESO",
        "expect rows 181 2",
        R"(expect current 181 "COMERCIAL SUR|C:\\EMPRESAS\\SUR|")",
        // the description is upper-cased as typed
        "key Insert on 181",
        "expect 121 holds \"\"",
        "expect 174 holds \"\"",
        "expect 122 holds \"\"",
        "type \"pesquera ñandú\" into 121",
        "expect 121 holds \"PESQUERA ÑANDÚ\"",
        R"(type "D:\\Empresas\\Pesquera" into 174)",
        R"(type "C:\\QRX2012" into 122)",
        "press 175",
        "expect dialog INGRESO",
        R"(expect current 181 "PESQUERA ÑANDÚ|D:\\Empresas\\Pesquera|C:\\QRX2012")",
        "press 240",
    });
    const std::vector<Record> want = {{"DEMO", "C:\\QRX2012", "", false},
                                      {"COMERCIAL SUR", "C:\\EMPRESAS\\SUR", "", false},
                                      {"PESQUERA \xD1"
                                       "AND\xDA",
                                       "D:\\Empresas\\Pesquera", "C:\\QRX2012", false}};
    EXPECT_EQ(records(), want);
    EXPECT_TRUE(ctx().RUTA.empty());  // creating selects nothing
    EXPECT_FALSE(fs::exists(start.file("drive_d/Empresas/Pesquera")));  // the folder waits for the selection
}

TEST_F(Registry, CancelStoresNothing) {
    add("COMERCIAL SUR", "C:\\EMPRESAS\\SUR");
    play({
        "key Down",
        "key Insert on 181",
        "type \"otra\" into 121",
        R"(type "C:\\OTRA" into 174)",
        "press 176",
        "expect dialog INGRESO",
        R"(expect current 181 "COMERCIAL SUR|C:\\EMPRESAS\\SUR|")",
        "press 240",
    });
    EXPECT_EQ(records().size(), 2u);
}

// The form on an existing record (the screen itself only opens it for new ones): the
// folder stays as it is, the description and the source folder are rewritten in place.
TEST_F(Registry, FormOnAnExistingRecordRewritesIt) {
    add("COMERCIAL SUR", "C:\\EMPRESAS\\SUR");
    ctx().store.area("emp").goBottom();
    ui::ScriptBackend& script = start.script({
        "expect 121 holds \"COMERCIAL SUR\"",
        R"(expect 174 holds "C:\\EMPRESAS\\SUR")",
        "expect 174 disabled",
        "type \"comercial del sur\" into 121",
        R"(type "C:\\QRX2012" into 122)",
        "press 175",
        "expect closed",
    });
    app::EDITEMP(ctx(), nullptr, false);
    script.finish();
    for (const auto& f : script.failures()) ADD_FAILURE() << f;
    const std::vector<Record> want = {{"DEMO", "C:\\QRX2012", "", false},
                                      {"COMERCIAL DEL SUR", "C:\\EMPRESAS\\SUR", "C:\\QRX2012", false}};
    EXPECT_EQ(records(), want);
    EXPECT_EQ(ctx().store.area("emp").recno(), 2u);
}

TEST_F(Registry, RefusedFolderIsNotStored) {
    struct Case {
        const char* via;
        const char* via2;
        int field;  // the field the path layer refuses
    };
    for (const Case& c : {Case{"", "", 174}, Case{"C:\\EMP|RESAS", "", 174}, Case{"C:\\A\\..\\B", "", 174},
                          Case{"C:\\BUENA", "C:\\OTRA?", 122}, Case{"C:\\BUENA", "\\\\servidor\\datos", 122}}) {
        SCOPED_TRACE(std::string(c.via) + " / " + c.via2);
        const std::string bad = c.field == 174 ? c.via : c.via2;
        const platform::Status why = platform::validateCompanyFolder(bad);
        ASSERT_FALSE(why.ok());
        auto quoted = [](std::string s) {
            std::string q;
            for (char ch : s) {
                if (ch == '\\' || ch == '"') q += '\\';
                q += ch;
            }
            return "\"" + q + "\"";
        };
        const std::size_t before = records().size();
        play({
            "key Insert on 181",
            "type \"minera\" into 121",
            "type " + quoted(c.via) + " into 174",
            "type " + quoted(c.via2) + " into 122",
            "press 175",
            "expect message " + quoted(why.message()),
            "expect dialog DatosRuta",  // the form stays open to correct it
            "expect " + std::to_string(c.field) + " focused",
            "press 176",
            "expect dialog INGRESO",
            "press 240",
        });
        EXPECT_EQ(records().size(), before);

        // corrected, it is stored
        play({
            "key Insert on 181",
            "type \"minera\" into 121",
            "type " + quoted(c.via) + " into 174",
            "type " + quoted(c.via2) + " into 122",
            "press 175",
            "type " + quoted(c.field == 174 ? "C:\\MINERA" : c.via) + " into 174",
            "type " + quoted(c.field == 122 ? "C:\\QRX2012" : "") + " into 122",
            "press 175",
            "expect dialog INGRESO",
            "press 240",
        });
        ASSERT_EQ(records().size(), before + 1);
        EXPECT_EQ(records().back().des, "MINERA");
    }
}

TEST_F(Registry, DeletesAfterTheQuestion) {
    add("COMERCIAL SUR", "C:\\EMPRESAS\\SUR");
    add("PESQUERA", "C:\\EMPRESAS\\PES");
    const std::string question =
        "Atención:\n¿ Está seguro de querer borrar esta Empresa ?\n\n" + pad("COMERCIAL SUR", 20);
    play({
        "key Down",
        "key Delete on 181",
        "answer No",
        "expect rows 181 3",
        R"(expect current 181 "COMERCIAL SUR|C:\\EMPRESAS\\SUR|")",
        "key Delete on 181",
        "answer Yes",
        "expect rows 181 2",
        "press 240",
    });
    ASSERT_EQ(start.backend().shown().size(), 2u);
    for (const auto& shown : start.backend().shown()) {
        EXPECT_EQ(shown.kind, "si/no");
        EXPECT_EQ(shown.title, "");
        EXPECT_EQ(shown.text, question);
    }
    const std::vector<Record> want = {{"DEMO", "C:\\QRX2012", "", false},
                                      {"COMERCIAL SUR", "C:\\EMPRESAS\\SUR", "", true},
                                      {"PESQUERA", "C:\\EMPRESAS\\PES", "", false}};
    EXPECT_EQ(records(), want);
    EXPECT_TRUE(fs::exists(start.file("empresa.dbf")));
}

TEST_F(Registry, ListsThroughTheReportEngine) {
    if (run("command -v pdftotext").empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    add("COMERCIAL SUR", "C:\\EMPRESAS\\SUR", "C:\\QRX2012");
    add("PESQUERA NORTE", "D:\\PN");
    add("BORRADA", "C:\\BORRADA");
    {
        store::WorkArea& emp = ctx().store.area("emp");
        emp.goBottom();
        ASSERT_TRUE(emp.recLock());
        emp.markDeleted();
        emp.unlock();
        emp.commit();
    }
    // the heading lines come from the parameters of the open company
    store::Store::createTable(start.file("param.dbf"), {{"VAR5", store::Type::Char, 4, 0},
                                                        {"VAR30", store::Type::Char, 40, 0},
                                                        {"VAR31", store::Type::Char, 40, 0},
                                                        {"VAR32", store::Type::Char, 40, 0},
                                                        {"VAR33", store::Type::Char, 40, 0}});
    store::WorkArea* var = ctx().store.use(start.file("param.dbf"), "var", false);
    ASSERT_NE(var, nullptr);
    ASSERT_TRUE(var->appendBlank());
    var->put("VAR5", store::Value("2012"));
    var->put("VAR30", store::Value("CONTADORES ASOCIADOS SAC"));
    var->put("VAR31", store::Value("AV. LOS PINOS 123"));
    var->put("VAR32", store::Value("LIMA"));
    var->put("VAR33", store::Value("20123456789"));
    var->commit();

    play({
        "key Down",
        "key Down",
        "press 210",
        R"(expect current 181 "PESQUERA NORTE|D:\\PN|")",  // the record is kept
        "press 240",
    });
    const std::string pdf = start.file("pdf/utsce.pdf");
    ASSERT_TRUE(fs::exists(pdf)) << "messages: " << testing::PrintToString(start.messages());
    const std::string text = run("pdftotext -layout '" + pdf + "' -");
    for (const char* expected :
         {"CONTADORES ASOCIADOS SAC", "AV. LOS PINOS 123", "LIMA", "20123456789", "RELACIÓN DE EMPRESAS", "Empresa",
          "Ruta para recuperar datos y parametros", "DEMO", "COMERCIAL SUR", "C:\\EMPRESAS\\SUR", "PESQUERA NORTE",
          "D:\\PN"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    EXPECT_EQ(text.find("BORRADA"), std::string::npos) << text;
    // in record order
    EXPECT_LT(text.find("DEMO"), text.find("COMERCIAL SUR"));
    EXPECT_LT(text.find("COMERCIAL SUR"), text.find("PESQUERA NORTE"));
}


TEST_F(Registry, ExportsToASpreadsheet) {
    add("COMERCIAL SUR", "C:\\EMPRESAS\\SUR", "C:\\QRX2012");
    add("BORRADA", "C:\\BORRADA");
    {
        store::WorkArea& emp = ctx().store.area("emp");
        emp.goBottom();
        ASSERT_TRUE(emp.recLock());
        emp.markDeleted();
        emp.unlock();
    }
    add("PESQUERA NORTE", "D:\\PN");
    play({
        "key Down",
        "press 127",
        R"(expect current 181 "COMERCIAL SUR|C:\\EMPRESAS\\SUR|C:\\QRX2012")",
        "press 240",
    });

    const std::string xls = start.file("RUTAS.xls");
    ASSERT_TRUE(fs::exists(xls));
    EXPECT_EQ(testsupport::readXls(xls),
              "sheets 1\n"
              "size 4x2\n"
              "width 2 12800\n"
              "1,1 text 'Empresa' Arial/B10 General\n"
              "1,2 text 'Ruta' Arial/B10 General\n"
              "2,1 text 'DEMO                ' Arial/-10 General\n"
              "2,2 text 'C:\\\\QRX2012" + std::string(40, ' ') + "' Arial/-10 General\n"
              "3,1 text 'COMERCIAL SUR       ' Arial/-10 General\n"
              "3,2 text 'C:\\\\EMPRESAS\\\\SUR" + std::string(35, ' ') + "' Arial/-10 General\n"
              "4,1 text 'PESQUERA NORTE      ' Arial/-10 General\n"
              "4,2 text 'D:\\\\PN" + std::string(45, ' ') + "' Arial/-10 General\n");
    EXPECT_EQ(start.opened, (std::vector<std::string>{xls}));  // then shown to the user
}

// Selecting needs a start folder of its own per case: the company folder is prepared on disk.
TEST(RegistrySelection, EnterSelectsTheCompanyAndCloses) {
    struct Case {
        const char* key;
        int request;
        bool logo;
    };
    for (const Case& c : {Case{"Enter", app::kLogoRequest, true}, Case{"DoubleClick", app::kLogoRequest, true},
                          Case{"Enter", 0, false}}) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.request));
        app_test::StartFolder fresh;
        app::Context& cx = fresh.ctx;
        ASSERT_TRUE(app::openRegistry(cx));
        {
            store::WorkArea& emp = cx.store.area("emp");
            ASSERT_TRUE(emp.appendBlank());
            emp.put("DES", store::Value("COMERCIAL SUR"));
            emp.put("VIA", store::Value("C:\\SUR"));
            emp.unlock();
        }
        ui::MainWindow window;
        window.picture = "antes.jpg";
        cx.mainWindow = &window;
        ui::ScriptBackend& script = fresh.script({
            "key Down",
            std::string("key ") + c.key + " on 181",
            "expect message \"LA RUTA NO EXISTE SE PROCEDERA A CREARLA\"",
            "answer Yes",
            "expect closed",
        });
        app::U_RUTA(cx, c.request);
        script.finish();
        for (const auto& f : script.failures()) ADD_FAILURE() << f;
        EXPECT_EQ(cx.RUTA, "C:\\SUR");
        EXPECT_TRUE(cx.companyOpen());
        EXPECT_NE(cx.store.find("plan"), nullptr);
        EXPECT_TRUE(fs::exists(fresh.file("drive_c/SUR/zdr_plan.dbf")));
        EXPECT_TRUE(fs::exists(fresh.demoFolder() + "/tmp/tmpctac.dbf"));  // the work tables are made
        EXPECT_EQ(window.picture != "antes.jpg", c.logo) << window.picture;
        cx.mainWindow = nullptr;
    }
}

TEST_F(Registry, EnterOnAnEmptyRegistryDoesNothing) {
    {
        store::WorkArea& emp = ctx().store.area("emp");
        emp.goTop();
        ASSERT_TRUE(emp.recLock());
        emp.markDeleted();
        emp.unlock();
    }
    play({"expect rows 181 0", "key Enter on 181", "expect dialog INGRESO", "key DoubleClick on 181",
          "expect dialog INGRESO", "key Delete on 181", "expect nomessage", "press 240"});
    EXPECT_TRUE(ctx().RUTA.empty());
}

}  // namespace
