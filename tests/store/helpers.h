#pragma once

#include <string>
#include <vector>

#include "store/store.h"
#include "support/files.h"

namespace testing_support {

using testsupport::TempDir;


std::vector<unsigned char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// A table shaped like the chart of accounts, with a few accounts.
void makeAccounts(const std::string& path, const std::vector<std::pair<std::string, std::string>>& rows);

}  // namespace testing_support
