// One request to an OAuth 2.0 token endpoint (the code exchange or a refresh): a form
// POST, the JSON answer read by TokenJson.h.
//
// Contract:
// - HTTPS with the server's certificate and name checked against the system's store;
//   plain http only to a loopback address (127.0.0.1, [::1], localhost), for tests. Any
//   other URL is refused before a byte is sent (TOKEN_FAILED).
// - Blocks the calling thread (never the GUI's) for timeoutSeconds at most; a cancel
//   (the value at pCancel turning non-zero) ends it within about a second (libcurl looks at it that
//   often) with TOKEN_CANCELLED. No redirects are followed; an answer over 1 MiB is refused.
// - TOKEN_OK: status 200 and a JSON object with an access token. TOKEN_SIGN_IN: the
//   endpoint refused the grant (status 400 or 401 with error "invalid_grant"); the user
//   must sign in again. TOKEN_FAILED otherwise; detail then says why (ASCII, no secret).
// - Nothing of the request or the answer is logged.
#pragma once

#include "engine/AccessTokenSource.h"
#include "engine/TokenJson.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tolvane {

using FormFields = std::vector<std::pair<std::string, std::string>>;

int PostTokenRequest(const std::string& url, const FormFields& fields,
                     const std::atomic<int32_t>* pCancel, long timeoutSeconds, TokenReply& reply,
                     std::string& detail);

// True for an http(s) URL that may be used: https anywhere, http to a loopback host.
bool IsAllowedEndpoint(const std::string& url);

} // namespace tolvane
