// The body preview of today's mail: the lines a reader would read, from the header and
// the fetched body lines of a TOP reply. Pure function: bytes in, bytes out.
//
// - The text part: for text/plain (or no Content-Type, or a value naming no type) the
//   body itself; for multipart/* the first text/plain part that is not an attachment,
//   else the first such text/html part, searched through nested multiparts in order
//   (within the fetched lines: a part whose header is cut short has no text); for
//   text/html the body itself. Any other type has no text.
// - Its text: decoded from base64 or quoted-printable (what is complete when the lines
//   end mid-way), converted from its charset to CP932 (engine/Charset.h; text without a
//   known charset as raw 8-bit text, or as ISO-2022-JP when it holds escapes), and for
//   HTML reduced to the text a reader sees (engine/HtmlText.h; without a charset
//   parameter, the charset of its meta tag).
// - A text/plain body in 7 bits whose charset is ISO-2022-JP, US-ASCII or not given, as
//   the whole mail, comes out exactly as DecodeHeaderText gives it.
// - Otherwise lines end in CR LF, zero bytes go, and line ends at the end go.
// Where no text arrived, the preview is empty.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// header: the mail's header lines; body: the fetched body lines (as the check keeps
// them: without the line end before the terminating dot line).
std::string DecodeBodyPreview(std::string_view header, std::string_view body);

} // namespace tolvane
