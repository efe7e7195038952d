// The login's password from where PasswordStore says: the keyring (a fake one) and the
// account's command, their failures (one log text each, nothing sent, QUIT still said),
// the command's time-out on the test's clock and a cancel. (A keyring that vanishes in the
// middle of a check of several accounts: test_worker.cpp.)
#include "engine/PasswordCommand.h"
#include "tests/engine/AccountJobTest.h"
#include "tests/support/FakeSecretStore.h"
#include "tests/support/RunningOperation.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::test {
namespace {

using State = FakeSecretStore::State;

const SecretKeys kPopKeys{"pop", "127.0.0.1", "taro"};

class AccountPasswordTest : public AccountJobTest {
protected:
    AccountPasswordTest() { account->m_strPassword.clear(); }

    void UseKeyring() { account->m_nPasswordStore = PASSWORD_IN_KEYRING; }
    void UseCommand(const std::string& command) {
        account->m_nPasswordStore = PASSWORD_BY_COMMAND;
        account->m_strPasswordCommand = command;
    }
    // Open, log in and out; whether the login succeeded.
    bool LogIn() {
        EXPECT_TRUE(account->OpenConnection());
        const bool ok = account->Login();
        account->Logout();
        return ok;
    }
    // The login failed before anything reached the server but QUIT, with text in the log.
    void ExpectRefusedWith(const std::string& textUtf8) {
        EXPECT_EQ(server.Commands(), Strings{"QUIT"});
        const auto texts = log.Texts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), textUtf8), texts.end())
            << log.Utf8() << "\nwanted: " << textUtf8;
        EXPECT_EQ(texts.back(), LOG_TEXT(txt::kLoggedOut, "pop"));
    }

    FakeSecretStore keyring;
};

TEST_F(AccountPasswordTest, KeyringPasswordReachesTheServerAndNothingElse) {
    UseKeyring();
    keyring.Put(kPopKeys, "secret");
    ASSERT_TRUE(LogIn()) << log.Utf8();
    EXPECT_EQ(server.Commands(), (Strings{"USER taro", "PASS secret", "QUIT"}));
    EXPECT_EQ(log.Utf8().find("secret"), std::string::npos);
    EXPECT_EQ(keyring.Calls(), Strings{"Lookup pop"});
}

struct KeyringFailure {
    State state;
    bool stored;
    std::string textUtf8;
};

class KeyringFailures : public AccountPasswordTest,
                        public ::testing::WithParamInterface<KeyringFailure> {};

TEST_P(KeyringFailures, FailTheLoginWithWhatToDo) {
    UseKeyring();
    keyring.SetState(GetParam().state);
    if (GetParam().stored) {
        keyring.Put(kPopKeys, "secret");
    }
    EXPECT_FALSE(LogIn());
    ExpectRefusedWith(GetParam().textUtf8);
}

INSTANTIATE_TEST_SUITE_P(
    AccountPassword, KeyringFailures,
    ::testing::Values(
        KeyringFailure{State::Locked, true, LOG_TEXT(txt::kKeyringLocked, "pop")},
        KeyringFailure{State::Open, false, LOG_TEXT(txt::kKeyringNotFound, "pop", "pop")},
        KeyringFailure{State::Gone, true,
                       LOG_TEXT(txt::kKeyringNone, "pop",
                                "The name org.freedesktop.secrets was not provided")},
        KeyringFailure{State::Silent, true, LOG_TEXT(txt::kKeyringTimeout, "pop", 10)}));

struct CommandCase {
    const char* name;
    std::string command;
    std::string passUtf8; // the PASS sent, or "" when the login must not start
    std::string textUtf8; // the failure's log text
};

class PasswordCommands : public AccountPasswordTest,
                         public ::testing::WithParamInterface<CommandCase> {};

TEST_P(PasswordCommands, GiveTheFirstLineOrFailWithTheirStatus) {
    UseCommand(GetParam().command);
    if (!GetParam().passUtf8.empty()) {
        server.SetUser("taro", GetParam().passUtf8);
    }
    const bool ok = LogIn();
    if (!GetParam().passUtf8.empty()) {
        ASSERT_TRUE(ok) << log.Utf8();
        EXPECT_EQ(server.Commands(), (Strings{"USER taro", "PASS " + GetParam().passUtf8, "QUIT"}));
    } else {
        EXPECT_FALSE(ok);
        ExpectRefusedWith(GetParam().textUtf8);
    }
    EXPECT_EQ(log.Utf8().find("s3cr"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    AccountPassword, PasswordCommands,
    ::testing::Values(
        CommandCase{"FirstLineWithoutItsCrLf", "printf 's3cr et\\r\\nsecond line\\n'", "s3cr et",
                    ""},
        CommandCase{"WithoutLineEnd", "printf s3cret", "s3cret", ""},
        CommandCase{"StandardErrorIsNotRead", "echo s3cret; echo noise >&2", "s3cret", ""},
        CommandCase{"NoTerminal", "tty >/dev/null && echo tty || echo s3cret", "s3cret", ""},
        CommandCase{"ExitStatus", "echo s3cret; exit 3", "",
                    LOG_TEXT(txt::kCommandFailed, "pop", 3)},
        CommandCase{"Signal", "echo s3cret; kill -9 $$", "",
                    LOG_TEXT(txt::kCommandKilled, "pop", 9)},
        CommandCase{"Silence", "true", "", LOG_TEXT(txt::kCommandNoOutput, "pop")},
        CommandCase{"EmptyFirstLine", "printf '\\nsecret\\n'", "",
                    LOG_TEXT(txt::kCommandNoOutput, "pop")},
        CommandCase{"NoCommand", "", "", LOG_TEXT(txt::kCommandEmpty, "pop")},
        CommandCase{"TooLong", "head -c 5000 /dev/zero | tr '\\\\0' x", "",
                    LOG_TEXT(txt::kCommandTooLong, "pop")}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(AccountPasswordTest, UnknownPasswordStoreNeverLogsIn) {
    account->m_nPasswordStore = 7;
    account->m_strPassword = "secret";
    EXPECT_FALSE(LogIn());
    ExpectRefusedWith(LOG_TEXT(txt::kPasswordStoreUnknown, "pop", 7));
}

// A command that waits on a FIFO nobody writes: the account's time-out, on the test's clock,
// ends it, and the process is gone (the FIFO has no reader left).
class CommandTimeout : public AccountPasswordTest {
protected:
    CommandTimeout() {
        fifo = (home.Path() / "never").string();
        EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        account->m_socket.SetTimeSource(&clock);
        UseCommand("read line < '" + fifo + "'; echo s3cret");
    }
    // The account outlives this fixture's clock: its logout at destruction runs on the
    // system's.
    ~CommandTimeout() override { account->m_socket.SetTimeSource(nullptr); }
    bool FifoHasAReader() const {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
        return errno != ENXIO;
    }

    ManualMonotonicClock clock;
    std::string fifo;
};

TEST_F(CommandTimeout, KillsTheCommandAndFailsTheLogin) {
    ASSERT_TRUE(account->OpenConnection());
    const size_t sleeps = clock.Sleeps();
    Running login(clock, [this] { return account->Login() ? 1 : 0; });
    ASSERT_TRUE(clock.WaitForSleeps(sleeps + 1));
    EXPECT_FALSE(login.Ended());
    clock.Advance(10'000);
    EXPECT_EQ(login.Code(), 0);
    account->Logout();
    ExpectRefusedWith(LOG_TEXT(txt::kCommandTimeout, "pop", 10));
    EXPECT_FALSE(FifoHasAReader());
}

TEST_F(CommandTimeout, CancelStopsTheCommandAtOnce) {
    ASSERT_TRUE(account->OpenConnection());
    const size_t sleeps = clock.Sleeps();
    Running login(clock, [this] { return account->Login() ? 1 : 0; });
    ASSERT_TRUE(clock.WaitForSleeps(sleeps + 1));
    account->m_socket.RequestCancel();
    EXPECT_EQ(login.Code(), 0);
    EXPECT_NE(log.Utf8().find(LOG_TEXT(txt::kStopCheck, "pop")), std::string::npos);
    EXPECT_FALSE(FifoHasAReader());
}

} // namespace
} // namespace tolvane::test
