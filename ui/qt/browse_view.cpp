#include "ui/qt/browse_view.h"

#include <algorithm>
#include <cmath>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace ui::qt {
namespace {

QString cellText(const Cell& c) {
    QString t = QString::fromStdString(c.text);
    if (c.right) return t.trimmed();
    // keep leading blanks (indented names), drop the padding on the right
    int n = static_cast<int>(t.size());
    while (n > 0 && t[n - 1] == QLatin1Char(' ')) --n;
    return t.left(n);
}

int textChars(const std::string& utf8) {
    QString t = QString::fromStdString(utf8).trimmed();
    return static_cast<int>(t.size());
}

constexpr int kBarRange = 100;

}  // namespace

// ---------------------------------------------------------------- model

void BrowseModel::setHeadings(std::vector<QString> headings, std::vector<bool> right) {
    beginResetModel();
    headings_ = std::move(headings);
    right_ = std::move(right);
    right_.resize(headings_.size(), false);
    endResetModel();
}

void BrowseModel::setRows(std::vector<std::vector<Cell>> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void BrowseModel::setRightColumn(int column, bool right) {
    if (column < 0 || column >= static_cast<int>(right_.size()) || right_[static_cast<std::size_t>(column)] == right)
        return;
    right_[static_cast<std::size_t>(column)] = right;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int BrowseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BrowseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
    const auto& row = rows_[static_cast<std::size_t>(index.row())];
    if (index.column() >= static_cast<int>(row.size())) return {};
    const Cell& c = row[static_cast<std::size_t>(index.column())];
    switch (role) {
        case Qt::DisplayRole: return cellText(c);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment((c.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
        default: return {};
    }
}

QVariant BrowseModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(headings_.size())) return {};
    if (role == Qt::DisplayRole) return headings_[static_cast<std::size_t>(section)];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::Alignment((right_[static_cast<std::size_t>(section)] ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    return {};
}

// ---------------------------------------------------------------- table

BrowseTable::BrowseTable(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAutoScroll(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setCornerButtonEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setStretchLastSection(true);
}

void BrowseTable::keyPressEvent(QKeyEvent* e) {
    auto give = [&](Key k, char32_t ch = 0) {
        if (onKey) onKey(k, ch);
        e->accept();
    };
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        e->ignore();
        return;
    }
    switch (e->key()) {
        case Qt::Key_Up: return give(Key::Up);
        case Qt::Key_Down: return give(Key::Down);
        case Qt::Key_PageUp: return give(Key::PageUp);
        case Qt::Key_PageDown: return give(Key::PageDown);
        case Qt::Key_Home: return give(Key::Home);
        case Qt::Key_End: return give(Key::End);
        case Qt::Key_Return:
        case Qt::Key_Enter: return give(Key::Enter);
        case Qt::Key_Insert: return give(Key::Insert);
        case Qt::Key_Delete: return give(Key::Delete);
        case Qt::Key_Escape: e->ignore(); return;  // the dialog closes
        default: break;
    }
    QString t = e->text();
    if (!t.isEmpty()) {
        char32_t ch = t.toUcs4().value(0);
        if (ch >= 32 && ch != 127) return give(Key::Char, ch);
        if (ch == 8) return give(Key::Char, ch);  // Backspace: the screen decides
    }
    e->ignore();
}

void BrowseTable::mousePressEvent(QMouseEvent* e) {
    // The row follows the browse only: Qt's own selection is never used.
    if (e->button() == Qt::LeftButton) {
        int row = rowAt(static_cast<int>(e->position().y()));
        if (row >= 0 && onClick) onClick(row);
    }
    e->accept();
}

void BrowseTable::mouseReleaseEvent(QMouseEvent* e) { e->accept(); }
void BrowseTable::mouseMoveEvent(QMouseEvent* e) { e->accept(); }

void BrowseTable::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        int row = rowAt(static_cast<int>(e->position().y()));
        if (row >= 0) {
            if (onClick) onClick(row);
            if (onKey) onKey(Key::DoubleClick, 0);
        }
    }
    e->accept();
}

void BrowseTable::wheelEvent(QWheelEvent* e) {
    wheelRest_ += e->angleDelta().y();
    int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    if (notches && onWheel) onWheel(-3 * notches);
    e->accept();
}

void BrowseTable::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);
    if (onViewportResized) onViewportResized();
}

// ---------------------------------------------------------------- view

BrowseView::BrowseView(Browse& browse, bool follow, QWidget* parent)
    : QFrame(parent), browse_(browse), follow_(follow), preferredRows_(browse.height()) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    auto* lay = new QHBoxLayout(this);
    lay->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
    lay->setSpacing(0);
    table_ = new BrowseTable(this);
    table_->setFrameShape(QFrame::NoFrame);
    model_ = new BrowseModel(this);
    table_->setModel(model_);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setMinimumSectionSize(1);
    table_->verticalHeader()->setDefaultSectionSize(rowHeight());
    bar_ = new QScrollBar(Qt::Vertical, this);
    bar_->setRange(0, kBarRange);
    bar_->setPageStep(kBarRange / 5);
    bar_->setSingleStep(1);
    bar_->setFocusPolicy(Qt::NoFocus);
    lay->addWidget(table_, 1);
    lay->addWidget(bar_);
    setFocusProxy(table_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    std::vector<QString> headings;
    std::vector<bool> right;
    for (const Column& c : browse_.columns()) {
        headings.push_back(QString::fromStdString(c.heading));
        right.push_back(c.align == Align::Right);
    }
    model_->setHeadings(std::move(headings), std::move(right));

    auto key = [this](Key k, char32_t ch) {
        if (onKey) onKey(k, ch);
    };
    table_->onKey = key;
    table_->onClick = [this](int line) {
        if (onClick) onClick(line);
    };
    table_->onWheel = [key](int rows) {
        for (int i = 0; i < std::abs(rows); ++i) key(rows < 0 ? Key::Up : Key::Down, 0);
    };
    table_->onViewportResized = [this] {
        if (!follow_ || !isVisible() || capacity() == browse_.height()) return;
        try {
            reload();
        } catch (...) {
            if (!onError) throw;
            onError(std::current_exception());
        }
    };

    // The bar is relative: its steps and pages move the browse, a drag to either end
    // goes to the first or last row; it then shows only whether an end is in view.
    connect(bar_, &QAbstractSlider::actionTriggered, this, [this, key](int action) {
        switch (action) {
            case QAbstractSlider::SliderSingleStepAdd: key(Key::Down, 0); break;
            case QAbstractSlider::SliderSingleStepSub: key(Key::Up, 0); break;
            case QAbstractSlider::SliderPageStepAdd: key(Key::PageDown, 0); break;
            case QAbstractSlider::SliderPageStepSub: key(Key::PageUp, 0); break;
            case QAbstractSlider::SliderToMinimum: key(Key::Home, 0); break;
            case QAbstractSlider::SliderToMaximum: key(Key::End, 0); break;
            default: return;  // drags are handled on release
        }
        bar_->setSliderPosition(atTop_ ? 0 : atBottom_ ? kBarRange : kBarRange / 2);
    });
    connect(bar_, &QAbstractSlider::sliderPressed, this, [this] { pressValue_ = bar_->value(); });
    connect(bar_, &QAbstractSlider::sliderReleased, this, [this, key] {
        int v = bar_->value();
        if (v <= kBarRange / 20) {
            key(Key::Home, 0);
        } else if (v >= kBarRange - kBarRange / 20) {
            key(Key::End, 0);
        } else {
            int pages = static_cast<int>(std::lround((v - pressValue_) / (kBarRange / 5.0)));
            for (int i = 0; i < std::abs(pages); ++i) key(pages < 0 ? Key::PageUp : Key::PageDown, 0);
        }
        bar_->setValue(atTop_ ? 0 : atBottom_ ? kBarRange : kBarRange / 2);
    });
}

int BrowseView::rowHeight() const { return fontMetrics().height() + 8; }

int BrowseView::capacity() const {
    int h = table_->viewport()->height();
    return std::max(1, h / rowHeight());
}

int BrowseView::columnPixels(int chars) const {
    return fontMetrics().horizontalAdvance(QLatin1Char('0')) * std::max(chars, 1) + 16;
}

void BrowseView::fitColumns() {
    const auto& cols = browse_.columns();
    const auto& rows = model_->rows();
    for (std::size_t i = 0; i < cols.size(); ++i) {
        int chars = cols[i].width;
        if (chars <= 0) {
            for (const auto& r : rows)
                if (i < r.size()) chars = std::max(chars, textChars(r[i].text));
            chars = std::max(chars, 2);
        }
        int px = std::max(columnPixels(chars),
                          fontMetrics().horizontalAdvance(QString::fromStdString(cols[i].heading)) + 20);
        table_->setColumnWidth(static_cast<int>(i), px);
        bool right = cols[i].align == Align::Right;
        if (cols[i].align == Align::Auto && !rows.empty() && i < rows[0].size()) right = rows[0][i].right;
        model_->setRightColumn(static_cast<int>(i), right);
    }
    fitted_ = !rows.empty();
}

int BrowseView::naturalTableWidth() const {
    int w = 0;
    for (int i = 0; i < model_->columnCount(); ++i) w += table_->columnWidth(i);
    return w;
}

void BrowseView::reload() {
    if (follow_ && isVisible()) {
        int cap = capacity();
        if (cap != browse_.height()) browse_.setHeight(cap);
    }
    auto rows = browse_.visibleRows();
    int line = browse_.currentLine();
    atTop_ = atBottom_ = true;
    if (!rows.empty()) {
        RowSource& s = browse_.source();
        std::uint64_t here = s.bookmark();
        long back = -(static_cast<long>(line) + 1);
        atTop_ = s.skip(back) > back;
        s.goTo(here);
        if (static_cast<int>(rows.size()) >= browse_.height()) {
            long ahead = browse_.height() - line;
            atBottom_ = s.skip(ahead) < ahead;
            s.goTo(here);
        }
    }
    model_->setRows(std::move(rows));
    if (!fitted_) fitColumns();
    if (!model_->rows().empty()) {
        QModelIndex at = model_->index(std::min(line, model_->rowCount() - 1), 0);
        table_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    if (!bar_->isSliderDown()) bar_->setValue(atTop_ ? 0 : atBottom_ ? kBarRange : kBarRange / 2);
    bar_->setEnabled(!(atTop_ && atBottom_));
}

QSize BrowseView::sizeHint() const {
    int fw = 2 * frameWidth();
    int width = naturalTableWidth() + bar_->sizeHint().width() + fw + 4;
    width = std::clamp(width, 360, 1180);
    int height = table_->horizontalHeader()->sizeHint().height() + preferredRows_ * rowHeight() + fw;
    if (naturalTableWidth() + bar_->sizeHint().width() + fw + 4 > width)
        height += table_->horizontalScrollBar()->sizeHint().height();
    return {width, height};
}

QSize BrowseView::minimumSizeHint() const {
    return {200, table_->horizontalHeader()->sizeHint().height() + 3 * rowHeight() + 2 * frameWidth()};
}

}  // namespace ui::qt
