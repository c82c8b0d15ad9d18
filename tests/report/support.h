// Helpers of the report tests: a temporary folder and small tables.
#pragma once

#include <string>
#include <vector>

#include "output/report/layout.h"
#include "store/store.h"
#include "support/files.h"

namespace report_test {


using testsupport::TempDir;
using testsupport::writeFile;

struct Row {
    std::string cuenta;  // table bytes (Windows-1252)
    std::string des;
    std::string debe;    // decimal text
};

// Creates a table CUENTA C10, DES C30, DEBE N12.2 with the rows and opens it.
store::WorkArea* makeData(store::Store& s, const std::string& path, const std::vector<Row>& rows);
// Creates the one-record header table with VAR30 and TITULO1 and opens it.
store::WorkArea* makeVar(store::Store& s, const std::string& path, const std::string& var30, const std::string& titulo1);

// The texts of a page in the order they were laid out.
std::vector<std::string> texts(const report::Page& page);

}  // namespace report_test
