#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

namespace {

// Temporary files are named target + ".tmp-" + six characters of mkstemp.
constexpr char kTempInfix[] = ".tmp-";
constexpr size_t kTempRandomBytes = 6;

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

size_t RemoveStaleTemporaries(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    const std::string prefix = path.filename().string() + kTempInfix;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    size_t removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + kTempRandomBytes || name.rfind(prefix, 0) != 0) {
            continue;
        }
        const std::filesystem::path stale = folder / std::string(name);
        // Its writer holds a lock on it until the temporary file has its final name; a
        // lock we can take means the writer is gone.
        const int fd = ::open(stale.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat locked {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &locked) == 0 &&
            ::lstat(stale.c_str(), &named) == 0 && locked.st_ino == named.st_ino &&
            locked.st_dev == named.st_dev && ::unlink(stale.c_str()) == 0) {
            ++removed; // still the file we locked: not a new one that took the name since
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, unsigned mode) {
    // A killed save left its temporary file; on a full disk it may be what is missing.
    RemoveStaleTemporaries(path);
    std::string pattern = path.string() + kTempInfix + std::string(kTempRandomBytes, 'X');
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return false;
    }
    // The lock is held through a descriptor of its own until the rename, so that another
    // save's clean-up never takes this file away, while the written one is closed (and
    // its close checked) before the file gets its final name.
    const int lockFd = ::open(pattern.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    bool ok = lockFd >= 0 && ::flock(lockFd, LOCK_EX | LOCK_NB) == 0 &&
              ::fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteAll(fd, bytes) &&
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
    }
    if (lockFd >= 0) {
        ::close(lockFd);
    }
    if (!ok) {
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
