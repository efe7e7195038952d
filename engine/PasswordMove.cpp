#include "engine/PasswordMove.h"

#include "engine/JobTexts.h"
#include "engine/LogSafe.h"
#include "engine/PasswordPlace.h"
#include "platform/CodePage.h"

namespace tolvane {

bool IsPasswordToMove(const CAccount& account) {
    return account.m_nPasswordStore == PASSWORD_IN_FILE && !account.m_strPassword.empty();
}

namespace {

// One account: its code, with error and the record as the contract says.
int MoveOne(CAccount& account, std::string& error) {
    const CSecureString password(account.m_strPassword);
    if (password.Size() != account.m_strPassword.size()) {
        error = txt::kPasswordTooLongWords;
        return SECRET_ERROR;
    }
    const int code = StoreVerifiedSecret(account.Keys(), password,
                                         SecretTimeoutMs(account.m_socket.m_nTimeout), &error);
    if (code != SECRET_OK) {
        return code;
    }
    std::string filePassword;
    filePassword.swap(account.m_strPassword);
    account.m_nPasswordStore = PASSWORD_IN_KEYRING;
    if (!account.WritePasswordPlace()) {
        account.m_strPassword.swap(filePassword);
        account.m_nPasswordStore = PASSWORD_IN_FILE;
        error = txt::kMoveNotWritten;
        return SECRET_ERROR;
    }
    WipeString(filePassword);
    return SECRET_OK;
}

} // namespace

int MovePasswordsToKeyring(const std::vector<CAccount*>& accounts,
                           const std::function<void(const std::string&)>& log) {
    int moved = 0;
    for (CAccount* account : accounts) {
        if (account == nullptr || !IsPasswordToMove(*account)) {
            continue;
        }
        std::string error;
        const int code = MoveOne(*account, error);
        const std::string reason = LogSafe(Utf8ToCp932(error));
        if (code == SECRET_NO_SERVICE) {
            log(SjisFormat(txt::kKeyringAbsent, reason.c_str()));
            break;
        }
        if (code != SECRET_OK) {
            log(SjisFormat(txt::kPasswordNotMoved, account->m_strName.c_str(), reason.c_str()));
            break;
        }
        log(SjisFormat(txt::kPasswordMoved, account->m_strName.c_str()));
        ++moved;
    }
    return moved;
}

} // namespace tolvane
