// The mail list saved as a text file: CP932, CR LF line ends, no byte-order mark.
//
//   "%d通" with the number of mails, then a rule (79 "-");
//   per mail: five labelled lines whose labels, with their indent, are 12 bytes wide
//   ("    タイトル：", "      送信者：", "      サイズ：" + size + "バイト",
//   "    受信日時：", "アカウント名："), a rule, then, if the mail has lines, an empty line
//   and every line indented by four blanks; then a rule.
// A mail's lines are separated by CR LF; a last line without one is written like the
// others.
#pragma once

#include "engine/Mail.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::gui {

std::string FormatMailListText(const std::vector<const CMail*>& mails);

// Writes the text of mails to path atomically (the file is complete or untouched).
// A file the user names keeps what the user made of it: an existing file keeps its mode,
// and a symbolic link at path stays a link (the file it names is replaced); a new file
// gets the usual mode (0666 less the umask). False when it could not be written.
bool SaveMailListText(const std::filesystem::path& path, const std::vector<const CMail*>& mails);

} // namespace tolvane::gui
