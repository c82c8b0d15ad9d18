#pragma once

// Files and folders, named by stored paths (see paths.h for how they map onto the host).

#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace platform {

bool fileExists(std::string_view path);    // an existing file, not a folder
bool folderExists(std::string_view path);

// Deletes a file; a file that is not there counts as deleted.
Status deleteFile(std::string_view path);

// Creates a folder, one level: its parent must exist. A folder that is already there is fine.
Status createFolder(std::string_view path);

// Copies a file, replacing the target. The target is written under a temporary name and
// renamed when complete, so a failed copy leaves no partial file and an existing target intact.
Status copyFile(std::string_view from, std::string_view to);

// Like copyFile(), but a source in the Windows LZ format (SZDD, written by COMPRESS) is expanded
// on the way; any other file is copied unchanged. A damaged or truncated compressed file fails.
Status copyExpanding(std::string_view from, std::string_view to);

// Names of the files (not folders) in a folder that match a DOS pattern such as "zdr*.*"
// (see matchesPattern()), in the order the system returns them.
Result<std::vector<std::string>> listFiles(std::string_view folder, std::string_view pattern);

}  // namespace platform
