#include "platform/files.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/paths.h"
#include "test_support.h"

namespace platform_test {
namespace {

class FilesTest : public PlatformTest {
 protected:
  fs::path company() const { return start() / "drive_c" / "QRX2012"; }
  void makeCompany() { fs::create_directories(company()); }
};

TEST_F(FilesTest, DemoCompanyAndWorkFolderCanBeCreatedInAFreshStartFolder) {
  ASSERT_TRUE(platform::createFolder("C:\\QRX2012").ok());
  const platform::Status work = platform::createFolder("c:\\QRX2012\\tmp");
  ASSERT_TRUE(work.ok()) << work.message();
  EXPECT_TRUE(fs::is_directory(company() / "tmp"));
  EXPECT_TRUE(platform::folderExists("C:\\qrx2012\\TMP"));
}

TEST_F(FilesTest, ExistenceTellsFilesFromFolders) {
  makeCompany();
  writeFile(company() / "zdr_plan.dbf", "x");
  struct Case {
    std::string_view path;
    bool file, folder;
  };
  const Case cases[] = {
      {"C:\\QRX2012\\zdr_plan.dbf", true, false},
      {"C:\\QRX2012\\ZDR_PLAN.DBF", true, false},
      {"c:\\qrx2012", false, true},
      {"C:\\QRX2012\\plan1.ntx", false, false},
      {"C:\\QRX2012\\..\\QRX2012\\zdr_plan.dbf", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(platform::fileExists(c.path), c.file);
    EXPECT_EQ(platform::folderExists(c.path), c.folder);
  }
}

TEST_F(FilesTest, DeleteRemovesAFileWhateverItsCase) {
  makeCompany();
  writeFile(company() / "RUTAS.xls", "x");
  ASSERT_TRUE(platform::deleteFile("C:\\QRX2012\\rutas.XLS").ok());
  EXPECT_FALSE(fs::exists(company() / "RUTAS.xls"));
}

TEST_F(FilesTest, DeletingAMissingFileSucceeds) {
  EXPECT_TRUE(platform::deleteFile("C:\\QRX2012\\nada.txt").ok());
}

TEST_F(FilesTest, DeletingAFolderFails) {
  makeCompany();
  const platform::Status status = platform::deleteFile("C:\\QRX2012");
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.message().find("\"C:\\QRX2012\""), std::string::npos) << status.message();
  EXPECT_TRUE(fs::is_directory(company()));
}

TEST_F(FilesTest, CreateFolderMakesOneLevelOnly) {
  const platform::Status status = platform::createFolder("C:\\EMPRESAS\\ACME");
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("\"C:\\EMPRESAS\\ACME\""), std::string::npos) << status.message();
  EXPECT_FALSE(fs::exists(start() / "drive_c" / "EMPRESAS"));
}

TEST_F(FilesTest, CreateFolderAcceptsAnExistingFolderButNotAFile) {
  makeCompany();
  writeFile(company() / "tmp", "a file");
  EXPECT_TRUE(platform::createFolder("c:\\qrx2012").ok());
  EXPECT_FALSE(platform::createFolder("C:\\QRX2012\\tmp").ok());
}

TEST_F(FilesTest, CreateFolderReusesTheSpellingOfExistingParents) {
  makeCompany();
  ASSERT_TRUE(platform::createFolder("c:\\qrx2012\\Nueva").ok());
  EXPECT_TRUE(fs::is_directory(company() / "Nueva"));
}

TEST_F(FilesTest, RefusedPathsWriteNothing) {
  makeCompany();
  EXPECT_FALSE(platform::createFolder("C:\\QRX2012\\..\\..\\escape").ok());
  EXPECT_FALSE(platform::copyFile("C:\\QRX2012\\a", "C:\\QRX2012\\b|c").ok());
  EXPECT_EQ(namesIn(start()), std::vector<std::string>{"drive_c"});
  EXPECT_EQ(namesIn(start() / "drive_c"), std::vector<std::string>{"QRX2012"});
  EXPECT_TRUE(namesIn(company()).empty());
}

TEST_F(FilesTest, CopyWritesTheSameBytesUnderTheGivenName) {
  makeCompany();
  const std::string contents("binary\0\x1A\xFF data\r\n", 16);
  writeFile(start() / "plantilla.dbf", contents);
  ASSERT_TRUE(platform::copyFile("PLANTILLA.DBF", "c:\\qrx2012\\Copia.DBF").ok());
  EXPECT_EQ(namesIn(company()), std::vector<std::string>{"Copia.DBF"});
  EXPECT_EQ(readFile(company() / "Copia.DBF"), contents);
}

TEST_F(FilesTest, CopyReplacesAnExistingTargetOfAnyCase) {
  makeCompany();
  writeFile(start() / "nuevo.txt", "new");
  writeFile(company() / "LE.TXT", "old contents");
  ASSERT_TRUE(platform::copyFile("nuevo.txt", "C:\\QRX2012\\le.txt").ok());
  EXPECT_EQ(namesIn(company()), std::vector<std::string>{"LE.TXT"});
  EXPECT_EQ(readFile(company() / "LE.TXT"), "new");
}

TEST_F(FilesTest, FailedCopyKeepsTheTargetAndLeavesNothingBehind) {
  makeCompany();
  writeFile(company() / "destino.txt", "keep me");
  const platform::Status status = platform::copyFile("no-existe.txt", "C:\\QRX2012\\destino.txt");
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("\"no-existe.txt\""), std::string::npos) << status.message();
  EXPECT_EQ(readFile(company() / "destino.txt"), "keep me");
  EXPECT_EQ(namesIn(company()), std::vector<std::string>{"destino.txt"});
}

TEST_F(FilesTest, CopyIntoAMissingFolderFails) {
  writeFile(start() / "a.txt", "a");
  const platform::Status status = platform::copyFile("a.txt", "C:\\NOHAY\\a.txt");
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("\"C:\\NOHAY\\a.txt\""), std::string::npos) << status.message();
}

TEST_F(FilesTest, CopyOfALargeFileIsComplete) {
  std::string contents;
  for (int i = 0; contents.size() < 300 * 1024; ++i) contents += std::to_string(i) + ";";
  writeFile(start() / "grande.dbf", contents);
  ASSERT_TRUE(platform::copyFile("grande.dbf", "copia.dbf").ok());
  EXPECT_EQ(readFile(start() / "copia.dbf"), contents);
}

TEST_F(FilesTest, ListingMatchesThePatternAndSkipsFolders) {
  makeCompany();
  for (const char* name : {"zdr_plan.dbf", "ZDR_VOU.DBF", "zdr_tmp", "plan1.ntx", "v11.ntx", "xzdr.dbf"})
    writeFile(company() / name, "");
  fs::create_directories(company() / "zdr_carpeta");

  platform::Result<std::vector<std::string>> listed = platform::listFiles("c:\\qrx2012", "zdr*.*");
  ASSERT_TRUE(listed.ok()) << listed.message();
  const std::set<std::string> names(listed.value().begin(), listed.value().end());
  EXPECT_EQ(names, (std::set<std::string>{"zdr_plan.dbf", "ZDR_VOU.DBF", "zdr_tmp"}));
  EXPECT_EQ(listed.value().size(), names.size());
}

TEST_F(FilesTest, ListingKeepsTheSystemsOrder) {
  makeCompany();
  for (int i = 0; i < 40; ++i) writeFile(company() / ("zdr_" + std::to_string(i * 7919 % 1000)), "");
  std::vector<std::string> systemOrder;
  for (const fs::directory_entry& entry : fs::directory_iterator(company()))
    systemOrder.push_back(entry.path().filename().string());

  platform::Result<std::vector<std::string>> listed = platform::listFiles("C:\\QRX2012", "*.*");
  ASSERT_TRUE(listed.ok()) << listed.message();
  EXPECT_EQ(listed.value(), systemOrder);
}

TEST_F(FilesTest, ListingAMissingFolderFails) {
  platform::Result<std::vector<std::string>> listed = platform::listFiles("C:\\NOHAY", "*.*");
  ASSERT_FALSE(listed.ok());
  EXPECT_NE(listed.message().find("\"C:\\NOHAY\""), std::string::npos) << listed.message();
}

}  // namespace
}  // namespace platform_test
