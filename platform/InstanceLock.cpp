#include "platform/InstanceLock.h"

#include "platform/Paths.h"
#include "platform/PrivateFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tolvane {

CInstanceLock::~CInstanceLock() {
    if (m_fd >= 0) {
        ::close(m_fd); // releases the lock
    }
}

std::filesystem::path CInstanceLock::LockPath() {
    return DataFolder() / "tolvane.lock";
}

bool CInstanceLock::TryAcquire() {
    if (m_fd >= 0) {
        return true;
    }
    m_bHeldElsewhere = false;
    // A link planted in the lock's place is refused, never followed to create its target.
    const int fd = OpenPrivateFile(LockPath(), O_RDWR, false);
    if (fd < 0) {
        return false;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        m_bHeldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

} // namespace tolvane
