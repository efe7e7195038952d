// IRefreshTokenStore: where an OAuth 2.0 account's refresh token is kept between runs
// (the keyring: the secret of the account, kind "refresh-token"). Keyed by the account's
// name (CP932, as the engine holds it); the token is opaque bytes.
//
// Contract:
// - Load: STORE_OK with token filled, STORE_MISSING when none is kept, STORE_FAILED when
//   the store could not be asked (locked, not running): the caller must not take that
//   for "sign in again".
// - Store replaces the account's token; Remove forgets it (no token is not a failure).
//   Both false when the store refused.
// - Called on the worker thread (Load, Store after a refresh that rotated the token,
//   Remove after a refusal) and on the sign-in's thread (Store); an implementation
//   serialises itself. Nothing of a token is ever logged.
#pragma once

#include <string>

namespace tolvane {

enum : int { STORE_OK = 0, STORE_MISSING = 1, STORE_FAILED = 2 };

class IRefreshTokenStore {
public:
    virtual ~IRefreshTokenStore() = default;
    virtual int Load(const std::string& account, std::string& token) = 0;
    virtual bool Store(const std::string& account, const std::string& token) = 0;
    virtual bool Remove(const std::string& account) = 0;
};

} // namespace tolvane
