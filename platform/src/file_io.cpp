#include "file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace platform::detail {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

std::string inQuotes(std::string_view path) { return "\"" + std::string(path) + "\""; }

Status systemFailure(std::string_view action, std::string_view shown, int error) {
  return Status::failure(std::string(action) + " " + inQuotes(shown) + ": " + std::strerror(error) + ".");
}

Result<File> File::open(const fs::path& path, int flags, std::string shown) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return systemFailure("No se pudo abrir", shown, errno);
  return File(fd, std::move(shown));
}

File::File(File&& other) noexcept : fd_(other.fd_), shown_(std::move(other.shown_)) { other.fd_ = -1; }

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

Status File::failure(std::string_view action) const { return systemFailure(action, shown_, errno); }

Result<std::size_t> File::read(char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd_, buffer + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failure("No se pudo leer");
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

Result<std::string> File::readToEnd() {
  std::string data;
  std::array<char, kChunk> buffer;
  for (;;) {
    Result<std::size_t> n = read(buffer.data(), buffer.size());
    if (!n) return n.status();
    data.append(buffer.data(), n.value());
    if (n.value() < buffer.size()) return data;
  }
}

Status File::write(std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd_, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failure("No se pudo escribir");
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

Status File::close() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return failure("No se pudo escribir");
  return {};
}

Status copyRest(File& input, File& output) {
  std::array<char, kChunk> buffer;
  for (;;) {
    Result<std::size_t> n = input.read(buffer.data(), buffer.size());
    if (!n) return n.status();
    if (Status written = output.write({buffer.data(), n.value()}); !written) return written;
    if (n.value() < buffer.size()) return {};
  }
}

Status replaceFile(const fs::path& target, std::string_view shown,
                   const std::function<Status(const fs::path& temporary)>& write) {
  // The name begins with a dot so that listings by the program's patterns ("zdr*.*") skip it.
  const std::string stem = "." + target.filename().string() + ".part-" + std::to_string(::getpid()) + "-";
  fs::path temporary;
  for (int attempt = 0;; ++attempt) {
    temporary = target.parent_path() / (stem + std::to_string(attempt));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      break;
    }
    if (errno != EEXIST || attempt == 99) return systemFailure("No se pudo crear", shown, errno);
  }
  Status status = write(temporary);
  if (status && ::rename(temporary.c_str(), target.c_str()) != 0)
    status = systemFailure("No se pudo reemplazar", shown, errno);
  if (!status) ::unlink(temporary.c_str());
  return status;
}

}  // namespace platform::detail
