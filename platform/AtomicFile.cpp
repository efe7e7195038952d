#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
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

// Renames from to to unless to exists: 0, EEXIST, or another errno. The check and the
// rename are one step, so two processes can never pick the same free name.
int RenameNoReplace(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // A file system without RENAME_NOREPLACE: link fails just as atomically when the name
    // is taken; the old name goes afterwards.
    if (::link(from, to) == 0) {
        ::unlink(from);
        return 0;
    }
    return errno;
}

} // namespace

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
    std::string pattern = path.string() + ".tmp-XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return false;
    }
    bool ok =
        ::fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
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
        int error = RenameNoReplace(path.c_str(), candidate.c_str());
        if (error == 0) {
            SyncFolder(path.parent_path());
            return candidate;
        }
        if (error != EEXIST) {
            return {};
        }
        candidate = base + "." + std::to_string(n);
    }
    return {};
}

} // namespace tolvane
