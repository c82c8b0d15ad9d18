// The real main window of a started program: its title, the five menus with their
// entries, the toolbar, the picture and the message bar; Salir ends the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QMessageBox>

#include <fstream>
#include <sstream>

#include "app/startup.h"
#include "platform/clock.h"
#include "support.h"
#include "ui_qt/main_window_wait.h"
#include "ui/qt/main_frame.h"
#include "ui/qt/qt_backend.h"

namespace fs = std::filesystem;

namespace {

using qtest::frame;
using qtest::whenMain;

QAction* entry(QMenu* m, const char* caption) {
    for (QAction* a : m->actions())
        if (a->text().toStdString() == caption) return a;
    ADD_FAILURE() << "no entry " << caption;
    static QAction none(nullptr);
    return &none;
}

// The window's menu holds the entries in order: captions, messages, separators,
// submenus, and enabled exactly where an action is given.
void sameEntries(QMenu* menu, const std::vector<ui::MenuItem>& items) {
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(static_cast<std::size_t>(actions.size()), items.size()) << menu->title().toStdString();
    for (std::size_t i = 0; i < items.size(); ++i) {
        QAction* a = actions[static_cast<int>(i)];
        const ui::MenuItem& m = items[i];
        SCOPED_TRACE(m.caption);
        EXPECT_EQ(a->isSeparator(), m.separator);
        if (m.separator) continue;
        EXPECT_EQ(a->text().toStdString(), m.caption);
        EXPECT_EQ(a->data().toString().toStdString(), m.message);
        if (!m.items.empty()) {
            ASSERT_NE(a->menu(), nullptr);
            sameEntries(a->menu(), m.items);
        } else {
            EXPECT_EQ(a->menu(), nullptr);
            EXPECT_EQ(a->isEnabled(), static_cast<bool>(m.action));
        }
    }
}

TEST(ProgramWindow, TheStartedProgramShowsItsMenusToolbarPictureAndMessageBar) {
    platform::Clock::setFixedToday(2026, 3, 15);
    app_test::StartFolder sf;
    fs::copy_file(std::string(QRX_INSTALL_DATA) + "/qrx2012.jpg", sf.file("qrx2012.jpg"));
    // a first run through a script makes the company
    sf.script({"answer Yes"});
    ASSERT_EQ(app::MAIN(sf.ctx, {}), app::kExitNormal);
    ASSERT_TRUE(sf.backend().ok());

    auto qt = std::make_shared<ui::qt::QtBackend>();
    ui::install(qt);
    bool checked = false;
    whenMain([&](ui::qt::MainFrame* f) {
        checked = true;
        EXPECT_EQ(f->windowTitle().toStdString(),
                  "QRX 2012" + std::string(10, ' ') + "EMPRESA NUEVA" + std::string(17, ' ') + std::string(4, ' ') +
                      "ENERO    ");
        // the menu bar shows what BUILDMENU made, entry by entry
        app::MainMenu built = app::BUILDMENU(sf.ctx);
        QList<QAction*> tops = f->menuBar()->actions();
        ASSERT_EQ(tops.size(), 5);
        ASSERT_EQ(built.menus.size(), 5u);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(tops[i]->text().toStdString(), built.menus[i].caption);
            ASSERT_NE(tops[i]->menu(), nullptr);
            sameEntries(tops[i]->menu(), built.menus[i].items);
        }
        EXPECT_EQ(tops[0]->text().toStdString(), "&Contabilidad");
        EXPECT_EQ(tops[4]->text().toStdString(), "&Utilitarios");
        QMenu* conta = tops[0]->menu();
        EXPECT_FALSE(entry(conta, "&Voucher")->isEnabled());  // its screen comes later
        EXPECT_TRUE(entry(conta, "&Salir de Taviron")->isEnabled());
        EXPECT_TRUE(conta->actions()[3]->isSeparator());
        QMenu* util = tops[4]->menu();
        EXPECT_TRUE(entry(util, "Selección y Creación de Empresa")->isEnabled());
        EXPECT_TRUE(entry(util, "&Acerca de Taviron")->isEnabled());
        EXPECT_TRUE(entry(util, "&BackUp")->isEnabled());

        QToolBar* bar = f->findChild<QToolBar*>();
        ASSERT_NE(bar, nullptr);
        QList<QAction*> tools = bar->actions();
        ASSERT_EQ(tools.size(), 9);
        ASSERT_EQ(built.toolbar.size(), 9u);
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(tools[i]->toolTip().toStdString(), built.toolbar[i].tooltip);
            EXPECT_EQ(tools[i]->isEnabled(), static_cast<bool>(built.toolbar[i].action));
        }
        EXPECT_EQ(tools[0]->toolTip().toStdString(), "Voucher");
        EXPECT_FALSE(tools[0]->isEnabled());
        EXPECT_EQ(tools[2]->toolTip().toStdString(), "Selección y Creación de Empresa");
        EXPECT_TRUE(tools[2]->isEnabled());
        EXPECT_EQ(tools[8]->toolTip().toStdString(), "Salir de QRX2012");
        for (QAction* a : tools) EXPECT_FALSE(a->icon().isNull());

        EXPECT_TRUE(f->pictureArea()->hasPicture());
        EXPECT_EQ(f->messageBar()->text().toStdString(), "Mes de trabajo: ENERO   Ejercicio: 2026");
        EXPECT_EQ(f->dateLabel()->text().toStdString(), "15/03/2026");
        tools[8]->trigger();  // Salir
    });
    EXPECT_EQ(app::MAIN(sf.ctx, {}), app::kExitNormal);
    EXPECT_TRUE(checked);
    EXPECT_EQ(frame(), nullptr);
    ui::install(nullptr);
    platform::Clock::reset();
}

TEST(ProgramWindow, AnErrorInAnActionIsShownInAWindowAndClosesTheMainWindow) {
    app_test::StartFolder sf;
    auto qt = std::make_shared<ui::qt::QtBackend>();
    ui::install(qt);
    ui::MainWindow w;
    w.title = "QRX 2012";
    w.menus = {ui::MenuItem{"&Utilitarios", "", {}, {ui::MenuItem{"&Prueba", "", app::guardedAction(sf.ctx, "Prueba", [] {
                                                                     throw std::runtime_error("tabla dañada");
                                                                 }), {}}}}};
    sf.ctx.mainWindow = &w;
    std::string boxTitle, boxText;
    whenMain([&](ui::qt::MainFrame* f) {
        // the error window is modal: read it and close it once it is up
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [&, timer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                boxTitle = box->windowTitle().toStdString();
                boxText = box->text().toStdString();
                box->accept();
            }
        });
        timer->start(5);
        f->menuBar()->actions()[0]->menu()->actions()[0]->trigger();
    });
    qt->runMainWindow(w);  // returns: the handler closed the window
    sf.ctx.mainWindow = nullptr;
    EXPECT_TRUE(w.closed);
    EXPECT_EQ(frame(), nullptr);
    EXPECT_EQ(boxTitle, "Error del programa");
    EXPECT_NE(boxText.find("tabla dañada"), std::string::npos) << boxText;
    std::ifstream log(sf.file("Error.log"));
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_NE(text.str().find("Operación: Prueba"), std::string::npos) << text.str();
    ui::install(nullptr);
}

}  // namespace
