#include "tools/csv.h"

namespace tools::csv {

int Reader::get() {
    if (!back_.empty()) {
        int b = static_cast<unsigned char>(back_.front());
        back_.erase(0, 1);
        return b;
    }
    int c = in_.sbumpc();
    return c == std::char_traits<char>::eof() ? -1 : c;
}

int Reader::peek() {
    if (!back_.empty()) return static_cast<unsigned char>(back_.front());
    int c = in_.sgetc();
    return c == std::char_traits<char>::eof() ? -1 : c;
}

// Consumes the rest of a line end that started with c (CR may be followed by LF).
void Reader::endOfLine(int c) {
    if (c == '\r' && peek() == '\n') get();
    ++line_;
}

bool Reader::next(Record& out) {
    out.cells.clear();
    if (!started_) {
        started_ = true;
        if (peek() == 0xEF) {
            // A byte-order mark is three bytes; anything else starting with 0xEF is data.
            std::string head;
            for (int i = 0; i < 3; ++i) {
                int c = get();
                if (c < 0) break;
                head += static_cast<char>(c);
            }
            if (head != "\xEF\xBB\xBF") back_ = head;
        }
    }
    // Skip empty lines.
    for (;;) {
        int c = peek();
        if (c == -1) return false;
        if (c != '\r' && c != '\n') break;
        endOfLine(get());
    }
    out.line = line_;
    std::string cell;
    bool quoted = false;      // the cell started with a quote
    bool inQuotes = false;    // inside the quoted part
    bool afterClose = false;  // the closing quote has been read
    for (;;) {
        int c = get();
        if (inQuotes) {
            if (c == -1) throw CsvError(out.line, "comillas sin cerrar");
            if (c == '"') {
                if (peek() == '"') {
                    get();
                    cell += '"';
                } else {
                    inQuotes = false;
                    afterClose = true;
                }
            } else {
                if (c == '\n' || (c == '\r' && peek() != '\n')) ++line_;
                cell += static_cast<char>(c);
            }
            continue;
        }
        if (c == ',' || c == '\n' || c == '\r' || c == -1) {
            out.cells.push_back(std::move(cell));
            cell.clear();
            quoted = afterClose = false;
            if (c == ',') continue;
            if (c != -1) endOfLine(c);
            return true;
        }
        if (afterClose)
            throw CsvError(out.line, "texto después de las comillas de cierre en la columna " +
                                         std::to_string(out.cells.size() + 1));
        if (c == '"') {
            if (!quoted && cell.empty()) {
                quoted = inQuotes = true;
                continue;
            }
            throw CsvError(out.line, "comillas dentro de un valor sin comillas en la columna " +
                                         std::to_string(out.cells.size() + 1));
        }
        cell += static_cast<char>(c);
    }
}

std::string quote(std::string_view cell) {
    if (cell.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(cell);
    std::string r;
    r.reserve(cell.size() + 2);
    r += '"';
    for (char c : cell) {
        if (c == '"') r += '"';
        r += c;
    }
    r += '"';
    return r;
}

void appendRecord(std::string& out, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i) out += ',';
        out += quote(cells[i]);
    }
    out += '\n';
}

}  // namespace tools::csv
