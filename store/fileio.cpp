#include "store/fileio.h"

#include <unistd.h>

#include <cerrno>

namespace store::fileio {

bool writeAll(int fd, const void* data, std::size_t n, off_t at) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::pwrite(fd, p, n, at);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
        at += w;
    }
    return true;
}

ssize_t readAll(int fd, void* data, std::size_t n, off_t at) {
    char* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::pread(fd, p + done, n - done, at + static_cast<off_t>(done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r == 0) break;
        done += static_cast<std::size_t>(r);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace store::fileio
