#pragma once

#include <string>

#include "support/files.h"
#include "support/readers.h"

namespace output_test {

using testsupport::TempDir;


std::string readFile(const std::string& path);
using testsupport::writeFile;
bool exists(const std::string& path);
// Names in a folder, sorted, one per line.
std::string listing(const std::string& folder);

using testsupport::readXls;

}  // namespace output_test
