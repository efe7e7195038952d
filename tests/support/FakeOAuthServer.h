// A fake OAuth 2.0 authorization and token server inside the test process: HTTP on
// 127.0.0.1 and a free port, one request at a time on a thread of its own.
//
// - The one client registered is kFakeOAuthClient.
// - GET /authorize (response_type=code, client_id, redirect_uri, state, code_challenge,
//   code_challenge_method=S256) answers 302 to redirect_uri with a fresh code and the
//   state (another state with SetWrongState, error=access_denied with SetDenied); a
//   request without those parameters gets 400.
// - POST /token, grant_type=authorization_code: the code issued last, the same
//   redirect_uri and client_id, and a code_verifier whose S256 is the challenge give an
//   access token ("access-N"), the refresh token "refresh-1" and expires_in of the
//   lifetime set (default 3600 s); anything else 400 invalid_grant.
// - POST /token, grant_type=refresh_token: the refresh token given out and not revoked
//   gives a new access token; a revoked or unknown one 400 invalid_grant.
// - POST /introspect (token=...), as a mail server checks a bearer token (RFC 7662):
//   {"active":true,"username":USER} for an access token issued here that is neither
//   deactivated nor expired (its lifetime counted on the clock set, when one is), USER
//   being the user set when it was issued; {"active":false} for any other.
//   Introspections() counts these requests.
// - Browse(url) acts as the user's browser: fetches url and follows redirects (the
//   loopback listener's page included); it returns the last page's status and body.
#pragma once

#include "engine/Clock.h"

#include <cstdint>
#include <string>

namespace tolvane::test {

inline constexpr char kFakeOAuthClient[] = "tolvane-test-client";

class FakeOAuthServer {
public:
    FakeOAuthServer();
    ~FakeOAuthServer();
    FakeOAuthServer(const FakeOAuthServer&) = delete;
    FakeOAuthServer& operator=(const FakeOAuthServer&) = delete;

    std::string AuthorizeUrl() const;     // http://127.0.0.1:PORT/authorize
    std::string TokenUrl() const;         // http://127.0.0.1:PORT/token
    std::string IntrospectionUrl() const; // http://127.0.0.1:PORT/introspect
    void SetLifetime(int64_t seconds);
    // Whose the access tokens issued from now on are ("" by default).
    void SetUser(const std::string& user);
    // The clock on which issued access tokens expire; without one they never do. It must
    // outlive the server.
    void SetClock(const IMonotonicClock* clock);
    // The introspection calls the access token inactive from now on.
    void Deactivate(const std::string& accessToken);
    void SetWrongState(bool wrong);
    void SetDenied(bool denied);
    void Revoke(); // the refresh token given out is refused from now on
    std::string LastAccessToken() const;
    int Exchanges() const; // codes exchanged successfully
    int Refreshes() const; // refreshes granted
    int Refusals() const;  // token requests answered invalid_grant
    int Introspections() const;

    struct Page {
        long status = 0;
        std::string body;
    };
    static Page Browse(const std::string& url);

private:
    struct Impl;
    Impl* m_impl;
};

} // namespace tolvane::test
