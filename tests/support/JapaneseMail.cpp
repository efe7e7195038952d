#include "tests/support/JapaneseMail.h"

#include <cstdint>
#include <iconv.h>

namespace tolvane::test {

bool Utf8ToJis(const std::string& utf8, std::string& jis) {
    jis.clear();
    iconv_t cd = ::iconv_open("ISO-2022-JP", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    jis.assign(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPos = jis.data();
    size_t outLeft = jis.size();
    const bool ok = ::iconv(cd, &in, &inLeft, &outPos, &outLeft) != static_cast<size_t>(-1) &&
                    ::iconv(cd, nullptr, nullptr, &outPos, &outLeft) != static_cast<size_t>(-1);
    ::iconv_close(cd);
    jis.resize(jis.size() - outLeft);
    return ok;
}

std::string Base64(const std::string& bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t chunk = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) {
            chunk |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        }
        if (i + 2 < bytes.size()) {
            chunk |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

std::string JisWord(const std::string& jis) {
    return "=?ISO-2022-JP?B?" + Base64(jis) + "?=";
}

} // namespace tolvane::test
