#include "ui/picture.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using store::Decimal;
using store::Type;
using store::Value;
using ui::Picture;

store::Date ymd(int y, int m, int d) { return *store::Date::fromYmd(y, m, d); }

// ------------------------------------------------------------------ reading pictures

struct Parts {
    const char* picture;
    const char* mask;
    bool zeroBlank;
    bool upper;
    bool empty;
    int intDigits;
    int decDigits;
    friend std::ostream& operator<<(std::ostream& o, const Parts& p) { return o << '"' << p.picture << '"'; }
};

class PictureParts : public ::testing::TestWithParam<Parts> {};

TEST_P(PictureParts, SplitsFunctionsAndTemplate) {
    const Parts& p = GetParam();
    Picture pic = Picture::parse(p.picture);
    EXPECT_EQ(pic.text(), p.picture);
    EXPECT_EQ(pic.mask(), p.mask);
    EXPECT_EQ(pic.zeroBlank(), p.zeroBlank);
    EXPECT_EQ(pic.upper(), p.upper);
    EXPECT_EQ(pic.empty(), p.empty);
    EXPECT_EQ(pic.integerDigits(), p.intDigits);
    EXPECT_EQ(pic.decimalDigits(), p.decDigits);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PictureParts,
    ::testing::Values(Parts{"", "", false, false, true, -1, -1}, Parts{"@!", "", false, true, false, -1, -1},
                      Parts{"!", "!", false, false, false, -1, -1}, Parts{"!!!!", "!!!!", false, false, false, -1, -1},
                      Parts{"9999", "9999", false, false, false, 4, 0}, Parts{"99", "99", false, false, false, 2, 0},
                      Parts{"99.99", "99.99", false, false, false, 2, 2},
                      Parts{"99.999", "99.999", false, false, false, 2, 3},
                      Parts{"99.9999999", "99.9999999", false, false, false, 2, 7},
                      Parts{"@Z 9999", "9999", true, false, false, 4, 0},
                      Parts{"@Z 99.999", "99.999", true, false, false, 2, 3},
                      Parts{"@Z 999,999,999.99", "999,999,999.99", true, false, false, 9, 2},
                      Parts{"@Z 9999,999,999.99", "9999,999,999.99", true, false, false, 10, 2},
                      Parts{"  @Z   9999  ", "9999", true, false, false, 4, 0},
                      Parts{"@z!", "", true, true, false, -1, -1}, Parts{"@R 99-99", "99-99", false, false, false, 4, 0},
                      Parts{"@", "", false, false, true, -1, -1}, Parts{"###.#", "###.#", false, false, false, 3, 1}));

TEST(PictureParts, NeverThrowsOnOddTexts) {
    for (const char* t : {"@", "@@@", "@ ", "\xFF\xFE", "9.9.9", ".99", ",,,", "@Z", "@Z .", "99/99/99", "\t"}) {
        Picture p;
        EXPECT_NO_THROW(p = Picture::parse(t)) << t;
        for (Value v : {Value("abc"), Value(Decimal::of("-1234.567")), Value(Decimal()), Value(ymd(2012, 1, 15)),
                        Value(true)}) {
            EXPECT_NO_THROW(p.display(v, 8, 2)) << t;
            EXPECT_NO_THROW(p.parseInput("-12.5", v.type(), 8, 2)) << t;
            EXPECT_NO_THROW(p.filterText("abc-1.2", 8, v.type())) << t;
        }
    }
}

// ------------------------------------------------------------------ numbers on display

struct NumShown {
    const char* picture;
    const char* value;
    int width;
    int decimals;
    const char* shown;
    friend std::ostream& operator<<(std::ostream& o, const NumShown& n) {
        return o << '"' << n.picture << "\" " << n.value << " (" << n.width << "," << n.decimals << ")";
    }
};

class NumberDisplay : public ::testing::TestWithParam<NumShown> {};

TEST_P(NumberDisplay, LaysTheNumberOnThePicture) {
    const NumShown& n = GetParam();
    Picture p = Picture::parse(n.picture);
    std::string shown = p.display(Value(Decimal::of(n.value)), n.width, n.decimals);
    EXPECT_EQ(shown, n.shown);
    EXPECT_EQ(static_cast<int>(shown.size()), p.displayWidth(Type::Num, n.width, n.decimals));
}

INSTANTIATE_TEST_SUITE_P(
    Amounts, NumberDisplay,
    ::testing::Values(
        NumShown{"@Z 999,999,999.99", "-1180", 17, 2, "     -1,180.00"},
        NumShown{"@Z 999,999,999.99", "0", 17, 2, "              "},
        NumShown{"@Z 999,999,999.99", "1234567.891", 17, 2, "  1,234,567.89"},
        NumShown{"@Z 999,999,999.99", "12.5", 17, 2, "         12.50"},
        NumShown{"@Z 999,999,999.99", "0.5", 17, 2, "          0.50"},
        NumShown{"@Z 999,999,999.99", "0.005", 17, 2, "          0.01"},
        NumShown{"@Z 999,999,999.99", "-0.005", 17, 2, "         -0.01"},
        NumShown{"@Z 999,999,999.99", "0.004", 17, 2, "              "},
        NumShown{"@Z 999,999,999.99", "-0.004", 17, 2, "              "},
        NumShown{"@Z 999,999,999.99", "999999999.99", 17, 2, "999,999,999.99"},
        NumShown{"@Z 999,999,999.99", "999999999.995", 17, 2, "**************"},
        NumShown{"@Z 999,999,999.99", "1000000000", 17, 2, "**************"},
        NumShown{"@Z 999,999,999.99", "-99999999.99", 17, 2, "-99,999,999.99"},
        NumShown{"@Z 999,999,999.99", "-999999999.99", 17, 2, "**************"},
        NumShown{"@Z 999,999,999.99", "-123456", 17, 2, "   -123,456.00"},
        NumShown{"@Z 999,999,999.99", "-123", 17, 2, "       -123.00"},
        NumShown{"@Z 9999,999,999.99", "-1180", 17, 2, "      -1,180.00"},
        NumShown{"@Z 9999,999,999.99", "1234567890.5", 17, 2, "1234,567,890.50"},
        NumShown{"@Z 9999,999,999.99", "9999999999.99", 17, 2, "9999,999,999.99"},
        NumShown{"@Z 9999,999,999.99", "0", 17, 2, "               "},
        // exact decimals: binary floating point would give 2.67 and 0.28
        NumShown{"99.99", "2.675", 5, 2, " 2.68"}, NumShown{"99.99", "0.285", 5, 2, " 0.29"},
        NumShown{"99.99", "-2.675", 5, 2, "-2.68"}));

INSTANTIATE_TEST_SUITE_P(
    RatesAndCounters, NumberDisplay,
    ::testing::Values(
        NumShown{"9999", "0", 4, 0, "   0"}, NumShown{"9999", "12.5", 4, 0, "  13"},
        NumShown{"9999", "-12.5", 4, 0, " -13"}, NumShown{"9999", "9999", 4, 0, "9999"},
        NumShown{"9999", "10000", 4, 0, "****"}, NumShown{"9999", "-999", 4, 0, "-999"},
        NumShown{"9999", "-1000", 4, 0, "****"}, NumShown{"@Z 9999", "0", 4, 0, "    "},
        NumShown{"@Z 9999", "7", 4, 0, "   7"}, NumShown{"99", "13", 2, 0, "13"}, NumShown{"99", "0", 2, 0, " 0"},
        NumShown{"99.99", "18", 6, 4, "18.00"}, NumShown{"99.99", "0.5", 6, 4, " 0.50"},
        NumShown{"99.99", "-0.5", 6, 4, "-0.50"}, NumShown{"99.99", "12.345", 6, 4, "12.35"},
        NumShown{"99.99", "12.344", 6, 4, "12.34"}, NumShown{"99.99", "99.995", 6, 4, "*****"},
        NumShown{"99.99", "-10", 6, 4, "*****"}, NumShown{"99.99", "-0.001", 6, 4, " 0.00"},
        NumShown{"9999", "-0.4", 4, 0, "   0"}, NumShown{"99.999", "3.45678", 10, 5, " 3.457"},
        NumShown{"99.999", "2.8125", 10, 5, " 2.813"}, NumShown{"99.999", "-2.8125", 10, 5, "-2.813"},
        NumShown{"99.999", "0", 10, 5, " 0.000"}, NumShown{"@Z 99.999", "0", 10, 5, "      "},
        NumShown{"@Z 99.999", "0.0004", 10, 5, "      "}, NumShown{"@Z 99.999", "3.3", 10, 5, " 3.300"},
        NumShown{"99.9999999", "3.12345", 10, 5, " 3.1234500"}, NumShown{".99", "0.25", 3, 2, ".25"},
        NumShown{".99", "-0.25", 3, 2, "***"}));

INSTANTIATE_TEST_SUITE_P(
    WithoutPicture, NumberDisplay,
    ::testing::Values(NumShown{"", "1234.5", 10, 2, "   1234.50"}, NumShown{"", "12", 4, 0, "  12"},
                      NumShown{"", "12345", 4, 0, "****"}, NumShown{"", "-5", 4, 0, "  -5"},
                      NumShown{"", "0.005", 10, 2, "      0.01"}, NumShown{"", "-0.001", 6, 2, "  0.00"},
                      NumShown{"", "0", 6, 2, "  0.00"}, NumShown{"@Z", "0", 6, 2, "      "},
                      NumShown{"@Z", "0.004", 6, 2, "      "}, NumShown{"@!", "3", 6, 2, "  3.00"},
                      NumShown{"!!", "3", 4, 0, "   3"}));

// ------------------------------------------------------------------ text, dates and logicals

struct TextShown {
    const char* picture;
    const char* value;  // table bytes
    int width;
    const char* shown;
    friend std::ostream& operator<<(std::ostream& o, const TextShown& t) {
        return o << '"' << t.picture << "\" \"" << t.value << "\" " << t.width;
    }
};

class TextDisplay : public ::testing::TestWithParam<TextShown> {};

TEST_P(TextDisplay, ShowsTextThroughThePicture) {
    const TextShown& t = GetParam();
    Picture p = Picture::parse(t.picture);
    std::string shown = p.display(Value(t.value), t.width, 0);
    EXPECT_EQ(shown, t.shown);
    if (t.width > 0) {
        EXPECT_EQ(static_cast<int>(shown.size()), p.displayWidth(Type::Char, t.width, 0));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextDisplay,
    ::testing::Values(TextShown{"@!", "a\xF1o nuevo", 12, "A\xD1O NUEVO   "}, TextShown{"!", "s", 1, "S"},
                      TextShown{"!!", "ab", 2, "AB"}, TextShown{"!!", "a", 2, "A "}, TextShown{"!!", "abc", 5, "AB"},
                      TextShown{"!!!", "mp1", 3, "MP1"}, TextShown{"!!!!", "1a2b", 4, "1A2B"},
                      TextShown{"!!!!!!!!!!", "gastos adm", 10, "GASTOS ADM"},
                      TextShown{"", "Conversi\xF3n", 12, "Conversi\xF3n  "}, TextShown{"", "Conversi\xF3n", 4, "Conv"},
                      TextShown{"", "d\xF3lares", 0, "d\xF3lares"}, TextShown{"!!-!!", "ab-cd", 5, "AB-CD"},
                      TextShown{"XXXX", "abcd", 4, "abcd"}, TextShown{"@! XXX", "abc", 3, "ABC"},
                      TextShown{"@!", "\xFF\x9A\x9E\x9C\xE9\xFC\xF7\xDF", 8, "\x9F\x8A\x8E\x8C\xC9\xDC\xF7\xDF"}));

TEST(DateDisplay, AlwaysDayMonthFullYear) {
    for (const char* pic : {"", "99/99/99", "99/99/9999", "@Z", "@!"}) {
        Picture p = Picture::parse(pic);
        EXPECT_EQ(p.display(Value(ymd(2012, 1, 15)), 8, 0), "15/01/2012") << pic;
        EXPECT_EQ(p.display(Value(ymd(1999, 12, 31)), 8, 0), "31/12/1999") << pic;
        EXPECT_EQ(p.display(Value(store::Date()), 8, 0), "  /  /    ") << pic;
        EXPECT_EQ(p.displayWidth(Type::Date, 8, 0), 10) << pic;
    }
}

TEST(LogicDisplay, SOrN) {
    Picture p;
    EXPECT_EQ(p.display(Value(true), 1, 0), "S");
    EXPECT_EQ(p.display(Value(false), 1, 0), "N");
    EXPECT_EQ(p.displayWidth(Type::Logic, 1, 0), 1);
}

// ------------------------------------------------------------------ input

struct NumTyped {
    const char* picture;
    const char* typed;
    int width;
    int decimals;
    const char* value;  // nullptr when refused
    const char* error;
    friend std::ostream& operator<<(std::ostream& o, const NumTyped& n) {
        return o << '"' << n.picture << "\" typed \"" << n.typed << "\" (" << n.width << "," << n.decimals << ")";
    }
};

class NumberInput : public ::testing::TestWithParam<NumTyped> {};

TEST_P(NumberInput, ReadsOrRefuses) {
    const NumTyped& n = GetParam();
    Picture p = Picture::parse(n.picture);
    Picture::Parsed r = p.parseInput(n.typed, Type::Num, n.width, n.decimals);
    if (n.value) {
        ASSERT_TRUE(r.ok()) << r.error;
        ASSERT_TRUE(r.value->isNum());
        EXPECT_EQ(r.value->num(), Decimal::of(n.value));
        int allowed = p.decimalDigits() >= 0 ? p.decimalDigits() : n.decimals;
        EXPECT_LE(r.value->num().scale(), allowed);
        EXPECT_TRUE(r.error.empty());
    } else {
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.error, n.error);
    }
}

constexpr const char* kInvalid = "Número inválido";

INSTANTIATE_TEST_SUITE_P(
    Accepted, NumberInput,
    ::testing::Values(NumTyped{"@Z 999,999,999.99", "1,234.5", 17, 2, "1234.5", ""},
                      NumTyped{"@Z 999,999,999.99", "     -1,180.00", 17, 2, "-1180", ""},
                      NumTyped{"@Z 999,999,999.99", "", 17, 2, "0", ""},
                      NumTyped{"@Z 999,999,999.99", "              ", 17, 2, "0", ""},
                      NumTyped{"@Z 999,999,999.99", "999999999.99", 17, 2, "999999999.99", ""},
                      NumTyped{"@Z 999,999,999.99", "-99,999,999.99", 17, 2, "-99999999.99", ""},
                      NumTyped{"@Z 999,999,999.99", "0.005", 17, 2, "0.01", ""},
                      NumTyped{"99.99", "12.345", 6, 4, "12.35", ""}, NumTyped{"99.99", "12.344", 6, 4, "12.34", ""},
                      NumTyped{"99.99", "2.675", 6, 4, "2.68", ""}, NumTyped{"99.999", "3.4567", 10, 5, "3.457", ""},
                      NumTyped{"99.9999999", "3.123456789", 10, 5, "3.1234568", ""},
                      NumTyped{"9999", "12.5", 4, 0, "13", ""}, NumTyped{"9999", "-12", 4, 0, "-12", ""},
                      NumTyped{"9999", "+5", 4, 0, "5", ""}, NumTyped{"9999", "-  5", 4, 0, "-5", ""},
                      NumTyped{"9999", "0012", 4, 0, "12", ""}, NumTyped{"99", "13", 2, 0, "13", ""},
                      NumTyped{"", "9999", 4, 0, "9999", ""}, NumTyped{"", "-999", 4, 0, "-999", ""},
                      NumTyped{"", "1.005", 10, 2, "1.01", ""}, NumTyped{"", "-0", 4, 0, "0", ""},
                      NumTyped{"", "123456789012", 0, 0, "123456789012", ""}));

INSTANTIATE_TEST_SUITE_P(
    Refused, NumberInput,
    ::testing::Values(
        NumTyped{"@Z 999,999,999.99", "1234567890", 17, 2, nullptr, "El número no cabe en el formato 999,999,999.99"},
        NumTyped{"@Z 999,999,999.99", "-999999999", 17, 2, nullptr, "El número no cabe en el formato 999,999,999.99"},
        NumTyped{"@Z 999,999,999.99", "999999999.995", 17, 2, nullptr,
                 "El número no cabe en el formato 999,999,999.99"},
        NumTyped{"99.99", "100", 6, 4, nullptr, "El número no cabe en el formato 99.99"},
        NumTyped{"99.99", "99.996", 6, 4, nullptr, "El número no cabe en el formato 99.99"},
        NumTyped{"9999", "10000", 4, 0, nullptr, "El número no cabe en el formato 9999"},
        NumTyped{"", "12345", 4, 0, nullptr, "El número no cabe en el campo de 4 posiciones"},
        NumTyped{"", "-9999", 4, 0, nullptr, "El número no cabe en el campo de 4 posiciones"},
        NumTyped{"9999", "99999999999999999999999999999999999999999", 4, 0, nullptr,
                 "El número no cabe en el formato 9999"},
        NumTyped{"9999", "12a", 4, 0, nullptr, kInvalid}, NumTyped{"9999", "1.2.3", 4, 0, nullptr, kInvalid},
        NumTyped{"9999", "--5", 4, 0, nullptr, kInvalid}, NumTyped{"9999", "-", 4, 0, nullptr, kInvalid},
        NumTyped{"9999", ".", 4, 0, nullptr, kInvalid}, NumTyped{"9999", ",", 4, 0, nullptr, kInvalid},
        NumTyped{"@Z 999,999,999.99", "1,234.5,6", 17, 2, nullptr, kInvalid},
        NumTyped{"@Z 999,999,999.99", "**************", 17, 2, nullptr, kInvalid},
        NumTyped{"9999", "5-", 4, 0, nullptr, kInvalid}, NumTyped{"9999", "1e5", 4, 0, nullptr, kInvalid},
        NumTyped{"9999", "1 234", 4, 0, nullptr, kInvalid}));

TEST(NumberInput, WhatIsShownReadsBackAsTheRoundedValue) {
    for (const char* pic : {"@Z 999,999,999.99", "@Z 9999,999,999.99", "99.999", "@Z 99.999", "99.99", "9999",
                            "@Z 9999", "99.9999999"}) {
        Picture p = Picture::parse(pic);
        for (const char* v : {"0", "1", "-1", "0.5", "-0.5", "12.3456", "-12.3456", "99", "-98.76543", "1180",
                              "-1180", "1234567.891", "-99999999.99", "9999"}) {
            Decimal d = Decimal::of(v);
            std::string shown = p.display(Value(d), 17, 5);
            if (shown.find('*') != std::string::npos) continue;  // does not fit this picture
            Picture::Parsed r = p.parseInput(shown, Type::Num, 17, 5);
            ASSERT_TRUE(r.ok()) << pic << " " << v << " shown as \"" << shown << "\": " << r.error;
            EXPECT_EQ(r.value->num(), d.rounded(p.decimalDigits())) << pic << " " << v << " \"" << shown << "\"";
        }
    }
}

struct DateTyped {
    const char* typed;
    int epoch;
    const char* dtos;  // "" for the empty date, nullptr when refused
    friend std::ostream& operator<<(std::ostream& o, const DateTyped& d) {
        return o << '"' << d.typed << "\" epoch " << d.epoch;
    }
};

class DateInput : public ::testing::TestWithParam<DateTyped> {};

TEST_P(DateInput, ReadsOrRefuses) {
    const DateTyped& d = GetParam();
    for (const char* pic : {"", "99/99/99", "99/99/9999"}) {
        Picture::Parsed r = Picture::parse(pic).parseInput(d.typed, Type::Date, 10, 0, d.epoch);
        if (d.dtos) {
            ASSERT_TRUE(r.ok()) << d.typed << ": " << r.error;
            ASSERT_TRUE(r.value->isDate());
            EXPECT_EQ(r.value->date().dtos(), std::string(d.dtos).empty() ? "        " : d.dtos) << d.typed;
        } else {
            EXPECT_FALSE(r.ok()) << d.typed;
            EXPECT_EQ(r.error, "Fecha inválida") << d.typed;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateInput,
    ::testing::Values(DateTyped{"15/01/2012", 1970, "20120115"}, DateTyped{"15/01/12", 1970, "20120115"},
                      DateTyped{"15/01/69", 1970, "20690115"}, DateTyped{"15/01/70", 1970, "19700115"},
                      DateTyped{"15/01/69", 1950, "19690115"}, DateTyped{"150112", 1970, "20120115"},
                      DateTyped{"15012012", 1970, "20120115"}, DateTyped{" 1/2/2012 ", 1970, "20120201"},
                      DateTyped{"29/02/2012", 1970, "20120229"}, DateTyped{"", 1970, ""},
                      DateTyped{"  /  /    ", 1970, ""}, DateTyped{"  /  /  ", 1970, ""},
                      DateTyped{"31/02/2012", 1970, nullptr}, DateTyped{"29/02/2013", 1970, nullptr},
                      DateTyped{"15/13/2012", 1970, nullptr}, DateTyped{"32/01/2012", 1970, nullptr},
                      DateTyped{"00/01/2012", 1970, nullptr}, DateTyped{"15/01", 1970, nullptr},
                      DateTyped{"15/01/012", 1970, nullptr}, DateTyped{"aa/bb/cccc", 1970, nullptr},
                      DateTyped{"15-01-2012", 1970, nullptr}, DateTyped{"1501", 1970, nullptr},
                      DateTyped{"15/01/2012x", 1970, nullptr}));

TEST(DateInput, ShownDatesReadBack) {
    Picture p = Picture::parse("99/99/99");
    for (store::Date d : {ymd(2012, 1, 15), ymd(1969, 7, 20), ymd(2099, 12, 31), store::Date()}) {
        Picture::Parsed r = p.parseInput(p.display(Value(d), 10, 0), Type::Date, 10, 0);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.value->date(), d);
    }
}

struct LogicTyped {
    const char* typed;
    int value;  // 1 true, 0 false, -1 refused
    friend std::ostream& operator<<(std::ostream& o, const LogicTyped& l) { return o << '"' << l.typed << '"'; }
};

class LogicInput : public ::testing::TestWithParam<LogicTyped> {};

TEST_P(LogicInput, ReadsOrRefuses) {
    Picture::Parsed r = Picture().parseInput(GetParam().typed, Type::Logic, 1, 0);
    if (GetParam().value < 0) {
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.error, "Valor lógico inválido: escriba S o N");
    } else {
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.value->logic(), GetParam().value == 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LogicInput,
                         ::testing::Values(LogicTyped{"S", 1}, LogicTyped{"s", 1}, LogicTyped{" T ", 1},
                                           LogicTyped{"s\xED", 1}, LogicTyped{".T.", 1}, LogicTyped{"N", 0},
                                           LogicTyped{"n", 0}, LogicTyped{"", 0}, LogicTyped{"F", 0},
                                           LogicTyped{"no", 0}, LogicTyped{"x", -1}, LogicTyped{"SN", -1}));

TEST(TextInput, TakesTheFilteredText) {
    Picture::Parsed r = Picture::parse("@!").parseInput("\xF1" "and\xFA", Type::Char, 10, 0);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value->text(), "\xD1" "AND\xDA");
    r = Picture::parse("!!").parseInput("abc", Type::Char, 5, 0);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value->text(), "AB");
}

// ------------------------------------------------------------------ typing

struct Typed {
    const char* picture;
    const char* typed;
    int width;
    Type type;
    const char* kept;
    friend std::ostream& operator<<(std::ostream& o, const Typed& t) {
        return o << '"' << t.picture << "\" typed \"" << t.typed << "\" " << t.width << " " << static_cast<char>(t.type);
    }
};

class FilterText : public ::testing::TestWithParam<Typed> {};

TEST_P(FilterText, AppliesTheInputMask) {
    const Typed& t = GetParam();
    EXPECT_EQ(Picture::parse(t.picture).filterText(t.typed, t.width, t.type), t.kept);
}

INSTANTIATE_TEST_SUITE_P(
    Text, FilterText,
    ::testing::Values(Typed{"!!", "ab", 2, Type::Char, "AB"}, Typed{"!!", "abc", 2, Type::Char, "AB"},
                      Typed{"!!", "a", 2, Type::Char, "A"}, Typed{"!", "d", 1, Type::Char, "D"},
                      Typed{"!!!", "mp1x", 3, Type::Char, "MP1"}, Typed{"!!!!", "ab", 4, Type::Char, "AB"},
                      Typed{"@!", "d\xF3lares", 30, Type::Char, "D\xD3LARES"},
                      Typed{"@!", "abcdef", 4, Type::Char, "ABCD"}, Typed{"", "abc", 2, Type::Char, "ab"},
                      Typed{"", "abc", 0, Type::Char, "abc"},
                      Typed{"!!!!!!!!!!", "abcdefghijkl", 20, Type::Char, "ABCDEFGHIJ"},
                      Typed{"!!!!!!!!!!", "abcdefghijkl", 6, Type::Char, "ABCDEF"},
                      Typed{"!!-!!", "abcd", 5, Type::Char, "AB-CD"}, Typed{"!!-!!", "ab-cd", 5, Type::Char, "AB-CD"},
                      Typed{"!!-!!", "ab", 5, Type::Char, "AB"}, Typed{"XXXX", "abcd", 4, Type::Char, "abcd"},
                      Typed{"@! XXXX", "abcd", 4, Type::Char, "ABCD"}, Typed{"@!", "", 4, Type::Char, ""}));

INSTANTIATE_TEST_SUITE_P(
    Others, FilterText,
    ::testing::Values(Typed{"99.99", "1a2.5x", 6, Type::Num, "12.5"},
                      Typed{"@Z 999,999,999.99", "-1,234.50", 17, Type::Num, "-1,234.50"},
                      Typed{"@Z 999,999,999.99", "1234567890123456", 17, Type::Num, "12345678901234"},
                      Typed{"", "123456", 4, Type::Num, "1234"}, Typed{"", "15/01/2012x", 10, Type::Date, "15/01/2012"},
                      Typed{"99/99/99", "15a01", 10, Type::Date, "1501"},
                      Typed{"", "15/01/20123", 10, Type::Date, "15/01/2012"}, Typed{"", " s", 1, Type::Logic, "S"},
                      Typed{"", "no", 1, Type::Logic, "N"}, Typed{"", "", 1, Type::Logic, ""}));

}  // namespace
