#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tolvane::test {

namespace {

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const std::string& o : overrides) {
            replaced = replaced || o.compare(0, name.size(), name) == 0;
        }
        if (!replaced) {
            merged.push_back(text);
        }
    }
    merged.insert(merged.end(), overrides.begin(), overrides.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& environment,
                           const std::optional<std::string>& input) {
    if (::access(program.c_str(), X_OK) != 0) {
        ADD_FAILURE() << program << " cannot be run (is it built?)";
        return;
    }
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << errno;
        return;
    }
    int inPipe[2] = {-1, -1};
    if (input && ::pipe2(inPipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << errno;
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input) {
        posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = MergedEnvironment(environment);
    std::vector<char*> argPointers = Pointers(argv);
    std::vector<char*> envPointers = Pointers(envp);
    const int rc = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argPointers.data(),
                                 envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (input) {
        ::close(inPipe[0]);
        // Small enough for the pipe's buffer: written whole before the child reads.
        const ssize_t written = ::write(inPipe[1], input->data(), input->size());
        EXPECT_EQ(written, static_cast<ssize_t>(input->size()));
        ::close(inPipe[1]);
    }
    m_out = outPipe[0];
    m_err = errPipe[0];
    if (rc != 0) {
        ADD_FAILURE() << "posix_spawn " << program << ": " << rc;
        m_pid = -1;
    }
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        Wait();
    }
    for (int fd : {m_out, m_err}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

std::string ChildProcess::ReadOutLine() {
    const size_t start = m_outSoFar.size();
    char c = 0;
    for (;;) {
        const ssize_t got = ::read(m_out, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return m_outSoFar.substr(start);
        }
        m_outSoFar += c;
        if (c == '\n') {
            return m_outSoFar.substr(start, m_outSoFar.size() - start - 1);
        }
    }
}

ProcessResult ChildProcess::Wait() {
    ProcessResult result;
    result.out = std::move(m_outSoFar);
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
    m_out = fds[0].fd;
    m_err = fds[1].fd;
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace tolvane::test
