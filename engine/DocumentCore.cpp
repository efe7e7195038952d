#include "engine/DocumentCore.h"

#include "engine/JobTexts.h"
#include "engine/OAuthTokens.h"
#include "engine/PasswordMove.h"
#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Options.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <new>

namespace tolvane {

CDocumentCore::CDocumentCore(IHost* pHost) : m_pHost(pHost) {}

CDocumentCore::~CDocumentCore() {
    Close();
}

namespace {

// The name as the file holds it, its control characters made visible.
std::string VisibleName(const std::string& nameUtf8) {
    std::string visible;
    for (char c : nameUtf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            visible += escaped;
        } else {
            visible += c;
        }
    }
    return Utf8ToCp932(visible);
}

const char* SkipText(AccountNameFault fault) {
    switch (fault) {
    case AccountNameFault::ControlCharacter:
        return txt::kAccountNameControl;
    case AccountNameFault::NotCp932:
        return txt::kAccountNameNotCp932;
    case AccountNameFault::TooLong:
        break;
    }
    return txt::kAccountNameTooLong;
}

} // namespace

void CDocumentCore::LogSettingsNotices(const std::vector<SkippedAccountName>& skipped) {
    for (const std::string& notice : TakeSettingsNotices()) {
        AppendLog(notice);
    }
    for (const SkippedAccountName& account : skipped) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        m_arrSkippedAccounts.push_back(
            SjisFormat(SkipText(account.fault), VisibleName(account.nameUtf8).c_str()));
#pragma GCC diagnostic pop
        AppendLog(m_arrSkippedAccounts.back());
    }
}

bool CDocumentCore::Create() {
    std::vector<std::string> names;
    std::vector<SkippedAccountName> skipped;
    CAccount::EnumAccountNames(names, &skipped);
    LogSettingsNotices(skipped);
    for (const std::string& name : names) {
        std::unique_ptr<CAccount> account(new (std::nothrow)
                                              CAccount(&CConnectionLog::Report, &m_log));
        if (!account) {
            ShowMessage(Sjis(txt::kOutOfMemory), MsgButtons::Ok, MsgIcon::Stop);
            return false;
        }
        if (account->Load(name, true)) {
            account->m_pTokenSource = &SharedOAuthTokens();
            m_arrAccounts.push_back(std::move(account));
        }
    }
    ReadOptions();
    if (options::GetSaveLog() == 1) {
        m_log.OpenLogFile(m_bNewSave == 1);
    }
    return true;
}

void CDocumentCore::ReadOptions() {
    m_bAutoCheck = options::GetAutoCheck();
    m_nAutoCheckInterval = options::GetAutoCheckInterval();
    m_bAutoReport = options::GetAutoReport();
    m_nReportDisplayMode = options::GetReportDisplayMode();
    m_bNewSave = options::GetNewSave();
    m_nParallelChecks = options::GetParallelChecks();
}

void CDocumentCore::ReloadOptions() {
    ReadOptions();
    const bool bWanted = options::GetSaveLog() == 1;
    if (bWanted && !m_log.IsSaving()) {
        m_log.OpenLogFile(false);
    } else if (!bWanted && m_log.IsSaving()) {
        m_log.CloseLogFile();
    }
}

JobEntries CDocumentCore::MakeEntries() const {
    if (m_arrAccounts.empty()) {
        return nullptr;
    }
    try {
        auto entries = std::make_unique<std::vector<CJobEntry>>(m_arrAccounts.size());
        for (size_t i = 0; i < entries->size(); ++i) {
            (*entries)[i].m_nAccount = static_cast<int32_t>(i);
        }
        return entries;
    } catch (const std::bad_alloc&) {
        ShowMessage(Sjis(txt::kOutOfMemory), MsgButtons::Ok, MsgIcon::Stop);
        return nullptr;
    }
}

JobEntries CDocumentCore::BuildDeleteEntries(const std::vector<CMail*>& marked) const {
    JobEntries entries = MakeEntries();
    if (!entries) {
        return nullptr;
    }
    try {
        for (CMail* mail : marked) {
            for (size_t i = 0; i < m_arrAccounts.size(); ++i) {
                if (m_arrAccounts[i]->m_strName == mail->m_strAccount) {
                    (*entries)[i].m_arrMails.push_back(mail);
                }
            }
        }
    } catch (const std::bad_alloc&) {
        ShowMessage(Sjis(txt::kOutOfMemory), MsgButtons::Ok, MsgIcon::Stop);
        return nullptr;
    }
    return entries;
}

JobEntries CDocumentCore::BuildReloadEntries(const std::vector<CMail*>& selected) const {
    JobEntries entries = MakeEntries();
    if (!entries) {
        return nullptr;
    }
    try {
        for (CMail* mail : selected) {
            for (size_t i = 0; i < m_arrAccounts.size(); ++i) {
                if (m_arrAccounts[i]->m_strName == mail->m_strAccount) {
                    (*entries)[i].m_arrMails.push_back(mail);
                    break;
                }
            }
        }
    } catch (const std::bad_alloc&) {
        ShowMessage(Sjis(txt::kOutOfMemory), MsgButtons::Ok, MsgIcon::Stop);
        return nullptr;
    }
    return entries;
}

bool CDocumentCore::BeginJob() {
    OnBusyWindow(true);
    m_bBusy = 1;
    SetCheckTimer(false);
    if (!m_pWorker) {
        auto worker = std::make_unique<CWorker>(m_pHost);
        worker->SetDocument(this);
        if (worker->Start()) {
            m_pWorker = std::move(worker);
        }
    }
    if (m_pWorker) {
        m_pWorker->SetParallelChecks(m_nParallelChecks); // the options may have changed
    }
    return m_pWorker != nullptr;
}

void CDocumentCore::EndJob() {
    SetCheckTimer(m_bAutoCheck == 1);
    m_bBusy = 0;
    OnBusyWindow(false);
}

bool CDocumentCore::StartCheck(int32_t index) {
    if (!BeginJob() || !m_pWorker->PostCheck(index)) {
        EndJob(); // a job without a worker would never complete
        return false;
    }
    SetTrayTip(JobKind::Check);
    return true;
}

bool CDocumentCore::StartDelete(JobEntries entries) {
    if (!BeginJob() || !m_pWorker->PostDelete(std::move(entries))) {
        EndJob();
        return false;
    }
    SetTrayTip(JobKind::Delete);
    return true;
}

bool CDocumentCore::StartReload(unsigned lines, JobEntries entries) {
    if (!BeginJob() || !m_pWorker->PostReload(lines, std::move(entries))) {
        EndJob();
        return false;
    }
    SetTrayTip(JobKind::Reload);
    return true;
}

bool CDocumentCore::HasPasswordsToMove() const {
    return std::any_of(m_arrAccounts.begin(), m_arrAccounts.end(),
                       [](const auto& account) { return IsPasswordToMove(*account); });
}

bool CDocumentCore::StartPasswordMove() {
    if (!BeginJob() || !m_pWorker->PostPasswordMove()) {
        EndJob();
        return false;
    }
    return true;
}

void CDocumentCore::OnPasswordMoveComplete() {
    EndJob();
}

void CDocumentCore::OnJobComplete() {
    SaveStores(); // what the check saw survives a crash or a power cut
    EndJob();
}

bool CDocumentCore::SaveStores() {
    bool bAllSaved = true;
    for (const auto& account : m_arrAccounts) {
        const int error = account->StoreMails(true);
        if (error == 0) {
            m_failedStores.erase(account->m_strName);
            continue;
        }
        bAllSaved = false;
        if (m_failedStores.insert(account->m_strName).second) {
            OnStoreSaveFailed(*account, error);
        }
    }
    return bAllSaved;
}

std::string CDocumentCore::StoreSaveFailedText(const CAccount& account, int error) {
    const std::string path = Utf8ToCp932(StoreFilePath(account.m_strName).string());
    return SjisFormat(txt::kStoreSaveFailed, account.m_strName.c_str(), path.c_str(),
                      Utf8ToCp932(std::strerror(error)).c_str());
}

void CDocumentCore::OnStoreSaveFailed(const CAccount& account, int error) {
    AppendLog(StoreSaveFailedText(account, error));
}

void CDocumentCore::OnReloadComplete() {
    EndJob();
}

bool CDocumentCore::IsMailHeld() const {
    for (const auto& account : m_arrAccounts) {
        if (account->GetMailCount() > 0) {
            return true;
        }
    }
    return false;
}

void CDocumentCore::Cancel() {
    if (m_pWorker) {
        m_pWorker->AccessCurrentAccount(1, std::nullopt);
    }
}

bool CDocumentCore::CanCancel() {
    return m_pWorker && m_pWorker->AccessCurrentAccount(std::nullopt, std::nullopt) == 0 &&
           m_bBusy == 1;
}

bool CDocumentCore::Close() {
    if (m_bClosed) {
        return false;
    }
    m_bClosed = true;
    SetCheckTimer(false);
    // The worker goes first: a job still under way must not outlive the accounts it uses.
    m_pWorker.reset();
    // The stores first, so that what the run saw is kept (and its failure told) before
    // anything else can fail; the accounts' own save at destruction then finds nothing
    // changed.
    const bool bStored = SaveStores();
    ProfileBatch changes;
    for (const auto& account : m_arrAccounts) {
        account->AddChanges(changes);
    }
    if (!changes.Commit()) {
        ShowMessage(Sjis(txt::kRegistryWriteFailed), MsgButtons::Ok, MsgIcon::Stop);
    }
    for (auto& account : m_arrAccounts) {
        account->SetReport(nullptr, nullptr);
        account.reset();
    }
    m_arrAccounts.clear();
    if (m_log.IsSaving()) {
        m_log.CloseLogFile();
    }
    return bStored;
}

void CDocumentCore::AddAccount(std::unique_ptr<CAccount> account) {
    assert(m_bBusy == 0 && "the worker reads the accounts without a lock");
    account->m_pTokenSource = &SharedOAuthTokens();
    m_arrAccounts.push_back(std::move(account));
}

std::unique_ptr<CAccount> CDocumentCore::TakeAccount(size_t index) {
    assert(m_bBusy == 0 && "the worker reads the accounts without a lock");
    assert(index < m_arrAccounts.size());
    std::unique_ptr<CAccount> account = std::move(m_arrAccounts[index]);
    m_arrAccounts.erase(m_arrAccounts.begin() + static_cast<std::ptrdiff_t>(index));
    return account;
}

int CDocumentCore::GetAccountCount() const {
    return static_cast<int>(m_arrAccounts.size());
}

CAccount* CDocumentCore::GetAccount(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_arrAccounts.size()) {
        return nullptr;
    }
    return m_arrAccounts[static_cast<size_t>(index)].get();
}

void CDocumentCore::AppendLog(const std::string& textCp932) {
    m_log.AppendLog(textCp932);
}

} // namespace tolvane
