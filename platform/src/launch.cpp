#include "platform/launch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/paths.h"

extern char** environ;

namespace platform {
namespace fs = std::filesystem;

namespace {

constexpr std::array kCalculators = {"gnome-calculator", "kcalc",  "galculator",
                                     "mate-calc",        "xcalc", "qalculate-gtk"};

bool isExecutableFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The file a program name stands for: itself when it holds a slash, otherwise the first
// executable file of that name in the folders of PATH.
std::optional<std::string> findProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return isExecutableFile(name) ? std::optional(name) : std::nullopt;
  const char* path = std::getenv("PATH");
  std::string_view folders = (path != nullptr && *path != '\0') ? path : "/usr/local/bin:/usr/bin:/bin";
  while (!folders.empty()) {
    const std::size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    folders.remove_prefix(colon == std::string_view::npos ? folders.size() : colon + 1);
    if (folder.empty()) continue;  // an empty entry would mean the current folder: not searched
    std::string candidate = std::string(folder) + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
  }
  return std::nullopt;
}

// Runs in the forked children, where only async-signal-safe calls are allowed.
void reportAndExit(int pipe, int error, int code) {
  [[maybe_unused]] const ssize_t ignored = ::write(pipe, &error, sizeof error);
  ::_exit(code);
}

}  // namespace

Status startProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return Status::failure("No se indicó el programa que se debe iniciar.");
  const std::optional<std::string> program = findProgram(argv[0]);
  if (!program) return Status::failure("No se encontró el programa \"" + argv[0] + "\".");

  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);

  // The program's errno reaches us through this pipe when it cannot be started; a successful
  // exec closes the pipe without a word.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0)
    return Status::failure("No se pudo iniciar \"" + argv[0] + "\": " + std::strerror(errno) + ".");

  const pid_t child = ::fork();
  if (child == 0) {
    // A short-lived child that starts the program in a grandchild and leaves at once: the
    // grandchild is then adopted by init, which reaps it.
    ::close(report[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild < 0) reportAndExit(report[1], errno, 1);
    if (grandchild > 0) ::_exit(0);
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);  // open tables and their locks stay here
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(program->c_str(), arguments.data(), environ);
    reportAndExit(report[1], errno, 127);
  }
  const int forkError = errno;
  ::close(report[1]);
  if (child < 0) {
    ::close(report[0]);
    return Status::failure("No se pudo iniciar \"" + argv[0] + "\": " + std::strerror(forkError) + ".");
  }
  while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  if (got == sizeof error)
    return Status::failure("No se pudo iniciar \"" + argv[0] + "\": " + std::strerror(error) + ".");
  return {};
}

Status startCalculator() {
  for (const char* name : kCalculators) {
    if (std::optional<std::string> program = findProgram(name)) return startProgram({*program});
  }
  return Status::failure(
      "No se encontró una calculadora (gnome-calculator, kcalc, galculator, mate-calc, xcalc o qalculate-gtk).");
}

Status openDocument(std::string_view path) {
  Result<fs::path> host = toHost(path);
  if (!host) return host.status();
  std::error_code ec;
  if (!fs::exists(host.value(), ec)) return Status::failure("No existe el archivo \"" + std::string(path) + "\".");
  // An absolute path, so that a name beginning with "-" cannot pass for an option.
  return startProgram({"xdg-open", fs::absolute(host.value()).string()});
}

}  // namespace platform
