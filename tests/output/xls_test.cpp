#include "output/xls.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support.h"

using output::XlsFont;
using output::XlsStyle;
using output::XlsWorkbook;
using output_test::exists;
using output_test::listing;
using output_test::readFile;
using output_test::readXls;
using output_test::TempDir;
using output_test::writeFile;
using store::Date;
using store::Decimal;
using store::Value;

namespace {

struct CellCase {
  const char* name;
  std::optional<Value> value;
  std::string seen;  // what the reader shows for the cell at 1,1 ("" = nothing)
};

TEST(XlsWorkbook, CellsAreTypedByTheirValue) {
  const std::vector<CellCase> cases = {
      {"text", Value("Empresa"), "1,1 text 'Empresa' Arial/-10 General"},
      {"text of the code page", Value(std::string("A\xF1o \x80 \xC1rea")), "1,1 text 'Año € Área' Arial/-10 General"},
      {"text of 255 characters", Value(std::string(255, 'x')),
       "1,1 text '" + std::string(255, 'x') + "' Arial/-10 General"},
      {"whole number", Value(Decimal::of("1500")), "1,1 number 1500.0 Arial/-10 General"},
      {"amount", Value(Decimal::of("1234.56")), "1,1 number 1234.56 Arial/-10 General"},
      {"small negative amount", Value(Decimal::of("-0.10")), "1,1 number -0.1 Arial/-10 General"},
      {"large amount", Value(Decimal::of("98765432109.87")), "1,1 number 98765432109.87 Arial/-10 General"},
      {"rate", Value(Decimal::of("3.4567")), "1,1 number 3.4567 Arial/-10 General"},
      {"true", Value(true), "1,1 bool 1 Arial/-10 General"},
      {"false", Value(false), "1,1 bool 0 Arial/-10 General"},
      {"date as its serial", Value(*Date::fromYmd(2012, 3, 15)), "1,1 number 40983.0 Arial/-10 General"},
      {"date before March 1900", Value(*Date::fromYmd(1900, 1, 1)), "1,1 number 1.0 Arial/-10 General"},
      {"no value", std::nullopt, "1,1 blank '' Arial/-10 General"},
      {"empty text", Value(std::string()), "1,1 blank '' Arial/-10 General"},
      {"empty date", Value(Date()), "1,1 blank '' Arial/-10 General"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::string path = dir.file("CELDA.xls");
    XlsWorkbook book;
    ASSERT_TRUE(book.create(path).ok());
    ASSERT_TRUE(book.writeCell(1, 1, c.value).ok());
    ASSERT_TRUE(book.close().ok());
    EXPECT_EQ(readXls(path), "sheets 1\nsize 1x1\n" + c.seen + "\n");
    EXPECT_EQ(listing(dir.path()), "CELDA.xls\n");  // no temporary file is left behind
  }
}

TEST(XlsWorkbook, HeadingsAmountsWidthsAndDates) {
  TempDir dir;
  std::string path = dir.file("AG.xls");
  XlsWorkbook book;
  auto bold = book.defineFont(XlsFont{"Arial", 10, true});
  auto amount = book.defineNumberFormat("#,##0.00");
  auto day = book.defineNumberFormat("dd/mm/yyyy");
  ASSERT_TRUE(bold && amount && day);
  EXPECT_EQ(bold.value(), 1);
  EXPECT_EQ(book.defineFont(XlsFont{"Arial", 10, true}).value(), 1);  // the same definition
  EXPECT_EQ(book.defineNumberFormat("#,##0.00").value(), amount.value());
  ASSERT_TRUE(book.create(path).ok());
  ASSERT_TRUE(book.setColumnWidth(2, 40).ok());
  ASSERT_TRUE(book.setColumnWidth(4, 5, 5).ok());
  ASSERT_TRUE(book.writeCell(1, 1, Value("Cuenta"), XlsStyle{bold.value(), 0}).ok());
  ASSERT_TRUE(book.writeCell(1, 2, Value("Nombre"), XlsStyle{bold.value(), 0}).ok());
  ASSERT_TRUE(book.writeCell(1, 3, Value("Totales"), XlsStyle{bold.value(), 0}).ok());
  ASSERT_TRUE(book.writeCell(2, 1, Value("1011")).ok());
  ASSERT_TRUE(book.writeCell(2, 2, Value("Caja")).ok());
  ASSERT_TRUE(book.writeCell(2, 3, Value(Decimal::of("1234567.8")), XlsStyle{0, amount.value()}).ok());
  ASSERT_TRUE(book.writeCell(2, 5, Value(*Date::fromYmd(2012, 12, 31)), XlsStyle{0, day.value()}).ok());
  ASSERT_TRUE(book.close().ok());
  EXPECT_EQ(readXls(path),
            "sheets 1\n"
            "size 2x5\n"
            "width 2 10240\n"
            "width 4 1280\n"
            "width 5 1280\n"
            "1,1 text 'Cuenta' Arial/B10 General\n"
            "1,2 text 'Nombre' Arial/B10 General\n"
            "1,3 text 'Totales' Arial/B10 General\n"
            "2,1 text '1011' Arial/-10 General\n"
            "2,2 text 'Caja' Arial/-10 General\n"
            "2,3 number 1234567.8 Arial/-10 #,##0.00\n"
            "2,5 date 41274.0 Arial/-10 dd/mm/yyyy\n");
}

TEST(XlsWorkbook, RecordsAreExactlyTheMinimalSheet) {
  TempDir dir;
  std::string path = dir.file("MIN.xls");
  XlsWorkbook book;
  ASSERT_TRUE(book.create(path).ok());
  ASSERT_TRUE(book.setColumnWidth(2, 50).ok());
  ASSERT_TRUE(book.writeCell(1, 2, Value("Ab")).ok());
  ASSERT_TRUE(book.writeCell(2, 1, Value(Decimal::of("1.5"))).ok());
  ASSERT_TRUE(book.writeCell(3, 1, Value(true)).ok());
  ASSERT_TRUE(book.writeCell(3, 2, std::nullopt).ok());
  ASSERT_TRUE(book.close().ok());
  const std::string expected = std::string(
      "\x09\x00\x04\x00\x02\x00\x10\x00"                  // BOF: BIFF2 worksheet
      "\x42\x00\x02\x00\xE4\x04"                          // CODEPAGE 1252
      "\x00\x00\x08\x00\x00\x00\x03\x00\x00\x00\x02\x00"  // DIMENSIONS rows 0..3, columns 0..2
      "\x31\x00\x0A\x00\xC8\x00\x00\x00\x05" "Arial"      // FONT 200 twips, plain
      "\x1F\x00\x02\x00\x01\x00"                          // FORMATCOUNT 1
      "\x1E\x00\x08\x00\x07" "General"                    // FORMAT
      "\x43\x00\x04\x00\x00\x00\x00\x00"                  // XF 0: font 0, General
      "\x24\x00\x04\x00\x01\x01\x00\x32"                  // COLWIDTH column 1: 50 * 256
      "\x7D\x00\x0C\x00\x01\x00\x01\x00\x00\x32\x00\x00\x00\x00\x00\x00"  // COLINFO the same
      "\x04\x00\x0A\x00\x00\x00\x01\x00\x00\x00\x00\x02" "Ab"                          // LABEL
      "\x03\x00\x0F\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xF8\x3F"  // NUMBER 1.5
      "\x05\x00\x09\x00\x02\x00\x00\x00\x00\x00\x00\x01\x00"                          // BOOLERR true
      "\x01\x00\x07\x00\x02\x00\x01\x00\x00\x00\x00"                                  // BLANK
      "\x0A\x00\x00\x00",                                                             // EOF
      8 + 6 + 12 + 14 + 6 + 12 + 8 + 8 + 16 + 14 + 19 + 13 + 11 + 4);
  EXPECT_EQ(readFile(path), expected);
}

struct LimitCase {
  const char* name;
  int row;
  int column;
  std::size_t textLength;
  bool accepted;
};

TEST(XlsWorkbook, LimitsOfTheFormatRefuseTheWholeFile) {
  const std::vector<LimitCase> cases = {
      {"last row", 16384, 1, 1, true},
      {"row past the last", 16385, 1, 1, false},
      {"last column", 1, 256, 1, true},
      {"column past the last", 1, 257, 1, false},
      {"row zero", 0, 1, 1, false},
      {"column zero", 1, 0, 1, false},
      {"text of 255", 1, 1, 255, true},
      {"text of 256", 1, 1, 256, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::string path = dir.file("RUTAS.xls");
    writeFile(path, "old contents");
    XlsWorkbook book;
    ASSERT_TRUE(book.create(path).ok());
    ASSERT_TRUE(book.writeCell(1, 1, Value("first")).ok());
    auto written = book.writeCell(c.row, c.column, Value(std::string(c.textLength, 'z')));
    ASSERT_TRUE(book.writeCell(2, 2, Value("after")).ok());
    auto closed = book.close();
    EXPECT_EQ(written.ok(), c.accepted) << written.message();
    EXPECT_EQ(closed.ok(), c.accepted);
    if (c.accepted) {
      std::string seen = readXls(path);
      EXPECT_NE(seen.find(std::to_string(c.row) + "," + std::to_string(c.column) + " text '" +
                          std::string(c.textLength, 'z') + "'"),
                std::string::npos)
          << seen;
    } else {
      EXPECT_EQ(readFile(path), "old contents");
      EXPECT_EQ(closed.message(), written.message());
      EXPECT_NE(written.message().find("RUTAS.xls"), std::string::npos) << written.message();
      EXPECT_NE(written.message().find("hoja de cálculo"), std::string::npos) << written.message();
    }
    EXPECT_EQ(listing(dir.path()), "RUTAS.xls\n");
  }
}

TEST(XlsWorkbook, AtMostThreeFontsBesidesTheDefault) {
  XlsWorkbook book;
  EXPECT_EQ(book.defineFont(XlsFont{}).value(), 0);
  EXPECT_EQ(book.defineFont(XlsFont{"Arial", 10, true}).value(), 1);
  EXPECT_EQ(book.defineFont(XlsFont{"Arial", 12, true}).value(), 2);
  EXPECT_EQ(book.defineFont(XlsFont{"Arial", 10, false, true}).value(), 3);
  EXPECT_FALSE(book.defineFont(XlsFont{"Courier New", 10}).ok());
  EXPECT_EQ(book.defineFont(XlsFont{"Arial", 12, true}).value(), 2);
}

TEST(XlsWorkbook, EachFontAndFormatPairIsOneCellFormat) {
  // The default pair and `pairs` - 1 more (formats 1.. in the plain font, then in bold); every
  // pair is used by two cells.
  auto write = [](const std::string& path, int pairs) {
    XlsWorkbook book;
    const int bold = book.defineFont(XlsFont{"Arial", 10, true}).value();
    for (int i = 1; i <= 32; ++i) (void)book.defineNumberFormat("0." + std::string(static_cast<std::size_t>(i), '0'));
    EXPECT_TRUE(book.create(path).ok());
    platform::Status last = book.writeCell(1, 1, Value("x"));
    for (int n = 1; n < pairs && last.ok(); ++n) {
      const XlsStyle style{n <= 32 ? 0 : bold, n <= 32 ? n : n - 32};
      last = book.writeCell(2, n, Value(n), style);
      if (last.ok()) last = book.writeCell(3, n, Value(-n), style);
    }
    platform::Status closed = book.close();
    return std::make_pair(last, closed);
  };
  TempDir dir;
  auto [written, closed] = write(dir.file("AG.xls"), 63);
  EXPECT_TRUE(written.ok()) << written.message();
  ASSERT_TRUE(closed.ok()) << closed.message();
  const std::string seen = readXls(dir.file("AG.xls"));
  for (const std::string& want : std::vector<std::string>{"2,1 number 1.0 Arial/-10 0.0\n", "3,32 number -32.0 Arial/-10 0." + std::string(32, '0') + "\n",
                                 "2,33 number 33.0 Arial/B10 0.0\n", "3,62 number -62.0 Arial/B10 0." + std::string(30, '0') + "\n"})
    EXPECT_NE(seen.find(want), std::string::npos) << want << seen;
  auto [refused, notClosed] = write(dir.file("BA10COL.xls"), 64);  // one pair too many
  EXPECT_FALSE(refused.ok());
  EXPECT_NE(refused.message().find("a lo más 63"), std::string::npos) << refused.message();
  EXPECT_FALSE(notClosed.ok());
  EXPECT_EQ(listing(dir.path()), "AG.xls\n");
}

TEST(XlsWorkbook, ColumnWidthsOutsideTheSheetAreRefused) {
  TempDir dir;
  XlsWorkbook book;
  ASSERT_TRUE(book.create(dir.file("A.xls")).ok());
  EXPECT_FALSE(book.setColumnWidth(257, 10).ok());
  EXPECT_FALSE(book.setColumnWidth(0, 10).ok());
  EXPECT_FALSE(book.setColumnWidth(3, 2, 10).ok());
  EXPECT_FALSE(book.setColumnWidth(1, 0).ok());
  EXPECT_FALSE(book.close().ok());
  EXPECT_EQ(listing(dir.path()), "");
}

TEST(XlsWorkbook, TargetsThatCannotBeWrittenAreReported) {
  TempDir dir;
  // a folder that does not exist
  {
    XlsWorkbook book;
    auto s = book.create(dir.file("falta/RUTAS.xls"));
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find("RUTAS.xls"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("la carpeta no existe"), std::string::npos) << s.message();
    EXPECT_FALSE(book.close().ok());
  }
  // a file where the folder should be
  writeFile(dir.file("archivo"), "x");
  {
    XlsWorkbook book;
    EXPECT_FALSE(book.create(dir.file("archivo/RUTAS.xls")).ok());
  }
  // a folder under the target's name: the new workbook cannot replace it
  ASSERT_EQ(::mkdir(dir.file("PLANCTA.xls").c_str(), 0755), 0);
  writeFile(dir.file("PLANCTA.xls/dentro"), "kept");
  {
    XlsWorkbook book;
    ASSERT_TRUE(book.create(dir.file("PLANCTA.xls")).ok());
    ASSERT_TRUE(book.writeCell(1, 1, Value("x")).ok());
    auto s = book.close();
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find("PLANCTA.xls"), std::string::npos) << s.message();
  }
  EXPECT_EQ(readFile(dir.file("PLANCTA.xls/dentro")), "kept");
  EXPECT_EQ(listing(dir.path()), "PLANCTA.xls\narchivo\n");
}

TEST(XlsWorkbook, AnAbandonedWorkbookLeavesTheOldFile) {
  TempDir dir;
  std::string path = dir.file("TCAMBIO.xls");
  writeFile(path, "old");
  {
    XlsWorkbook book;
    ASSERT_TRUE(book.create(path).ok());
    ASSERT_TRUE(book.writeCell(1, 1, Value("x")).ok());
  }  // never closed
  EXPECT_EQ(readFile(path), "old");
  EXPECT_EQ(listing(dir.path()), "TCAMBIO.xls\n");
}

TEST(XlsWorkbook, ARefusalBeforeCreateStillRefusesTheFile) {
  TempDir dir;
  std::string path = dir.file("BA10COL.xls");
  writeFile(path, "old");
  XlsWorkbook book;
  ASSERT_TRUE(book.defineFont(XlsFont{"Arial", 10, true}).ok());
  ASSERT_TRUE(book.defineFont(XlsFont{"Arial", 11}).ok());
  ASSERT_TRUE(book.defineFont(XlsFont{"Arial", 12}).ok());
  ASSERT_FALSE(book.defineFont(XlsFont{"Arial", 14}).ok());
  ASSERT_TRUE(book.create(path).ok());
  ASSERT_TRUE(book.writeCell(1, 1, Value("x")).ok());
  EXPECT_FALSE(book.close().ok());
  EXPECT_EQ(readFile(path), "old");
  EXPECT_EQ(listing(dir.path()), "BA10COL.xls\n");
}

TEST(XlsWorkbook, AWorkbookWithoutCellsOpens) {
  TempDir dir;
  std::string path = dir.file("VACIO.xls");
  XlsWorkbook book;
  ASSERT_TRUE(book.create(path).ok());
  ASSERT_TRUE(book.close().ok());
  EXPECT_EQ(readXls(path), "sheets 1\nsize 0x0\n");
}

}  // namespace
