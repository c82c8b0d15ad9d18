#include "output/system_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace output::detail {

std::string reason(int error) {
  switch (error) {
    case ENOENT: return "la carpeta no existe";
    case ENOTDIR: return "una parte de la ruta no es una carpeta";
    case EACCES:
    case EPERM: return "no hay permiso para escribir ahí";
    case EROFS: return "el disco es de solo lectura";
    case ENOSPC: return "no queda espacio en el disco";
    case EDQUOT: return "se agotó la cuota de disco";
    case EISDIR: return "existe una carpeta con ese nombre";
    case EBUSY:
    case ETXTBSY: return "el archivo está en uso";
    case ENAMETOOLONG: return "el nombre es demasiado largo";
    case EIO: return "error de lectura o escritura del disco";
    default: return "error del sistema " + std::to_string(error);
  }
}

platform::Status systemFailure(const std::string& what, const std::string& path, int error) {
  return platform::Status::failure(what + " \"" + path + "\": " + reason(error));
}

platform::Result<TempFile> createTemp(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path target(path);
  fs::path folder = target.parent_path();
  std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return systemFailure("No se puede crear el archivo", path, errno);
  ::fchmod(fd, 0644);
  return TempFile{fd, pattern};
}

void dropTemp(TempFile& temp) {
  if (temp.fd >= 0) ::close(temp.fd);
  if (!temp.name.empty()) ::unlink(temp.name.c_str());
  temp.fd = -1;
  temp.name.clear();
}

platform::Status commitTemp(TempFile& temp, const std::string& path, const std::string& data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(temp.fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      dropTemp(temp);
      return systemFailure("No se puede escribir el archivo", path, error);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fsync(temp.fd) != 0 && errno != EINVAL && errno != EROFS) {
    int error = errno;
    dropTemp(temp);
    return systemFailure("No se puede escribir el archivo", path, error);
  }
  int fd = temp.fd;
  temp.fd = -1;
  if (::close(fd) != 0) {
    int error = errno;
    dropTemp(temp);
    return systemFailure("No se puede escribir el archivo", path, error);
  }
  if (::rename(temp.name.c_str(), path.c_str()) != 0) {
    int error = errno;
    dropTemp(temp);
    return systemFailure("No se puede reemplazar el archivo", path, error);
  }
  temp.name.clear();
  return {};
}

platform::Status writeReplacing(const std::string& path, const std::string& data) {
  auto temp = createTemp(path);
  if (!temp) return temp.status();
  TempFile file = std::move(temp).value();
  return commitTemp(file, path, data);
}

}  // namespace output::detail
