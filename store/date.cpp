#include "store/date.h"

#include <cstdio>

namespace store {
namespace {

// Howard Hinnant's days-from-civil and civil-from-days algorithms.
std::int32_t daysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int>(doe) - 719468;
}

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : kDays[m - 1];
}

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int toInt(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

std::optional<Date> Date::fromYmd(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    return Date(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
}

std::optional<Date> Date::fromDtos(std::string_view text) {
    if (trim(text).empty()) return Date();
    if (text.size() != 8 || !allDigits(text)) return std::nullopt;
    return fromYmd(toInt(text.substr(0, 4)), toInt(text.substr(4, 2)), toInt(text.substr(6, 2)));
}

Date Date::fromText(std::string_view text, int epoch) {
    text = trim(text);
    std::size_t p1 = text.find('/');
    if (p1 == std::string_view::npos) return Date();
    std::size_t p2 = text.find('/', p1 + 1);
    if (p2 == std::string_view::npos) return Date();
    std::string_view ds = trim(text.substr(0, p1)), ms = trim(text.substr(p1 + 1, p2 - p1 - 1)),
                     ys = trim(text.substr(p2 + 1));
    if (!allDigits(ds) || !allDigits(ms) || !allDigits(ys) || ds.size() > 2 || ms.size() > 2) return Date();
    int y = toInt(ys);
    if (ys.size() <= 2) {
        int century = epoch / 100 * 100;
        y += century;
        if (y < epoch) y += 100;
    } else if (ys.size() != 4) {
        return Date();
    }
    return fromYmd(y, toInt(ms), toInt(ds)).value_or(Date());
}

void Date::civil(int& y, int& m, int& d) const {
    std::int32_t z = days_ + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe) + era * 400 + (m <= 2);
}

int Date::year() const {
    if (isEmpty()) return 0;
    int y, m, d;
    civil(y, m, d);
    return y;
}
int Date::month() const {
    if (isEmpty()) return 0;
    int y, m, d;
    civil(y, m, d);
    return m;
}
int Date::day() const {
    if (isEmpty()) return 0;
    int y, m, d;
    civil(y, m, d);
    return d;
}

std::string Date::toText() const {
    if (isEmpty()) return "  /  /    ";
    int y, m, d;
    civil(y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d, m, y);
    return buf;
}

void Date::dtosInto(char* out) const {
    if (isEmpty()) {
        for (int i = 0; i < 8; ++i) out[i] = ' ';
        return;
    }
    int y, m, d;
    civil(y, m, d);
    int v[8] = {y / 1000 % 10, y / 100 % 10, y / 10 % 10, y % 10, m / 10, m % 10, d / 10, d % 10};
    for (int i = 0; i < 8; ++i) out[i] = static_cast<char>('0' + v[i]);
}

std::string Date::dtos() const {
    std::string s(8, ' ');
    dtosInto(s.data());
    return s;
}

Date Date::addDays(int n) const { return isEmpty() ? *this : Date(days_ + n); }

int Date::daysSince(const Date& other) const {
    if (isEmpty() || other.isEmpty()) return 0;
    return days_ - other.days_;
}

int Date::spreadsheetSerial() const {
    if (isEmpty()) return 0;
    // 1899-12-30 is serial 0 for every date after the phantom 1900-02-29.
    int serial = days_ - daysFromCivil(1899, 12, 30);
    return serial <= 60 ? serial - 1 : serial;
}

}  // namespace store
