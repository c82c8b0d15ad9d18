// Running the qrx-dbf binary from tests, on files in temporary folders.
#pragma once

#include <string>
#include <vector>

namespace tools_testing {

// A fresh folder under the system's temporary directory, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

struct Result {
    bool exited = false;  // a normal exit (not killed by a signal)
    int code = -1;        // exit status when exited
    int signal = 0;       // the signal when not exited
    std::string out, err;

    // Lines of standard error (a last line without LF counts too).
    int errLines() const;
    // For failure messages: how the run ended and what it printed.
    std::string describe() const;
};

// Runs the tool with these arguments; standard input comes from stdinPath.
Result runTool(const std::vector<std::string>& args, const std::string& stdinPath = "/dev/null");

}  // namespace tools_testing
