// The shared screen patterns over a real table, played by the script backend.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "ui/patterns.h"
#include "ui/script.h"

using namespace ui;

namespace {

class Patterns : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qrx-ui-XXXXXX";
        dir = mkdtemp(tmpl);
        store::Store::createTable(dir + "/zdr_plan", {{"CUENTA", store::Type::Char, 10, 0},
                                                      {"NOMBRE", store::Type::Char, 30, 0},
                                                      {"DEBE01", store::Type::Num, 17, 2}});
        plan = st.use(dir + "/zdr_plan", "plan", true);
        for (const char* c : {"42", "10", "1041", "104101", "12", "4212"}) {
            ASSERT_TRUE(store::ADD_REC(st, 0));
            plan->put("cuenta", store::Value(c));
            plan->put("nombre", store::Value(std::string("CUENTA ") + c));
            plan->put("debe01", store::Value(store::Decimal::of("1234.5")));
            plan->unlock();
        }
        plan->createIndex(dir + "/plan1", "cuenta");
        script = std::make_shared<ScriptBackend>();
        install(script);
    }
    void TearDown() override {
        st.closeAll();
        std::filesystem::remove_all(dir);
    }
    std::vector<Column> columns() {
        store::Field cuenta = plan->field("cuenta"), nombre = plan->field("nombre"), debe = plan->field("debe01");
        return {{"Cuenta", [this, cuenta] { return plan->get(cuenta); }, ""},
                {"Nombre de la Cuenta", [this, nombre] { return plan->get(nombre); }, ""},
                {"Debe", [this, debe] { return plan->get(debe); }, "@Z 999,999,999.99"}};
    }
    void expectOk() {
        script->finish();
        for (const auto& f : script->failures()) ADD_FAILURE() << f;
        EXPECT_EQ(script->pending(), 0u);
    }

    std::string dir;
    store::Store st;
    store::WorkArea* plan = nullptr;
    std::shared_ptr<ScriptBackend> script;
};

TEST_F(Patterns, MasterScreenKeysButtonsAndSearch) {
    std::vector<std::string> edits;
    MasterScreen m;
    m.title = "PLAN DE CUENTAS";
    m.area = plan;
    m.columns = columns();
    m.edit = [&](bool isNew) { edits.push_back(isNew ? "new" : std::string(plan->text(plan->field("cuenta")))); };
    m.remove = [&] {
        if (!yesNo("Atención:\n¿ Está seguro de querer borrar esta cuenta ?", "", true)) return;
        ASSERT_TRUE(plan->recLock());
        plan->markDeleted();
        plan->unlock();
    };
    m.search = [&] { searchPrompt(st, *plan, "Cuenta", 10); };
    script->add({
        "expect dialog Archivos",
        "expect caption \"MANTENIMIENTO DE ARCHIVOS\"",
        "expect 172 holds \"PLAN DE CUENTAS\"",
        "expect 210 disabled",  // no listing given
        "expect 170 enabled",
        "expect row 1 of 181 \"10|CUENTA 10|1,234.50\"",
        "expect rows 181 6",
        "key Down",
        "key Enter",
        "key Insert",
        "press 170",
        "key Delete",
        "expect message \"Atención:\\n¿ Está seguro de querer borrar esta cuenta ?\"",
        "answer Yes",
        "expect rows 181 5",
        "press 200",
        "answer 42",
        "expect current 181 \"42|CUENTA 42|1,234.50\"",
        "press 200",
        "answer 11",  // soft seek: the next greater account
        "expect current 181 \"12|CUENTA 12|1,234.50\"",
        "press 240",
        "expect closed",
    });
    runMasterScreen(m);
    expectOk();
    EXPECT_EQ(edits, (std::vector<std::string>{"1041      ", "new", "new"}));
    EXPECT_TRUE(st.settings().softSeek);  // the search prompt leaves it on
}

TEST_F(Patterns, PickerSearchesIncrementally) {
    std::string picked;
    Picker p;
    p.area = plan;
    p.columns = columns();
    p.maxSearchKey = 122;
    p.take = [&] { picked = plan->text("cuenta"); };
    script->add({
        "expect caption \"Selecion de Registros\"",
        "search \"4\"",
        "expect current 181 \"42|CUENTA 42|1,234.50\"",
        "search \"21\"",
        "expect current 181 \"4212|CUENTA 4212|1,234.50\"",
        "search \"9\"",  // nothing further: soft seek off, the list stays at its end
        "expect current 181 \"4212|CUENTA 4212|1,234.50\"",
        "key Enter",
        "expect closed",
    });
    EXPECT_TRUE(runPicker(p));
    expectOk();
    EXPECT_EQ(picked, "4212      ");

    script->add({"search \"1\"", "key Escape"});
    picked.clear();
    EXPECT_FALSE(runPicker(p));  // Escape takes nothing
    EXPECT_TRUE(picked.empty());
    expectOk();
}

TEST_F(Patterns, ConsultationShowsTotalsAndClosesItsTable) {
    store::Decimal total = store::Decimal::of("7407");
    Consultation c;
    c.title = "BALANCE";
    c.label = "TOTALES";
    c.area = plan;
    c.columns = columns();
    c.totals = {{173, bindNum(total, 17, 2), "@Z 9999,999,999.99"}};
    int printed = 0;
    c.print = [&] { ++printed; };
    script->add({
        "expect dialog IMPRESION",
        "expect caption CONSULTA",
        "expect 175 holds TOTALES",
        "expect 173 holds \"7,407.00\"",
        "expect 127 disabled",
        "press 210",
        "press 240",
    });
    runConsultation(st, c);
    expectOk();
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(st.find("plan"), nullptr);  // closing the screen closes the work table
    plan = nullptr;
}

TEST_F(Patterns, SelectionDialogPieces) {
    int currency = 1, ma = 1;
    bool ran = false;
    Dialog d("SELEIMP8", "SELECCION DE IMPRESION");
    addCurrency(d, 173, 173, 177, currency);
    addPeriod(d, 179, 179, 180, ma);
    addAcceptCancel(d, [&] { ran = true; });
    script->add({"expect 173 checked", "press 177", "press 180", "expect 180 checked", "press 175"});
    EXPECT_EQ(run(d), 175);
    EXPECT_TRUE(ran);
    EXPECT_EQ(currency, 2);
    EXPECT_EQ(ma, 2);
    expectOk();
    ran = false;
    script->add({"press 176"});
    EXPECT_EQ(run(d), 176);
    EXPECT_FALSE(ran);
    expectOk();
}

}  // namespace
