// The connection steps of an account against the fake server, and the reply parsers.
#include "engine/Account.h"
#include "engine/JobTexts.h"
#include "platform/CodePage.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestTime.h"

#include <gtest/gtest.h>

#include <thread>

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using test::FakePop3Server;
using test::FakeReply;
using test::UnusedPort;

const char kNameUtf8[] = "仕事用";

// A text of the string table with the account name filled in, as UTF-8.
std::string Named(const char* formatUtf8) {
    std::string text = formatUtf8;
    for (size_t pos = text.find("%s"); pos != std::string::npos; pos = text.find("%s", pos)) {
        text.replace(pos, 2, kNameUtf8);
        pos += sizeof kNameUtf8 - 1;
    }
    return text;
}

class AccountConnectionTest : public ::testing::Test {
protected:
    AccountConnectionTest() : account(&test::LogCollector::Append, &log) {
        account.m_strName = Utf8ToCp932(kNameUtf8);
        account.m_strServer = "127.0.0.1";
        account.m_nPort = static_cast<int32_t>(server.Port());
        account.m_strUser = "taro";
        account.m_strPassword = "secret";
        account.m_socket.m_nTimeout = 5;
    }

    test::ScopedHome home; // the account's destructor touches its store file
    FakePop3Server server;
    test::LogCollector log;
    CAccount account;
};

TEST_F(AccountConnectionTest, OpenLoginLogout) {
    ASSERT_TRUE(account.OpenConnection());
    EXPECT_EQ(account.m_bOpen, 1);
    ASSERT_TRUE(account.Login());
    EXPECT_TRUE(account.Logout());
    EXPECT_EQ(account.m_bOpen, 0);
    EXPECT_FALSE(account.m_socket.IsConnected());
    EXPECT_EQ(log.Texts(),
              (std::vector<std::string>{Named(txt::kConnecting), Named(txt::kConnected),
                                        Named(txt::kLoggedOut)}));
    EXPECT_EQ(server.Commands(), (std::vector<std::string>{"USER taro", "PASS secret", "QUIT"}));
}

TEST_F(AccountConnectionTest, HostNameLocalhost) {
    account.m_strServer = "localhost";
    ASSERT_TRUE(account.OpenConnection());
    EXPECT_TRUE(account.Login());
}

TEST_F(AccountConnectionTest, LogoutWithoutConnectionDoesNothing) {
    EXPECT_TRUE(account.Logout());
    EXPECT_TRUE(log.Texts().empty());
}

TEST_F(AccountConnectionTest, FailedQuitReportsTheLogoutFailure) {
    ASSERT_TRUE(account.OpenConnection());
    ASSERT_TRUE(account.Login());
    server.Script("QUIT", FakeReply::CloseNow());
    EXPECT_FALSE(account.Logout());
    EXPECT_EQ(log.Texts().back(), Named(txt::kLogoutFailed));
    EXPECT_EQ(account.m_bOpen, 0);
}

TEST_F(AccountConnectionTest, CancelBeforeLoginStops) {
    ASSERT_TRUE(account.OpenConnection());
    account.m_socket.RequestCancel();
    EXPECT_FALSE(account.Login());
    EXPECT_EQ(log.Texts().back(), Named(txt::kStopCheck));
    EXPECT_FALSE(account.m_socket.IsConnected());
}

// --- failed logins: the text reported, then the Logout the worker still runs.
struct LoginCase {
    const char* name;
    const char* pattern; // "USER" or "PASS"
    FakeReply reply;
    const char* textUtf8;
};

class LoginFailureTest : public AccountConnectionTest,
                         public ::testing::WithParamInterface<LoginCase> {};

TEST_P(LoginFailureTest, ReportsThenLogoutFails) {
    account.m_socket.m_nTimeout = 1;
    server.Script(GetParam().pattern, GetParam().reply);
    ASSERT_TRUE(account.OpenConnection());
    EXPECT_FALSE(account.Login());
    EXPECT_FALSE(account.m_socket.IsConnected());
    EXPECT_EQ(account.m_bOpen, 1);
    EXPECT_FALSE(account.Logout());
    EXPECT_EQ(account.m_bOpen, 0);
    EXPECT_EQ(log.Texts(),
              (std::vector<std::string>{Named(txt::kConnecting), Named(GetParam().textUtf8),
                                        Named(txt::kLogoutFailed)}));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, LoginFailureTest,
    ::testing::Values(LoginCase{"PassLocked", "PASS",
                                FakeReply::Err("-ERR [IN-USE] Mailbox Locked"), txt::kLoginLocked},
                      LoginCase{"PassLockedCapitals", "PASS",
                                FakeReply::Err("-ERR MAILDROP LOCKED"), txt::kLoginLocked},
                      LoginCase{"PassInvalid", "PASS", FakeReply::Err("-ERR invalid password"),
                                txt::kLoginRefused},
                      LoginCase{"UserLockedIsRefused", "USER", FakeReply::Err("-ERR locked"),
                                txt::kLoginRefused},
                      LoginCase{"PassSilent", "PASS", FakeReply::Silence(), txt::kLoginTimeout},
                      LoginCase{"UserClosed", "USER", FakeReply::CloseNow(), txt::kLoginLineFault},
                      LoginCase{"PassClosedMidLine", "PASS", FakeReply::Text("+OK lo").AndClose(),
                                txt::kLoginLineFault}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST_F(AccountConnectionTest, WrongPasswordOfTheDefaultMailbox) {
    account.m_strPassword = "wrong";
    ASSERT_TRUE(account.OpenConnection());
    EXPECT_FALSE(account.Login());
    EXPECT_EQ(log.Texts().back(), Named(txt::kLoginRefused));
}

// --- failed connections: one text, the socket closed, nothing owed by Logout.
void ExpectFailedOpen(CAccount& account, test::LogCollector& log, const char* textUtf8) {
    EXPECT_FALSE(account.OpenConnection());
    EXPECT_EQ(account.m_bOpen, 0);
    EXPECT_FALSE(account.m_socket.IsConnected());
    EXPECT_TRUE(account.Logout());
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{Named(txt::kConnecting), Named(textUtf8)}));
}

TEST_F(AccountConnectionTest, RefusedConnection) {
    account.m_nPort = static_cast<int32_t>(UnusedPort());
    ExpectFailedOpen(account, log, txt::kConnectFailed);
}

TEST_F(AccountConnectionTest, NegativeGreeting) {
    server.SetGreeting(FakeReply::Err("-ERR go away"));
    ExpectFailedOpen(account, log, txt::kConnectFailed);
}

TEST_F(AccountConnectionTest, SilentGreetingTimesOut) {
    account.m_socket.m_nTimeout = 1;
    server.SetGreeting(FakeReply::Silence());
    ExpectFailedOpen(account, log, txt::kConnectTimeout);
}

TEST_F(AccountConnectionTest, CancelWhileWaitingForTheGreeting) {
    account.m_socket.m_nTimeout = 30;
    server.SetGreeting(FakeReply::Silence());
    std::thread canceller([&] {
        ASSERT_TRUE(server.WaitForConnections(1, 10s));
        account.m_socket.RequestCancel();
    });
    ExpectFailedOpen(account, log, txt::kStopCheck);
    canceller.join();
}

// A reply that trickles in a byte a second never pauses long enough for the time-out, but
// it ends at its limit all the same, and the user reads the time-out text.
TEST_F(AccountConnectionTest, TricklingReplyEndsWithTheTimeoutText) {
    test::ManualMonotonicClock clock;
    account.m_socket.SetTimeSource(&clock);
    account.m_socket.m_nTimeout = 2; // a reply may take 30 seconds
    ASSERT_TRUE(account.OpenConnection());
    server.Script("USER", FakeReply::Text("+OK"));
    std::thread trickle([&, sleeps = clock.Sleeps() + 2]() mutable {
        // Asleep with the first bytes read after two waits; then one wait per pause and byte.
        ASSERT_TRUE(clock.WaitForSleeps(sleeps));
        for (int second = 1; second < 30; ++second) {
            clock.Advance(1000);
            ASSERT_TRUE(clock.WaitForSleeps(++sleeps));
            server.Send(" ");
            ASSERT_TRUE(clock.WaitForSleeps(++sleeps));
        }
        clock.Advance(1000);
    });
    EXPECT_FALSE(account.Login());
    trickle.join();
    EXPECT_EQ(log.Texts(),
              (std::vector<std::string>{Named(txt::kConnecting), Named(txt::kLoginTimeout)}));
}

// --- parsers (the listings and per-mail replies: test_server_listing.cpp)
struct CountCase {
    const char* reply;
    int32_t count;
};

class CountParserTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountParserTest, SecondWordOfAStatReply) {
    EXPECT_EQ(CAccount::ParseCount(GetParam().reply), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, CountParserTest,
    ::testing::Values(CountCase{"+OK 3 1200\r\n", 3}, CountCase{"+OK   7    99  \r\n", 7},
                      CountCase{"+OK 99999999999 99999999999\r\n", INT32_MAX},
                      CountCase{"+OK -5 -7\r\n", -5}, CountCase{"+OK 12abc\r\n", 12},
                      CountCase{"+OK 3\r\n", 3}, CountCase{"+OK\r\n", -1},
                      // no count: a word without digits, or a status word run into the count
                      CountCase{"+OK abc\r\n", -1}, CountCase{"+OK - 3\r\n", -1},
                      CountCase{"+OK\t3 0\r\n", -1}, CountCase{"+OKAY 3 0\r\n", -1},
                      CountCase{"+OK", -1}, CountCase{"   ", -1}, CountCase{"", -1}));

} // namespace
} // namespace tolvane
