// RunPasswordCommand: the password that an account's PasswordCommand prints (a command of
// the password manager, gpg, an OAuth helper).
//
// Contract:
// - The command line runs as `/bin/sh -c COMMAND` in a session of its own (so it has no
//   controlling terminal and cannot ask on the user's), with standard input and standard
//   error on /dev/null (what it says there could hold the secret), the program's
//   environment, default signal dispositions and no other open descriptor.
// - The password is the first line of its standard output without its line end (LF or
//   CR LF); the rest of the output is read and dropped. The line is read into password,
//   wiped memory (platform/SecureString.h), and nowhere else.
// - It must exit with status 0 within the time-out, counted in whole seconds on clock
//   (the account's socket's time source, so tests move it). When the time-out passes, or
//   cancelled() holds once cancelFd turns readable, its whole process group is killed.
// - Waits sleep in the kernel (poll on the output, the process, the cancel event and the
//   clock's wake-up).
// Codes: PWCMD_OK, or the failure; status holds the exit status (PWCMD_FAILED), the signal
// (PWCMD_KILLED) or errno (PWCMD_NOT_STARTED).
#pragma once

#include "engine/Clock.h"
#include "platform/SecureString.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tolvane {

enum PasswordCommandResult : int {
    PWCMD_OK = 0,
    PWCMD_EMPTY_COMMAND = 1, // PasswordCommand is empty
    PWCMD_NOT_STARTED = 2,   // /bin/sh could not be started
    PWCMD_FAILED = 3,        // exited with a status other than 0
    PWCMD_KILLED = 4,        // ended by a signal
    PWCMD_TIMEOUT = 5,       // still running when the time-out passed
    PWCMD_NO_OUTPUT = 6,     // exited 0 without a password on its first line
    PWCMD_TOO_LONG = 7,      // a first line longer than CSecureString::kMaxBytes
    PWCMD_CANCELLED = 8,     // the user stopped the account
};

struct PasswordCommandRun {
    std::string commandUtf8;
    int32_t timeoutSeconds = 60;
    const IMonotonicClock* clock = &SystemMonotonicClock();
    int cancelFd = -1;               // an eventfd that turns readable on a cancel request
    std::function<bool()> cancelled; // whether that request stands
};

int RunPasswordCommand(const PasswordCommandRun& run, CSecureString& password, int& status);

} // namespace tolvane
