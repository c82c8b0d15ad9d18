// Waiting for the program's main window on the offscreen platform, for the suites
// that start it (the screen layer's own and the application's).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include "ui/qt/main_frame.h"

namespace qtest {

// The main window when it is shown, or nullptr.
inline ui::qt::MainFrame* frame() {
    for (QWidget* t : QApplication::topLevelWidgets())
        if (auto* f = dynamic_cast<ui::qt::MainFrame*>(t); f && f->isVisible()) return f;
    return nullptr;
}

// Runs `then` once the main window is up; a window that never opens fails the test.
inline void whenMain(std::function<void(ui::qt::MainFrame*)> then) {
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

}  // namespace qtest
