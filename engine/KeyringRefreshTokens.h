// CKeyringRefreshTokens: the refresh tokens of the OAuth 2.0 accounts in the desktop's
// keyring (platform/SecretStore.h), one secret per account of kind "refresh-token".
//
// Contract:
// - IRefreshTokenStore's codes from the keyring's: found is STORE_OK, nothing under the
//   account STORE_MISSING, every other answer (no keyring, locked, no answer in time)
//   STORE_FAILED, which never asks the user to sign in again.
// - Each call is bounded by the time-out given at construction.
// - The account's name comes as the engine holds it (CP932) and goes to the keyring as
//   UTF-8, like the password's.
#pragma once

#include "engine/RefreshTokenStore.h"
#include "platform/SecretStore.h"

namespace tolvane {

class CKeyringRefreshTokens : public IRefreshTokenStore {
public:
    explicit CKeyringRefreshTokens(int timeoutMs = kSecretTimeoutMs) : m_nTimeoutMs(timeoutMs) {}

    int Load(const std::string& account, std::string& token) override;
    bool Store(const std::string& account, const std::string& token) override;
    bool Remove(const std::string& account) override;

    // The keys of account's token (a CP932 name).
    static SecretKeys TokenKeys(const std::string& account);

private:
    int m_nTimeoutMs;
};

} // namespace tolvane
