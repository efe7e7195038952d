#include "engine/KeyringRefreshTokens.h"

#include "platform/CodePage.h"

namespace tolvane {

SecretKeys CKeyringRefreshTokens::TokenKeys(const std::string& account) {
    SecretKeys keys;
    keys.accountUtf8 = Cp932ToUtf8(account);
    keys.kindUtf8 = kSecretKindRefreshToken;
    return keys;
}

int CKeyringRefreshTokens::Load(const std::string& account, std::string& token) {
    CSecureString secret;
    const int code = SecretStore().Lookup(TokenKeys(account), secret, m_nTimeoutMs, nullptr);
    if (code == SECRET_OK) {
        token.assign(secret.View());
        return STORE_OK;
    }
    return code == SECRET_NOT_FOUND ? STORE_MISSING : STORE_FAILED;
}

bool CKeyringRefreshTokens::Store(const std::string& account, const std::string& token) {
    CSecureString secret;
    if (!secret.Append(token)) {
        return false; // longer than any token a provider gives
    }
    return SecretStore().Store(TokenKeys(account), secret, m_nTimeoutMs, nullptr) == SECRET_OK;
}

bool CKeyringRefreshTokens::Remove(const std::string& account) {
    const int code = SecretStore().Remove(TokenKeys(account), m_nTimeoutMs, nullptr);
    return code == SECRET_OK || code == SECRET_NOT_FOUND;
}

} // namespace tolvane
