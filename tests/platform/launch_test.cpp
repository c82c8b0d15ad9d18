#include "platform/launch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "test_support.h"

namespace platform_test {
namespace {

// Fake programs in a folder that is the whole PATH. Each one writes its name and arguments,
// one per line, into a FIFO; reading the FIFO waits for the program without any timing.
class LaunchTest : public PlatformTest {
 protected:
  LaunchTest() : path_("PATH", (start() / "bin").string()) {
    fs::create_directories(start() / "bin");
    if (::mkfifo(fifo().c_str(), 0600) != 0) ADD_FAILURE() << "mkfifo failed";
  }

  fs::path fifo() const { return start() / "report.fifo"; }

  void addProgram(const std::string& name, const std::string& body) {
    const fs::path program = start() / "bin" / name;
    writeFile(program, "#!/bin/sh\n" + body + "\n");
    fs::permissions(program, fs::perms::owner_all);
  }

  // A program that reports its name and arguments.
  void addReportingProgram(const std::string& name) {
    addProgram(name, "{ echo " + name + "; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" +
                         fifo().string() + "'");
  }

  std::vector<std::string> report() {
    std::ifstream in(fifo());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  ScopedEnv path_;
};

TEST_F(LaunchTest, ArgumentsArriveAsTheyAreWithoutAShell) {
  addReportingProgram("eco");
  const std::string marker = (start() / "pwned").string();
  const std::vector<std::string> arguments{"eco", "con blancos", "$(touch " + marker + ")", "; touch " + marker,
                                           "`touch " + marker + "`", "'\"", "*", "-x"};
  const platform::Status status = platform::startProgram(arguments);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(report(), arguments);
  EXPECT_FALSE(fs::exists(marker));
}

TEST_F(LaunchTest, StartedProgramIsNotLeftAsAChild) {
  addReportingProgram("eco");
  ASSERT_TRUE(platform::startProgram({"eco"}).ok());
  // Neither the program nor an intermediate process is ours to wait for.
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  report();
}

TEST_F(LaunchTest, OpenFilesAreNotInherited) {
  const int inherited = 40;  // a descriptor without close-on-exec, as a table might be opened
  const int fd = ::open(fifo().parent_path().c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::dup2(fd, inherited), inherited);
  ::close(fd);
  addProgram("mira", "if [ -e /proc/$$/fd/" + std::to_string(inherited) + " ]; then echo abierto; else echo cerrado; fi > '" +
                         fifo().string() + "'");
  const platform::Status status = platform::startProgram({"mira"});
  ::close(inherited);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(report(), std::vector<std::string>{"cerrado"});
}

TEST_F(LaunchTest, ProgramsThatCannotStartFail) {
  writeFile(start() / "bin" / "sin-permiso", "#!/bin/sh\n");
  writeFile(start() / "bin" / "basura", std::string("\x7F" "ELX garbage", 12));
  fs::permissions(start() / "bin" / "basura", fs::perms::owner_all);
  fs::create_directories(start() / "bin" / "carpeta");
  for (std::string_view program : {"no-existe", "sin-permiso", "basura", "carpeta"}) {
    SCOPED_TRACE(program);
    const platform::Status status = platform::startProgram({std::string(program)});
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("\"" + std::string(program) + "\""), std::string::npos) << status.message();
  }
  EXPECT_FALSE(platform::startProgram({}).ok());
}

TEST_F(LaunchTest, CalculatorIsTheFirstOneFoundInTheUsualOrder) {
  struct Case {
    std::vector<std::string> installed;
    std::string started;
  };
  const Case cases[] = {
      {{"xcalc", "gnome-calculator", "kcalc"}, "gnome-calculator"},
      {{"qalculate-gtk", "kcalc"}, "kcalc"},
      {{"mate-calc", "galculator"}, "galculator"},
      {{"qalculate-gtk", "xcalc", "mate-calc"}, "mate-calc"},
      {{"qalculate-gtk", "xcalc"}, "xcalc"},
      {{"qalculate-gtk"}, "qalculate-gtk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.started);
    fs::remove_all(start() / "bin");
    fs::create_directories(start() / "bin");
    for (const std::string& name : c.installed) addReportingProgram(name);
    const platform::Status status = platform::startCalculator();
    ASSERT_TRUE(status.ok()) << status.message();
    EXPECT_EQ(report(), std::vector<std::string>{c.started});
  }
}

TEST_F(LaunchTest, NoCalculatorIsAFailure) {
  const platform::Status status = platform::startCalculator();
  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(status.message().empty());
}

TEST_F(LaunchTest, DocumentIsOpenedByItsHostPath) {
  addReportingProgram("xdg-open");
  writeFile(start() / "plancta.xls", "");
  const platform::Status status = platform::openDocument("PLANCTA.xls");
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(report(), (std::vector<std::string>{"xdg-open", (start() / "plancta.xls").string()}));
}

TEST_F(LaunchTest, DocumentThatIsMissingOrCannotBeOpenedFails) {
  writeFile(start() / "rutas.xls", "");
  // No xdg-open on PATH.
  EXPECT_FALSE(platform::openDocument("RUTAS.xls").ok());
  addReportingProgram("xdg-open");
  const platform::Status missing = platform::openDocument("NOHAY.xls");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.message().find("\"NOHAY.xls\""), std::string::npos) << missing.message();
}

}  // namespace
}  // namespace platform_test
