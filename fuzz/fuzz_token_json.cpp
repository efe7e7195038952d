// Any bytes as a token endpoint's answer or a server's CAPA reply: no crash, no hang; a
// reply read as an object fills only what it holds (an access token no longer than the
// text), and an expiry within its bounds; the mechanisms offered are known ones only.
#include "engine/SaslMechanisms.h"
#include "engine/TokenJson.h"
#include "fuzz/Require.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tolvane::fuzz::Require;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tolvane::TokenReply reply;
    if (tolvane::ParseTokenReply(bytes, reply)) {
        Require(reply.strAccessToken.size() <= size && reply.strRefreshToken.size() <= size);
        Require(reply.nExpiresIn >= -1 && reply.nExpiresIn <= 10LL * 366 * 24 * 3600);
    } else {
        Require(reply.strAccessToken.empty() && reply.nExpiresIn == -1);
    }
    const uint32_t offered = tolvane::ParseSaslMechanisms(bytes);
    Require((offered & ~uint32_t{tolvane::SASL_PLAIN | tolvane::SASL_XOAUTH2 |
                                 tolvane::SASL_OAUTHBEARER}) == 0);
    return 0;
}
