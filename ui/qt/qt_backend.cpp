#include "ui/qt/qt_backend.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStyleFactory>

#include "ui/keys.h"
#include "ui/qt/boxes.h"
#include "ui/qt/dialog_window.h"
#include "ui/qt/icons.h"
#include "ui/qt/main_frame.h"

namespace ui::qt {

QtBackend::QtBackend() {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);
    QApplication::setWindowIcon(programIcon());
}

QtBackend::~QtBackend() {
    while (waitDepth_ > 0) waitCursor(false);
}

QWidget* QtBackend::parentWindow() const {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && (!notice_ || modal != notice_.get())) return modal;
    return main_;
}

void QtBackend::hideNotice() {
    if (notice_ && notice_->isVisible()) notice_->dismiss();
}

int QtBackend::run(Dialog& d) {
    hideNotice();
    d.start();
    DialogWindow w(d, true, parentWindow());
    return w.runModal();
}

void QtBackend::message(Box kind, const std::string& title, const std::string& text) {
    hideNotice();
    showMessage(parentWindow(), kind, title, text);
}

bool QtBackend::yesNo(const std::string& title, const std::string& text, bool defaultYes) {
    hideNotice();
    return askYesNo(parentWindow(), title, text, defaultYes);
}

int QtBackend::choice(const std::string& title, const std::string& text, const std::vector<std::string>& buttons) {
    hideNotice();
    return askChoice(parentWindow(), title, text, buttons);
}

std::optional<store::Value> QtBackend::input(const std::string& title, const std::string& prompt,
                                             const store::Value& initial, int width, int decimals,
                                             const std::string& picture) {
    hideNotice();
    InputBox box(parentWindow(), title, prompt, initial, width, decimals, picture);
    box.exec();
    keys::setLastEscape(!box.value().has_value());
    return box.value();
}

void QtBackend::transient(const std::string& title, const std::string& text, double seconds) {
    hideNotice();
    showTransient(parentWindow(), title, text, seconds);
}

void QtBackend::waitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitDepth_;
    } else if (waitDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --waitDepth_;
    }
}

void QtBackend::beep() { QApplication::beep(); }

bool QtBackend::pause(double seconds, bool cancellable) {
    if (!notice_) notice_ = std::make_unique<LockNotice>();
    return notice_->wait(seconds, cancellable);
}

void QtBackend::runMainWindow(MainWindow& w) {
    if (w.closed) return;
    MainFrame frame(w);
    main_ = &frame;
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        frame.resize(1280, 720);
        frame.show();
    } else {
        frame.resize(1200, 720);
        frame.showMaximized();
    }
    try {
        frame.runUntilClosed();
    } catch (...) {
        main_ = nullptr;
        throw;
    }
    main_ = nullptr;
}

void QtBackend::updateMainWindow(MainWindow& w) {
    (void)w;
    if (main_) main_->refresh();
}

}  // namespace ui::qt
