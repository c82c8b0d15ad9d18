// The program qrx2012.
//
//   qrx2012 [ARG]                                   the Qt windows
//   qrx2012 --script FILE [--pdf PATTERN] [ARG]     plays FILE as the user, without a display
//
// The current directory is the start folder (the company registry, the report
// folder, the template sets, the default picture). ARG is kept as WZDR (the report
// design code). A script run writes the reports as PDF files named by PATTERN
// ("{name}" is the template name; default "reportes-salida/{name}.pdf"), prints
// the failures of the script and exits 1 when it failed.
//
// Exit codes: 0 the program ended normally; 1 the script failed; 2 an error ended
// the program (it is in Error.log); 64 the command line is wrong.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/context.h"
#include "app/startup.h"
#include "masters/operations.h"
#include "output/printer.h"
#include "output/qt/print_service.h"
#include "output/report/file_viewer.h"
#include "output/report/preview_window.h"
#include "ui/qt/icons.h"
#include "ui/qt/qt_backend.h"
#include "ui/script.h"

namespace {

constexpr int kExitUsage = 64;

QtMessageHandler g_qtMessages = nullptr;
// Qt's note that it chose a runtime folder itself is of no use to the user.
void qtMessage(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    if (msg.startsWith(QLatin1String("QStandardPaths:"))) return;
    if (g_qtMessages) g_qtMessages(type, context, msg);
}

struct Options {
    bool script = false;
    std::string scriptFile;
    std::string pdfPattern = "reportes-salida/{name}.pdf";
    std::vector<std::string> args;
};

void usage() {
    std::cerr << "Uso: qrx2012 [ARGUMENTO]\n"
                 "     qrx2012 --script GUION [--pdf PATRON] [ARGUMENTO]\n"
                 "  GUION   archivo con las acciones del usuario, una por línea\n"
                 "  PATRON  archivos PDF de los informes; {name} es el nombre del informe\n"
                 "          (por omisión reportes-salida/{name}.pdf)\n";
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--script" || a == "--pdf") {
            if (i + 1 >= argc) return false;
            (a == "--script" ? o.scriptFile : o.pdfPattern) = argv[++i];
            if (a == "--script") o.script = true;
        } else if (a == "--help" || a == "-h") {
            return false;
        } else {
            o.args.push_back(a);
        }
    }
    if (!o.script && o.pdfPattern != "reportes-salida/{name}.pdf") return false;  // --pdf only with a script
    return o.args.size() <= 1;
}

std::string replaced(std::string pattern, const std::string& what, const std::string& by) {
    for (std::size_t p = pattern.find(what); p != std::string::npos; p = pattern.find(what, p + by.size()))
        pattern.replace(p, what.size(), by);
    return pattern;
}

// True when Qt has a screen to show the windows on: an X or Wayland display, or a
// platform chosen explicitly (offscreen, vnc...).
bool haveDisplay() {
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(v);
        if (value && *value) return true;
    }
    return false;
}

int runWindows(int argc, char** argv, const Options& o) {
    if (!haveDisplay()) {
        std::cerr << "qrx2012 necesita una pantalla (DISPLAY o WAYLAND_DISPLAY); sin ella use "
                     "qrx2012 --script GUION para reproducir un guion de acciones.\n";
        return kExitUsage;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QRX 2012"));
    QApplication::setWindowIcon(ui::qt::programIcon());
    auto backend = std::make_shared<ui::qt::QtBackend>();
    ui::install(backend);
    report::QtReportViewer viewer;
    report::installViewer(&viewer);
    // Without a display to print from, the print jobs go to this file in the start folder.
    output::installPrintService(std::make_shared<output::qt::QtPrintService>("impresion.pdf"));

    int rc;
    {
        app::Context ctx;
        ui::connectStore(ctx.store);
        masters::registerOperations(ctx);
        rc = app::MAIN(ctx, o.args);
    }
    output::installPrintService(nullptr);
    report::installViewer(nullptr);
    ui::install(nullptr);
    return rc;
}

int runScript(int argc, char** argv, const Options& o) {
    // Nothing is shown: the pictures of `snapshot` and the PDF files are drawn offscreen.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qapp(argc, argv);
    auto script = std::make_shared<ui::ScriptBackend>();
    script->pauseScale = 0;  // no real waiting between lock attempts
    if (!script->loadFile(o.scriptFile)) {
        for (const std::string& f : script->failures()) std::cerr << f << "\n";
        return 1;
    }
    ui::qt::installRenderer(*script);
    ui::install(script);

    std::filesystem::path folder = std::filesystem::path(o.pdfPattern).parent_path();
    std::error_code ec;
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    report::PdfFileViewer viewer(o.pdfPattern);
    report::installViewer(&viewer);
    output::installPrintService(std::make_shared<output::qt::QtPrintService>(
        replaced(o.pdfPattern, "{name}", "impresion"), output::qt::QtPrintService::Target::Pdf));

    int rc;
    {
        app::Context ctx;
        ui::connectStore(ctx.store);
        masters::registerOperations(ctx);
        rc = app::MAIN(ctx, o.args);
    }
    script->finish();

    output::installPrintService(nullptr);
    report::installViewer(nullptr);
    ui::install(nullptr);

    for (const std::string& f : viewer.written()) std::cout << "informe: " << f << "\n";
    if (!script->ok()) {
        for (const std::string& f : script->failures()) std::cerr << o.scriptFile << ": " << f << "\n";
        return 1;
    }
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    g_qtMessages = qInstallMessageHandler(qtMessage);
    if (!parse(argc, argv, o)) {
        usage();
        return kExitUsage;
    }
    return o.script ? runScript(argc, argv, o) : runWindows(argc, argv, o);
}
