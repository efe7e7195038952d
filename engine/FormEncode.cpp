#include "engine/FormEncode.h"

#include "engine/TransferDecode.h"

namespace tolvane {

namespace {

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

bool Decode(std::string_view text, std::string& value) {
    value.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            value += ' ';
        } else if (text[i] != '%') {
            value += text[i];
        } else {
            if (i + 2 >= text.size()) {
                return false;
            }
            const int high = HexValue(static_cast<unsigned char>(text[i + 1]));
            const int low = HexValue(static_cast<unsigned char>(text[i + 2]));
            if (high < 0 || low < 0) {
                return false;
            }
            value += static_cast<char>(high * 16 + low);
            i += 2;
        }
    }
    return true;
}

} // namespace

std::string PercentEncode(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        if (Unreserved(c)) {
            text += byte;
        } else {
            text += '%';
            text += kHex[c >> 4];
            text += kHex[c & 15];
        }
    }
    return text;
}

std::string FormBody(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::string body;
    for (const auto& [name, value] : pairs) {
        if (!body.empty()) {
            body += '&';
        }
        body += PercentEncode(name) + "=" + PercentEncode(value);
    }
    return body;
}

bool QueryValue(std::string_view query, std::string_view name, std::string& value) {
    size_t pos = 0;
    while (pos <= query.size()) {
        size_t end = query.find('&', pos);
        if (end == std::string_view::npos) {
            end = query.size();
        }
        const std::string_view pair = query.substr(pos, end - pos);
        const size_t equals = pair.find('=');
        std::string key;
        if (Decode(pair.substr(0, equals), key) && key == name) {
            return Decode(equals == std::string_view::npos ? std::string_view()
                                                           : pair.substr(equals + 1),
                          value);
        }
        pos = end + 1;
    }
    return false;
}

} // namespace tolvane
