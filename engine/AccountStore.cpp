// CAccount: construction, reporting, settings in the profile, the store file and the
// mail list.
#include "engine/Account.h"

#include "engine/Clock.h"
#include "engine/JobTexts.h"
#include "engine/SaslMechanisms.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace tolvane {

namespace {

constexpr char kAccountSection[] = "Account";

// The account's settings in the order they are written.
enum : size_t {
    kServername,
    kUsername,
    kPassword,
    kPortNo,
    kReceiveCount,
    kTimeout,
    kSimpleDelete,
    kEnable,
    kReceiveNewMailOnly,
    kLimitDelete,
    kLimitDays,
    kConfLimitDelete,
    kDecode,
    kSecurity,
    kVerifyCertificate,
    kPipelining,
    kPasswordStore,
    kPasswordCommand,
    kAuthentication,
    kOAuthProvider,
    kOAuthClientId,
    kOAuthClientSecret,
    kOAuthAuthorizeUrl,
    kOAuthTokenUrl,
    kOAuthScope,
    kSettingCount
};
constexpr const char* kSettingKeys[kSettingCount] = {
    "Servername",
    "Username",
    "Password",
    "PortNo",
    "ReceiveCount",
    "Timeout",
    "SimpleDelete",
    "Enable",
    "ReceiveNewMailOnly",
    "LimitDelete",
    "LimitDays",
    "ConfLimitDelete",
    "Decode",
    "Security",
    "VerifyCertificate",
    "Pipelining",
    "PasswordStore",
    "PasswordCommand",
    "Authentication",
    "OAuthProvider",
    "OAuthClientId",
    "OAuthClientSecret",
    "OAuthAuthorizeUrl",
    "OAuthTokenUrl",
    "OAuthScope",
};

// Texts are UTF-8 exactly as the file holds them; the rest are integers.
bool IsText(size_t index) {
    return index <= kPassword || index == kPasswordCommand || index >= kOAuthClientId;
}

// The keys an account without OAuth 2.0 never needs in the file.
bool IsOAuthOnly(size_t index) {
    return index >= kOAuthProvider;
}

std::string TextOf(const CAccount& account, size_t index) {
    switch (index) {
    case kServername:
        return account.m_strServer;
    case kUsername:
        return account.m_strUser;
    case kPassword:
        // A password that lives elsewhere never reaches the file, whatever the record holds
        // (a dialog's typed text on its way to the keyring).
        return account.m_nPasswordStore == PASSWORD_IN_FILE ? account.m_strPassword : std::string();
    case kOAuthClientId:
        return account.m_oauth.strClientId;
    case kOAuthClientSecret:
        return account.m_oauth.strClientSecret;
    case kOAuthAuthorizeUrl:
        return account.m_oauth.strAuthorizeUrl;
    case kOAuthTokenUrl:
        return account.m_oauth.strTokenUrl;
    case kOAuthScope:
        return account.m_oauth.strScope;
    default:
        return account.m_strPasswordCommand;
    }
}

int32_t NumberOf(const CAccount& account, size_t index) {
    if (index == kAuthentication) {
        return account.m_nAuthentication;
    }
    if (index == kOAuthProvider) {
        return account.m_oauth.nProvider;
    }
    const std::array<int32_t, kPasswordStore - kPortNo + 1> numbers = {
        account.m_nPort,         account.m_nReceiveCount, account.m_socket.m_nTimeout,
        account.m_bSimpleDelete, account.m_bEnable,       account.m_bNewMailOnly,
        account.m_bLimitDelete,  account.m_nLimitDays,    account.m_bConfLimitDelete,
        account.m_bDecode,       account.m_nSecurity,     account.m_bVerifyCertificate,
        account.m_bPipelining,   account.m_nPasswordStore};
    return numbers[index - kPortNo];
}

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
    m_strServer = GetProfileStringUtf8(m_strSection, "Servername", "");
    if (m_strServer.empty()) {
        return false;
    }
    m_strUser = GetProfileStringUtf8(m_strSection, "Username", "");
    if (m_strUser.empty()) {
        return false;
    }
    // Kept as stored even when unknown: the login refuses such a value rather than guess.
    m_nPasswordStore = GetProfileInt(m_strSection, "PasswordStore", PASSWORD_IN_FILE);
    m_nAuthentication = GetProfileInt(m_strSection, "Authentication", AUTH_USER_PASS);
    m_strPassword = GetProfileStringUtf8(m_strSection, "Password", "");
    if (m_strPassword.empty() && m_nPasswordStore == PASSWORD_IN_FILE &&
        m_nAuthentication != AUTH_OAUTH2) {
        return false;
    }
    // An empty command is told at the login, where the user sees why the account fails.
    m_strPasswordCommand = GetProfileStringUtf8(m_strSection, "PasswordCommand", "");
    LoadOAuthSettings();
    m_nPort = GetProfileInt(m_strSection, "PortNo", 0);
    if (m_nPort == 0) {
        return false;
    }
    m_nReceiveCount = GetProfileInt(m_strSection, "ReceiveCount", 0);
    m_socket.m_nTimeout = GetProfileInt(m_strSection, "Timeout", 0);
    if (m_socket.m_nTimeout == 0) {
        return false;
    }
    m_bSimpleDelete = GetProfileFlag(m_strSection, "SimpleDelete", 0);
    m_bEnable = GetProfileFlag(m_strSection, "Enable", 1);
    m_bNewMailOnly = GetProfileFlag(m_strSection, "ReceiveNewMailOnly", 0);
    m_bLimitDelete = GetProfileFlag(m_strSection, "LimitDelete", 0);
    m_nLimitDays = GetProfileInt(m_strSection, "LimitDays", 5);
    m_bConfLimitDelete = GetProfileFlag(m_strSection, "ConfLimitDelete", 1);
    m_bDecode = GetProfileFlag(m_strSection, "Decode", 1);
    // Kept as stored even when unknown: the connection refuses such a value rather than
    // guess (a guess could send the password in clear text).
    m_nSecurity = GetProfileInt(m_strSection, "Security", SECURITY_NONE);
    m_bVerifyCertificate = GetProfileFlag(m_strSection, "VerifyCertificate", 1);
    m_bPipelining = GetProfileFlag(m_strSection, "Pipelining", 1);
    if (m_bNewMailOnly == 1) {
        // Its numbers are list positions, not the server's: a simple deletion by them
        // would delete other mails. Whatever the file says, it deletes verified.
        m_bSimpleDelete = 0;
    }
    // Taken after the rules above: what they change is not a change of this process's to
    // write back (the file keeps what its writer put there).
    m_arrSavedSettings = SettingTexts();
    StoreMails(false);
    return true;
}

std::vector<std::string> CAccount::SettingTexts() const {
    std::vector<std::string> texts;
    for (size_t index = 0; index < kSettingCount; ++index) {
        texts.push_back(IsText(index) ? TextOf(*this, index)
                                      : std::to_string(NumberOf(*this, index)));
    }
    return texts;
}

void CAccount::AddSetting(ProfileBatch& batch, size_t index, MissingKey missing) const {
    if (IsText(index)) {
        batch.WriteStringUtf8(m_strSection, kSettingKeys[index], TextOf(*this, index), missing);
    } else {
        batch.WriteInt(m_strSection, kSettingKeys[index], NumberOf(*this, index), missing);
    }
}

bool CAccount::CommitSettings(ProfileBatch& batch) {
    if (!batch.Commit()) {
        ShowMessageUtf8(txt::kRegistryWriteFailed, MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    m_arrSavedSettings = SettingTexts();
    return true;
}

void CAccount::LoadOAuthSettings() {
    m_oauth.nProvider = GetProfileInt(m_strSection, "OAuthProvider", 0);
    m_oauth.strClientId = GetProfileStringUtf8(m_strSection, "OAuthClientId", "");
    m_oauth.strClientSecret = GetProfileStringUtf8(m_strSection, "OAuthClientSecret", "");
    m_oauth.strAuthorizeUrl = GetProfileStringUtf8(m_strSection, "OAuthAuthorizeUrl", "");
    m_oauth.strTokenUrl = GetProfileStringUtf8(m_strSection, "OAuthTokenUrl", "");
    m_oauth.strScope = GetProfileStringUtf8(m_strSection, "OAuthScope", "");
}

bool CAccount::SaveAccount() {
    ProfileBatch batch;
    for (size_t index = 0; index < kSettingCount; ++index) {
        if (m_nAuthentication == AUTH_OAUTH2 || !IsOAuthOnly(index)) {
            AddSetting(batch, index, MissingKey::Create);
        }
    }
    return CommitSettings(batch);
}

void CAccount::AddChanges(ProfileBatch& batch) const {
    if (m_strSection.empty()) {
        return; // never loaded: no section of its own (it would address the root)
    }
    const std::vector<std::string> now = SettingTexts();
    const bool bKnown = m_arrSavedSettings.size() == kSettingCount;
    for (size_t index = 0; index < kSettingCount; ++index) {
        if (!bKnown) {
            AddSetting(batch, index, MissingKey::Create);
        } else if (now[index] != m_arrSavedSettings[index]) {
            AddSetting(batch, index, MissingKey::Skip);
        }
    }
}

bool CAccount::SaveChanges() {
    ProfileBatch batch;
    AddChanges(batch);
    return batch.Empty() || CommitSettings(batch);
}

bool CAccount::WriteSettings(std::initializer_list<size_t> indexes) {
    ProfileBatch batch;
    for (size_t index : indexes) {
        AddSetting(batch, index, MissingKey::Fail);
    }
    if (!batch.Commit()) {
        return false;
    }
    if (m_arrSavedSettings.size() == kSettingCount) {
        const std::vector<std::string> now = SettingTexts();
        for (size_t index : indexes) {
            m_arrSavedSettings[index] = now[index];
        }
    }
    return true;
}

bool CAccount::WriteSetting(size_t index) {
    return WriteSettings({index});
}

bool CAccount::WritePasswordPlace() {
    return WriteSettings({kPassword, kPasswordStore});
}

SecretKeys CAccount::Keys() const {
    return {Cp932ToUtf8(m_strName), m_strServer, m_strUser};
}

bool CAccount::WriteServername() {
    return WriteSetting(kServername);
}
bool CAccount::WriteUsername() {
    return WriteSetting(kUsername);
}
bool CAccount::WritePassword() {
    return WriteSetting(kPassword);
}
bool CAccount::WritePortNo() {
    return WriteSetting(kPortNo);
}
bool CAccount::WriteReceiveCount() {
    return WriteSetting(kReceiveCount);
}
bool CAccount::WriteTimeout() {
    return WriteSetting(kTimeout);
}
bool CAccount::WriteSimpleDelete() {
    return WriteSetting(kSimpleDelete);
}
bool CAccount::WriteEnable() {
    return WriteSetting(kEnable);
}
bool CAccount::WriteReceiveNewMailOnly() {
    return WriteSetting(kReceiveNewMailOnly);
}
bool CAccount::WriteLimitDelete() {
    return WriteSetting(kLimitDelete);
}
bool CAccount::WriteLimitDays() {
    return WriteSetting(kLimitDays);
}
bool CAccount::WriteConfLimitDelete() {
    return WriteSetting(kConfLimitDelete);
}
bool CAccount::WriteDecode() {
    return WriteSetting(kDecode);
}
bool CAccount::WriteSecurity() {
    return WriteSetting(kSecurity);
}
bool CAccount::WriteVerifyCertificate() {
    return WriteSetting(kVerifyCertificate);
}

bool CAccount::EnumAccountNames(std::vector<std::string>& names,
                                std::vector<SkippedAccountName>* skipped) {
    return ::tolvane::EnumAccountNames(names, skipped);
}

bool CAccount::DeleteAccountKey(const std::string& name) {
    return ::tolvane::DeleteAccountKey(name);
}

// --- store file

int CAccount::StoreMails(bool bSave) {
    if (m_strName.empty()) {
        return 0; // never loaded: no file of its own
    }
    const std::filesystem::path path = StoreFilePath(m_strName);
    if (bSave) {
        return m_bNewMailOnly == 1 && !m_mails.empty() ? WriteStore(path) : RemoveStore(path);
    }
    if (m_bNewMailOnly != 1) {
        return 0;
    }
    const auto loadTime = static_cast<uint32_t>(Clock().Now());
    if (ReadMailStore(path, loadTime, m_mails) == StoreReadResult::Ok) {
        CompactMails();
    }
    return 0;
}

int CAccount::WriteStore(const std::filesystem::path& path) {
    std::string bytes = EncodeMailStore(m_mails);
    // Saved after every check and again at exit: a file that already holds exactly what
    // this account wrote last is left alone.
    struct stat st {};
    if (bytes == m_strStoreWritten && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<size_t>(st.st_size) == bytes.size()) {
        return 0;
    }
    if (!WriteFileAtomic(path, bytes, 0600)) {
        const int error = errno;
        m_strStoreWritten.clear();
        return error; // the old file stays as it was
    }
    m_strStoreWritten = std::move(bytes);
    return 0;
}

int CAccount::RemoveStore(const std::filesystem::path& path) {
    m_strStoreWritten.clear();
    std::error_code error;
    std::filesystem::remove(path, error); // a missing file is no error
    return error ? error.value() : 0;
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
