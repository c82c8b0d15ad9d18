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

#include "app/startup.h"
#include "platform/clock.h"
#include "support.h"
#include "ui/qt/main_frame.h"
#include "ui/qt/qt_backend.h"

namespace fs = std::filesystem;

namespace {

ui::qt::MainFrame* frame() {
    for (QWidget* t : QApplication::topLevelWidgets())
        if (auto* f = dynamic_cast<ui::qt::MainFrame*>(t); f && f->isVisible()) return f;
    return nullptr;
}

// Runs `then` once the main window is up; a window that never opens fails the test.
void whenMain(std::function<void(ui::qt::MainFrame*)> then) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, then] {
        ui::qt::MainFrame* f = frame();
        if (f || ++*tries > 4000) {
            timer->stop();
            timer->deleteLater();
            if (f) then(f);
            else ADD_FAILURE() << "the main window did not open";
        }
    });
    timer->start(5);
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
        QList<QAction*> tops = f->menuBar()->actions();
        ASSERT_EQ(tops.size(), 5);
        const char* names[] = {"&Contabilidad", "&Informes Contables", "&Informes SUNAT", "&Tablas", "&Utilitarios"};
        const int sizes[] = {10, 17, 30, 8, 11};  // entries, separators and submenus
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(tops[i]->text().toStdString(), names[i]);
            ASSERT_NE(tops[i]->menu(), nullptr);
            EXPECT_EQ(tops[i]->menu()->actions().size(), sizes[i]) << names[i];
        }
        QList<QAction*> conta = tops[0]->menu()->actions();
        EXPECT_FALSE(conta[0]->isEnabled());  // "&Voucher": its screen comes later
        EXPECT_TRUE(conta[3]->isSeparator());
        ASSERT_NE(conta[6]->menu(), nullptr);
        EXPECT_EQ(conta[6]->menu()->actions()[0]->text().toStdString(), "&Parámetros Actualización de Moneda Extranjera");
        EXPECT_EQ(conta[9]->text().toStdString(), "&Salir de Taviron");
        EXPECT_TRUE(conta[9]->isEnabled());
        QList<QAction*> util = tops[4]->menu()->actions();
        EXPECT_EQ(util[0]->text().toStdString(), "&Cambio de Mes de Trabajo ");
        EXPECT_TRUE(util[1]->isEnabled());   // company selection
        EXPECT_TRUE(util[10]->isEnabled());  // About
        EXPECT_FALSE(util[6]->isEnabled());  // backup

        QToolBar* bar = f->findChild<QToolBar*>();
        ASSERT_NE(bar, nullptr);
        QList<QAction*> tools = bar->actions();
        ASSERT_EQ(tools.size(), 9);
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

}  // namespace
