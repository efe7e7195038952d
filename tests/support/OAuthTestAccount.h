// An OAuth 2.0 account of the tests: its refresh tokens kept in memory instead of the
// keyring, and its settings pointing at the fake authorization and token server.
#pragma once

#include "engine/OAuthConfig.h"
#include "engine/RefreshTokenStore.h"
#include "tests/support/FakeOAuthServer.h"

#include <map>
#include <string>

namespace tolvane::test {

// Tokens by account name; never refuses.
struct FakeRefreshStore : IRefreshTokenStore {
    std::map<std::string, std::string> tokens;
    int Load(const std::string& account, std::string& token) override {
        const auto it = tokens.find(account);
        if (it == tokens.end()) {
            return STORE_MISSING;
        }
        token = it->second;
        return STORE_OK;
    }
    bool Store(const std::string& account, const std::string& token) override {
        tokens[account] = token;
        return true;
    }
    bool Remove(const std::string& account) override {
        tokens.erase(account);
        return true;
    }
};

// The settings of provider "other" on oauth with the registered client (an account's
// m_oauth).
inline OAuthConfig FakeOAuthConfig(const FakeOAuthServer& oauth) {
    OAuthConfig config;
    config.nProvider = OAUTH_OTHER;
    config.strClientId = kFakeOAuthClient;
    config.strAuthorizeUrl = oauth.AuthorizeUrl();
    config.strTokenUrl = oauth.TokenUrl();
    config.strScope = "mail offline_access";
    return config;
}

} // namespace tolvane::test
