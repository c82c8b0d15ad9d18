#include "ui/qt/main_frame.h"

#include <cstdio>

#include <QCloseEvent>
#include <QDate>
#include <QEventLoop>
#include <QImageReader>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "platform/clock.h"
#include "ui/qt/icons.h"

namespace ui::qt {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QString today() {
    try {
        platform::Date d = platform::Clock::today();
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.day, d.month, d.year);
        return QString::fromLatin1(buf);
    } catch (...) {
        return QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"));
    }
}

}  // namespace

// ---------------------------------------------------------------- picture

PictureArea::PictureArea(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(200, 150);
}

void PictureArea::setPicture(const std::string& path) {
    if (path == path_) return;
    path_ = path;
    pixmap_ = QPixmap();
    if (!path.empty()) {
        QImageReader reader(qs(path));
        reader.setAutoTransform(true);
        QImage img = reader.read();
        if (!img.isNull()) pixmap_ = QPixmap::fromImage(img);
    }
    update();
}

void PictureArea::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0xe9, 0xee, 0xf4));
    g.setColorAt(1, QColor(0xd3, 0xdb, 0xe6));
    p.fillRect(rect(), g);
    if (pixmap_.isNull()) return;
    // fills the area without distorting it; the overflow is cut evenly on both sides
    QSize s = pixmap_.size().scaled(size(), Qt::KeepAspectRatioByExpanding);
    QRect target(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(target, pixmap_);
}

// ---------------------------------------------------------------- window

MainFrame::MainFrame(MainWindow& w, QWidget* parent) : QMainWindow(parent), w_(w) {
    setWindowIcon(programIcon());
    setAttribute(Qt::WA_DeleteOnClose, false);

    for (const MenuItem& top : w_.menus) {
        if (top.items.empty()) {  // a menu-bar entry that acts by itself
            QAction* a = menuBar()->addAction(qs(top.caption));
            a->setEnabled(static_cast<bool>(top.action));
            std::function<void()> f = top.action;
            connect(a, &QAction::triggered, this, [this, f] { act(f); });
            continue;
        }
        QMenu* m = menuBar()->addMenu(qs(top.caption));
        addItems(m, top.items);
    }

    if (!w_.toolbar.empty()) {
        QToolBar* bar = addToolBar(QStringLiteral("Herramientas"));
        bar->setObjectName(QStringLiteral("barra"));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(30, 30));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bar->setContextMenuPolicy(Qt::PreventContextMenu);
        for (const ToolButton& b : w_.toolbar) {
            QAction* a = bar->addAction(icon(b.icon), qs(b.tooltip));
            a->setToolTip(qs(b.tooltip));
            a->setEnabled(static_cast<bool>(b.action));
            std::function<void()> f = b.action;
            connect(a, &QAction::triggered, this, [this, f] { act(f); });
            if (QWidget* tb = bar->widgetForAction(a)) tb->setCursor(Qt::PointingHandCursor);
        }
    }
    setContextMenuPolicy(Qt::NoContextMenu);

    area_ = new PictureArea(this);
    setCentralWidget(area_);

    message_ = new QLabel(this);
    message_->setAlignment(Qt::AlignCenter);
    message_->setObjectName(QStringLiteral("mensaje"));
    date_ = new QLabel(today(), this);
    date_->setObjectName(QStringLiteral("fecha"));
    date_->setContentsMargins(12, 0, 8, 0);
    date_->setFrameShape(QFrame::NoFrame);
    statusBar()->addWidget(message_, 1);
    statusBar()->addPermanentWidget(date_);
    statusBar()->setSizeGripEnabled(false);
    refresh();
}

MainFrame::~MainFrame() = default;

void MainFrame::addItems(QMenu* menu, const std::vector<MenuItem>& items) {
    connect(menu, &QMenu::hovered, this, [this](QAction* a) {
        QString m = a->data().toString();
        showHint(m.isEmpty() ? qs(w_.statusText) : m);
    });
    connect(menu, &QMenu::aboutToHide, this, [this] { showHint(qs(w_.statusText)); });
    for (const MenuItem& item : items) {
        if (item.separator) {
            menu->addSeparator();
            continue;
        }
        if (!item.items.empty()) {
            QMenu* sub = menu->addMenu(qs(item.caption));
            sub->menuAction()->setData(qs(item.message));
            addItems(sub, item.items);
            continue;
        }
        QAction* a = menu->addAction(qs(item.caption));
        a->setData(qs(item.message));
        a->setEnabled(static_cast<bool>(item.action));
        std::function<void()> f = item.action;
        connect(a, &QAction::triggered, this, [this, f] { act(f); });
    }
}

void MainFrame::showHint(const QString& text) { message_->setText(text); }

void MainFrame::act(const std::function<void()>& f) {
    if (!f || error_) return;
    ++depth_;
    try {
        f();
    } catch (...) {
        error_ = std::current_exception();
    }
    --depth_;
    if (error_) {
        close();
        return;
    }
    refresh();
}

void MainFrame::refresh() {
    setWindowTitle(qs(w_.title));
    area_->setPicture(w_.picture);
    message_->setText(qs(w_.statusText));
    if (w_.closed && isVisible()) close();
}

void MainFrame::runUntilClosed() {
    QEventLoop loop;
    loop_ = &loop;
    if (!w_.closed && isVisible()) loop.exec();
    loop_ = nullptr;
    if (error_) std::rethrow_exception(error_);
}

void MainFrame::closeEvent(QCloseEvent* e) {
    w_.closed = true;
    e->accept();
    if (loop_) loop_->quit();
}

}  // namespace ui::qt
