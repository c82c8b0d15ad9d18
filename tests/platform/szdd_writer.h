#pragma once

// A small SZDD (Windows LZ, COMPRESS.EXE) writer for test fixtures: real LZSS matches found by
// an exhaustive search of the 4096-byte window, including the blanks it starts with and
// matches that overlap the bytes they produce.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform_test {

// The 14-byte header announcing `length` expanded bytes.
std::string szddHeader(std::uint32_t length);

std::string compressSzdd(std::string_view data);

}  // namespace platform_test
