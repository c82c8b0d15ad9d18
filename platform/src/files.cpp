#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "file_io.h"
#include "platform/lz.h"
#include "platform/paths.h"

namespace platform {
namespace fs = std::filesystem;
using detail::File;
using detail::inQuotes;
using detail::systemFailure;

namespace {

// Writes the source to the target, expanding it when asked and when it is an SZDD file.
Status copy(std::string_view from, std::string_view to, bool expand) {
  Result<fs::path> source = toHost(from);
  if (!source) return source.status();
  Result<fs::path> target = toHost(to);
  if (!target) return target.status();
  Result<File> opened = File::open(source.value(), O_RDONLY, std::string(from));
  if (!opened) return opened.status();
  File input = std::move(opened).value();

  return detail::replaceFile(target.value(), to, [&](const fs::path& temporary) -> Status {
    Result<File> created = File::open(temporary, O_WRONLY | O_TRUNC, std::string(to));
    if (!created) return created.status();
    File output = std::move(created).value();

    char head[14];  // an SZDD header's worth
    Result<std::size_t> headSize = input.read(head, sizeof head);
    if (!headSize) return headSize.status();
    const std::string_view headData(head, headSize.value());
    Status written;
    if (expand && looksLikeSzdd(headData)) {
      Result<std::string> rest = input.readToEnd();
      if (!rest) return rest.status();
      Result<std::string> expanded = expandSzdd(std::string(headData) + rest.value());
      if (!expanded) return Status::failure("No se pudo expandir " + inQuotes(from) + ": " + expanded.message() + ".");
      written = output.write(expanded.value());
    } else {
      written = output.write(headData);
      if (written) written = detail::copyRest(input, output);
    }
    if (!written) return written;
    return output.close();
  });
}

}  // namespace

bool fileExists(std::string_view path) {
  Result<fs::path> host = toHost(path);
  std::error_code ec;
  return host && fs::is_regular_file(host.value(), ec);
}

bool folderExists(std::string_view path) {
  Result<fs::path> host = toHost(path);
  std::error_code ec;
  return host && fs::is_directory(host.value(), ec);
}

Status deleteFile(std::string_view path) {
  Result<fs::path> host = toHost(path);
  if (!host) return host.status();
  if (::unlink(host.value().c_str()) == 0 || errno == ENOENT) return {};
  return systemFailure("No se pudo borrar", path, errno);
}

Status createFolder(std::string_view path) {
  Result<fs::path> host = toHost(path);
  if (!host) return host.status();
  if (::mkdir(host.value().c_str(), 0777) == 0) return {};
  const int error = errno;
  std::error_code ec;
  if (error == EEXIST && fs::is_directory(host.value(), ec)) return {};
  if (error == ENOENT)
    return Status::failure("No se pudo crear la carpeta " + inQuotes(path) + ": la carpeta que la contiene no existe.");
  return systemFailure("No se pudo crear la carpeta", path, error);
}

Status copyFile(std::string_view from, std::string_view to) { return copy(from, to, false); }

Status copyExpanding(std::string_view from, std::string_view to) { return copy(from, to, true); }

Result<std::vector<std::string>> listFiles(std::string_view folder, std::string_view pattern) {
  Result<fs::path> host = toHost(folder);
  if (!host) return host.status();
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(host.value(), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code statusError;
    if (!it->is_regular_file(statusError)) continue;
    std::string name = it->path().filename().string();
    if (matchesPattern(name, pattern)) names.push_back(std::move(name));
  }
  if (ec) return Status::failure("No se pudo leer la carpeta " + inQuotes(folder) + ": " + ec.message() + ".");
  return names;
}

}  // namespace platform
