// The password that tolvane-cli password reads from standard input.
//
// - On a terminal: the prompt goes to standard error and the terminal stops echoing until
//   the line is read; the echo comes back however the read ends (a line, the end of the
//   input, Ctrl+C, SIGTERM or SIGHUP, which then end the program as they would have).
// - Otherwise: the first line of the input (a pipe, a file).
// - The line end (LF, CR LF) is dropped; the bytes go into wiped memory only.
#pragma once

#include "platform/SecureString.h"

#include <string>

namespace tolvane::cli {

enum PasswordInputResult : int {
    PASSWORD_READ = 0,
    PASSWORD_EMPTY = 1,
    PASSWORD_TOO_LONG = 2,
};

int ReadPassword(const std::string& promptUtf8, CSecureString& password);

} // namespace tolvane::cli
