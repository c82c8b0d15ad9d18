#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QPixmap>
#include <QStyleFactory>

#include "ui/qt/dialog_window.h"
#include "ui/qt/qt_backend.h"

namespace ui::qt {

bool renderDialog(ui::Dialog& d, const std::string& pngPath, std::string& error) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        error = "no hay una QApplication para dibujar el diálogo";
        return false;
    }
    try {
        DialogWindow w(d, false);
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) w.setAttribute(Qt::WA_DontShowOnScreen);
        w.fitToScreen();
        w.show();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        w.sync(true);
        w.fitToScreen();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QPixmap picture = w.grab();
        w.hide();
        if (picture.isNull()) {
            error = "la ventana no se pudo dibujar";
            return false;
        }
        if (!picture.save(QString::fromStdString(pngPath), "PNG")) {
            error = "no se pudo escribir " + pngPath;
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

void installRenderer(ui::ScriptBackend& script) {
    if (!QCoreApplication::instance()) {
        // A program run by a script has no windows of its own: draw offscreen.
        static int argc = 3;
        static char arg0[] = "qrx2012", arg1[] = "-platform", arg2[] = "offscreen";
        static char* argv[] = {arg0, arg1, arg2, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
        if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);
    }
    script.renderer = [](ui::Dialog& d, const std::string& path, std::string& error) {
        return renderDialog(d, path, error);
    };
}

}  // namespace ui::qt
