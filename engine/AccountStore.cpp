// CAccount: construction, reporting, settings in the profile, the store file and the
// mail list.
#include "engine/Account.h"

#include "engine/Clock.h"
#include "engine/JobTexts.h"
#include "platform/MessageHost.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

#include <filesystem>
#include <system_error>

namespace tolvane {

namespace {

constexpr char kAccountSection[] = "Account";

} // namespace

CAccount::CAccount(ReportFn pfnReport, void* pReportContext)
    : m_pfnReport(pfnReport), m_pReportContext(pReportContext) {}

CAccount::~CAccount() {
    Logout();
    StoreMails(true);
    ClearMails(true);
}

void CAccount::SetReport(ReportFn pfnReport, void* pReportContext) {
    m_pfnReport = pfnReport;
    m_pReportContext = pReportContext;
}

void CAccount::Report(const std::string& textCp932) const {
    if (m_pfnReport != nullptr) {
        m_pfnReport(textCp932, m_pReportContext);
    }
}

std::string CAccount::Progress(const std::string& prefix, const char* activityUtf8, long index,
                               long count) const {
    return prefix + Sjis(txt::kOpenBracket) + m_strName + Sjis(activityUtf8) +
           SjisFormat(txt::kCounter, index, count) + Sjis(txt::kCloseBracket);
}

// --- settings

bool CAccount::Load(const std::string& name, bool bReadRegistry) {
    m_strName = name;
    m_strSection = std::string(kAccountSection) + "\\" + name;
    if (!bReadRegistry) {
        return true; // the dialog fills every field itself
    }
    m_strServer = GetProfileString(m_strSection, "Servername", "");
    if (m_strServer.empty()) {
        return false;
    }
    m_strUser = GetProfileString(m_strSection, "Username", "");
    if (m_strUser.empty()) {
        return false;
    }
    m_strPassword = GetProfileString(m_strSection, "Password", "");
    if (m_strPassword.empty()) {
        return false;
    }
    m_nPort = GetProfileInt(m_strSection, "PortNo", 0);
    if (m_nPort == 0) {
        return false;
    }
    m_nReceiveCount = GetProfileInt(m_strSection, "ReceiveCount", 0);
    m_socket.m_nTimeout = GetProfileInt(m_strSection, "Timeout", 0);
    if (m_socket.m_nTimeout == 0) {
        return false;
    }
    m_bSimpleDelete = GetProfileInt(m_strSection, "SimpleDelete", 0);
    m_bEnable = GetProfileInt(m_strSection, "Enable", 1);
    m_bNewMailOnly = GetProfileInt(m_strSection, "ReceiveNewMailOnly", 0);
    m_bLimitDelete = GetProfileInt(m_strSection, "LimitDelete", 0);
    m_nLimitDays = GetProfileInt(m_strSection, "LimitDays", 5);
    m_bConfLimitDelete = GetProfileInt(m_strSection, "ConfLimitDelete", 1);
    m_bDecode = GetProfileInt(m_strSection, "Decode", 1);
    StoreMails(false);
    return true;
}

bool CAccount::SaveAccount() {
    using Writer = bool (CAccount::*)();
    static constexpr Writer kWriters[] = {
        &CAccount::WriteServername,
        &CAccount::WriteUsername,
        &CAccount::WritePassword,
        &CAccount::WritePortNo,
        &CAccount::WriteReceiveCount,
        &CAccount::WriteTimeout,
        &CAccount::WriteSimpleDelete,
        &CAccount::WriteEnable,
        &CAccount::WriteReceiveNewMailOnly,
        &CAccount::WriteLimitDelete,
        &CAccount::WriteLimitDays,
        &CAccount::WriteConfLimitDelete,
        &CAccount::WriteDecode,
    };
    for (Writer writer : kWriters) {
        if (!(this->*writer)()) {
            ShowMessageUtf8(txt::kRegistryWriteFailed, MsgButtons::Ok, MsgIcon::Stop);
            return false;
        }
    }
    return true;
}

bool CAccount::WriteServername() {
    return WriteProfileString(m_strSection, "Servername", m_strServer);
}
bool CAccount::WriteUsername() {
    return WriteProfileString(m_strSection, "Username", m_strUser);
}
bool CAccount::WritePassword() {
    return WriteProfileString(m_strSection, "Password", m_strPassword);
}
bool CAccount::WritePortNo() {
    return WriteProfileInt(m_strSection, "PortNo", m_nPort);
}
bool CAccount::WriteReceiveCount() {
    return WriteProfileInt(m_strSection, "ReceiveCount", m_nReceiveCount);
}
bool CAccount::WriteTimeout() {
    return WriteProfileInt(m_strSection, "Timeout", m_socket.m_nTimeout);
}
bool CAccount::WriteSimpleDelete() {
    return WriteProfileInt(m_strSection, "SimpleDelete", m_bSimpleDelete);
}
bool CAccount::WriteEnable() {
    return WriteProfileInt(m_strSection, "Enable", m_bEnable);
}
bool CAccount::WriteReceiveNewMailOnly() {
    return WriteProfileInt(m_strSection, "ReceiveNewMailOnly", m_bNewMailOnly);
}
bool CAccount::WriteLimitDelete() {
    return WriteProfileInt(m_strSection, "LimitDelete", m_bLimitDelete);
}
bool CAccount::WriteLimitDays() {
    return WriteProfileInt(m_strSection, "LimitDays", m_nLimitDays);
}
bool CAccount::WriteConfLimitDelete() {
    return WriteProfileInt(m_strSection, "ConfLimitDelete", m_bConfLimitDelete);
}
bool CAccount::WriteDecode() {
    return WriteProfileInt(m_strSection, "Decode", m_bDecode);
}

bool CAccount::EnumAccountNames(std::vector<std::string>& names) {
    return ::tolvane::EnumAccountNames(names);
}

bool CAccount::DeleteAccountKey(const std::string& name) {
    return ::tolvane::DeleteAccountKey(name);
}

// --- store file

void CAccount::StoreMails(bool bSave) {
    if (m_strName.empty()) {
        return; // never loaded: no file of its own
    }
    const std::filesystem::path path = StoreFilePath(m_strName);
    if (bSave) {
        if (m_bNewMailOnly == 1 && !m_mails.empty()) {
            WriteMailStore(path, m_mails); // a failed write leaves the old file; silent
        } else {
            std::error_code ignored; // a missing file is no error
            std::filesystem::remove(path, ignored);
        }
        return;
    }
    if (m_bNewMailOnly != 1) {
        return;
    }
    const auto loadTime = static_cast<uint32_t>(Clock().Now());
    if (ReadMailStore(path, loadTime, m_mails) == StoreReadResult::Ok) {
        CompactMails();
    }
}

// --- mail list

CMail* CAccount::GetMail(int index) const {
    if (index < 0 || index >= GetMailCount()) {
        return nullptr;
    }
    return m_mails[static_cast<size_t>(index)].get();
}

void CAccount::ClearMails(bool bForce) {
    if (m_bOpen == 1 && !bForce) {
        return;
    }
    m_mails.clear();
}

void CAccount::CompactMails() {
    if (m_bNewMailOnly == 1) {
        std::erase_if(m_mails, [](const auto& mail) { return mail->m_nState == MAIL_GONE; });
    }
    uint32_t number = 0;
    for (auto& mail : m_mails) {
        mail->m_nNumber = ++number;
    }
}

} // namespace tolvane
