#include "output/report/layout.h"

#include <unordered_map>

#include "ui/text.h"

namespace report {

double lineHeightMm(double fontSize) { return fontSize * 1.25 * 25.4 / 72.0; }

namespace {

// Stands for the page count until the last page is known.
const std::string kPagesMark = "\x01PAGES\x01";

std::string trim(std::string s) {
    auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

struct Bound {
    store::WorkArea* area = nullptr;  // null: "var" without a var table
    store::Field field;
    const store::FieldInfo* info = nullptr;
    int snap = -1;  // index into the snapshot of the last detail record
};

class Runner {
public:
    Runner(const Template& t, store::WorkArea& data, store::WorkArea* var) : t_(t), data_(data), var_(var) {
        line_ = lineHeightMm(t.fontSize);
        printWidth_ = t.pageWidth - 2 * t.margin;
        doc_.name = t.name;
        doc_.pageWidth = t.pageWidth;
        doc_.pageHeight = t.pageHeight;
        doc_.fontFamily = t.fontFamily;
        doc_.fontSize = t.fontSize;
        doc_.lineHeight = line_;
        title_ = t.band(BandKind::Title);
        header_ = t.band(BandKind::PageHeader);
        detail_ = t.band(BandKind::Detail);
        footer_ = t.band(BandKind::PageFooter);
        summary_ = t.band(BandKind::Summary);
        for (std::size_t g = 0; g < t.groups.size(); ++g) {
            groupHeaders_.push_back(t.band(BandKind::GroupHeader, static_cast<int>(g)));
            groupFooters_.push_back(t.band(BandKind::GroupFooter, static_cast<int>(g)));
            try {
                groupExprs_.push_back(data.compile(t.groups[g].expression));
            } catch (const std::exception& e) {
                throw TemplateError(t.file, t.groups[g].sourceLine, std::string("expresión de grupo: ") + e.what());
            }
        }
        for (const auto& b : t.bands) bindBand(b);
        footerHeight_ = footer_ ? footer_->rows() * line_ : 0;
    }

    Document run() {
        if (var_) var_->goTop();
        startPage(true);
        std::vector<std::string> prev(groupExprs_.size()), keys(groupExprs_.size());
        bool first = true;
        data_.forEach([&] {
            for (std::size_t g = 0; g < groupExprs_.size(); ++g) {
                keys[g].clear();
                groupExprs_[g].appendKey(keys[g]);
            }
            std::size_t changed = groupExprs_.size();
            if (first) changed = 0;
            else
                for (std::size_t g = 0; g < keys.size(); ++g)
                    if (keys[g] != prev[g]) { changed = g; break; }
            if (!first)
                for (std::size_t g = groupExprs_.size(); g-- > changed;) closeGroup(g);
            for (std::size_t g = changed; g < groupExprs_.size(); ++g)
                if (groupHeaders_[g]) place(*groupHeaders_[g], false);
            if (detail_) place(*detail_, false);
            accumulate();
            takeSnapshot();
            prev.swap(keys);
            first = false;
        });
        if (!first)
            for (std::size_t g = groupExprs_.size(); g-- > 0;) closeGroup(g);
        if (summary_) place(*summary_, true);
        finishPage();
        std::string count = std::to_string(doc_.pages.size());
        for (auto& page : doc_.pages)
            for (auto& item : page.items)
                for (auto pos = item.text.find(kPagesMark); pos != std::string::npos; pos = item.text.find(kPagesMark, pos))
                    item.text.replace(pos, kPagesMark.size(), count);
        return std::move(doc_);
    }

private:
    void bindSource(const void* key, const Source& s, int line, bool snapshot, bool numeric) {
        Bound b;
        store::WorkArea* area = s.set == DataSet::Data ? &data_ : var_;
        if (area) {
            auto f = area->findField(s.field);
            if (!f)
                throw TemplateError(t_.file, line,
                                    std::string("campo desconocido: ") + (s.set == DataSet::Data ? "data." : "var.") + s.field);
            b.area = area;
            b.field = *f;
            b.info = &area->info(*f);
            if (numeric && b.info->type != store::Type::Num)
                throw TemplateError(t_.file, line, "el campo sumado no es numérico: data." + s.field);
            if (snapshot && s.set == DataSet::Data) {
                b.snap = static_cast<int>(snapFields_.size());
                snapFields_.push_back(*f);
            }
        }
        bound_[key] = b;
    }

    void bindBand(const Band& band) {
        bool snap = band.kind == BandKind::GroupFooter || band.kind == BandKind::PageFooter || band.kind == BandKind::Summary;
        for (const auto& e : band.elements) {
            if (e.kind == Element::Kind::Text) {
                for (const auto& p : e.pieces)
                    if (p.kind == Piece::Kind::Field) bindSource(&p, p.source, e.sourceLine, snap, false);
            } else {
                bindSource(&e, e.source, e.sourceLine, snap && e.kind == Element::Kind::Field, e.kind == Element::Kind::Sum);
                if (e.kind == Element::Kind::Sum) sums_.push_back({&e, &band, store::Decimal(0)});
            }
        }
    }

    store::Value value(const void* key, bool fromSnapshot) const {
        const Bound& b = bound_.at(key);
        if (!b.area) return store::Value(std::string());
        if (fromSnapshot && b.snap >= 0) return snapshot_.empty() ? b.area->get(b.field) : snapshot_[static_cast<std::size_t>(b.snap)];
        return b.area->get(b.field);
    }

    std::string format(const store::Value& v, const store::FieldInfo* info, const std::optional<ui::Picture>& pic,
                       bool sum) const {
        int width = info ? info->length : 0;
        int decimals = info ? info->decimals : 0;
        if (sum) width = 30;
        ui::Picture p = pic ? *pic : ui::Picture();
        return ui::text::fromTable(trim(p.display(v, width, decimals)));
    }

    void accumulate() {
        for (auto& s : sums_) s.total += data_.num(bound_.at(s.element).field);
    }

    void takeSnapshot() {
        snapshot_.resize(snapFields_.size());
        for (std::size_t i = 0; i < snapFields_.size(); ++i) snapshot_[i] = data_.get(snapFields_[i]);
    }

    void reset(const Band* band) {
        for (auto& s : sums_)
            if (s.band == band) s.total = store::Decimal(0);
    }

    void closeGroup(std::size_t g) {
        if (groupFooters_[g]) {
            place(*groupFooters_[g], true);
            reset(groupFooters_[g]);
        }
    }

    std::string elementText(const Element& e, bool snap) const {
        if (e.kind == Element::Kind::Field) {
            const Bound& b = bound_.at(&e);
            return format(value(&e, snap), b.info, e.picture, false);
        }
        if (e.kind == Element::Kind::Sum) {
            for (const auto& s : sums_)
                if (s.element == &e) return format(store::Value(s.total), bound_.at(&e).info, e.picture, true);
            return {};
        }
        std::string out;
        for (const auto& p : e.pieces) {
            switch (p.kind) {
                case Piece::Kind::Literal: out += p.literal; break;
                case Piece::Kind::Page: out += std::to_string(doc_.pages.size()); break;
                case Piece::Kind::Pages: out += kPagesMark; break;
                case Piece::Kind::Field: {
                    const Bound& b = bound_.at(&p);
                    out += format(value(&p, snap), b.info, std::nullopt, false);
                    break;
                }
            }
        }
        return out;
    }

    void emit(const Band& band, double y, bool snap) {
        auto& items = doc_.pages.back().items;
        for (const auto& e : band.elements) {
            Item it;
            it.x = t_.margin + e.x * printWidth_ / 100.0;
            it.width = e.width * printWidth_ / 100.0;
            it.y = y + e.row * line_;
            it.height = line_;
            it.align = e.align;
            it.bold = e.bold;
            it.text = elementText(e, snap);
            if (!it.text.empty()) items.push_back(std::move(it));
        }
    }

    void startPage(bool first) {
        doc_.pages.emplace_back();
        y_ = t_.margin;
        if (first && title_) {
            emit(*title_, y_, false);
            y_ += title_->rows() * line_;
        }
        if (header_) {
            emit(*header_, y_, false);
            y_ += header_->rows() * line_;
        }
        bodyTop_ = y_;
    }

    void finishPage() {
        if (footer_) {
            emit(*footer_, t_.pageHeight - t_.margin - footerHeight_, true);
            reset(footer_);
        }
    }

    void place(const Band& band, bool snap) {
        double h = band.rows() * line_;
        double bottom = t_.pageHeight - t_.margin - footerHeight_;
        if (y_ + h > bottom + 1e-9 && y_ > bodyTop_ + 1e-9) {
            finishPage();
            startPage(false);
        }
        emit(band, y_, snap);
        y_ += h;
    }

    struct Sum {
        const Element* element;
        const Band* band;
        store::Decimal total;
    };

    const Template& t_;
    store::WorkArea& data_;
    store::WorkArea* var_;
    Document doc_;
    double line_ = 0, printWidth_ = 0, footerHeight_ = 0, y_ = 0, bodyTop_ = 0;
    const Band *title_ = nullptr, *header_ = nullptr, *detail_ = nullptr, *footer_ = nullptr, *summary_ = nullptr;
    std::vector<const Band*> groupHeaders_, groupFooters_;
    std::vector<store::Expr> groupExprs_;
    std::unordered_map<const void*, Bound> bound_;
    std::vector<store::Field> snapFields_;
    std::vector<store::Value> snapshot_;
    std::vector<Sum> sums_;
};

}  // namespace

Document layout(const Template& tpl, store::WorkArea& data, store::WorkArea* var) {
    return Runner(tpl, data, var).run();
}

}  // namespace report
