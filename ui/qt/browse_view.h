// The browse widget: a table that shows Browse::visibleRows() for as many rows as
// fit its height, with a scroll bar that only says whether the first or the last
// row is in view (the rows are never counted). Keys, clicks and the wheel are
// handed to the owner, which passes them to the dialog.
#pragma once

#include <exception>
#include <functional>
#include <vector>

#include <QAbstractTableModel>
#include <QFrame>
#include <QTableView>

#include "ui/browse.h"

class QScrollBar;

namespace ui::qt {

class BrowseModel : public QAbstractTableModel {
public:
    explicit BrowseModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setHeadings(std::vector<QString> headings, std::vector<bool> right);
    void setRows(std::vector<std::vector<Cell>> rows);
    void setRightColumn(int column, bool right);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const std::vector<std::vector<Cell>>& rows() const { return rows_; }

private:
    std::vector<QString> headings_;
    std::vector<bool> right_;
    std::vector<std::vector<Cell>> rows_;
};

class BrowseTable : public QTableView {
public:
    explicit BrowseTable(QWidget* parent = nullptr);
    std::function<void(Key, char32_t)> onKey;
    std::function<void(int line)> onClick;
    std::function<void(int delta)> onWheel;  // rows, negative upwards
    std::function<void()> onViewportResized;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;  // of the viewport

private:
    int wheelRest_ = 0;
};

class BrowseView : public QFrame {
public:
    // `follow`: the browse takes as many rows as the widget's height holds (a live
    // window); otherwise it keeps its own height (a snapshot shows what the script sees).
    BrowseView(Browse& browse, bool follow, QWidget* parent = nullptr);

    // Shows the browse's rows again (after a key, a click or a change of the table).
    void reload();
    BrowseTable* table() const { return table_; }
    QScrollBar* scrollBar() const { return bar_; }
    BrowseModel* model() const { return model_; }
    Browse& browse() const { return browse_; }
    // Rows that fit the table's current height.
    int capacity() const;
    int rowHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Set by the owner: keys and clicks go through the dialog; a failure to read the
    // rows when the widget changes size is handed over too (rethrown without it).
    std::function<void(Key, char32_t)> onKey;
    std::function<void(int line)> onClick;
    std::function<void(std::exception_ptr)> onError;

private:
    void fitColumns();
    int columnPixels(int chars) const;
    int naturalTableWidth() const;

    Browse& browse_;
    bool follow_;
    int preferredRows_;  // the rows the window opens with
    BrowseTable* table_;
    BrowseModel* model_;
    QScrollBar* bar_;
    bool fitted_ = false;
    bool atTop_ = true, atBottom_ = true;
    int pressValue_ = 0;
};

}  // namespace ui::qt
