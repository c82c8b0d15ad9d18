#include "platform/lz.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/files.h"
#include "szdd_writer.h"
#include "test_support.h"

namespace platform_test {
namespace {

std::string bytes(std::initializer_list<unsigned char> values) { return std::string(values.begin(), values.end()); }

// Streams laid out by hand from the format's description, independent of the test writer.
TEST(SzddExpansion, ExpandsHandAssembledStreams) {
  struct Case {
    std::string_view what;
    std::string stream;
    std::string expected;
  };
  const Case cases[] = {
      {"nothing", szddHeader(0), ""},
      {"literals", szddHeader(3) + bytes({0x07, 'a', 'b', 'c'}), "abc"},
      // "ABC" lands at 0xFF0..0xFF2; a match of 6 from 0xFF0 overlaps what it writes.
      {"overlapping match", szddHeader(9) + bytes({0x07, 'A', 'B', 'C', 0xF0, 0xF3}), "ABCABCABC"},
      // Position 0 holds one of the blanks the window starts with.
      {"match on the initial blanks", szddHeader(4) + bytes({0x02, 0x00, 0x00, 'x'}), "   x"},
      // Length nibble 0x0F: 18 bytes.
      {"longest match", szddHeader(21) + bytes({0x07, 'A', 'B', 'C', 0xF0, 0xFF}), "ABCABCABCABCABCABCABC"},
      {"stops at the announced length", szddHeader(5) + bytes({0x07, 'A', 'B', 'C', 0xF0, 0xF3}), "ABCAB"},
      {"ignores data after the announced length", szddHeader(2) + bytes({0xFF, 'a', 'b', 'c', 'd'}), "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::Result<std::string> expanded = platform::expandSzdd(c.stream);
    ASSERT_TRUE(expanded.ok()) << expanded.message();
    EXPECT_EQ(expanded.value(), c.expected);
  }
}

std::string sampleTable() {
  std::string table;
  for (int i = 0; i < 300; ++i)
    table += " 10" + std::to_string(1000 + i) + "     CAJA CHICA " + std::to_string(i % 7) + "          0.00\r\n";
  return table;
}

std::string randomBytes(std::size_t size) {
  std::mt19937 generator(42);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(generator() & 0xFF);
  return data;
}

std::string everyByte() {
  std::string data;
  for (int round = 0; round < 3; ++round)
    for (int b = 0; b < 256; ++b) data.push_back(static_cast<char>(b));
  return data;
}

struct Sample {
  std::string_view what;
  std::string data;
  bool compressible;
};

std::vector<Sample> samples() {
  return {
      {"empty", "", false},
      {"short", "hola", false},
      {"dbf-like table beyond one window", sampleTable(), true},
      {"long run (matches one byte back)", std::string(10000, 'a'), true},
      {"leading blanks (matches on the initial window)", std::string(40, ' ') + "fin", true},
      {"every byte value", everyByte(), true},
      {"incompressible", randomBytes(6000), false},
  };
}

TEST(SzddExpansion, ExpandsWhatTheWriterCompressed) {
  for (const Sample& sample : samples()) {
    SCOPED_TRACE(sample.what);
    const std::string compressed = compressSzdd(sample.data);
    if (sample.compressible) {
      EXPECT_LT(compressed.size(), sample.data.size());
    }
    platform::Result<std::string> expanded = platform::expandSzdd(compressed);
    ASSERT_TRUE(expanded.ok()) << expanded.message();
    EXPECT_EQ(expanded.value(), sample.data);
  }
}

TEST(SzddExpansion, EveryTruncationFails) {
  const std::string compressed = compressSzdd(sampleTable().substr(0, 700));
  for (std::size_t size = 8; size < compressed.size(); ++size) {
    SCOPED_TRACE(size);
    platform::Result<std::string> expanded = platform::expandSzdd(std::string_view(compressed).substr(0, size));
    ASSERT_FALSE(expanded.ok());
    EXPECT_NE(expanded.message().find("dañado"), std::string::npos) << expanded.message();
  }
}

TEST(SzddExpansion, RefusesOtherModesAndImpossibleLengths) {
  std::string otherMode = compressSzdd("hola");
  otherMode[8] = 'B';
  EXPECT_FALSE(platform::expandSzdd(otherMode).ok());

  const std::string huge = szddHeader(0xFFFFFFF0u) + bytes({0xFF, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'});
  EXPECT_FALSE(platform::expandSzdd(huge).ok());
}

TEST(SzddExpansion, RecognisesTheMagic) {
  EXPECT_TRUE(platform::looksLikeSzdd(szddHeader(0)));
  EXPECT_TRUE(platform::looksLikeSzdd(szddHeader(0).substr(0, 8)));
  EXPECT_FALSE(platform::looksLikeSzdd(szddHeader(0).substr(0, 7)));
  EXPECT_FALSE(platform::looksLikeSzdd("SZDD plain text"));
  EXPECT_FALSE(platform::looksLikeSzdd(""));
}

class CopyExpandingTest : public PlatformTest {
 protected:
  CopyExpandingTest() {
    fs::create_directories(start() / "datos");
    fs::create_directories(start() / "drive_c" / "QRX2012");
  }
  fs::path company() const { return start() / "drive_c" / "QRX2012"; }
};

TEST_F(CopyExpandingTest, CompressedTemplateIsExpanded) {
  const std::string table = sampleTable();
  writeFile(start() / "datos" / "zdr_plan.db_", compressSzdd(table));
  const platform::Status status = platform::copyExpanding("datos\\ZDR_PLAN.DB_", "C:\\QRX2012\\zdr_plan.dbf");
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(readFile(company() / "zdr_plan.dbf"), table);
}

TEST_F(CopyExpandingTest, OtherFilesAreCopiedUnchanged) {
  for (const std::string& contents : {std::string(), std::string("SZDD"), std::string("SZDD\x88\xF0\x27"),
                                      sampleTable(), randomBytes(100000)}) {
    SCOPED_TRACE(contents.size());
    writeFile(start() / "datos" / "zdr_to.db_", contents);
    ASSERT_TRUE(platform::copyExpanding("datos\\zdr_to.db_", "C:\\QRX2012\\zdr_to.dbf").ok());
    EXPECT_EQ(readFile(company() / "zdr_to.dbf"), contents);
  }
}

TEST_F(CopyExpandingTest, TruncatedFileFailsAndLeavesNoTarget) {
  const std::string compressed = compressSzdd(sampleTable());
  writeFile(start() / "datos" / "zdr_vou.db_", compressed.substr(0, compressed.size() / 2));
  const platform::Status status = platform::copyExpanding("datos\\zdr_vou.db_", "C:\\QRX2012\\zdr_vou.dbf");
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("\"datos\\zdr_vou.db_\""), std::string::npos) << status.message();
  EXPECT_TRUE(namesIn(company()).empty());
}

TEST_F(CopyExpandingTest, TruncatedFileKeepsAnExistingTarget) {
  writeFile(company() / "zdr_var.dbf", "existing data");
  writeFile(start() / "datos" / "zdr_var.db_", szddHeader(1000) + bytes({0xFF, 'a', 'b'}));
  EXPECT_FALSE(platform::copyExpanding("datos\\zdr_var.db_", "C:\\QRX2012\\zdr_var.dbf").ok());
  EXPECT_EQ(readFile(company() / "zdr_var.dbf"), "existing data");
  EXPECT_EQ(namesIn(company()), std::vector<std::string>{"zdr_var.dbf"});
}

TEST_F(CopyExpandingTest, PlainCopyLeavesCompressedFilesAsTheyAre) {
  const std::string compressed = compressSzdd(sampleTable());
  writeFile(start() / "datos" / "zdr_fe.db_", compressed);
  ASSERT_TRUE(platform::copyFile("datos\\zdr_fe.db_", "C:\\QRX2012\\zdr_fe.db_").ok());
  EXPECT_EQ(readFile(company() / "zdr_fe.db_"), compressed);
}

}  // namespace
}  // namespace platform_test
