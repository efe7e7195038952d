#include "engine/Base64Encode.h"

namespace tolvane {

namespace {

std::string Encode(std::string_view bytes, const char* alphabet, bool bPad) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned group = static_cast<unsigned char>(bytes[i]) << 16 |
                               static_cast<unsigned char>(bytes[i + 1]) << 8 |
                               static_cast<unsigned char>(bytes[i + 2]);
        text += alphabet[group >> 18 & 63];
        text += alphabet[group >> 12 & 63];
        text += alphabet[group >> 6 & 63];
        text += alphabet[group & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest == 0) {
        return text;
    }
    unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) {
        group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    }
    text += alphabet[group >> 18 & 63];
    text += alphabet[group >> 12 & 63];
    if (rest == 2) {
        text += alphabet[group >> 6 & 63];
    }
    if (bPad) {
        text.append(3 - rest, '=');
    }
    return text;
}

} // namespace

std::string EncodeBase64(std::string_view bytes) {
    return Encode(bytes, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/", true);
}

std::string EncodeBase64Url(std::string_view bytes) {
    return Encode(bytes, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_", false);
}

} // namespace tolvane
