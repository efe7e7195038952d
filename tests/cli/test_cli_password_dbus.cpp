// tolvane-cli against a real gnome-keyring-daemon on the test's private bus: password into
// the keyring and the check that logs in with it, the move of a file password at the first
// check, a locked and a vanished keyring (that account fails with its text, the others go
// on, nothing hangs), and no session bus at all (the file is used and left as it is). The
// password never shows on standard output or standard error.
#include "cli/CliTexts.h"
#include "engine/Account.h"
#include "engine/JobTexts.h"
#include "platform/Paths.h"
#include "platform/SecretStore.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/FakeOAuthServer.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/KeyringFixture.h"

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

constexpr char kPassword[] = "n3w pässword";

class CliKeyringTest : public ::testing::Test {
protected:
    void SetUp() override {
        TOLVANE_REQUIRE_KEYRING();
        ASSERT_TRUE(keyring.Start()) << keyring.Error() << keyring.Log();
        server.SetUser("taro", kPassword);
    }
    void WriteAccountWith(const std::string& name, const std::string& password) {
        AccountSettings settings;
        settings.name = name;
        settings.port = server.Port();
        settings.password = password;
        WriteAccount(settings);
    }
    static std::string SettingsText() { return ReadFileBytes(ConfigFolder() / "user.reg"); }
    static std::string KeyringSecret(const std::string& account) {
        CSecureString secret;
        SecretServiceStore().Lookup({account, "127.0.0.1", "taro"}, secret, 20000, nullptr);
        return std::string(secret.View());
    }
    static void ExpectNoPassword(const CliResult& result) {
        EXPECT_EQ(result.out.find("n3w"), std::string::npos) << result.out;
        EXPECT_EQ(result.err.find("n3w"), std::string::npos) << result.err;
    }

    ScopedHome home;
    KeyringFixture keyring{home.DataHome()};
    FakePop3Server server;
};

TEST_F(CliKeyringTest, PasswordGoesIntoTheKeyringAndTheCheckLogsInWithIt) {
    WriteAccountWith("pop", "old secret");
    CliResult result = RunCliWith({"password", "pop"}, {}, std::string(kPassword) + "\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "「pop」のパスワードをキーリングに保存しました。\n");
    ExpectNoPassword(result);
    EXPECT_EQ(KeyringSecret("pop"), kPassword);
    EXPECT_EQ(SettingsText().find("secret"), std::string::npos) << SettingsText();
    EXPECT_EQ(SettingsText().find("n3w"), std::string::npos);
    EXPECT_EQ(GetProfileInt("Account\\pop", "PasswordStore", 0), 1);

    result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(server.Commands().at(1), std::string("PASS ") + kPassword);
    ExpectNoPassword(result);

    result = RunCli({"accounts"});
    EXPECT_NE(result.out.find("パスワード:キーリング"), std::string::npos) << result.out;
    result = RunCli({"accounts", "--json"});
    EXPECT_NE(result.out.find("\"password_store\": \"keyring\""), std::string::npos) << result.out;
    ExpectNoPassword(result);

    EXPECT_EQ(RunCliWith({"password", "pop"}, {}, std::string("\n")).status, 2);
    EXPECT_EQ(RunCliWith({"password", "nobody"}, {}, std::string("x\n")).status, 2);
    EXPECT_EQ(KeyringSecret("pop"), kPassword); // neither changed anything
}

TEST_F(CliKeyringTest, FirstCheckMovesTheFilePasswordAndStillLogsIn) {
    WriteAccountWith("pop", kPassword);
    for (int run = 0; run < 2; ++run) {
        const CliResult result = RunCli({"check"});
        EXPECT_EQ(result.status, 0) << result.err;
        const bool told = result.err.find(OnTerminal(SjisFormat(txt::kPasswordMoved, "pop"))) !=
                          std::string::npos;
        EXPECT_EQ(told, run == 0) << result.err;
        ExpectNoPassword(result);
    }
    EXPECT_EQ(KeyringSecret("pop"), kPassword);
    EXPECT_EQ(SettingsText().find("n3w"), std::string::npos) << SettingsText();
    EXPECT_EQ(server.Connections(), 2);
}

TEST_F(CliKeyringTest, LockedThenVanishedKeyringFailsOnlyItsAccount) {
    WriteAccountWith("pop", kPassword);
    WriteAccountWith("cmd", "");
    ASSERT_TRUE(WriteProfileInt("Account\\cmd", "PasswordStore", PASSWORD_BY_COMMAND));
    ASSERT_TRUE(WriteProfileStringUtf8("Account\\cmd", "PasswordCommand",
                                       std::string("printf '") + kPassword + "\\n'"));
    ASSERT_EQ(RunCli({"check"}).status, 0); // moves pop's password into the keyring

    ASSERT_TRUE(keyring.Lock()) << keyring.Error();
    CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kKeyringLocked, "pop"))),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kNoMail, "cmd"))), std::string::npos);
    ExpectNoPassword(result);

    ASSERT_TRUE(keyring.Kill()) << keyring.Error();
    result = RunCli({"check"});
    EXPECT_EQ(result.status, 1);
    const std::string vanished = OnTerminal(SjisFormat(txt::kKeyringNone, "pop", "%s"));
    EXPECT_NE(result.err.find(vanished.substr(0, vanished.find("%s"))), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kNoMail, "cmd"))), std::string::npos);
    EXPECT_EQ(GetProfileStringUtf8("Account\\pop", "Password", "?"), ""); // no fallback
}

TEST_F(CliKeyringTest, WithoutASessionBusTheFileIsUsedAndLeftAsItIs) {
    TempDir runtime;
    const std::vector<std::string> noBus = {"DBUS_SESSION_BUS_ADDRESS=",
                                            "XDG_RUNTIME_DIR=" + runtime.Path().string()};
    WriteAccountWith("pop", kPassword);
    const std::string before = SettingsText();

    CliResult result = RunCliWith({"check"}, noBus);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find(
                  OnTerminal(SjisFormat(txt::kKeyringAbsent, Sjis(txt::kNoSessionBus).c_str()))),
              std::string::npos)
        << result.err;
    EXPECT_EQ(SettingsText(), before);
    ExpectNoPassword(result);

    result = RunCliWith({"password", "pop"}, noBus, std::string("other\n"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("--file"), std::string::npos) << result.err;
    EXPECT_EQ(SettingsText(), before);

    result = RunCliWith({"password", "pop", "--file"}, noBus, std::string("other\r\n"));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(GetProfileStringUtf8("Account\\pop", "Password", ""), "other");
    EXPECT_EQ(GetProfileInt("Account\\pop", "PasswordStore", -1), PASSWORD_IN_FILE);
}

// tolvane-cli login with the test as the browser: it fetches the printed address and
// follows the redirect to the loopback listener; the refresh token lands in the keyring
// and the next check logs in with a token refreshed from it. A denied sign-in and an
// account that is not an OAuth one end with their statuses and store nothing.
TEST_F(CliKeyringTest, LoginThroughTheBrowserThenTheCheckLogsInWithXoauth2) {
    FakeOAuthServer oauth;
    WriteAccountWith("pop", "");
    WriteAccountWith("plain", kPassword);
    const std::string section = "Account\\pop";
    ASSERT_TRUE(WriteProfileInt(section, "Authentication", 2));
    ASSERT_TRUE(WriteProfileInt(section, "OAuthProvider", 3));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "OAuthClientId", kFakeOAuthClient));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "OAuthAuthorizeUrl", oauth.AuthorizeUrl()));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "OAuthTokenUrl", oauth.TokenUrl()));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "OAuthScope", "mail offline_access"));
    server.SetCapabilities({"SASL XOAUTH2"});

    const auto login = [&](bool denied) {
        oauth.SetDenied(denied);
        CliProcess process({"login", "pop", "--no-browser"});
        const std::string url = process.ReadOutLine();
        EXPECT_EQ(url.rfind(oauth.AuthorizeUrl() + "?", 0), 0u) << url;
        const FakeOAuthServer::Page page = FakeOAuthServer::Browse(url);
        EXPECT_EQ(page.body.find("サインインが完了しました。") != std::string::npos, !denied);
        return process.Wait();
    };
    const SecretKeys tokenKeys{"pop", "", "", kSecretKindRefreshToken};
    CSecureString token;
    CliResult result = login(true);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(SecretServiceStore().Lookup(tokenKeys, token, 20000, nullptr), SECRET_NOT_FOUND);

    result = login(false);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("「pop」にサインインしました。"), std::string::npos) << result.out;
    ASSERT_EQ(SecretServiceStore().Lookup(tokenKeys, token, 20000, nullptr), SECRET_OK);
    EXPECT_EQ(token.View(), "refresh-1");
    EXPECT_EQ(result.out.find("refresh-1"), std::string::npos);
    EXPECT_EQ(result.err.find("refresh-1"), std::string::npos);

    server.SetAccessToken("access-2"); // the sign-in's own token went with its process
    result = RunCli({"check", "pop"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(oauth.Refreshes(), 1);
    EXPECT_EQ(result.err.find("access-2"), std::string::npos);

    result = RunCli({"login", "plain", "--no-browser"});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.out.empty()) << result.out;
}

} // namespace
} // namespace tolvane::test
