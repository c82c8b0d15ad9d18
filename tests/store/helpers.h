#pragma once

#include <string>
#include <vector>

#include "store/store.h"

namespace testing_support {

// A fresh folder under the system's temporary directory, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::vector<unsigned char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// A table shaped like the chart of accounts, with a few accounts.
void makeAccounts(const std::string& path, const std::vector<std::pair<std::string, std::string>>& rows);

}  // namespace testing_support
