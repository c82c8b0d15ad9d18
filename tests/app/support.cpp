#include "support.h"

#include <array>
#include <cstdio>
#include <filesystem>

#include "app/company.h"
#include "masters/operations.h"
#include "platform/clock.h"
#include "platform/paths.h"

namespace fs = std::filesystem;

namespace app_test {

StartFolder::StartFolder() {
    for (const char* sub : {"reportes", "datos", "datos2"})
        fs::copy(std::string(QRX_INSTALL_DATA) + "/" + sub, dir_.file(sub), fs::copy_options::recursive);
    platform::setStartFolder(dir_.path());
    viewer_ = std::make_unique<report::PdfFileViewer>(dir_.file("pdf/{name}.pdf"));
    fs::create_directories(dir_.file("pdf"));
    report::installViewer(viewer_.get());
    script();
    ui::connectStore(ctx.store);
    masters::registerOperations(ctx);  // as the program does before start-up
    ctx.openDocument = [this](const std::string& path) {
        opened.push_back(path);
        return platform::Status();
    };
}

StartFolder::~StartFolder() {
    ctx.store.closeAll();
    report::installViewer(nullptr);
    platform::resetStartFolder();
}

ui::ScriptBackend& StartFolder::script(const std::vector<std::string>& lines) {
    script_ = std::make_shared<ui::ScriptBackend>();
    script_->add(lines);
    ui::install(script_);
    return *script_;
}

void StartFolder::use(std::shared_ptr<ui::ScriptBackend> backend) {
    script_ = std::move(backend);
    ui::install(script_);
}

bool StartFolder::openDemo(bool demoSet) {
    if (demoSet) testsupport::writeFile(file("taviron1.exe"), "");
    if (!app::openRegistry(ctx)) return false;
    script({"answer Yes"});
    bool ok = app::SELEEMP(ctx, false);
    script();
    return ok;
}

std::vector<std::string> StartFolder::messages() const {
    std::vector<std::string> r;
    for (const auto& s : script_->shown()) r.push_back(s.text);
    return r;
}


std::string trim(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

}  // namespace app_test
