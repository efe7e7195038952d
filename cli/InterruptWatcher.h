// CInterruptWatcher: Ctrl+C on the terminal. The first SIGINT calls the cancel callback
// (on a thread of the watcher, never in the signal handler); a second one ends the
// process at once with status 130. Installed for the watcher's lifetime; one at a time.
#pragma once

#include <functional>
#include <signal.h>
#include <thread>

namespace tolvane::cli {

class CInterruptWatcher {
public:
    explicit CInterruptWatcher(std::function<void()> onFirstInterrupt);
    ~CInterruptWatcher();
    CInterruptWatcher(const CInterruptWatcher&) = delete;
    CInterruptWatcher& operator=(const CInterruptWatcher&) = delete;

private:
    void Watch();

    std::function<void()> m_onFirst;
    int m_pipe[2] = {-1, -1};
    struct sigaction m_previous {};
    std::thread m_thread;
};

} // namespace tolvane::cli
