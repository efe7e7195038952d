// CInstanceLock: at most one Tolvane program (the GUI or tolvane-cli) per data folder.
//
// The lock is flock(LOCK_EX | LOCK_NB) on DataFolder()/tolvane.lock, i.e.
// ${XDG_DATA_HOME:-~/.local/share}/tolvane/tolvane.lock. It guards what two programs
// would otherwise overwrite in each other's hands: the mail store files of that folder
// (and the settings written back at exit). A private data folder (the demo, the tests)
// therefore never collides with the user's own running program. The lock is held until
// the object is destroyed or the process ends; the descriptor is not inherited.
#pragma once

#include <filesystem>

namespace tolvane {

class CInstanceLock {
public:
    CInstanceLock() = default;
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    // True when this object now holds the lock (also when it already did). False when
    // another process holds it, or the lock file cannot be opened (OpenPrivateFile: a link
    // or another user's file in its place is refused).
    bool TryAcquire();
    bool IsHeld() const { return m_fd >= 0; }
    // After a failed TryAcquire: true when another process holds the lock, false when the
    // lock file could not be opened at all.
    bool HeldElsewhere() const { return m_bHeldElsewhere; }

    static std::filesystem::path LockPath();

private:
    int m_fd = -1;
    bool m_bHeldElsewhere = false;
};

} // namespace tolvane
