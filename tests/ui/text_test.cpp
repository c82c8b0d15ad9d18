#include "ui/text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace ui;

// Windows-1252 bytes that the code page leaves undefined.
bool undefinedIn1252(int b) { return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D; }

// Bytes written as \xNN where they are not printable ASCII, for failure messages.
std::string escaped(std::string_view s) {
    std::string out;
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

struct Pair {
    const char* utf8;
    const char* bytes;
    friend std::ostream& operator<<(std::ostream& o, const Pair& p) { return o << escaped(p.bytes); }
};

class TableText : public ::testing::TestWithParam<Pair> {};

TEST_P(TableText, ConvertsBothWays) {
    const Pair& p = GetParam();
    EXPECT_EQ(text::fromTable(p.bytes), p.utf8);
    EXPECT_EQ(text::toTable(p.utf8), p.bytes);
    EXPECT_EQ(text::tableLength(p.utf8), std::string(p.bytes).size());
}

INSTANTIATE_TEST_SUITE_P(
    Spanish, TableText,
    ::testing::Values(Pair{"", ""}, Pair{"CAJA Y BANCOS 104", "CAJA Y BANCOS 104"},
                      Pair{"Conversión", "Conversi\xF3n"}, Pair{"AÑO", "A\xD1O"}, Pair{"Dólares", "D\xF3lares"},
                      Pair{"¿ Está seguro", "\xBF Est\xE1 seguro"}, Pair{"€", "\x80"},
                      Pair{"Razón Social: ñandú", "Raz\xF3n Social: \xF1" "and\xFA"},
                      Pair{"¡Atención! Débito/Crédito", "\xA1" "Atenci\xF3n! D\xE9" "bito/Cr\xE9" "dito"},
                      Pair{"‚ƒ„…†‡ˆ‰Š‹Œ Ž", "\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C \x8E"},
                      Pair{"ÿ Ÿ š ž œ ü Ü", "\xFF \x9F \x9A \x9E \x9C \xFC \xDC"}));

struct Cp850Pair {
    const char* utf8;
    const char* bytes;
    friend std::ostream& operator<<(std::ostream& o, const Cp850Pair& p) { return o << escaped(p.bytes); }
};

class Cp850Text : public ::testing::TestWithParam<Cp850Pair> {};

TEST_P(Cp850Text, ConvertsBothWays) {
    const Cp850Pair& p = GetParam();
    EXPECT_EQ(text::fromCp850(p.bytes), p.utf8);
    EXPECT_EQ(text::toCp850(p.utf8), p.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Spanish, Cp850Text,
    ::testing::Values(Cp850Pair{"ó", "\xA2"}, Cp850Pair{"ñ", "\xA4"}, Cp850Pair{"Ñ", "\xA5"},
                      Cp850Pair{"Ajuste por Conversión a M/E", "Ajuste por Conversi\xA2n a M/E"},
                      Cp850Pair{"á é í ú ü É ¿ ¡", "\xA0 \x82 \xA1 \xA3 \x81 \x90 \xA8 \xAD"},
                      Cp850Pair{"AÑO", "A\xA5O"}, Cp850Pair{"", ""}));

TEST(TableText, EveryDefinedByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        if (undefinedIn1252(b)) continue;
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(text::toTable(text::fromTable(one)), one) << "byte " << b;
        all += one;
    }
    std::string shown = text::fromTable(all);
    EXPECT_EQ(text::tableLength(shown), all.size());
    EXPECT_EQ(text::toTable(shown), all);
}

TEST(TableText, UndefinedBytesShowAsReplacementAndComeBackAsQuestionMarks) {
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        std::string bytes = std::string("a") + static_cast<char>(b) + "b";
        EXPECT_EQ(text::fromTable(bytes), "a\xEF\xBF\xBD" "b") << "byte " << b;
        EXPECT_EQ(text::toTable(text::fromTable(bytes)), "a?b") << "byte " << b;
    }
}

TEST(TableText, GeneratedCp850DescriptionsReadAsWindowsText) {
    // A description generated in code page 850 and stored as it is: its "ó"
    // byte reads as "¢" in the Windows set, and converts properly when taken
    // as code page 850.
    const std::string stored = "Ajuste por Conversi\xA2n a M/E";
    EXPECT_EQ(text::fromTable(stored), "Ajuste por Conversi¢n a M/E");
    EXPECT_EQ(text::toTable(text::fromCp850(stored)), "Ajuste por Conversi\xF3n a M/E");
}

TEST(Cp850Text, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string shown = text::fromCp850(all);
    EXPECT_EQ(text::tableLength(shown), 256u);
    EXPECT_EQ(text::toCp850(shown), all);
}

struct Lossy {
    const char* utf8;
    const char* table;  // what toTable gives
    const char* cp850;  // what toCp850 gives
    friend std::ostream& operator<<(std::ostream& o, const Lossy& l) { return o << escaped(l.utf8); }
};

class LossyText : public ::testing::TestWithParam<Lossy> {};

TEST_P(LossyText, OneQuestionMarkPerCharacterOrInvalidByte) {
    const Lossy& p = GetParam();
    EXPECT_EQ(text::toTable(p.utf8), p.table);
    EXPECT_EQ(text::toCp850(p.utf8), p.cp850);
    EXPECT_EQ(text::tableLength(p.utf8), std::string(p.table).size());
    EXPECT_EQ(text::tableLength(p.utf8), std::string(p.cp850).size());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LossyText,
    ::testing::Values(
        // characters the code page cannot hold
        Lossy{"€ 100", "\x80 100", "? 100"}, Lossy{"Ω", "?", "?"}, Lossy{"日本", "??", "??"},
        Lossy{"a😀b", "a?b", "a?b"}, Lossy{"Š", "\x8A", "?"},
        // invalid UTF-8: every byte outside a well-formed sequence
        Lossy{"a\xC3", "a?", "a?"}, Lossy{"\xC3(ñ", "?(\xF1", "?(\xA4"}, Lossy{"\xE2\x82", "??", "??"},
        Lossy{"\x80x", "?x", "?x"}, Lossy{"\xC0\xAF", "??", "??"}, Lossy{"\xE0\x80\xAF", "???", "???"},
        Lossy{"\xED\xA0\x80", "???", "???"}, Lossy{"\xF4\x90\x80\x80", "????", "????"},
        Lossy{"\xFF\xFE", "??", "??"}, Lossy{"ó\xB3ó", "\xF3?\xF3", "\xA2?\xA2"}));

TEST(TableText, NulBytesAndLongTextsPassThrough) {
    std::string withNul("a\0\xF3", 3);
    EXPECT_EQ(text::toTable(text::fromTable(withNul)), withNul);

    std::string longText;
    for (int i = 0; i < 20000; ++i) longText += "Conversi\xF3n \x80 ";
    std::string shown = text::fromTable(longText);
    EXPECT_EQ(text::tableLength(shown), longText.size());
    EXPECT_EQ(text::toTable(shown), longText);
}

TEST(TableText, ThreadsConvertIndependently) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 500; ++i) {
                if (text::fromTable("A\xD1O") != "AÑO") ++failures[t];
                if (text::toTable("Dólares €") != "D\xF3lares \x80") ++failures[t];
                if (text::fromCp850("\xA2\xA4\xA5") != "óñÑ") ++failures[t];
                if (text::toCp850("ó") != "\xA2") ++failures[t];
            }
        });
    for (auto& th : threads) th.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

struct Upper {
    const char* in;
    const char* out;
    friend std::ostream& operator<<(std::ostream& o, const Upper& u) { return o << escaped(u.in); }
};

class UpperTable : public ::testing::TestWithParam<Upper> {};

TEST_P(UpperTable, UpperCasesTheLettersTheTablesHold) {
    EXPECT_EQ(text::upperTable(GetParam().in), GetParam().out);
    // the same through screen text
    EXPECT_EQ(text::upper(text::fromTable(GetParam().in)), text::fromTable(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpperTable,
    ::testing::Values(Upper{"caja 104", "CAJA 104"}, Upper{"a\xF1o", "A\xD1O"},
                      Upper{"\xE1\xE9\xED\xF3\xFA\xFC", "\xC1\xC9\xCD\xD3\xDA\xDC"},
                      Upper{"\xFF\x9A\x9E\x9C", "\x9F\x8A\x8E\x8C"},
                      // ÷, ß, µ, ª and º have no upper case here
                      Upper{"\xF7\xDF\xB5\xAA\xBA", "\xF7\xDF\xB5\xAA\xBA"}, Upper{"ABC \xD1", "ABC \xD1"},
                      Upper{"", ""}));

TEST(UpperText, InvalidBytesBecomeQuestionMarks) { EXPECT_EQ(text::upper("a\xC3"), "A?"); }

}  // namespace
