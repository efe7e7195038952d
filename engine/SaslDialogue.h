// The SASL login of POP3 (AUTH) for PLAIN, XOAUTH2 and OAUTHBEARER, always in two steps:
// "AUTH MECH", the server's "+ " continuation, then the response as one base64 line.
// Writes nothing to any log: the response holds the password or the token.
//
// Contract:
// - The responses are built from UTF-8 bytes as the settings hold them (user, password,
//   server) and the access token, unchanged.
// - RunSaslLogin returns POP3_OK when the server accepted the response; POP3_NEGATIVE
//   when it refused: a -ERR to AUTH or to the response, or a "+ " challenge after the
//   response (the error report of the OAuth mechanisms, base64 JSON), which is answered
//   as the mechanism asks (OAUTHBEARER "AQ==", XOAUTH2 an empty line, PLAIN "*") and
//   whose final reply is read; reply then holds the server's first refusal line. Any
//   other code is the socket's (time-out, cancel, a broken line); a "+OK" where a
//   continuation is due is a broken dialogue (POP3_ERROR).
#pragma once

#include "engine/Pop3Socket.h"

#include <cstdint>
#include <string>

namespace tolvane {

struct SaslIdentity {
    std::string strUser;   // UTF-8
    std::string strSecret; // the password (PLAIN) or the access token
    std::string strHost;   // the server's name as configured (OAUTHBEARER's host)
    unsigned nPort = 0;
};

// The response of a mechanism (SaslMechanisms.h's bit), before base64.
std::string SaslResponse(uint32_t mechanism, const SaslIdentity& identity);

int RunSaslLogin(CPop3Socket& socket, uint32_t mechanism, const SaslIdentity& identity,
                 std::string& reply);

// True for a server continuation line: "+" alone or "+ " and a challenge.
bool IsSaslContinuation(const std::string& reply);

} // namespace tolvane
