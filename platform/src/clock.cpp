#include "platform/clock.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

namespace {

std::optional<Date> g_fixedToday;

bool exists(const Date& date) {
  if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1) return false;
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
  return date.day <= kDays[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
}

// "YYYY-MM-DD", exactly.
std::optional<Date> parseIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto number = [&](std::size_t from, std::size_t length) -> std::optional<int> {
    int value = 0;
    for (char c : text.substr(from, length)) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    return value;
  };
  const std::optional<int> year = number(0, 4), month = number(5, 2), day = number(8, 2);
  if (!year || !month || !day) return std::nullopt;
  const Date date{*year, *month, *day};
  return exists(date) ? std::optional<Date>(date) : std::nullopt;
}

}  // namespace

Date Clock::today() {
  if (g_fixedToday) return *g_fixedToday;
  if (const char* text = std::getenv("QRX_TODAY"); text != nullptr && *text != '\0') {
    if (std::optional<Date> date = parseIsoDate(text)) return *date;
    throw std::runtime_error("QRX_TODAY=\"" + std::string(text) + "\" no es una fecha válida AAAA-MM-DD");
  }
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void Clock::setFixedToday(int year, int month, int day) {
  const Date date{year, month, day};
  if (!exists(date))
    throw std::invalid_argument("fecha inexistente " + std::to_string(year) + "-" + std::to_string(month) + "-" +
                                std::to_string(day));
  g_fixedToday = date;
}

void Clock::reset() { g_fixedToday.reset(); }

}  // namespace platform
