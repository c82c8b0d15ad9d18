// What the screens ask of the toolkit: running a dialog modally, message boxes,
// the input box, transient messages, cursors, the beep, the pause of the lock
// retries, and the main window. The program talks to the installed backend
// through the functions of this header only.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/store.h"
#include "store/value.h"
#include "ui/dialog.h"

namespace ui {

enum class Box { Plain, Info, Alert, Stop };

struct MenuItem {
    std::string caption;  // with its '&' accelerator, as written
    std::string message;  // shown in the message bar while highlighted
    std::function<void()> action;  // empty: disabled (its screen is not built yet)
    std::vector<MenuItem> items;   // a submenu when not empty
    bool separator = false;
    static MenuItem line() {
        MenuItem m;
        m.separator = true;
        return m;
    }
};

struct ToolButton {
    std::string icon;  // image name
    std::string tooltip;
    std::function<void()> action;  // empty: disabled
};

struct MainWindow {
    std::string title;
    std::vector<MenuItem> menus;
    std::vector<ToolButton> toolbar;
    std::string picture;  // image file shown in the client area ("" for none)
    std::string statusText;
    bool closed = false;
    void close() { closed = true; }
};

class Backend {
public:
    virtual ~Backend() = default;
    // Shows the dialog modally until it ends; returns its result.
    virtual int run(Dialog& d) = 0;
    virtual void message(Box kind, const std::string& title, const std::string& text) = 0;
    virtual bool yesNo(const std::string& title, const std::string& text, bool defaultYes) = 0;
    // Returns the 1-based button chosen, 0 when the box was closed.
    virtual int choice(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) = 0;
    // The input box: nullopt when cancelled.
    virtual std::optional<store::Value> input(const std::string& title, const std::string& prompt,
                                              const store::Value& initial, int width, int decimals,
                                              const std::string& picture) = 0;
    virtual void transient(const std::string& title, const std::string& text, double seconds) = 0;
    virtual void waitCursor(bool on) = 0;
    virtual void beep() = 0;
    // The half-second pause between lock attempts: returns early on a key press; false when
    // the user chose to stop waiting (offered only when cancellable).
    virtual bool pause(double seconds, bool cancellable) = 0;
    // Shows the main window until it is closed.
    virtual void runMainWindow(MainWindow& w) = 0;
    // Refreshes what the main window shows (title, picture, message bar) after an action.
    virtual void updateMainWindow(MainWindow& w) = 0;
};

// The backend in force; installed once at start-up (or by a test).
void install(std::shared_ptr<Backend> backend);
Backend& backend();

// Lets the store's lock retries wait through the screen: a key press shortens a pause,
// and the user may stop waiting where the wait allows it.
void connectStore(store::Store& store);

// Shorthands for the screens.
inline int run(Dialog& d) { return backend().run(d); }
inline void msg(const std::string& text, const std::string& title = {}) { backend().message(Box::Plain, title, text); }
inline void info(const std::string& text, const std::string& title = {}) { backend().message(Box::Info, title, text); }
inline void alert(const std::string& text, const std::string& title = {}) { backend().message(Box::Alert, title, text); }
inline void stop(const std::string& text, const std::string& title = {}) { backend().message(Box::Stop, title, text); }
inline bool yesNo(const std::string& text, const std::string& title = {}, bool defaultYes = true) {
    return backend().yesNo(title, text, defaultYes);
}
inline int choice(const std::string& text, const std::string& title, const std::vector<std::string>& buttons) {
    return backend().choice(title, text, buttons);
}

}  // namespace ui
