// The SASL login: which mechanism a CAPA offer gives, the two-step AUTH dialogue with the
// fake server (tokens right and wrong, long ones, error challenges), and the refusals
// that must come before anything secret is sent.
#include "engine/Account.h"
#include "engine/Base64Encode.h"
#include "engine/JobTexts.h"
#include "engine/SaslMechanisms.h"
#include "platform/CodePage.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

using test::FakePop3Server;
using test::FakeReply;

const char kNameUtf8[] = "仕事用";

// A text of the string table with the account name first and then the other arguments.
std::string Named(const char* formatUtf8, const std::string& second = "") {
    std::string text = formatUtf8;
    size_t pos = text.find("%s");
    text.replace(pos, 2, kNameUtf8);
    pos = text.find("%s", pos);
    if (pos != std::string::npos) {
        text.replace(pos, 2, second);
    }
    return text;
}

struct FakeTokens : IAccessTokenSource {
    int result = TOKEN_OK;
    std::string token = "fake-access-token";
    int refused = 0;
    int AccessToken(const CAccount&, std::string& given) override {
        given = token;
        return result;
    }
    void TokenRefused(const CAccount&) override { ++refused; }
};

TEST(SaslMechanisms, OfferReadFromCapa) {
    struct Case {
        const char* reply;
        uint32_t offered;
    } const cases[] = {
        {"+OK\r\nTOP\r\nSASL PLAIN XOAUTH2 OAUTHBEARER\r\n.\r\n",
         SASL_PLAIN | SASL_XOAUTH2 | SASL_OAUTHBEARER},
        {"+OK\r\nsasl  xoauth2\t\r\n.\r\n", SASL_XOAUTH2},                   // case, blanks
        {"+OK\r\nSASL PLAIN XOAUTH2\r\r\n.\r\n", SASL_PLAIN | SASL_XOAUTH2}, // a stray CR
        {"+OK\nSASL OAUTHBEARER\n.\n", SASL_OAUTHBEARER},                    // lone LF line ends
        {"+OK\r\nSASL GSSAPI OAUTHBEARERX XOAUTH\r\n.\r\n", 0},              // near names only
        {"+OK\r\nXSASL PLAIN\r\nUSER PLAIN\r\n.\r\n", 0},                    // another capability
        {"+OK\r\n.\r\nSASL PLAIN\r\n", 0},                                   // after the end
        {"-ERR\r\nSASL PLAIN\r\n.\r\n", 0},
        {"+OK\r\nSASL\r\n.\r\n", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseSaslMechanisms(c.reply), c.offered) << c.reply;
    }
    EXPECT_EQ(ChooseSaslMechanism(AUTH_OAUTH2, SASL_XOAUTH2 | SASL_OAUTHBEARER), SASL_OAUTHBEARER);
    EXPECT_EQ(ChooseSaslMechanism(AUTH_OAUTH2, SASL_PLAIN), 0u);
    EXPECT_EQ(ChooseSaslMechanism(AUTH_PLAIN, SASL_XOAUTH2), 0u);
}

TEST(Base64Encode, KnownVectors) {
    const char* const vectors[][3] = {{"", "", ""},
                                      {"f", "Zg==", "Zg"},
                                      {"fo", "Zm8=", "Zm8"},
                                      {"foo", "Zm9v", "Zm9v"},
                                      {"foob", "Zm9vYg==", "Zm9vYg"},
                                      {"\xfb\xff\xbf", "+/+/", "-_-_"}};
    for (const auto& v : vectors) {
        EXPECT_EQ(EncodeBase64(v[0]), v[1]);
        EXPECT_EQ(EncodeBase64Url(v[0]), v[2]);
    }
}

class SaslLoginTest : public ::testing::Test {
protected:
    SaslLoginTest() : account(&test::LogCollector::Append, &log) {
        account.m_strName = Utf8ToCp932(kNameUtf8);
        account.m_strServer = "127.0.0.1";
        account.m_nPort = static_cast<int32_t>(server.Port());
        account.m_strUser = "taro@example.com";
        account.m_strPassword = "secret";
        account.m_socket.m_nTimeout = 5;
        account.m_nAuthentication = AUTH_OAUTH2;
        account.m_pTokenSource = &tokens;
        server.SetUser("taro@example.com", "secret");
    }

    bool OpenAndLogin() { return account.OpenConnection() && account.Login(); }
    std::string Response(uint32_t mechanism) const {
        const std::string port = std::to_string(server.Port());
        if (mechanism == SASL_XOAUTH2) {
            return EncodeBase64("user=taro@example.com\x01"
                                "auth=Bearer " +
                                tokens.token + "\x01\x01");
        }
        return EncodeBase64("n,a=taro@example.com,\x01"
                            "host=127.0.0.1\x01"
                            "port=" +
                            port +
                            "\x01"
                            "auth=Bearer " +
                            tokens.token + "\x01\x01");
    }

    test::ScopedHome home;
    FakePop3Server server;
    test::LogCollector log;
    FakeTokens tokens;
    CAccount account;
};

// The server's offer and the token decide the mechanism and the outcome; the log never
// holds the response.
TEST_F(SaslLoginTest, OAuthByOffer) {
    struct Case {
        const char* name;
        std::vector<std::string> capabilities;
        std::string token;
        uint32_t mechanism; // 0: none fits
        bool accepted;
    } const cases[] = {
        {"BearerPreferred",
         {"TOP", "SASL PLAIN XOAUTH2 OAUTHBEARER"},
         "fake-access-token",
         SASL_OAUTHBEARER,
         true},
        {"XOAuth2WithStrayCr",
         {"sasl  xoauth2 \r", "UIDL"},
         "fake-access-token",
         SASL_XOAUTH2,
         true},
        {"LongToken", {"SASL XOAUTH2"}, std::string(4096, 't'), SASL_XOAUTH2, true},
        {"LongBearer", {"SASL OAUTHBEARER"}, std::string(12000, 'b'), SASL_OAUTHBEARER, true},
        {"BearerWrongToken", {"SASL OAUTHBEARER"}, "stale", SASL_OAUTHBEARER, false},
        {"XOAuth2WrongToken", {"SASL XOAUTH2"}, "stale", SASL_XOAUTH2, false},
        {"NotOffered", {"TOP", "SASL PLAIN"}, "fake-access-token", 0, false},
        {"NoCapa", {}, "fake-access-token", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::LogCollector caseLog;
        account.SetReport(&test::LogCollector::Append, &caseLog);
        server.SetCapabilities(c.capabilities);
        server.SetAccessToken(c.accepted ? c.token : "fresh");
        tokens.token = c.token;
        tokens.refused = 0;
        server.ClearCommands();
        EXPECT_EQ(OpenAndLogin(), c.accepted);
        account.Logout();

        std::vector<std::string> commands{"CAPA"};
        std::vector<std::string> texts{Named(txt::kConnecting)};
        if (c.mechanism == 0) {
            texts.push_back(Named(txt::kSaslNotOffered, "OAUTHBEARER/XOAUTH2"));
        } else {
            const std::string auth = std::string("AUTH ") + SaslMechanismName(c.mechanism);
            commands.insert(commands.end(), {auth, Response(c.mechanism)});
            texts.push_back(Named(txt::kSaslLogin, auth));
            if (!c.accepted) {
                commands.push_back(c.mechanism == SASL_OAUTHBEARER ? "AQ==" : "");
            }
            texts.push_back(Named(c.accepted ? txt::kConnected : txt::kOAuthRefused));
        }
        if (c.accepted) {
            commands.push_back("QUIT");
        }
        texts.push_back(Named(c.accepted ? txt::kLoggedOut : txt::kLogoutFailed));
        EXPECT_EQ(server.Commands(), commands);
        EXPECT_EQ(caseLog.Texts(), texts);
        EXPECT_EQ(tokens.refused, c.mechanism != 0 && !c.accepted ? 1 : 0);
        EXPECT_EQ(caseLog.Utf8().find(c.token), std::string::npos);
        account.SetReport(&test::LogCollector::Append, &log);
    }
}

// Failures before the response: nothing secret is sent, one text says why.
TEST_F(SaslLoginTest, RefusedBeforeTheSecret) {
    struct Case {
        const char* name;
        int32_t authentication;
        int tokenResult;
        std::vector<std::string> commands;
        std::string text;
    } const cases[] = {
        {"PlainWithoutTls", AUTH_PLAIN, TOKEN_OK, {}, Named(txt::kPlainNeedsTls)},
        {"SignInNeeded", AUTH_OAUTH2, TOKEN_SIGN_IN, {"CAPA"}, Named(txt::kOAuthSignIn)},
        {"TokenEndpointDown", AUTH_OAUTH2, TOKEN_FAILED, {"CAPA"}, Named(txt::kOAuthTokenFailed)},
        {"UnknownValue",
         7,
         TOKEN_OK,
         {},
         "仕事用の認証方式の設定（7）が正しくないため、接続を"
         "中止します。（アカウントの設定を見直してください。）\r\n"},
    };
    server.SetCapabilities({"SASL PLAIN XOAUTH2"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::LogCollector caseLog;
        account.SetReport(&test::LogCollector::Append, &caseLog);
        account.m_nAuthentication = c.authentication;
        tokens.result = c.tokenResult;
        server.ClearCommands();
        EXPECT_FALSE(OpenAndLogin());
        EXPECT_FALSE(account.m_socket.IsConnected());
        account.Logout();
        EXPECT_EQ(server.Commands(), c.commands);
        EXPECT_EQ(caseLog.Texts(), (std::vector<std::string>{Named(txt::kConnecting), c.text,
                                                             Named(txt::kLogoutFailed)}));
        account.SetReport(&test::LogCollector::Append, &log);
    }
}

// Servers that answer the dialogue in other ways than the fake's own.
TEST_F(SaslLoginTest, ServerAnswers) {
    const std::string longChallenge = "+ " + std::string(20000, 'e') + "\r\n";
    struct Case {
        const char* name;
        const char* pattern;
        FakeReply reply;
        const char* text;
    } const cases[] = {
        {"AuthRefused", "AUTH", FakeReply::Err("-ERR not now"), txt::kOAuthRefused},
        {"LongErrorChallenge", "", FakeReply::Text(longChallenge), txt::kOAuthRefused},
        {"OkWithoutResponse", "AUTH", FakeReply::Text("+OK\r\n"), txt::kLoginLineFault},
        {"TwoLinesForOne", "AUTH", FakeReply::Text("+ \r\n+ \r\n"), txt::kLoginLineFault},
        {"ClosedMidDialogue", "AUTH", FakeReply::Text("+ ").AndClose(), txt::kLoginLineFault},
    };
    server.SetCapabilities({"SASL XOAUTH2"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::LogCollector caseLog;
        account.SetReport(&test::LogCollector::Append, &caseLog);
        // "" stands for the response line, whatever its base64.
        server.Script(*c.pattern != '\0' ? c.pattern : Response(SASL_XOAUTH2), c.reply);
        EXPECT_FALSE(OpenAndLogin());
        EXPECT_FALSE(account.m_socket.IsConnected());
        EXPECT_EQ(caseLog.Texts().back(), Named(c.text));
        account.Logout();
        account.SetReport(&test::LogCollector::Append, &log);
    }
}

} // namespace
} // namespace tolvane
