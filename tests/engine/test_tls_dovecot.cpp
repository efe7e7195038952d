// POP3 over TLS against a real Dovecot with certificates of a test authority that only
// these tests trust (SSL_CERT_FILE): POP3S and STLS give the list clear text gives and
// delete the same way; every certificate that must not be trusted, and STLS asked of a
// server without it, ends the connection before the user name is sent.
#include "engine/Pop3Socket.h"
#include "tests/engine/AccountJobTest.h"
#include "tests/support/DovecotFixture.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestCertificates.h"

#include <algorithm>

namespace tolvane::test {
namespace {

constexpr char kSubject[] = "CN=localhost,O=Tolvane Tests";

std::vector<std::string> Messages() {
    std::vector<std::string> messages;
    for (int i = 1; i <= 3; ++i) {
        std::vector<std::string> body;
        // The third mail is larger than a TLS record, so its reply spans several.
        const int lines = i == 3 ? 2000 : 3;
        for (int line = 0; line < lines; ++line) {
            body.push_back("line " + std::to_string(line) + (line % 7 == 0 ? " ." : ""));
        }
        body.push_back(".dotted");
        messages.push_back(MakeMessage({"From: sender" + std::to_string(i) + "@example.com",
                                        "Subject: mail " + std::to_string(i),
                                        "Date: Tue, 20 Nov 2001 14:58:44 +0900"},
                                       body));
    }
    return messages;
}

class TlsDovecot : public ::testing::Test {
protected:
    void SetUp() override {
        TOLVANE_REQUIRE_DOVECOT();
        ASSERT_TRUE(TrustTestAuthority()) << TestCertificates::Get().Error();
    }
    // Starts the server; with a certificate it offers STLS and POP3S.
    void Start(std::optional<TestCert> certificate) {
        dovecot.AddUser("taro", "secret");
        for (const std::string& message : Messages()) {
            dovecot.Deliver("taro", message);
        }
        if (certificate) {
            dovecot.EnableTls(*certificate);
        }
        ASSERT_TRUE(dovecot.Start()) << dovecot.Error();
    }
    std::unique_ptr<CAccount> Account(int32_t security, const std::string& server = "localhost") {
        auto account = LocalAccount(
            log, security == SECURITY_POP3S ? dovecot.TlsPort() : dovecot.Port(), "taro", "secret");
        account->m_strServer = server;
        account->m_nSecurity = security;
        account->m_nReceiveCount = 3;
        return account;
    }
    bool Check(CAccount& account) {
        if (!account.OpenConnection() || !account.Login()) {
            return false;
        }
        const int code = account.CheckMail(Sjis("T"), &host);
        return account.Logout() && code == POP3_OK;
    }
    // The connection is refused with exactly one log text after "connecting", and the
    // server saw no user name.
    void ExpectRefused(CAccount& account, const std::string& text) {
        const size_t before = log.Texts().size();
        EXPECT_FALSE(account.OpenConnection());
        EXPECT_EQ(account.m_bOpen, 0);
        EXPECT_FALSE(account.m_socket.IsConnected());
        const Strings texts = log.Texts();
        ASSERT_EQ(texts.size(), before + 2) << log.Utf8();
        EXPECT_EQ(texts.back(), text);
        EXPECT_EQ(dovecot.Log().find("user=<taro>"), std::string::npos) << dovecot.Log();
    }

    DovecotFixture dovecot;
    ScopedHome home;
    LogCollector log;
    RecordingHost host{"T"};
};

struct Listed {
    std::string uidl, subject, body, size;
    bool operator==(const Listed&) const = default;
};

std::vector<Listed> List(const CAccount& account) {
    std::vector<Listed> listed;
    for (const auto& mail : account.m_mails) {
        listed.push_back({mail->m_strUidl, mail->m_strSubject, mail->m_strBody, mail->m_strSize});
    }
    return listed;
}

TEST_F(TlsDovecot, Pop3sAndStlsListAndDeleteAsClearTextDoes) {
    Start(TestCert::Good);
    auto clear = Account(SECURITY_NONE, "127.0.0.1");
    ASSERT_TRUE(Check(*clear)) << log.Utf8();
    ASSERT_EQ(clear->m_mails.size(), 3u);

    // By name (sent as SNI) over POP3S, by address (the certificate's IP entry) over STLS.
    auto pop3s = Account(SECURITY_POP3S, "localhost");
    auto stls = Account(SECURITY_STLS, "127.0.0.1");
    for (CAccount* account : {pop3s.get(), stls.get()}) {
        ASSERT_TRUE(Check(*account)) << log.Utf8();
        EXPECT_EQ(List(*account), List(*clear));
        EXPECT_TRUE(account->m_mails[2]->m_strBody.rfind("line 0 .\r\nline 1\r\n", 0) == 0);
    }
    // Loopback: no clear-text warning, not even for the clear account.
    const Strings texts = log.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), LOG_TEXT(txt::kClearTextPassword, "pop")), 0);

    int last = -9;
    ASSERT_TRUE(pop3s->OpenConnection() && pop3s->Login()) << log.Utf8();
    EXPECT_TRUE(pop3s->DeleteMarked({pop3s->m_mails[0].get()}, "", &host, last, false));
    EXPECT_TRUE(pop3s->Logout());
    ASSERT_TRUE(Check(*stls)) << log.Utf8();
    ASSERT_TRUE(stls->OpenConnection() && stls->Login()) << log.Utf8();
    EXPECT_TRUE(stls->DeleteMarked({stls->m_mails[1].get()}, "", &host, last, false));
    EXPECT_TRUE(stls->Logout());
    const auto left = dovecot.Mailbox("taro");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_NE(left[0].find("Subject: mail 2"), std::string::npos);
    EXPECT_NE(dovecot.Log().find("TLS"), std::string::npos); // the server saw TLS sessions
}

// Each certificate is refused over both POP3S and STLS, with its subject and reason.
struct Refusal {
    TestCert certificate;
    const char* reasonUtf8;
};

class TlsRefusal : public TlsDovecot, public ::testing::WithParamInterface<Refusal> {};

TEST_P(TlsRefusal, RefusedBeforeTheUserNameOverPop3sAndStls) {
    Start(GetParam().certificate);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const std::string reason = Cp932ToUtf8(SjisFormat(GetParam().reasonUtf8, "localhost"));
#pragma GCC diagnostic pop
    const std::string subject = GetParam().certificate == TestCert::WrongName
                                    ? "CN=wrong.example,O=Tolvane Tests"
                                    : kSubject;
    for (int32_t security : {SECURITY_POP3S, SECURITY_STLS}) {
        auto account = Account(security);
        ExpectRefused(*account, LOG_TEXT(txt::kCertificateRefused, "pop",
                                         Utf8ToCp932(reason).c_str(), subject.c_str()));
    }
    // Unchecked on request: the same server is good enough then.
    auto unchecked = Account(SECURITY_POP3S);
    unchecked->m_bVerifyCertificate = 0;
    EXPECT_TRUE(Check(*unchecked)) << log.Utf8();
    EXPECT_EQ(unchecked->m_mails.size(), 3u);
    // The server does log a user name that reaches it.
    EXPECT_NE(dovecot.Log().find("user=<taro>"), std::string::npos) << dovecot.Log();
}

INSTANTIATE_TEST_SUITE_P(Certificates, TlsRefusal,
                         ::testing::Values(Refusal{TestCert::OtherAuthority, txt::kReasonUntrusted},
                                           Refusal{TestCert::Expired, txt::kReasonExpired},
                                           Refusal{TestCert::WrongName, txt::kReasonHostMismatch}),
                         [](const ::testing::TestParamInfo<Refusal>& param) {
                             return std::string(param.param.certificate == TestCert::OtherAuthority
                                                    ? "OtherAuthority"
                                                : param.param.certificate == TestCert::Expired
                                                    ? "Expired"
                                                    : "WrongName");
                         });

TEST_F(TlsDovecot, ServerWithoutTlsIsRefusedForStlsAndPop3s) {
    Start(std::nullopt);
    auto stls = Account(SECURITY_STLS);
    ExpectRefused(*stls, LOG_TEXT(txt::kStlsRefused, "pop"));

    // POP3S to a port that speaks clear text: the greeting is no TLS record.
    auto pop3s = Account(SECURITY_POP3S);
    pop3s->m_nPort = static_cast<int32_t>(dovecot.Port());
    EXPECT_FALSE(pop3s->OpenConnection());
    const std::string last = log.Texts().back();
    const std::string prefix = LOG_TEXT(txt::kTlsFailed, "pop", "");
    EXPECT_EQ(last.rfind(prefix.substr(0, prefix.find("（")), 0), 0u) << last;
    EXPECT_EQ(dovecot.Log().find("user=<taro>"), std::string::npos);

    // The next connection's failure is its own, not the handshake's of before.
    pop3s->m_nPort = static_cast<int32_t>(UnusedPort());
    EXPECT_FALSE(pop3s->OpenConnection());
    EXPECT_EQ(log.Texts().back(), LOG_TEXT(txt::kConnectFailed, "pop"));
}

} // namespace
} // namespace tolvane::test
