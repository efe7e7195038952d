// Fields of a MIME header block (a mail's header or a body part's) and the parameters of
// structured values such as Content-Type. Pure functions: bytes in, bytes out.
//
// Field names compare ignoring case. Values come unfolded (the line breaks of folded
// lines removed, the blanks kept). Nothing here fails: a field or parameter that is
// missing or malformed comes out empty.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// The value of the first field named name in header (lines ending in CR LF or LF; an
// empty line ends the block), blanks around it trimmed; empty when there is none.
std::string HeaderField(std::string_view header, std::string_view name);

// The first word of a structured value, up to a blank, ";" or "(", in small letters:
// "text/plain" of a Content-Type, "base64" of a Content-Transfer-Encoding, "attachment"
// of a Content-Disposition.
std::string ValueToken(std::string_view value);

// The parameter named name (ignoring case) of a structured value: "charset" of
// "text/plain; charset=\"UTF-8\"" is UTF-8. A quoted value is unquoted ("\" escapes the
// next character); an unquoted one ends at a blank, ";" or "(".
std::string ValueParameter(std::string_view value, std::string_view name);

} // namespace tolvane
