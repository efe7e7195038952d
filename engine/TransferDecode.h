// Base64 and quoted-printable, as bodies (Content-Transfer-Encoding) and encoded words
// (the B and Q encodings) carry them. Pure functions: bytes in, bytes out.
//
// Body text may be cut anywhere (TOP stops at a line count): what is complete is decoded
// and a piece cut short at the end is dropped, never shown as garbage.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// The value of a character of the base64 alphabet (0-63); -1 for any other byte.
int Base64Value(unsigned char c);
// The value of a hexadecimal digit, either case (0-15); -1 for any other byte.
int HexValue(unsigned char c);

// Base64: characters outside the alphabet (line ends, blanks, stray bytes) are skipped;
// "=" ends a group early (padding), after which decoding goes on with the next group. A
// group cut short at the end gives the bytes it holds whole (two characters one byte,
// three characters two).
std::string DecodeBase64Text(std::string_view text);

// True when text is the base64 of an encoded word: only alphabet characters, then at
// most two "=", and a length that leaves no single character over (padding may be
// missing).
bool IsBase64Word(std::string_view text);

enum class Underscore {
    Literal, // bodies: "_" is itself
    Space,   // encoded words: "_" stands for a space
};

// Quoted-printable: "=" and two hexadecimal digits (either case) give one byte; "=" at a
// line end is a soft line break (the line goes on); blanks before a line end were added
// on the way and go; "=" cut short by the end of the text is dropped; any other "=" is
// kept as it stands.
std::string DecodeQuotedPrintable(std::string_view text, Underscore underscore);

} // namespace tolvane
