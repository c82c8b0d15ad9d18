#include "store/decimal.h"

#include <stdexcept>

namespace store {
namespace {

using i128 = __int128;

constexpr i128 pow10(int n) {
    i128 r = 1;
    for (int i = 0; i < n; ++i) r *= 10;
    return r;
}

constexpr i128 kInt64Max = INT64_MAX;
// Largest magnitude we let an intermediate reach before scaling it (10^37 < 2^127).
constexpr i128 kWideLimit = pow10(37);

// a / b rounded half away from zero (b != 0).
i128 divRound(i128 a, i128 b) {
    bool neg = (a < 0) != (b < 0);
    i128 ua = a < 0 ? -a : a;
    i128 ub = b < 0 ? -b : b;
    i128 q = ua / ub;
    i128 r = ua % ub;
    if (r * 2 >= ub) ++q;
    return neg ? -q : q;
}

i128 magnitude(i128 v) { return v < 0 ? -v : v; }

}  // namespace

Decimal Decimal::fromUnits(std::int64_t units, int scale) {
    if (scale < 0 || scale > kMaxScale) throw std::invalid_argument("decimal scale out of range");
    Decimal d;
    d.units_ = units;
    d.scale_ = scale;
    return d;
}

// Brings a wide value into 64 bits, giving up decimals (rounded) as needed.
Decimal Decimal::fromWide(i128 units, int scale) {
    while (scale > kMaxScale || magnitude(units) > kInt64Max) {
        if (scale == 0) throw std::overflow_error("number too large");
        units = divRound(units, 10);
        --scale;
    }
    Decimal d;
    d.units_ = static_cast<std::int64_t>(units);
    d.scale_ = scale;
    return d;
}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\0')) --e;
    if (b == e) return Decimal();
    bool neg = false;
    if (text[b] == '-' || text[b] == '+') {
        neg = text[b] == '-';
        ++b;
        while (b < e && text[b] == ' ') ++b;  // "-  5" appears in some writers' output
    }
    i128 units = 0;
    int scale = 0;
    bool point = false, digits = false;
    for (std::size_t i = b; i < e; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (point && scale >= kMaxScale) continue;  // extra decimals beyond what we keep
            units = units * 10 + (c - '0');
            if (units > kWideLimit) return std::nullopt;
            if (point) ++scale;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    try {
        return fromWide(neg ? -units : units, scale);
    } catch (const std::overflow_error&) {
        return std::nullopt;
    }
}

Decimal Decimal::of(std::string_view text) {
    auto d = parse(text);
    if (!d) throw std::invalid_argument("not a number: " + std::string(text));
    return *d;
}

Decimal Decimal::rounded(int decimals) const {
    if (decimals < 0) decimals = 0;
    if (decimals >= scale_) return *this;
    i128 u = divRound(units_, pow10(scale_ - decimals));
    return fromWide(u, decimals);
}

std::string Decimal::toFixed(int decimals) const {
    if (decimals < 0) decimals = 0;
    i128 u = units_;
    if (decimals < scale_) u = divRound(u, pow10(scale_ - decimals));
    else u *= pow10(decimals - scale_);
    bool neg = u < 0;
    if (neg) u = -u;
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(u % 10)));
        u /= 10;
    } while (u > 0);
    if (decimals > 0) {
        while (static_cast<int>(digits.size()) <= decimals) digits.insert(digits.begin(), '0');
        digits.insert(digits.end() - decimals, '.');
    }
    if (neg) digits.insert(digits.begin(), '-');
    return digits;
}

std::string Decimal::toString() const {
    std::string s = toFixed(scale_);
    if (scale_ > 0) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

double Decimal::toDouble() const {
    return static_cast<double>(units_) / static_cast<double>(pow10(scale_));
}

std::int64_t Decimal::toInt() const {
    return static_cast<std::int64_t>(static_cast<i128>(units_) / pow10(scale_));
}

int Decimal::compare(const Decimal& o) const {
    int s = scale_ > o.scale_ ? scale_ : o.scale_;
    i128 a = static_cast<i128>(units_) * pow10(s - scale_);
    i128 b = static_cast<i128>(o.units_) * pow10(s - o.scale_);
    return a < b ? -1 : (a > b ? 1 : 0);
}

Decimal operator+(const Decimal& a, const Decimal& b) {
    int s = a.scale_ > b.scale_ ? a.scale_ : b.scale_;
    return Decimal::fromWide(static_cast<i128>(a.units_) * pow10(s - a.scale_) +
                                 static_cast<i128>(b.units_) * pow10(s - b.scale_),
                             s);
}

Decimal operator-(const Decimal& a, const Decimal& b) { return a + (-b); }

Decimal Decimal::operator-() const {
    Decimal d = *this;
    if (units_ == INT64_MIN) throw std::overflow_error("number too large");
    d.units_ = -units_;
    return d;
}

Decimal operator*(const Decimal& a, const Decimal& b) {
    return Decimal::fromWide(static_cast<i128>(a.units_) * b.units_, a.scale_ + b.scale_);
}

Decimal operator/(const Decimal& a, const Decimal& b) {
    if (b.units_ == 0) return Decimal();
    // quotient units at scale S: a.units * 10^(S + b.scale - a.scale) / b.units
    int target = Decimal::kDivisionScale;
    if (target < a.scale_) target = a.scale_;
    for (;; --target) {
        int shift = target + b.scale_ - a.scale_;
        i128 num = a.units_;
        i128 den = b.units_;
        if (shift >= 0) {
            if (shift > 36 || magnitude(num) > kWideLimit / pow10(shift)) {
                if (target == 0) throw std::overflow_error("number too large");
                continue;
            }
            num *= pow10(shift);
        } else {
            den *= pow10(-shift);
        }
        return Decimal::fromWide(divRound(num, den), target);
    }
}

}  // namespace store
