#include "tests/support/UnwritableFolder.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::test {

namespace fs = std::filesystem;

namespace {

constexpr char kTmpfsOptions[] = "size=64k,mode=0700";

rlimit g_savedLimit{};
struct sigaction g_savedAction {};

// Writes zeros into folder/filler until the file system has no block left.
void Fill(const fs::path& folder) {
    const int fd = ::open((folder / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    const std::string block(4096, '\0');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    const char byte = 0;
    while (::write(fd, &byte, 1) > 0) { // the last partial block
    }
    ::close(fd);
}

} // namespace

UnwritableFolder::UnwritableFolder(const fs::path& folder, Kind kind) : m_folder(folder) {
    fs::create_directories(folder);
    if (::geteuid() == 0 && ::mount("tmpfs", folder.c_str(), "tmpfs", 0, kTmpfsOptions) == 0) {
        m_bMounted = true;
        fs::create_directory(folder / "tolvane"); // the data folder, made while there is room
        ::chmod((folder / "tolvane").c_str(), 0700);
        if (kind == Kind::Full) {
            Fill(folder / "tolvane");
            m_bUsable = true;
        } else {
            m_bUsable = ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY,
                                kTmpfsOptions) == 0;
        }
        return;
    }
    if (kind == Kind::ReadOnly) {
        if (::geteuid() != 0) {
            fs::create_directory(folder / "tolvane");
            m_bChmodded = ::chmod((folder / "tolvane").c_str(), 0500) == 0;
            m_bUsable = m_bChmodded;
        }
        return;
    }
    ::getrlimit(RLIMIT_FSIZE, &g_savedLimit);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &g_savedAction);
    rlimit tiny = g_savedLimit;
    tiny.rlim_cur = 1;
    m_bLimited = ::setrlimit(RLIMIT_FSIZE, &tiny) == 0;
    m_bUsable = m_bLimited;
}

void UnwritableFolder::Free() {
    if (m_bMounted) {
        ::mount(nullptr, m_folder.c_str(), nullptr, MS_REMOUNT, kTmpfsOptions);
        std::error_code ignored;
        fs::remove(m_folder / "tolvane" / "filler", ignored);
    }
    if (m_bLimited) {
        ::setrlimit(RLIMIT_FSIZE, &g_savedLimit);
        ::sigaction(SIGXFSZ, &g_savedAction, nullptr);
        m_bLimited = false;
    }
    if (m_bChmodded) {
        ::chmod((m_folder / "tolvane").c_str(), 0700);
        m_bChmodded = false;
    }
}

UnwritableFolder::~UnwritableFolder() {
    Free();
    if (m_bMounted) {
        ::umount2(m_folder.c_str(), MNT_DETACH);
    }
}

} // namespace tolvane::test
