// tolvane-cli: the headless front end. RunCli is the whole program; main() only calls it.
//
// Exit status:
//   0   every account the command asked for was checked (and every deletion done);
//   1   an account could not be checked or its deletion was not done (connection, login
//       or job failure, stopped with Ctrl+C, or a deletion question declined), or a mail
//       store could not be saved; the list of what was checked is still printed; password:
//       the keyring could not take the password or its place could not be written;
//   2   usage or settings errors: unknown command or option, a settings file that cannot
//       be read, no accounts, an unknown account name, an unknown UIDL, a declined
//       deletion question (nothing deleted), or a settings or data folder that is not the
//       user's own (or the lock file unusable); password: an empty or too long password;
//   3   another Tolvane program runs on the same data folder (the instance lock);
//   130 the second Ctrl+C.
// Accounts skipped for their names are told on standard error, also with --quiet.
// check and delete first move the passwords still in the settings file into the keyring
// (engine/PasswordMove.h); password ACCOUNT sets one account's password from standard input
// into the keyring (never the file when none answers) or, with --file, the settings file.
// The list printed by check and delete holds the mails of the accounts the job processed
// (the enabled ones, or the one named), in account order and then server order.
#pragma once

#include <string>
#include <vector>

namespace tolvane::cli {

enum : int {
    EXIT_ALL_CHECKED = 0,
    EXIT_ACCOUNT_FAILED = 1,
    EXIT_USAGE = 2,
    EXIT_ALREADY_RUNNING = 3,
};

int RunCli(const std::vector<std::string>& args);

} // namespace tolvane::cli
