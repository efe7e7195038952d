// The OAuth 2.0 settings of an account: its provider, with the authorization and token
// endpoints and the scope built in for the known ones, and the client the user registered.
//
// Contract:
// - Keys of the account's section: OAuthProvider (1 Microsoft, 2 Google, 3 other),
//   OAuthClientId, OAuthClientSecret (Google's desktop clients have one), and for 3 alone
//   OAuthAuthorizeUrl, OAuthTokenUrl, OAuthScope. All UTF-8 bytes as the file holds them.
// - The account holds the keys as stored (CAccount::m_oauth); ResolveOAuthConfig gives
//   the settings a sign-in or a refresh uses (a known provider's endpoints and scope built
//   in, whatever the file says of them) and returns OAUTH_CONFIG_OK, or the first fault:
//   an unknown provider, no client id, or (other) a missing endpoint or scope.
// - ProviderServer gives the POP3 server of a known provider (POP3S), for the dialog.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane {

enum : int32_t { OAUTH_MICROSOFT = 1, OAUTH_GOOGLE = 2, OAUTH_OTHER = 3 };

enum : int {
    OAUTH_CONFIG_OK = 0,
    OAUTH_CONFIG_PROVIDER = 1,
    OAUTH_CONFIG_CLIENT = 2,
    OAUTH_CONFIG_ENDPOINTS = 3
};

struct OAuthConfig {
    int32_t nProvider = 0;
    std::string strClientId;
    std::string strClientSecret; // may be empty
    std::string strAuthorizeUrl;
    std::string strTokenUrl;
    std::string strScope;
};

// The endpoints and scope of provider into config (others' are left as they are); false
// for a provider that has none built in.
bool BuiltInEndpoints(int32_t provider, OAuthConfig& config);

int ResolveOAuthConfig(const OAuthConfig& stored, OAuthConfig& config);

struct ProviderPop3Server {
    const char* host;
    unsigned port;
};
// False for a provider without a known server.
bool ProviderServer(int32_t provider, ProviderPop3Server& server);

} // namespace tolvane
