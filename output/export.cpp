#include "output/export.h"

#include <map>

#include "output/xls.h"
#include "platform/launch.h"

namespace output {

ExportColumn fieldColumn(std::string heading, std::string field, double width, std::string numberFormat) {
  ExportColumn column;
  column.heading = std::move(heading);
  column.width = width;
  column.numberFormat = std::move(numberFormat);
  column.value = [field = std::move(field)](store::WorkArea& t) -> std::optional<store::Value> {
    return t.get(field);
  };
  return column;
}

namespace {

platform::Status writeSheet(store::WorkArea& table, const std::string& path,
                            const std::vector<ExportColumn>& columns) {
  if (static_cast<int>(columns.size()) > XlsWorkbook::kMaxColumns)
    return platform::Status::failure("La exportación tiene " + std::to_string(columns.size()) +
                                     " columnas y la hoja de cálculo admite " +
                                     std::to_string(XlsWorkbook::kMaxColumns) + " (archivo \"" + path + "\")");
  XlsWorkbook book;
  auto heading = book.defineFont(XlsFont{"Arial", 10, true});
  if (!heading) return heading.status();
  std::vector<int> formats(columns.size(), 0);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].numberFormat.empty()) continue;
    auto format = book.defineNumberFormat(columns[c].numberFormat);
    if (!format) return format.status();
    formats[c] = format.value();
  }
  if (auto created = book.create(path); !created) return created;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    int column = static_cast<int>(c) + 1;
    if (columns[c].width > 0)
      if (auto s = book.setColumnWidth(column, columns[c].width); !s) return s;
    if (!columns[c].heading.empty())
      if (auto s = book.writeCell(1, column, store::Value(columns[c].heading), XlsStyle{heading.value(), 0}); !s)
        return s;
  }
  int row = 1;
  for (table.goTop(); !table.eof(); table.skip()) {
    ++row;
    if (row > XlsWorkbook::kMaxRows)
      return platform::Status::failure("La exportación no cabe en la hoja de cálculo: pasa el límite de " +
                                       std::to_string(XlsWorkbook::kMaxRows) + " filas (archivo \"" + path +
                                       "\")");
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (!columns[c].value) continue;
      if (auto s = book.writeCell(row, static_cast<int>(c) + 1, columns[c].value(table), XlsStyle{0, formats[c]}); !s)
        return s;
    }
  }
  return book.close();
}

}  // namespace

platform::Status exportTable(store::WorkArea& table, const std::string& path,
                             const std::vector<ExportColumn>& columns, const DocumentOpener& open) {
  const std::uint32_t remembered = table.recno();
  platform::Status written;
  try {
    written = writeSheet(table, path, columns);
  } catch (...) {
    table.go(remembered);
    throw;
  }
  table.go(remembered);
  if (!written) return written;
  platform::Status opened = open ? open(path) : platform::openDocument(path);
  (void)opened;  // the user may have no spreadsheet program; the file is written all the same
  return {};
}

}  // namespace output
