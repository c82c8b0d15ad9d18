#pragma once

// ZIP archives (deflate), named by stored paths. Every failure to read or write is reported.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace platform {

struct ZipEntry {
  std::string name;
  std::uint64_t size = 0;  // expanded size in bytes
};

// Writes an archive holding the given files, each under its bare file name (its folder
// dropped), deflated, in the order given; an existing archive of that name is replaced. Two
// files with the same bare name are refused. The archive is written under a temporary name and
// renamed when complete, so a failure leaves no partial archive.
Status writeZip(std::string_view archive, const std::vector<std::string>& files);

// The entries of an archive, in archive order.
Result<std::vector<ZipEntry>> listZip(std::string_view archive);

// Extracts every entry into an existing folder, replacing files of the same name. Entries whose
// names hold a folder part, "..", or characters that validateFileName() refuses are refused, and
// then nothing is extracted. Each file is complete or absent: a damaged entry (bad data or
// checksum) stops the extraction with a failure, leaving the entries before it extracted.
Status extractZip(std::string_view archive, std::string_view folder);

}  // namespace platform
