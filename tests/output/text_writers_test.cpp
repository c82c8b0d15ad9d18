#include "output/text_writers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support.h"

using output::G_TXT;
using output::G_TXT2;
using output_test::exists;
using output_test::listing;
using output_test::readFile;
using output_test::TempDir;
using output_test::writeFile;
using store::Store;
using store::Value;
using store::WorkArea;

namespace {

struct Line {
  std::string text;
  bool deleted = false;
};

class TextWriters : public ::testing::Test {
 protected:
  WorkArea& makeTxt(const std::vector<Line>& lines) {
    std::string path = dir_.file("tmptxt.dbf");
    Store::createTable(path, output::textTableFields());
    WorkArea* txt = store_.use(path, "txt", false);
    EXPECT_NE(txt, nullptr);
    for (const auto& l : lines) {
      EXPECT_TRUE(txt->appendBlank());
      txt->put("LTXT", Value(l.text));
      if (l.deleted) txt->markDeleted();
    }
    txt->commit();
    return *txt;
  }

  static std::string padded(const std::string& s, std::size_t width) { return s + std::string(width - s.size(), ' '); }

  TempDir dir_;
  Store store_;
};

TEST_F(TextWriters, TheTextTableHoldsLinesOf512) {
  auto fields = output::textTableFields();
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].name, "LTXT");
  EXPECT_EQ(fields[0].type, store::Type::Char);
  EXPECT_EQ(fields[0].length, 512);
  WorkArea& txt = makeTxt({{std::string(512, 'q')}});
  txt.go(1);
  EXPECT_EQ(txt.text("LTXT"), std::string(512, 'q'));
}

struct FixedCase {
  const char* name;
  std::vector<Line> lines;
  std::string expected;
};

TEST_F(TextWriters, FixedWidthFiles) {
  const std::string full(240, '9');
  const std::vector<FixedCase> cases = {
      {"no records", {}, ""},
      {"only deleted records", {{"borrado", true}}, ""},
      {"one line", {{"20100012345|01|F001"}}, padded("20100012345|01|F001", 240) + "\r\n\x1A"},
      {"blank and deleted records",
       {{"  A"}, {""}, {"borrado", true}, {"B\xD1"}},
       padded("  A", 240) + "\r\n" + std::string(240, ' ') + "\r\n" + padded("B\xD1", 240) + "\r\n\x1A"},
      {"a line of exactly 240", {{full}, {"x"}}, full + "\r\n" + padded("x", 240) + "\r\n\x1A"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir out;
    std::string path = out.file("C03.txt");
    writeFile(path, "older and longer contents of the previous month");
    store_.closeAll();
    std::remove(dir_.file("tmptxt.dbf").c_str());
    WorkArea& txt = makeTxt(c.lines);
    auto s = G_TXT(txt, path);
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_EQ(readFile(path), c.expected);
    EXPECT_EQ(listing(out.path()), "C03.txt\n");
  }
}

TEST_F(TextWriters, AFixedWidthLineLongerThan240IsRefused) {
  std::string path = dir_.file("Costos.txt");
  writeFile(path, "previous");
  WorkArea& txt = makeTxt({{"ok"}, {std::string(241, 'x')}, {"ok"}});
  auto s = G_TXT(txt, path);
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("registro 2"), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("241 caracteres"), std::string::npos) << s.message();
  EXPECT_NE(s.message().find("Costos.txt"), std::string::npos) << s.message();
  EXPECT_FALSE(exists(path));  // the previous file is never taken for the new one
}

TEST_F(TextWriters, AFixedWidthFileThatCannotBeWrittenIsReported) {
  WorkArea& txt = makeTxt({{"x"}});
  auto s = G_TXT(txt, dir_.file("falta/RUC.tc"));
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("RUC.tc"), std::string::npos) << s.message();
}

struct LineCase {
  const char* name;
  std::vector<Line> lines;
  std::string expected;
};

TEST_F(TextWriters, LineFilesAreCopiedToTheFinalName) {
  const std::string full(240, '7');
  const std::vector<LineCase> cases = {
      {"no records", {}, ""},
      {"blank records only", {{""}, {"      "}}, ""},
      {"trimmed on both sides",
       {{"  201201|M1|01/01/2012|100.00|  "}, {""}, {"borrado", true}, {"B\xD1|"}},
       padded("201201|M1|01/01/2012|100.00|", 512) + "\r\n" + padded("B\xD1|", 512) + "\r\n"},
      {"a line of 240 gets 272 blanks", {{full}}, full + std::string(272, ' ') + "\r\n"},
      {"a line of 512", {{std::string(512, 'z')}}, std::string(512, 'z') + "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir company, target;
    std::string scratch = company.file("TMPLE.TXT");
    std::string final = target.file("LE20100012345201201000101000000001111.txt");
    writeFile(scratch, "old scratch");
    writeFile(final, "old book");
    store_.closeAll();
    std::remove(dir_.file("tmptxt.dbf").c_str());
    WorkArea& txt = makeTxt(c.lines);
    auto s = G_TXT2(txt, scratch, final);
    ASSERT_TRUE(s.ok()) << s.message();
    EXPECT_EQ(readFile(scratch), c.expected);
    EXPECT_EQ(readFile(final), c.expected);
  }
}

TEST_F(TextWriters, ALineFileThatCannotBeWrittenIsNotCopied) {
  TempDir target;
  std::string final = target.file("LE.txt");
  writeFile(final, "old book");
  WorkArea& txt = makeTxt({{"x"}});
  // the scratch name is taken by a folder
  std::string scratch = dir_.file("TMPLE.TXT");
  ASSERT_EQ(::mkdir(scratch.c_str(), 0755), 0);
  auto s = G_TXT2(txt, scratch, final);
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("TMPLE.TXT"), std::string::npos) << s.message();
  EXPECT_EQ(readFile(final), "old book");
  // a missing company folder
  auto missing = G_TXT2(txt, dir_.file("falta/TMPLE.TXT"), final);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(readFile(final), "old book");
}

TEST_F(TextWriters, AFinalNameThatCannotBeWrittenIsReported) {
  WorkArea& txt = makeTxt({{"x"}});
  std::string scratch = dir_.file("TMPLE.TXT");
  auto s = G_TXT2(txt, scratch, dir_.file("falta/LE.txt"));
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("LE.txt"), std::string::npos) << s.message();
  EXPECT_EQ(readFile(scratch), padded("x", 512) + "\r\n");  // stays in the company folder
}

TEST_F(TextWriters, TheStoreFormsCloseTheTextTable) {
  makeTxt({{"uno"}});
  std::string path = dir_.file("V03.txt");
  ASSERT_TRUE(G_TXT(store_, path).ok());
  EXPECT_EQ(store_.find("txt"), nullptr);
  EXPECT_EQ(readFile(path), padded("uno", 240) + "\r\n\x1A");

  store_.use(dir_.file("tmptxt.dbf"), "txt", false);
  std::string final = dir_.file("LE.txt");
  ASSERT_TRUE(G_TXT2(store_, dir_.file("TMPLE.TXT"), final).ok());
  EXPECT_EQ(store_.find("txt"), nullptr);
  EXPECT_EQ(readFile(final), padded("uno", 512) + "\r\n");

  // closed also when the file cannot be written
  store_.use(dir_.file("tmptxt.dbf"), "txt", false);
  EXPECT_FALSE(G_TXT(store_, dir_.file("falta/V03.txt")).ok());
  EXPECT_EQ(store_.find("txt"), nullptr);
}

}  // namespace
