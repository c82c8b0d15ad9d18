#include "output/export.h"

#include <gtest/gtest.h>

#include "support.h"

using output::ExportColumn;
using output::exportTable;
using output::fieldColumn;
using output_test::listing;
using output_test::readFile;
using output_test::readXls;
using output_test::TempDir;
using output_test::writeFile;
using store::Date;
using store::Decimal;
using store::Store;
using store::Type;
using store::Value;
using store::WorkArea;

namespace {

struct Row {
  std::string des;
  std::string via;
  std::string tc;
  Date fecha;
  bool activo;
};

class ExportTable : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = dir_.file("empresa.dbf");
    Store::createTable(table_, {{"DES", Type::Char, 30, 0},
                                {"VIA", Type::Char, 50, 0},
                                {"TC", Type::Num, 10, 3},
                                {"FECHA", Type::Date, 8, 0},
                                {"ACTIVO", Type::Logic, 1, 0}});
    area_ = store_.use(table_, "emp", false);
    ASSERT_NE(area_, nullptr);
    const std::vector<Row> rows = {
        {"Comercial Sur", "C:\\QRX2012\\SUR", "3.512", *Date::fromYmd(2012, 1, 2), true},
        {"Andina", "C:\\QRX2012\\AND", "2.700", Date(), false},
        {"Pesquera Norte", "D:\\EMPRESAS\\PN", "0.001", *Date::fromYmd(2011, 12, 31), true},
    };
    for (const auto& r : rows) {
      ASSERT_TRUE(area_->appendBlank());
      area_->put("DES", Value(r.des));
      area_->put("VIA", Value(r.via));
      area_->put("TC", Value(Decimal::of(r.tc)));
      area_->put("FECHA", Value(r.fecha));
      area_->put("ACTIVO", Value(r.activo));
    }
    area_->commit();
  }

  // Text fields keep the blanks of their width in the table; the export shows them trimmed.
  static ExportColumn trimmed(std::string heading, std::string field, double width = 0) {
    ExportColumn column;
    column.heading = std::move(heading);
    column.width = width;
    column.value = [field](WorkArea& t) -> std::optional<Value> {
      std::string s = t.text(field);
      s.erase(s.find_last_not_of(' ') + 1);
      return Value(s);
    };
    return column;
  }

  std::vector<ExportColumn> columns() {
    return {trimmed("Empresa", "DES"), trimmed("Ruta", "VIA", 50), fieldColumn("Cambio", "TC", 0, "#,##0.00"),
            fieldColumn("Fecha", "FECHA"), fieldColumn("Activo", "ACTIVO")};
  }

  output::DocumentOpener recorder() {
    return [this](const std::string& path) {
      opened_.push_back(path);
      return platform::Status::failure("no hay programa para abrir hojas de cálculo");
    };
  }

  TempDir dir_;
  std::string table_;
  Store store_;
  WorkArea* area_ = nullptr;
  std::vector<std::string> opened_;
};

const std::string kHead =
    "sheets 1\n"
    "size 4x5\n"
    "width 2 12800\n"
    "1,1 text 'Empresa' Arial/B10 General\n"
    "1,2 text 'Ruta' Arial/B10 General\n"
    "1,3 text 'Cambio' Arial/B10 General\n"
    "1,4 text 'Fecha' Arial/B10 General\n"
    "1,5 text 'Activo' Arial/B10 General\n";

const std::string kSur =
    "text 'Comercial Sur' Arial/-10 General\n"
    "text 'C:\\\\QRX2012\\\\SUR' Arial/-10 General\n"
    "number 3.512 Arial/-10 #,##0.00\n"
    "number 40910.0 Arial/-10 General\n"
    "bool 1 Arial/-10 General\n";
const std::string kAndina =
    "text 'Andina' Arial/-10 General\n"
    "text 'C:\\\\QRX2012\\\\AND' Arial/-10 General\n"
    "number 2.7 Arial/-10 #,##0.00\n"
    "blank '' Arial/-10 General\n"
    "bool 0 Arial/-10 General\n";
const std::string kNorte =
    "text 'Pesquera Norte' Arial/-10 General\n"
    "text 'D:\\\\EMPRESAS\\\\PN' Arial/-10 General\n"
    "number 0.001 Arial/-10 #,##0.00\n"
    "number 40908.0 Arial/-10 General\n"
    "bool 1 Arial/-10 General\n";

// The cells of one row as the reader lists them: "R,C " before each line.
std::string row(int r, const std::string& cells) {
  std::string out;
  int c = 0;
  std::size_t at = 0;
  while (at < cells.size()) {
    std::size_t end = cells.find('\n', at);
    out += std::to_string(r) + "," + std::to_string(++c) + " " + cells.substr(at, end - at + 1);
    at = end + 1;
  }
  return out;
}

TEST_F(ExportTable, OneRowPerRecordInNaturalOrderThenOpened) {
  area_->go(2);
  std::string path = dir_.file("RUTAS.xls");
  auto s = exportTable(*area_, path, columns(), recorder());
  ASSERT_TRUE(s.ok()) << s.message();  // the failed open is not the export's failure
  EXPECT_EQ(area_->recno(), 2u);
  EXPECT_EQ(opened_, std::vector<std::string>{path});
  EXPECT_EQ(readXls(path), kHead + row(2, kSur) + row(3, kAndina) + row(4, kNorte));
}

TEST_F(ExportTable, RowsFollowTheCurrentOrderAndOnlyVisibleRecords) {
  area_->createIndex(dir_.file("emp1.ntx"), "DES");
  area_->setOrder(1);
  std::string path = dir_.file("ORDEN.xls");
  area_->go(3);
  ASSERT_TRUE(exportTable(*area_, path, columns(), recorder()).ok());
  EXPECT_EQ(area_->recno(), 3u);
  std::string ordered = readXls(path);
  EXPECT_EQ(ordered, kHead + row(2, kAndina) + row(3, kSur) + row(4, kNorte));

  area_->setFilter([this] { return area_->logic("ACTIVO"); });
  area_->go(1);
  ASSERT_TRUE(exportTable(*area_, path, columns(), recorder()).ok());
  EXPECT_EQ(area_->recno(), 1u);
  std::string head = kHead;
  head.replace(head.find("4x5"), 3, "3x5");
  EXPECT_EQ(readXls(path), head + row(2, kSur) + row(3, kNorte));
}

TEST_F(ExportTable, AColumnWithoutValuesStaysEmpty) {
  std::vector<ExportColumn> cols = {trimmed("C.", "DES"), trimmed("Origen", "VIA", 20), ExportColumn{"", 2, "", {}},
                                    fieldColumn("Apertura", "TC")};
  std::string path = dir_.file("ORIGENES.xls");
  ASSERT_TRUE(exportTable(*area_, path, cols, recorder()).ok());
  std::string seen = readXls(path);
  EXPECT_NE(seen.find("width 2 5120\nwidth 3 512\n"), std::string::npos) << seen;
  EXPECT_EQ(seen.find(",3 "), std::string::npos) << seen;
  EXPECT_NE(seen.find("1,4 text 'Apertura' Arial/B10"), std::string::npos) << seen;
}

TEST_F(ExportTable, AnEmptyTableGivesTheHeadingsOnly) {
  area_->setFilter([] { return false; });
  std::string path = dir_.file("VACIO.xls");
  ASSERT_TRUE(exportTable(*area_, path, columns(), recorder()).ok());
  std::string head = kHead;
  head.replace(head.find("4x5"), 3, "1x5");
  EXPECT_EQ(readXls(path), head);
  EXPECT_EQ(opened_.size(), 1u);
}

TEST_F(ExportTable, AFailedWriteIsReportedAndNothingIsOpened) {
  struct Case {
    const char* name;
    std::string file;
    std::vector<ExportColumn> cols;
    const char* mentions;
  };
  ExportColumn tooLong;
  tooLong.heading = "Largo";
  tooLong.value = [](WorkArea&) -> std::optional<Value> { return Value(std::string(256, 'L')); };
  std::vector<ExportColumn> tooWide;
  for (int c = 0; c < 257; ++c) tooWide.push_back(fieldColumn("C" + std::to_string(c), "DES"));
  const std::vector<Case> cases = {
      {"folder missing", dir_.file("no/existe/RUTAS.xls"), columns(), "la carpeta no existe"},
      {"text too long", dir_.file("RUTAS.xls"), {trimmed("Empresa", "DES"), tooLong}, "256 caracteres"},
      {"too many columns", dir_.file("RUTAS.xls"), tooWide, "257 columnas"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir_.file("RUTAS.xls"), "previous export");
    opened_.clear();
    area_->go(2);
    auto s = exportTable(*area_, c.file, c.cols, recorder());
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find("RUTAS.xls"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find(c.mentions), std::string::npos) << s.message();
    EXPECT_TRUE(opened_.empty());
    EXPECT_EQ(area_->recno(), 2u);
    EXPECT_EQ(readFile(dir_.file("RUTAS.xls")), "previous export");
    EXPECT_EQ(listing(dir_.path()), "RUTAS.xls\nempresa.dbf\n");
  }
}

TEST_F(ExportTable, MoreRecordsThanRowsAreRefused) {
  // 16,383 records fill the sheet with the heading row; one more does not fit.
  while (area_->recCount() < 16383) ASSERT_TRUE(area_->appendBlank());
  area_->commit();
  std::string path = dir_.file("GRANDE.xls");
  std::vector<ExportColumn> cols = {fieldColumn("Cambio", "TC")};
  ASSERT_TRUE(exportTable(*area_, path, cols, recorder()).ok());
  EXPECT_NE(readXls(path).find("size 16384x1\n"), std::string::npos);

  ASSERT_TRUE(area_->appendBlank());
  area_->commit();
  writeFile(path, "previous export");
  opened_.clear();
  area_->go(5);
  auto s = exportTable(*area_, path, cols, recorder());
  ASSERT_FALSE(s.ok());
  EXPECT_NE(s.message().find("16384 filas"), std::string::npos) << s.message();
  EXPECT_EQ(area_->recno(), 5u);
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(readFile(path), "previous export");
}

}  // namespace
