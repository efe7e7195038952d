#include "platform/PrivateFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

namespace {

// errno for a file we must not write into, or 0.
int RefusalOf(const struct stat& st) {
    if (S_ISCHR(st.st_mode)) {
        return 0; // a device the user named (/dev/null): no one can plant one unprivileged
    }
    if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) {
        return EINVAL;
    }
    if (st.st_uid != ::geteuid() || (S_ISREG(st.st_mode) && st.st_nlink > 1)) {
        return EPERM; // someone else's, or a second name of another file
    }
    return 0;
}

} // namespace

int OpenPrivateFile(const std::filesystem::path& path, int accessFlags, bool bTruncate) {
    // O_NONBLOCK: a FIFO in the file's place must not hang the open; O_TRUNC is left to
    // after the checks.
    const int fd =
        ::open(path.c_str(), accessFlags | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    int error = ::fstat(fd, &st) == 0 ? RefusalOf(st) : errno;
    if (error == 0) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0 ||
            (bTruncate && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0)) {
            error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

} // namespace tolvane
