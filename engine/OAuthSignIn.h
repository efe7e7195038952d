// COAuthSignIn: one sign-in of a native app in the user's browser: the authorization code
// with PKCE (S256) and a state, the redirect to a loopback listener, the code exchanged at
// the token endpoint.
//
// Contract:
// - Start draws the verifier and the state, opens the listener and gives the
//   authorization URL for the browser (which the caller opens or prints); false when no
//   port or no random bytes can be had.
// - Finish (after Start, on a thread that may block: never the GUI's) waits for the
//   redirect until timeoutMs of clock from now, then exchanges the code (the verifier and
//   the same redirect URI). SIGNIN_OK with reply holding the tokens; SIGNIN_REFUSED when
//   the user declined, the state was wrong or the endpoint refused the code;
//   SIGNIN_TIMEOUT, SIGNIN_CANCELLED, or SIGNIN_FAILED (detail says why, ASCII, no
//   secret; it may quote the server's error word, so make it log-safe before showing).
// - Cancel may be called from any thread, before or during Finish.
#pragma once

#include "engine/Clock.h"
#include "engine/LoopbackRedirect.h"
#include "engine/OAuthConfig.h"
#include "engine/TokenJson.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace tolvane {

enum : int {
    SIGNIN_OK = 0,
    SIGNIN_REFUSED = 1,
    SIGNIN_TIMEOUT = 2,
    SIGNIN_CANCELLED = 3,
    SIGNIN_FAILED = 4
};

class COAuthSignIn {
public:
    static constexpr long kExchangeSeconds = 60;

    bool Start(const OAuthConfig& config, std::string& url);
    int Finish(const IMonotonicClock& clock, int64_t timeoutMs, TokenReply& reply,
               std::string& detail);
    void Cancel();

    // The authorization URL of config for these values (pure).
    static std::string AuthorizationUrl(const OAuthConfig& config, const std::string& redirectUri,
                                        const std::string& challenge, const std::string& state);

private:
    OAuthConfig m_config;
    std::string m_strVerifier;
    std::string m_strState;
    CLoopbackRedirect m_redirect;
    std::atomic<int32_t> m_bCancel{0};
};

} // namespace tolvane
