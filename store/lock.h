// Byte-range locks shared with other xBase engines.
//
// Record, header and file locks sit at the positions that Clipper-style DBF
// engines use, so that our locks and theirs exclude each other. The locks are
// open-file-description locks: they belong to the open file, so two opens of
// one table inside a single process exclude each other as two workstations do.
#pragma once

#include <cstdint>

namespace store::lock {

constexpr std::int64_t kBase = 1000000000;        // header / append lock byte
constexpr std::int64_t kFileStart = kBase + 1;     // file lock covers every record byte
constexpr std::int64_t kFileLength = 1000000000;
// Byte used to emulate shared / exclusive opening: shared openers hold a read
// lock on it, an exclusive opener a write lock.
constexpr std::int64_t kShareByte = 0x7FFFFFFF;

enum class Kind { Read, Write };

// Non-blocking attempt; true when the lock is held afterwards.
bool tryLock(int fd, std::int64_t start, std::int64_t length, Kind kind);
// Waits until the lock is granted (used only for the brief index locks).
void waitLock(int fd, std::int64_t start, std::int64_t length, Kind kind);
void unlock(int fd, std::int64_t start, std::int64_t length);

inline std::int64_t recordByte(std::uint32_t recno) { return kBase + recno; }

}  // namespace store::lock
