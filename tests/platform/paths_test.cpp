#include "platform/paths.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace platform_test {
namespace {

using platform::toHost;

class PathsTest : public PlatformTest {
 protected:
  fs::path host(std::string_view stored) {
    platform::Result<fs::path> mapped = toHost(stored);
    EXPECT_TRUE(mapped.ok()) << stored << ": " << mapped.message();
    return mapped.ok() ? mapped.value() : fs::path();
  }
};

TEST_F(PathsTest, StoredPathsMapUnderTheStartFolderAndItsDriveFolders) {
  struct Case {
    std::string_view stored;
    fs::path expected;  // relative to the start folder
  };
  const Case cases[] = {
      {"reportes\\var", "reportes/var"},
      {"reportes/var", "reportes/var"},
      {".\\reportes\\.\\var", "reportes/var"},
      {"empresa", "empresa"},
      {"C:\\QRX2012", "drive_c/QRX2012"},
      {"c:\\QRX2012\\tmp", "drive_c/QRX2012/tmp"},
      {"C:\\QRX2012\\tmp\\", "drive_c/QRX2012/tmp"},
      {"C:\\QRX2012\\\\C01.txt", "drive_c/QRX2012/C01.txt"},
      {"C:/QRX2012/tmp", "drive_c/QRX2012/tmp"},
      {"C:QRX2012", "drive_c/QRX2012"},
      {"\\QRX2012", "drive_c/QRX2012"},
      {"C:\\", "drive_c"},
      {"d:\\Datos\\ACME", "drive_d/Datos/ACME"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(host(c.stored), start() / c.expected);
  }
}

TEST_F(PathsTest, PosixAbsolutePathIsUsedAsItIs) {
  const std::string typed = (start() / "elsewhere" / "ACME").string();
  EXPECT_EQ(host(typed), fs::path(typed));
  EXPECT_FALSE(fs::exists(start() / "drive_c"));
}

TEST_F(PathsTest, DefaultDriveFolderIsCreatedOnFirstUse) {
  ASSERT_FALSE(fs::exists(start() / "drive_c"));
  host("C:\\QRX2012");
  EXPECT_TRUE(fs::is_directory(start() / "drive_c"));
  EXPECT_FALSE(fs::exists(start() / "drive_c" / "QRX2012"));
}

TEST_F(PathsTest, DriveVariableOverridesTheDefaultFolder) {
  TempFolder shared;
  ScopedEnv driveC("QRX_DRIVE_C", shared.path().string());
  EXPECT_EQ(platform::driveFolder('c'), shared.path());
  EXPECT_EQ(host("C:\\QRX2012\\tmp"), shared.path() / "QRX2012" / "tmp");
  EXPECT_EQ(host("c:\\QRX2012"), shared.path() / "QRX2012");
  EXPECT_FALSE(fs::exists(start() / "drive_c"));
}

TEST_F(PathsTest, RelativeDriveVariableIsTakenUnderTheStartFolder) {
  ScopedEnv driveD("QRX_DRIVE_D", "compartido");
  EXPECT_EQ(host("D:\\ACME"), start() / "compartido" / "ACME");
}

TEST_F(PathsTest, EmptyDriveVariableMeansTheDefault) {
  ScopedEnv driveD("QRX_DRIVE_D", "");
  EXPECT_EQ(platform::driveFolder('D'), start() / "drive_d");
}

TEST_F(PathsTest, ConfiguredDriveFolderIsNeverCreated) {
  const fs::path missing = start() / "not-mounted";
  ScopedEnv driveD("QRX_DRIVE_D", missing.string());
  EXPECT_EQ(host("D:\\ACME"), missing / "ACME");
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(PathsTest, ExistingNamesAreFoundWhateverTheirCase) {
  fs::create_directories(start() / "drive_c" / "QRX2012");
  writeFile(start() / "drive_c" / "QRX2012" / "V11.NTX", "");
  writeFile(start() / "plancta.xls", "");
  fs::create_directories(start() / "drive_c" / "AÑO 2012");

  EXPECT_EQ(host("c:\\qrx2012\\v11.ntx"), start() / "drive_c" / "QRX2012" / "V11.NTX");
  EXPECT_EQ(host("PLANCTA.xls"), start() / "plancta.xls");
  EXPECT_EQ(host("C:\\año 2012"), start() / "drive_c" / "AÑO 2012");
}

TEST_F(PathsTest, NewNamesKeepTheirSpellingInsideExistingFolders) {
  fs::create_directories(start() / "drive_c" / "QRX2012");
  EXPECT_EQ(host("c:\\qrx2012\\Nuevo.TXT"), start() / "drive_c" / "QRX2012" / "Nuevo.TXT");
  EXPECT_EQ(host("c:\\qrx2012\\Sub\\Dentro.txt"), start() / "drive_c" / "QRX2012" / "Sub" / "Dentro.txt");
}

TEST_F(PathsTest, ExactSpellingWinsOverOtherCases) {
  writeFile(start() / "PLANCTA.xls", "upper");
  writeFile(start() / "plancta.xls", "lower");
  EXPECT_EQ(host("plancta.xls"), start() / "plancta.xls");
  EXPECT_EQ(host("PLANCTA.xls"), start() / "PLANCTA.xls");
  // Neither matches exactly: the first name in byte order is taken.
  EXPECT_EQ(host("Plancta.xls"), start() / "PLANCTA.xls");
}

TEST_F(PathsTest, PathsThatCannotBeStoredOrLeaveTheirPlaceAreRefused) {
  const std::string withNul("C:\\QRX\0X", 8);
  struct Case {
    std::string stored;
    std::string_view reason;  // part of the message
    std::string_view shown;   // how the message names the path
  };
  const Case cases[] = {
      {"C:\\QRX2012\\..\\otra", "\"..\"", "C:\\QRX2012\\..\\otra"},
      {"..\\fuera", "\"..\"", "..\\fuera"},
      {"reportes\\..\\..\\x", "\"..\"", "reportes\\..\\..\\x"},
      {"/srv/empresas/../etc", "\"..\"", "/srv/empresas/../etc"},
      {withNul, "control", "C:\\QRX\\x00X"},
      {"C:\\AC\tME", "control", "C:\\AC\\x09ME"},
      {"C:\\a<b", "carácter no permitido", "C:\\a<b"},
      {"C:\\a>b", "carácter no permitido", "C:\\a>b"},
      {"C:\\a:b", "carácter no permitido", "C:\\a:b"},
      {"C:\\a\"b", "carácter no permitido", "C:\\a\"b"},
      {"C:\\a|b", "carácter no permitido", "C:\\a|b"},
      {"C:\\zdr?.dbf", "carácter no permitido", "C:\\zdr?.dbf"},
      {"C:\\zdr*.*", "carácter no permitido", "C:\\zdr*.*"},
      {"1:\\QRX2012", "carácter no permitido", "1:\\QRX2012"},
      {"C:\\QRX2012\\D:\\x", "carácter no permitido", "C:\\QRX2012\\D:\\x"},
      {"\\\\servidor\\recurso", "red", "\\\\servidor\\recurso"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    platform::Result<fs::path> mapped = toHost(c.stored);
    ASSERT_FALSE(mapped.ok());
    EXPECT_NE(mapped.message().find(c.reason), std::string::npos) << mapped.message();
    EXPECT_NE(mapped.message().find("\"" + std::string(c.shown) + "\""), std::string::npos) << mapped.message();
  }
  // Refusing touches nothing, not even the drive folder.
  EXPECT_TRUE(namesIn(start()).empty());
}

TEST(CompanyFolderValidation, AcceptsFoldersTheProgramCanUse) {
  for (std::string_view typed : {"C:\\QRX2012", "  C:\\EMPRESAS\\ACME   ", "D:\\Año 2012\\Ñandú", "/srv/contab/acme",
                                 "empresas\\acme", "C:\\EMPRESAS\\ACME\\"}) {
    SCOPED_TRACE(typed);
    const platform::Status status = platform::validateCompanyFolder(typed);
    EXPECT_TRUE(status.ok()) << status.message();
  }
}

TEST(CompanyFolderValidation, RefusesBlankEscapingAndUnstorableFolders) {
  for (std::string_view typed : {"", "    ", "C:\\..\\x", "C:\\ACME\\..", "..\\ACME", "C:\\AC|ME", "C:\\ACME?",
                                 "\\\\srv\\empresas"}) {
    SCOPED_TRACE(typed);
    const platform::Status status = platform::validateCompanyFolder(typed);
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(status.message().empty());
  }
}

TEST(FileNameValidation, AcceptsBareNamesOnly) {
  struct Case {
    std::string_view name;
    bool valid;
  };
  const Case cases[] = {
      {"zdr_plan.dbf", true}, {"ACME 09-12-2012.ZIP", true}, {"Año.txt", true}, {"", false},
      {".", false},           {"..", false},                 {"a/b", false},    {"a\\b", false},
      {"C:x", false},         {"a?b", false},                {"a\nb", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const platform::Status status = platform::validateFileName(c.name);
    EXPECT_EQ(status.ok(), c.valid) << status.message();
  }
}

TEST(NameComparison, IgnoresCaseOfAsciiAndSpanishLetters) {
  struct Case {
    std::string_view a, b;
    bool equal;
  };
  const Case cases[] = {
      {"V11.NTX", "v11.ntx", true},   {"PLANCTA.xls", "plancta.XLS", true}, {"AÑO", "año", true},
      {"ÉXITO", "éxito", true},       {"ÜBER", "über", true},               {"plan1", "plan2", false},
      {"año", "ano", false},          {"×", "÷", false},                    {"zdr", "zdr_", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + std::string(c.b));
    EXPECT_EQ(platform::namesEqualIgnoringCase(c.a, c.b), c.equal);
  }
}

TEST(PatternMatching, FollowsDosWildcards) {
  struct Case {
    std::string_view name, pattern;
    bool matches;
  };
  const Case cases[] = {
      {"zdr_plan.dbf", "zdr*.*", true},
      {"ZDR_VOU.DBF", "zdr*.*", true},
      {"zdr_tmp", "zdr*.*", true},
      {"zdr", "zdr*.*", true},
      {"plan1.ntx", "zdr*.*", false},
      {"xzdr_plan.dbf", "zdr*.*", false},
      {"readme", "*.*", true},
      {"a.b.c", "*.c", true},
      {"a.b.c", "*.b", false},
      {"v11.ntx", "V1?.NTX", true},
      {"v1.ntx", "V1?.NTX", false},
      {"añc", "a?c", true},
      {"AÑO.txt", "año.*", true},
      {"a", "a.*", true},
      {"ab", "a.*", false},
      {"x.y", "x.y.*", true},
      {"abcbd", "a*b?", true},
      {"abcbde", "a*b?", false},
      {"aXbXc", "a*b*c", true},
      {"abc", "*d", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " ~ " + std::string(c.pattern));
    EXPECT_EQ(platform::matchesPattern(c.name, c.pattern), c.matches);
  }
}

}  // namespace
}  // namespace platform_test
