// Pictures of the demonstration screens, and the script's `snapshot` through the Qt renderer.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include <QImage>

#include "demo_screens.h"
#include "qt_helpers.h"
#include "ui/patterns.h"
#include "ui/qt/qt_backend.h"
#include "ui/script.h"
#include "ui/text.h"

namespace {

// A picture that a person could read: a window-sized PNG, not a blank.
void expectPlausible(const std::string& path, int minW = 300, int minH = 120) {
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_GT(std::filesystem::file_size(path), 2000u) << path;
    QImage img(QString::fromStdString(path));
    ASSERT_FALSE(img.isNull()) << path;
    EXPECT_GE(img.width(), minW) << path;
    EXPECT_GE(img.height(), minH) << path;
    EXPECT_LE(img.width(), 1366) << path;
    EXPECT_LE(img.height(), 768) << path;
    // more than one colour: something was drawn
    QRgb first = img.pixel(img.width() / 2, img.height() / 2);
    bool varied = false;
    for (int y = 0; y < img.height() && !varied; y += 7)
        for (int x = 0; x < img.width() && !varied; x += 7) varied = img.pixel(x, y) != first;
    EXPECT_TRUE(varied) << path;
}

std::string png(const std::string& name) { return qtest::pngDir() + "/" + name + ".png"; }

void render(ui::Dialog& d, const std::string& name, int minW = 300, int minH = 120) {
    std::string error;
    std::filesystem::remove(png(name));
    ASSERT_TRUE(ui::qt::renderDialog(d, png(name), error)) << error;
    expectPlausible(png(name), minW, minH);
}

TEST(Render, FormScreen) {
    demo::Form f;
    f.d->start();
    f.d->type(173, "1041");
    ASSERT_TRUE(f.d->moveFocus(174));
    f.d->type(174, "Cuentas corrientes operativas");
    render(*f.d, "form");
}

TEST(Render, ListScreen) {
    demo::List l;
    l.d->start();
    l.d->key(181, ui::Key::Down);
    l.d->key(181, ui::Key::Down);
    render(*l.d, "list", 400, 250);
}

TEST(Render, SelectionScreen) {
    demo::Selection s;
    s.d->start();
    render(*s.d, "selection", 300, 120);
}

TEST(Render, ConsultationScreen) {
    demo::Consultation c;
    c.d->start();
    render(*c.d, "consultation", 500, 300);
}

TEST(Render, ButtonsOnlyScreen) {
    demo::Confirm c;
    c.d->start();
    render(*c.d, "confirm", 300, 90);
}

TEST(Render, LeavesTheDialogAsItWas) {
    demo::List l;
    l.d->start();
    l.browse->setHeight(7);
    l.d->key(181, ui::Key::Down);
    unsigned rev = l.d->revision();
    int focused = l.d->focused();
    std::string error;
    ASSERT_TRUE(ui::qt::renderDialog(*l.d, png("list-7-rows"), error)) << error;
    EXPECT_EQ(l.browse->height(), 7);  // what the script sees does not depend on the picture
    EXPECT_EQ(l.browse->currentLine(), 1);
    EXPECT_EQ(l.current(), "13");
    EXPECT_EQ(l.d->revision(), rev);
    EXPECT_EQ(l.d->focused(), focused);
    EXPECT_FALSE(l.d->ended());
}

TEST(Render, ReportsAnUnwritablePath) {
    demo::Confirm c;
    c.d->start();
    std::string error;
    EXPECT_FALSE(ui::qt::renderDialog(*c.d, "/nonexistent-dir/x.png", error));
    EXPECT_FALSE(error.empty());
}

// The script backend plays a shared master screen over a real table and takes its picture.
TEST(Render, ScriptSnapshotOfAMasterScreen) {
    char tmpl[] = "/tmp/qrx-uiqt-XXXXXX";
    std::string dir = mkdtemp(tmpl);
    {
        store::Store st;
        store::Store::createTable(dir + "/zdr_plan", {{"CUENTA", store::Type::Char, 10, 0},
                                                      {"NOMBRE", store::Type::Char, 30, 0},
                                                      {"DEBE01", store::Type::Num, 17, 2}});
        store::WorkArea* plan = st.use(dir + "/zdr_plan", "plan", true);
        const char* const codes[] = {"10", "1041", "104101", "12", "42", "4212", "60", "70"};
        const char* const names[] = {"CAJA Y BANCOS", "CUENTAS CORRIENTES", "BANCO DE CRÉDITO", "CLIENTES",
                                     "PROVEEDORES", "FACTURAS POR PAGAR", "COMPRAS", "VENTAS"};
        for (int i = 0; i < 8; ++i) {
            ASSERT_TRUE(store::ADD_REC(st, 0));
            plan->put("cuenta", store::Value(codes[i]));
            plan->put("nombre", store::Value(ui::text::toTable(names[i])));
            plan->put("debe01", store::Value(store::Decimal::of(std::to_string(1250 * (i + 1)) + ".5")));
            plan->unlock();
        }
        auto script = std::make_shared<ui::ScriptBackend>();
        ui::qt::installRenderer(*script);
        ui::install(script);
        store::Field cuenta = plan->field("cuenta"), nombre = plan->field("nombre"), debe = plan->field("debe01");
        ui::MasterScreen m;
        m.title = "PLAN DE CUENTAS";
        m.area = plan;
        m.columns = {{"Cuenta", [plan, cuenta] { return plan->get(cuenta); }, ""},
                     {"Nombre de la Cuenta", [plan, nombre] { return plan->get(nombre); }, ""},
                     {"Debe", [plan, debe] { return plan->get(debe); }, "@Z 999,999,999.99"}};
        m.edit = [](bool) {};
        m.remove = [] {};
        std::filesystem::remove(png("master"));
        script->add({"expect dialog Archivos", "key Down", "key Down", "snapshot " + png("master"),
                     "expect row 3 of 181 \"104101|BANCO DE CRÉDITO|3,750.50\"", "press 240"});
        ui::runMasterScreen(m);

        // the other shared patterns over the same table
        plan->createIndex(dir + "/plan1", "cuenta");
        ui::Picker picker;
        picker.area = plan;
        picker.columns = m.columns;
        picker.take = [] {};
        script->add({"expect caption \"Selecion de Registros\"", "search \"42\"", "snapshot " + png("picker"),
                     "expect current 181 \"42|PROVEEDORES|6,250.50\"", "key Enter"});
        ui::runPicker(picker);

        int currency = 1, ma = 2;
        ui::Dialog sel("SELEIMP8", "SELECCION DE IMPRESION");
        ui::addCurrency(sel, 173, 173, 177, currency);
        ui::addPeriod(sel, 179, 179, 180, ma);
        ui::addAcceptCancel(sel, [] {});
        script->add({"snapshot " + png("selection"), "press 176"});
        ui::run(sel);

        store::Decimal total = store::Decimal::of("45050");
        ui::Consultation c;
        c.title = "BALANCE DE COMPROBACION";
        c.label = "TOTALES";
        c.area = plan;
        c.columns = m.columns;
        c.totals = {{173, ui::bindNum(total, 17, 2), "@Z 9999,999,999.99"}};
        c.print = [] {};
        script->add({"expect 173 holds \"45,050.00\"", "snapshot " + png("consultation-pattern"), "press 240"});
        ui::runConsultation(st, c);

        script->finish();
        for (const auto& f : script->failures()) ADD_FAILURE() << f;
        ui::install(std::shared_ptr<ui::Backend>(&qtest::backend(), [](ui::Backend*) {}));
        st.closeAll();
    }
    expectPlausible(png("master"), 400, 250);
    expectPlausible(png("picker"), 300, 150);
    expectPlausible(png("selection"), 150, 80);
    expectPlausible(png("consultation-pattern"), 400, 250);
    std::filesystem::remove_all(dir);
}

}  // namespace

#include <QPainter>

#include "ui/qt/icons.h"

namespace {

// The toolbar's pictures are the program's own; each name has its drawing.
TEST(Render, ToolbarIcons) {
    const char* const names[] = {"ON", "calendar", "chimenea", "aDisco", "calc", "printer", "mantencion", "pie", "Salir",
                                 "pencil", "qrx2012", "otro"};
    QImage sheet(12 * 72, 2 * 72 - 30, QImage::Format_ARGB32);
    sheet.fill(QColor(0xf4, 0xf4, 0xf4));
    QPainter p(&sheet);
    std::vector<QImage> seen;
    int x = 4;
    for (const char* n : names) {
        QPixmap big = ui::qt::drawIcon(n, 64), small = ui::qt::drawIcon(n, 30);
        ASSERT_EQ(big.size(), QSize(64, 64));
        QImage img = big.toImage();
        for (const QImage& other : seen) EXPECT_NE(img, other) << n;  // each one its own picture
        seen.push_back(img);
        p.drawPixmap(x, 4, big);
        p.drawPixmap(x + 17, 76, small);
        x += 72;
    }
    EXPECT_EQ(ui::qt::drawIcon("salir", 30).toImage(), ui::qt::drawIcon("Salir", 30).toImage());
    p.end();
    std::string path = png("icons");
    ASSERT_TRUE(sheet.save(QString::fromStdString(path)));
}

}  // namespace
