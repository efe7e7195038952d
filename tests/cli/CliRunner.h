// Runs the built tolvane-cli as a child process with the test's environment (a private
// home set up by ScopedHome), standard input from /dev/null, and collects its exit status
// and both outputs. Also writes accounts into the private settings.
#pragma once

#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tolvane::test {

inline const char* CliBinary() {
    return TOLVANE_BINARY_DIR "/cli/tolvane-cli";
}

struct CliResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& args) {
        if (::access(CliBinary(), X_OK) != 0) {
            ADD_FAILURE() << CliBinary() << " is not built (build the tolvane-cli target)";
            return;
        }
        int outPipe[2];
        int errPipe[2];
        if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe: " << errno;
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
        posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
        std::vector<std::string> argv = {CliBinary()};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (auto& arg : argv) {
            pointers.push_back(arg.data());
        }
        pointers.push_back(nullptr);
        const int rc =
            ::posix_spawn(&m_pid, CliBinary(), &actions, nullptr, pointers.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(outPipe[1]);
        ::close(errPipe[1]);
        m_out = outPipe[0];
        m_err = errPipe[0];
        if (rc != 0) {
            ADD_FAILURE() << "posix_spawn: " << rc;
            m_pid = -1;
        }
    }
    ~CliProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            Wait();
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t Pid() const { return m_pid; }

    // Reads both outputs to their end, then reaps the child.
    CliResult Wait() {
        CliResult result;
        if (m_pid <= 0) {
            return result;
        }
        pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        std::string* sinks[2] = {&result.out, &result.err};
        int open = 2;
        while (open > 0) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) {
                    continue;
                }
                char buffer[4096];
                const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
                if (got > 0) {
                    sinks[i]->append(buffer, static_cast<size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    ::close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return result;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

inline CliResult RunCli(const std::vector<std::string>& args) {
    CliProcess process(args);
    return process.Wait();
}

struct AccountSettings {
    std::string name = "pop";
    std::string server = "127.0.0.1";
    unsigned port = 110;
    std::string user = "taro";
    std::string password = "secret";
    int lines = 5;
    int timeout = 10;
    int newOnly = 0;
    int simpleDelete = 0;
    int enable = 1;
};

// Writes an account (ASCII name) into the settings of the current (private) home.
inline void WriteAccount(const AccountSettings& a) {
    const std::string section = "Account\\" + a.name;
    ASSERT_TRUE(WriteProfileString(section, "Servername", a.server));
    ASSERT_TRUE(WriteProfileString(section, "Username", a.user));
    ASSERT_TRUE(WriteProfileString(section, "Password", a.password));
    ASSERT_TRUE(WriteProfileInt(section, "PortNo", static_cast<int32_t>(a.port)));
    ASSERT_TRUE(WriteProfileInt(section, "ReceiveCount", a.lines));
    ASSERT_TRUE(WriteProfileInt(section, "Timeout", a.timeout));
    ASSERT_TRUE(WriteProfileInt(section, "SimpleDelete", a.simpleDelete));
    ASSERT_TRUE(WriteProfileInt(section, "Enable", a.enable));
    ASSERT_TRUE(WriteProfileInt(section, "ReceiveNewMailOnly", a.newOnly));
}

} // namespace tolvane::test
