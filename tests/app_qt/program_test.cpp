// `qrx2012 --script` as a user runs it: in a start folder with the installation
// data, its exit code and what it prints when the script fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/files.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* sub : {"reportes", "datos", "datos2", "qrx2012.jpg"})
            fs::copy(std::string(QRX_INSTALL_DATA) + "/" + sub, dir.file(sub), fs::copy_options::recursive);
    }
    // Runs the program in the folder; returns its output (both streams) and sets rc.
    std::string play(const std::string& script, const std::string& args, int& rc) {
        std::ofstream(dir.file("guion.txt")) << script;
        std::string out = app_test::run("cd '" + dir.path() + "' && QRX_TODAY=2026-12-11 '" QRX2012_PROGRAM "' " +
                                        args + " 2>&1; echo \"rc=$?\"");
        std::size_t at = out.rfind("rc=");
        rc = at == std::string::npos ? -1 : std::stoi(out.substr(at + 3));
        return out.substr(0, at);
    }
    testsupport::TempDir dir;
};

const char* const kTitle = "QRX 2012          EMPRESA NUEVA                     ENERO    ";

TEST_F(Program, AScriptThatHoldsEndsWithZero) {
    int rc = -1;
    std::string out = play(std::string("# la empresa DEMO se crea\nanswer Yes\nexpect title \"") + kTitle +
                               "\"\nmenu \"&Utilitarios\" \"&Acerca de Taviron\"\ntool \"Salir de QRX2012\"\n",
                           "--script guion.txt", rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(out.find("línea"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(dir.file("empresa.dbf")));
    EXPECT_TRUE(fs::exists(dir.file("drive_c/QRX2012/zdr_vou.dbf")));
}

TEST_F(Program, AFailingScriptNamesItsLineAndEndsWithOne) {
    int rc = -1;
    std::string out = play("answer Yes\nexpect title \"OTRO\"\n", "--script guion.txt", rc);
    EXPECT_EQ(rc, 1) << out;
    EXPECT_NE(out.find("guion.txt: línea 2: el título es \"" + std::string(kTitle) + "\""), std::string::npos) << out;

    out = play("menu \"&Contabilidad\" \"&Voucher\"\n", "--script guion.txt qkvqkv", rc);
    EXPECT_EQ(rc, 1) << out;
    EXPECT_NE(out.find("línea 1: la entrada \"Voucher\" está deshabilitada"), std::string::npos) << out;
}

TEST_F(Program, ReportsAreWrittenWhereThePdfPatternSays) {
    int rc = -1;
    std::string out = play("answer Yes\nmenu \"&Utilitarios\" \"Selección y Creación de Empresa\"\n"
                           "expect dialog INGRESO\npress 210\nclose\n",
                           "--script guion.txt --pdf 'salida/{name}.pdf'", rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("informe: salida/utsce.pdf"), std::string::npos) << out;
    ASSERT_TRUE(fs::exists(dir.file("salida/utsce.pdf"))) << out;
    std::string text = app_test::run("pdftotext '" + dir.file("salida/utsce.pdf") + "' - 2>&1");
    EXPECT_NE(text.find("DEMO"), std::string::npos) << text;
    EXPECT_NE(text.find("C:\\QRX2012"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(dir.file("reportes-salida")));
}

TEST_F(Program, DecliningTheDemoFolderEndsSilently) {
    int rc = -1;
    std::string out = play("answer No\n", "--script guion.txt", rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_FALSE(fs::exists(dir.file("drive_c/QRX2012/zdr_vou.dbf")));
    EXPECT_FALSE(fs::exists(dir.file("Error.log")));
}

TEST_F(Program, AMissingScriptOrAWrongCommandLineIsRefused) {
    std::string out = app_test::run("cd '" + dir.path() + "' && '" QRX2012_PROGRAM "' --script no-existe.txt 2>&1; echo \"rc=$?\"");
    EXPECT_NE(out.find("no-existe.txt: no se puede leer el guion"), std::string::npos) << out;
    EXPECT_NE(out.find("rc=1"), std::string::npos) << out;
    out = app_test::run("cd '" + dir.path() + "' && '" QRX2012_PROGRAM "' uno dos 2>&1; echo \"rc=$?\"");
    EXPECT_NE(out.find("Uso: qrx2012"), std::string::npos) << out;
    EXPECT_NE(out.find("rc=64"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir.file("empresa.dbf")));
}

}  // namespace

namespace {

// Without a display and without a script the program says what it needs in one line.
TEST(ProgramWithoutDisplay, SaysSoInOneLine) {
    testsupport::TempDir dir;
    std::string out = app_test::run("cd '" + dir.path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '"
                                    QRX2012_PROGRAM "' 2>&1; echo \"rc=$?\"");
    EXPECT_NE(out.find("qrx2012 necesita una pantalla"), std::string::npos) << out;
    EXPECT_NE(out.find("--script"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;  // the line and the exit code
    EXPECT_NE(out.find("rc=64"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir.file("empresa.dbf")));  // nothing was started
}

}  // namespace
