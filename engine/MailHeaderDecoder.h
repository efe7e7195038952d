// Header values of today's mail to CP932: encoded words in every charset, and raw 8-bit
// UTF-8 values, on top of the ISO-2022-JP header decoder (engine/HeaderDecoder.h). Pure
// function: bytes in, bytes out; thread-safe.
//
// - A value that holds bytes of 0x80 or above and is well-formed UTF-8 is converted from
//   UTF-8 first; other 8-bit values (Shift_JIS as older programs send it) pass as they are.
// - An encoded word in ISO-2022-JP, and all the text around encoded words, go through
//   DecodeHeaderText exactly as before: a value whose only encoded words are ISO-2022-JP
//   comes out byte for byte as DecodeHeaderText gives it.
// - An encoded word in any other charset, US-ASCII included (B or Q; "_" in Q text is a
//   space), is decoded and converted to CP932 (engine/Charset.h). Adjacent words of the same
//   charset are joined before conversion, so a character split between two words survives; blanks
//   and line breaks between two encoded words of which one is in such a charset go.
// - A word whose charset is not known, whose encoding is neither B nor Q, or whose text
//   or bytes are not valid stays exactly as written.
// - Line breaks and zero bytes a decoded word brings never reach the result: line breaks
//   become spaces, zero bytes go.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The decoded value; nullopt only when memory runs out. Input ends at its first zero
// byte.
std::optional<std::string> DecodeMailHeader(std::string_view raw);

} // namespace tolvane
