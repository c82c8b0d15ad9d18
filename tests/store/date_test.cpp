#include "store/date.h"

#include <gtest/gtest.h>

using store::Date;

namespace {

TEST(Date, ReadsTextWithTheEpochRule) {
    struct Case {
        const char* text;
        const char* dtos;
    } cases[] = {
        {"15/01/2012", "20120115"}, {"15/01/12", "20120115"}, {"01/02/69", "20690201"},
        {"01/02/70", "19700201"},   {"31/12/99", "19991231"}, {"29/02/2012", "20120229"},
        {"29/02/2011", "        "},  // no such day
        {"  /  /    ", "        "}, {"", "        "},  {"32/01/2012", "        "},
        {"1/2/2012", "20120201"},   {"ab/01/2012", "        "},
    };
    for (const auto& c : cases) EXPECT_EQ(Date::fromText(c.text).dtos(), c.dtos) << c.text;
}

TEST(Date, TextFormsAndArithmetic) {
    Date d = *Date::fromYmd(2012, 1, 15);
    EXPECT_EQ(d.toText(), "15/01/2012");
    EXPECT_EQ(Date().toText(), "  /  /    ");
    EXPECT_EQ(d.addDays(-15).toText(), "31/12/2011");
    EXPECT_EQ(d.addDays(46).toText(), "01/03/2012");
    EXPECT_EQ(d.daysSince(*Date::fromYmd(2011, 12, 31)), 15);
    EXPECT_TRUE(Date().addDays(5).isEmpty());
    EXPECT_LT(Date(), *Date::fromYmd(1, 1, 1));  // the empty date is less than any other
    EXPECT_EQ(*Date::fromDtos("20261211"), *Date::fromYmd(2026, 12, 11));
    EXPECT_FALSE(Date::fromDtos("2026121"));
    EXPECT_TRUE(Date::fromDtos("        ")->isEmpty());
}

TEST(Date, SpreadsheetSerialsOfThe1900System) {
    EXPECT_EQ(Date::fromYmd(1900, 1, 1)->spreadsheetSerial(), 1);
    EXPECT_EQ(Date::fromYmd(1900, 2, 28)->spreadsheetSerial(), 59);
    EXPECT_EQ(Date::fromYmd(1900, 3, 1)->spreadsheetSerial(), 61);
    EXPECT_EQ(Date::fromYmd(2012, 1, 15)->spreadsheetSerial(), 40923);
    EXPECT_EQ(Date().spreadsheetSerial(), 0);
}

}  // namespace
