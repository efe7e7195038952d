// Code page layer: every text inside the engine is CP932 (Windows-31J) bytes in a
// std::string; conversion to UTF-8 / UTF-16 happens only at the edges.
//
// Conversions go through iconv. A character that CP932 cannot hold becomes "?"; input that
// is not valid in the source encoding becomes "?" as well, one per bad byte, except that a
// CP932 lead byte with a possible trail byte counts as one (unassigned) character, so its
// trail byte never reappears as an ASCII letter. U+FFFD is never produced: the output is
// always valid.
// The functions are thread-safe (each call uses its own conversion state).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);
std::u16string Cp932ToUtf16(std::string_view cp932);
std::string Utf16ToCp932(std::u16string_view utf16);

// What CharsetToUtf8 does with bytes that are not valid in their charset.
enum class InvalidBytes {
    Refuse,  // the conversion fails
    Replace, // each bad byte becomes "?"; a character cut short by the end is dropped
};

// Text in the named charset (an iconv name: letters, digits and "-_.:+()", as a MIME
// charset parameter gives it) to UTF-8. nullopt when iconv does not know the charset, and
// with InvalidBytes::Refuse when the bytes are not valid in it.
std::optional<std::string> CharsetToUtf8(std::string_view bytes, std::string_view charset,
                                         InvalidBytes rule);

// True when byte c starts a double-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The position of the first single-byte character c (ASCII) in a CP932 text at or after
// from, or npos. The trail byte of a double-byte character is never taken for it: the "\"
// in 表 (0x95 0x5C) is not a path separator.
size_t Cp932Find(std::string_view cp932, char c, size_t from = 0);

// Lowers ASCII capitals and full-width Latin capitals (Ａ-Ｚ, 0x82 0x60-0x79) of a CP932
// text. Trail bytes of double-byte characters are never touched.
std::string Cp932Lower(std::string_view cp932);

// Case-insensitive comparison under the same folding; <0, 0, >0 like strcmp.
int Cp932CompareNoCase(std::string_view a, std::string_view b);
inline bool Cp932EqualNoCase(std::string_view a, std::string_view b) {
    return Cp932CompareNoCase(a, b) == 0;
}

// True when text is well-formed UTF-8: no stray or missing continuation byte, no overlong
// form, no surrogate, nothing above U+10FFFF. A NUL byte is well-formed.
bool IsValidUtf8(std::string_view text);

// The same folding on UTF-8 (A-Z and U+FF21-U+FF3A lowered), comparing the folded texts
// byte by byte, which is code-point order. Meant for well-formed UTF-8; any bytes are safe.
int Utf8CompareNoCase(std::string_view a, std::string_view b);
inline bool Utf8EqualNoCase(std::string_view a, std::string_view b) {
    return Utf8CompareNoCase(a, b) == 0;
}

} // namespace tolvane
