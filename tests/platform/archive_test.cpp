#include "platform/archive.h"

#include <gtest/gtest.h>
#include <unzip.h>
#include <zip.h>

#include <cstdlib>
#include <map>

#include "test_support.h"

namespace platform_test {
namespace {

using Contents = std::map<std::string, std::string>;

// Reads an archive with minizip itself: every entry's name, method and data.
struct ReadBack {
  std::vector<std::string> names;
  std::vector<int> methods;
  Contents contents;
};

ReadBack readBack(const fs::path& archive) {
  ReadBack result;
  unzFile zip = unzOpen64(archive.c_str());
  if (zip == nullptr) {
    ADD_FAILURE() << "minizip cannot open " << archive;
    return result;
  }
  for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
    unz_file_info64 info{};
    char name[256] = {};
    unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0);
    std::string data(info.uncompressed_size, '\0');
    EXPECT_EQ(unzOpenCurrentFile(zip), UNZ_OK);
    EXPECT_EQ(unzReadCurrentFile(zip, data.data(), static_cast<unsigned>(data.size())),
              static_cast<int>(data.size()));
    EXPECT_EQ(unzCloseCurrentFile(zip), UNZ_OK) << name;
    result.names.push_back(name);
    result.methods.push_back(static_cast<int>(info.compression_method));
    result.contents[name] = data;
  }
  unzClose(zip);
  return result;
}

// Writes an archive with minizip directly, with whatever entry names a test needs.
void writeRawZip(const fs::path& archive, const std::vector<std::pair<std::string, std::string>>& entries,
                 int method = Z_DEFLATED) {
  zipFile zip = zipOpen64(archive.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(zip, nullptr);
  for (const auto& [name, data] : entries) {
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                    Z_DEFAULT_COMPRESSION, 0),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())), ZIP_OK);
    ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
  }
  ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

class ArchiveTest : public PlatformTest {
 protected:
  ArchiveTest() {
    fs::create_directories(company());
    for (const auto& [name, data] : tables) writeFile(company() / name, data);
  }
  fs::path company() const { return start() / "drive_c" / "ACME"; }

  const Contents tables{
      {"zdr_plan.dbf", std::string(5000, 'P') + "fin"},
      {"ZDR_VOU.DBF", std::string("binary\0\xFF\x1A", 9)},
      {"zdr_tmp.dbf", ""},
  };
  const std::vector<std::string> stored{"C:\\ACME\\zdr_plan.dbf", "c:\\acme\\zdr_vou.dbf", "C:\\ACME\\ZDR_TMP.DBF"};
};

TEST_F(ArchiveTest, EntriesAreDeflatedUnderTheirBareNames) {
  const platform::Status status = platform::writeZip("ACME 09-12-2012.ZIP", stored);
  ASSERT_TRUE(status.ok()) << status.message();

  const ReadBack archive = readBack(start() / "ACME 09-12-2012.ZIP");
  EXPECT_EQ(archive.names, (std::vector<std::string>{"zdr_plan.dbf", "ZDR_VOU.DBF", "zdr_tmp.dbf"}));
  EXPECT_EQ(archive.methods, (std::vector<int>{Z_DEFLATED, Z_DEFLATED, Z_DEFLATED}));
  EXPECT_EQ(archive.contents, tables);
}

TEST_F(ArchiveTest, UnzipFindsTheArchiveSound) {
  ASSERT_TRUE(platform::writeZip("respaldo.zip", stored).ok());
  const std::string command = "unzip -tqq '" + (start() / "respaldo.zip").string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(ArchiveTest, ListAndExtractGiveBackTheFiles) {
  ASSERT_TRUE(platform::writeZip("respaldo.zip", stored).ok());

  platform::Result<std::vector<platform::ZipEntry>> entries = platform::listZip("RESPALDO.ZIP");
  ASSERT_TRUE(entries.ok()) << entries.message();
  ASSERT_EQ(entries.value().size(), 3u);
  EXPECT_EQ(entries.value()[0].name, "zdr_plan.dbf");
  EXPECT_EQ(entries.value()[0].size, 5003u);
  EXPECT_EQ(entries.value()[2].size, 0u);

  fs::create_directories(start() / "drive_c" / "RESTAURA");
  const platform::Status status = platform::extractZip("respaldo.zip", "C:\\restaura");
  ASSERT_TRUE(status.ok()) << status.message();
  for (const auto& [name, data] : tables) {
    SCOPED_TRACE(name);
    EXPECT_EQ(readFile(start() / "drive_c" / "RESTAURA" / name), data);
  }
}

TEST_F(ArchiveTest, ExtractReplacesFilesOfTheSameNameInAnyCase) {
  writeRawZip(start() / "respaldo.zip", {{"zdr_plan.dbf", "from archive"}});
  writeFile(company() / "zdr_plan.dbf", "old");
  fs::rename(company() / "zdr_plan.dbf", company() / "ZDR_PLAN.DBF");
  ASSERT_TRUE(platform::extractZip("respaldo.zip", "C:\\ACME").ok());
  EXPECT_EQ(readFile(company() / "ZDR_PLAN.DBF"), "from archive");
  EXPECT_FALSE(fs::exists(company() / "zdr_plan.dbf"));
}

TEST_F(ArchiveTest, SecondArchiveOfTheSameNameReplacesTheFirst) {
  ASSERT_TRUE(platform::writeZip("respaldo.zip", stored).ok());
  ASSERT_TRUE(platform::writeZip("respaldo.zip", {"C:\\ACME\\zdr_tmp.dbf"}).ok());
  EXPECT_EQ(readBack(start() / "respaldo.zip").names, std::vector<std::string>{"zdr_tmp.dbf"});
}

TEST_F(ArchiveTest, UnreadableFileIsReportedAndNoArchiveIsLeft) {
  const platform::Status status = platform::writeZip("respaldo.zip", {stored[0], "C:\\ACME\\zdr_pc.dbf"});
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("\"C:\\ACME\\zdr_pc.dbf\""), std::string::npos) << status.message();
  EXPECT_FALSE(fs::exists(start() / "respaldo.zip"));
  EXPECT_TRUE(namesIn(start()) == std::vector<std::string>{"drive_c"});
}

TEST_F(ArchiveTest, FailedArchiveKeepsThePreviousOne) {
  ASSERT_TRUE(platform::writeZip("respaldo.zip", stored).ok());
  const std::string before = readFile(start() / "respaldo.zip");
  EXPECT_FALSE(platform::writeZip("respaldo.zip", {"C:\\ACME\\no-existe.dbf"}).ok());
  EXPECT_EQ(readFile(start() / "respaldo.zip"), before);
}

TEST_F(ArchiveTest, ArchiveThatCannotBeWrittenIsReported) {
  const platform::Status status = platform::writeZip("C:\\NOHAY\\respaldo.zip", stored);
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("\"C:\\NOHAY\\respaldo.zip\""), std::string::npos) << status.message();
}

TEST_F(ArchiveTest, FilesWithTheSameBareNameAreRefused) {
  fs::create_directories(start() / "drive_c" / "OTRA");
  writeFile(start() / "drive_c" / "OTRA" / "zdr_plan.dbf", "other");
  const platform::Status status =
      platform::writeZip("respaldo.zip", {"C:\\ACME\\zdr_plan.dbf", "C:\\OTRA\\ZDR_PLAN.dbf"});
  ASSERT_FALSE(status.ok());
  EXPECT_FALSE(fs::exists(start() / "respaldo.zip"));
}

TEST_F(ArchiveTest, EntriesWithFolderPartsAreRefusedAndNothingIsExtracted) {
  fs::create_directories(start() / "destino" / "sub");
  for (const std::string bad : {"../fuera.txt", "sub/dentro.txt", "sub\\dentro.txt", "/etc/fuera.txt", "..", "C:x",
                                "a|b"}) {
    SCOPED_TRACE(bad);
    writeRawZip(start() / "malo.zip", {{"bueno.txt", "ok"}, {bad, "escaped"}});
    const platform::Status status = platform::extractZip("malo.zip", "destino");
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("\"" + bad + "\""), std::string::npos) << status.message();
    EXPECT_EQ(namesIn(start() / "destino"), std::vector<std::string>{"sub"});
    EXPECT_TRUE(namesIn(start() / "destino" / "sub").empty());
    EXPECT_FALSE(fs::exists(start() / "fuera.txt"));
  }
}

TEST_F(ArchiveTest, DamagedEntryFailsWithoutAPartialFile) {
  // A stored (not deflated) entry, so that a flipped byte is caught by the checksum.
  const std::string name = "zdr_vou.dbf";
  writeRawZip(start() / "roto.zip", {{name, std::string(2000, 'V')}}, 0);
  std::string archive = readFile(start() / "roto.zip");
  const auto u16 = [&](std::size_t at) {
    return static_cast<unsigned char>(archive[at]) | static_cast<unsigned char>(archive[at + 1]) << 8;
  };
  const std::size_t dataStart = 30 + u16(26) + u16(28);  // after the local header
  archive[dataStart + 1000] ^= 0x01;
  writeFile(start() / "roto.zip", archive);

  fs::create_directories(start() / "destino");
  const platform::Status status = platform::extractZip("roto.zip", "destino");
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find(name), std::string::npos) << status.message();
  EXPECT_TRUE(namesIn(start() / "destino").empty());
}

TEST_F(ArchiveTest, ReadingWhatIsNotAnArchiveFails) {
  writeFile(start() / "falso.zip", "this is not a zip file at all");
  for (std::string_view archive : {"falso.zip", "no-existe.zip"}) {
    SCOPED_TRACE(archive);
    platform::Result<std::vector<platform::ZipEntry>> entries = platform::listZip(archive);
    ASSERT_FALSE(entries.ok());
    EXPECT_NE(entries.message().find("\"" + std::string(archive) + "\""), std::string::npos) << entries.message();
  }
}

TEST_F(ArchiveTest, ExtractingIntoAMissingFolderFails) {
  ASSERT_TRUE(platform::writeZip("respaldo.zip", stored).ok());
  const platform::Status status = platform::extractZip("respaldo.zip", "C:\\NOHAY");
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.message().find("\"C:\\NOHAY\""), std::string::npos) << status.message();
}

}  // namespace
}  // namespace platform_test
