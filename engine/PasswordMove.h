// The move of the passwords still in the settings file into the desktop's keyring, once
// at start.
//
// Contract:
// - An account takes part when its PasswordStore is 0 (the file) and its Password is not
//   empty. In list order, its password is stored under its keys and read back
//   (StoreVerifiedSecret); only then are Password "" and PasswordStore 1 written, in one
//   settings write, and one log text says so. A settings write that fails puts the record
//   back as it was: the file still holds the password (the copy in the keyring harms
//   nothing, and the next start tries again).
// - The first keyring failure ends the move for this run with one log text saying why
//   (kKeyringAbsent with the reason when no Secret Service answers, else kPasswordNotMoved
//   for that account). The passwords not moved stay in the file as they are.
// - Each keyring call is bounded by the account's time-out. It blocks: run it on the
//   worker (CDocumentCore::StartPasswordMove), never on the GUI thread, and only while no
//   job uses the accounts.
#pragma once

#include "engine/Account.h"

#include <functional>
#include <string>
#include <vector>

namespace tolvane {

bool IsPasswordToMove(const CAccount& account);

// Returns how many passwords moved; log receives the CP932 log texts.
int MovePasswordsToKeyring(const std::vector<CAccount*>& accounts,
                           const std::function<void(const std::string&)>& log);

} // namespace tolvane
