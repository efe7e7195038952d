#include "engine/OAuthConfig.h"

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

int ResolveOAuthConfig(const OAuthConfig& stored, OAuthConfig& config) {
    config = stored;
    if (config.nProvider != OAUTH_OTHER && !BuiltInEndpoints(config.nProvider, config)) {
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
