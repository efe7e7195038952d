// Header decoding: MIME encoded words (US-ASCII and ISO-2022-JP, B and Q) and ISO-2022-JP
// text to CP932. Pure functions: bytes in, bytes out; no I/O, no global state.
//
// Input ends at its first zero byte (or its end). Every pass runs twice, measure then
// write, so each result is allocated once with its final size. Nothing is ever written
// past a buffer: over-long encoded words are copied undecoded, exactly as they stand.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The whole decoder: encoded words first, then ISO-2022-JP -> CP932. nullopt only when
// memory runs out.
std::optional<std::string> DecodeHeaderText(std::string_view input);

// Stage one. With output == nullptr only measures; otherwise writes the bytes (the caller
// gives room for the measured count) and returns the count written.
size_t DecodeEncodedWords(std::string_view input, char* output);

// Stage two. With output == nullptr only counts; otherwise writes at most limit bytes.
size_t JisToSjis(std::string_view input, char* output, size_t limit);

// JIS X 0208 pair (0x21-0x7E each) to its Shift_JIS pair.
void JisPairToSjis(unsigned char j1, unsigned char j2, unsigned char& s1, unsigned char& s2);

// Working-buffer size of the charset, encoding and text of one encoded word.
inline constexpr size_t kWordBufferBytes = 156;

struct EncodedWord {
    std::string charset;
    std::string encoding;
    std::string text;
};

// Length of the complete encoded word starting at position pos of input, filling word; 0
// when no complete encoded word starts there or it does not fit the working buffers.
size_t ParseEncodedWord(std::string_view input, size_t pos, EncodedWord& word);

std::string DecodeBase64(std::string_view text);
std::string DecodeQuoted(std::string_view text);

} // namespace tolvane
