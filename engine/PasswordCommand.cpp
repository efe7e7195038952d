#include "engine/PasswordCommand.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tolvane {

namespace {

// The first line of the output as it arrives; what follows it is dropped.
class CFirstLine {
public:
    explicit CFirstLine(CSecureString& line) : m_line(line) {}
    void Add(const char* bytes, size_t count) {
        if (m_bEnded) {
            return;
        }
        const char* end = static_cast<const char*>(std::memchr(bytes, '\n', count));
        const size_t take = end != nullptr ? static_cast<size_t>(end - bytes) : count;
        if (!m_bTooLong && !m_line.Append(std::string_view(bytes, take))) {
            m_bTooLong = true;
            m_line.Clear();
        }
        m_bEnded = end != nullptr;
    }
    // The line without a CR before its LF.
    void Finish() {
        if (!m_line.Empty() && m_line.View().back() == '\r') {
            m_line.Truncate(m_line.Size() - 1);
        }
    }
    bool TooLong() const { return m_bTooLong; }

private:
    CSecureString& m_line;
    bool m_bEnded = false;
    bool m_bTooLong = false;
};

// Reads what the pipe holds now; false at its end (every writer gone) or on an error.
bool ReadAvailable(int fd, CFirstLine& line) {
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            line.Add(buffer, static_cast<size_t>(got));
            continue;
        }
        const bool open = got < 0 && (errno == EAGAIN || errno == EINTR);
        ::explicit_bzero(buffer, sizeof buffer);
        return open;
    }
}

int Spawn(const std::string& command, int outFd, pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ, SIGCHLD}) {
        sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"),
                    const_cast<char*>(command.c_str()), nullptr};
    const int rc = ::posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

int Reap(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// The group goes whole: a helper the command started must not outlive the login.
void KillGroup(pid_t pid) {
    ::kill(-pid, SIGKILL);
    Reap(pid);
}

// A running command and its descriptors, released at the end.
class CRunningCommand {
public:
    ~CRunningCommand() {
        for (int fd : {m_outFd, m_pidFd}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    int Start(const std::string& command, int& error) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            error = errno;
            return PWCMD_NOT_STARTED;
        }
        m_outFd = pipeFds[0];
        ::fcntl(m_outFd, F_SETFL, ::fcntl(m_outFd, F_GETFL) | O_NONBLOCK);
        const int rc = Spawn(command, pipeFds[1], m_pid);
        ::close(pipeFds[1]);
        if (rc != 0) {
            error = rc;
            return PWCMD_NOT_STARTED;
        }
        m_pidFd = static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0));
        if (m_pidFd < 0) {
            error = errno;
            KillGroup(m_pid);
            return PWCMD_NOT_STARTED;
        }
        return PWCMD_OK;
    }

    int m_outFd = -1;
    int m_pidFd = -1;
    pid_t m_pid = -1;
};

int Verdict(int waitStatus, CFirstLine& line, CSecureString& password, int& status) {
    if (WIFSIGNALED(waitStatus)) {
        status = WTERMSIG(waitStatus);
        password.Clear();
        return PWCMD_KILLED;
    }
    status = WEXITSTATUS(waitStatus);
    if (status != 0) {
        password.Clear();
        return PWCMD_FAILED;
    }
    if (line.TooLong()) {
        return PWCMD_TOO_LONG;
    }
    line.Finish();
    return password.Empty() ? PWCMD_NO_OUTPUT : PWCMD_OK;
}

} // namespace

int RunPasswordCommand(const PasswordCommandRun& run, CSecureString& password, int& status) {
    password.Clear();
    status = 0;
    if (run.commandUtf8.empty()) {
        return PWCMD_EMPTY_COMMAND;
    }
    CRunningCommand command;
    if (command.Start(run.commandUtf8, status) != PWCMD_OK) {
        return PWCMD_NOT_STARTED;
    }
    CFirstLine line(password);
    const IMonotonicClock& clock = *run.clock;
    const int64_t deadlineMs = clock.NowMs() + int64_t{run.timeoutSeconds} * 1000;
    bool outputOpen = true;
    int cancelFd = run.cancelFd;
    for (;;) {
        if (run.cancelled && run.cancelled()) {
            KillGroup(command.m_pid);
            password.Clear();
            return PWCMD_CANCELLED;
        }
        const int sleepMs = clock.SleepMs(deadlineMs);
        if (sleepMs == 0) {
            KillGroup(command.m_pid);
            password.Clear();
            return PWCMD_TIMEOUT;
        }
        pollfd fds[4] = {{command.m_pidFd, POLLIN, 0},
                         {outputOpen ? command.m_outFd : -1, POLLIN, 0},
                         {cancelFd, POLLIN, 0},
                         {clock.WakeFd(), POLLIN, 0}};
        if (::poll(fds, 4, sleepMs) < 0 && errno != EINTR) {
            KillGroup(command.m_pid);
            password.Clear();
            status = errno;
            return PWCMD_NOT_STARTED;
        }
        if ((fds[2].revents & POLLIN) && !(run.cancelled && run.cancelled())) {
            cancelFd = -1; // an event without a request behind it must not wake every poll
        }
        if (fds[3].revents & POLLIN) {
            uint64_t ticks = 0;
            [[maybe_unused]] const ssize_t got = ::read(fds[3].fd, &ticks, sizeof ticks);
        }
        if (outputOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            outputOpen = ReadAvailable(command.m_outFd, line);
        }
        if (fds[0].revents & POLLIN) {
            // Exited: what it wrote before is in the pipe; a descendant that keeps the pipe
            // open is not waited for.
            ReadAvailable(command.m_outFd, line);
            return Verdict(Reap(command.m_pid), line, password, status);
        }
    }
}

} // namespace tolvane
