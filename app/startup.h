// Start-up and the main window: MAIN runs the program from its argument to the
// closing of the main window; BUILDMENU makes the five menus and the toolbar; the
// error handler reports what no screen handled (a window, the file "Error.log" in
// the start folder) and ends the program.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/context.h"
#include "ui/backend.h"

namespace app {

// How MAIN ends.
inline constexpr int kExitNormal = 0;  // the main window was closed, or the start-up ended silently
inline constexpr int kExitError = 2;   // the error handler ended the program (or the registry could not be opened)

// The program's name as the windows show it, its version, and its web page.
inline constexpr const char* kProgramName = "QRX 2012";
extern const char* const kProgramVersion;
inline constexpr const char* kWebPage = "https://qrx2012.example.pe";

// The default picture of the main window, in the start folder.
inline constexpr const char* kDefaultPicture = "qrx2012.jpg";
// The error log, in the start folder.
inline constexpr const char* kErrorLog = "Error.log";

// Runs the program: `args` are the command-line arguments after the program name
// (the first becomes WZDR). Returns when the main window is closed.
int MAIN(Context& ctx, const std::vector<std::string>& args);

// The menu bar and the toolbar of the main window.
struct MainMenu {
    std::vector<ui::MenuItem> menus;
    std::vector<ui::ToolButton> toolbar;
};
MainMenu BUILDMENU(Context& ctx);

// The error handler. `operation` names what was running (a menu caption without
// its '&', or the start-up). Runs fn; when it throws, the error is shown in a stop
// box and appended to "Error.log", the main window (if any) is closed, and false is
// returned.
bool guarded(Context& ctx, const std::string& operation, const std::function<void()>& fn);
// An action that runs fn under the error handler and shows the main window again
// afterwards.
std::function<void()> guardedAction(Context& ctx, const std::string& operation, std::function<void()> fn);

// How many errors the handler has reported in this process.
int errorsReported();

// The text of the message bar for the open company.
std::string messageBarText(const Context& ctx);

}  // namespace app
