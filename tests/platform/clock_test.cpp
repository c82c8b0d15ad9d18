#include "platform/clock.h"

#include <gtest/gtest.h>

#include <ctime>
#include <stdexcept>

#include "test_support.h"

namespace platform_test {
namespace {

using platform::Clock;
using platform::Date;

class ClockTest : public ::testing::Test {
 protected:
  ~ClockTest() override { Clock::reset(); }
  ScopedEnv today_{"QRX_TODAY", std::nullopt};
};

Date systemToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

TEST_F(ClockTest, FixedTodayIsReturnedUntilReset) {
  Clock::setFixedToday(2012, 12, 9);
  EXPECT_EQ(Clock::today(), (Date{2012, 12, 9}));
  EXPECT_EQ(Clock::currentYear(), 2012);
  Clock::reset();
  const Date before = systemToday();
  const Date today = Clock::today();
  const Date after = systemToday();
  EXPECT_TRUE(today == before || today == after);  // midnight may pass in between
}

TEST_F(ClockTest, EnvironmentVariableFixesToday) {
  ScopedEnv today("QRX_TODAY", "2012-02-29");
  EXPECT_EQ(Clock::today(), (Date{2012, 2, 29}));
  EXPECT_EQ(Clock::currentYear(), 2012);
}

TEST_F(ClockTest, FixedTodayWinsOverTheEnvironment) {
  ScopedEnv today("QRX_TODAY", "2012-02-29");
  Clock::setFixedToday(2011, 1, 15);
  EXPECT_EQ(Clock::today(), (Date{2011, 1, 15}));
}

TEST_F(ClockTest, MalformedEnvironmentDateIsAnError) {
  for (const char* text : {"2011-02-29", "2012-13-01", "2012-04-31", "2012-00-10", "09-12-2012", "2012/12/09",
                           "2012-1-09", "2012-12-9 ", "abcd-ef-gh"}) {
    SCOPED_TRACE(text);
    ScopedEnv today("QRX_TODAY", text);
    EXPECT_THROW(Clock::today(), std::runtime_error);
  }
}

TEST_F(ClockTest, OnlyRealDatesCanBeFixed) {
  struct Case {
    int year, month, day;
    bool exists;
  };
  const Case cases[] = {
      {2000, 2, 29, true},  {2012, 2, 29, true},  {2012, 12, 31, true}, {1900, 2, 29, false},
      {2011, 2, 29, false}, {2012, 4, 31, false}, {2012, 0, 1, false},  {2012, 1, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
    if (c.exists) {
      Clock::setFixedToday(c.year, c.month, c.day);
      EXPECT_EQ(Clock::today(), (Date{c.year, c.month, c.day}));
    } else {
      EXPECT_THROW(Clock::setFixedToday(c.year, c.month, c.day), std::invalid_argument);
    }
  }
}

}  // namespace
}  // namespace platform_test
