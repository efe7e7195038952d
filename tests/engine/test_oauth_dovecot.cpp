// OAuth 2.0 logins against a real Dovecot whose oauth2 passdb asks the fake server's
// introspection endpoint about every token: the access token comes from the fake token
// endpoint through COAuthTokens, on a test clock that both sides count lifetimes on.
#include "engine/OAuthTokens.h"
#include "engine/SaslMechanisms.h"
#include "tests/engine/AccountJobTest.h"
#include "tests/support/DovecotFixture.h"
#include "tests/support/FakeOAuthServer.h"
#include "tests/support/OAuthTestAccount.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tolvane::test {
namespace {

const char kName[] = "pop";
const char kUser[] = "taro";
constexpr int64_t kLifetimeS = 120;

class OAuthDovecotTest : public ::testing::Test {
protected:
    OAuthDovecotTest() : tokens(store, clock), account(&LogCollector::Append, &log) {
        oauth.SetClock(&clock);
        oauth.SetUser(kUser);
        oauth.SetLifetime(kLifetimeS);
        account.Load(kName, false);
        account.m_strServer = "127.0.0.1";
        account.m_strUser = kUser;
        account.m_nAuthentication = AUTH_OAUTH2;
        account.m_pTokenSource = &tokens;
        account.m_socket.m_nTimeout = 10;
        config = FakeOAuthConfig(oauth);
        account.m_oauth = config;
        store.tokens[kName] = "refresh-1"; // signed in before
        dovecot.AddUser(kUser, "secret");
    }
    ~OAuthDovecotTest() override { account.SetReport(nullptr, nullptr); }

    // A fresh server with one mail, taking tokens for mechanisms.
    void Start(const std::string& mechanisms) {
        dovecot.Stop();
        dovecot.Deliver(kUser, MakeMessage({"Subject: one"}, {"body"}));
        dovecot.EnableOAuth2(oauth.IntrospectionUrl(), mechanisms);
        ASSERT_TRUE(dovecot.Start()) << dovecot.Error();
        account.m_nPort = static_cast<int32_t>(dovecot.Port());
    }

    // One check as the worker runs it; false when the login failed.
    bool Check() {
        EXPECT_TRUE(account.OpenConnection()) << log.Utf8();
        if (!account.Login()) {
            account.Logout();
            return false;
        }
        EXPECT_EQ(account.CheckMail(Sjis("T"), &host), POP3_OK);
        EXPECT_EQ(account.GetMailCount(), 1);
        if (account.GetMailCount() == 1) {
            EXPECT_EQ(account.GetMail(0)->m_strSubject, "one");
        }
        account.Logout();
        return true;
    }

    bool Logged(const std::string& text) const {
        const std::vector<std::string> texts = log.Texts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    ScopedHome home;
    ManualMonotonicClock clock; // before the server, which reads it
    FakeOAuthServer oauth;
    FakeRefreshStore store;
    COAuthTokens tokens;
    LogCollector log;
    RecordingHost host{"T"};
    CAccount account;
    OAuthConfig config;
    DovecotFixture dovecot;
};

// A server offering one mechanism only makes the client use it (it prefers OAUTHBEARER);
// the endpoint's count shows that Dovecot checked the token there. (Dovecot's own log is
// written by another process, later: no proof of anything at this point.)
TEST_F(OAuthDovecotTest, EachMechanismGivesTheMails) {
    TOLVANE_REQUIRE_DOVECOT();
    struct Case {
        const char* offered;
        const char* command;
    } const cases[] = {{"xoauth2", "AUTH XOAUTH2"}, {"oauthbearer", "AUTH OAUTHBEARER"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offered);
        Start(c.offered);
        const int asked = oauth.Introspections();
        ASSERT_TRUE(Check()) << log.Utf8() << dovecot.Log();
        EXPECT_EQ(oauth.Introspections(), asked + 1);
        EXPECT_TRUE(Logged(LOG_TEXT(txt::kSaslLogin, kName, c.command))) << log.Utf8();
    }
    EXPECT_EQ(oauth.Refreshes(), 1); // the first token served both servers
    EXPECT_EQ(log.Utf8().find("access-"), std::string::npos);
}

// The server counts the token's lifetime too: a check after it ended succeeds only
// because the client refreshed first.
TEST_F(OAuthDovecotTest, RefreshOnlyOnceTheTokenExpired) {
    TOLVANE_REQUIRE_DOVECOT();
    Start("xoauth2 oauthbearer");
    ASSERT_TRUE(Check()) << log.Utf8() << dovecot.Log();
    EXPECT_TRUE(Logged(LOG_TEXT(txt::kSaslLogin, kName, "AUTH OAUTHBEARER"))) << log.Utf8();
    clock.Advance((kLifetimeS * 1000 - COAuthTokens::kEarlyMs) - 1000);
    ASSERT_TRUE(Check()) << log.Utf8() << dovecot.Log();
    EXPECT_EQ(oauth.Refreshes(), 1);
    clock.Advance(COAuthTokens::kEarlyMs + 1000); // at the end of the token's lifetime
    ASSERT_TRUE(Check()) << log.Utf8() << dovecot.Log();
    EXPECT_EQ(oauth.Refreshes(), 2);
    EXPECT_EQ(oauth.Introspections(), 3);
}

// The refresh is refused: the account fails with the text asking to sign in again, sends
// Dovecot no token, and does not ask the token endpoint again at the next check.
TEST_F(OAuthDovecotTest, RevokedRefreshTokenAsksToSignInAgain) {
    TOLVANE_REQUIRE_DOVECOT();
    Start("xoauth2 oauthbearer");
    ASSERT_TRUE(Check()) << log.Utf8() << dovecot.Log();
    oauth.Revoke();
    clock.Advance(kLifetimeS * 1000);
    for (int check = 0; check < 2; ++check) {
        EXPECT_FALSE(Check());
    }
    EXPECT_TRUE(Logged(LOG_TEXT(txt::kOAuthSignIn, kName))) << log.Utf8();
    EXPECT_EQ(store.tokens.count(kName), 0u);
    EXPECT_EQ(oauth.Refusals(), 1);
    EXPECT_EQ(oauth.Introspections(), 1);
}

// Dovecot refuses a token its introspection calls inactive although the client still
// counts it as valid: the login fails, the token is forgotten, and the next check
// refreshes and gets in.
TEST_F(OAuthDovecotTest, InactiveTokenIsRefusedAndForgotten) {
    TOLVANE_REQUIRE_DOVECOT();
    Start("xoauth2 oauthbearer");
    ASSERT_TRUE(Check()) << log.Utf8() << dovecot.Log();
    oauth.Deactivate(oauth.LastAccessToken());
    EXPECT_FALSE(Check());
    EXPECT_TRUE(Logged(LOG_TEXT(txt::kOAuthRefused, kName))) << log.Utf8();
    EXPECT_EQ(oauth.Introspections(), 2);
    EXPECT_EQ(oauth.Refreshes(), 1);
    ASSERT_TRUE(Check()) << log.Utf8() << dovecot.Log();
    EXPECT_EQ(oauth.Refreshes(), 2);
    EXPECT_EQ(store.tokens[kName], "refresh-1");
}

} // namespace
} // namespace tolvane::test
