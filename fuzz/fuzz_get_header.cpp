// Any text given to GetHeader, with one of the keys the check looks for (or, for a first
// byte naming none of them, a key taken from the input up to its first NUL): no crash,
// never a value longer than the text after the key, and nothing for a key not in the text.
#include "engine/Account.h"
#include "fuzz/Require.h"

#include <cstdint>
#include <string>

namespace {

using tolvane::fuzz::Require;

const char* const kKeys[] = {
    "\r\nFrom:", "\r\nContent-Type:", "\r\nSubject:", "\r\nX-UIDL:", "\r\nDate:"};
constexpr size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        Require(tolvane::CAccount::GetHeader("", "\r\nFrom:").empty());
        return 0;
    }
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string key;
    if (data[0] % (kKeyCount + 1) < kKeyCount) {
        key = kKeys[data[0] % (kKeyCount + 1)];
    } else {
        const size_t nul = text.find('\0');
        key = text.substr(0, nul);
        text = nul == std::string::npos ? std::string() : text.substr(nul + 1);
    }
    const std::string value = tolvane::CAccount::GetHeader(text, key);
    const size_t found = text.find(key);
    if (found == std::string::npos) {
        Require(value.empty());
    } else {
        Require(value.size() <= text.size() - found - key.size());
    }
    return 0;
}
