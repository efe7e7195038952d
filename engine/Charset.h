// Text in the charset a mail names (a MIME charset parameter or the charset of an encoded
// word) to CP932. Pure functions: bytes in, bytes out; thread-safe.
//
// A character CP932 cannot hold becomes "?". Names compare ignoring case; an RFC 2231
// language suffix ("UTF-8*ja") is ignored. Routing:
// - ISO-2022-JP (and the Microsoft variants iconv lacks): the JIS converter of the header
//   decoder (ConvertJisToSjis), which never refuses;
// - Shift_JIS and its aliases: taken as CP932, the superset mail programs write under that
//   name, so its bytes stay exactly as sent;
// - EUC-JP: with the NEC and IBM extensions (circled digits, Roman numerals);
// - US-ASCII: 7-bit text as it is; 8-bit bytes are mislabelled raw text (RawTextToCp932);
// - UTF-8 and every other charset iconv knows: through UTF-8.
#pragma once

#include "platform/CodePage.h"

#include <string>
#include <string_view>

namespace tolvane {

// Converts bytes in the named charset into out. False, with out empty, when the charset is
// not known, or with InvalidBytes::Refuse when the bytes are not valid in it. With
// InvalidBytes::Replace a bad byte becomes "?" and a character cut short at the end is
// dropped, so text cut at any byte still converts.
bool CharsetToCp932(std::string_view bytes, std::string_view charset, InvalidBytes rule,
                    std::string& out);

// True when some byte is 0x80 or above.
bool HasEightBit(std::string_view bytes);

// True when bytes is well-formed UTF-8 (no overlong forms, surrogates or values above
// U+10FFFF).
bool IsUtf8(std::string_view bytes);

// Unlabelled 8-bit text (a raw header value, a body without a charset): text that is
// UTF-8 and holds bytes of 0x80 or above is converted from UTF-8; anything else is
// returned as it is (7-bit text, Shift_JIS as older programs send it).
std::string RawTextToCp932(std::string_view bytes);

} // namespace tolvane
