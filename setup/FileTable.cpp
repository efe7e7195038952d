#include "setup/FileTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::setup {

namespace {

bool CanOpenFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

} // namespace

std::string FindMissingFile(const std::filesystem::path& programFolder) {
    for (const FileTableRow& row : kFileTable) {
        if ((row.flags & FILE_REQUIRED) != 0 && !CanOpenFile(programFolder / row.name)) {
            return row.name;
        }
    }
    return {};
}

void DeleteProgramFiles(const std::filesystem::path& programFolder) {
    for (const FileTableRow& row : kFileTable) {
        if ((row.flags & FILE_REMOVED) != 0) {
            ::unlink((programFolder / row.name).c_str());
        }
    }
}

} // namespace tolvane::setup
