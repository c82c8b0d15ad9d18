#include "support.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tools_testing {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Result::errLines() const {
    int n = 0;
    for (char c : err) n += c == '\n';
    if (!err.empty() && err.back() != '\n') ++n;
    return n;
}

std::string Result::describe() const {
    std::string how = exited ? "exit " + std::to_string(code) : "signal " + std::to_string(signal);
    return how + "\n--- stdout\n" + out + "--- stderr\n" + err;
}

namespace {

constexpr rlim_t kMaxOutputBytes = 64 << 20;
constexpr rlim_t kMaxCpuSeconds = 60;

std::string slurp(std::FILE* f) {
    std::string s;
    std::rewind(f);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    return s;
}

}  // namespace

Result runTool(const std::vector<std::string>& args, const std::string& stdinPath) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (!out || !err) throw std::runtime_error("tmpfile failed");
    std::vector<std::string> all{QRX_DBF};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        // A tool that runs away (a walk that never ends) is stopped by a signal,
        // which the test reports, instead of filling the disk or hanging the run.
        struct rlimit size{kMaxOutputBytes, kMaxOutputBytes};
        struct rlimit cpu{kMaxCpuSeconds, kMaxCpuSeconds};
        ::setrlimit(RLIMIT_FSIZE, &size);
        ::setrlimit(RLIMIT_CPU, &cpu);
        int in = ::open(stdinPath.c_str(), O_RDONLY);
        if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(fileno(out), 1) < 0 || ::dup2(fileno(err), 2) < 0) ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) throw std::runtime_error("waitpid failed");
    Result r;
    r.exited = WIFEXITED(status);
    if (r.exited) r.code = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    r.out = slurp(out);
    r.err = slurp(err);
    std::fclose(out);
    std::fclose(err);
    return r;
}

}  // namespace tools_testing
