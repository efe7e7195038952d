// Stage one of header decoding: MIME encoded words in US-ASCII and ISO-2022-JP are decoded
// in place, and adjacent ISO-2022-JP words are joined into one JIS run (the closing
// ESC ( B of one word and the opening ESC $ B of the next disappear). The same scan runs
// to measure and to write, so both passes agree byte for byte.
#include "engine/HeaderDecoder.h"

#include <cassert>

namespace tolvane {
namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr char kLineFeed = '\n';

bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t';
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') {
            x = static_cast<unsigned char>(x - 'a' + 'A');
        }
        if (y >= 'a' && y <= 'z') {
            y = static_cast<unsigned char>(y - 'a' + 'A');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

bool StartsWith3(std::string_view d, size_t at, unsigned char a, unsigned char b, unsigned char c) {
    return d.size() >= at + 3 && static_cast<unsigned char>(d[at]) == a &&
           static_cast<unsigned char>(d[at + 1]) == b && static_cast<unsigned char>(d[at + 2]) == c;
}

// Reads one name of an encoded word up to its closing "?". False, with stop at the line
// feed or the end, when that comes first.
bool ReadName(std::string_view input, size_t& pos, std::string_view& name) {
    const size_t start = pos;
    while (pos < input.size() && input[pos] != '?' && input[pos] != kLineFeed) {
        ++pos;
    }
    if (pos >= input.size() || input[pos] == kLineFeed) {
        return false;
    }
    name = input.substr(start, pos - start);
    ++pos;
    return true;
}

// ParseEncodedWord on input without zero bytes. On failure after "=?", stop is the line
// feed or end where it failed: no encoded word starts anywhere before it either, since
// every later start needs its "?" marks and its "?=" among the same bytes.
size_t ParseWord(std::string_view input, size_t pos, EncodedWord& word, size_t& stop) {
    word = EncodedWord{};
    stop = pos;
    if (pos + 2 > input.size() || input[pos] != '=' || input[pos + 1] != '?') {
        return 0;
    }
    size_t at = pos + 2;
    if (!ReadName(input, at, word.charset) || !ReadName(input, at, word.encoding)) {
        stop = at;
        return 0;
    }
    const size_t textStart = at;
    while (at < input.size() && input[at] != kLineFeed) {
        if (input[at] == '?' && at + 1 < input.size() && input[at + 1] == '=') {
            word.text = input.substr(textStart, at - textStart);
            // The counter starts at 2 for "=?" and counts each name byte and the "?" after
            // the charset; the names end when it reaches the limit. The text has its own
            // buffer. A word written back unchanged is the input's own bytes, so its
            // re-assembled length never matters.
            const size_t counter = 2 + word.charset.size() + 1 + word.encoding.size();
            word.fits = counter < kWordNameCounterLimit && word.text.size() < kWordBufferBytes;
            return at + 2 - pos;
        }
        ++at;
    }
    stop = at;
    return 0;
}

// Double escape at the start of a decoded word: ESC $ B, ESC $ @ or ESC ( J before a
// second ESC $ B.
int DoubleEscapeMark(std::string_view d) {
    if (!StartsWith3(d, 3, kEsc, '$', 'B')) {
        return 0;
    }
    if (StartsWith3(d, 0, kEsc, '$', 'B')) {
        return 1;
    }
    if (StartsWith3(d, 0, kEsc, '$', '@')) {
        return 2;
    }
    if (StartsWith3(d, 0, kEsc, '(', 'J')) {
        return 3;
    }
    return 0;
}

// The scan state: read position, output (absent when measuring), the last three bytes
// passed to the output and the output count.
class ScanState {
public:
    ScanState(std::string_view input, char* output, size_t limit)
        : m_in(input), m_out(output), m_limit(limit) {}

    size_t Run() {
        while (m_pos < m_in.size()) {
            const unsigned char c = Byte(m_pos);
            if (c == kLineFeed) {
                Put(c);
                ++m_pos;
                if (m_pos < m_in.size() && Byte(m_pos) == kLineFeed) {
                    // An empty line ends the part in which encoded words are decoded.
                    Put(kLineFeed);
                    ++m_pos;
                    break;
                }
                continue;
            }
            if (c == '=' && m_pos >= m_noWordBefore) {
                EncodedWord word;
                const size_t length = ParseWord(m_in, m_pos, word, m_noWordBefore);
                if (length > 0) {
                    DecodeWord(word, m_in.substr(m_pos, length));
                    continue;
                }
            }
            Put(c);
            ++m_pos;
        }
        for (size_t i = m_pos; i < m_in.size(); ++i) {
            Store(Byte(i));
            ++m_count;
        }
        return m_count;
    }

private:
    unsigned char Byte(size_t i) const { return static_cast<unsigned char>(m_in[i]); }

    void Store(unsigned char c) {
        if (m_out != nullptr && m_count < m_limit) {
            m_out[m_count] = static_cast<char>(c);
        }
    }

    void Put(unsigned char c) {
        m_last[0] = m_last[1];
        m_last[1] = m_last[2];
        m_last[2] = c;
        if (c == 0) {
            return;
        }
        Store(c);
        ++m_count;
    }

    void PutAll(std::string_view bytes) {
        for (char c : bytes) {
            Put(static_cast<unsigned char>(c));
        }
    }

    // Removes the last n bytes of the output. The remembered bytes are cleared: they no
    // longer end the output, and a later word must not remove bytes a second time.
    void MoveBack(size_t n) {
        assert(n <= m_count);
        m_count -= n <= m_count ? n : m_count;
        m_last[0] = m_last[1] = m_last[2] = 0;
    }

    bool LastAre(unsigned char a, unsigned char b, unsigned char c) const {
        return m_last[0] == a && m_last[1] == b && m_last[2] == c;
    }

    // Decodes into m_decoded; the view ends at the first zero byte.
    bool DecodeText(const EncodedWord& word, std::string_view& d) {
        size_t n = 0;
        if (EqualNoCase(word.encoding, "B")) {
            n = DecodeBase64(word.text, m_decoded, sizeof m_decoded);
        } else if (EqualNoCase(word.encoding, "Q")) {
            n = DecodeQuoted(word.text, m_decoded, sizeof m_decoded);
        } else {
            return false;
        }
        d = std::string_view(m_decoded, n);
        d = d.substr(0, d.find('\0'));
        return true;
    }

    void DecodeWord(const EncodedWord& word, std::string_view raw) {
        m_pos += raw.size();
        std::string_view d;
        const bool supported =
            EqualNoCase(word.charset, "US-ASCII") || EqualNoCase(word.charset, "ISO-2022-JP");
        if (!word.fits || !supported || !DecodeText(word, d)) {
            // Kept exactly as written: other charsets and encodings, and words too long
            // for the working buffers.
            PutAll(raw);
            return;
        }
        // A folded line before the word: the line feed and blank go.
        if (m_last[1] == kLineFeed && IsBlank(m_last[2])) {
            MoveBack(2);
        }
        const int mark = DoubleEscapeMark(d);
        if (mark != 0) {
            d.remove_prefix(3);
        }
        if (LastAre(kEsc, '(', 'J') || LastAre(kEsc, '(', 'B')) {
            // Join with the previous word: its closing escape and this word's opening one go.
            MoveBack(3);
            d.remove_prefix(d.size() < 3 ? d.size() : 3);
        } else if ((mark == 2 || mark == 3) && IsBlank(m_last[2])) {
            MoveBack(1);
        }
        PutAll(d);
        // A line feed followed by a blank after the word continues a folded header line.
        if (m_pos + 1 < m_in.size() && Byte(m_pos) == kLineFeed && IsBlank(Byte(m_pos + 1))) {
            ++m_pos;
        }
        if ((mark == 1 || mark == 3) && m_pos < m_in.size() && IsBlank(Byte(m_pos))) {
            ++m_pos;
        }
    }

    std::string_view m_in;
    char* m_out;
    size_t m_limit;
    size_t m_pos = 0;
    size_t m_count = 0;
    size_t m_noWordBefore = 0; // keeps the scan linear on lines of unclosed words
    unsigned char m_last[3] = {0, 0, 0};
    char m_decoded[kWordBufferBytes];
};

} // namespace

size_t ParseEncodedWord(std::string_view input, size_t pos, EncodedWord& word) {
    size_t stop = 0;
    return ParseWord(input.substr(0, input.find('\0')), pos, word, stop);
}

size_t ParseEncodedWord(std::string_view input, size_t pos, EncodedWord& word,
                        size_t& noWordBefore) {
    return ParseWord(input, pos, word, noWordBefore);
}

size_t DecodeEncodedWords(std::string_view input, char* output, size_t limit) {
    input = input.substr(0, input.find('\0'));
    return ScanState(input, output, limit).Run();
}

} // namespace tolvane
