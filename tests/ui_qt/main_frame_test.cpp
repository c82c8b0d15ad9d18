// The main window: title, menus with accelerators, separators, submenus, hover
// messages and disabled entries, the toolbar, the picture, the message bar with the
// date; closing ends runMainWindow.
#include <gtest/gtest.h>

#include <filesystem>

#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "demo_screens.h"
#include "platform/clock.h"
#include "main_window_wait.h"
#include "qt_helpers.h"
#include "ui/qt/dialog_window.h"
#include "ui/qt/main_frame.h"
#include "ui/qt/qt_backend.h"

namespace {

using qtest::frame;
using qtest::whenMain;

QAction* entry(QMenu* m, const QString& text) {
    for (QAction* a : m->actions())
        if (a->text() == text) return a;
    return nullptr;
}

std::string pictureFile() {
    std::string path = qtest::pngDir() + "/fondo-prueba.png";
    QImage img(640, 400, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 640, 400);
    g.setColorAt(0, QColor(0x1b, 0x46, 0x7c));
    g.setColorAt(1, QColor(0x6f, 0xa8, 0xdc));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(48);
    f.setBold(true);
    p.setFont(f);
    p.drawText(img.rect(), Qt::AlignCenter, "Contabilidad");
    p.end();
    img.save(QString::fromStdString(path));
    return path;
}

void sample(ui::MainWindow& w, std::vector<std::string>& log) {
    using ui::MenuItem;
    w.title = "CONTABILIDAD - EMPRESA DEMO S.A.C.";
    w.statusText = "Empresa: EMPRESA DEMO S.A.C.    Mes: 03";
    MenuItem conta{"&Contabilidad", "", {}, {}};
    conta.items = {MenuItem{"&Ingreso de Voucher", "Registro de los asientos contables", [&log] { log.push_back("voucher"); }, {}},
                   MenuItem{"Ca&mbio de Mes", "Selección del mes de trabajo", {}, {}},  // not built yet: disabled
                   MenuItem::line(),
                   MenuItem{"&Procesos", "Procesos del mes", {}, {
                       MenuItem{"&Amarres Automáticos", "Genera los amarres de las cuentas", [&log] { log.push_back("amarres"); }, {}},
                   }},
                   MenuItem::line(),
                   MenuItem{"&Salir", "Termina el programa", [&w] { w.close(); }, {}}};
    MenuItem informes{"&Informes Contables", "", {}, {MenuItem{"Libro &Diario", "Libro diario del mes", [] {}, {}}}};
    MenuItem sunat{"&Informes SUNAT", "", {}, {MenuItem{"&Registro de Compras", "", [] {}, {}}}};
    MenuItem tablas{"&Tablas", "", {}, {MenuItem{"&Parámetros de &Cuentas", "Cuentas de los asistentes", [] {}, {}},
                                        MenuItem{"Medios de Pago&", "", [] {}, {}}}};
    MenuItem util{"&Utilitarios", "", {}, {MenuItem{"&Acerca de", "", [] {}, {}}}};
    w.menus = {conta, informes, sunat, tablas, util};
    w.toolbar = {{"ON", "Seleccionar empresa", [&log] { log.push_back("on"); }},
                 {"calendar", "Cambio de mes", {}},
                 {"chimenea", "Cierre del ejercicio", [] {}},
                 {"aDisco", "Copia de seguridad", [] {}},
                 {"calc", "Calculadora", [] {}},
                 {"printer", "Impresora", [] {}},
                 {"mantencion", "Mantenimiento de archivos", [] {}},
                 {"pie", "Estados financieros", [] {}},
                 {"Salir", "Salir", [&w] { w.close(); }}};
}

TEST(MainWindow, ShowsMenusToolbarPictureAndMessageBar) {
    platform::Clock::setFixedToday(2012, 3, 15);
    std::vector<std::string> log;
    ui::MainWindow w;
    sample(w, log);
    w.picture = pictureFile();
    w.menus[0].items[0].action = [&w, &log] {
        log.push_back("voucher");
        w.title = "CONTABILIDAD - OTRA EMPRESA";
        w.statusText = "Mes: 04";
    };
    bool checked = false;
    whenMain([&](ui::qt::MainFrame* f) {
        checked = true;
        EXPECT_EQ(f->windowTitle(), "CONTABILIDAD - EMPRESA DEMO S.A.C.");
        QList<QAction*> tops = f->menuBar()->actions();
        ASSERT_EQ(tops.size(), 5);
        EXPECT_EQ(tops[0]->text(), "&Contabilidad");
        EXPECT_EQ(tops[3]->text(), "&Tablas");
        QMenu* conta = tops[0]->menu();
        ASSERT_NE(conta, nullptr);
        QList<QAction*> items = conta->actions();
        ASSERT_EQ(items.size(), 6);
        EXPECT_TRUE(items[2]->isSeparator());
        EXPECT_TRUE(items[0]->isEnabled());
        EXPECT_FALSE(items[1]->isEnabled());  // no action yet
        ASSERT_NE(items[3]->menu(), nullptr);  // a submenu
        EXPECT_EQ(items[3]->menu()->actions()[0]->text(), "&Amarres Automáticos");
        EXPECT_EQ(entry(tops[3]->menu(), "&Parámetros de &Cuentas")->text(), "&Parámetros de &Cuentas");

        // the message bar: centred text and the date
        EXPECT_EQ(f->messageBar()->text(), "Empresa: EMPRESA DEMO S.A.C.    Mes: 03");
        EXPECT_EQ(f->messageBar()->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        EXPECT_EQ(f->dateLabel()->text(), "15/03/2012");
        // a highlighted entry shows its message, and the bar comes back after
        emit conta->hovered(items[0]);
        EXPECT_EQ(f->messageBar()->text(), "Registro de los asientos contables");
        emit conta->hovered(items[3]);
        EXPECT_EQ(f->messageBar()->text(), "Procesos del mes");
        emit conta->aboutToHide();
        EXPECT_EQ(f->messageBar()->text(), "Empresa: EMPRESA DEMO S.A.C.    Mes: 03");

        // toolbar: tooltips, disabled buttons, hand cursor
        QToolBar* bar = f->findChild<QToolBar*>();
        ASSERT_NE(bar, nullptr);
        QList<QAction*> tools = bar->actions();
        ASSERT_EQ(tools.size(), 9);
        EXPECT_EQ(tools[0]->toolTip(), "Seleccionar empresa");
        EXPECT_FALSE(tools[1]->isEnabled());
        EXPECT_EQ(bar->iconSize(), QSize(30, 30));
        EXPECT_EQ(bar->widgetForAction(tools[0])->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_FALSE(tools[0]->icon().isNull());
        EXPECT_TRUE(f->pictureArea()->hasPicture());
        qtest::pump();
        qtest::save(f, "main-window");

        // an entry runs its action; what it changed is shown
        items[0]->trigger();
        EXPECT_EQ(f->windowTitle(), "CONTABILIDAD - OTRA EMPRESA");
        EXPECT_EQ(f->messageBar()->text(), "Mes: 04");
        tools[0]->trigger();
        // the program closes the window from an action
        tools[8]->trigger();
    });
    qtest::backend().runMainWindow(w);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(w.closed);
    EXPECT_EQ(log, (std::vector<std::string>{"voucher", "on"}));
    EXPECT_EQ(frame(), nullptr);
    platform::Clock::reset();
}

TEST(MainWindow, ClosingTheWindowEndsTheRun) {
    std::vector<std::string> log;
    ui::MainWindow w;
    sample(w, log);
    w.picture = "/nonexistent/qrx2012.jpg";  // a missing picture leaves the area empty
    bool empty = false;
    whenMain([&](ui::qt::MainFrame* f) {
        empty = !f->pictureArea()->hasPicture();
        f->close();
    });
    qtest::backend().runMainWindow(w);
    EXPECT_TRUE(empty);
    EXPECT_TRUE(w.closed);
}

TEST(MainWindow, MenuActionsOpenScreensOverTheWindow) {
    std::vector<std::string> log;
    ui::MainWindow w;
    sample(w, log);
    demo::Selection s;
    int result = -1;
    QWidget* parent = nullptr;
    w.menus[1].items[0].action = [&] { result = ui::run(*s.d); };
    whenMain([&](ui::qt::MainFrame* f) {
        qtest::whenModalTitled("SELECCION DE IMPRESION", [&](QWidget* m) {
            parent = m->parentWidget();
            static_cast<QPushButton*>(static_cast<ui::qt::DialogWindow*>(m)->widgetOf(175))->click();
        });
        f->menuBar()->actions()[1]->menu()->actions()[0]->trigger();
        EXPECT_EQ(result, 175);
        f->menuBar()->actions()[0]->menu()->actions().back()->trigger();
    });
    qtest::backend().runMainWindow(w);
    EXPECT_EQ(result, 175);
    EXPECT_NE(parent, nullptr);  // centred over the main window
}

TEST(MainWindow, AnErrorInAnActionLeavesTheRun) {
    std::vector<std::string> log;
    ui::MainWindow w;
    sample(w, log);
    w.menus[0].items[0].action = [] { throw std::runtime_error("índice dañado"); };
    whenMain([](ui::qt::MainFrame* f) { f->menuBar()->actions()[0]->menu()->actions()[0]->trigger(); });
    EXPECT_THROW(qtest::backend().runMainWindow(w), std::runtime_error);
    EXPECT_EQ(frame(), nullptr);
}

}  // namespace
