#pragma once

// Shared by the writers of the output layer: Spanish wording of the system's reasons, and files
// that replace their target only when complete.

#include <cstddef>
#include <string>

#include "platform/status.h"

namespace output::detail {

std::string reason(int error);

// what + " \"" + path + "\": " + reason(error)
platform::Status systemFailure(const std::string& what, const std::string& path, int error);

// A temporary file next to `path` (same folder, so that the rename is atomic), open for
// writing. On failure the status names `path`.
struct TempFile {
  int fd = -1;
  std::string name;
};
platform::Result<TempFile> createTemp(const std::string& path);

// Writes data to the temporary file, closes it and renames it over `path`. On any failure the
// temporary file is removed and `path` is left as it was.
platform::Status commitTemp(TempFile& temp, const std::string& path, const std::string& data);

// Closes and removes a temporary file that will not be used.
void dropTemp(TempFile& temp);

// The whole file, written through a temporary file.
platform::Status writeReplacing(const std::string& path, const std::string& data);

}  // namespace output::detail
