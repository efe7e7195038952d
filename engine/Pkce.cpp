#include "engine/Pkce.h"

#include "engine/Base64Encode.h"
#include "platform/Sha256.h"

#include <cerrno>
#include <sys/random.h>

namespace tolvane {

bool RandomUrlText(size_t bytes, std::string& text) {
    text.clear();
    std::string raw(bytes, '\0');
    size_t got = 0;
    while (got < bytes) {
        const ssize_t n = ::getrandom(raw.data() + got, bytes - got, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        got += static_cast<size_t>(n);
    }
    text = EncodeBase64Url(raw);
    return true;
}

std::string CodeChallengeS256(std::string_view verifier) {
    const auto digest = Sha256(verifier);
    return EncodeBase64Url(
        std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

} // namespace tolvane
