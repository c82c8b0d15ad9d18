// The small windows: message boxes, yes/no and choice boxes, the input box, the
// transient notice and the notice shown while a locked record is awaited.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include "store/value.h"
#include "ui/backend.h"

class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui::qt {

// A message box that tells Escape and the close control apart from its buttons
// (and lets a box without a Cancel button be closed that way).
class MessageBox : public QMessageBox {
public:
    MessageBox(QWidget* parent, QMessageBox::Icon icon, const std::string& title, const std::string& text);
    bool escaped() const { return escaped_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    bool escaped_ = false;
};

void showMessage(QWidget* parent, Box kind, const std::string& title, const std::string& text);
bool askYesNo(QWidget* parent, const std::string& title, const std::string& text, bool defaultYes);
int askChoice(QWidget* parent, const std::string& title, const std::string& text, const std::vector<std::string>& buttons);

// The input box: a prompt, one field read through the picture, Aceptar/Cancelar.
class InputBox : public QDialog {
public:
    InputBox(QWidget* parent, const std::string& title, const std::string& prompt, const store::Value& initial,
             int width, int decimals, const std::string& picture);
    // The value taken when the box was confirmed.
    const std::optional<store::Value>& value() const { return value_; }
    QLineEdit* field() const { return field_; }
    QLabel* errorLine() const { return error_; }
    bool escaped() const { return escaped_; }

    void accept() override;  // refuses what cannot be read and stays open
    void reject() override;

private:
    store::Type type_;
    int width_, decimals_;
    std::string picture_;
    QLineEdit* field_;
    QLabel* error_;
    std::optional<store::Value> value_;
    bool escaped_ = false;
};

// A frameless notice that closes itself after `seconds`; shown modally.
void showTransient(QWidget* parent, const std::string& title, const std::string& text, double seconds);

// "Esperando un registro bloqueado por otra estación…": stays up across the
// retries of one wait and goes away shortly after the last one.
class LockNotice : public QDialog {
public:
    LockNotice();
    ~LockNotice() override;
    // Waits up to `seconds`, processing events. True when the time ran out or a
    // key was pressed, false when the user chose to stop waiting.
    bool wait(double seconds, bool cancellable);
    void dismiss();
    QPushButton* stopButton() const { return stop_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QPushButton* stop_;
    QLabel* hint_;
    QEventLoop* loop_ = nullptr;
    bool stopped_ = false;
    QTimer hide_;
};

}  // namespace ui::qt
