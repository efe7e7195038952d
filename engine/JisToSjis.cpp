// ISO-2022-JP to CP932. Three modes: ASCII, kanji (JIS X 0208 pairs) and kana (JIS X 0201
// half-width katakana). Escape sequences that select no known set are copied as they are;
// an escape sequence cut short by the end, and a kanji first byte without its second byte,
// are dropped.
#include "engine/HeaderDecoder.h"

#include <cassert>

namespace tolvane {
namespace {

constexpr unsigned char kEsc = 0x1B;

enum class Mode { Ascii, Kanji, Kana };

// Counts every byte; stores only those below the limit.
struct CountingOutput {
    char* data;
    size_t limit;
    size_t count = 0;

    void Put(unsigned char c) {
        if (data != nullptr && count < limit) {
            data[count] = static_cast<char>(c);
        }
        ++count;
    }
};

// The mode an escape sequence ESC c2 c3 ("$" or "(" then a final byte) selects, or false
// when it selects none and is to be copied. In ASCII mode ESC $ @ still opens kanji, and
// ESC ( J and ESC ( H are not recognised; in the other modes it is the other way round.
bool EscapeMode(Mode mode, unsigned char c2, unsigned char c3, Mode& selected) {
    if (c3 == 'I') {
        selected = Mode::Kana;
        return true;
    }
    if (mode == Mode::Ascii) {
        if (c3 == '@' || c3 == 'B') {
            selected = c2 == '$' ? Mode::Kanji : Mode::Ascii;
            return true;
        }
        return false;
    }
    if (c3 == 'B' || c3 == 'J' || c3 == 'H') {
        selected = c2 == '$' ? Mode::Kanji : Mode::Ascii;
        return true;
    }
    return false;
}

class Converter {
public:
    Converter(std::string_view input, CountingOutput& out) : m_in(input), m_out(out) {}

    void Run() {
        while (m_pos < m_in.size()) {
            const unsigned char c = Next();
            if (c == kEsc) {
                Escape();
            } else if (m_mode == Mode::Ascii || c >= 0x80) {
                // 8-bit bytes are not JIS in any mode: they pass through unchanged.
                m_out.Put(c);
            } else if (c < 0x21) {
                m_mode = Mode::Ascii;
                m_out.Put(c);
            } else if (m_mode == Mode::Kana) {
                m_out.Put(static_cast<unsigned char>(c + 0x80));
            } else {
                Kanji(c);
            }
        }
    }

private:
    unsigned char Next() { return static_cast<unsigned char>(m_in[m_pos++]); }
    bool AtEnd() const { return m_pos >= m_in.size(); }

    void Escape() {
        if (AtEnd()) {
            return;
        }
        const unsigned char c2 = Next();
        if (c2 != '$' && c2 != '(') {
            m_out.Put(kEsc);
            m_out.Put(c2);
            return;
        }
        if (AtEnd()) {
            return;
        }
        const unsigned char c3 = Next();
        Mode selected = m_mode;
        if (EscapeMode(m_mode, c2, c3, selected)) {
            m_mode = selected;
            return;
        }
        m_out.Put(kEsc);
        m_out.Put(c2);
        m_out.Put(c3);
    }

    void Kanji(unsigned char j1) {
        if (AtEnd()) {
            return;
        }
        const unsigned char j2 = Next();
        if (j2 < 0x21) {
            m_mode = Mode::Ascii;
            m_out.Put(j1);
            m_out.Put(j2);
            return;
        }
        if (j2 >= 0x80) {
            // Not a JIS pair: both bytes stay as they are, so no zero byte can come out.
            m_out.Put(j1);
            m_out.Put(j2);
            return;
        }
        unsigned char s1 = 0;
        unsigned char s2 = 0;
        JisPairToSjis(j1, j2, s1, s2);
        m_out.Put(s1);
        m_out.Put(s2);
    }

    std::string_view m_in;
    CountingOutput& m_out;
    size_t m_pos = 0;
    Mode m_mode = Mode::Ascii;
};

} // namespace

void JisPairToSjis(unsigned char j1, unsigned char j2, unsigned char& s1, unsigned char& s2) {
    unsigned char first = static_cast<unsigned char>(((j1 - 0x21) & 0xFF) >> 1);
    first = static_cast<unsigned char>(first + 0x81);
    if (first >= 0xA0) {
        first = static_cast<unsigned char>(first + 0x40);
    }
    unsigned char second = 0;
    if (j1 & 1) {
        second = static_cast<unsigned char>(j2 + 0x1F);
        if (second >= 0x7F) {
            second = static_cast<unsigned char>(second + 1);
        }
    } else {
        second = static_cast<unsigned char>(j2 + 0x7E);
    }
    s1 = first;
    s2 = second;
}

size_t JisToSjis(std::string_view input, char* output, size_t limit) {
    CountingOutput out{output, limit};
    Converter(input.substr(0, input.find('\0')), out).Run();
    return out.count;
}

std::string ConvertJisToSjis(std::string_view input) {
    if (input.find('\x1B') == std::string_view::npos) {
        // No escape: every byte is copied in ASCII mode.
        return std::string(input.substr(0, input.find('\0')));
    }
    const size_t size = JisToSjis(input, nullptr, 0);
    std::string result(size, '\0');
    [[maybe_unused]] const size_t written = JisToSjis(input, result.data(), result.size());
    assert(written == size);
    return result;
}

} // namespace tolvane
