#include "engine/TokenJson.h"

namespace tolvane {

namespace {

constexpr int kMaxDepth = 32;
constexpr int64_t kMaxExpiresIn = 10LL * 366 * 24 * 3600;

class CJsonReader {
public:
    explicit CJsonReader(std::string_view text) : m_text(text) {}

    bool Object(TokenReply& reply) {
        Blanks();
        if (!Take('{')) {
            return false;
        }
        Blanks();
        if (Take('}')) {
            return AtEnd();
        }
        for (;;) {
            std::string name;
            Blanks();
            if (!String(name)) {
                return false;
            }
            Blanks();
            if (!Take(':') || !Field(name, reply)) {
                return false;
            }
            Blanks();
            if (Take('}')) {
                return AtEnd();
            }
            if (!Take(',')) {
                return false;
            }
        }
    }

private:
    bool Field(const std::string& name, TokenReply& reply) {
        Blanks();
        std::string* text = name == "access_token"    ? &reply.strAccessToken
                            : name == "refresh_token" ? &reply.strRefreshToken
                            : name == "error"         ? &reply.strError
                                                      : nullptr;
        if (text != nullptr && Peek() == '"') {
            return String(*text);
        }
        if (name == "expires_in") {
            return Expiry(reply.nExpiresIn);
        }
        return Skip(1);
    }

    bool Expiry(int64_t& seconds) {
        std::string digits;
        const size_t start = m_pos;
        if (Peek() == '"') {
            if (!String(digits)) {
                return false;
            }
        } else {
            if (!Skip(1)) {
                return false;
            }
            digits = std::string(m_text.substr(start, m_pos - start));
        }
        int64_t value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') {
                return true; // unreadable: stays -1
            }
            value = value * 10 + (c - '0');
            if (value > kMaxExpiresIn) {
                value = kMaxExpiresIn;
            }
        }
        seconds = digits.empty() ? -1 : value;
        return true;
    }

    // Any value, checked and passed over.
    bool Skip(int depth) {
        if (depth > kMaxDepth) {
            return false;
        }
        Blanks();
        const char c = Peek();
        if (c == '"') {
            std::string ignored;
            return String(ignored);
        }
        if (c == '{' || c == '[') {
            return Container(c == '{' ? '}' : ']', depth);
        }
        if (Word("true") || Word("false") || Word("null")) {
            return true;
        }
        return Number();
    }

    bool Container(char close, int depth) {
        ++m_pos;
        Blanks();
        if (Take(close)) {
            return true;
        }
        for (;;) {
            Blanks();
            if (close == '}') {
                std::string name;
                if (!String(name)) {
                    return false;
                }
                Blanks();
                if (!Take(':')) {
                    return false;
                }
            }
            if (!Skip(depth + 1)) {
                return false;
            }
            Blanks();
            if (Take(close)) {
                return true;
            }
            if (!Take(',')) {
                return false;
            }
        }
    }

    bool Number() {
        const size_t start = m_pos;
        Take('-');
        size_t digits = 0;
        while (IsDigit(Peek())) {
            ++m_pos;
            ++digits;
        }
        if (digits == 0) {
            return false;
        }
        if (Take('.')) {
            if (!IsDigit(Peek())) {
                return false;
            }
            while (IsDigit(Peek())) {
                ++m_pos;
            }
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++m_pos;
            if (Peek() == '+' || Peek() == '-') {
                ++m_pos;
            }
            if (!IsDigit(Peek())) {
                return false;
            }
            while (IsDigit(Peek())) {
                ++m_pos;
            }
        }
        return m_pos > start;
    }

    bool String(std::string& value) {
        value.clear();
        if (!Take('"')) {
            return false;
        }
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                value += c;
            } else if (!Escape(value)) {
                return false;
            }
        }
        return false;
    }

    bool Escape(std::string& value) {
        if (m_pos >= m_text.size()) {
            return false;
        }
        const char c = m_text[m_pos++];
        switch (c) {
        case '"':
        case '\\':
        case '/':
            value += c;
            return true;
        case 'b':
            value += '\b';
            return true;
        case 'f':
            value += '\f';
            return true;
        case 'n':
            value += '\n';
            return true;
        case 'r':
            value += '\r';
            return true;
        case 't':
            value += '\t';
            return true;
        case 'u':
            return Unicode(value);
        default:
            return false;
        }
    }

    bool Hex4(unsigned& unit) {
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            if (m_pos >= m_text.size()) {
                return false;
            }
            const char c = m_text[m_pos++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) {
                return false;
            }
            unit = unit * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }

    bool Unicode(std::string& value) {
        unsigned unit = 0;
        if (!Hex4(unit)) {
            return false;
        }
        unsigned code = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            unsigned low = 0;
            if (!Take('\\') || !Take('u') || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                return false;
            }
            code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
        AppendUtf8(code, value);
        return true;
    }

    static void AppendUtf8(unsigned code, std::string& value) {
        if (code < 0x80) {
            value += static_cast<char>(code);
        } else if (code < 0x800) {
            value += static_cast<char>(0xC0 | code >> 6);
            value += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            value += static_cast<char>(0xE0 | code >> 12);
            value += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            value += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            value += static_cast<char>(0xF0 | code >> 18);
            value += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            value += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            value += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool Word(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word) {
            return false;
        }
        m_pos += word.size();
        return true;
    }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    char Peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }
    bool Take(char c) {
        if (Peek() != c || m_pos >= m_text.size()) {
            return false;
        }
        ++m_pos;
        return true;
    }
    void Blanks() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\r' || m_text[m_pos] == '\n')) {
            ++m_pos;
        }
    }
    bool AtEnd() {
        Blanks();
        return m_pos == m_text.size();
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

} // namespace

bool ParseTokenReply(std::string_view json, TokenReply& reply) {
    TokenReply read;
    if (!CJsonReader(json).Object(read)) {
        return false;
    }
    reply = std::move(read);
    return true;
}

} // namespace tolvane
