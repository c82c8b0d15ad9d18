// The script backend: shows the screens to no one and lets a script play the
// user, one action per line, deterministically. Tests drive it from C++ and
// `qrx2012 --script FILE` from a file; an expectation that does not hold stops
// the script and is reported with its line number.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/backend.h"

namespace ui {

class ScriptBackend : public Backend {
public:
    struct Shown {
        std::string kind;  // "mensaje", "info", "alerta", "stop", "si/no", "opciones", "entrada", "aviso"
        std::string title;
        std::string text;
    };

    ScriptBackend() = default;
    // Adds lines to the script (numbered from 1 across calls). Syntax errors are
    // reported as failures at once, naming the line.
    void add(const std::vector<std::string>& lines);
    void addLine(const std::string& line) { add(std::vector<std::string>{line}); }
    bool loadFile(const std::string& path);

    bool ok() const { return failures_.empty(); }
    const std::vector<std::string>& failures() const { return failures_; }
    const std::vector<Shown>& shown() const { return shown_; }
    // Plays what is left once every dialog has closed: expectations are checked, any other
    // action is a failure (nothing is open to receive it).
    void finish();
    // Lines not yet played (0 when the script ran to its end).
    std::size_t pending() const { return commands_.size() - next_; }

    // Saves a picture of a dialog (installed by the Qt backend when it is linked).
    std::function<bool(Dialog&, const std::string& path, std::string& error)> renderer;
    // Real time slept for each lock-retry pause, as a fraction of the pause.
    double pauseScale = 0.02;
    // Lock-retry pauses after which the script gives up waiting.
    int maxPauses = 40;

    int run(Dialog& d) override;
    void message(Box kind, const std::string& title, const std::string& text) override;
    bool yesNo(const std::string& title, const std::string& text, bool defaultYes) override;
    int choice(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) override;
    std::optional<store::Value> input(const std::string& title, const std::string& prompt, const store::Value& initial,
                                      int width, int decimals, const std::string& picture) override;
    void transient(const std::string& title, const std::string& text, double seconds) override;
    void waitCursor(bool) override {}
    void beep() override {}
    bool pause(double seconds, bool cancellable) override;
    void runMainWindow(MainWindow& w) override;
    void updateMainWindow(MainWindow&) override {}

    Dialog* top() { return stack_.empty() ? nullptr : stack_.back(); }

private:
    struct Command {
        int line = 0;
        std::vector<std::string> words;  // quoted texts arrive unquoted
        std::string source;
    };
    const Command* nextCommand();
    void fail(const Command& c, const std::string& why);
    void failAt(int line, const std::string& why);
    bool dialogCommand(Dialog& d, const Command& c);
    bool expectation(const Command& c);
    bool mainCommand(MainWindow& w, const Command& c);
    // Plays expectations until an answer; returns it (nullptr when the script ran out).
    const Command* awaitAnswer(const std::string& what);
    std::string lastText() const;

    std::vector<Command> commands_;
    std::size_t next_ = 0;
    int lines_ = 0;
    bool stopped_ = false;
    std::vector<std::string> failures_;
    std::vector<Shown> shown_;
    std::vector<Dialog*> stack_;
    MainWindow* main_ = nullptr;
    int pauses_ = 0;
};

}  // namespace ui
