#include "tools/cells.h"

#include "store/date.h"
#include "store/decimal.h"

namespace tools::cells {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!isDigit(c)) return false;
    return true;
}

int toInt(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

store::Value parseNum(const store::FieldInfo& f, std::string_view text) {
    // [sign] digits [. digits], at least one digit; checked here so that the
    // decimals can be counted before anything is rounded.
    std::string_view s = text;
    bool neg = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        neg = s.front() == '-';
        s.remove_prefix(1);
    }
    std::size_t point = s.find('.');
    std::string_view whole = s.substr(0, point);
    std::string_view frac = point == std::string_view::npos ? std::string_view() : s.substr(point + 1);
    bool wholeOk = whole.empty() || allDigits(whole);
    bool fracOk = frac.empty() || allDigits(frac);
    if (!wholeOk || !fracOk || (whole.empty() && frac.empty()))
        throw CellError("'" + std::string(text) + "' no es un número");

    while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
    while (!frac.empty() && frac.back() == '0') frac.remove_suffix(1);
    if (frac.size() > f.decimals)
        throw CellError("el número " + std::string(text) + " tiene más decimales que el campo " + shape(f));

    std::string canonical;
    if (neg && !(whole.empty() && frac.empty())) canonical += '-';
    canonical += whole.empty() ? std::string_view("0") : whole;
    if (f.decimals > 0) {
        canonical += '.';
        canonical += frac;
        canonical.append(f.decimals - frac.size(), '0');
    }
    if (canonical.size() > f.length)
        throw CellError("el número " + std::string(text) + " no cabe en el campo " + shape(f));

    // The store keeps numbers as 64-bit units; a number beyond that would be rounded.
    std::optional<store::Decimal> d = store::Decimal::parse(canonical);
    std::string written = d ? store::fieldcodec::formatNum(*d, f.length, f.decimals) : std::string();
    if (std::string(trim(written)) != canonical)
        throw CellError("el número " + std::string(text) + " excede la precisión con que se guardan los números");
    return store::Value(*d);
}

store::Value parseDate(std::string_view text) {
    std::optional<store::Date> d;
    if (text.size() == 8 && allDigits(text)) {
        d = store::Date::fromDtos(text);
    } else {
        std::size_t p1 = text.find('/');
        std::size_t p2 = p1 == std::string_view::npos ? p1 : text.find('/', p1 + 1);
        if (p2 != std::string_view::npos) {
            std::string_view dd = text.substr(0, p1), mm = text.substr(p1 + 1, p2 - p1 - 1), yy = text.substr(p2 + 1);
            if (allDigits(dd) && dd.size() <= 2 && allDigits(mm) && mm.size() <= 2 && allDigits(yy) && yy.size() == 4)
                d = store::Date::fromYmd(toInt(yy), toInt(mm), toInt(dd));
        }
    }
    if (!d || d->isEmpty())
        throw CellError("fecha inválida '" + std::string(text) + "' (se espera AAAAMMDD o dd/mm/aaaa)");
    return store::Value(*d);
}

store::Value parseLogic(std::string_view text) {
    if (text.size() == 1) {
        switch (text[0]) {
            case 'T': case 't': case 'Y': case 'y': return store::Value(true);
            case 'F': case 'f': case 'N': case 'n': return store::Value(false);
            default: break;
        }
    }
    throw CellError("valor lógico inválido '" + std::string(text) + "' (se espera T, F, Y o N)");
}

}  // namespace

std::string shape(const store::FieldInfo& f) {
    switch (f.type) {
        case store::Type::Char: return "C(" + std::to_string(f.length) + ")";
        case store::Type::Num:
            return "N(" + std::to_string(f.length) + "," + std::to_string(static_cast<int>(f.decimals)) + ")";
        case store::Type::Date: return "D";
        case store::Type::Logic: return "L";
    }
    return "?";
}

std::string format(const store::WorkArea& area, store::Field f) {
    using namespace store;
    const FieldInfo& info = area.info(f);
    switch (info.type) {
        case Type::Char: {
            std::string_view t = area.text(f);
            while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
            return std::string(t);
        }
        case Type::Num: return area.num(f).toFixed(info.decimals);
        case Type::Date: {
            Date d = area.date(f);
            return d.isEmpty() ? std::string() : d.dtos();
        }
        case Type::Logic: return area.logic(f) ? "T" : "F";
    }
    return {};
}

std::optional<store::Value> parse(const store::FieldInfo& f, std::string_view cell) {
    if (f.type == store::Type::Char) {
        if (cell.find_first_not_of(' ') == std::string_view::npos) return std::nullopt;
        std::string_view keep = cell;
        if (keep.size() > f.length) {
            if (keep.substr(f.length).find_first_not_of(' ') != std::string_view::npos)
                throw CellError("el texto tiene " + std::to_string(keep.size()) + " caracteres y el campo " +
                                shape(f) + " admite " + std::to_string(f.length));
            keep = keep.substr(0, f.length);
        }
        return store::Value(keep);
    }
    std::string_view t = trim(cell);
    if (t.empty()) return std::nullopt;
    switch (f.type) {
        case store::Type::Char: break;  // above
        case store::Type::Num: return parseNum(f, t);
        case store::Type::Date: return parseDate(t);
        case store::Type::Logic: return parseLogic(t);
    }
    return std::nullopt;
}

}  // namespace tools::cells
