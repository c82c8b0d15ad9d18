// Exact decimal numbers for amounts, rates and counters.
//
// A Decimal is an integer count of units of 10^-scale. Arithmetic never goes
// through binary floating point; rounding is half away from zero everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace store {

class Decimal {
public:
    static constexpr int kMaxScale = 18;
    // Decimals kept by a division before the caller rounds the quotient.
    static constexpr int kDivisionScale = 12;

    constexpr Decimal() = default;
    constexpr Decimal(int v) : units_(v), scale_(0) {}       // NOLINT: literals read naturally
    constexpr Decimal(long v) : units_(v), scale_(0) {}      // NOLINT
    constexpr Decimal(long long v) : units_(v), scale_(0) {} // NOLINT

    static Decimal fromUnits(std::int64_t units, int scale);
    // Parses "123", "-12.5", "  7.00 " (blanks around are allowed). An empty or
    // blank text is zero. Anything else is nullopt.
    static std::optional<Decimal> parse(std::string_view text);
    // Parses a literal the program itself writes ("10.01"); throws on bad text.
    static Decimal of(std::string_view text);

    std::int64_t units() const { return units_; }
    int scale() const { return scale_; }
    bool isZero() const { return units_ == 0; }
    bool isNegative() const { return units_ < 0; }

    // Rounded (half away from zero) to the given number of decimals.
    Decimal rounded(int decimals) const;
    // The number written with exactly `decimals` decimals, rounded, without padding.
    std::string toFixed(int decimals) const;
    // The number written with its own decimals, trailing zeros after the point removed.
    std::string toString() const;
    double toDouble() const;
    // Integer part, truncated toward zero.
    std::int64_t toInt() const;

    int compare(const Decimal& other) const;
    friend bool operator==(const Decimal& a, const Decimal& b) { return a.compare(b) == 0; }
    friend auto operator<=>(const Decimal& a, const Decimal& b) { return a.compare(b) <=> 0; }

    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    // Quotient with kDivisionScale decimals; a division by zero gives 0.
    friend Decimal operator/(const Decimal& a, const Decimal& b);
    Decimal operator-() const;
    Decimal abs() const { return units_ < 0 ? -*this : *this; }
    Decimal& operator+=(const Decimal& b) { return *this = *this + b; }
    Decimal& operator-=(const Decimal& b) { return *this = *this - b; }

private:
    static Decimal fromWide(__int128 units, int scale);
    std::int64_t units_ = 0;
    int scale_ = 0;
};

}  // namespace store
