#include "cli/PasswordInput.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace tolvane::cli {

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

termios g_saved{}; // the terminal as it was, for the signal handler

void RestoreAndEnd(int signal) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved); // async-signal-safe
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Echo off for its lifetime, on a terminal.
class CNoEcho {
public:
    CNoEcho() {
        if (::tcgetattr(STDIN_FILENO, &g_saved) != 0) {
            return;
        }
        struct sigaction handler {};
        handler.sa_handler = &RestoreAndEnd;
        sigemptyset(&handler.sa_mask);
        for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
            ::sigaction(kEndingSignals[i], &handler, &m_previous[i]);
        }
        termios quiet = g_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        m_bActive = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~CNoEcho() {
        if (m_bActive) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
            std::fputs("\n", stderr); // the line end the user typed was not echoed
        }
        for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
            ::sigaction(kEndingSignals[i], &m_previous[i], nullptr);
        }
    }
    CNoEcho(const CNoEcho&) = delete;
    CNoEcho& operator=(const CNoEcho&) = delete;

private:
    bool m_bActive = false;
    struct sigaction m_previous[std::size(kEndingSignals)]{};
};

int ReadLine(CSecureString& password) {
    bool tooLong = false;
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 || c == '\n') {
            break;
        }
        if (!tooLong && !password.Append(std::string_view(&c, 1))) {
            tooLong = true;
        }
        c = 0;
    }
    if (tooLong) {
        password.Clear();
        return PASSWORD_TOO_LONG;
    }
    if (!password.Empty() && password.View().back() == '\r') {
        password.Truncate(password.Size() - 1);
    }
    return password.Empty() ? PASSWORD_EMPTY : PASSWORD_READ;
}

} // namespace

int ReadPassword(const std::string& promptUtf8, CSecureString& password) {
    password.Clear();
    if (!::isatty(STDIN_FILENO)) {
        return ReadLine(password);
    }
    CNoEcho quiet; // before the prompt: nothing typed after it is ever echoed
    std::fputs(promptUtf8.c_str(), stderr);
    std::fflush(stderr);
    return ReadLine(password);
}

} // namespace tolvane::cli
