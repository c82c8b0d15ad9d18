#include "store/decimal.h"

#include <gtest/gtest.h>

#include "store/dbf.h"

using store::Decimal;

namespace {

struct Case {
    const char* a;
    char op;
    const char* b;
    int round;
    const char* expected;
};

class DecimalArithmetic : public ::testing::TestWithParam<Case> {};

TEST_P(DecimalArithmetic, RoundsHalfAwayFromZeroToTheCent) {
    const Case& c = GetParam();
    Decimal a = Decimal::of(c.a), b = Decimal::of(c.b);
    Decimal r = c.op == '*' ? a * b : c.op == '/' ? a / b : c.op == '+' ? a + b : a - b;
    EXPECT_EQ(r.rounded(c.round).toFixed(c.round), c.expected) << c.a << c.op << c.b;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecimalArithmetic,
    ::testing::Values(Case{"10.01", '*', "2.855", 2, "28.58"},  // 28.57855
                      Case{"28.58", '/', "2.855", 2, "10.01"},  // 10.01050...
                      Case{"100", '/', "0", 2, "0.00"},         // division by zero gives 0
                      Case{"0", '/', "0", 2, "0.00"},
                      Case{"1", '/', "3", 2, "0.33"}, Case{"2", '/', "3", 2, "0.67"},
                      Case{"-2", '/', "3", 2, "-0.67"},
                      Case{"0.125", '*', "1", 2, "0.13"},    // half away from zero
                      Case{"-0.125", '*', "1", 2, "-0.13"},  // and not toward even
                      Case{"0.005", '-', "0.01", 2, "-0.01"},
                      Case{"0.1", '+', "0.2", 2, "0.30"},  // no binary floating point
                      Case{"999999999999999.99", '+', "0.01", 2, "1000000000000000.00"},
                      Case{"1234567.89", '*', "3.41234", 2, "4212765.39"},
                      Case{"4212765.39", '/', "3.41234", 2, "1234567.89"},
                      Case{"1", '/', "7", 5, "0.14286"}));

TEST(Decimal, ParsesFieldTextAndRefusesGarbage) {
    EXPECT_EQ(Decimal::parse("   -12.50")->toFixed(2), "-12.50");
    EXPECT_EQ(Decimal::parse("")->toFixed(0), "0");
    EXPECT_EQ(Decimal::parse("     ")->toFixed(0), "0");
    EXPECT_EQ(Decimal::parse(".5")->toFixed(1), "0.5");
    EXPECT_FALSE(Decimal::parse("1,5"));
    EXPECT_FALSE(Decimal::parse("*****"));
    EXPECT_FALSE(Decimal::parse("-"));
    EXPECT_FALSE(Decimal::parse("1.2.3"));
}

TEST(Decimal, ComparesAcrossScales) {
    EXPECT_EQ(Decimal::of("1.50"), Decimal::of("1.5"));
    EXPECT_LT(Decimal::of("-1"), Decimal::of("0.001"));
    EXPECT_GT(Decimal::of("10"), Decimal::of("9.999999"));
    EXPECT_EQ(Decimal::of("-0.00").toString(), "0");
}

TEST(Decimal, FieldTextIsRightAlignedAndNeverLosesAValue) {
    using store::fieldcodec::formatNum;
    EXPECT_EQ(formatNum(Decimal::of("28.578"), 10, 2), "     28.58");
    EXPECT_EQ(formatNum(Decimal::of("-5"), 6, 2), " -5.00");
    EXPECT_EQ(formatNum(Decimal::of("2.85512"), 10, 5), "   2.85512");
    EXPECT_EQ(formatNum(Decimal::of("9999"), 4, 0), "9999");
    EXPECT_EQ(formatNum(Decimal::of("10000"), 4, 0), "");   // does not fit: refused, no asterisks
    EXPECT_EQ(formatNum(Decimal::of("-999"), 4, 0), "-999");
    EXPECT_EQ(formatNum(Decimal::of("-1000"), 4, 0), "");
    EXPECT_EQ(formatNum(Decimal::of("99.995"), 5, 2), "");  // rounds up to 100.00, six characters
}

}  // namespace
