#include "ui/text.h"

#include "store/value.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace ui::text {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence starting at s[i] and its code point,
// or 0 when the byte there does not start one.
std::size_t sequenceAt(std::string_view s, std::size_t i, char32_t& cp) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const std::size_t left = s.size() - i;
    const unsigned char b0 = at(0);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (left < 2 || !isContinuation(at(1))) return 0;
        cp = (char32_t(b0 & 0x1F) << 6) | (at(1) & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3) return 0;
        const unsigned char b1 = at(1);
        // E0 needs A0..BF (no overlong forms), ED needs 80..9F (no surrogates).
        const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80, hi = b0 == 0xED ? 0x9F : 0xBF;
        if (b1 < lo || b1 > hi || !isContinuation(at(2))) return 0;
        cp = (char32_t(b0 & 0x0F) << 12) | (char32_t(b1 & 0x3F) << 6) | (at(2) & 0x3F);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4) return 0;
        const unsigned char b1 = at(1);
        // F0 needs 90..BF (no overlong forms), F4 needs 80..8F (nothing above U+10FFFF).
        const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80, hi = b0 == 0xF4 ? 0x8F : 0xBF;
        if (b1 < lo || b1 > hi || !isContinuation(at(2)) || !isContinuation(at(3))) return 0;
        cp = (char32_t(b0 & 0x07) << 18) | (char32_t(b1 & 0x3F) << 12) | (char32_t(at(2) & 0x3F) << 6) |
             (at(3) & 0x3F);
        return 4;
    }
    return 0;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            out += '?';
            return;
        }
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += '?';
    }
}

bool isAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The text with every byte outside a well-formed sequence replaced by '?'.
std::string sanitized(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp;
        std::size_t n = sequenceAt(utf8, i, cp);
        if (n == 0) {
            out += '?';
            ++i;
        } else {
            out.append(utf8.substr(i, n));
            i += n;
        }
    }
    return out;
}

// One iconv descriptor. The code pages involved are stateless, so a descriptor
// is reused for every call after a reset.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("No se puede convertir texto de ") + from + " a " + to + ": " +
                                     std::strerror(errno));
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`. Where iconv refuses the input, onRefused(rest, out) appends
    // a replacement and returns how many input bytes it stands for (at least 1).
    template <class OnRefused>
    std::string run(std::string_view in, std::size_t outPerByte, OnRefused onRefused) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        std::string buf(in.size() * outPerByte + 16, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char* dst = buf.data();
            std::size_t dstLeft = buf.size();
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf.data(), buf.size() - dstLeft);
            if (r != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: a byte or character the conversion cannot take.
            std::size_t skip = onRefused(std::string_view(src, srcLeft), out);
            if (skip == 0 || skip > srcLeft) skip = 1;
            src += skip;
            srcLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t cd_;
};

enum class Which { FromTable, ToTable, FromCp850, ToCp850 };

Converter& converter(Which w) {
    thread_local std::optional<Converter> fromTable, toTable, fromCp850, toCp850;
    switch (w) {
        case Which::FromTable:
            if (!fromTable) fromTable.emplace("UTF-8", "WINDOWS-1252");
            return *fromTable;
        case Which::ToTable:
            if (!toTable) toTable.emplace("WINDOWS-1252", "UTF-8");
            return *toTable;
        case Which::FromCp850:
            if (!fromCp850) fromCp850.emplace("UTF-8", "IBM850");
            return *fromCp850;
        case Which::ToCp850:
            break;
    }
    if (!toCp850) toCp850.emplace("IBM850", "UTF-8");
    return *toCp850;
}

std::string singleByteToUtf8(Which w, std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);
    // A byte the code page leaves undefined shows as U+FFFD.
    return converter(w).run(bytes, 3, [](std::string_view, std::string& out) {
        out.append(kReplacementUtf8);
        return std::size_t{1};
    });
}

std::string utf8ToSingleByte(Which w, std::string_view utf8) {
    if (isAscii(utf8)) return std::string(utf8);
    std::string clean = sanitized(utf8);
    // The input is well-formed now, so a refusal is a character the code page
    // cannot hold: one '?' for the whole sequence.
    return converter(w).run(clean, 1, [](std::string_view rest, std::string& out) {
        out += '?';
        char32_t cp;
        std::size_t n = sequenceAt(rest, 0, cp);
        return n == 0 ? std::size_t{1} : n;
    });
}

}  // namespace

std::string fromTable(std::string_view windows1252) { return singleByteToUtf8(Which::FromTable, windows1252); }
std::string toTable(std::string_view utf8) { return utf8ToSingleByte(Which::ToTable, utf8); }
std::string fromCp850(std::string_view cp850) { return singleByteToUtf8(Which::FromCp850, cp850); }
std::string toCp850(std::string_view utf8) { return utf8ToSingleByte(Which::ToCp850, utf8); }

std::size_t tableLength(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size(); ++n) {
        char32_t cp;
        std::size_t len = sequenceAt(utf8, i, cp);
        i += len == 0 ? 1 : len;
    }
    return n;
}

namespace {

char32_t upperCodePoint(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;  // à..þ except ÷
    switch (c) {
        case 0xFF: return 0x178;   // ÿ -> Ÿ
        case 0x161: return 0x160;  // š -> Š
        case 0x17E: return 0x17D;  // ž -> Ž
        case 0x153: return 0x152;  // œ -> Œ
        default: return c;
    }
}

}  // namespace

char upperTable(char c) { return store::upperChar(c); }

std::string upperTable(std::string_view windows1252) {
    std::string out(windows1252);
    for (char& c : out) c = upperTable(c);
    return out;
}

std::string upper(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp;
        std::size_t len = sequenceAt(utf8, i, cp);
        if (len == 0) {
            out += '?';
            ++i;
        } else {
            appendUtf8(out, upperCodePoint(cp));
            i += len;
        }
    }
    return out;
}

}  // namespace ui::text
