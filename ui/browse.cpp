#include "ui/browse.h"

#include "ui/text.h"

namespace ui {

void TableSource::goTop() { area_.goTop(); }

bool TableSource::empty() {
    // A browse always shows a row when there is one: from the end of file it goes to the last.
    if (area_.eof()) area_.goBottom();
    return area_.eof();
}
void TableSource::goBottom() { area_.goBottom(); }

long TableSource::skip(long n) {
    long moved = 0;
    if (area_.eof()) {
        if (n >= 0) return 0;
        area_.goBottom();
        if (area_.eof()) return 0;
        ++n;
        --moved;
    }
    while (n > 0) {
        area_.skip(1);
        if (area_.eof()) {
            area_.skip(-1);  // stay on the last row
            break;
        }
        --n;
        ++moved;
    }
    while (n < 0) {
        area_.skip(-1);
        if (area_.bof()) break;
        ++n;
        --moved;
    }
    return moved;
}

void TableSource::goTo(std::uint64_t bookmark) {
    area_.go(static_cast<std::uint32_t>(bookmark));
    if (area_.eof()) return;
    // A record deleted meanwhile (here or at another workstation): the next visible one.
    if (area_.deleted()) {
        area_.skip(1);
        if (area_.eof()) area_.goBottom();
    }
}

long ArraySource::skip(long n) {
    std::size_t count = count_();
    if (count == 0) return 0;
    long target = static_cast<long>(i_) + n;
    if (target < 0) target = 0;
    if (target >= static_cast<long>(count)) target = static_cast<long>(count) - 1;
    long moved = target - static_cast<long>(i_);
    i_ = static_cast<std::size_t>(target);
    return moved;
}

Browse::Browse(std::shared_ptr<RowSource> source, std::vector<Column> columns)
    : source_(std::move(source)), columns_(std::move(columns)) {}

void Browse::setHeight(int rows) {
    height_ = rows < 1 ? 1 : rows;
    if (line_ >= height_) line_ = height_ - 1;
}

std::string Browse::cellText(const Column& c, const store::Value& v) const {
    Picture p = Picture::parse(c.picture);
    int width = c.width;
    int decimals = v.isNum() ? v.num().scale() : 0;
    if (v.isText()) return text::fromTable(p.display(v, width ? width : static_cast<int>(v.text().size()), 0));
    return p.display(v, width ? width : 12, decimals);
}

std::vector<Cell> Browse::currentRow() {
    std::vector<Cell> row;
    for (const Column& c : columns_) {
        store::Value v = c.value ? c.value() : store::Value(std::string());
        bool right = c.align == Align::Right || (c.align == Align::Auto && v.isNum());
        row.push_back({cellText(c, v), right});
    }
    return row;
}

std::vector<std::vector<Cell>> Browse::visibleRows() {
    std::vector<std::vector<Cell>> rows;
    if (source_->empty()) {
        line_ = 0;
        return rows;
    }
    std::uint64_t here = source_->bookmark();
    long back = source_->skip(-line_);
    line_ = static_cast<int>(-back);
    for (int i = 0; i < height_; ++i) {
        rows.push_back(currentRow());
        if (i + 1 < height_ && source_->skip(1) == 0) break;
    }
    source_->goTo(here);
    return rows;
}

void Browse::down() {
    if (source_->skip(1) == 1 && line_ < height_ - 1) ++line_;
}

void Browse::up() {
    if (source_->skip(-1) == -1 && line_ > 0) --line_;
}

void Browse::pageDown() { source_->skip(height_ - 1); }
void Browse::pageUp() { source_->skip(-(height_ - 1)); }

void Browse::home() {
    source_->goTop();
    line_ = 0;
}

void Browse::end() {
    source_->goBottom();
    line_ = height_ - 1;
}

void Browse::toLine(int line) {
    if (line < 0) return;
    long moved = source_->skip(line - line_);
    line_ += static_cast<int>(moved);
}

void Browse::refresh() {
    if (source_->empty()) {
        source_->goTop();
        line_ = 0;
    }
}

}  // namespace ui
