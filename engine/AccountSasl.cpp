// The SASL login of an account: the mechanism the settings and the server's CAPA allow,
// the credentials, the AUTH dialogue (engine/SaslDialogue.h) and its log texts.
#include "engine/Account.h"

#include "engine/JobTexts.h"
#include "engine/SaslDialogue.h"
#include "engine/SaslMechanisms.h"
#include "platform/CodePage.h"
#include "platform/SecureString.h"

namespace tolvane {

namespace {

// What the log names when the server offers no fitting mechanism.
const char* WantedMechanisms(int32_t authentication) {
    return authentication == AUTH_PLAIN ? "PLAIN" : "OAUTHBEARER/XOAUTH2";
}

} // namespace

bool CAccount::LoginSasl() {
    if (m_nAuthentication != AUTH_PLAIN && m_nAuthentication != AUTH_OAUTH2) {
        Report(SjisFormat(txt::kAuthenticationUnknown, m_strName.c_str(), m_nAuthentication));
        m_socket.Close();
        return false;
    }
    if (m_nAuthentication == AUTH_PLAIN && !m_socket.IsTls()) {
        ReportName(txt::kPlainNeedsTls);
        m_socket.Close();
        return false;
    }
    // A bearer token is as good as a password to whoever reads it; the loopback address
    // (a local proxy, the tests) is the one place it may go in clear text.
    if (m_nAuthentication == AUTH_OAUTH2 && !m_socket.IsTls() && !m_socket.IsPeerLoopback()) {
        ReportName(txt::kOAuthNeedsTls);
        m_socket.Close();
        return false;
    }
    std::string reply;
    int code = m_socket.CmdCapa(reply);
    if (code != POP3_OK && code != POP3_NEGATIVE) {
        return LoginFailed(code, reply, false);
    }
    // The same list tells about pipelining: no second CAPA later.
    m_nServerPipelines = code == POP3_OK && HasCapability(reply, "PIPELINING") ? 1 : 0;
    const uint32_t mechanism =
        ChooseSaslMechanism(m_nAuthentication, code == POP3_OK ? ParseSaslMechanisms(reply) : 0);
    if (mechanism == 0) {
        Report(SjisFormat(txt::kSaslNotOffered, m_strName.c_str(),
                          WantedMechanisms(m_nAuthentication)));
        m_socket.Close();
        return false;
    }
    SaslIdentity identity{m_strUser, std::string(), m_strServer, static_cast<unsigned>(m_nPort)};
    if (m_nAuthentication == AUTH_PLAIN) {
        CSecureString password;
        if (!ObtainPassword(password)) {
            return false; // logged; nothing was sent, so QUIT can still end the session
        }
        identity.strSecret.assign(password.View());
    } else {
        const int token = m_pTokenSource == nullptr
                              ? TOKEN_SIGN_IN
                              : m_pTokenSource->AccessToken(*this, identity.strSecret);
        m_bSignInNeeded = token == TOKEN_SIGN_IN ? 1 : 0;
        if (token != TOKEN_OK) {
            ReportName(token == TOKEN_SIGN_IN     ? txt::kOAuthSignIn
                       : token == TOKEN_CANCELLED ? txt::kStopCheck
                                                  : txt::kOAuthTokenFailed);
            m_socket.Close();
            return false;
        }
    }
    const std::string command = std::string("AUTH ") + SaslMechanismName(mechanism);
    Report(SjisFormat(txt::kSaslLogin, m_strName.c_str(), command.c_str()));
    code = RunSaslLogin(m_socket, mechanism, identity, reply);
    WipeString(identity.strSecret);
    if (code == POP3_NEGATIVE && m_nAuthentication == AUTH_OAUTH2) {
        m_pTokenSource->TokenRefused(*this);
        ReportName(txt::kOAuthRefused);
        m_socket.Close();
        return false;
    }
    if (code != POP3_OK) {
        return LoginFailed(code, reply, true);
    }
    ReportName(txt::kConnected);
    return true;
}

} // namespace tolvane
