#include "ui/qt/boxes.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/keys.h"
#include "ui/picture.h"
#include "ui/qt/icons.h"
#include "ui/text.h"

namespace ui::qt {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon iconOf(Box kind) {
    switch (kind) {
        case Box::Info: return QMessageBox::Information;
        case Box::Alert: return QMessageBox::Warning;
        case Box::Stop: return QMessageBox::Critical;
        default: return QMessageBox::NoIcon;
    }
}

}  // namespace

// ---------------------------------------------------------------- message boxes

MessageBox::MessageBox(QWidget* parent, QMessageBox::Icon icon, const std::string& title, const std::string& text)
    : QMessageBox(icon, qs(title), qs(text), QMessageBox::NoButton, parent) {
    setTextFormat(Qt::PlainText);
    setWindowIcon(programIcon());
    setWindowModality(Qt::ApplicationModal);
}

void MessageBox::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        escaped_ = true;
        QDialog::reject();
        return;
    }
    QMessageBox::keyPressEvent(e);
}

void MessageBox::closeEvent(QCloseEvent* e) {
    if (!clickedButton()) escaped_ = true;
    e->accept();
    QDialog::closeEvent(e);
}

void showMessage(QWidget* parent, Box kind, const std::string& title, const std::string& text) {
    MessageBox box(parent, iconOf(kind), title, text);
    QPushButton* ok = box.addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.exec();
    keys::setLastEscape(box.escaped());
}

bool askYesNo(QWidget* parent, const std::string& title, const std::string& text, bool defaultYes) {
    MessageBox box(parent, QMessageBox::Question, title, text);
    QPushButton* yes = box.addButton(QStringLiteral("&Sí"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(defaultYes ? yes : no);
    box.exec();
    keys::setLastEscape(box.escaped());
    return !box.escaped() && box.clickedButton() == yes;
}

int askChoice(QWidget* parent, const std::string& title, const std::string& text, const std::vector<std::string>& buttons) {
    MessageBox box(parent, QMessageBox::NoIcon, title, text);
    std::vector<QAbstractButton*> made;
    for (const std::string& b : buttons) made.push_back(box.addButton(qs(b), QMessageBox::ActionRole));
    if (!made.empty()) box.setDefaultButton(static_cast<QPushButton*>(made.front()));
    box.exec();
    keys::setLastEscape(box.escaped());
    if (box.escaped()) return 0;
    auto it = std::find(made.begin(), made.end(), box.clickedButton());
    return it == made.end() ? 0 : static_cast<int>(it - made.begin()) + 1;
}

// ---------------------------------------------------------------- input box

InputBox::InputBox(QWidget* parent, const std::string& title, const std::string& prompt, const store::Value& initial,
                   int width, int decimals, const std::string& picture)
    : QDialog(parent), type_(initial.type()), width_(std::max(width, 1)), decimals_(decimals), picture_(picture) {
    setWindowTitle(qs(title));
    setWindowIcon(programIcon());
    setModal(true);
    Picture pic = Picture::parse(picture_);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(18, 16, 18, 12);
    lay->setSpacing(8);
    auto* label = new QLabel(qs(prompt), this);
    label->setTextFormat(Qt::PlainText);
    lay->addWidget(label);

    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("entrada"));
    label->setBuddy(field_);
    std::string shown;
    if (initial.isText()) {
        shown = pic.display(store::Value(text::fromTable(initial.text())), width_, 0);
        while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    } else {
        shown = pic.display(initial, width_, decimals_);
        QString t = qs(shown).trimmed();
        if (type_ == store::Type::Date && !std::any_of(t.begin(), t.end(), [](QChar c) { return c.isDigit(); }))
            t.clear();
        shown = t.toStdString();
    }
    field_->setText(qs(shown));
    field_->selectAll();
    int chars = pic.displayWidth(type_, width_, decimals_);
    if (type_ == store::Type::Char) field_->setMaxLength(std::max(chars, 1));
    else field_->setMaxLength(std::max(chars, 10) + 2);
    if (type_ == store::Type::Num) field_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (type_ == store::Type::Date) field_->setPlaceholderText(QStringLiteral("dd/mm/aaaa"));
    int px = field_->fontMetrics().horizontalAdvance(QLatin1Char('N')) * std::clamp(chars + 1, 12, 50) + 18;
    field_->setMinimumWidth(px);
    connect(field_, &QLineEdit::textEdited, this, [this](const QString& t) {
        // the picture shapes what is typed (capitals, length, allowed characters)
        std::string f = Picture::parse(picture_).filterText(t.toStdString(), width_, type_);
        QString want = qs(f);
        if (want.size() > t.size() && want.mid(t.size()).trimmed().isEmpty()) want = want.left(t.size());
        if (want != t) {
            int pos = field_->cursorPosition();
            field_->setText(want);
            field_->setCursorPosition(std::min(pos, static_cast<int>(want.size())));
        }
        error_->clear();
    });
    lay->addWidget(field_);

    error_ = new QLabel(this);
    error_->setTextFormat(Qt::PlainText);
    QPalette p = error_->palette();
    p.setColor(QPalette::WindowText, QColor(0xb3, 0x26, 0x1e));
    error_->setPalette(p);
    lay->addWidget(error_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&Aceptar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancelar"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &InputBox::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &InputBox::reject);
    lay->addWidget(buttons);
    setMinimumWidth(340);
}

void InputBox::accept() {
    Picture pic = Picture::parse(picture_);
    std::string typed = field_->text().toStdString();
    if (type_ == store::Type::Char) {
        std::string bytes = text::toTable(pic.filterText(typed, width_));
        bytes.resize(static_cast<std::size_t>(width_), ' ');
        value_ = store::Value(bytes);
    } else {
        Picture::Parsed parsed = pic.parseInput(typed, type_, width_, decimals_);
        if (!parsed.ok()) {
            error_->setText(qs(parsed.error));
            QApplication::beep();
            field_->setFocus();
            field_->selectAll();
            return;
        }
        value_ = parsed.value;
    }
    QDialog::accept();
}

void InputBox::reject() {
    escaped_ = true;
    value_.reset();
    QDialog::reject();
}

// ---------------------------------------------------------------- transient notice

void showTransient(QWidget* parent, const std::string& title, const std::string& text, double seconds) {
    QDialog w(parent, Qt::Tool | Qt::FramelessWindowHint);
    w.setModal(true);
    auto* outer = new QVBoxLayout(&w);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(&w);
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(1);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, QColor(0xf4, 0xf7, 0xfb));
    p.setColor(QPalette::WindowText, QColor(0x22, 0x2b, 0x36));
    panel->setPalette(p);
    panel->setAutoFillBackground(true);
    auto* lay = new QVBoxLayout(panel);
    lay->setContentsMargins(28, 18, 28, 18);
    lay->setSpacing(6);
    if (!title.empty()) {
        auto* t = new QLabel(qs(title), panel);
        QFont f = t->font();
        f.setBold(true);
        t->setFont(f);
        t->setAlignment(Qt::AlignCenter);
        lay->addWidget(t);
    }
    auto* l = new QLabel(qs(text).trimmed(), panel);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignCenter);
    l->setObjectName(QStringLiteral("aviso"));
    lay->addWidget(l);
    outer->addWidget(panel);
    w.setMinimumWidth(320);
    QTimer::singleShot(std::max(0, static_cast<int>(seconds * 1000.0)), &w, &QDialog::accept);
    w.exec();
}

// ---------------------------------------------------------------- the lock wait

LockNotice::LockNotice() : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setWindowTitle(QStringLiteral("Registro bloqueado"));
    setWindowIcon(programIcon());
    setModal(true);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(22, 18, 22, 14);
    lay->setSpacing(10);
    auto* text = new QLabel(QStringLiteral("Esperando un registro bloqueado por otra estación…"), this);
    QFont f = text->font();
    f.setBold(true);
    text->setFont(f);
    lay->addWidget(text);
    hint_ = new QLabel(QStringLiteral("Se reintenta sin parar; pulse una tecla para reintentar ahora."), this);
    lay->addWidget(hint_);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    stop_ = new QPushButton(QStringLiteral("&Dejar de esperar"), this);
    stop_->setFocusPolicy(Qt::NoFocus);  // keys only hurry the retry
    stop_->setAutoDefault(false);
    row->addWidget(stop_);
    lay->addLayout(row);
    connect(stop_, &QPushButton::clicked, this, [this] {
        stopped_ = true;
        if (loop_) loop_->quit();
    });
    hide_.setSingleShot(true);
    connect(&hide_, &QTimer::timeout, this, [this] { hide(); });
}

LockNotice::~LockNotice() {
    if (loop_) loop_->quit();
    qApp->removeEventFilter(this);
}

bool LockNotice::wait(double seconds, bool cancellable) {
    hide_.stop();
    stop_->setVisible(cancellable);
    hint_->setText(cancellable ? QStringLiteral("Pulse una tecla para reintentar ahora, o deje de esperar.")
                               : QStringLiteral("Se reintenta sin parar; pulse una tecla para reintentar ahora."));
    if (!isVisible()) {
        adjustSize();
        show();
        raise();
        activateWindow();
    }
    QEventLoop loop;
    loop_ = &loop;
    stopped_ = false;
    QTimer time;
    time.setSingleShot(true);
    connect(&time, &QTimer::timeout, &loop, &QEventLoop::quit);
    int ms = std::max(0, static_cast<int>(seconds * 1000.0));
    time.start(ms);
    qApp->installEventFilter(this);
    loop.exec();
    qApp->removeEventFilter(this);
    loop_ = nullptr;
    // The caller retries at once and may pause again: stay up a little while.
    hide_.start(std::max(700, ms + 400));
    return !stopped_;
}

void LockNotice::dismiss() {
    hide_.stop();
    hide();
}

bool LockNotice::eventFilter(QObject*, QEvent* e) {
    if (loop_ && e->type() == QEvent::KeyPress) {
        loop_->quit();
        return true;
    }
    return false;
}

}  // namespace ui::qt
