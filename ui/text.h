// Text conversion between the screens and the bytes the program keeps.
//
// Screens work in Unicode (UTF-8 std::string). Table fields hold single-byte
// Windows text (Windows-1252), byte for byte as entered; some fixed texts of the
// program, and descriptions it generates, are code page 850 bytes. Every
// conversion between these goes through here.
//
// Rules:
// - Text that is not valid UTF-8 is read byte by byte: each byte that does not
//   belong to a well-formed sequence (stray continuation bytes, truncated or
//   overlong sequences, surrogates, code points above U+10FFFF) stands for one
//   '?'. A character the target code page cannot hold also becomes one '?'.
//   So toTable() and toCp850() always give exactly tableLength() bytes.
// - Windows-1252 leaves the bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D undefined;
//   fromTable() shows each of them as U+FFFD (the replacement character), which
//   toTable() writes back as '?'. Every other byte converts both ways unchanged.
// - Code page 850 defines all 256 bytes, so fromCp850() never loses anything.
//
// The iconv descriptors are opened on first use and kept per thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ui::text {

// Windows-1252 bytes of a table field -> UTF-8 for display.
std::string fromTable(std::string_view windows1252);
// UTF-8 from a screen -> Windows-1252 bytes for a table field.
std::string toTable(std::string_view utf8);
// Code page 850 bytes -> UTF-8.
std::string fromCp850(std::string_view cp850);
// UTF-8 -> code page 850 bytes.
std::string toCp850(std::string_view utf8);

// Number of bytes the text takes once converted to a single-byte code page:
// its code points, each invalid byte counting as one. A table field's width is
// measured in these.
std::size_t tableLength(std::string_view utf8);

// Upper case of table text (Windows-1252 bytes): a-z, the accented letters
// (á -> Á, ñ -> Ñ, ü -> Ü, ...), ÿ, š, ž and œ. Other bytes are unchanged.
char upperTable(char c);
std::string upperTable(std::string_view windows1252);
// The same for screen text (UTF-8), for the same letters; invalid bytes become '?'.
std::string upper(std::string_view utf8);

}  // namespace ui::text
