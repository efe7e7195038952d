// The SASL mechanisms a POP3 server offers, read from its CAPA reply, and the choice of
// one for an account's way of authentication. Pure.
//
// Contract:
// - The offer is the "SASL" line of the capability list (its first word, any case), up to
//   the terminating dot. Its other words, split on runs of spaces and tabs, are the
//   mechanisms, compared without regard to case; a CR left at a line's end (a lone LF as
//   line end), extra blanks and unknown mechanisms never hide a known one.
// - A reply that is not a positive capability list offers nothing.
#pragma once

#include <cstdint>
#include <string_view>

namespace tolvane {

// How an account logs in (its settings key "Authentication").
enum : int32_t { AUTH_USER_PASS = 0, AUTH_PLAIN = 1, AUTH_OAUTH2 = 2 };

// Mechanisms as bits of an offer.
enum : uint32_t { SASL_PLAIN = 1, SASL_XOAUTH2 = 2, SASL_OAUTHBEARER = 4 };

uint32_t ParseSaslMechanisms(std::string_view capaReply);

// The mechanism for authentication out of offered: PLAIN for AUTH_PLAIN; OAUTHBEARER,
// else XOAUTH2, for AUTH_OAUTH2. 0 when the server offers none that fits.
uint32_t ChooseSaslMechanism(int32_t authentication, uint32_t offered);

// "PLAIN", "XOAUTH2", "OAUTHBEARER" for one bit; "" for any other value.
const char* SaslMechanismName(uint32_t mechanism);

} // namespace tolvane
