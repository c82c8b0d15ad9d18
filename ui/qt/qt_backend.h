// The Qt screens: the backend that shows the neutral dialogs as real windows,
// the message boxes, the input box, transient notices, the lock-retry pause and
// the main window; and the offscreen renderer behind the script's `snapshot`.
//
// The caller creates the QApplication before making a QtBackend.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/backend.h"
#include "ui/script.h"

class QWidget;

namespace ui::qt {

class LockNotice;
class MainFrame;

class QtBackend : public ui::Backend {
public:
    // Needs a QApplication; puts the Fusion style in force.
    QtBackend();
    ~QtBackend() override;

    int run(Dialog& d) override;
    void message(Box kind, const std::string& title, const std::string& text) override;
    bool yesNo(const std::string& title, const std::string& text, bool defaultYes) override;
    int choice(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) override;
    std::optional<store::Value> input(const std::string& title, const std::string& prompt, const store::Value& initial,
                                      int width, int decimals, const std::string& picture) override;
    void transient(const std::string& title, const std::string& text, double seconds) override;
    void waitCursor(bool on) override;
    void beep() override;
    bool pause(double seconds, bool cancellable) override;
    void runMainWindow(MainWindow& w) override;
    void updateMainWindow(MainWindow& w) override;

    // The window new windows are placed over: the topmost modal one, else the main window.
    QWidget* parentWindow() const;

private:
    void hideNotice();

    std::unique_ptr<LockNotice> notice_;
    MainFrame* main_ = nullptr;
    int waitDepth_ = 0;
};

// Draws the dialog as `run` would show it (its current state, without running it)
// at its natural size and saves it as a PNG. False, with the reason, when it cannot.
// Needs a QApplication.
bool renderDialog(ui::Dialog& d, const std::string& pngPath, std::string& error);

// Lets the script's `snapshot` action save pictures through renderDialog. Creates a
// QApplication on the offscreen platform when the program has none.
void installRenderer(ui::ScriptBackend& script);

}  // namespace ui::qt
