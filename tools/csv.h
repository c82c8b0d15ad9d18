// Comma-separated values as the maintenance tool reads and writes them:
// RFC 4180 quoting, bytes passed through untouched (no code-page conversion).
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tools::csv {

// A malformed record; `line` is the line of the input where the record starts.
class CsvError : public std::runtime_error {
public:
    CsvError(long line, const std::string& message) : std::runtime_error(message), line_(line) {}
    long line() const { return line_; }

private:
    long line_;
};

struct Record {
    std::vector<std::string> cells;
    long line = 0;  // 1-based line where the record starts
};

// Reads records one at a time. Lines end with LF, CRLF or a lone CR; a quoted
// cell may hold commas, doubled quotes and line ends. Lines that are entirely
// empty are skipped. A UTF-8 byte-order mark before the first record is dropped.
class Reader {
public:
    explicit Reader(std::istream& in) : in_(*in.rdbuf()) {}
    // False at the end of the input; throws CsvError on a malformed record.
    bool next(Record& out);

private:
    int get();
    int peek();
    void endOfLine(int c);

    std::streambuf& in_;
    std::string back_;  // bytes read ahead and given back, next first
    long line_ = 1;
    bool started_ = false;
};

// The cell as it must be written: quoted, with inner quotes doubled, when it
// holds a comma, a quote, CR or LF; unchanged otherwise.
std::string quote(std::string_view cell);
// Appends the cells joined by commas and an LF.
void appendRecord(std::string& out, const std::vector<std::string>& cells);

}  // namespace tools::csv
