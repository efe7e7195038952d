// The JSON answer of a token endpoint, read for the few fields a client needs. Pure.
//
// Contract:
// - The text must be one JSON object, whole and well-formed (nested values are checked
//   and skipped, at most 32 levels deep); anything else is false and fills nothing.
// - Strings are unescaped (\uXXXX and surrogate pairs to UTF-8); a field of another type
//   than expected is left empty. expires_in may be a number or a string of digits; it is
//   held within 0 .. 10 years of seconds, and -1 when absent or unreadable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

struct TokenReply {
    std::string strAccessToken;
    std::string strRefreshToken; // empty: the endpoint keeps the old one valid
    int64_t nExpiresIn = -1;     // seconds
    std::string strError;        // "invalid_grant" and the like
};

bool ParseTokenReply(std::string_view json, TokenReply& reply);

} // namespace tolvane
