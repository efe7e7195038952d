// Where an account's password goes when it is set or the account changes: the keyring side
// of the account dialog's add, change and delete, of tolvane-cli password, and of the move
// from the settings file at start.
//
// Contract:
// - Plain data in and out: nothing here touches a CAccount. A front end copies what it
//   needs from the record on its own thread, runs these on another (they block on the
//   keyring, each call bounded by timeoutMs; never on the GUI thread), and applies the
//   result to the record back on its own thread (CAccount::WritePasswordPlace).
// - A secret is stored only when it reads back the same (written, read back, compared),
//   and removed from its old place only once it is safe in its new one: a failure leaves
//   the password where it was.
// - Codes are SECRET_* (platform/SecretStore.h); error gets the keyring's words.
#pragma once

#include "engine/Account.h"
#include "platform/SecretStore.h"

#include <optional>
#include <string>

namespace tolvane {

// Stores secret under keys and reads it back: SECRET_OK only when the keyring now holds
// exactly secret (a different answer is SECRET_ERROR).
int StoreVerifiedSecret(const SecretKeys& keys, const CSecureString& secret, int timeoutMs,
                        std::string* error);

// The secret under from, now under to (the account's name, server or user changed): looked
// up, stored and verified under to, then removed under from. Nothing to do when from ==
// to. A failure leaves it under from.
int MoveSecret(const SecretKeys& from, const SecretKeys& to, int timeoutMs, std::string* error);

// A removed account's secret; SECRET_NOT_FOUND when it had none.
int RemoveSecret(const SecretKeys& keys, int timeoutMs, std::string* error);

// The account dialog's add or change, and tolvane-cli password.
struct PasswordEdit {
    std::optional<SecretKeys> before; // the account's keys until now; none for a new account
    int32_t nStoreBefore = PASSWORD_IN_FILE;
    SecretKeys after; // its keys from now on
    int32_t nStoreWanted = PASSWORD_IN_KEYRING;
    const CSecureString* typed = nullptr; // the password typed; nullptr: left as it was
};

struct PasswordEditResult {
    // SECRET_OK; SECRET_NO_SERVICE when the keyring was wanted but none answers (the
    // password then goes to the file: still apply the result); any other code: nothing
    // changed, the record stays as it was and the user is told.
    int code = SECRET_OK;
    int32_t nStore = PASSWORD_IN_FILE; // the account's PasswordStore from now on
    bool bFilePassword = false;        // Password becomes filePassword (else "")
    CSecureString filePassword;        // with bFilePassword
    std::string error;
};

// - Keyring wanted, a password typed: stored and verified under after (the old secret
//   under before goes when the keys changed); no Secret Service: into the file instead.
// - Keyring wanted, nothing typed: an account already in the keyring has its secret moved
//   to after; any other account must give the password (SECRET_ERROR).
// - File wanted: the typed password, or else the one the keyring held (looked up); a
//   secret in the keyring goes once the password is in hand.
// - Command wanted: the password lives nowhere of ours; a secret in the keyring goes.
PasswordEditResult ApplyPasswordEdit(const PasswordEdit& edit, int timeoutMs);

} // namespace tolvane
