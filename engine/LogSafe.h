// Text that came from a server (a subject, a sender, a certificate's name), made safe to
// stand inside a log text: every control character (C0, DEL, the lone byte 0x80 that
// becomes U+0080) turns into "?", so that a mail can neither end a log line, start a line
// of its own choosing, nor send escape sequences to a terminal. Double-byte CP932
// characters stay whole (their trail bytes are never controls). Pure.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

std::string LogSafe(std::string_view cp932);

} // namespace tolvane
