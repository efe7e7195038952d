#include "engine/PasswordPlace.h"

#include "engine/JobTexts.h"

namespace tolvane {

int StoreVerifiedSecret(const SecretKeys& keys, const CSecureString& secret, int timeoutMs,
                        std::string* error) {
    ISecretStore& store = SecretStore();
    int code = store.Store(keys, secret, timeoutMs, error);
    if (code != SECRET_OK) {
        return code;
    }
    CSecureString stored;
    code = store.Lookup(keys, stored, timeoutMs, error);
    if (code == SECRET_OK && !(stored == secret)) {
        if (error != nullptr) {
            *error = txt::kSecretMismatch;
        }
        return SECRET_ERROR;
    }
    return code;
}

int MoveSecret(const SecretKeys& from, const SecretKeys& to, int timeoutMs, std::string* error) {
    if (from == to) {
        return SECRET_OK;
    }
    CSecureString secret;
    int code = SecretStore().Lookup(from, secret, timeoutMs, error);
    if (code == SECRET_OK) {
        code = StoreVerifiedSecret(to, secret, timeoutMs, error);
    }
    if (code == SECRET_OK) {
        SecretStore().Remove(from, timeoutMs, nullptr); // a copy left behind harms nothing
    }
    return code;
}

int RemoveSecret(const SecretKeys& keys, int timeoutMs, std::string* error) {
    return SecretStore().Remove(keys, timeoutMs, error);
}

namespace {

bool WasInKeyring(const PasswordEdit& edit) {
    return edit.before && edit.nStoreBefore == PASSWORD_IN_KEYRING;
}

// The old secret, once the password lives elsewhere.
void DropOldSecret(const PasswordEdit& edit, int timeoutMs) {
    if (WasInKeyring(edit)) {
        SecretStore().Remove(*edit.before, timeoutMs, nullptr);
    }
}

PasswordEditResult Unchanged(const PasswordEdit& edit, int code, std::string error) {
    PasswordEditResult result;
    result.code = code;
    result.nStore = edit.nStoreBefore;
    result.error = std::move(error);
    return result;
}

PasswordEditResult IntoKeyring(const PasswordEdit& edit, int timeoutMs) {
    PasswordEditResult result;
    if (edit.typed == nullptr) {
        if (!WasInKeyring(edit)) {
            return Unchanged(edit, SECRET_ERROR, txt::kNoPasswordGiven);
        }
        result.code = MoveSecret(*edit.before, edit.after, timeoutMs, &result.error);
        if (result.code != SECRET_OK) {
            return Unchanged(edit, result.code, result.error);
        }
        result.nStore = PASSWORD_IN_KEYRING;
        return result;
    }
    result.code = StoreVerifiedSecret(edit.after, *edit.typed, timeoutMs, &result.error);
    if (result.code == SECRET_NO_SERVICE) {
        result.nStore = PASSWORD_IN_FILE; // no keyring here: the file, as it always was
        result.bFilePassword = result.filePassword.Append(edit.typed->View());
        return result;
    }
    if (result.code != SECRET_OK) {
        return Unchanged(edit, result.code, result.error);
    }
    result.nStore = PASSWORD_IN_KEYRING;
    if (WasInKeyring(edit) && !(*edit.before == edit.after)) {
        SecretStore().Remove(*edit.before, timeoutMs, nullptr);
    }
    return result;
}

PasswordEditResult IntoFile(const PasswordEdit& edit, int timeoutMs) {
    PasswordEditResult result;
    result.nStore = PASSWORD_IN_FILE;
    result.bFilePassword = true;
    if (edit.typed != nullptr) {
        result.filePassword.Append(edit.typed->View());
    } else if (WasInKeyring(edit)) {
        result.code =
            SecretStore().Lookup(*edit.before, result.filePassword, timeoutMs, &result.error);
        if (result.code != SECRET_OK) {
            return Unchanged(edit, result.code, result.error);
        }
    } else {
        return Unchanged(edit, SECRET_ERROR, txt::kNoPasswordGiven);
    }
    DropOldSecret(edit, timeoutMs);
    return result;
}

} // namespace

PasswordEditResult ApplyPasswordEdit(const PasswordEdit& edit, int timeoutMs) {
    switch (edit.nStoreWanted) {
    case PASSWORD_IN_KEYRING:
        return IntoKeyring(edit, timeoutMs);
    case PASSWORD_IN_FILE:
        return IntoFile(edit, timeoutMs);
    default: {
        PasswordEditResult result;
        result.nStore = edit.nStoreWanted;
        DropOldSecret(edit, timeoutMs);
        return result;
    }
    }
}

} // namespace tolvane
