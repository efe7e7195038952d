// The text a reader sees of an HTML body, for the preview of HTML-only mail. Pure
// function: UTF-8 in, UTF-8 out.
//
// - Tags, comments and declarations go; the content of script, style, title and template
//   elements goes with them. A tag or comment cut short by the end of the text goes too.
// - Character references are resolved: numeric ones (decimal and hexadecimal; a value
//   that is no character becomes U+FFFD) and the common named ones; an unknown name
//   stays as written; one cut short by the end of the text goes.
// - Blank runs (spaces, tabs, line breaks, no-break spaces) fold into one space, and
//   blanks at the start and end of a line go. <br> breaks the line; blocks (div, li, tr,
//   ...) start a new line, paragraphs (p, headings, tables, lists, ...) leave one empty
//   line; table cells are separated by a space. Inside <pre> blanks and line breaks stay.
// - Lines end in "\n"; there is no line end after the last line.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

std::string HtmlToText(std::string_view html);

// The charset an HTML document names in its head (<meta charset=...> or the charset
// parameter of a <meta http-equiv> content), looked for in its first kMetaSearchBytes
// bytes, whatever charset they are in; empty when there is none.
std::string HtmlMetaCharset(std::string_view html);
inline constexpr size_t kMetaSearchBytes = 4096;

} // namespace tolvane
