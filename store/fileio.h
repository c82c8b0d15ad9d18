// Whole reads and writes at a position, and little-endian fields, for the table
// and index files.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace store::fileio {

// False (errno set) when the system refused part of the write.
bool writeAll(int fd, const void* data, std::size_t n, off_t at);
// The bytes read, short at the end of the file; -1 (errno set) on an error.
ssize_t readAll(int fd, void* data, std::size_t n, off_t at);
// True only when all n bytes were read.
inline bool readExactly(int fd, void* data, std::size_t n, off_t at) {
    return readAll(fd, data, n, at) == static_cast<ssize_t>(n);
}

inline std::uint16_t get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t get32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void put16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void put32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace store::fileio
