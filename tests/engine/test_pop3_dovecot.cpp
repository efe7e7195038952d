// The POP3 layer against a real server: every command with real replies.
#include "engine/Account.h"
#include "engine/JobTexts.h"
#include "engine/Pop3Socket.h"
#include "engine/ServerListing.h"
#include "platform/CodePage.h"
#include "tests/support/DovecotFixture.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <memory>

namespace tolvane {
namespace {

using test::DovecotFixture;
using test::MakeMessage;

// The messages as delivered (CR LF); the server counts sizes in this form.
const std::vector<std::string>& Messages() {
    static const std::vector<std::string> messages = {
        MakeMessage({"From: a@example.com", "Subject: first"}, {"line 1", ".dotted", "line 3"}),
        MakeMessage({"From: b@example.com", "Subject: second"}, {"only line"}),
        MakeMessage({"From: c@example.com", "Subject: third"}, {"x", "y"}),
    };
    return messages;
}

class DovecotTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!DovecotFixture::Available()) {
            return;
        }
        server = std::make_unique<DovecotFixture>();
        for (const char* user : {"reader", "deleter", "account"}) {
            server->AddUser(user, "secret");
            for (const auto& message : Messages()) {
                server->Deliver(user, message);
            }
        }
        started = server->Start();
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        TOLVANE_REQUIRE_DOVECOT();
        ASSERT_TRUE(started) << server->Error();
        socket.m_nTimeout = 10;
    }

    void Open(const std::string& user) {
        ASSERT_EQ(socket.ConnectServer("127.0.0.1", server->Port(), reply), POP3_OK);
        EXPECT_TRUE(CPop3Socket::IsPositive(reply));
        ASSERT_EQ(socket.CmdUser(user, reply), POP3_OK) << reply;
        ASSERT_EQ(socket.CmdPass("secret", reply), POP3_OK) << reply;
    }

    static inline std::unique_ptr<DovecotFixture> server;
    static inline bool started = false;
    CPop3Socket socket;
    std::string reply;
};

TEST_F(DovecotTest, StatListUidlTop) {
    Open("reader");
    ASSERT_EQ(socket.CmdStat(reply), POP3_OK);
    size_t total = 0;
    for (const auto& message : Messages()) {
        total += message.size();
    }
    EXPECT_EQ(reply, "+OK 3 " + std::to_string(total) + "\r\n");
    EXPECT_EQ(CAccount::ParseCount(reply), 3);

    ASSERT_EQ(socket.CmdList(2, reply), POP3_OK);
    std::string size;
    ASSERT_TRUE(ParseNumberedReply(reply, ListingKind::Size, 2, size)) << reply;
    EXPECT_EQ(size, std::to_string(Messages()[1].size()));

    ASSERT_EQ(socket.CmdUidlAll(reply), POP3_OK);
    ServerListing uids;
    ASSERT_TRUE(ParseServerListing(reply, ListingKind::Uid, 3, uids)) << reply;
    ASSERT_TRUE(uids.Complete(3));
    for (const auto& [number, uid] : uids.values) {
        EXPECT_EQ(uid.size(), 16u) << uid;
    }
    EXPECT_NE(uids.values[1], uids.values[2]);
    ASSERT_EQ(socket.CmdUidl(2, reply), POP3_OK);
    std::string uid;
    ASSERT_TRUE(ParseNumberedReply(reply, ListingKind::Uid, 2, uid));
    EXPECT_EQ(uid, uids.values[2]);

    ASSERT_EQ(socket.CmdTop(1, 2, reply), POP3_OK);
    EXPECT_EQ(reply,
              "+OK\r\nFrom: a@example.com\r\nSubject: first\r\n\r\nline 1\r\n..dotted\r\n.\r\n");
    ASSERT_EQ(socket.CmdTop(2, 0, reply), POP3_OK);
    EXPECT_EQ(reply, "+OK\r\nFrom: b@example.com\r\nSubject: second\r\n\r\n.\r\n");

    EXPECT_EQ(socket.CmdList(9, reply), POP3_NEGATIVE);
    EXPECT_EQ(reply.rfind("-ERR", 0), 0u);
    EXPECT_EQ(socket.CmdQuit(reply), POP3_OK);
    EXPECT_EQ(server->Mailbox("reader").size(), 3u);
}

TEST_F(DovecotTest, DeleResetQuit) {
    Open("deleter");
    ASSERT_EQ(socket.CmdDele(1, reply), POP3_OK) << reply;
    EXPECT_EQ(socket.CmdDele(1, reply), POP3_NEGATIVE); // already marked
    ASSERT_EQ(socket.CmdRset(reply), POP3_OK);
    ASSERT_EQ(socket.CmdStat(reply), POP3_OK);
    EXPECT_EQ(CAccount::ParseCount(reply), 3);
    ASSERT_EQ(socket.CmdDele(3, reply), POP3_OK);
    ASSERT_EQ(socket.CmdQuit(reply), POP3_OK);
    socket.Close();

    const auto left = server->Mailbox("deleter");
    ASSERT_EQ(left.size(), 2u);
    EXPECT_NE(left[1].find("Subject: second"), std::string::npos);
    Open("deleter");
    ASSERT_EQ(socket.CmdStat(reply), POP3_OK);
    EXPECT_EQ(CAccount::ParseCount(reply), 2);
}

class DovecotAccountTest : public DovecotTest {
protected:
    void SetUp() override {
        DovecotTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        account = std::make_unique<CAccount>(&test::LogCollector::Append, &log);
        account->m_strName = Utf8ToCp932("本社");
        account->m_strServer = "localhost";
        account->m_nPort = static_cast<int32_t>(server->Port());
        account->m_strUser = "account";
        account->m_strPassword = "secret";
        account->m_socket.m_nTimeout = 10;
    }
    void TearDown() override { account.reset(); }

    test::ScopedHome home;
    test::LogCollector log;
    std::unique_ptr<CAccount> account;
};

TEST_F(DovecotAccountTest, ConnectionSteps) {
    ASSERT_TRUE(account->OpenConnection());
    ASSERT_TRUE(account->Login());
    EXPECT_TRUE(account->Logout());
    EXPECT_EQ(log.Utf8(),
              "本社へ接続中です。\r\n本社へ接続しました。\r\n本社からログアウトしました。\r\n");
}

TEST_F(DovecotAccountTest, WrongPasswordLogsTheLoginFailure) {
    account->m_strPassword = "wrong";
    ASSERT_TRUE(account->OpenConnection());
    EXPECT_FALSE(account->Login());
    EXPECT_FALSE(account->Logout());
    EXPECT_EQ(log.Utf8(),
              "本社へ接続中です。\r\n"
              "本社へログインできませんでした。（ユーザー名、パスワードを見直してください。）\r\n"
              "本社からのログアウトに失敗しました。\r\n");
}

} // namespace
} // namespace tolvane
