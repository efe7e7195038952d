#include "engine/OAuthSignIn.h"

#include "engine/FormEncode.h"
#include "engine/Pkce.h"
#include "engine/TokenEndpoint.h"

namespace tolvane {

std::string COAuthSignIn::AuthorizationUrl(const OAuthConfig& config,
                                           const std::string& redirectUri,
                                           const std::string& challenge, const std::string& state) {
    FormFields fields{{"response_type", "code"},
                      {"client_id", config.strClientId},
                      {"redirect_uri", redirectUri},
                      {"scope", config.strScope},
                      {"state", state},
                      {"code_challenge", challenge},
                      {"code_challenge_method", "S256"}};
    if (config.nProvider == OAUTH_GOOGLE) {
        // Without these a second sign-in gets no refresh token.
        fields.emplace_back("access_type", "offline");
        fields.emplace_back("prompt", "consent");
    }
    const char joiner = config.strAuthorizeUrl.find('?') == std::string::npos ? '?' : '&';
    return config.strAuthorizeUrl + joiner + FormBody(fields);
}

bool COAuthSignIn::Start(const OAuthConfig& config, std::string& url) {
    m_config = config;
    if (!RandomUrlText(kVerifierBytes, m_strVerifier) || !RandomUrlText(kStateBytes, m_strState) ||
        !m_redirect.Listen()) {
        return false;
    }
    url = AuthorizationUrl(config, m_redirect.RedirectUri(), CodeChallengeS256(m_strVerifier),
                           m_strState);
    return true;
}

void COAuthSignIn::Cancel() {
    m_bCancel.store(1);
    m_redirect.Cancel();
}

int COAuthSignIn::Finish(const IMonotonicClock& clock, int64_t timeoutMs, TokenReply& reply,
                         std::string& detail) {
    std::string code;
    switch (m_redirect.WaitForCode(m_strState, clock, clock.NowMs() + timeoutMs, code, detail)) {
    case REDIRECT_OK:
        break;
    case REDIRECT_WRONG_STATE:
        detail = "state mismatch";
        return SIGNIN_REFUSED;
    case REDIRECT_DENIED:
        return SIGNIN_REFUSED;
    case REDIRECT_TIMEOUT:
        return SIGNIN_TIMEOUT;
    case REDIRECT_CANCELLED:
        return SIGNIN_CANCELLED;
    default:
        detail = "redirect without a code";
        return SIGNIN_FAILED;
    }
    FormFields fields{{"grant_type", "authorization_code"},
                      {"code", code},
                      {"redirect_uri", m_redirect.RedirectUri()},
                      {"client_id", m_config.strClientId},
                      {"code_verifier", m_strVerifier}};
    if (!m_config.strClientSecret.empty()) {
        fields.emplace_back("client_secret", m_config.strClientSecret);
    }
    switch (PostTokenRequest(m_config.strTokenUrl, fields, &m_bCancel, kExchangeSeconds, reply,
                             detail)) {
    case TOKEN_OK:
        if (reply.strRefreshToken.empty()) {
            detail = "no refresh token";
            return SIGNIN_FAILED;
        }
        return SIGNIN_OK;
    case TOKEN_SIGN_IN:
        return SIGNIN_REFUSED;
    case TOKEN_CANCELLED:
        return SIGNIN_CANCELLED;
    default:
        return SIGNIN_FAILED;
    }
}

} // namespace tolvane
