#pragma once

// The export of a work table to a spreadsheet file, as every report screen's "Exporta Excel"
// button does it: headings in row 1 in bold Arial 10, then one row per visible record of the
// table in its current order, the record position kept, and the file opened for the user.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"
#include "store/store.h"

namespace output {

struct ExportColumn {
  std::string heading;            // empty: no heading cell
  double width = 0;               // characters; 0 keeps the default width
  std::string numberFormat;       // e.g. "#,##0.00"; empty: General
  // The cell of the current record; no function, or no value, leaves the cell empty.
  std::function<std::optional<store::Value>(store::WorkArea&)> value;
};

// A column that shows one field of the table as it is (a text keeps the blanks of its width).
ExportColumn fieldColumn(std::string heading, std::string field, double width = 0,
                         std::string numberFormat = {});

// How the written file is shown to the user; the program uses platform::openDocument.
using DocumentOpener = std::function<platform::Status(const std::string& path)>;

// Writes the spreadsheet `path` (a host path) from the visible records of `table` and then
// opens it. The record of `table` is the same afterwards. A failure to write is returned (the
// file is then not opened, and an existing file of that name is left as it was); a failure to
// open it is not an error of the export and is ignored.
platform::Status exportTable(store::WorkArea& table, const std::string& path,
                             const std::vector<ExportColumn>& columns,
                             const DocumentOpener& open = {});

}  // namespace output
