// Independent readers of what the program writes, for the tests of every library.
#pragma once

#include <string>

namespace testsupport {

// Runs a shell command and returns what it wrote on its standard output.
std::string run(const std::string& command);

// The workbook as an independent reader (python3-xlrd) sees it, one line per item:
//   "sheets N", "size ROWSxCOLS",
//   "width C UNITS"               for each column with a width (1-based),
//   "R,C TYPE VALUE FONT FORMAT"  for each cell that is not empty (1-based), where TYPE is
//      text/number/date/bool/blank, VALUE is Python's repr, FONT is name + "/B" or "/-" +
//      points, FORMAT is the cell's number format text.
// On a file the reader cannot open: "error: " and the reader's message.
std::string readXls(const std::string& path);

// The text of a PDF file as pdftotext lays it out ("" when it cannot be read).
std::string pdfText(const std::string& path);

}  // namespace testsupport
