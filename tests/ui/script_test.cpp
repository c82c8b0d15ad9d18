// The script format: actions, expectations, answers, and failures that name
// their line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ui/script.h"

using namespace ui;

namespace {

struct Month {
    int month = 1;
    std::string title;
    Dialog d{"CambioMes", "SELECCION DEL MES A TRABAJAR"};
    Month() {
        d.spinner(173, "Mes", bindInt(month, 2), 0, 13, "99").Valid([this] { return month >= 0 && month <= 13; });
        d.button(175, "OK", [this] {
            if (yesNo("¿Cambiar de mes?", "Mes", false)) title = "MES " + std::to_string(month);
            d.end(175);
        });
        d.button(176, "Cancela").cancel = true;
    }
};

TEST(Script, PlaysActionsAnswersAndExpectations) {
    auto s = std::make_shared<ScriptBackend>();
    install(s);
    Month m;
    s->add({"# comments and blank lines are skipped", "",
            "expect 173 holds 1",
            "type 5 into 173",
            "press 175",
            "expect message \"¿Cambiar de mes?\"",
            "answer Yes",
            "expect closed"});
    EXPECT_EQ(run(m.d), 175);
    s->finish();
    EXPECT_TRUE(s->ok()) << s->failures().front();
    EXPECT_EQ(m.title, "MES 5");
    ASSERT_EQ(s->shown().size(), 1u);
    EXPECT_EQ(s->shown()[0].kind, "si/no");
    EXPECT_EQ(s->shown()[0].title, "Mes");
}

TEST(Script, AFailedExpectationStopsAndNamesItsLine) {
    auto s = std::make_shared<ScriptBackend>();
    install(s);
    Month m;
    s->add({"type 7 into 173", "expect 173 holds 08", "press 175", "answer Yes"});
    run(m.d);
    ASSERT_EQ(s->failures().size(), 1u);
    EXPECT_NE(s->failures()[0].find("línea 2"), std::string::npos) << s->failures()[0];
    EXPECT_NE(s->failures()[0].find("muestra \"7\""), std::string::npos) << s->failures()[0];
    EXPECT_TRUE(m.d.ended());  // the rest of the script is not played; the dialog is closed
    EXPECT_EQ(m.title, "");
}

TEST(Script, MistakesInTheScriptAreReported) {
    struct Case {
        std::vector<std::string> lines;
        const char* says;
    } cases[] = {
        {{"frobnicate 12"}, "línea 1: acción desconocida"},
        {{"type \"unterminated into 173"}, "línea 1: texto sin cerrar"},
        {{"press 999"}, "no tiene el control 999"},
        {{"answer Yes"}, "no hay ningún mensaje"},
        {{"press 175", "press 176"}, "hay un mensaje abierto"},
        {{"type 5 into"}, "forma: type"},
        {{"expect 173 shines"}, "expectativa desconocida"},
    };
    for (const Case& c : cases) {
        auto s = std::make_shared<ScriptBackend>();
        install(s);
        Month m;
        s->add(c.lines);
        run(m.d);
        ASSERT_FALSE(s->ok()) << c.says;
        EXPECT_NE(s->failures()[0].find(c.says), std::string::npos) << s->failures()[0];
    }
}

TEST(Script, MainWindowMenusAndDisabledEntries) {
    auto s = std::make_shared<ScriptBackend>();
    install(s);
    int opened = 0;
    MainWindow w;
    w.title = "QRX 2012";
    MenuItem tablas{"&Tablas", "", nullptr, {{"&Plan de Cuentas", "Plan", [&] { ++opened; }, {}, false},
                                             {"&Orígenes", "", nullptr, {}, false}}};
    w.menus.push_back(tablas);
    w.toolbar.push_back({"Salir", "Salir de QRX2012", [&w] { w.close(); }});
    s->add({"expect title \"QRX 2012\"", "menu &Tablas \"Plan de Cuentas\"", "tool \"Salir de QRX2012\""});
    s->runMainWindow(w);
    EXPECT_TRUE(s->ok()) << s->failures().front();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(w.closed);
    auto t = std::make_shared<ScriptBackend>();
    install(t);
    t->add({"menu Tablas Orígenes"});
    MainWindow w2 = w;
    w2.closed = false;
    t->runMainWindow(w2);
    ASSERT_FALSE(t->ok());
    EXPECT_NE(t->failures()[0].find("deshabilitada"), std::string::npos);
}

TEST(Script, ReadsAScriptFile) {
    std::string path = ::testing::TempDir() + "/guion.txt";
    std::ofstream(path) << "type 3 into 173\npress 175\nanswer No\n";
    auto s = std::make_shared<ScriptBackend>();
    install(s);
    ASSERT_TRUE(s->loadFile(path));
    Month m;
    EXPECT_EQ(run(m.d), 175);
    EXPECT_TRUE(s->ok());
    EXPECT_EQ(m.month, 3);
    EXPECT_EQ(m.title, "");  // answered No
    auto t = std::make_shared<ScriptBackend>();
    EXPECT_FALSE(t->loadFile(path + ".missing"));
}

}  // namespace

namespace {

TEST(Script, LockWaitsThroughTheScreenNeverHang) {
    std::string dir = ::testing::TempDir() + "/qrx-lockwait";
    std::filesystem::create_directories(dir);
    store::Store::createTable(dir + "/t", {{"A", store::Type::Char, 1, 0}});
    store::Store one, two;
    store::WorkArea* a = one.use(dir + "/t", "t", true);
    ASSERT_TRUE(a->appendBlank());  // left locked by station one
    two.use(dir + "/t", "t", true)->goTop();
    auto s = std::make_shared<ScriptBackend>();
    s->pauseScale = 0;
    s->maxPauses = 5;
    install(s);
    connectStore(two);
    EXPECT_FALSE(store::REC_LOCK(two));  // no wait given: the user stops waiting
    EXPECT_TRUE(s->ok());
    EXPECT_FALSE(store::REC_LOCK(two, 0));  // "without end": the script gives up and says so
    EXPECT_FALSE(s->ok());
    a->unlock();
    EXPECT_TRUE(store::REC_LOCK(two, 1));
    std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

// An action that throws leaves no dialog behind: the next expectations see the
// screens that are really open.
TEST(Script, ADialogWhoseActionThrowsIsNoLongerOpen) {
    auto s = std::make_shared<ScriptBackend>();
    install(s);
    Dialog d("Falla", "FALLA");
    d.button(175, "OK", [] { throw std::runtime_error("falla de prueba"); });
    s->add({"press 175", "expect closed"});
    EXPECT_THROW(run(d), std::runtime_error);
    s->finish();
    EXPECT_TRUE(s->ok()) << s->failures().front();
    EXPECT_EQ(s->top(), nullptr);
}

}  // namespace
