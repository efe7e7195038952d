// Where one POP3 reply ends in bytes that may hold the start of the next one. Pure: bytes
// in, a boundary out; nothing is read, written or kept.
//
// Contract:
// - A reply's status line runs up to and including the first CR LF. A single-line reply,
//   and the reply of a multi-line command whose status does not begin with "+OK", is that
//   status line alone.
// - A positive multi-line reply ends with the first line that is a lone dot: the first
//   CR LF "." CR LF from the status line's own CR LF on, so that "+OK\r\n.\r\n" (an empty
//   listing) ends after its eighth byte. Dot-stuffed lines ("..x") never end it.
// - FindReplyEnd returns the length of the first reply in text, or kIncomplete when text
//   does not hold a whole reply yet.
#pragma once

#include <cstddef>
#include <string_view>

namespace tolvane {

inline constexpr size_t kIncomplete = static_cast<size_t>(-1);

size_t FindReplyEnd(std::string_view text, bool multiLine);

} // namespace tolvane
