#include "tools/csv.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using tools::csv::CsvError;
using tools::csv::Reader;
using tools::csv::Record;

struct ReadCase {
    const char* name;
    std::string input;
    std::vector<std::pair<long, std::vector<std::string>>> records;  // line, cells
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::pair<long, std::vector<std::string>>> readAll(const std::string& input) {
    std::istringstream in(input);
    Reader r(in);
    Record rec;
    std::vector<std::pair<long, std::vector<std::string>>> got;
    while (r.next(rec)) got.push_back({rec.line, rec.cells});
    return got;
}

class CsvRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CsvRead, GivesCellsAndStartingLines) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(readAll(c.input), c.records);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvRead,
    ::testing::Values(
        ReadCase{"lf", "a,b\n1,2\n", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
        ReadCase{"crlf", "a,b\r\n1,2\r\n", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
        ReadCase{"lone_cr", "a\rb\r", {{1, {"a"}}, {2, {"b"}}}},
        ReadCase{"no_final_newline", "a,b\n1,2", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
        ReadCase{"quoted_specials",
                 "a,b\n\"x,y\",\"he said \"\"hi\"\"\"\n\"l1\nl2\",z\n3,4\n",
                 {{1, {"a", "b"}}, {2, {"x,y", "he said \"hi\""}}, {3, {"l1\nl2", "z"}}, {5, {"3", "4"}}}},
        ReadCase{"quoted_crlf_kept", "\"l1\r\nl2\",z\r\nq\r\n", {{1, {"l1\r\nl2", "z"}}, {3, {"q"}}}},
        ReadCase{"empty_lines_skipped", "a\n\n\r\nb\n", {{1, {"a"}}, {4, {"b"}}}},
        ReadCase{"empty_cells", "a,,b\n,\n", {{1, {"a", "", "b"}}, {2, {"", ""}}}},
        ReadCase{"quoted_empty_is_a_record", "\"\"\n", {{1, {""}}}},
        ReadCase{"blanks_kept", " a , b \n", {{1, {" a ", " b "}}}},
        ReadCase{"bom_dropped", "\xEF\xBB\xBF" "a,b\n", {{1, {"a", "b"}}}},
        ReadCase{"not_a_bom_kept", "\xEF" "x,b\n", {{1, {"\xEF" "x", "b"}}}},
        ReadCase{"short_not_a_bom", "\xEF\xBB", {{1, {"\xEF\xBB"}}}},
        ReadCase{"single_byte_text_untouched", "\xD1" "and\xFA,\xA0\n", {{1, {"\xD1" "and\xFA", "\xA0"}}}},
        ReadCase{"empty_input", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase {
    const char* name;
    std::string input;
    long line;
    const char* says;
};
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class CsvBad : public ::testing::TestWithParam<BadCase> {};

TEST_P(CsvBad, ReportsTheLineWhereTheRecordStarts) {
    const BadCase& c = GetParam();
    try {
        readAll(c.input);
        FAIL() << "accepted";
    } catch (const CsvError& e) {
        EXPECT_EQ(e.line(), c.line);
        EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvBad,
    ::testing::Values(BadCase{"unterminated", "a\n\"abc\ndef\n", 2, "comillas sin cerrar"},
                      BadCase{"text_after_closing_quote", "a,b\n1,\"ab\"c\n", 2, "columna 2"},
                      BadCase{"quote_inside_plain_value", "a\n\nab\"c\n", 3, "columna 1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvQuote, QuotesOnlyWhatNeedsIt) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain", "plain"},          {"", ""},
        {" lead", " lead"},          {"a,b", "\"a,b\""},
        {"say \"x\"", "\"say \"\"x\"\"\""}, {"l1\nl2", "\"l1\nl2\""},
        {"cr\r", "\"cr\r\""},        {"\"", "\"\"\"\""},
    };
    for (const auto& [cell, written] : cases) EXPECT_EQ(tools::csv::quote(cell), written) << cell;
}

TEST(CsvQuote, WrittenRecordsReadBackUnchanged) {
    std::vector<std::string> cells = {"", "plain", "a,b", "\"q\"", "l1\nl2", "cr\r\nlf", " ", "\xD1"};
    std::string text;
    tools::csv::appendRecord(text, cells);
    tools::csv::appendRecord(text, {"last"});
    auto got = readAll(text);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].second, cells);
    EXPECT_EQ(got[1].second, std::vector<std::string>{"last"});
}

}  // namespace
