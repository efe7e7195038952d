// tolvane-cli password on a terminal (a pseudo-terminal the test holds): the prompt comes,
// what is typed is never echoed, the terminal echoes again afterwards, and the password
// reaches the settings file (--file: no keyring needed here).
#include "platform/Profile.h"
#include "tests/cli/CliRunner.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace tolvane::test {
namespace {

// Reads fd until text has arrived or the end; what arrived.
std::string ReadUntil(int fd, const std::string& text) {
    std::string got;
    char buffer[256];
    while (got.find(text) == std::string::npos) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

TEST(CliPasswordTerminal, TypedPasswordIsNeverEchoed) {
    ScopedHome home;
    AccountSettings settings;
    WriteAccount(settings);
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    int err[2];
    ASSERT_EQ(::pipe2(err, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, slave, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    char* argv[] = {const_cast<char*>(CliBinary()), const_cast<char*>("password"),
                    const_cast<char*>("pop"), const_cast<char*>("--file"), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, CliBinary(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(err[1]);

    const std::string prompt = ReadUntil(err[0], "のパスワード: ");
    ASSERT_NE(prompt.find("「pop」のパスワード: "), std::string::npos) << prompt;
    ASSERT_EQ(::write(master, "typed pw\n", 9), 9);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(WEXITSTATUS(status), 0) << ReadUntil(err[0], "\x01");

    // Nothing came back on the terminal: the line was not echoed.
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    char echoed[64];
    const ssize_t n = ::read(master, echoed, sizeof echoed);
    EXPECT_TRUE(n < 0 && errno == EAGAIN)
        << std::string(echoed, n > 0 ? static_cast<size_t>(n) : 0);
    termios after{};
    ASSERT_EQ(::tcgetattr(slave, &after), 0);
    EXPECT_NE(after.c_lflag & ECHO, 0u); // echo is back
    EXPECT_EQ(GetProfileStringUtf8("Account\\pop", "Password", ""), "typed pw");
    for (int fd : {master, slave, err[0]}) {
        ::close(fd);
    }
}

} // namespace
} // namespace tolvane::test
