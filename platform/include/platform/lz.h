#pragma once

// Windows LZ compression (SZDD), the format of files written by COMPRESS and read by EXPAND:
// a 14-byte header (magic "SZDD" 88 F0 27 33, mode 'A', the last character of the original
// name, the expanded length as uint32 little-endian), then LZSS data over a 4096-byte window
// that starts filled with blanks, with the write position at 4096 - 16.

#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

// True when the data begin with the SZDD magic.
bool looksLikeSzdd(std::string_view data);

// The expanded contents of a whole SZDD file. Fails when the header is incomplete or of
// another mode, or when the data end before the length the header announces.
Result<std::string> expandSzdd(std::string_view data);

}  // namespace platform
