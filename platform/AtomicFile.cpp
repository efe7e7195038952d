#include "platform/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

void SyncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
    std::string pattern = path.string() + ".tmp-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return false;
    }
    bool ok = ::fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteAll(fd, bytes) &&
              ::fsync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(pattern.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(pattern.c_str());
        errno = savedErrno;
        return false;
    }
    SyncFolder(path.parent_path());
    return true;
}

std::filesystem::path MoveAside(const std::filesystem::path& path, std::string_view suffix) {
    std::string base = path.string() + std::string(suffix);
    std::string candidate = base;
    for (int n = 1; n < 1000; ++n) {
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) != 0 && errno == ENOENT) {
            if (::rename(path.c_str(), candidate.c_str()) == 0) {
                SyncFolder(path.parent_path());
                return candidate;
            }
            return {};
        }
        candidate = base + "." + std::to_string(n);
    }
    return {};
}

} // namespace tolvane
