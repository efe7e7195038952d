#include "engine/Worker.h"

#include "engine/Clock.h"
#include "engine/JobTexts.h"
#include "engine/ParallelCheck.h"
#include "engine/PasswordMove.h"
#include "platform/CodePage.h"
#include "platform/Options.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <system_error>

namespace tolvane {

CWorker::CWorker(IHost* pHost) : m_pHost(pHost) {}

CWorker::~CWorker() {
    if (!m_thread.joinable()) {
        return;
    }
    m_bStopping = true;
    // The program is ending: no wait of the job under way may hold it up, not even QUIT's.
    AccessCurrentAccount(CPop3Socket::kCancelAbandon, std::nullopt);
    {
        std::lock_guard lock(m_parallelLock);
        if (m_pParallel != nullptr) {
            m_pParallel->Abandon(); // every account of a check side by side
        }
    }
    {
        std::lock_guard lock(m_queueLock);
        JobRequest quit;
        quit.m_nMessage = WM_WORKER_QUIT;
        m_queue.push_back(std::move(quit));
    }
    m_queueReady.notify_all();
    m_thread.join();
}

void CWorker::SetDocument(IWorkerDocument* pDoc) {
    m_pDoc = pDoc;
    AccessCurrentAccount(std::nullopt, nullptr);
}

bool CWorker::Start() {
    if (m_thread.joinable() || m_pDoc == nullptr || m_pHost == nullptr) {
        return false;
    }
    try {
        m_thread = std::thread(&CWorker::Run, this);
    } catch (const std::system_error&) {
        return false;
    }
    std::unique_lock lock(m_queueLock);
    m_queueReady.wait(lock, [this] { return m_bRunning; });
    return true;
}

bool CWorker::Post(JobRequest request) {
    {
        std::lock_guard lock(m_queueLock);
        if (!m_bRunning || m_bStopping) {
            return false;
        }
        m_queue.push_back(std::move(request));
    }
    m_queueReady.notify_all();
    return true;
}

bool CWorker::PostCheck(int32_t target) {
    JobRequest request;
    request.m_nMessage = WM_WORKER_CHECK;
    request.m_nTarget = target;
    return Post(std::move(request));
}

bool CWorker::PostDelete(JobEntries entries) {
    JobRequest request;
    request.m_nMessage = WM_WORKER_DELETE;
    request.m_entries = std::move(entries);
    return Post(std::move(request));
}

bool CWorker::PostReload(unsigned lines, JobEntries entries) {
    JobRequest request;
    request.m_nMessage = WM_WORKER_RELOAD;
    request.m_nLines = lines;
    request.m_entries = std::move(entries);
    return Post(std::move(request));
}

bool CWorker::PostPasswordMove() {
    JobRequest request;
    request.m_nMessage = WM_WORKER_MOVE_PASSWORDS;
    return Post(std::move(request));
}

void CWorker::Run() {
    m_strTitle = m_pHost->GetWindowText();
    {
        std::lock_guard lock(m_queueLock);
        m_bRunning = true;
    }
    m_queueReady.notify_all();
    for (;;) {
        JobRequest request;
        {
            std::unique_lock lock(m_queueLock);
            m_queueReady.wait(lock, [this] { return !m_queue.empty(); });
            request = std::move(m_queue.front());
            m_queue.pop_front();
            if (request.m_nMessage == WM_WORKER_QUIT || m_bStopping) {
                m_bRunning = false;
                m_queue.clear(); // queued jobs free their entries here
                return;
            }
        }
        if (request.m_nMessage != WM_WORKER_MOVE_PASSWORDS) {
            ResetOutcomes(); // the outcomes stay those of the latest job on the servers
        }
        switch (request.m_nMessage) {
        case WM_WORKER_CHECK:
            OnCheckMail(request.m_nTarget);
            break;
        case WM_WORKER_DELETE:
            OnDeleteMail(std::move(request.m_entries));
            break;
        case WM_WORKER_RELOAD:
            OnReloadMail(request.m_nLines, std::move(request.m_entries));
            break;
        case WM_WORKER_MOVE_PASSWORDS:
            OnMovePasswords();
            break;
        default:
            break;
        }
    }
}

int CWorker::AccessCurrentAccount(std::optional<int32_t> value, std::optional<CAccount*> account) {
    std::lock_guard lock(m_cs);
    if (value && account) {
        return 0;
    }
    if (value) {
        if (m_pAccount == nullptr) {
            return 0;
        }
        m_pAccount->m_socket.RequestCancel(*value);
        return 1;
    }
    if (account) {
        m_pAccount = *account;
        return 1;
    }
    return m_pAccount ? m_pAccount->m_socket.GetCancel() : 1;
}

std::vector<int32_t> CWorker::GetOutcomes() const {
    std::lock_guard lock(m_outcomeLock);
    return m_outcomes;
}

void CWorker::ResetOutcomes() {
    const int count = m_pDoc->GetAccountCount();
    std::lock_guard lock(m_outcomeLock);
    m_outcomes.assign(static_cast<size_t>(std::max(count, 0)), OUTCOME_NONE);
}

void CWorker::Record(int index, int32_t outcome) {
    std::lock_guard lock(m_outcomeLock);
    if (index >= 0 && static_cast<size_t>(index) < m_outcomes.size()) {
        m_outcomes[static_cast<size_t>(index)] =
            std::max(m_outcomes[static_cast<size_t>(index)], outcome);
    }
}

void CWorker::Log(const std::string& textCp932) {
    m_pDoc->AppendLog(textCp932);
}

void CWorker::LogTimeStamped(const char* openingUtf8) {
    const std::tm local = Clock().ToLocal(Clock().Now());
    char stamp[128] = {};
    std::strftime(stamp, sizeof stamp, txt::kTimeStampFormat, &local);
    Log(Utf8ToCp932(stamp) + Sjis(openingUtf8));
}

std::string CWorker::TitleWith(const CAccount& account, const char* activityUtf8) const {
    return m_strTitle + Sjis(txt::kOpenBracket) + account.m_strName + Sjis(activityUtf8);
}

bool CWorker::IsCancelled(CAccount& account) {
    return account.m_socket.GetCancel() != 0;
}

void CWorker::OnCheckMail(int32_t target) {
    LogTimeStamped(txt::kCheckStart);
    if (target == -1 && m_nParallelChecks.load() > 1) {
        CheckAllSideBySide();
    } else if (target == -1) {
        const int count = m_pDoc->GetAccountCount();
        for (int index = 0; index < count && !m_bStopping; ++index) {
            CheckAccount(index, true);
        }
    } else if (!m_bStopping) {
        CheckAccount(target, false);
    }
    Log(Sjis(txt::kCheckDone));
    m_pHost->SetWindowText(m_strTitle);
    m_pHost->SetCancelMenuText(Sjis(txt::kCancelMenu));
    m_pHost->PostCommand(ID_CHECK_COMPLETE);
}

void CWorker::SetParallelChecks(int32_t count) {
    m_nParallelChecks = std::clamp(count, options::kMinParallelChecks, options::kMaxParallelChecks);
}

void CWorker::ShowCurrent(CAccount* account) {
    if (account != nullptr) {
        m_pHost->SetWindowText(TitleWith(*account, txt::kTitleChecking));
        m_pHost->SetCancelMenuText(account->m_strName + Sjis(txt::kCancelMenuAccount));
    }
    AccessCurrentAccount(std::nullopt, account);
}

void CWorker::CheckAllSideBySide() {
    std::vector<ParallelCheckAccount> accounts;
    const int count = m_pDoc->GetAccountCount();
    for (int index = 0; index < count; ++index) {
        CAccount* account = m_pDoc->GetAccount(index);
        if (account != nullptr && account->m_bEnable != 0) {
            accounts.push_back({index, account});
        }
    }
    CParallelCheck check(m_pHost, m_nParallelChecks.load());
    {
        std::lock_guard lock(m_parallelLock);
        if (m_bStopping) {
            return;
        }
        m_pParallel = &check;
    }
    check.Run(
        accounts,
        [this](int index, CAccount& account, IHost& host) { RunCheckSteps(index, account, host); },
        [this](CAccount* account) { ShowCurrent(account); });
    std::lock_guard lock(m_parallelLock);
    m_pParallel = nullptr;
}

int CWorker::CheckAccount(int index, bool bAllAccounts) {
    CAccount* account = m_pDoc->GetAccount(index);
    if (account == nullptr) {
        return 0; // an index outside the list names no account
    }
    if (bAllAccounts && account->m_bEnable == 0) {
        return 1;
    }
    ShowCurrent(account);
    const int result = RunCheckSteps(index, *account, *m_pHost);
    AccessCurrentAccount(std::nullopt, nullptr);
    return result;
}

int CWorker::RunCheckSteps(int index, CAccount& account, IHost& host) {
    if (!account.OpenConnection()) {
        Record(index, IsCancelled(account) ? OUTCOME_CANCELLED : OUTCOME_FAILED);
        return 0;
    }
    if (m_bStopping) {
        // The connect cleared an earlier request.
        account.m_socket.RequestCancel(CPop3Socket::kCancelAbandon);
    }
    if (account.Login()) {
        const int code = account.CheckMail(m_strTitle, &host);
        Record(index, code == POP3_OK          ? OUTCOME_OK
                      : code == POP3_CANCELLED ? OUTCOME_CANCELLED
                                               : OUTCOME_FAILED);
    } else {
        Record(index, IsCancelled(account) ? OUTCOME_CANCELLED : OUTCOME_FAILED);
    }
    return account.Logout() ? 1 : 0;
}

void CWorker::RunEntryJob(CJobEntry& entry, CAccount& account, const char* titleUtf8,
                          const std::string& failedText, const std::string& incompleteText,
                          const std::function<int32_t(CAccount&)>& job) {
    m_pHost->SetWindowText(TitleWith(account, titleUtf8));
    AccessCurrentAccount(std::nullopt, &account);
    int32_t outcome = OUTCOME_OK;
    if (!account.OpenConnection()) {
        Log(failedText);
        outcome = OUTCOME_FAILED;
    } else {
        if (m_bStopping) {
            // The connect cleared an earlier request.
            account.m_socket.RequestCancel(CPop3Socket::kCancelAbandon);
        }
        if (account.Login()) {
            outcome = job(account);
            if (outcome == OUTCOME_FAILED) {
                Log(incompleteText);
            }
        } else {
            outcome = OUTCOME_FAILED;
        }
        if (!account.Logout()) {
            Log(incompleteText);
            outcome = OUTCOME_FAILED;
        }
    }
    // A job the user stopped ends "normally" (it restores what it began), but its work
    // was not done.
    if (IsCancelled(account)) {
        outcome = OUTCOME_CANCELLED;
    }
    Record(entry.m_nAccount, outcome);
    AccessCurrentAccount(std::nullopt, nullptr);
}

bool CWorker::RunEntries(std::vector<CJobEntry>& entries, size_t count, const EntryTexts& texts,
                         const std::function<int32_t(CAccount&, CJobEntry&)>& job) {
    bool bStarted = false;
    for (size_t i = 0; i < count && !m_bStopping; ++i) {
        CJobEntry& entry = entries[i];
        CAccount* account = m_pDoc->GetAccount(entry.m_nAccount);
        if (entry.m_arrMails.empty() || account == nullptr) {
            continue;
        }
        if (!bStarted) {
            LogTimeStamped(texts.opening);
            bStarted = true;
        }
        // The formats are string-table constants, each with the account name as its one %s.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        std::string failed = SjisFormat(texts.failed, account->m_strName.c_str());
        std::string incomplete = SjisFormat(texts.incomplete, account->m_strName.c_str());
#pragma GCC diagnostic pop
        RunEntryJob(entry, *account, texts.title, failed, incomplete,
                    [&](CAccount& target) { return job(target, entry); });
    }
    return bStarted;
}

void CWorker::OnDeleteMail(JobEntries entries) {
    const size_t count = entries ? entries->size() : 0;
    const EntryTexts texts{txt::kDeleteStart, txt::kTitleDeleting, txt::kDeleteAccountFailed,
                           txt::kDeleteIncomplete};
    const bool bStarted =
        entries && RunEntries(*entries, count, texts, [&](CAccount& target, CJobEntry& entry) {
            int nLast = 0;
            const bool ok =
                target.UsesSimpleDelete()
                    ? target.SimpleDeleteMails(entry.m_arrMails, m_strTitle, m_pHost, nLast)
                    : target.DeleteMarked(entry.m_arrMails, m_strTitle, m_pHost, nLast, false);
            // Stopped or declined: nothing of this connection was deleted.
            return !ok ? OUTCOME_FAILED : nLast == POP3_CANCELLED ? OUTCOME_CANCELLED : OUTCOME_OK;
        });
    entries.reset(); // the mails stay with their accounts
    if (bStarted) {
        Log(Sjis(txt::kDeleteDone));
        OnCheckMail(-1);
    }
    m_pHost->PostCommand(ID_DELETE_COMPLETE);
}

void CWorker::OnReloadMail(unsigned lines, JobEntries entries) {
    const size_t accounts = static_cast<size_t>(std::max(m_pDoc->GetAccountCount(), 0));
    const size_t count = entries ? std::min(accounts, entries->size()) : 0;
    const EntryTexts texts{txt::kReloadStart, txt::kTitleReloading, txt::kReloadAccountFailed,
                           txt::kReloadIncomplete};
    if (entries) {
        RunEntries(*entries, count, texts, [&](CAccount& target, CJobEntry& entry) {
            return target.ReloadMails(entry.m_arrMails, lines, m_strTitle, m_pHost)
                       ? OUTCOME_OK
                       : OUTCOME_FAILED;
        });
    }
    entries.reset();
    Log(Sjis(txt::kReloadDone));
    m_pHost->SetWindowText(m_strTitle);
    m_pHost->PostCommand(ID_RELOAD_COMPLETE);
}

void CWorker::OnMovePasswords() {
    std::vector<CAccount*> accounts;
    accounts.reserve(static_cast<size_t>(std::max(m_pDoc->GetAccountCount(), 0)));
    for (int index = 0; index < m_pDoc->GetAccountCount(); ++index) {
        accounts.push_back(m_pDoc->GetAccount(index));
    }
    if (!m_bStopping) {
        MovePasswordsToKeyring(accounts, [this](const std::string& text) { Log(text); });
    }
    m_pHost->PostCommand(ID_PASSWORDS_MOVED);
}

} // namespace tolvane
