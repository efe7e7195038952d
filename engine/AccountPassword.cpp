// The login's password: from the settings file, the keyring or the account's command,
// fetched right before USER and held only in wiped memory until PASS is answered.
#include "engine/Account.h"

#include "engine/JobTexts.h"
#include "engine/LogSafe.h"
#include "engine/PasswordCommand.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace tolvane {

namespace {

// Reasons from the keyring or the system, ready to stand in a log text.
std::string Reason(const std::string& utf8) {
    return LogSafe(Utf8ToCp932(utf8));
}

} // namespace

int SecretTimeoutMs(int32_t timeoutSeconds) {
    return static_cast<int>(std::clamp<int64_t>(timeoutSeconds, 1, INT_MAX / 1000) * 1000);
}

std::string SecretFailureText(const CAccount& account, int code, const std::string& errorUtf8) {
    const char* name = account.m_strName.c_str();
    switch (code) {
    case SECRET_NO_SERVICE:
        return SjisFormat(txt::kKeyringNone, name, Reason(errorUtf8).c_str());
    case SECRET_LOCKED:
        return SjisFormat(txt::kKeyringLocked, name);
    case SECRET_NOT_FOUND:
        return SjisFormat(txt::kKeyringNotFound, name, name);
    case SECRET_TIMEOUT:
        return SjisFormat(txt::kKeyringTimeout, name,
                          SecretTimeoutMs(account.m_socket.m_nTimeout) / 1000);
    default:
        return SjisFormat(txt::kKeyringFailed, name, Reason(errorUtf8).c_str());
    }
}

bool CAccount::ObtainPassword(CSecureString& password) {
    switch (m_nPasswordStore) {
    case PASSWORD_IN_FILE:
        if (!password.Append(m_strPassword)) {
            ReportName(txt::kPasswordTooLong);
            return false;
        }
        return true;
    case PASSWORD_IN_KEYRING:
        return PasswordFromKeyring(password);
    case PASSWORD_BY_COMMAND:
        return PasswordFromCommand(password);
    default:
        Report(SjisFormat(txt::kPasswordStoreUnknown, m_strName.c_str(), m_nPasswordStore));
        return false;
    }
}

bool CAccount::PasswordFromKeyring(CSecureString& password) {
    std::string error;
    const int code = SecretStore().Lookup(Keys(), password, SecretTimeoutMs(m_socket.m_nTimeout),
                                          &error, m_socket.CancelEventFd());
    if (code == SECRET_OK) {
        return true;
    }
    if (code == SECRET_CANCELLED) {
        ReportName(txt::kStopCheck);
        return false;
    }
    Report(SecretFailureText(*this, code, error));
    return false;
}

bool CAccount::PasswordFromCommand(CSecureString& password) {
    PasswordCommandRun run;
    run.commandUtf8 = m_strPasswordCommand;
    run.timeoutSeconds = m_socket.m_nTimeout;
    run.clock = &m_socket.TimeSource();
    run.cancelFd = m_socket.CancelEventFd();
    run.cancelled = [this] { return m_socket.GetCancel() != 0; };
    int status = 0;
    const char* name = m_strName.c_str();
    switch (RunPasswordCommand(run, password, status)) {
    case PWCMD_OK:
        return true;
    case PWCMD_EMPTY_COMMAND:
        ReportName(txt::kCommandEmpty);
        break;
    case PWCMD_NOT_STARTED:
        Report(SjisFormat(txt::kCommandNotStarted, name, Reason(std::strerror(status)).c_str()));
        break;
    case PWCMD_FAILED:
        Report(SjisFormat(txt::kCommandFailed, name, status));
        break;
    case PWCMD_KILLED:
        Report(SjisFormat(txt::kCommandKilled, name, status));
        break;
    case PWCMD_TIMEOUT:
        Report(SjisFormat(txt::kCommandTimeout, name, m_socket.m_nTimeout));
        break;
    case PWCMD_NO_OUTPUT:
        ReportName(txt::kCommandNoOutput);
        break;
    case PWCMD_TOO_LONG:
        ReportName(txt::kCommandTooLong);
        break;
    default:
        ReportName(txt::kStopCheck); // the user stopped the account
        break;
    }
    return false;
}

} // namespace tolvane
