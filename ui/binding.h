// Bound values: what a control shows and edits is a variable of the program,
// read and written through a binding. Text values are held as the tables hold
// them (single-byte Windows text); the screen converts them for display.
#pragma once

#include <functional>
#include <string>

#include "store/value.h"

namespace ui {

struct Binding {
    store::Type type = store::Type::Char;
    int width = 0;
    int decimals = 0;
    std::function<store::Value()> get;
    std::function<void(const store::Value&)> set;
    bool bound() const { return static_cast<bool>(get); }
};

inline Binding bindText(std::string& v, int width) {
    return {store::Type::Char, width, 0, [&v] { return store::Value(v); },
            [&v, width](const store::Value& x) {
                v = x.text();
                v.resize(static_cast<std::size_t>(width), ' ');
            }};
}

inline Binding bindNum(store::Decimal& v, int width, int decimals) {
    return {store::Type::Num, width, decimals, [&v] { return store::Value(v); },
            [&v, decimals](const store::Value& x) { v = x.num().rounded(decimals); }};
}

inline Binding bindInt(int& v, int width) {
    return {store::Type::Num, width, 0, [&v] { return store::Value(v); },
            [&v](const store::Value& x) { v = static_cast<int>(x.num().toInt()); }};
}

inline Binding bindDate(store::Date& v) {
    return {store::Type::Date, 10, 0, [&v] { return store::Value(v); },
            [&v](const store::Value& x) { v = x.date(); }};
}

inline Binding bindLogic(bool& v) {
    return {store::Type::Logic, 1, 0, [&v] { return store::Value(v); }, [&v](const store::Value& x) { v = x.logic(); }};
}

// A read-only value computed when shown (display fields, totals, names).
inline Binding show(store::Type type, int width, int decimals, std::function<store::Value()> get) {
    return {type, width, decimals, std::move(get), nullptr};
}

}  // namespace ui
