// Calendar dates as the tables hold them: a day number, or the empty date.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace store {

class Date {
public:
    constexpr Date() = default;  // the empty date, less than any other
    static std::optional<Date> fromYmd(int year, int month, int day);
    // "YYYYMMDD" as stored in D fields and produced by dtos; blanks give the empty date.
    // nullopt when the text is neither.
    static std::optional<Date> fromDtos(std::string_view text);
    // "dd/mm/yyyy" or "dd/mm/yy" (two-digit years through the epoch: yy >= epoch%100
    // is in the epoch's century, else the next). Blank or invalid texts give the empty date.
    static Date fromText(std::string_view text, int epoch = 1970);

    bool isEmpty() const { return days_ == kEmpty; }
    int year() const;
    int month() const;
    int day() const;
    // "dd/mm/yyyy", or "  /  /    " for the empty date.
    std::string toText() const;
    // "YYYYMMDD", or eight blanks for the empty date.
    std::string dtos() const;
    void dtosInto(char* out8) const;

    // Whole-day arithmetic; the empty date stays empty.
    Date addDays(int n) const;
    // Days from `other` to this date (0 when either is empty).
    int daysSince(const Date& other) const;
    // Day serial of the 1900 date system used by spreadsheets (1 = 1900-01-01,
    // counting the phantom 29 February 1900); 0 for the empty date.
    int spreadsheetSerial() const;

    friend bool operator==(const Date&, const Date&) = default;
    friend auto operator<=>(const Date&, const Date&) = default;

private:
    static constexpr std::int32_t kEmpty = INT32_MIN;
    explicit constexpr Date(std::int32_t d) : days_(d) {}
    void civil(int& y, int& m, int& d) const;
    std::int32_t days_ = kEmpty;  // days since 1970-01-01
};

}  // namespace store
