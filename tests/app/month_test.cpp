// The working month and the month locks, through the script backend on a
// company made from the templates.
#include <gtest/gtest.h>

#include "app/month.h"
#include "app/startup.h"
#include "support.h"

namespace {

class Month : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sf.openDemo());
        window.title = sf.ctx.WTIT;
        sf.ctx.mainWindow = &window;
    }
    std::string var1() { return sf.ctx.store.area("var").text("VAR1"); }
    app_test::StartFolder sf;
    ui::MainWindow window;
};

TEST_F(Month, TheChangeOfMonthSetsTheGlobalsAndTitles) {
    struct Case {
        const char* typed;
        const char* code;
        const char* name;
    };
    for (Case c : {Case{"0", "00", "APERTURA "}, Case{"13", "13", "DICIEMBRE"}, Case{"9", "09", "SETIEMBRE"},
                   Case{"1", "01", "ENERO    "}}) {
        SCOPED_TRACE(c.typed);
        sf.script({"expect dialog CambioMes", "expect caption \"SELECCION DEL MES A TRABAJAR\"",
                   std::string("type ") + c.typed + " into 173", "press 175", "expect closed"});
        app::U_TRAB(sf.ctx);
        sf.backend().finish();
        EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
        EXPECT_EQ(sf.ctx.W_MMES, c.code);
        EXPECT_EQ(sf.ctx.W_MES, std::stoi(c.code));
        EXPECT_EQ(sf.ctx.MES, c.name);
        EXPECT_EQ(window.title, "QRX 2012" + std::string(10, ' ') + var1() + std::string(7, ' ') + c.name);
        EXPECT_EQ(sf.ctx.WTIT, "QRX 2012" + std::string(9, ' ') + var1() + std::string(4, ' ') + c.name);
    }
}

TEST_F(Month, TheScreenStartsOnTheWorkingMonthAndRefusesFourteen) {
    sf.script({"expect 173 holds \"1\"", "type 14 into 173", "focus 175", "expect refusal \"El valor debe estar entre 0 y 13\"",
               "expect 173 focused", "press 176"});
    app::U_TRAB(sf.ctx);
    sf.backend().finish();
    EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    EXPECT_EQ(sf.ctx.W_MMES, "01");
    EXPECT_EQ(sf.ctx.MES, "ENERO    ");
}

TEST_F(Month, CancellingChangesNothing) {
    const std::string title = window.title, wtit = sf.ctx.WTIT;
    sf.script({"type 5 into 173", "press 176"});
    app::U_TRAB(sf.ctx);
    EXPECT_EQ(sf.ctx.W_MMES, "01");
    EXPECT_EQ(window.title, title);
    EXPECT_EQ(sf.ctx.WTIT, wtit);
}

TEST_F(Month, LockedMonthsFollowAtTheNextChangeOfMonth) {
    EXPECT_EQ(sf.ctx.FLAGMES, "N");
    // lock May (box 182) and the closing period (190)
    sf.script({"expect dialog CierreM", "expect caption \"BLOQUEO DE MESES A TRABAJAR\"", "expect 182 unchecked",
               "press 182", "press 190", "press 175"});
    app::CierreM(sf.ctx);
    sf.backend().finish();
    EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    store::WorkArea& var = sf.ctx.store.area("var");
    var.goTop();
    for (int m = 0; m <= 13; ++m)
        EXPECT_EQ(var.text(app::monthField("MES", app::monthCode(m))), m == 5 || m == 13 ? "S" : "N") << m;
    EXPECT_EQ(sf.ctx.FLAGMES, "N");  // the working month's flag is read at the next change
    for (auto [typed, flag] : std::vector<std::pair<const char*, const char*>>{{"5", "S"}, {"6", "N"}, {"13", "S"}}) {
        sf.script({std::string("type ") + typed + " into 173", "press 175"});
        app::U_TRAB(sf.ctx);
        EXPECT_EQ(sf.ctx.FLAGMES, flag) << typed;
    }
    // unlocking shows the boxes as stored
    sf.script({"expect 182 checked", "expect 190 checked", "expect 177 unchecked", "press 182", "press 175"});
    app::CierreM(sf.ctx);
    sf.backend().finish();
    EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    var.goTop();
    EXPECT_EQ(var.text("MES05"), "N");
}

TEST_F(Month, ALockHeldElsewhereIsToldAndNothingIsWritten) {
    store::Store other;
    store::WorkArea* var = other.use(sf.demoFolder() + "/zdr_var.dbf", "var", true);
    ASSERT_NE(var, nullptr);
    ASSERT_TRUE(var->recLock());
    sf.script({"press 178", "press 175"});
    sf.backend().maxPauses = 3;
    app::CierreM(sf.ctx);
    ASSERT_FALSE(sf.messages().empty());
    EXPECT_NE(sf.messages().back().find("no se modificaron"), std::string::npos);
    var->unlock();
    store::WorkArea& mine = sf.ctx.store.area("var");
    mine.goTop();
    EXPECT_EQ(mine.text("MES01"), "N");
}

TEST(MonthNames, EveryCodeAndTheFieldNames) {
    const char* names[] = {"APERTURA ", "ENERO    ", "FEBRERO  ", "MARZO    ", "ABRIL    ", "MAYO     ", "JUNIO    ",
                           "JULIO    ", "AGOSTO   ", "SETIEMBRE", "OCTUBRE  ", "NOVIEMBRE", "DICIEMBRE", "DICIEMBRE"};
    for (int m = 0; m <= 13; ++m) EXPECT_EQ(app::NMES(app::monthCode(m)), names[m]) << m;
    for (const char* bad : {"14", "1", "", "ab", " 1"}) EXPECT_EQ(app::NMES(bad), "") << bad;
    EXPECT_EQ(app::monthField("DEBE", "05"), "DEBE05");
    app::Context ctx;
    EXPECT_EQ(ctx.W_MMES, "01");
    EXPECT_EQ(ctx.MES, "ENERO    ");
    ctx.W_MMES = "13";
    EXPECT_EQ(app::workingField(ctx, "NUMERO"), "NUMERO13");
}

}  // namespace

namespace {

// The whole program: the menu entry and the toolbar button reach the screen, the
// title follows, and a company selection afterwards keeps the month.
TEST(MonthFromTheMainWindow, TheMenuAndTheToolbarChangeTheMonth) {
    app_test::StartFolder sf;
    const std::string var1 = "EMPRESA NUEVA" + std::string(17, ' ');
    sf.script({"answer Yes",  // the DEMO folder is made from the templates
               "menu \"&Utilitarios\" \"&Cambio de Mes de Trabajo \"", "type 0 into 173", "press 175",
               "expect title \"QRX 2012" + std::string(10, ' ') + var1 + std::string(7, ' ') + "APERTURA \"",
               "tool \"Cambio de Mes de Trabajo\"", "expect 173 holds 0", "type 13 into 173", "press 175",
               "expect title \"QRX 2012" + std::string(10, ' ') + var1 + std::string(7, ' ') + "DICIEMBRE\"",
               // leaving the company selection without choosing shows WTIT, composed by the change
               "tool \"Selección y Creación de Empresa\"", "press 240",
               "expect title \"QRX 2012" + std::string(9, ' ') + var1 + std::string(4, ' ') + "DICIEMBRE\"",
               "tool \"Salir de QRX2012\""});
    EXPECT_EQ(app::MAIN(sf.ctx, {}), 0);
    sf.backend().finish();
    EXPECT_TRUE(sf.backend().ok()) << sf.backend().failures().front();
    EXPECT_EQ(sf.ctx.W_MMES, "13");
    EXPECT_EQ(sf.ctx.WTIT, "QRX 2012" + std::string(9, ' ') + var1 + std::string(4, ' ') + "DICIEMBRE");
}

}  // namespace
