// Opening the files the program keeps for the user (the log, the instance lock) so that a
// link planted where such a file belongs can never make it write, create or truncate
// anything else.
//
// Contract:
// - A link as the last part of the path is refused (O_NOFOLLOW): ELOOP.
// - The file is created with mode 0600 when missing. An existing one must be this user's
//   regular file with one name, or this user's FIFO, or a character device (/dev/null);
//   anything else is refused (another user's file, a hard link: EPERM; a folder, a
//   socket: EINVAL) without waiting and without a byte changed.
// - bTruncate empties a regular file only after those checks.
// - Returns the descriptor (close-on-exec, blocking) or -1 with errno set.
#pragma once

#include <filesystem>

namespace tolvane {

// accessFlags: O_WRONLY or O_RDWR, optionally with O_APPEND.
int OpenPrivateFile(const std::filesystem::path& path, int accessFlags, bool bTruncate);

} // namespace tolvane
