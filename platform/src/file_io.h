#pragma once

// File input and output shared by the file operations and the archives.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform::detail {

// A path as messages show it: between double quotes.
std::string inQuotes(std::string_view path);

// "<action> "<path>": <system's reason>."
Status systemFailure(std::string_view action, std::string_view shown, int error);

// An open file that reports failures in the words of the path the caller knows it by.
class File {
 public:
  // flags as for open(2): O_RDONLY, or O_WRONLY | O_TRUNC for an existing file.
  static Result<File> open(const std::filesystem::path& path, int flags, std::string shown);

  File(File&& other) noexcept;
  File& operator=(File&&) = delete;
  ~File();

  int descriptor() const noexcept { return fd_; }

  // Fills `buffer` as far as the file allows; fewer bytes than asked only at its end.
  Result<std::size_t> read(char* buffer, std::size_t size);
  Result<std::string> readToEnd();
  Status write(std::string_view data);
  // Closes the file; a write that the system delayed may fail only here.
  Status close();

 private:
  File(int fd, std::string shown) : fd_(fd), shown_(std::move(shown)) {}
  Status failure(std::string_view action) const;

  int fd_;
  std::string shown_;
};

// Writes a file in full or not at all. `write` fills a new file beside `target` (a hidden
// temporary name in the same folder), which then replaces `target` in one rename. When `write`
// fails, the temporary file is removed and an existing `target` stays as it was. `shown` names
// the target in messages.
Status replaceFile(const std::filesystem::path& target, std::string_view shown,
                   const std::function<Status(const std::filesystem::path& temporary)>& write);

// Copies the rest of `input` to `output`.
Status copyRest(File& input, File& output);

}  // namespace platform::detail
