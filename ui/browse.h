// Browses: a window of rows over a table's current order (with its scopes,
// filter and relations) or over an array. The current row is the table's
// current record, so the screens act on "the highlighted record" through the
// table itself. A browse moves by skipping, never by loading the table.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/store.h"
#include "ui/picture.h"

namespace ui {

enum class Key { Enter, Insert, Delete, End, Escape, Up, Down, PageUp, PageDown, Home, DoubleClick, Char };

enum class Align { Auto, Left, Right };

struct Column {
    std::string heading;                  // screen text
    std::function<store::Value()> value;  // of the current row
    std::string picture{};
    Align align = Align::Auto;  // Auto: numbers right, the rest left
    int width = 0;              // characters; 0: from the value's display width
};

class RowSource {
public:
    virtual ~RowSource() = default;
    virtual void goTop() = 0;
    virtual void goBottom() = 0;
    // Moves up to |n| rows, never past the first or last row; returns the rows moved (signed).
    virtual long skip(long n) = 0;
    virtual bool empty() = 0;  // no row at all under the current position
    virtual std::uint64_t bookmark() const = 0;
    virtual void goTo(std::uint64_t bookmark) = 0;
};

// Rows of an open table in its controlling order.
class TableSource : public RowSource {
public:
    explicit TableSource(store::WorkArea& area) : area_(area) {}
    void goTop() override;
    void goBottom() override;
    long skip(long n) override;
    bool empty() override;
    std::uint64_t bookmark() const override { return area_.recno(); }
    void goTo(std::uint64_t bookmark) override;
    store::WorkArea& area() { return area_; }

private:
    store::WorkArea& area_;
};

// Rows of an array; columns read the current index through ArraySource::index().
class ArraySource : public RowSource {
public:
    explicit ArraySource(std::function<std::size_t()> count) : count_(std::move(count)) {}
    void goTop() override { i_ = 0; }
    void goBottom() override { i_ = count_() ? count_() - 1 : 0; }
    long skip(long n) override;
    bool empty() override { return count_() == 0; }
    std::uint64_t bookmark() const override { return i_; }
    void goTo(std::uint64_t b) override { i_ = static_cast<std::size_t>(b); }
    std::size_t index() const { return i_; }

private:
    std::function<std::size_t()> count_;
    std::size_t i_ = 0;
};

struct Cell {
    std::string text;  // display text, UTF-8
    bool right = false;
};

class Browse {
public:
    Browse(std::shared_ptr<RowSource> source, std::vector<Column> columns);

    const std::vector<Column>& columns() const { return columns_; }
    RowSource& source() { return *source_; }
    void setHeight(int rows);
    int height() const { return height_; }

    // The rows in view, starting at the top line; the current row is row currentLine().
    std::vector<std::vector<Cell>> visibleRows();
    int currentLine() const { return line_; }
    bool empty() { return source_->empty(); }
    // Display texts of the current row.
    std::vector<Cell> currentRow();

    void down();
    void up();
    void pageDown();
    void pageUp();
    void home();
    void end();
    void toLine(int line);  // a click on a visible row
    // Shows the source's position again after the table changed (keeps the line when it can).
    void refresh();

    // Keys given to the screen (Enter, Insert, Delete, End, double click, typed characters);
    // the handler returns true when it used the key.
    std::function<bool(Key, char32_t)> onKey;
    bool key(Key k, char32_t ch = 0) { return onKey ? onKey(k, ch) : false; }

    std::string cellText(const Column& c, const store::Value& v) const;

private:
    std::shared_ptr<RowSource> source_;
    std::vector<Column> columns_;
    int height_ = 10;
    int line_ = 0;
};

}  // namespace ui
