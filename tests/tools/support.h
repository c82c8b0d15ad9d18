// Running the qrx-dbf binary from tests, on files in temporary folders.
#pragma once

#include <string>
#include <vector>

#include "support/files.h"

namespace tools_testing {

using testsupport::TempDir;


std::string readFile(const std::string& path);
using testsupport::writeFile;

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
