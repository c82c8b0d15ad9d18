#include "tools/cells.h"

#include <gtest/gtest.h>

namespace {

using store::FieldInfo;
using store::Type;
using store::Value;

FieldInfo fieldOf(Type t, int length, int decimals = 0) {
    return FieldInfo{"CAMPO", t, 1, static_cast<std::uint16_t>(length), static_cast<std::uint8_t>(decimals)};
}

struct ParseCase {
    const char* name;
    FieldInfo field;
    std::string cell;
    std::optional<Value> value;  // expected when accepted
    const char* error = nullptr;  // expected part of the message when refused
};
void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

Value num(const char* text) { return Value(store::Decimal::of(text)); }
Value date(int y, int m, int d) { return Value(*store::Date::fromYmd(y, m, d)); }

class CellParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CellParse, AcceptsExactlyWhatTheFieldHolds) {
    const ParseCase& c = GetParam();
    if (c.error) {
        try {
            auto v = tools::cells::parse(c.field, c.cell);
            FAIL() << "accepted as " << (v ? v->toDisplay() : "(blank)");
        } catch (const tools::cells::CellError& e) {
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
        }
        return;
    }
    std::optional<Value> v = tools::cells::parse(c.field, c.cell);
    ASSERT_EQ(v.has_value(), c.value.has_value());
    if (v) {
        EXPECT_EQ(*v, *c.value) << v->toDisplay();
    }
}

const FieldInfo C5 = fieldOf(Type::Char, 5);
const FieldInfo N82 = fieldOf(Type::Num, 8, 2);
const FieldInfo N30 = fieldOf(Type::Num, 3, 0);
const FieldInfo N201 = fieldOf(Type::Num, 20, 1);
const FieldInfo N200 = fieldOf(Type::Num, 20, 0);
const FieldInfo N2018 = fieldOf(Type::Num, 20, 18);
const FieldInfo D8 = fieldOf(Type::Date, 8);
const FieldInfo L1 = fieldOf(Type::Logic, 1);

INSTANTIATE_TEST_SUITE_P(
    Text, CellParse,
    ::testing::Values(ParseCase{"short", C5, "abc", Value("abc")},
                      ParseCase{"full", C5, "abcde", Value("abcde")},
                      ParseCase{"leading_blanks_kept", C5, " ab", Value(" ab")},
                      ParseCase{"excess_blanks_dropped", C5, "abcde   ", Value("abcde")},
                      ParseCase{"too_long", C5, "abcdef", std::nullopt, "6 caracteres"},
                      ParseCase{"too_long_before_blanks", C5, "abcdef  ", std::nullopt, "8 caracteres"},
                      ParseCase{"blank", C5, "   ", std::nullopt},
                      ParseCase{"single_byte_untouched", C5, "\xD1" "and\xFA", Value("\xD1" "and\xFA")}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Numbers, CellParse,
    ::testing::Values(ParseCase{"decimal", N82, "10.5", num("10.5")},
                      ParseCase{"negative", N82, "-3", num("-3")},
                      ParseCase{"plus_and_zeros", N82, "+0007.10", num("7.1")},
                      ParseCase{"blanks_around", N82, " 5 ", num("5")},
                      ParseCase{"fills_width", N82, "12345.67", num("12345.67")},
                      ParseCase{"negative_zero", N82, "-0.00", num("0")},
                      ParseCase{"trailing_point", N30, "1.", num("1")},
                      ParseCase{"leading_point", N82, ".25", num("0.25")},
                      ParseCase{"width_with_sign", N30, "-99", num("-99")},
                      ParseCase{"empty", N82, "", std::nullopt},
                      ParseCase{"too_wide", N82, "123456.78", std::nullopt, "no cabe"},
                      ParseCase{"sign_overflows", N82, "-12345.67", std::nullopt, "no cabe"},
                      ParseCase{"integer_too_wide", N30, "1000", std::nullopt, "no cabe"},
                      ParseCase{"too_many_decimals", N82, "1.234", std::nullopt, "decimales"},
                      ParseCase{"decimals_on_integer_field", N30, "1.5", std::nullopt, "decimales"},
                      ParseCase{"zero_decimals_allowed", N82, "1.2300000000000000000000", num("1.23")},
                      ParseCase{"decimal_past_18_not_dropped", N2018, "0.0000000000000000001", std::nullopt, "decimales"},
                      ParseCase{"beyond_64_bits_with_decimals", N201, "922337203685477580.9", std::nullopt,
                                "precisión"},
                      ParseCase{"beyond_64_bits", N200, "12345678901234567890", std::nullopt, "precisión"},
                      ParseCase{"large_but_exact", N201, "92233720368547758.1", num("92233720368547758.1")},
                      ParseCase{"letters", N82, "abc", std::nullopt, "no es un número"},
                      ParseCase{"exponent", N82, "1e5", std::nullopt, "no es un número"},
                      ParseCase{"decimal_comma", N82, "12,50", std::nullopt, "no es un número"},
                      ParseCase{"point_alone", N82, ".", std::nullopt, "no es un número"},
                      ParseCase{"sign_alone", N82, "-", std::nullopt, "no es un número"},
                      ParseCase{"inner_blank", N82, "1 000", std::nullopt, "no es un número"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Dates, CellParse,
    ::testing::Values(ParseCase{"dtos", D8, "20240131", date(2024, 1, 31)},
                      ParseCase{"slashes", D8, "05/02/2024", date(2024, 2, 5)},
                      ParseCase{"short_day_month", D8, "5/2/2024", date(2024, 2, 5)},
                      ParseCase{"leap_day", D8, "29/02/2024", date(2024, 2, 29)},
                      ParseCase{"blank", D8, "        ", std::nullopt},
                      ParseCase{"no_such_day", D8, "31/02/2024", std::nullopt, "fecha inválida"},
                      ParseCase{"no_such_dtos", D8, "20230229", std::nullopt, "fecha inválida"},
                      ParseCase{"iso", D8, "2024-01-31", std::nullopt, "fecha inválida"},
                      ParseCase{"two_digit_year", D8, "05/02/24", std::nullopt, "fecha inválida"},
                      ParseCase{"seven_digits", D8, "2024013", std::nullopt, "fecha inválida"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Logicals, CellParse,
    ::testing::Values(ParseCase{"T", L1, "T", Value(true)}, ParseCase{"y", L1, "y", Value(true)},
                      ParseCase{"f", L1, "f", Value(false)}, ParseCase{"N", L1, " N ", Value(false)},
                      ParseCase{"blank", L1, "", std::nullopt},
                      ParseCase{"X", L1, "X", std::nullopt, "valor lógico inválido"},
                      ParseCase{"word", L1, "TRUE", std::nullopt, "valor lógico inválido"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
