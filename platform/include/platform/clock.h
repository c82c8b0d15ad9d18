#pragma once

// Today's date. The system clock gives it unless it has been fixed: by Clock::setFixedToday()
// in tests, or by the environment variable QRX_TODAY=YYYY-MM-DD for whole-program runs. The
// fixed date in the program wins over the variable.

namespace platform {

struct Date {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  friend bool operator==(const Date&, const Date&) = default;
};

class Clock {
 public:
  // Throws std::runtime_error when QRX_TODAY is set to anything but a valid YYYY-MM-DD date.
  static Date today();
  static int currentYear() { return today().year; }

  // Throws std::invalid_argument for a date that does not exist.
  static void setFixedToday(int year, int month, int day);
  static void reset();
};

}  // namespace platform
