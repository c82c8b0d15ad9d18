// The Qt screens' tests run on the offscreen platform with one QApplication and the
// Qt backend installed for the whole run.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include "qt_helpers.h"
#include "ui/backend.h"
#include "ui/qt/qt_backend.h"

namespace qtest {
namespace {
std::shared_ptr<ui::qt::QtBackend> g_backend;
}

ui::qt::QtBackend& backend() { return *g_backend; }

std::string pngDir() {
    std::filesystem::create_directories(QRX_UI_QT_PNG_DIR);
    return QRX_UI_QT_PNG_DIR;
}

void pump() {
    for (int i = 0; i < 4; ++i) QApplication::processEvents();
}

void showActive(QWidget* w) {
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    pump();
}

void key(QWidget* w, int k, Qt::KeyboardModifiers mods, const QString& text) {
    if (!w) w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr) << "no widget has the focus";
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, mods, text);
    QApplication::sendEvent(w, &release);
    pump();
}

void type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        int k = c.isLetter() ? c.toUpper().unicode() : c.unicode();
        key(w ? w : QApplication::focusWidget(), k, Qt::NoModifier, QString(c));
    }
}

// Mouse events go to the window, as the platform delivers them, so that Qt gives
// the focus on a click before the widget sees it.
void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QWindow* win = w->window()->windowHandle();
    ASSERT_NE(win, nullptr);
    QPointF local = QPointF(w->mapTo(w->window(), at));
    QMouseEvent e(type, local, local, win->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(win, &e);
}

void click(QWidget* w, QPoint at) {
    mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
    pump();
}

void doubleClick(QWidget* w, QPoint at) {
    click(w, at);
    mouse(w, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
    pump();
}

QAbstractButton* button(QWidget* in, const QString& text) {
    for (QAbstractButton* b : in->findChildren<QAbstractButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

void whenModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> then) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, match, then] {
        QWidget* m = QApplication::activeModalWidget();
        if (m && m->isVisible() && match(m)) {
            timer->stop();
            timer->deleteLater();
            then(m);
            return;
        }
        if (++*tries > 4000) {  // the window never came: do not hang the run
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the expected window did not open";
            if (m) m->close();
        }
    });
    timer->start(5);
}

void whenModalTitled(const QString& title, std::function<void(QWidget*)> then) {
    whenModal([title](QWidget* w) { return w->windowTitle() == title; }, std::move(then));
}

std::string save(QWidget* w, const std::string& name) {
    std::string path = pngDir() + "/" + name + ".png";
    w->grab().save(QString::fromStdString(path), "PNG");
    return path;
}

}  // namespace qtest

namespace {
QtMessageHandler g_previous = nullptr;
void quiet(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    // the offscreen platform's notes about what it cannot do are of no interest here
    if (msg.startsWith(QLatin1String("This plugin does not support")) || msg.startsWith(QLatin1String("QStandardPaths")))
        return;
    if (g_previous) g_previous(type, context, msg);
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_previous = qInstallMessageHandler(quiet);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    qtest::g_backend = std::make_shared<ui::qt::QtBackend>();
    ui::install(qtest::g_backend);
    int rc = RUN_ALL_TESTS();
    ui::install(nullptr);
    qtest::g_backend.reset();
    return rc;
}
