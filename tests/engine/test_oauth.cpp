// OAuth 2.0 for the POP3 login: the token endpoint's JSON, the request encodings, PKCE,
// and the sign-in and refresh against the fake authorization and token server, with the
// test acting as the user's browser.
#include "engine/Account.h"
#include "engine/FormEncode.h"
#include "engine/JobTexts.h"
#include "engine/KeyringRefreshTokens.h"
#include "engine/OAuthSignIn.h"
#include "engine/OAuthTokens.h"
#include "engine/Pkce.h"
#include "engine/SaslMechanisms.h"
#include "engine/TokenEndpoint.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "tests/support/FakeOAuthServer.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/FakeSecretStore.h"
#include "tests/support/OAuthTestAccount.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestTime.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace tolvane {
namespace {

using test::FakeOAuthServer;

TEST(TokenJson, FieldsOfWellFormedObjectsOnly) {
    struct Case {
        const char* json;
        bool ok;
        const char* access;
        int64_t expires;
        const char* error;
    } const cases[] = {
        {R"({"access_token":"a\/b\"c","expires_in":3599,"refresh_token":"r"})", true, "a/b\"c",
         3599, ""},
        {R"( {"expires_in":"120","scope":["x",{"y":[1,2.5e3,true,null]}],"access_token":"\u00e9\ud83d\ude00"} )",
         true, "\xc3\xa9\xf0\x9f\x98\x80", 120, ""},
        {R"({"error":"invalid_grant","error_description":"AADSTS70008"})", true, "", -1,
         "invalid_grant"},
        {R"({"access_token":5,"expires_in":-3})", true, "", -1, ""},
        {R"({"expires_in":99999999999999999999})", true, "", 10LL * 366 * 24 * 3600, ""},
        {R"({"access_token":"a"} x)", false, "", -1, ""},
        {R"({"access_token":"a")", false, "", -1, ""},
        {R"({"access_token":"a
"})",
         false, "", -1, ""},
        {R"({"access_token":"\ud800"})", false, "", -1, ""},
        {R"({"a":[01x]})", false, "", -1, ""},
        {R"(["access_token"])", false, "", -1, ""},
        {"", false, "", -1, ""},
    };
    for (const Case& c : cases) {
        TokenReply reply;
        EXPECT_EQ(ParseTokenReply(c.json, reply), c.ok) << c.json;
        EXPECT_EQ(reply.strAccessToken, c.access) << c.json;
        EXPECT_EQ(reply.nExpiresIn, c.expires) << c.json;
        EXPECT_EQ(reply.strError, c.error) << c.json;
    }
    std::string deep(40, '[');
    deep = R"({"x":)" + deep + std::string(40, ']') + "}";
    TokenReply reply;
    EXPECT_FALSE(ParseTokenReply(deep, reply));
}

TEST(OAuthEncoding, FormQueryAndPkce) {
    EXPECT_EQ(FormBody({{"scope", "https://mail.example/ offline_access"}, {"a&b", "é"}}),
              "scope=https%3A%2F%2Fmail.example%2F%20offline_access&a%26b=%C3%A9");
    std::string value;
    EXPECT_TRUE(QueryValue("code=M.C5_x%2Fy&state=a+b", "state", value));
    EXPECT_EQ(value, "a b");
    EXPECT_TRUE(QueryValue("code=M.C5_x%2Fy&state=a+b", "code", value));
    EXPECT_EQ(value, "M.C5_x/y");
    EXPECT_FALSE(QueryValue("codes=1&xcode=2", "code", value));
    EXPECT_FALSE(QueryValue("code=%4", "code", value));
    // The example of the PKCE definition.
    EXPECT_EQ(CodeChallengeS256("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
              "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
    std::string first;
    std::string second;
    ASSERT_TRUE(RandomUrlText(kVerifierBytes, first));
    ASSERT_TRUE(RandomUrlText(kVerifierBytes, second));
    EXPECT_EQ(first.size(), 43u);
    EXPECT_NE(first, second);
    EXPECT_EQ(
        first.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
        std::string::npos);
    for (const char* url : {"http://example.com/token", "ftp://127.0.0.1/",
                            "http://127.0.0.1.evil/", "https://a b/", "http://localhostx/"}) {
        EXPECT_FALSE(IsAllowedEndpoint(url)) << url;
    }
    for (const char* url : {"https://login.example/t", "http://127.0.0.1:8/t", "http://[::1]/"}) {
        EXPECT_TRUE(IsAllowedEndpoint(url)) << url;
    }
}

const char kName[] = "outlook";

// The keyring's answers as the token store tells them: only "nothing there" asks for a
// sign-in; a locked or absent keyring is a failure that keeps the token for later.
TEST(KeyringRefreshTokens, KeyringAnswersBecomeStoreCodes) {
    test::FakeSecretStore keyring;
    CKeyringRefreshTokens tokens(1000);
    std::string token;
    EXPECT_EQ(tokens.Load(kName, token), STORE_MISSING);
    ASSERT_TRUE(tokens.Store(kName, "refresh-1"));
    EXPECT_EQ(keyring.Secret(CKeyringRefreshTokens::TokenKeys(kName)), "refresh-1");
    EXPECT_EQ(keyring.Secret({kName, "", ""}), std::nullopt); // never where a password is
    EXPECT_EQ(tokens.Load(kName, token), STORE_OK);
    EXPECT_EQ(token, "refresh-1");
    EXPECT_FALSE(tokens.Store(kName, std::string(CSecureString::kMaxBytes + 1, 'x')));
    for (const auto state :
         {test::FakeSecretStore::State::Locked, test::FakeSecretStore::State::Gone}) {
        keyring.SetState(state);
        EXPECT_EQ(tokens.Load(kName, token), STORE_FAILED);
        EXPECT_FALSE(tokens.Store(kName, "refresh-2"));
        EXPECT_FALSE(tokens.Remove(kName));
    }
    keyring.SetState(test::FakeSecretStore::State::Open);
    EXPECT_TRUE(tokens.Remove(kName));
    EXPECT_TRUE(tokens.Remove(kName)); // nothing left is no failure
    EXPECT_EQ(keyring.Size(), 0u);
}

class OAuthFlowTest : public ::testing::Test {
protected:
    OAuthFlowTest() : tokens(store, clock), account(&test::LogCollector::Append, &log) {
        account.Load(kName, false);
        account.m_socket.m_nTimeout = 5;
        config = test::FakeOAuthConfig(oauth);
        account.m_oauth = config;
    }

    // A sign-in with the test as the browser: the page it was shown and the outcome.
    // With idle, a connection that never sends a request (a browser's speculative one) is
    // open to the listener first.
    int SignIn(FakeOAuthServer::Page& page, bool idle = false) {
        COAuthSignIn signIn;
        std::string url;
        EXPECT_TRUE(signIn.Start(config, url));
        std::string redirect;
        EXPECT_TRUE(QueryValue(url.substr(url.find('?') + 1), "redirect_uri", redirect));
        const int idleFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (idle) {
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<uint16_t>(std::stoi(redirect.substr(17))));
            EXPECT_EQ(::connect(idleFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        }
        std::thread browser([&] { page = FakeOAuthServer::Browse(url); });
        TokenReply reply;
        std::string detail;
        const int result = signIn.Finish(clock, 300000, reply, detail);
        browser.join();
        ::close(idleFd);
        if (result == SIGNIN_OK) {
            EXPECT_TRUE(tokens.SignedIn(kName, reply));
        }
        return result;
    }

    test::ScopedHome home;
    FakeOAuthServer oauth;
    test::ManualMonotonicClock clock;
    test::FakeRefreshStore store;
    COAuthTokens tokens;
    test::LogCollector log;
    CAccount account;
    OAuthConfig config;
};

TEST_F(OAuthFlowTest, SignInThroughTheLoopbackThenRefreshOnlyWhenDue) {
    oauth.SetLifetime(120);
    FakeOAuthServer::Page page;
    ASSERT_EQ(SignIn(page, true), SIGNIN_OK);
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("サインインが完了しました。"), std::string::npos);
    EXPECT_EQ(oauth.Exchanges(), 1);
    EXPECT_EQ(store.tokens[kName], "refresh-1");

    std::string token;
    EXPECT_EQ(tokens.AccessToken(account, token), TOKEN_OK);
    EXPECT_EQ(token, "access-1");
    clock.Advance(59000); // still more than a minute before it expires
    EXPECT_EQ(tokens.AccessToken(account, token), TOKEN_OK);
    EXPECT_EQ(oauth.Refreshes(), 0);
    clock.Advance(1000);
    EXPECT_EQ(tokens.AccessToken(account, token), TOKEN_OK);
    EXPECT_EQ(token, "access-2");
    EXPECT_EQ(oauth.Refreshes(), 1);

    tokens.TokenRefused(account); // the server would not take it: the next login refreshes
    EXPECT_EQ(tokens.AccessToken(account, token), TOKEN_OK);
    EXPECT_EQ(token, "access-3");

    oauth.Revoke();
    tokens.Forget(kName);
    EXPECT_EQ(tokens.AccessToken(account, token), TOKEN_SIGN_IN);
    EXPECT_EQ(store.tokens.count(kName), 0u);
    EXPECT_EQ(tokens.AccessToken(account, token), TOKEN_SIGN_IN); // asks nobody again
    EXPECT_EQ(oauth.Refusals(), 1);
}

// An endpoint that cannot be reached, or is not https, loses nothing: the refresh token
// stays for the next check.
TEST_F(OAuthFlowTest, UnreachableEndpointKeepsTheRefreshToken) {
    store.tokens[kName] = "refresh-1";
    std::string token;
    for (const std::string& url : {"http://127.0.0.1:" + std::to_string(test::UnusedPort()) + "/t",
                                   std::string("http://mail.example/token")}) {
        account.m_oauth.strTokenUrl = url;
        EXPECT_EQ(tokens.AccessToken(account, token), TOKEN_FAILED) << url;
        EXPECT_EQ(store.tokens[kName], "refresh-1");
    }
    account.m_oauth.nProvider = 9;
    EXPECT_EQ(tokens.AccessToken(account, token), TOKEN_SIGN_IN);
    EXPECT_EQ(oauth.Refusals() + oauth.Refreshes(), 0);
}

TEST_F(OAuthFlowTest, RefusedSignIns) {
    FakeOAuthServer::Page page;
    oauth.SetWrongState(true);
    EXPECT_EQ(SignIn(page), SIGNIN_REFUSED);
    EXPECT_EQ(page.status, 400);
    EXPECT_NE(page.body.find("サインインできませんでした。"), std::string::npos);
    oauth.SetWrongState(false);
    oauth.SetDenied(true);
    EXPECT_EQ(SignIn(page), SIGNIN_REFUSED);
    EXPECT_EQ(oauth.Exchanges(), 0);
    EXPECT_TRUE(store.tokens.empty());
}

TEST_F(OAuthFlowTest, CancelAndTimeOutWhileWaitingForTheBrowser) {
    for (const bool cancel : {true, false}) {
        COAuthSignIn signIn;
        std::string url;
        ASSERT_TRUE(signIn.Start(config, url));
        TokenReply reply;
        std::string detail;
        int result = -1;
        const size_t sleeps = clock.Sleeps();
        std::thread waiter([&] { result = signIn.Finish(clock, 300000, reply, detail); });
        ASSERT_TRUE(clock.WaitForSleeps(sleeps + 1));
        if (cancel) {
            signIn.Cancel();
        } else {
            clock.Advance(300000);
        }
        waiter.join();
        EXPECT_EQ(result, cancel ? SIGNIN_CANCELLED : SIGNIN_TIMEOUT);
    }
}

// The worker's login of an OAuth account: the token refreshed from the stored refresh
// token before the login, and a revoked one reported as a sign-in to do again.
TEST_F(OAuthFlowTest, LoginRefreshesOrAsksToSignInAgain) {
    test::FakePop3Server pop3;
    pop3.SetUser("taro@example.com", "");
    pop3.SetCapabilities({"SASL XOAUTH2"});
    account.m_strServer = "127.0.0.1";
    account.m_nPort = static_cast<int32_t>(pop3.Port());
    account.m_strUser = "taro@example.com";
    account.m_nAuthentication = AUTH_OAUTH2;
    account.m_pTokenSource = &tokens;
    store.tokens[kName] = "refresh-1";
    oauth.SetLifetime(3600);
    // The fake POP3 server accepts the token the fake OAuth server gives next.
    pop3.SetAccessToken("access-1");
    ASSERT_TRUE(account.OpenConnection());
    EXPECT_TRUE(account.Login());
    EXPECT_TRUE(account.Logout());
    EXPECT_EQ(oauth.Refreshes(), 1);

    oauth.Revoke();
    tokens.Forget(kName);
    ASSERT_TRUE(account.OpenConnection());
    EXPECT_FALSE(account.Login());
    account.Logout();
    const std::string name = Cp932ToUtf8(account.m_strName);
    std::string text = txt::kOAuthSignIn;
    text.replace(text.find("%s"), 2, name);
    EXPECT_EQ(log.Texts()[log.Texts().size() - 2], text);
    EXPECT_EQ(log.Utf8().find("access-"), std::string::npos);
    EXPECT_EQ(log.Utf8().find("refresh-"), std::string::npos);
}

} // namespace
} // namespace tolvane
