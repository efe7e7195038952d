// tolvane-cli over TLS against a real Dovecot whose certificates come from a test authority
// trusted for these tests only: POP3S checks as clear text does; a certificate that must not
// be trusted stops that account before its user name, the next account is still checked,
// and the exit status says an account failed.
#include "engine/JobTexts.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/DovecotFixture.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestCertificates.h"

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

class CliTlsDovecot : public ::testing::Test {
protected:
    void Start(TestCert certificate) {
        TOLVANE_REQUIRE_DOVECOT();
        ASSERT_TRUE(TrustTestAuthority()) << TestCertificates::Get().Error();
        for (const char* user : {"taro", "hanako"}) {
            dovecot.AddUser(user, "secret");
            dovecot.Deliver(
                user, MakeMessage({"From: a@example.com", "Subject: for " + std::string(user)},
                                  {"body"}));
        }
        dovecot.EnableTls(certificate);
        ASSERT_TRUE(dovecot.Start()) << dovecot.Error();
    }
    // An account of user on localhost over POP3S.
    void WritePop3sAccount(const std::string& name, const std::string& user) {
        AccountSettings settings;
        settings.name = name;
        settings.server = "localhost";
        settings.port = dovecot.TlsPort();
        settings.user = user;
        WriteAccount(settings);
        ASSERT_TRUE(WriteProfileInt("Account\\" + name, "Security", 2));
    }

    ScopedHome home;
    DovecotFixture dovecot;
};

TEST_F(CliTlsDovecot, Pop3sChecksAndTheAccountListShowsIt) {
    Start(TestCert::Good);
    WritePop3sAccount("pop", "taro");
    const CliResult accounts = RunCli({"accounts", "--json"});
    EXPECT_NE(accounts.out.find("\"security\": 2, \"verify_certificate\": true"), std::string::npos)
        << accounts.out;
    EXPECT_NE(RunCli({"accounts"}).out.find("  SSL/TLS（証明書確認あり）  "), std::string::npos);

    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("for taro\n"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kConnected, "pop"))), std::string::npos);
}

TEST_F(CliTlsDovecot, ExpiredCertificateStopsOnlyItsAccountAndExitsOne) {
    Start(TestCert::Expired);
    WritePop3sAccount("a-tls", "taro");
    AccountSettings plain; // the clear-text port, on loopback
    plain.name = "b-plain";
    plain.port = dovecot.Port();
    plain.user = "hanako";
    WriteAccount(plain);

    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 1) << result.err;
    const std::string refused =
        OnTerminal(SjisFormat(txt::kCertificateRefused, "a-tls", Sjis(txt::kReasonExpired).c_str(),
                              "CN=localhost,O=Tolvane Tests"));
    EXPECT_NE(result.err.find(refused), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find(OnTerminal(SjisFormat(txt::kConnected, "a-tls"))), std::string::npos);
    EXPECT_NE(result.out.find("for hanako\n"), std::string::npos) << result.out;
    EXPECT_EQ(dovecot.Log().find("user=<taro>"), std::string::npos) << dovecot.Log();
    EXPECT_NE(dovecot.Log().find("user=<hanako>"), std::string::npos);
}

} // namespace
} // namespace tolvane::test
