#include "ui/qt/dialog_window.h"

#include <algorithm>
#include <set>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/qt/browse_view.h"
#include "ui/qt/icons.h"
#include "ui/picture.h"

namespace ui::qt {
namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

bool isField(ControlKind k) {
    return k == ControlKind::Edit || k == ControlKind::Display || k == ControlKind::Spinner || k == ControlKind::Combo;
}

// Fields are as wide as the text they hold, not as wide as the window.
class FieldEdit : public QLineEdit {
public:
    FieldEdit(int chars, bool capitals, QWidget* parent) : QLineEdit(parent), chars_(chars), capitals_(capitals) {}
    QSize sizeHint() const override {
        QSize s = QLineEdit::sizeHint();
        QFontMetrics fm = fontMetrics();
        int ch = std::max(fm.horizontalAdvance(QLatin1Char(capitals_ ? 'N' : '0')), fm.averageCharWidth());
        s.setWidth(ch * chars_ + 18);
        return s;
    }
    QSize minimumSizeHint() const override {
        QSize s = sizeHint();
        s.setWidth(std::min(s.width(), 120));
        return s;
    }

private:
    int chars_;
    bool capitals_;
};

// What a field shows: table text without its padding on the right, numbers and
// dates without the blanks that align them in a fixed width.
QString fieldText(const Control& c, const std::string& text) {
    QString t = qs(text);
    switch (c.value.type) {
        case store::Type::Char: {
            int n = static_cast<int>(t.size());
            while (n > 0 && t[n - 1] == QLatin1Char(' ')) --n;
            return t.left(n);
        }
        case store::Type::Date: {
            bool digits = std::any_of(t.begin(), t.end(), [](QChar ch) { return ch.isDigit(); });
            return digits ? t.trimmed() : QString();
        }
        default: return t.trimmed();
    }
}

bool numeric(const Control& c) { return c.value.bound() && c.value.type == store::Type::Num; }

int fieldChars(const Control& c) {
    Picture p = Picture::parse(c.picture);
    int w = c.value.bound() ? p.displayWidth(c.value.type, std::max(c.value.width, 1), c.value.decimals)
                            : static_cast<int>(qs(c.label).size());
    if (c.value.type == store::Type::Date) w = 10;
    return std::clamp(w + 1, 4, 60);
}

void setShown(QWidget* w, bool visible) {
    if (!w) return;
    bool hidden = w->testAttribute(Qt::WA_WState_ExplicitShowHide) && w->testAttribute(Qt::WA_WState_Hidden);
    if (hidden == visible) w->setVisible(visible);
}

struct RowContent {
    std::vector<const Control*> items;    // grid cells, in declaration order
    std::vector<const Control*> browses;  // full-width tables
    std::vector<std::string> groups;      // frames that start on this row
};

}  // namespace

DialogWindow::DialogWindow(ui::Dialog& d, bool live, QWidget* parent) : QDialog(parent), d_(d), live_(live) {
    setWindowIcon(programIcon());
    setModal(live);
    build();
    sync(true);
}

DialogWindow::~DialogWindow() = default;

// ---------------------------------------------------------------- building

QGroupBox* DialogWindow::makeRadioBox(const Control& c, Shown& s, const QString& title, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* group = new QButtonGroup(box);
    group->setExclusive(true);
    int n = static_cast<int>(c.options.size());
    int perColumn = n > 6 ? (n + 1) / 2 : n;
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(18);
    for (int i = 0; i < n; ++i) {
        const RadioOption& o = c.options[static_cast<std::size_t>(i)];
        auto* b = new QRadioButton(qs(o.caption), box);
        b->setFocusPolicy(Qt::TabFocus);
        group->addButton(b, i);
        grid->addWidget(b, i % perColumn, i / perColumn);
        s.options.push_back(b);
        optionOwner_[o.id] = c.id;
        int optionId = o.id;
        connect(b, &QRadioButton::clicked, this, [this, optionId] {
            bool ok = true;
            act([&] { ok = d_.press(optionId); });
            if (!ok) refused();
        });
        registerFocus(b, c.id);
    }
    grid->setColumnStretch(grid->columnCount(), 1);
    s.buttons = group;
    s.widget = box;
    return box;
}

QWidget* DialogWindow::makeWidget(const Control& c, Shown& s, QWidget* parent) {
    const int id = c.id;
    s.control = &c;
    switch (c.kind) {
        case ControlKind::Label: {
            auto* l = new QLabel(qs(c.label), parent);
            l->setTextFormat(Qt::PlainText);
            s.widget = l;
            break;
        }
        case ControlKind::Frame: {
            auto* box = new QGroupBox(qs(c.label), parent);
            box->setMinimumHeight(48);
            s.widget = box;
            break;
        }
        case ControlKind::Edit:
        case ControlKind::Display: {
            Picture pic = Picture::parse(c.picture);
            bool capitals = pic.upper() || pic.mask().find('!') != std::string::npos;
            auto* e = new FieldEdit(fieldChars(c), capitals, parent);
            if (c.value.bound()) {
                int len = pic.displayWidth(c.value.type, std::max(c.value.width, 1), c.value.decimals);
                if (c.value.type == store::Type::Char) e->setMaxLength(std::max(len, 1));
                else e->setMaxLength(std::max(len, 10) + 2);  // signs and separators typed freely
            }
            if (numeric(c)) e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c.value.type == store::Type::Date) e->setPlaceholderText(QStringLiteral("dd/mm/aaaa"));
            if (c.kind == ControlKind::Display || c.readOnly) {
                e->setReadOnly(true);
                e->setFocusPolicy(Qt::NoFocus);
                QPalette p = e->palette();
                p.setColor(QPalette::Base, p.color(QPalette::Window).lighter(103));
                e->setPalette(p);
            } else {
                connect(e, &QLineEdit::textEdited, this, [this, id](const QString& t) {
                    act([&] { d_.type(id, t.toStdString()); });
                    if (d_.focused() != id) refused();
                });
                registerFocus(e, id);
            }
            s.widget = e;
            break;
        }
        case ControlKind::Spinner: {
            auto* sp = new QSpinBox(parent);
            sp->setRange(c.min, c.max);
            sp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            sp->setMinimumWidth(sp->fontMetrics().horizontalAdvance(QLatin1Char('0')) * std::max(fieldChars(c), 4) + 40);
            connect(sp, &QSpinBox::valueChanged, this, [this, id](int v) {
                if (syncing_) return;
                act([&] { d_.type(id, std::to_string(v)); });
                if (d_.focused() != id) refused();
            });
            registerFocus(sp, id);
            s.widget = sp;
            break;
        }
        case ControlKind::Combo: {
            auto* cb = new QComboBox(parent);
            for (const std::string& item : c.items) cb->addItem(qs(item));
            cb->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            cb->setFocusPolicy(Qt::TabFocus);
            connect(cb, &QComboBox::activated, this, [this, id](int index) {
                bool ok = true;
                act([&] { ok = d_.choose(id, index); });
                if (!ok) refused();
            });
            registerFocus(cb, id);
            s.widget = cb;
            break;
        }
        case ControlKind::Radio: makeRadioBox(c, s, qs(c.label), parent); break;
        case ControlKind::Check: {
            auto* cb = new QCheckBox(qs(c.label), parent);
            cb->setFocusPolicy(Qt::TabFocus);
            connect(cb, &QCheckBox::clicked, this, [this, id] {
                bool ok = true;
                act([&] { ok = d_.press(id); });
                if (!ok) refused();
            });
            registerFocus(cb, id);
            s.widget = cb;
            break;
        }
        case ControlKind::Button: {
            auto* b = new QPushButton(qs(c.label), parent);
            b->setAutoDefault(false);
            b->setDefault(false);
            b->setFocusPolicy(Qt::TabFocus);
            if (!c.icon.empty()) {
                b->setIcon(icon(c.icon));
                b->setIconSize(QSize(20, 20));
            }
            if (c.label.empty() && !c.icon.empty()) b->setFixedSize(34, 30);
            else b->setMinimumWidth(std::max(88, b->sizeHint().width()));
            connect(b, &QPushButton::clicked, this, [this, id] {
                bool ok = true;
                act([&] { ok = d_.press(id); });
                if (!ok) refused();
            });
            registerFocus(b, id);
            s.widget = b;
            break;
        }
        case ControlKind::Browse: {
            auto* v = new BrowseView(*c.browse, live_, parent);
            v->onKey = [this, id](Key k, char32_t ch) {
                bool ok = true;
                act([&] { ok = d_.key(id, k, ch); });
                if (!ok) refused();
            };
            v->onClick = [this, id, v](int line) {
                bool ok = true;
                act([&] { ok = d_.clickRow(id, line); });
                if (!ok) refused();
                if (!error_) v->reload();
            };
            v->onError = [this](std::exception_ptr e) {
                if (!error_) error_ = e;
                finish();
            };
            registerFocus(v->table(), id);
            s.widget = v;
            s.focus = v->table();
            break;
        }
    }
    if (!s.focus && s.widget && focusIds_.contains(s.widget)) s.focus = s.widget;
    return s.widget;
}

void DialogWindow::registerFocus(QWidget* w, int id) {
    focusIds_.insert(w, id);
    w->installEventFilter(this);
    tabChain_.push_back(w);
}

void DialogWindow::placeRow(QGridLayout* grid, int gridRow, const std::vector<const Control*>& items, QWidget* parent) {
    int col = 0;
    const bool alone = items.size() == 1;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const Control* c = items[k];
        Shown& s = shown_[c->id];
        QWidget* w = makeWidget(*c, s, parent);
        int span = std::max(1, c->place.span);
        // The last control of a row takes the rest of it, so that a wide field does not
        // push the second pair of the other rows to the right.
        const bool last = k + 1 == items.size();
        const int cells = last ? -1 : 2 * span;
        if (isField(c->kind)) {
            s.prompt = new QLabel(qs(c->label), parent);
            s.prompt->setBuddy(s.focus ? s.focus : w);
            if (col > 0) s.prompt->setContentsMargins(14, 0, 0, 0);
            grid->addWidget(s.prompt, gridRow, col, Qt::AlignLeft | Qt::AlignVCenter);
            grid->addWidget(w, gridRow, col + 1, 1, last ? -1 : 2 * span - 1, Qt::AlignLeft | Qt::AlignVCenter);
        } else if (c->kind == ControlKind::Label || c->kind == ControlKind::Frame) {
            if (alone) grid->addWidget(w, gridRow, 0, 1, -1);
            else grid->addWidget(w, gridRow, col, 1, cells, Qt::AlignLeft | Qt::AlignVCenter);
        } else if (c->kind == ControlKind::Radio) {
            grid->addWidget(w, gridRow, col, 1, cells, Qt::AlignLeft);
        } else {
            if (col > 0 && c->kind == ControlKind::Button) w->setContentsMargins(8, 0, 0, 0);
            grid->addWidget(w, gridRow, col, 1, cells, Qt::AlignLeft | Qt::AlignVCenter);
        }
        col += 2 * span;
    }
}

void DialogWindow::build() {
    setWindowTitle(qs(d_.caption()));
    const auto& controls = d_.controls();

    // the row of each control
    std::vector<int> row(controls.size());
    int previous = -1;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        row[i] = c.place.row >= 0 ? c.place.row : previous + 1;
        previous = row[i];
    }
    std::set<int> fieldRows;  // explicit rows that hold something other than buttons
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i].kind != ControlKind::Button && controls[i].place.group.empty()) fieldRows.insert(row[i]);

    // groups and the Frame controls that caption them
    std::vector<std::string> groupOrder;
    std::map<std::string, std::vector<std::size_t>> members;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        if (c.kind == ControlKind::Frame || c.place.group.empty()) continue;
        if (!members.count(c.place.group)) groupOrder.push_back(c.place.group);
        members[c.place.group].push_back(i);
    }
    std::map<std::string, const Control*> frameOf;
    std::set<int> captioning;
    for (const Control& c : controls) {
        if (c.kind != ControlKind::Frame) continue;
        for (const std::string& key : {c.label, std::to_string(c.id)})
            if (members.count(key) && !frameOf.count(key)) {
                frameOf[key] = &c;
                captioning.insert(c.id);
                break;
            }
    }

    std::map<int, RowContent> rows;
    std::vector<const Control*> bottom;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        if (c.kind == ControlKind::Frame && captioning.count(c.id)) continue;
        if (!c.place.group.empty() && c.kind != ControlKind::Frame) continue;
        if (c.kind == ControlKind::Button && !(c.place.row >= 0 && fieldRows.count(row[i]))) {
            bottom.push_back(&c);
            continue;
        }
        if (c.kind == ControlKind::Browse) rows[row[i]].browses.push_back(&c);
        else rows[row[i]].items.push_back(&c);
    }
    for (const std::string& g : groupOrder) {
        int first = row[members[g].front()];
        for (std::size_t i : members[g]) first = std::min(first, row[i]);
        rows[first].groups.push_back(g);
    }

    auto* content = new QWidget(this);
    auto* body = new QVBoxLayout(content);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(12);

    std::vector<QGridLayout*> grids;
    auto newGrid = [&grids] {
        auto* g = new QGridLayout;
        g->setHorizontalSpacing(8);
        g->setVerticalSpacing(8);
        grids.push_back(g);
        return g;
    };
    bool stretchy = false;  // a browse takes the spare height

    // The rows of one area (the window, or the inside of a frame).
    auto layRows = [&](QVBoxLayout* into, std::map<int, RowContent>& area, QWidget* parent, auto& self) -> void {
        QGridLayout* grid = nullptr;
        int gridRow = 0;
        for (auto& [r, rc] : area) {
            if (!rc.items.empty()) {
                if (!grid) {
                    grid = newGrid();
                    into->addLayout(grid);
                    gridRow = 0;
                }
                placeRow(grid, gridRow++, rc.items, parent);
            }
            if (!rc.groups.empty()) {
                grid = nullptr;
                auto* strip = new QHBoxLayout;
                strip->setSpacing(12);
                for (const std::string& g : rc.groups) {
                    const std::vector<std::size_t>& m = members[g];
                    const Control* frame = frameOf.count(g) ? frameOf[g] : nullptr;
                    QString title = frame ? qs(frame->label) : qs(g);
                    QGroupBox* box = nullptr;
                    const Control& only = controls[m.front()];
                    if (m.size() == 1 && only.kind == ControlKind::Radio) {
                        // a radio group that is its frame's only member is drawn as that frame
                        Shown& s = shown_[only.id];
                        s.control = &only;
                        box = makeRadioBox(only, s, title, parent);
                        s.ownTitle = false;
                    } else {
                        box = new QGroupBox(title, parent);
                        auto* inside = new QVBoxLayout(box);
                        inside->setSpacing(10);
                        std::map<int, RowContent> sub;
                        for (std::size_t i : m) {
                            const Control& c = controls[i];
                            if (c.kind == ControlKind::Browse) sub[row[i]].browses.push_back(&c);
                            else sub[row[i]].items.push_back(&c);
                        }
                        self(inside, sub, box, self);
                    }
                    if (frame) {  // setLabel and show reach the frame through its control
                        Shown& fs = shown_[frame->id];
                        fs.control = frame;
                        fs.widget = box;
                    }
                    strip->addWidget(box, 1);
                }
                into->addLayout(strip);
            }
            for (const Control* b : rc.browses) {
                grid = nullptr;
                Shown& s = shown_[b->id];
                into->addWidget(makeWidget(*b, s, parent), 1);
                stretchy = true;
            }
        }
    };
    layRows(body, rows, content, layRows);
    for (QGridLayout* g : grids) g->setColumnStretch(g->columnCount(), 1);

    if (rows.empty()) {
        // only buttons: the caption says what they are about
        heading_ = new QLabel(qs(d_.caption()), content);
        heading_->setWordWrap(true);
        heading_->setAlignment(Qt::AlignCenter);
        QFont f = heading_->font();
        f.setPointSizeF(f.pointSizeF() * 1.15);
        f.setBold(true);
        heading_->setFont(f);
        heading_->setContentsMargins(12, 14, 12, 14);
        heading_->setMinimumWidth(std::min(QFontMetrics(f).horizontalAdvance(heading_->text()) + 30, 560));
        body->addWidget(heading_);
    }
    if (!stretchy) body->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 14, 16, 12);
    outer->setSpacing(12);
    QSize natural = content->sizeHint();
    QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                     : QRect(0, 0, 1366, 768);
    if (live_ && natural.height() > screen.height() * 85 / 100) {
        // taller than the screen: the fields scroll, the buttons stay in view
        auto* scroll = new QScrollArea(this);
        scroll->setWidget(content);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setMinimumWidth(std::min(natural.width() + 24, screen.width() - 60));
        scroll->setMinimumHeight(screen.height() * 70 / 100);
        outer->addWidget(scroll, 1);
    } else {
        outer->addWidget(content, 1);
    }

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    status_->setTextFormat(Qt::PlainText);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status_->setMinimumWidth(120);
    QPalette sp = status_->palette();
    sp.setColor(QPalette::WindowText, QColor(0xb3, 0x26, 0x1e));
    status_->setPalette(sp);
    buttons->addWidget(status_, 1);
    for (const Control* b : bottom) {
        Shown& s = shown_[b->id];
        buttons->addWidget(makeWidget(*b, s, this));
    }
    outer->addLayout(buttons);
    setMinimumWidth(340);

    // Tab follows the declarations.
    std::vector<std::pair<std::size_t, QWidget*>> order;
    auto indexOf = [&controls](int id) {
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i].id == id) return i;
        return controls.size();
    };
    for (std::size_t k = 0; k < tabChain_.size(); ++k)
        order.push_back({indexOf(focusIds_.value(tabChain_[k])) * 1000 + k, tabChain_[k]});
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t k = 1; k < order.size(); ++k) QWidget::setTabOrder(order[k - 1].second, order[k].second);
}

// ---------------------------------------------------------------- state

DialogWindow::Shown* DialogWindow::shown(int id) {
    auto it = shown_.find(id);
    return it == shown_.end() ? nullptr : &it->second;
}

const DialogWindow::Shown* DialogWindow::shown(int id) const {
    auto it = shown_.find(id);
    return it == shown_.end() ? nullptr : &it->second;
}

QWidget* DialogWindow::widgetOf(int id) const {
    if (const Shown* s = shown(id)) return s->widget;
    auto o = optionOwner_.find(id);
    if (o == optionOwner_.end()) return nullptr;
    const Shown* g = shown(o->second);
    if (!g) return nullptr;
    const auto& opts = g->control->options;
    for (std::size_t i = 0; i < opts.size() && i < g->options.size(); ++i)
        if (opts[i].id == id) return g->options[i];
    return nullptr;
}

QLabel* DialogWindow::promptOf(int id) const {
    const Shown* s = shown(id);
    return s ? s->prompt : nullptr;
}

BrowseView* DialogWindow::browseOf(int id) const {
    const Shown* s = shown(id);
    return s ? dynamic_cast<BrowseView*>(s->widget) : nullptr;
}

int DialogWindow::controlOf(QObject* widget) const { return focusIds_.value(widget, 0); }

void DialogWindow::syncControl(Shown& s) {
    const Control& c = *s.control;
    const int id = c.id;
    const bool enabled = d_.enabled(id);
    const bool visible = d_.visible(id);
    if (s.widget) {
        setShown(s.widget, visible);
        s.widget->setEnabled(enabled);
    }
    if (s.prompt) {
        s.prompt->setText(qs(c.label));
        setShown(s.prompt, visible && !c.label.empty());
        s.prompt->setEnabled(enabled);
    }
    switch (c.kind) {
        case ControlKind::Label: static_cast<QLabel*>(s.widget)->setText(qs(d_.text(id))); break;
        case ControlKind::Frame: static_cast<QGroupBox*>(s.widget)->setTitle(qs(d_.text(id))); break;
        case ControlKind::Edit:
        case ControlKind::Display: {
            auto* e = static_cast<QLineEdit*>(s.widget);
            QString want = fieldText(c, d_.text(id));
            if (e->text() != want) {
                int pos = e->cursorPosition();
                bool typing = e->hasFocus();
                e->setText(want);
                if (typing) e->setCursorPosition(std::min(pos, static_cast<int>(want.size())));
                else e->setCursorPosition(0);
            }
            break;
        }
        case ControlKind::Spinner: {
            auto* sp = static_cast<QSpinBox*>(s.widget);
            bool ok = false;
            int v = qs(d_.text(id)).trimmed().toInt(&ok);
            if (ok && v != sp->value()) {
                QSignalBlocker block(sp);
                sp->setValue(v);
            }
            break;
        }
        case ControlKind::Combo: {
            auto* cb = static_cast<QComboBox*>(s.widget);
            int i = d_.selected(id);
            if (cb->currentIndex() != i) {
                QSignalBlocker block(cb);
                cb->setCurrentIndex(i);
            }
            break;
        }
        case ControlKind::Radio: {
            auto* box = static_cast<QGroupBox*>(s.widget);
            if (s.ownTitle) box->setTitle(qs(c.label));
            int sel = d_.selected(id);
            bool any = false;
            for (std::size_t i = 0; i < s.options.size(); ++i) any = any || static_cast<int>(i) == sel;
            if (!any) s.buttons->setExclusive(false);
            for (std::size_t i = 0; i < s.options.size(); ++i) {
                auto* b = static_cast<QRadioButton*>(s.options[i]);
                QSignalBlocker block(b);
                b->setChecked(static_cast<int>(i) == sel);
            }
            if (!any) s.buttons->setExclusive(true);
            break;
        }
        case ControlKind::Check: {
            auto* cb = static_cast<QCheckBox*>(s.widget);
            cb->setText(qs(c.label));
            QSignalBlocker block(cb);
            cb->setChecked(d_.checked(id));
            break;
        }
        case ControlKind::Button: static_cast<QPushButton*>(s.widget)->setText(qs(c.label)); break;
        case ControlKind::Browse: static_cast<BrowseView*>(s.widget)->reload(); break;
    }
}

void DialogWindow::sync(bool force) {
    if (synced_ && !force && d_.revision() == seen_) return;
    seen_ = d_.revision();
    synced_ = true;
    syncing_ = true;
    setWindowTitle(qs(d_.caption()));
    if (heading_) heading_->setText(qs(d_.caption()));
    for (auto& [id, s] : shown_)
        if (s.control) syncControl(s);
    status_->setText(qs(d_.lastRefusal()));
    syncing_ = false;
    if (!live_) return;
    if (d_.ended()) {
        finish();
        return;
    }
    if (depth_ == 0) syncFocus();
}

void DialogWindow::syncFocus() {
    if (!live_ || finishing_) return;
    Shown* s = shown(d_.focused());
    if (!s) return;
    QWidget* w = s->focus;
    if (!s->options.empty()) {
        w = s->options.front();
        for (QWidget* o : s->options)
            if (static_cast<QRadioButton*>(o)->isChecked()) w = o;
    }
    if (!w || !w->isEnabled() || focusWidget() == w) return;
    syncing_ = true;
    w->setFocus(Qt::OtherFocusReason);
    syncing_ = false;
}

template <class F>
void DialogWindow::act(F&& f) {
    if (error_ || finishing_ || !live_) return;
    ++depth_;
    try {
        f();
        if (depth_ == 1) {
            --depth_;
            sync();  // reading the rows of a browse may fail too
            ++depth_;
        }
    } catch (...) {
        error_ = std::current_exception();
    }
    --depth_;
    if (error_) finish();
}

void DialogWindow::refused() {
    if (!d_.lastRefusal().empty()) QApplication::beep();
    sync(true);
    // Qt has already moved its focus; give it back once this event is over.
    QTimer::singleShot(0, this, [this] { syncFocus(); });
}

bool DialogWindow::focusArrived(int id) {
    if (id == d_.focused()) return true;
    bool ok = true;
    act([&] { ok = d_.moveFocus(id); });
    if (!ok) refused();
    return ok;
}

void DialogWindow::moveOn(bool forward) {
    bool ok = true;
    act([&] { ok = d_.advance(forward); });
    if (!ok) refused();
}

void DialogWindow::finish() {
    if (finishing_) return;
    finishing_ = true;
    if (isVisible()) done(d_.result());
}

void DialogWindow::fitToScreen() {
    QSize want = sizeHint().expandedTo(minimumSizeHint());
    if (QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QSize room = sc->availableGeometry().size() - QSize(40, 60);
        if (live_) want = want.boundedTo(room).expandedTo(minimumSizeHint());
    }
    resize(want);
}

int DialogWindow::runModal() {
    sync(true);
    fitToScreen();
    if (!d_.ended() && !error_) exec();
    if (error_) std::rethrow_exception(error_);
    return d_.result();
}

// ---------------------------------------------------------------- events

void DialogWindow::reject() {
    if (!live_ || finishing_) {
        QDialog::reject();
        return;
    }
    act([&] { d_.close(); });  // canClose may keep it open
}

void DialogWindow::closeEvent(QCloseEvent* e) {
    if (!live_ || finishing_) {
        e->accept();
        return;
    }
    e->ignore();
    act([&] { d_.close(); });
}

void DialogWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    try {
        for (auto& [id, s] : shown_)
            if (auto* v = dynamic_cast<BrowseView*>(s.widget)) v->reload();
    } catch (...) {
        if (!live_) throw;
        if (!error_) error_ = std::current_exception();
        QTimer::singleShot(0, this, [this] { finish(); });  // exec has not started yet
        return;
    }
    if (live_) syncFocus();
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* e) {
    if (!live_) return false;
    if (e->type() == QEvent::FocusIn) {
        auto* fe = static_cast<QFocusEvent*>(e);
        if (fe->reason() == Qt::ActiveWindowFocusReason || fe->reason() == Qt::PopupFocusReason) return false;
        if (depth_ || syncing_ || finishing_) return false;
        // A refused move has already put the focus back: the widget must not act on it.
        if (int id = controlOf(watched)) return !focusArrived(id);
        return false;
    }
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if ((ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) &&
            !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            moveOn(ke->key() == Qt::Key_Tab && !(ke->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (ke->key() != Qt::Key_Return && ke->key() != Qt::Key_Enter) return false;
        int id = controlOf(watched);
        int owner = optionOwner_.count(id) ? optionOwner_[id] : id;
        const Control* c = d_.find(owner);
        if (!c) return false;
        switch (c->kind) {
            case ControlKind::Button:
                static_cast<QPushButton*>(watched)->click();
                return true;
            case ControlKind::Edit:
            case ControlKind::Spinner:
            case ControlKind::Combo:
            case ControlKind::Check:
            case ControlKind::Radio:
                moveOn(true);  // Enter moves on, as Tab does
                return true;
            default: return false;
        }
    }
    return false;
}

}  // namespace ui::qt
