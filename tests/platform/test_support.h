#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform_test {

namespace fs = std::filesystem;

// A new folder under the system's temporary folder, removed with everything in it afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Sets an environment variable (or removes it, for std::nullopt) while the object lives.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, std::optional<std::string> value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

void writeFile(const fs::path& path, std::string_view contents);
std::string readFile(const fs::path& path);

// The names in a folder, sorted.
std::vector<std::string> namesIn(const fs::path& folder);

// Each test runs with a start folder of its own and without drive variables.
class PlatformTest : public ::testing::Test {
 protected:
  PlatformTest();
  ~PlatformTest() override;
  const fs::path& start() const { return start_.path(); }

 private:
  TempFolder start_;
  ScopedEnv driveC_{"QRX_DRIVE_C", std::nullopt};
  ScopedEnv driveD_{"QRX_DRIVE_D", std::nullopt};
};

}  // namespace platform_test
