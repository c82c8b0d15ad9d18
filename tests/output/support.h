#pragma once

#include <string>

#include "support/files.h"

namespace output_test {

using testsupport::TempDir;


std::string readFile(const std::string& path);
using testsupport::writeFile;
bool exists(const std::string& path);
// Names in a folder, sorted, one per line.
std::string listing(const std::string& folder);

// The workbook as an independent reader (python3-xlrd) sees it, one line per item:
//   "sheets N", "size ROWSxCOLS",
//   "width C UNITS"               for each column with a width (1-based),
//   "R,C TYPE VALUE FONT FORMAT"  for each cell that is not empty (1-based), where TYPE is
//      text/number/date/bool/blank, VALUE is Python's repr, FONT is name + "/B" or "/-" +
//      points, FORMAT is the cell's number format text.
// On a file the reader cannot open: "error: " and the reader's message.
std::string readXls(const std::string& path);

}  // namespace output_test
