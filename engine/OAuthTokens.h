// COAuthTokens: the access tokens of the OAuth 2.0 accounts, kept in memory only, and
// their refresh at the token endpoint when one is missing or about to expire.
//
// Contract:
// - An access token is given until kEarlyMs before it expires (by the clock; a token
//   without expires_in counts as lasting an hour), so that it never dies during a login.
// - AccessToken (IAccessTokenSource) refreshes only when needed: the account's settings
//   (OAuthConfig.h) and its refresh token from the store, one request to the token
//   endpoint (bounded by the account's time-out, cancelled by its socket's cancel). A
//   rotated refresh token is stored again. A refused refresh token is removed from the
//   store and gives TOKEN_SIGN_IN, as do unusable settings and no token stored; a store
//   that cannot be asked or an endpoint that cannot be reached gives TOKEN_FAILED.
// - SignedIn takes the answer of a sign-in's code exchange: the refresh token goes to the
//   store (false when it refused), the access token is kept.
// - Thread-safe: the worker and a sign-in may use it at once (the lock is not held during
//   a request).
#pragma once

#include "engine/AccessTokenSource.h"
#include "engine/Clock.h"
#include "engine/RefreshTokenStore.h"
#include "engine/TokenJson.h"

#include <map>
#include <mutex>
#include <string>

namespace tolvane {

class COAuthTokens : public IAccessTokenSource {
public:
    static constexpr int64_t kEarlyMs = 60 * 1000;
    static constexpr int64_t kDefaultLifetimeS = 3600;

    explicit COAuthTokens(IRefreshTokenStore& store,
                          const IMonotonicClock& clock = SystemMonotonicClock());

    int AccessToken(const CAccount& account, std::string& token) override;
    void TokenRefused(const CAccount& account) override;

    bool SignedIn(const std::string& account, const TokenReply& reply);
    // Forgets the account's access token (its settings changed, it was removed).
    void Forget(const std::string& account);

private:
    struct Held {
        std::string strToken;
        int64_t nUsableUntilMs = 0;
    };
    void Keep(const std::string& account, const TokenReply& reply);
    int Refresh(const CAccount& account, std::string& token);

    IRefreshTokenStore& m_store;
    const IMonotonicClock& m_clock;
    std::mutex m_mutex;
    std::map<std::string, Held> m_held;
};

// The process's tokens, their refresh tokens in the keyring (engine/KeyringRefreshTokens.h):
// what the accounts of the programs log in with and what a sign-in hands its tokens to.
COAuthTokens& SharedOAuthTokens();

} // namespace tolvane
