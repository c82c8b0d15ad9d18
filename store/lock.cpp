#include "store/lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "store/error.h"

namespace store::lock {
namespace {

struct flock makeLock(short type, std::int64_t start, std::int64_t length) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = length;
    fl.l_pid = 0;  // required for open-file-description locks
    return fl;
}

}  // namespace

bool tryLock(int fd, std::int64_t start, std::int64_t length, Kind kind) {
    struct flock fl = makeLock(kind == Kind::Read ? F_RDLCK : F_WRLCK, start, length);
    if (fcntl(fd, F_OFD_SETLK, &fl) == 0) return true;
    if (errno == EAGAIN || errno == EACCES || errno == EINTR) return false;
    throw StoreError(ErrorKind::Io, std::string("No se pudo bloquear: ") + std::strerror(errno));
}

void waitLock(int fd, std::int64_t start, std::int64_t length, Kind kind) {
    struct flock fl = makeLock(kind == Kind::Read ? F_RDLCK : F_WRLCK, start, length);
    while (fcntl(fd, F_OFD_SETLKW, &fl) != 0) {
        if (errno != EINTR)
            throw StoreError(ErrorKind::Io, std::string("No se pudo bloquear: ") + std::strerror(errno));
    }
}

void unlock(int fd, std::int64_t start, std::int64_t length) {
    struct flock fl = makeLock(F_UNLCK, start, length);
    fcntl(fd, F_OFD_SETLK, &fl);
}

}  // namespace store::lock
