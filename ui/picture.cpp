#include "ui/picture.h"

#include <algorithm>
#include <stdexcept>

#include "ui/text.h"

namespace ui {
namespace {

bool isDigitPosition(char c) { return c == '9' || c == '#'; }

bool isPosition(char c) {
    switch (c) {
        case '9': case '#': case '!': case 'X': case 'A': case 'N': case 'L': case 'Y':
            return true;
        default:
            return false;
    }
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string blanks(int n) { return std::string(static_cast<std::size_t>(std::max(n, 0)), ' '); }
std::string stars(int n) { return std::string(static_cast<std::size_t>(std::max(n, 0)), '*'); }

std::string cut(std::string s, int n) {
    if (n >= 0 && s.size() > static_cast<std::size_t>(n)) s.resize(static_cast<std::size_t>(n));
    return s;
}

Picture::Parsed failure(std::string message) { return {std::nullopt, std::move(message)}; }
Picture::Parsed success(store::Value v) { return {std::move(v), {}}; }

}  // namespace

Picture Picture::parse(std::string_view text) {
    Picture p;
    p.text_ = std::string(text);
    std::string_view rest = trimBlanks(text);
    if (!rest.empty() && rest.front() == '@') {
        std::size_t end = rest.find_first_of(" \t");
        std::string_view functions = rest.substr(1, end == std::string_view::npos ? end : end - 1);
        for (char f : functions) {
            if (f == '!') p.upper_ = true;
            else if (f == 'Z' || f == 'z') p.zeroBlank_ = true;
        }
        rest = end == std::string_view::npos ? std::string_view() : trimBlanks(rest.substr(end));
    }
    p.mask_ = std::string(rest);

    const std::size_t point = p.mask_.find('.');
    int before = 0, after = 0;
    for (std::size_t i = 0; i < p.mask_.size(); ++i) {
        if (!isDigitPosition(p.mask_[i])) continue;
        if (point == std::string::npos || i < point) ++before;
        else ++after;
    }
    if (before + after > 0) {
        p.intDigits_ = before;
        p.decDigits_ = after;
    }
    return p;
}

// The number laid on the numeric template, or nullopt when it does not fit.
std::optional<std::string> Picture::formatNumber(const store::Decimal& d) const {
    std::string digits;
    bool negative;
    try {
        store::Decimal r = d.rounded(decDigits_);
        negative = r.isNegative();
        digits = r.abs().toFixed(decDigits_);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const std::size_t dot = digits.find('.');
    std::string whole = digits.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? std::string() : digits.substr(dot + 1);
    if (intDigits_ == 0 && whole == "0") whole.clear();
    if (static_cast<int>(whole.size()) > intDigits_) return std::nullopt;

    std::string out = mask_;
    const std::size_t point = std::min(mask_.find('.'), mask_.size());
    std::size_t k = 0;
    for (std::size_t i = point + 1; i < mask_.size(); ++i)
        if (isDigitPosition(mask_[i])) out[i] = fraction[k++];

    std::string free(point, '\0');  // marks the positions left blank
    std::size_t left = whole.size();
    std::size_t first = point;  // leftmost position holding a digit
    for (std::size_t i = point; i-- > 0;) {
        const char c = mask_[i];
        if (isDigitPosition(c) || c == ',') {
            if (left > 0) {
                out[i] = isDigitPosition(c) ? whole[--left] : ',';
                if (isDigitPosition(c)) first = i;
            } else {
                out[i] = ' ';
                free[i] = '\1';
            }
        }
    }
    if (negative) {
        std::size_t j = first;
        while (j > 0 && !free[j - 1]) --j;
        if (j == 0) return std::nullopt;
        out[j - 1] = '-';
    }
    return out;
}

std::string Picture::displayNumber(const store::Decimal& d, int width, int decimals) const {
    if (intDigits_ >= 0) {
        const int w = static_cast<int>(mask_.size());
        if (zeroBlank_ && d.rounded(decDigits_).isZero()) return blanks(w);
        auto laid = formatNumber(d);
        return laid ? *laid : stars(w);
    }
    const int dec = std::max(decimals, 0);
    if (zeroBlank_ && d.rounded(dec).isZero()) return blanks(width);
    std::string s = d.toFixed(dec);
    if (width <= 0) return s;
    const auto w = static_cast<std::size_t>(width);
    if (s.size() > w) return stars(width);
    return std::string(w - s.size(), ' ') + s;
}

std::string Picture::displayText(std::string_view s, int width) const {
    if (mask_.empty()) {
        std::string t = upper_ ? text::upperTable(s) : std::string(s);
        if (width > 0) t.resize(static_cast<std::size_t>(width), ' ');
        return t;
    }
    std::string out(mask_.size(), ' ');
    for (std::size_t i = 0; i < mask_.size(); ++i) {
        const char c = mask_[i];
        if (!isPosition(c)) {
            out[i] = c;
            continue;
        }
        const char ch = i < s.size() ? s[i] : ' ';
        out[i] = c == '!' || upper_ ? text::upperTable(ch) : ch;
    }
    return out;
}

std::string Picture::display(const store::Value& v, int width, int decimals) const {
    switch (v.type()) {
        case store::Type::Char: return displayText(v.text(), width);
        case store::Type::Num: return displayNumber(v.num(), width, decimals);
        case store::Type::Date: return v.date().toText();
        case store::Type::Logic: return v.logic() ? "S" : "N";
    }
    return {};
}

int Picture::displayWidth(store::Type type, int width, int decimals) const {
    switch (type) {
        case store::Type::Date: return 10;
        case store::Type::Logic: return 1;
        case store::Type::Num:
            return intDigits_ >= 0 ? static_cast<int>(mask_.size()) : std::max(width, 0);
        case store::Type::Char:
            return mask_.empty() ? std::max(width, 0) : static_cast<int>(mask_.size());
    }
    return 0;
}

Picture::Parsed Picture::parseNumber(std::string_view typed, int width, int decimals) const {
    std::string_view t = trimBlanks(typed);
    std::string clean;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        if (t.front() == '-') clean += '-';
        t = trimBlanks(t.substr(1));
        if (t.empty()) return failure("Número inválido");
    }
    bool point = false, digit = false;
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            clean += c;
            digit = true;
        } else if (c == ',' && !point) {
            // thousands separators are only for the eye
        } else if (c == '.' && !point) {
            clean += c;
            point = true;
        } else {
            return failure("Número inválido");
        }
    }
    if (t.empty()) return success(store::Decimal());
    if (!digit) return failure("Número inválido");

    const bool masked = intDigits_ >= 0;
    const std::string tooLong = masked ? "El número no cabe en el formato " + mask_
                                       : "El número no cabe en el campo de " + std::to_string(width) + " posiciones";
    auto d = store::Decimal::parse(clean);
    if (!d) return failure(tooLong);
    const int dec = masked ? decDigits_ : std::max(decimals, 0);
    store::Decimal r;
    try {
        r = d->rounded(dec);
    } catch (const std::exception&) {
        return failure(tooLong);
    }
    if (masked ? !formatNumber(r).has_value()
               : width > 0 && r.toFixed(dec).size() > static_cast<std::size_t>(width))
        return failure(tooLong);
    return success(r);
}

Picture::Parsed Picture::parseInput(std::string_view typed, store::Type type, int width, int decimals,
                                    int epoch) const {
    switch (type) {
        case store::Type::Char:
            return success(filterText(typed, width, type));
        case store::Type::Num:
            return parseNumber(typed, width, decimals);
        case store::Type::Date: {
            std::string t(trimBlanks(typed));
            if (t.find_first_not_of(" /") == std::string::npos) return success(store::Date());
            if ((t.size() == 6 || t.size() == 8) && t.find_first_not_of("0123456789") == std::string::npos)
                t = t.substr(0, 2) + "/" + t.substr(2, 2) + "/" + t.substr(4);
            store::Date d = store::Date::fromText(t, epoch);
            if (d.isEmpty()) return failure("Fecha inválida");
            return success(d);
        }
        case store::Type::Logic: {
            const std::string t = text::upperTable(trimBlanks(typed));
            if (t.empty() || t == "N" || t == "F" || t == ".F." || t == "NO") return success(false);
            if (t == "S" || t == "T" || t == "Y" || t == ".T." || t == "SI" || t == "S\xCD") return success(true);
            return failure("Valor lógico inválido: escriba S o N");
        }
    }
    return failure("Tipo de dato desconocido");
}

std::string Picture::filterText(std::string_view typed, int width, store::Type type) const {
    const std::string_view in = typed;
    std::string out;
    switch (type) {
        case store::Type::Char: {
            if (mask_.empty()) {
                out = cut(std::string(in), width > 0 ? width : -1);
                if (upper_) out = text::upperTable(out);
                break;
            }
            std::size_t m = mask_.size();
            if (width > 0) m = std::min(m, static_cast<std::size_t>(width));
            std::size_t k = 0;
            for (std::size_t i = 0; i < m && k < in.size(); ++i) {
                const char c = mask_[i];
                if (!isPosition(c)) {
                    out += c;
                    if (in[k] == c) ++k;  // the user typed the literal himself
                    continue;
                }
                const char ch = in[k++];
                out += c == '!' || upper_ ? text::upperTable(ch) : ch;
            }
            break;
        }
        case store::Type::Num: {
            for (char c : in)
                if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == ',' || c == ' ')
                    out += c;
            const int w = displayWidth(type, width, 0);
            out = cut(out, w > 0 ? w : -1);
            break;
        }
        case store::Type::Date:
            for (char c : in)
                if ((c >= '0' && c <= '9') || c == '/' || c == ' ') out += c;
            out = cut(out, 10);
            break;
        case store::Type::Logic:
            for (char c : in)
                if (c != ' ') {
                    out += text::upperTable(c);
                    break;
                }
            break;
    }
    return out;
}

}  // namespace ui
