// Base64 and quoted-printable decoding of body text and encoded words.
#include "engine/TransferDecode.h"

namespace tolvane {
namespace {

constexpr int kNotBase64 = -1;

int Base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return kNotBase64;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Collects six-bit values and writes each byte as soon as it is complete.
class Base64Group {
public:
    explicit Base64Group(std::string& out) : m_out(out) {}
    void Add(int value) {
        m_bits = (m_bits << 6) | static_cast<unsigned>(value);
        m_count += 6;
        if (m_count >= 8) {
            m_count -= 8;
            m_out += static_cast<char>((m_bits >> m_count) & 0xFF);
        }
        if (m_count == 0) {
            m_bits = 0;
        }
    }
    // Padding: the bits left over belong to no byte.
    void End() {
        m_bits = 0;
        m_count = 0;
    }

private:
    std::string& m_out;
    unsigned m_bits = 0;
    int m_count = 0;
};

// Position after the line end at pos (CR LF, LF, or a lone CR), or npos when pos holds
// none.
size_t AfterLineEnd(std::string_view text, size_t pos) {
    if (pos < text.size() && text[pos] == '\n') {
        return pos + 1;
    }
    if (pos < text.size() && text[pos] == '\r') {
        return pos + 1 < text.size() && text[pos + 1] == '\n' ? pos + 2 : pos + 1;
    }
    return std::string_view::npos;
}

} // namespace

std::string DecodeBase64Text(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    Base64Group group(out);
    for (char c : text) {
        const int value = Base64Value(static_cast<unsigned char>(c));
        if (value != kNotBase64) {
            group.Add(value);
        } else if (c == '=') {
            group.End();
        }
    }
    return out;
}

bool IsBase64Word(std::string_view text) {
    size_t letters = 0;
    while (letters < text.size() &&
           Base64Value(static_cast<unsigned char>(text[letters])) != kNotBase64) {
        ++letters;
    }
    const size_t padding = text.size() - letters;
    if (padding > 2 || text.substr(letters) != std::string_view("==").substr(0, padding)) {
        return false;
    }
    return letters % 4 != 1 && (padding == 0 || text.size() % 4 == 0);
}

std::string DecodeQuotedPrintable(std::string_view text, Underscore underscore) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == '=') {
            if (pos + 2 < text.size() && HexValue(text[pos + 1]) >= 0 &&
                HexValue(text[pos + 2]) >= 0) {
                out += static_cast<char>(HexValue(text[pos + 1]) * 16 + HexValue(text[pos + 2]));
                pos += 3;
                continue;
            }
            size_t after = pos + 1;
            while (after < text.size() && IsBlank(text[after])) {
                ++after;
            }
            const size_t next = AfterLineEnd(text, after);
            if (next != std::string_view::npos) {
                pos = next; // soft line break
                continue;
            }
            if (after + 2 > text.size() && (after == text.size() || HexValue(text[after]) >= 0)) {
                break; // an escape or soft break cut short by the end
            }
            out += c;
            ++pos;
            continue;
        }
        if (IsBlank(c)) {
            size_t end = pos;
            while (end < text.size() && IsBlank(text[end])) {
                ++end;
            }
            if (AfterLineEnd(text, end) == std::string_view::npos) {
                out.append(text, pos, end - pos);
            }
            pos = end;
            continue;
        }
        out += underscore == Underscore::Space && c == '_' ? ' ' : c;
        ++pos;
    }
    return out;
}

} // namespace tolvane
