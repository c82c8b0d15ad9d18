#include "output/xls.h"

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstring>

#include "output/system_error.h"

namespace output {

namespace {

constexpr std::uint16_t kBof = 0x0009;
constexpr std::uint16_t kDimensions = 0x0000;
constexpr std::uint16_t kCodepage = 0x0042;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kFormatCount = 0x001F;
constexpr std::uint16_t kFormat = 0x001E;
constexpr std::uint16_t kColWidth = 0x0024;
constexpr std::uint16_t kColInfo = 0x007D;
constexpr std::uint16_t kXf = 0x0043;
constexpr std::uint16_t kBlank = 0x0001;
constexpr std::uint16_t kNumber = 0x0003;
constexpr std::uint16_t kLabel = 0x0004;
constexpr std::uint16_t kBoolErr = 0x0005;
constexpr std::uint16_t kEof = 0x000A;

void put16(std::string& out, unsigned v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void record(std::string& out, std::uint16_t id, const std::string& data) {
  put16(out, id);
  put16(out, static_cast<unsigned>(data.size()));
  out += data;
}

// Cell head: row, column (0-based) and the three attribute bytes: the cell format (XF) number,
// and the same format and font repeated for readers that take them from the cell.
std::string cellHead(int row, int column, int xf, XlsStyle style) {
  std::string d;
  put16(d, static_cast<unsigned>(row));
  put16(d, static_cast<unsigned>(column));
  d.push_back(static_cast<char>(xf & 0x3F));
  d.push_back(static_cast<char>((style.format & 0x3F) | ((style.font & 0x03) << 6)));
  d.push_back('\0');
  return d;
}

void putDouble(std::string& out, double v) {
  unsigned char bytes[8];
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
  out.append(reinterpret_cast<const char*>(bytes), 8);
}

// The double nearest to the exact decimal (the text form is parsed, so no error is added on
// the way).
double exactDouble(const store::Decimal& d) {
  std::string text = d.toString();
  double v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc()) return d.toDouble();
  return v;
}

std::string position(int row, int column) {
  return "fila " + std::to_string(row) + ", columna " + std::to_string(column);
}

}  // namespace

XlsWorkbook::XlsWorkbook() {
  fonts_.push_back(XlsFont{});
  formats_.push_back("General");
  styles_.push_back(XlsStyle{});
}

XlsWorkbook::~XlsWorkbook() { abandon(); }

platform::Result<int> XlsWorkbook::defineFont(const XlsFont& font) {
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i] == font) return static_cast<int>(i);
  if (font.face.empty() || font.face.size() > 255 || font.points < 1 || font.points > 409)
    return refuse("Fuente no válida para la hoja de cálculo: \"" + font.face + "\" de " +
                  std::to_string(font.points) + " puntos");
  if (static_cast<int>(fonts_.size()) >= kMaxFonts)
    return refuse("La hoja de cálculo admite a lo más " + std::to_string(kMaxFonts - 1) +
                  " fuentes además de la normal");
  fonts_.push_back(font);
  return static_cast<int>(fonts_.size() - 1);
}

platform::Result<int> XlsWorkbook::defineNumberFormat(std::string_view text) {
  for (std::size_t i = 0; i < formats_.size(); ++i)
    if (formats_[i] == text) return static_cast<int>(i);
  if (text.empty() || text.size() > 255)
    return refuse("Formato numérico no válido para la hoja de cálculo: \"" + std::string(text) + "\"");
  if (static_cast<int>(formats_.size()) >= kMaxFormats)
    return refuse("La hoja de cálculo admite a lo más " + std::to_string(kMaxFormats) + " formatos");
  formats_.emplace_back(text);
  return static_cast<int>(formats_.size() - 1);
}

platform::Status XlsWorkbook::refuse(std::string message) {
  if (!path_.empty()) message += " (archivo \"" + path_ + "\")";
  platform::Status failure = platform::Status::failure(std::move(message));
  if (!refused_) refused_ = failure;
  return failure;
}

platform::Status XlsWorkbook::create(const std::string& path) {
  abandon();
  cells_.clear();
  widths_.clear();
  styles_.assign(1, XlsStyle{});
  path_ = path;
  auto temp = detail::createTemp(path);
  if (!temp) return temp.status();
  fd_ = temp.value().fd;
  tempPath_ = temp.value().name;
  return {};
}

platform::Status XlsWorkbook::setColumnWidth(int first, int last, double characters) {
  if (first < 1 || last < first || last > kMaxColumns)
    return refuse("Columnas fuera de la hoja de cálculo: " + std::to_string(first) + " a " +
                  std::to_string(last) + " (la hoja admite " + std::to_string(kMaxColumns) + ")");
  if (!(characters > 0) || characters > 255)
    return refuse("Ancho de columna no válido: " + std::to_string(characters) + " caracteres");
  auto units = static_cast<std::uint16_t>(std::lround(characters * 256));
  widths_.push_back({{first - 1, last - 1}, units});
  return {};
}

platform::Status XlsWorkbook::writeCell(int row, int column, const std::optional<store::Value>& value,
                                        XlsStyle style) {
  if (row < 1 || row > kMaxRows)
    return refuse("La exportación no cabe en la hoja de cálculo: la " + position(row, column) +
                  " pasa el límite de " + std::to_string(kMaxRows) + " filas");
  if (column < 1 || column > kMaxColumns)
    return refuse("La exportación no cabe en la hoja de cálculo: la " + position(row, column) +
                  " pasa el límite de " + std::to_string(kMaxColumns) + " columnas");
  if (style.font < 0 || style.font >= static_cast<int>(fonts_.size()))
    return refuse("Fuente no definida en la " + position(row, column));
  if (style.format < 0 || style.format >= static_cast<int>(formats_.size()))
    return refuse("Formato no definido en la " + position(row, column));

  int xf = 0;
  while (xf < static_cast<int>(styles_.size()) &&
         (styles_[xf].font != style.font || styles_[xf].format != style.format))
    ++xf;
  if (xf == static_cast<int>(styles_.size())) {
    if (xf >= kMaxStyles)
      return refuse("La hoja de cálculo admite a lo más " + std::to_string(kMaxStyles) +
                    " combinaciones de fuente y formato (" + position(row, column) + ")");
    styles_.push_back(style);
  }

  std::string data = cellHead(row - 1, column - 1, xf, style);
  std::uint16_t id = kBlank;
  if (value) {
    if (value->isNum()) {
      id = kNumber;
      putDouble(data, exactDouble(value->num()));
    } else if (value->isText()) {
      const std::string& text = value->text();
      if (text.size() > static_cast<std::size_t>(kMaxText))
        return refuse("Texto demasiado largo para la hoja de cálculo en la " + position(row, column) + ": " +
                      std::to_string(text.size()) + " caracteres (se admiten " + std::to_string(kMaxText) + ")");
      if (!text.empty()) {
        id = kLabel;
        data.push_back(static_cast<char>(text.size()));
        data += text;
      }
    } else if (value->isLogic()) {
      id = kBoolErr;
      data.push_back(value->logic() ? '\1' : '\0');
      data.push_back('\0');
    } else if (value->isDate()) {
      if (!value->date().isEmpty()) {
        id = kNumber;
        putDouble(data, static_cast<double>(value->date().spreadsheetSerial()));
      }
    }
  }
  std::string rec;
  record(rec, id, data);
  cells_[{row - 1, column - 1}] = std::move(rec);
  return {};
}

platform::Status XlsWorkbook::close() {
  if (fd_ < 0) return platform::Status::failure("La hoja de cálculo no se ha creado");
  if (refused_) {
    platform::Status failure = *refused_;
    abandon();
    return failure;
  }
  std::string out;
  std::string d;
  put16(d, 0x0002);
  put16(d, 0x0010);
  record(out, kBof, d);

  d.clear();
  put16(d, 1252);
  record(out, kCodepage, d);

  int firstRow = 0, lastRow = 0, firstCol = 0, lastCol = 0;
  if (!cells_.empty()) {
    firstRow = cells_.begin()->first.first;
    lastRow = cells_.rbegin()->first.first + 1;
    firstCol = kMaxColumns;
    for (const auto& [at, bytes] : cells_) {
      firstCol = std::min(firstCol, at.second);
      lastCol = std::max(lastCol, at.second + 1);
    }
  }
  d.clear();
  put16(d, static_cast<unsigned>(firstRow));
  put16(d, static_cast<unsigned>(lastRow));
  put16(d, static_cast<unsigned>(firstCol));
  put16(d, static_cast<unsigned>(lastCol));
  record(out, kDimensions, d);

  for (const XlsFont& f : fonts_) {
    d.clear();
    put16(d, static_cast<unsigned>(f.points * 20));
    put16(d, (f.bold ? 1u : 0u) | (f.italic ? 2u : 0u) | (f.underline ? 4u : 0u) | (f.strikeOut ? 8u : 0u));
    d.push_back(static_cast<char>(f.face.size()));
    d += f.face;
    record(out, kFont, d);
  }

  d.clear();
  put16(d, static_cast<unsigned>(formats_.size()));
  record(out, kFormatCount, d);
  for (const std::string& f : formats_) {
    d.clear();
    d.push_back(static_cast<char>(f.size()));
    d += f;
    record(out, kFormat, d);
  }

  // BIFF2 XF: font, unused, number format (bits 0-5), alignment and borders
  for (const XlsStyle& style : styles_) {
    d.clear();
    d.push_back(static_cast<char>(style.font));
    d.push_back('\0');
    d.push_back(static_cast<char>(style.format & 0x3F));
    d.push_back('\0');
    record(out, kXf, d);
  }

  for (const auto& [columns, units] : widths_) {
    d.clear();
    d.push_back(static_cast<char>(columns.first));
    d.push_back(static_cast<char>(columns.second));
    put16(d, units);
    record(out, kColWidth, d);
    // the same width as COLINFO (first, last, width, XF, options, reserved), which readers that
    // skip COLWIDTH take the width from
    d.clear();
    put16(d, static_cast<unsigned>(columns.first));
    put16(d, static_cast<unsigned>(columns.second));
    put16(d, units);
    put16(d, 0);
    put16(d, 0);
    put16(d, 0);
    record(out, kColInfo, d);
  }

  for (const auto& [at, bytes] : cells_) out += bytes;
  record(out, kEof, {});

  detail::TempFile temp{fd_, tempPath_};
  fd_ = -1;
  tempPath_.clear();
  cells_.clear();
  return detail::commitTemp(temp, path_, out);
}

void XlsWorkbook::abandon() {
  if (fd_ >= 0 || !tempPath_.empty()) {
    detail::TempFile temp{fd_, tempPath_};
    detail::dropTemp(temp);
  }
  fd_ = -1;
  tempPath_.clear();
  cells_.clear();
}

}  // namespace output
