// Playing the user on the offscreen platform: keys, clicks, and answering the
// modal windows a call opens (found by polling for the active modal widget, so no
// test depends on how long anything takes).
#pragma once

#include <functional>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QString>
#include <QWidget>

namespace ui::qt {
class QtBackend;
}

namespace qtest {

ui::qt::QtBackend& backend();
// Where the tests leave their pictures.
std::string pngDir();

void pump();
void showActive(QWidget* w);
// Press and release of one key on a widget (the focus widget when null).
void key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {});
// Types each character as its key press.
void type(QWidget* w, const QString& text);
void click(QWidget* w, QPoint at);
void doubleClick(QWidget* w, QPoint at);
QAbstractButton* button(QWidget* in, const QString& text);

// Runs `then` on the first modal window for which `match` holds, once it is open.
// A window that never opens fails the test and ends the wait.
void whenModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> then);
// The same for a window with the given title.
void whenModalTitled(const QString& title, std::function<void(QWidget*)> then);
// Saves a picture of a widget into pngDir(); returns the path.
std::string save(QWidget* w, const std::string& name);

}  // namespace qtest
