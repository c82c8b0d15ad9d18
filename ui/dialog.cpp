#include "ui/dialog.h"

#include <algorithm>
#include <stdexcept>

#include "ui/keys.h"
#include "ui/text.h"

namespace ui {
namespace {

std::string trimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

bool sameCode(const store::Value& a, const store::Value& b) {
    if (a.type() != b.type()) return false;
    if (a.isText()) return trimRight(a.text()) == trimRight(b.text());
    return a == b;
}

}  // namespace

// ---------------------------------------------------------------- declaration

Control& Dialog::add(Control c) {
    if (find(c.id)) throw std::logic_error("control " + std::to_string(c.id) + " declared twice in " + name_);
    controls_.push_back(std::move(c));
    states_.push_back({controls_.back().id, State{}});
    return controls_.back();
}

Control& Dialog::make(int id, ControlKind kind, std::string label, Binding value) {
    Control c;
    c.id = id;
    c.kind = kind;
    c.label = std::move(label);
    c.value = std::move(value);
    return add(std::move(c));
}

Control& Dialog::label(int id, std::string text) { return make(id, ControlKind::Label, std::move(text)); }

Control& Dialog::frame(int id, std::string text) { return make(id, ControlKind::Frame, std::move(text)); }

Control& Dialog::edit(int id, std::string label, Binding value, std::string picture) {
    Control& c = make(id, ControlKind::Edit, std::move(label), std::move(value));
    c.picture = std::move(picture);
    return c;
}

Control& Dialog::display(int id, std::string label, Binding value, std::string picture) {
    Control& c = edit(id, std::move(label), std::move(value), std::move(picture));
    c.kind = ControlKind::Display;
    c.readOnly = true;
    return c;
}

Control& Dialog::spinner(int id, std::string label, Binding value, int min, int max, std::string picture) {
    Control& c = edit(id, std::move(label), std::move(value), std::move(picture));
    c.kind = ControlKind::Spinner;
    c.min = min;
    c.max = max;
    return c;
}

Control& Dialog::combo(int id, std::string label, std::vector<std::string> items, Binding value, bool byText) {
    Control& c = make(id, ControlKind::Combo, std::move(label), std::move(value));
    c.items = std::move(items);
    c.comboByText = byText;
    return c;
}

Control& Dialog::radio(int id, std::string label, std::vector<RadioOption> options, Binding value) {
    Control& c = make(id, ControlKind::Radio, std::move(label), std::move(value));
    c.options = std::move(options);
    return c;
}

Control& Dialog::check(int id, std::string label, Binding value) {
    return make(id, ControlKind::Check, std::move(label), std::move(value));
}

Control& Dialog::button(int id, std::string caption, std::function<void()> action) {
    Control& c = make(id, ControlKind::Button, std::move(caption));
    c.action = std::move(action);
    return c;
}

Control& Dialog::browse(int id, std::shared_ptr<Browse> b) {
    Control& c = make(id, ControlKind::Browse, {});
    c.browse = std::move(b);
    return c;
}

// ---------------------------------------------------------------- lookup

Control* Dialog::find(int id) {
    for (Control& c : controls_)
        if (c.id == id) return &c;
    return nullptr;
}

const Control* Dialog::find(int id) const {
    for (const Control& c : controls_)
        if (c.id == id) return &c;
    return nullptr;
}

Control* Dialog::owner(int optionId) {
    const Control* group = nullptr;
    return option(optionId, &group) ? const_cast<Control*>(group) : nullptr;
}

Control& Dialog::at(int id) {
    if (Control* c = find(id)) return *c;
    if (Control* g = owner(id)) return *g;
    throw std::out_of_range("el diálogo " + name_ + " no tiene el control " + std::to_string(id));
}

Dialog::State& Dialog::state(int id) {
    for (auto& [k, s] : states_)
        if (k == id) return s;
    throw std::out_of_range("el diálogo " + name_ + " no tiene el control " + std::to_string(id));
}

const Dialog::State* Dialog::stateOf(int id) const {
    for (const auto& [k, s] : states_)
        if (k == id) return &s;
    return nullptr;
}

// ---------------------------------------------------------------- values

void Dialog::load(Control& c) {
    State& s = state(c.id);
    s.dirty = false;
    if (!c.value.bound()) return;
    if (c.kind == ControlKind::Edit || c.kind == ControlKind::Spinner || c.kind == ControlKind::Display) {
        store::Value v = c.value.get();
        std::string shown = Picture::parse(c.picture).display(v, c.value.width, c.value.decimals);
        s.buffer = v.isText() ? text::fromTable(shown) : shown;
    }
}

bool Dialog::take(Control& c) {
    if (c.kind != ControlKind::Edit && c.kind != ControlKind::Spinner) return true;
    State& s = state(c.id);
    if (!c.readOnly && c.value.set && enabled(c.id)) {
        Picture pic = Picture::parse(c.picture);
        store::Value v;
        if (c.value.type == store::Type::Char) {
            std::string bytes = pic.filterText(text::toTable(s.buffer), c.value.width);
            bytes.resize(static_cast<std::size_t>(c.value.width), ' ');
            v = store::Value(bytes);
        } else {
            Picture::Parsed p = pic.parseInput(s.buffer, c.value.type, c.value.width, c.value.decimals);
            if (!p.value) {
                refusal_ = p.error;
                ++revision_;
                return false;
            }
            v = *p.value;
            if (c.kind == ControlKind::Spinner && v.isNum()) {
                // The arrows stop at the bounds; a number typed outside them is refused.
                long long n = v.num().toInt();
                if (n < c.min || n > c.max) {
                    refusal_ = "El valor debe estar entre " + std::to_string(c.min) + " y " + std::to_string(c.max);
                    ++revision_;
                    return false;
                }
            }
        }
        c.value.set(v);
        load(c);
    }
    refusal_.clear();
    if (c.valid && !c.valid()) {  // the VALID may have said why through refuse()
        ++revision_;
        return false;
    }
    refusal_.clear();
    evaluateWhen();
    return true;
}

void Dialog::evaluateWhen() {
    for (Control& c : controls_)
        if (c.when) state(c.id).enabled = c.when();
    ++revision_;
}

bool Dialog::focusable(const Control& c) const {
    if (!c.visible || !enabled(c.id)) return false;
    switch (c.kind) {
        case ControlKind::Label:
        case ControlKind::Frame:
        case ControlKind::Display: return false;
        default: return !(c.readOnly && c.kind == ControlKind::Edit);
    }
}

// ---------------------------------------------------------------- runtime

void Dialog::start() {
    ended_ = false;
    result_ = 0;
    refusal_.clear();
    for (Control& c : controls_) load(c);
    evaluateWhen();
    focus_ = 0;
    if (initialFocus_ && find(initialFocus_) && focusable(*find(initialFocus_))) focus_ = initialFocus_;
    for (const Control& c : controls_) {
        if (focus_) break;
        if (focusable(c)) focus_ = c.id;
    }
}

void Dialog::end(int result) {
    ended_ = true;
    result_ = result;
    ++revision_;
}

void Dialog::focus(int id) {
    Control& c = at(id);
    focus_ = c.id;
    ++revision_;
}

void Dialog::refresh(int id) {
    load(at(id));
    evaluateWhen();
}

void Dialog::refreshAll() {
    for (Control& c : controls_) load(c);
    evaluateWhen();
}

void Dialog::show(int id, bool visible) {
    at(id).visible = visible;
    ++revision_;
}

void Dialog::setLabel(int id, std::string text) {
    at(id).label = std::move(text);
    ++revision_;
}

void Dialog::type(int id, std::string_view utf8) {
    Control& c = at(id);
    if (c.kind != ControlKind::Edit && c.kind != ControlKind::Spinner)
        throw std::logic_error("el control " + std::to_string(id) + " de " + name_ + " no es un campo de edición");
    if (focus_ != c.id && !moveFocus(c.id)) return;  // leaving the previous field may enable this one
    if (!enabled(c.id) || c.readOnly || !c.visible) return;
    State& s = state(c.id);
    std::string t(utf8);
    if (c.value.type == store::Type::Char)
        t = text::fromTable(Picture::parse(c.picture).filterText(text::toTable(t), c.value.width));
    s.buffer = t;
    s.dirty = true;
    ++revision_;
}

bool Dialog::moveFocus(int id) {
    Control& target = at(id);
    if (focus_ == target.id) return true;
    if (Control* current = find(focus_)) {
        keys::setLastEscape(false);
        if (!take(*current)) return false;
    }
    if (!focusable(target)) return false;
    focus_ = target.id;
    ++revision_;
    return true;
}

// Takes the field being left before a click elsewhere acts: its VALID may refuse, and its
// new value may change what is enabled.
bool Dialog::leaveFor(int id) {
    Control* current = find(focus_);
    if (!current || current->id == id) return true;
    keys::setLastEscape(false);
    return take(*current);
}

bool Dialog::press(int id) {
    if (Control* group = owner(id)) {
        if (!leaveFor(group->id)) return false;
        if (!enabled(group->id) || !group->visible || !moveFocus(group->id)) return false;
        for (const RadioOption& o : group->options)
            if (o.id == id && group->value.set) group->value.set(o.code);
        if (group->action) group->action();
        evaluateWhen();
        return true;
    }
    Control& c = at(id);
    if (c.kind == ControlKind::Button && c.cancel) {
        if (!enabled(c.id) || !c.visible) return false;
        keys::setLastEscape(true);
        if (c.action) c.action();
        else end(c.id);
        return true;
    }
    if (!leaveFor(c.id)) return false;
    if (!enabled(c.id) || !c.visible) return false;
    switch (c.kind) {
        case ControlKind::Button:
            if (c.action) c.action();
            else end(c.id);
            ++revision_;
            return true;
        case ControlKind::Check:
            if (!moveFocus(c.id)) return false;
            if (c.value.set) c.value.set(store::Value(!c.value.get().logic()));
            if (c.action) c.action();
            evaluateWhen();
            return true;
        default: return moveFocus(c.id);
    }
}

bool Dialog::choose(int id, int index) {
    Control& c = at(id);
    if (c.kind != ControlKind::Combo || index < 0 || index >= static_cast<int>(c.items.size())) return false;
    if (!moveFocus(c.id)) return false;
    if (c.value.set) {
        if (c.comboByText) c.value.set(store::Value(text::toTable(c.items[static_cast<std::size_t>(index)])));
        else c.value.set(store::Value(index + 1));
    }
    if (c.action) c.action();
    evaluateWhen();
    return true;
}

bool Dialog::key(int browseId, Key k, char32_t ch) {
    if (k == Key::Escape) return close();
    Control& c = at(browseId);
    if (c.kind != ControlKind::Browse || !c.browse) return false;
    if (!moveFocus(c.id)) return false;
    Browse& b = *c.browse;
    bool used = b.key(k, ch);
    if (!used) {
        switch (k) {
            case Key::Up: b.up(); break;
            case Key::Down: b.down(); break;
            case Key::PageUp: b.pageUp(); break;
            case Key::PageDown: b.pageDown(); break;
            case Key::Home: b.home(); break;
            case Key::End: b.end(); break;
            default: break;
        }
    }
    ++revision_;
    return true;
}

bool Dialog::advance(bool forward) {
    std::vector<int> chain;
    for (const Control& c : controls_)
        if (c.kind != ControlKind::Label && c.kind != ControlKind::Frame && c.kind != ControlKind::Display)
            chain.push_back(c.id);
    if (chain.empty()) return true;
    if (Control* current = find(focus_)) {
        keys::setLastEscape(false);
        if (!take(*current)) return false;
    }
    const int n = static_cast<int>(chain.size());
    int pos = static_cast<int>(std::find(chain.begin(), chain.end(), focus_) - chain.begin());
    if (pos == n) pos = forward ? -1 : n;
    for (int k = 1; k <= n; ++k) {
        int id = chain[static_cast<std::size_t>(((pos + (forward ? k : -k)) % n + n) % n)];
        if (focusable(*find(id))) {
            focus_ = id;
            break;
        }
    }
    ++revision_;
    return true;
}

bool Dialog::clickRow(int browseId, int line) {
    Control& c = at(browseId);
    if (c.kind != ControlKind::Browse || !c.browse || !moveFocus(c.id)) return false;
    c.browse->visibleRows();  // places the current row on its line first
    c.browse->toLine(line);
    ++revision_;
    return true;
}

bool Dialog::close() {
    keys::setLastEscape(true);
    if (canClose && !canClose()) return false;
    end(0);
    return true;
}

// ---------------------------------------------------------------- state

const RadioOption* Dialog::option(int id, const Control** group) const {
    for (const Control& c : controls_)
        if (c.kind == ControlKind::Radio)
            for (const RadioOption& o : c.options)
                if (o.id == id) {
                    if (group) *group = &c;
                    return &o;
                }
    return nullptr;
}

// A radio option answers for its group.
bool Dialog::enabled(int id) const {
    if (const State* s = stateOf(id)) return s->enabled;
    const Control* group = nullptr;
    return option(id, &group) && stateOf(group->id)->enabled;
}

bool Dialog::visible(int id) const {
    if (const Control* c = find(id)) return c->visible;
    const Control* group = nullptr;
    return option(id, &group) && group->visible;
}

std::string Dialog::text(int id) const {
    const Control* c = find(id);
    if (!c) {
        const RadioOption* o = option(id, nullptr);
        return o ? o->caption : std::string();
    }
    switch (c->kind) {
        case ControlKind::Edit:
        case ControlKind::Spinner: return stateOf(id)->buffer;
        case ControlKind::Display: {
            if (!c->value.bound()) return c->label;
            store::Value v = c->value.get();
            std::string shown = Picture::parse(c->picture).display(v, c->value.width, c->value.decimals);
            return v.isText() ? text::fromTable(shown) : shown;
        }
        case ControlKind::Combo: {
            int i = selected(id);
            return i >= 0 ? c->items[static_cast<std::size_t>(i)] : std::string();
        }
        default: return c->label;
    }
}

int Dialog::selected(int id) const {
    const Control* c = find(id);
    if (!c || !c->value.bound()) return -1;
    store::Value v = c->value.get();
    if (c->kind == ControlKind::Combo) {
        if (c->comboByText) {
            std::string want = trimRight(text::fromTable(v.text()));
            for (std::size_t i = 0; i < c->items.size(); ++i)
                if (trimRight(c->items[i]) == want) return static_cast<int>(i);
            return -1;
        }
        long long n = v.isNum() ? v.num().toInt() : 0;
        return n >= 1 && n <= static_cast<long long>(c->items.size()) ? static_cast<int>(n - 1) : -1;
    }
    if (c->kind == ControlKind::Radio) {
        for (std::size_t i = 0; i < c->options.size(); ++i)
            if (sameCode(c->options[i].code, v)) return static_cast<int>(i);
    }
    return -1;
}

bool Dialog::checked(int id) const {
    const Control* c = find(id);
    return c && c->kind == ControlKind::Check && c->value.bound() && c->value.get().logic();
}

}  // namespace ui
