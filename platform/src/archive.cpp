#include "platform/archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unzip.h>
#include <zip.h>

#include <array>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <memory>

#include "file_io.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace platform {
namespace fs = std::filesystem;
using detail::File;
using detail::inQuotes;

namespace {

constexpr std::size_t kChunk = 64 * 1024;

Status archiveFailure(std::string_view archive, std::string_view problem) {
  return Status::failure("Archivo ZIP " + inQuotes(archive) + ": " + std::string(problem) + ".");
}

struct Source {
  fs::path host;
  std::string shown;
  std::string entryName;
};

// The entry's date and time: the file's modification time.
zip_fileinfo entryInfo(std::time_t modified) {
  zip_fileinfo info{};
  std::tm local{};
  if (::localtime_r(&modified, &local) != nullptr) {
    info.tmz_date.tm_sec = local.tm_sec;
    info.tmz_date.tm_min = local.tm_min;
    info.tmz_date.tm_hour = local.tm_hour;
    info.tmz_date.tm_mday = local.tm_mday;
    info.tmz_date.tm_mon = local.tm_mon;
    info.tmz_date.tm_year = local.tm_year + 1900;
  }
  return info;
}

Status addEntry(zipFile zip, const Source& source, std::string_view archive) {
  Result<File> opened = File::open(source.host, O_RDONLY, source.shown);
  if (!opened) return opened.status();
  File input = std::move(opened).value();
  struct stat status {};
  if (::fstat(input.descriptor(), &status) != 0) return detail::systemFailure("No se pudo leer", source.shown, errno);
  const zip_fileinfo info = entryInfo(status.st_mtime);
  const int large = status.st_size >= 0xFFFFFFFFLL;  // needs the ZIP64 extension
  if (zipOpenNewFileInZip64(zip, source.entryName.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            Z_DEFAULT_COMPRESSION, large) != ZIP_OK)
    return archiveFailure(archive, "no se pudo añadir " + inQuotes(source.shown));
  std::array<char, kChunk> buffer;
  for (;;) {
    Result<std::size_t> n = input.read(buffer.data(), buffer.size());
    if (!n) {
      zipCloseFileInZip(zip);
      return n.status();
    }
    if (n.value() > 0 && zipWriteInFileInZip(zip, buffer.data(), static_cast<unsigned>(n.value())) != ZIP_OK) {
      zipCloseFileInZip(zip);
      return archiveFailure(archive, "no se pudo escribir " + inQuotes(source.shown));
    }
    if (n.value() < buffer.size()) break;
  }
  if (zipCloseFileInZip(zip) != ZIP_OK) return archiveFailure(archive, "no se pudo escribir " + inQuotes(source.shown));
  return {};
}

struct UnzipCloser {
  void operator()(void* zip) const { unzClose(zip); }
};
using UnzipHandle = std::unique_ptr<void, UnzipCloser>;

Result<UnzipHandle> openArchive(std::string_view archive) {
  Result<fs::path> host = toHost(archive);
  if (!host) return host.status();
  UnzipHandle zip(unzOpen64(host.value().c_str()));
  if (!zip) return archiveFailure(archive, "no existe o no es un archivo ZIP válido");
  return zip;
}

Result<std::vector<ZipEntry>> readEntries(unzFile zip, std::string_view archive) {
  std::vector<ZipEntry> entries;
  int rc = unzGoToFirstFile(zip);
  for (; rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    std::string name(info.size_filename, '\0');
    if (unzGetCurrentFileInfo64(zip, &info, name.data(), name.size(), nullptr, 0, nullptr, 0) != UNZ_OK) break;
    entries.push_back({std::move(name), info.uncompressed_size});
  }
  if (rc != UNZ_END_OF_LIST_OF_FILE) return archiveFailure(archive, "el índice de entradas está dañado");
  return entries;
}

// Writes the archive's current entry into `temporary`.
Status extractCurrent(unzFile zip, const fs::path& temporary, const std::string& shownTarget,
                      std::string_view archive, const std::string& name) {
  const Status damaged = archiveFailure(archive, "la entrada " + inQuotes(name) + " está dañada");
  Result<File> created = File::open(temporary, O_WRONLY | O_TRUNC, shownTarget);
  if (!created) return created.status();
  File output = std::move(created).value();
  if (unzOpenCurrentFile(zip) != UNZ_OK) return damaged;
  std::array<char, kChunk> buffer;
  int n;
  while ((n = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
    if (Status written = output.write({buffer.data(), static_cast<std::size_t>(n)}); !written) {
      unzCloseCurrentFile(zip);
      return written;
    }
  }
  // Closing checks the checksum, once all the data have been read.
  if (unzCloseCurrentFile(zip) != UNZ_OK || n < 0) return damaged;
  return output.close();
}

}  // namespace

Status writeZip(std::string_view archive, const std::vector<std::string>& files) {
  Result<fs::path> target = toHost(archive);
  if (!target) return target.status();
  std::vector<Source> sources;
  for (const std::string& file : files) {
    Result<fs::path> host = toHost(file);
    if (!host) return host.status();
    std::string entryName = host.value().filename().string();
    for (const Source& earlier : sources) {
      if (namesEqualIgnoringCase(earlier.entryName, entryName))
        return archiveFailure(archive, inQuotes(earlier.shown) + " y " + inQuotes(file) + " tendrían el mismo nombre");
    }
    sources.push_back({std::move(host).value(), file, std::move(entryName)});
  }

  return detail::replaceFile(target.value(), archive, [&](const fs::path& temporary) -> Status {
    zipFile zip = zipOpen64(temporary.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr) return archiveFailure(archive, "no se pudo crear");
    Status status;
    for (const Source& source : sources) {
      status = addEntry(zip, source, archive);
      if (!status) break;
    }
    if (zipClose(zip, nullptr) != ZIP_OK && status) status = archiveFailure(archive, "no se pudo escribir");
    return status;
  });
}

Result<std::vector<ZipEntry>> listZip(std::string_view archive) {
  Result<UnzipHandle> zip = openArchive(archive);
  if (!zip) return zip.status();
  return readEntries(zip.value().get(), archive);
}

Status extractZip(std::string_view archive, std::string_view folder) {
  if (!folderExists(folder)) return Status::failure("La carpeta " + inQuotes(folder) + " no existe.");
  Result<UnzipHandle> opened = openArchive(archive);
  if (!opened) return opened.status();
  unzFile zip = opened.value().get();
  Result<std::vector<ZipEntry>> entries = readEntries(zip, archive);
  if (!entries) return entries.status();
  for (const ZipEntry& entry : entries.value()) {
    if (Status valid = validateFileName(entry.name); !valid)
      return Status::failure("Archivo ZIP " + inQuotes(archive) + ": " + valid.message());
  }

  int rc = unzGoToFirstFile(zip);
  for (const ZipEntry& entry : entries.value()) {
    if (rc != UNZ_OK) return archiveFailure(archive, "el índice de entradas está dañado");
    const std::string shownTarget = std::string(folder) + "\\" + entry.name;
    Result<fs::path> target = toHost(shownTarget);
    if (!target) return target.status();
    Status extracted = detail::replaceFile(target.value(), shownTarget, [&](const fs::path& temporary) {
      return extractCurrent(zip, temporary, shownTarget, archive, entry.name);
    });
    if (!extracted) return extracted;
    rc = unzGoToNextFile(zip);
  }
  return {};
}

}  // namespace platform
