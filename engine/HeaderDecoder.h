// Header decoding: MIME encoded words (US-ASCII and ISO-2022-JP, B and Q) and ISO-2022-JP
// text to CP932. Pure functions: bytes in, bytes out; no I/O, no global state, thread-safe.
//
// Input ends at its first zero byte (or its end). Each stage runs twice, measure then
// write, so each result is allocated once with its final size. Writers take a limit and
// drop every byte past it: nothing is ever written past a buffer. Encoded words longer than
// the working buffers are copied undecoded, exactly as they stand in the input.
//
// Stage one (DecodeEncodedWords) decodes every complete encoded word in US-ASCII or
// ISO-2022-JP and joins adjacent ISO-2022-JP words into one JIS run; words in other
// charsets or encodings stay as written. In text with bare line feeds, an empty line ends
// the decoded part: the rest is copied as it is. Stage two (JisToSjis) converts the whole
// result from ISO-2022-JP to CP932; bytes of 0x80 and above pass through unchanged.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The whole decoder: encoded words first, then ISO-2022-JP -> CP932. nullopt only when
// memory runs out. The result never holds a zero byte and is never longer than the input.
std::optional<std::string> DecodeHeaderText(std::string_view input);

// Stage one. With output == nullptr only measures; otherwise writes at most limit bytes
// (no terminating zero). Returns the full count either way, so a buffer of the measured
// size receives exactly the whole result.
size_t DecodeEncodedWords(std::string_view input, char* output, size_t limit);

// Stage two. With output == nullptr only counts; otherwise writes at most limit bytes.
// Returns the full count either way.
size_t JisToSjis(std::string_view input, char* output, size_t limit);
// Stage two into a string of its measured size.
std::string ConvertJisToSjis(std::string_view input);

// JIS X 0208 pair (0x21-0x7E each) to its Shift_JIS pair (other values: the same
// arithmetic in 8 bits).
void JisPairToSjis(unsigned char j1, unsigned char j2, unsigned char& s1, unsigned char& s2);

// Working-buffer size of the charset, encoding, text and decoded text of one encoded word;
// each holds at most kWordBufferBytes - 1 bytes and a zero.
inline constexpr size_t kWordBufferBytes = 156;

// Charset and encoding names end when the word's length counter (2 for "=?", one per name
// byte and per "?") reaches this value.
inline constexpr size_t kWordNameCounterLimit = 152;

// The parts of one encoded word, as views into the input.
struct EncodedWord {
    std::string_view charset;
    std::string_view encoding;
    std::string_view text;
    // False when a part does not fit the working buffers: the word is then copied as it
    // stands in the input.
    bool fits = false;
};

// Length of the complete encoded word =?charset?encoding?text?= starting at position pos of
// input, filling word; 0 when no complete encoded word starts there (no "=?", or a line
// feed or the end before a closing "?" or "?=").
size_t ParseEncodedWord(std::string_view input, size_t pos, EncodedWord& word);
// The same on input without zero bytes, for scanning a whole text in linear time: when no
// word starts at pos, noWordBefore is set to a position before which no encoded word can
// start either (the line feed or end where the parse failed).
size_t ParseEncodedWord(std::string_view input, size_t pos, EncodedWord& word,
                        size_t& noWordBefore);

// Base64 ("B") and quoted ("Q") text of an encoded word. The buffer forms write at most
// room - 1 bytes and a terminating zero (room > 0) and return the number of bytes before
// that zero; the decoded bytes may themselves hold zeros.
size_t DecodeBase64(std::string_view text, char* output, size_t room);
size_t DecodeQuoted(std::string_view text, char* output, size_t room);
std::string DecodeBase64(std::string_view text);
std::string DecodeQuoted(std::string_view text);

} // namespace tolvane
