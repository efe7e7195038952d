// IAccessTokenSource: where an OAuth 2.0 account's login gets its access token. The worker
// asks right before the login, on its own thread; an implementation may refresh the token
// there (a network exchange, bounded and cancellable by the account's socket cancel).
//
// Contract:
// - AccessToken fills token and returns TOKEN_OK; TOKEN_SIGN_IN when the user must sign in
//   (no refresh token, or the token endpoint refused it); TOKEN_CANCELLED when the
//   account's cancel was requested meanwhile; TOKEN_FAILED when the token endpoint could
//   not be reached or answered nonsense. Nothing of a token ever goes to a log.
// - TokenRefused tells that the server refused the token just given: it is not given
//   again (the next login refreshes it).
#pragma once

#include <string>

namespace tolvane {

class CAccount;

enum : int { TOKEN_OK = 0, TOKEN_SIGN_IN = 1, TOKEN_FAILED = 2, TOKEN_CANCELLED = 3 };

class IAccessTokenSource {
public:
    virtual ~IAccessTokenSource() = default;
    virtual int AccessToken(const CAccount& account, std::string& token) = 0;
    virtual void TokenRefused(const CAccount& account) = 0;
};

} // namespace tolvane
