#include "support/readers.h"

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "support/files.h"

namespace testsupport {

std::string run(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return out;
    std::array<char, 4096> buf;
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe.get())) > 0) out.append(buf.data(), n);
    return out;
}

std::string pdfText(const std::string& path) { return run("pdftotext -layout '" + path + "' - 2>/dev/null"); }

namespace {

const char* kReader = R"PY(
import sys, xlrd
try:
    book = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=sys.stderr)
except Exception as e:
    print("error: %s" % e)
    sys.exit(0)
sheet = book.sheet_by_index(0)
print("sheets %d" % book.nsheets)
print("size %dx%d" % (sheet.nrows, sheet.ncols))
for c in sorted(sheet.colinfo_map):
    print("width %d %d" % (c + 1, sheet.colinfo_map[c].width))
names = {0: "empty", 1: "text", 2: "number", 3: "date", 4: "bool", 5: "error", 6: "blank"}
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        if cell.ctype == 0:
            continue
        xf = book.xf_list[cell.xf_index]
        font = book.font_list[xf.font_index]
        fmt = book.format_map[xf.format_key].format_str
        print("%d,%d %s %r %s/%s%d %s" % (r + 1, c + 1, names[cell.ctype], cell.value, font.name,
              "B" if font.bold else "-", font.height // 20, fmt))
)PY";

}  // namespace

std::string readXls(const std::string& path) {
  TempDir dir;
  std::string script = dir.file("reader.py");
  writeFile(script, kReader);
  std::string command = "PYTHONIOENCODING=utf-8 /usr/bin/python3 '" + script + "' '" + path + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run python3");
  std::string out;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  if (::pclose(pipe) != 0) out += "reader failed\n";
  return out;
}

}  // namespace testsupport
