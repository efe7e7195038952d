#include "cli/InterruptWatcher.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tolvane::cli {

namespace {

volatile sig_atomic_t g_interrupts = 0;
int g_wakeFd = -1;

constexpr char kInterrupted = 'i';
constexpr char kStop = 's';

void OnInterrupt(int /*signal*/) {
    g_interrupts = g_interrupts + 1;
    if (g_interrupts >= 2) {
        ::_exit(130);
    }
    const int saved = errno;
    const char byte = kInterrupted;
    [[maybe_unused]] const ssize_t written = ::write(g_wakeFd, &byte, 1);
    errno = saved;
}

} // namespace

CInterruptWatcher::CInterruptWatcher(std::function<void()> onFirstInterrupt)
    : m_onFirst(std::move(onFirstInterrupt)) {
    if (::pipe2(m_pipe, O_CLOEXEC) != 0) {
        return; // without the pipe Ctrl+C keeps its default: the process ends
    }
    g_interrupts = 0;
    g_wakeFd = m_pipe[1];
    m_thread = std::thread(&CInterruptWatcher::Watch, this);
    struct sigaction action {};
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &m_previous);
}

CInterruptWatcher::~CInterruptWatcher() {
    if (!m_thread.joinable()) {
        return;
    }
    ::sigaction(SIGINT, &m_previous, nullptr);
    const char byte = kStop;
    [[maybe_unused]] const ssize_t written = ::write(m_pipe[1], &byte, 1);
    m_thread.join();
    g_wakeFd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void CInterruptWatcher::Watch() {
    for (;;) {
        char byte = 0;
        const ssize_t got = ::read(m_pipe[0], &byte, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 || byte == kStop) {
            return;
        }
        if (m_onFirst) {
            m_onFirst();
        }
    }
}

} // namespace tolvane::cli
