// A start folder for the application tests: a fresh temporary folder holding the
// installation data (the report folder and both company template sets), made the
// program's start folder, with the script backend installed and reports written
// as PDF files under "pdf/".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/context.h"
#include "output/report/file_viewer.h"
#include "support/files.h"
#include "support/readers.h"
#include "ui/script.h"

namespace app_test {

class StartFolder {
public:
    StartFolder();
    ~StartFolder();

    const std::string& path() const { return dir_.path(); }
    std::string file(const std::string& name) const { return dir_.file(name); }
    // Host folder of "C:\QRX2012" (and of the work folder below it).
    std::string demoFolder() const { return file("drive_c/QRX2012"); }

    // A fresh script backend with these lines (the previous one is replaced).
    ui::ScriptBackend& script(const std::vector<std::string>& lines = {});
    ui::ScriptBackend& backend() { return *script_; }
    // Installs a script backend of the test's own (a subclass, say).
    void use(std::shared_ptr<ui::ScriptBackend> backend);
    // Creates and selects the DEMO company "C:\QRX2012" from the template set `datos`
    // (from `datos2`, the demo set with vouchers, when `demoSet`); false when it failed.
    bool openDemo(bool demoSet = false);
    // Texts of the messages shown so far.
    std::vector<std::string> messages() const;
    report::PdfFileViewer& reports() { return *viewer_; }

    app::Context ctx;
    // Files the program asked to open for the user (nothing is started in the tests).
    std::vector<std::string> opened;

private:
    testsupport::TempDir dir_;
    std::shared_ptr<ui::ScriptBackend> script_;
    std::unique_ptr<report::PdfFileViewer> viewer_;
};

using testsupport::run;

// A table text without its trailing blanks.
std::string trim(std::string s);

}  // namespace app_test
