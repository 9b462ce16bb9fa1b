#include "recording/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace regularfile {

int openDescriptor(const std::string& path) {
    if (path.empty()) {
        return -1;
    }
    // Non-blocking, so that opening a FIFO returns at once instead of waiting
    // for a writer; the flag is cleared again for the regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    // Of the flags F_SETFL changes, only O_NONBLOCK was given.
    if (::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::FILE* openStream(const std::string& path, std::int64_t* size) {
    const int fd = openDescriptor(path);
    if (fd < 0) {
        return nullptr;
    }
    if (size != nullptr) {
        struct stat st {};
        *size = ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) {
        ::close(fd);
    }
    return f;
}

bool isRegular(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace regularfile
