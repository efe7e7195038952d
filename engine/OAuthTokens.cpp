#include "engine/OAuthTokens.h"

#include "engine/Account.h"
#include "engine/KeyringRefreshTokens.h"
#include "engine/OAuthConfig.h"
#include "engine/TokenEndpoint.h"

namespace tolvane {

COAuthTokens::COAuthTokens(IRefreshTokenStore& store, const IMonotonicClock& clock)
    : m_store(store), m_clock(clock) {}

void COAuthTokens::Keep(const std::string& account, const TokenReply& reply) {
    const int64_t lifetimeS = reply.nExpiresIn >= 0 ? reply.nExpiresIn : kDefaultLifetimeS;
    std::lock_guard lock(m_mutex);
    m_held[account] = {reply.strAccessToken, m_clock.NowMs() + lifetimeS * 1000 - kEarlyMs};
}

int COAuthTokens::AccessToken(const CAccount& account, std::string& token) {
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_held.find(account.m_strName);
        if (it != m_held.end() && m_clock.NowMs() < it->second.nUsableUntilMs) {
            token = it->second.strToken;
            return TOKEN_OK;
        }
    }
    return Refresh(account, token);
}

int COAuthTokens::Refresh(const CAccount& account, std::string& token) {
    OAuthConfig config;
    if (ResolveOAuthConfig(account.m_oauth, config) != OAUTH_CONFIG_OK) {
        return TOKEN_SIGN_IN;
    }
    std::string refreshToken;
    const int loaded = m_store.Load(account.m_strName, refreshToken);
    if (loaded != STORE_OK) {
        return loaded == STORE_MISSING ? TOKEN_SIGN_IN : TOKEN_FAILED;
    }
    FormFields fields{{"grant_type", "refresh_token"},
                      {"refresh_token", refreshToken},
                      {"client_id", config.strClientId}};
    if (!config.strClientSecret.empty()) {
        fields.emplace_back("client_secret", config.strClientSecret);
    }
    TokenReply reply;
    std::string detail;
    const int code = PostTokenRequest(config.strTokenUrl, fields, &account.m_socket.m_bCancel,
                                      account.m_socket.m_nTimeout, reply, detail);
    if (code == TOKEN_SIGN_IN) {
        m_store.Remove(account.m_strName);
    }
    if (code != TOKEN_OK) {
        return code;
    }
    if (!reply.strRefreshToken.empty() && reply.strRefreshToken != refreshToken) {
        m_store.Store(account.m_strName, reply.strRefreshToken);
    }
    Keep(account.m_strName, reply);
    token = reply.strAccessToken;
    return TOKEN_OK;
}

void COAuthTokens::TokenRefused(const CAccount& account) {
    Forget(account.m_strName);
}

bool COAuthTokens::SignedIn(const std::string& account, const TokenReply& reply) {
    if (reply.strRefreshToken.empty() || !m_store.Store(account, reply.strRefreshToken)) {
        return false;
    }
    Keep(account, reply);
    return true;
}

void COAuthTokens::Forget(const std::string& account) {
    std::lock_guard lock(m_mutex);
    m_held.erase(account);
}

COAuthTokens& SharedOAuthTokens() {
    static CKeyringRefreshTokens store;
    static COAuthTokens tokens(store);
    return tokens;
}

} // namespace tolvane
