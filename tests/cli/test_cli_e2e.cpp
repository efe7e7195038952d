// tolvane-cli as a program, against the fake POP3 server: the instance lock, Ctrl+C,
// usage errors and the accounts listing.
#include "cli/CliTexts.h"
#include "engine/JobTexts.h"
#include "engine/MailStore.h"
#include "platform/CodePage.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

namespace tolvane::test {
namespace {

using namespace std::chrono_literals;

class CliFakeServerTest : public ::testing::Test {
protected:
    CliFakeServerTest() {
        server.SetMessages({{"u1", MakeMessage({"From: a@example.com", "Subject: one"}, {"1"})},
                            {"u2", MakeMessage({"From: b@example.com", "Subject: two"}, {"2"})}});
        AccountSettings settings;
        settings.port = server.Port();
        settings.timeout = 3;
        WriteAccount(settings);
    }

    ScopedHome home;
    FakePop3Server server;
};

TEST_F(CliFakeServerTest, ChecksAndPrintsOneLinePerMail) {
    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("pop  既知"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("one\n"), std::string::npos);
    EXPECT_NE(result.out.find("two\n"), std::string::npos);
    EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kMailsWaiting, "pop", 2u))),
              std::string::npos)
        << result.err;
    EXPECT_EQ(RunCli({"check", "--quiet"}).err, "");
}

TEST_F(CliFakeServerTest, SecondInstanceIsRefused) {
    CInstanceLock lock;
    ASSERT_TRUE(lock.TryAcquire());
    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.err.find("トルヴェインが同じユーザーで動作中"), std::string::npos)
        << result.err;
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(CliFakeServerTest, FirstCtrlCCancelsTheAccountThenLogsOutAndEnds) {
    server.Script("TOP 1", FakeReply::Silence());
    CliProcess process({"check"});
    ASSERT_TRUE(server.WaitForCommand("TOP 1", 10s));
    ::kill(process.Pid(), SIGINT);
    const CliResult result = process.Wait();

    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kStopCheck, "pop"))), std::string::npos)
        << result.err;
    // The silent server hears no more, so QUIT meets the account's time-out.
    const bool loggedOut =
        result.err.find(OnTerminal(SjisFormat(txt::kLoggedOut, "pop"))) != std::string::npos ||
        result.err.find(OnTerminal(SjisFormat(txt::kLogoutFailed, "pop"))) != std::string::npos;
    EXPECT_TRUE(loggedOut) << result.err;
    EXPECT_NE(result.err.find(OnTerminal(Sjis(txt::kCheckDone))), std::string::npos);
}

TEST_F(CliFakeServerTest, SecondCtrlCEndsAtOnce) {
    server.Script("TOP 1", FakeReply{}); // no answer, but later commands are heard
    server.Script("QUIT", FakeReply::Silence());
    CliProcess process({"check"});
    ASSERT_TRUE(server.WaitForCommand("TOP 1", 10s));
    ::kill(process.Pid(), SIGINT);
    // The first one was handled: the account logs out, and QUIT waits for its answer.
    ASSERT_TRUE(server.WaitForCommand("QUIT", 10s));
    ::kill(process.Pid(), SIGINT);
    EXPECT_EQ(process.Wait().status, 130);
}

// A positive STAT reply without a count says nothing about the mailbox: not "no mail".
TEST_F(CliFakeServerTest, StatWithoutACountIsAFailure) {
    for (const char* reply : {"+OK abc\r\n", "+OK\t3 0\r\n"}) {
        server.Script("STAT", FakeReply::Text(reply));
        const CliResult result = RunCli({"check"});
        EXPECT_EQ(result.status, 1) << reply;
        EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kReceiveFailed, "pop"))),
                  std::string::npos)
            << result.err;
        EXPECT_EQ(result.err.find(OnTerminal(SjisFormat(txt::kNoMail, "pop"))), std::string::npos);
    }
}

// Ctrl+C while a deletion runs: nothing is deleted, and the run says so by its status.
TEST_F(CliFakeServerTest, StoppedDeletionExitsOne) {
    server.Script("DELE 1", FakeReply::Silence());
    CliProcess process({"delete", "u1", "--yes"});
    ASSERT_TRUE(server.WaitForCommand("DELE 1", 10s));
    ::kill(process.Pid(), SIGINT);
    const CliResult result = process.Wait();
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kStopDelete, "pop"))), std::string::npos)
        << result.err;
    EXPECT_EQ(server.Messages().size(), 2u);
}

// An account "pop" in new-mail-only mode on a fake server holding one mail.
class CliNewOnly : public ::testing::Test {
protected:
    void Start(const std::string& uidl, int simpleDelete = 0) {
        server.SetMessages({{uidl, MakeMessage({"Subject: " + uidl}, {"1"})}});
        WriteNewOnlyAccount(server.Port(), "pop", simpleDelete);
    }

    ScopedHome home;
    FakePop3Server server;
};

// A new-mail-only account: checks remember U3; then two mails arrive before it on the
// server. Its list numbers U3 1 but the server 3: simple mode would delete U1.
TEST_F(CliNewOnly, SimpleDeleteSettingStillDeletesTheMailAsked) {
    Start("U3", 1); // simple deletion written by hand or another tool
    ASSERT_EQ(RunCli({"check"}).status, 0);
    server.SetMessages({{"U1", MakeMessage({"Subject: one"}, {"1"})},
                        {"U2", MakeMessage({"Subject: two"}, {"2"})},
                        {"U3", MakeMessage({"Subject: three"}, {"3"})}});

    const CliResult result = RunCli({"delete", "U3", "--yes"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> left;
    for (const auto& message : server.Messages()) {
        left.push_back(message.uidl);
    }
    EXPECT_EQ(left, (std::vector<std::string>{"U1", "U2"}));
}

// The check that delete starts first deletes the asked-for mail as expired: that mail is
// deleted, which is what the user asked for.
TEST_F(CliNewOnly, DeleteOfAMailTheCheckExpiredSucceeds) {
    Start("due");
    ASSERT_TRUE(WriteProfileInt("Account\\pop", "LimitDelete", 1));
    ASSERT_TRUE(WriteProfileInt("Account\\pop", "LimitDays", 0));
    ASSERT_TRUE(WriteProfileInt("Account\\pop", "ConfLimitDelete", 0));
    ASSERT_EQ(RunCli({"check"}).status, 0); // first seen now: due from today's midnight on
    const CliResult result = RunCli({"delete", "due", "--yes"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err.find(cli::txt::kNothingDeleted), std::string::npos) << result.err;
    EXPECT_TRUE(server.Messages().empty());
}

// A mail that the deletion did not find is reported, and the run fails.
TEST_F(CliFakeServerTest, DeleteThatLeavesTheMailOnTheServerFails) {
    server.Script("UIDL", FakeReply::Text("+OK\r\n1 u1\r\n2 u2\r\n.\r\n")); // the check's
    server.Script("UIDL", FakeReply::Text("+OK\r\n2 u2\r\n.\r\n"));         // the deletion's
    const CliResult result = RunCli({"delete", "u1", "--yes"});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find("UIDL「u1」のメールは削除できませんでした。"), std::string::npos)
        << result.err;
    EXPECT_EQ(server.Messages().size(), 2u);
}

// A file-size limit while the store is written fails the save like a full disk: the
// message and exit status 1, not a death by signal.
TEST_F(CliNewOnly, AFileSizeLimitIsAReportedSaveFailure) {
    std::vector<FakeMessage> messages;
    for (int i = 0; i < 40; ++i) {
        messages.push_back({"id" + std::to_string(i),
                            MakeMessage({"Subject: mail " + std::to_string(i)},
                                        {std::string(200, 'x'), std::string(200, 'y')})});
    }
    server.SetMessages(messages);
    WriteNewOnlyAccount(server.Port());
    const CliResult result =
        RunProcess("/bin/sh", {"-c", "ulimit -f 8 && exec \"$0\" check", CliBinary()});
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find("の受信済みメールの情報をファイル["), std::string::npos)
        << result.err;
}

// The expiry question of a check: without a terminal it is answered Cancel, and the hint
// says --yes answers OK, which check accepts.
TEST_F(CliNewOnly, CheckYesAnswersTheExpiryQuestion) {
    Start("old");
    ASSERT_TRUE(WriteProfileInt("Account\\pop", "LimitDelete", 1));
    ASSERT_TRUE(WriteProfileInt("Account\\pop", "LimitDays", 1));
    MailList seen; // first seen in 2001
    seen.push_back(std::make_unique<CMail>());
    seen[0]->m_strUidl = "old";
    seen[0]->m_strAccount = "pop";
    seen[0]->m_nState = MAIL_KNOWN;
    seen[0]->m_timeReceived = 1000000000;
    ASSERT_TRUE(WriteMailStore(StoreFilePath("pop"), seen));

    CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("--yes を指定すると OK と答えます"), std::string::npos) << result.err;
    EXPECT_EQ(server.Messages().size(), 1u);

    result = RunCli({"check", "--yes"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kExpired, "pop", 1u))), std::string::npos)
        << result.err;
    EXPECT_TRUE(server.Messages().empty());
}

TEST_F(CliFakeServerTest, AccountsNeverShowThePassword) {
    const CliResult result = RunCli({"accounts", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\"name\": \"pop\", \"server\": \"127.0.0.1\""), std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find("secret"), std::string::npos);
    EXPECT_EQ(RunCli({"accounts"}).out.find("secret"), std::string::npos);
    EXPECT_EQ(server.Connections(), 0);
}

// The account key Pipelining shows in both lists: 1 when absent, 0 as written.
TEST_F(CliFakeServerTest, AccountsShowPipelining) {
    EXPECT_NE(RunCli({"accounts", "--json"}).out.find("\"pipelining\": true"), std::string::npos);
    EXPECT_NE(RunCli({"accounts"}).out.find("先行送信"), std::string::npos);
    ASSERT_TRUE(WriteProfileInt("Account\\pop", "Pipelining", 0));
    EXPECT_NE(RunCli({"accounts", "--json"}).out.find("\"pipelining\": false"), std::string::npos);
    EXPECT_NE(RunCli({"accounts"}).out.find("逐次送信"), std::string::npos);
}

struct UsageCase {
    std::vector<std::string> args;
    int status;
};

class CliUsage : public CliFakeServerTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsage, ExitStatus) {
    const CliResult result = RunCli(GetParam().args);
    EXPECT_EQ(result.status, GetParam().status) << result.err;
    if (GetParam().status == 2) {
        EXPECT_FALSE(result.err.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CliUsage,
    ::testing::Values(UsageCase{{}, 2}, UsageCase{{"bogus"}, 2}, UsageCase{{"check", "--raw"}, 2},
                      UsageCase{{"check", "nosuch"}, 2}, UsageCase{{"--help"}, 0},
                      UsageCase{{"delete", "nosuch-uidl", "--yes"}, 2},
                      // no terminal and no --yes: the deletion question is answered Cancel
                      UsageCase{{"delete", "u1"}, 2}));

TEST(CliWithoutAccounts, CheckIsASettingsError) {
    ScopedHome home;
    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("アカウントが設定されていません。"), std::string::npos);
    EXPECT_EQ(RunCli({"accounts", "--json"}).out, "[]\n");
}

} // namespace
} // namespace tolvane::test
