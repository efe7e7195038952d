// Base64 and quoted-printable decoding of body text and encoded words.
#include "engine/TransferDecode.h"

namespace tolvane {
namespace {

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

int HexAt(std::string_view text, size_t at) {
    return HexValue(static_cast<unsigned char>(text[at]));
}

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

// At the "=" at pos: the byte of an escape, nothing for a soft line break, the "=" itself
// when it starts neither. Returns the position after what was read (the end when the text
// ends within an escape or soft break: what is cut short is dropped).
size_t Escape(std::string_view text, size_t pos, std::string& out) {
    const int high = pos + 2 < text.size() ? HexAt(text, pos + 1) : -1;
    const int low = pos + 2 < text.size() ? HexAt(text, pos + 2) : -1;
    if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        return pos + 3;
    }
    size_t after = pos + 1;
    while (after < text.size() && IsBlank(text[after])) {
        ++after;
    }
    const size_t next = AfterLineEnd(text, after);
    if (next != std::string_view::npos) {
        return next; // soft line break
    }
    if (after + 2 > text.size() && (after == text.size() || HexAt(text, after) >= 0)) {
        return text.size();
    }
    out += '=';
    return pos + 1;
}

// At a blank at pos: the run of blanks, unless a line end follows it (blanks added on the
// way). Returns the position after the run.
size_t Blanks(std::string_view text, size_t pos, std::string& out) {
    size_t end = pos;
    while (end < text.size() && IsBlank(text[end])) {
        ++end;
    }
    if (AfterLineEnd(text, end) == std::string_view::npos) {
        out.append(text, pos, end - pos);
    }
    return end;
}

} // namespace

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
    return -1;
}

int HexValue(unsigned char c) {
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

std::string DecodeBase64Text(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    Base64Group group(out);
    for (char c : text) {
        const int value = Base64Value(static_cast<unsigned char>(c));
        if (value >= 0) {
            group.Add(value);
        } else if (c == '=') {
            group.End();
        }
    }
    return out;
}

bool IsBase64Word(std::string_view text) {
    size_t letters = 0;
    while (letters < text.size() && Base64Value(static_cast<unsigned char>(text[letters])) >= 0) {
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
            pos = Escape(text, pos, out);
        } else if (IsBlank(c)) {
            pos = Blanks(text, pos, out);
        } else {
            out += underscore == Underscore::Space && c == '_' ? ' ' : c;
            ++pos;
        }
    }
    return out;
}

} // namespace tolvane
