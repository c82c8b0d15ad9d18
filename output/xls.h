#pragma once

// Single-sheet Excel 2.x workbooks (BIFF2 records), as the spreadsheet exports write them.
//
// The workbook is built in memory and reaches the disk only at close(): every cell is checked
// against the limits of the format when it is written (256 columns, 16,384 rows, 255 characters
// per text), and a workbook in which any check failed is never written. The file is written
// under a temporary name in the target folder and renamed over the target when complete, so a
// failed export leaves an existing file of that name as it was and never a partial file.
//
// Rows and columns are counted from 1, as the exports think of them.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/status.h"
#include "store/value.h"

namespace output {

struct XlsFont {
  std::string face = "Arial";
  int points = 10;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;

  friend bool operator==(const XlsFont&, const XlsFont&) = default;
};

// Font and number format of one cell; 0 is the default font (Arial 10) and the General format.
struct XlsStyle {
  int font = 0;
  int format = 0;
};

class XlsWorkbook {
 public:
  static constexpr int kMaxRows = 16384;
  static constexpr int kMaxColumns = 256;
  static constexpr int kMaxText = 255;
  static constexpr int kMaxFonts = 4;     // the default font and three more
  static constexpr int kMaxFormats = 64;  // General included
  static constexpr int kMaxStyles = 63;   // font and format pairs used by the cells, default included
  static constexpr double kDefaultWidth = 10.71;

  XlsWorkbook();
  ~XlsWorkbook();  // an unclosed workbook is abandoned
  XlsWorkbook(const XlsWorkbook&) = delete;
  XlsWorkbook& operator=(const XlsWorkbook&) = delete;

  // The number of a font; an equal definition returns the same number.
  platform::Result<int> defineFont(const XlsFont& font);
  // The number of a number format such as "#,##0.00"; equal texts return the same number.
  platform::Result<int> defineNumberFormat(std::string_view text);

  // Starts the workbook for the given host path: the temporary file is created at once in the
  // target folder, so a folder that is missing or not writable is reported here.
  platform::Status create(const std::string& path);

  // Width in characters (above 0, at most 255) of the columns first..last.
  platform::Status setColumnWidth(int first, int last, double characters);
  platform::Status setColumnWidth(int column, double characters) {
    return setColumnWidth(column, column, characters);
  }

  // One cell, typed by its value: number, text (bytes as stored, at most 255), logical value,
  // date (the day serial of the 1900 system as a number, in the cell's format: General unless
  // the caller gives one), or an empty cell for no value, an empty text and an empty date.
  // Writing a cell again replaces it. Every distinct pair of font and format that the cells use
  // becomes one cell format (XF record) of the file: at most kMaxStyles, the default included.
  platform::Status writeCell(int row, int column, const std::optional<store::Value>& value,
                             XlsStyle style = {});

  // Writes the file and renames it over the target. Fails (writing nothing) when a cell or
  // width was refused since create().
  platform::Status close();
  // Drops the workbook and its temporary file; the target is left as it was.
  void abandon();

  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  platform::Status refuse(std::string message);

  std::vector<XlsFont> fonts_;
  std::vector<std::string> formats_;
  std::vector<XlsStyle> styles_;  // the cell formats (XF records) in the order of first use
  std::vector<std::pair<std::pair<int, int>, std::uint16_t>> widths_;  // columns (0-based), width
  std::map<std::pair<int, int>, std::string> cells_;  // (row, column) 0-based -> record bytes
  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
  std::optional<platform::Status> refused_;
};

}  // namespace output
