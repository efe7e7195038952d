#include "app/desktop/QuitSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tolvane::gui {

namespace {

std::atomic<int> g_writeEnd{-1};

void OnSignal(int) {
    const int saved = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

CQuitSignals::CQuitSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    g_writeEnd = m_pipe[1];
    m_pNotifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, [this] {
        char buffer[64];
        while (::read(m_pipe[0], buffer, sizeof buffer) > 0) {
        }
        Q_EMIT quitRequested();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        // A signal that cannot be caught keeps its previous handling (and m_previous its
        // empty default, which the destructor then puts back).
        ::sigaction(kSignals[i], &action, &m_previous[i]);
    }
}

CQuitSignals::~CQuitSignals() {
    if (m_pipe[0] < 0) {
        return;
    }
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    g_writeEnd = -1;
    delete m_pNotifier;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

} // namespace tolvane::gui
