// The one-time values of an authorization request: the PKCE code verifier and its S256
// challenge, and the state that ties the redirect to this request.
//
// Contract:
// - RandomUrlText fills text with the URL-safe base64 of bytes random bytes from the
//   kernel's CSPRNG (getrandom); false (text empty) when the kernel gives none.
//   32 bytes make a 43-character verifier, the shortest allowed.
// - CodeChallengeS256 is the URL-safe base64, unpadded, of the verifier's SHA-256.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tolvane {

inline constexpr size_t kVerifierBytes = 32;
inline constexpr size_t kStateBytes = 16;

bool RandomUrlText(size_t bytes, std::string& text);
std::string CodeChallengeS256(std::string_view verifier);

} // namespace tolvane
