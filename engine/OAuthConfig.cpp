#include "engine/OAuthConfig.h"

#include "platform/Profile.h"

namespace tolvane {

bool BuiltInEndpoints(int32_t provider, OAuthConfig& config) {
    switch (provider) {
    case OAUTH_MICROSOFT:
        config.strAuthorizeUrl = "https://login.microsoftonline.com/common/oauth2/v2.0/authorize";
        config.strTokenUrl = "https://login.microsoftonline.com/common/oauth2/v2.0/token";
        config.strScope = "https://outlook.office.com/POP.AccessAsUser.All offline_access";
        return true;
    case OAUTH_GOOGLE:
        config.strAuthorizeUrl = "https://accounts.google.com/o/oauth2/v2/auth";
        config.strTokenUrl = "https://oauth2.googleapis.com/token";
        config.strScope = "https://mail.google.com/";
        return true;
    default:
        return false;
    }
}

int LoadOAuthConfig(const std::string& section, OAuthConfig& config) {
    config = OAuthConfig{};
    config.nProvider = GetProfileInt(section, "OAuthProvider", 0);
    config.strClientId = GetProfileStringUtf8(section, "OAuthClientId", "");
    config.strClientSecret = GetProfileStringUtf8(section, "OAuthClientSecret", "");
    if (config.nProvider == OAUTH_OTHER) {
        config.strAuthorizeUrl = GetProfileStringUtf8(section, "OAuthAuthorizeUrl", "");
        config.strTokenUrl = GetProfileStringUtf8(section, "OAuthTokenUrl", "");
        config.strScope = GetProfileStringUtf8(section, "OAuthScope", "");
    } else if (!BuiltInEndpoints(config.nProvider, config)) {
        return OAUTH_CONFIG_PROVIDER;
    }
    if (config.strClientId.empty()) {
        return OAUTH_CONFIG_CLIENT;
    }
    if (config.strAuthorizeUrl.empty() || config.strTokenUrl.empty() || config.strScope.empty()) {
        return OAUTH_CONFIG_ENDPOINTS;
    }
    return OAUTH_CONFIG_OK;
}

bool ProviderServer(int32_t provider, ProviderPop3Server& server) {
    switch (provider) {
    case OAUTH_MICROSOFT:
        server = {"outlook.office365.com", 995};
        return true;
    case OAUTH_GOOGLE:
        server = {"pop.gmail.com", 995};
        return true;
    default:
        return false;
    }
}

} // namespace tolvane
