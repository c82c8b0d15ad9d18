// Workbooks opened by a real spreadsheet program: Gnumeric's ssconvert reads the file and writes
// it back as comma-separated text (the values as shown) and as its own XML (cell types, styles,
// column widths).
// The test command installs Gnumeric, so a missing ssconvert is a failure, not a skip.
#include "output/xls.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "support.h"

using output::XlsFont;
using output::XlsStyle;
using output::XlsWorkbook;
using output_test::readFile;
using output_test::TempDir;
using output_test::writeFile;
using store::Date;
using store::Decimal;
using store::Value;

namespace {

struct Outcome {
  int status = -1;
  std::string out;
};

Outcome run(const std::string& command) {
  Outcome r;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
  r.status = ::pclose(pipe);
  return r;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// The Gnumeric XML file (gzip) as one line per item:
//   "R,C TYPE VALUE"                          for each stored cell (1-based), TYPE one of
//                                             empty/bool/error/number/text, numbers as Python floats
//   "style R,C FONT/B|- SIZE FORMAT"          for each (row, column) of the area rows x cols
//   "width C POINTS"                          for each column with its own width (1-based)
const char* kGnumericReader = R"PY(
import gzip, sys, xml.etree.ElementTree as ET
ns = {"gnm": "http://www.gnumeric.org/v10.dtd"}
root = ET.fromstring(gzip.open(sys.argv[1]).read())
sheet = root.find("gnm:Sheets/gnm:Sheet", ns)
rows, cols = int(sys.argv[2]), int(sys.argv[3])
types = {"10": "empty", "20": "bool", "30": "error", "40": "number", "60": "text"}
for cell in sheet.findall("gnm:Cells/gnm:Cell", ns):
    t = types.get(cell.get("ValueType"), cell.get("ValueType"))
    v = cell.text or ""
    if t == "number":
        v = repr(float(v))
    print("%d,%d %s %s" % (int(cell.get("Row")) + 1, int(cell.get("Col")) + 1, t, v))
regions = sheet.findall("gnm:Styles/gnm:StyleRegion", ns)
for r in range(rows):
    for c in range(cols):
        for reg in regions:
            if int(reg.get("startRow")) <= r <= int(reg.get("endRow")) and \
               int(reg.get("startCol")) <= c <= int(reg.get("endCol")):
                style = reg.find("gnm:Style", ns)
                font = style.find("gnm:Font", ns)
                print("style %d,%d %s/%s %s %s" % (r + 1, c + 1, font.text,
                      "B" if font.get("Bold") == "1" else "-", font.get("Unit"), style.get("Format")))
                break
for info in sheet.findall("gnm:Cols/gnm:ColInfo", ns):
    count = int(info.get("Count", "1"))
    for c in range(int(info.get("No")), int(info.get("No")) + count):
        print("width %d %s" % (c + 1, info.get("Unit")))
)PY";

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0, end;
  while ((end = text.find('\n', start)) != std::string::npos) {
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

bool has(const std::vector<std::string>& items, const std::string& item) {
  for (const auto& i : items)
    if (i == item) return true;
  return false;
}

double widthOf(const std::vector<std::string>& items, int column) {
  const std::string head = "width " + std::to_string(column) + " ";
  for (const auto& i : items)
    if (i.rfind(head, 0) == 0) return std::stod(i.substr(head.size()));
  return -1;
}

// The workbook of an export: bold Arial 10 headings, a wide description column, amounts in
// "#,##0.00", Windows-1252 texts, logical values, empty cells and dates as day serials.
void writeExport(const std::string& path) {
  XlsWorkbook book;
  auto bold = book.defineFont(XlsFont{"Arial", 10, true});
  auto amount = book.defineNumberFormat("#,##0.00");
  ASSERT_TRUE(bold && amount);
  const XlsStyle heading{bold.value(), 0};
  const XlsStyle money{0, amount.value()};
  ASSERT_TRUE(book.create(path).ok());
  ASSERT_TRUE(book.setColumnWidth(2, 40).ok());
  ASSERT_TRUE(book.setColumnWidth(3, 15).ok());
  const char* headings[] = {"Cuenta", "Descripci\xF3n", "Importe", "Activo", "Vac\xEDo", "Fecha"};
  for (int c = 0; c < 6; ++c) ASSERT_TRUE(book.writeCell(1, c + 1, Value(headings[c]), heading).ok());
  ASSERT_TRUE(book.writeCell(2, 1, Value("1011")).ok());
  ASSERT_TRUE(book.writeCell(2, 2, Value(std::string("A\xF1o \x80 \xC1rea"))).ok());
  ASSERT_TRUE(book.writeCell(2, 3, Value(Decimal::of("1234567.8")), money).ok());
  ASSERT_TRUE(book.writeCell(2, 4, Value(true)).ok());
  ASSERT_TRUE(book.writeCell(2, 5, std::nullopt).ok());
  ASSERT_TRUE(book.writeCell(2, 6, Value(*Date::fromYmd(2012, 3, 15))).ok());
  ASSERT_TRUE(book.writeCell(3, 1, Value("4011")).ok());
  ASSERT_TRUE(book.writeCell(3, 2, Value(std::string("Compa\xF1\xED" "a \"Sur\", S.A."))).ok());
  ASSERT_TRUE(book.writeCell(3, 3, Value(Decimal::of("-0.10")), money).ok());
  ASSERT_TRUE(book.writeCell(3, 4, Value(false)).ok());
  ASSERT_TRUE(book.writeCell(3, 5, Value(std::string())).ok());
  ASSERT_TRUE(book.writeCell(3, 6, Value(*Date::fromYmd(1900, 1, 1))).ok());
  ASSERT_TRUE(book.close().ok());
}

class XlsGnumeric : public ::testing::Test {
 protected:
  void SetUp() override {
    // scripts/test.sh installs the gnumeric package before the tests run
    ASSERT_FALSE(run("command -v ssconvert").out.empty())
        << "ssconvert (Debian package gnumeric) is not installed";
  }
};

}  // namespace

TEST_F(XlsGnumeric, ValuesReadBackAsCsv) {
  TempDir dir;
  const std::string xls = dir.file("AG.xls");
  writeExport(xls);
  // the values as the sheet shows them, each in its cell's number format (in the C locale;
  // Gnumeric shows a negative amount with the minus sign U+2212)
  const Outcome converted = run("LC_ALL=C.UTF-8 ssconvert --export-type=Gnumeric_stf:stf_assistant -O 'format=preserve separator=,' " +
                                quoted(xls) + " " + quoted(dir.file("AG.csv")));
  ASSERT_EQ(converted.status, 0) << converted.out;
  // Gnumeric says so when it finds records it cannot make sense of
  EXPECT_EQ(converted.out.find("corrupt"), std::string::npos) << converted.out;
  EXPECT_EQ(converted.out.find("WARNING"), std::string::npos) << converted.out;
  EXPECT_EQ(readFile(dir.file("AG.csv")),
            "Cuenta,Descripción,Importe,Activo,Vacío,Fecha\n"
            "1011,\"Año € Área\",\"1,234,567.80\",TRUE,,40983\n"
            "4011,\"Compañía \"\"Sur\"\", S.A.\",\u22120.10,FALSE,,1\n");
}

TEST_F(XlsGnumeric, TypesStylesAndWidthsReadBackAsGnumericXml) {
  TempDir dir;
  const std::string xls = dir.file("AG.xls");
  writeExport(xls);
  const std::string gnumeric = dir.file("AG.gnumeric");
  const Outcome converted = run("LC_ALL=C.UTF-8 ssconvert --export-type=Gnumeric_XmlIO:sax " + quoted(xls) + " " + quoted(gnumeric));
  ASSERT_EQ(converted.status, 0) << converted.out;
  writeFile(dir.file("reader.py"), kGnumericReader);
  const Outcome reader = run("/usr/bin/python3 " + quoted(dir.file("reader.py")) + " " + quoted(gnumeric) + " 3 6");
  ASSERT_EQ(reader.status, 0) << reader.out;
  const std::vector<std::string> items = lines(reader.out);

  // values and their types; the empty cells are not stored at all
  for (const char* want : {"1,1 text Cuenta", "1,2 text Descripción", "1,6 text Fecha", "2,1 text 1011",
                           "2,2 text Año € Área", "2,3 number 1234567.8", "2,4 bool TRUE", "2,6 number 40983.0",
                           "3,2 text Compañía \"Sur\", S.A.", "3,3 number -0.1", "3,4 bool FALSE",
                           "3,6 number 1.0"})
    EXPECT_TRUE(has(items, want)) << want << "\n" << reader.out;
  for (const char* empty : {"2,5 ", "3,5 "})
    for (const auto& i : items) EXPECT_NE(i.rfind(empty, 0), 0u) << i;

  // the headings in bold Arial 10, the body plain; the amounts in their number format
  for (int c = 1; c <= 6; ++c) {
    EXPECT_TRUE(has(items, "style 1," + std::to_string(c) + " Arial/B 10 General")) << c << "\n" << reader.out;
    EXPECT_TRUE(has(items, "style 2," + std::to_string(c) + " Arial/- 10 " + (c == 3 ? "#,##0.00" : "General")))
        << c << "\n" << reader.out;
  }
  EXPECT_TRUE(has(items, "style 3,3 Arial/- 10 #,##0.00")) << reader.out;
  EXPECT_TRUE(has(items, "style 3,6 Arial/- 10 General")) << reader.out;

  // widths in points: 40 and 15 characters, in that ratio; the other columns keep the default
  const double description = widthOf(items, 2), amount = widthOf(items, 3);
  EXPECT_GT(description, 40 * 4.0) << reader.out;
  EXPECT_LT(description, 40 * 7.0) << reader.out;
  EXPECT_NEAR(description / amount, 40.0 / 15.0, 0.05) << reader.out;
  for (int c : {1, 4, 5, 6}) EXPECT_EQ(widthOf(items, c), -1) << c << "\n" << reader.out;
}
