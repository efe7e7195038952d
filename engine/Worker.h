// CWorker: the worker thread that runs every server job in the document's account order:
// deletions, reloads and the check of one account one account at a time; the check of all
// accounts with up to SetParallelChecks connections at once (engine/ParallelCheck.h), its
// log, titles and menu texts reading as if one account came after the other.
//
// Contract:
// - SetDocument, then Start: the thread saves the host's window title (once for its life)
//   and is then ready; Start returns only when it is, so no posted job is lost.
// - Jobs are messages on the worker's own queue, handled in order: WM_WORKER_CHECK (account
//   index or -1 for all), WM_WORKER_DELETE and WM_WORKER_RELOAD (the entries, owned by the
//   message and freed when the job ends), WM_WORKER_MOVE_PASSWORDS (the file's passwords
//   into the keyring, engine/PasswordMove.h; it ends with ID_PASSWORDS_MOVED and touches
//   no title, menu text or outcome). Each job ends by posting its completion command to
//   the host; a deletion that had anything to delete runs a full check first, so
//   ID_CHECK_COMPLETE arrives before ID_DELETE_COMPLETE.
// - m_cs is held only inside AccessCurrentAccount; the socket reads its cancel flag itself.
//   During a check side by side the current account is the first unfinished one: the
//   title and the cancel command name it, and a cancel stops it.
// - The worker reads the account list and the accounts' settings without a lock: the
//   document starts no other change while a job runs (its busy state).
// - Outcomes: for the latest job message on the servers the worker records per account whether it
// was
//   processed and with which result; read them after that job's completion command.
// - Destruction abandons the job under way (every wait of its connection ends at once,
//   QUIT's too; every connection of a check side by side), skips the accounts still to
//   come, drops queued jobs, and joins the thread before the object goes away.
#pragma once

#include "engine/Account.h"
#include "engine/Host.h"
#include "engine/JobEntry.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tolvane {

class CParallelCheck;

enum : unsigned {
    WM_WORKER_QUIT = 0x0012,
    WM_WORKER_CHECK = 0x0401,
    WM_WORKER_DELETE = 0x0402,
    WM_WORKER_RELOAD = 0x0404,
    WM_WORKER_MOVE_PASSWORDS = 0x0405,
};

// What the worker needs of the document: its accounts and its log.
class IWorkerDocument {
public:
    virtual ~IWorkerDocument() = default;
    virtual int GetAccountCount() const = 0;
    virtual CAccount* GetAccount(int index) const = 0; // nullptr outside the list
    virtual void AppendLog(const std::string& textCp932) = 0;
};

using JobEntries = std::unique_ptr<std::vector<CJobEntry>>;

// Result of one account in the latest job; a later step keeps the worse one.
enum AccountOutcome : int32_t {
    OUTCOME_NONE = 0,      // not processed (skipped as disabled, or not asked for)
    OUTCOME_OK = 1,        // every step succeeded
    OUTCOME_CANCELLED = 2, // the user stopped it (cancel, or declined the deletion)
    OUTCOME_FAILED = 3,    // connection, login or job failure
};

class CWorker {
public:
    explicit CWorker(IHost* pHost);
    ~CWorker();
    CWorker(const CWorker&) = delete;
    CWorker& operator=(const CWorker&) = delete;

    void SetDocument(IWorkerDocument* pDoc);
    // Accounts a check of all connects to at once, held within the option's range; 1 (the
    // default) checks them one after the other. Takes effect from the next job.
    void SetParallelChecks(int32_t count);
    // Starts the thread and waits until it runs. False when it could not be started.
    bool Start();

    // Thread messages; false when the worker has no running thread.
    bool PostCheck(int32_t target);
    bool PostDelete(JobEntries entries);
    bool PostReload(unsigned lines, JobEntries entries);
    bool PostPasswordMove();

    // The single locked entry to the current account:
    //   value, no account: request cancel: sets the current account's cancel flag to value
    //     (1), or 0 when there is none;
    //   no value, account: the current account becomes account (may be nullptr); 1;
    //   neither: the current account's cancel flag, or 1 without a current account;
    //   both: 0, nothing changes.
    int AccessCurrentAccount(std::optional<int32_t> value, std::optional<CAccount*> account);

    // Per account index, the outcome of the latest job message (see the contract).
    std::vector<int32_t> GetOutcomes() const;

    // Handlers, run on the worker thread.
    // target: an account index, or -1 for every account.
    void OnCheckMail(int32_t target);
    void OnDeleteMail(JobEntries entries);
    void OnReloadMail(unsigned lines, JobEntries entries);
    void OnMovePasswords();
    // 1 when the account's logout succeeded, 0 when it failed or no connection opened
    // (logged by the account's jobs).
    int CheckAccount(int index, bool bAllAccounts);

private:
    // One request in the worker's queue; each kind uses only its own fields.
    struct JobRequest {
        unsigned m_nMessage = 0; // WM_WORKER_CHECK, _DELETE, _RELOAD, _MOVE_PASSWORDS or _QUIT
        int32_t m_nTarget = -1;  // a check: the account index, or -1 for every account
        unsigned m_nLines = 0;   // a reload: the body lines to fetch
        JobEntries m_entries;    // a deletion or a reload: entry i for account i
    };

    bool Post(JobRequest request);
    void Run();
    void LogTimeStamped(const char* openingUtf8);
    void Log(const std::string& textCp932);
    std::string TitleWith(const CAccount& account, const char* activityUtf8) const;
    bool IsCancelled(CAccount& account);
    // Title, cancel command and current account for account (nullptr: none is current).
    void ShowCurrent(CAccount* account);
    // The check's steps on one account, after ShowCurrent: connection, login, check,
    // logout; progress and questions go to host. CheckAccount's result.
    int RunCheckSteps(int index, CAccount& account, IHost& host);
    void CheckAllSideBySide();
    // Steps of one deletion or reload entry: title, current account, connection, login,
    // the job, logout, logging failedText / incompleteText where those steps fail. The job
    // returns its outcome; an account whose cancel flag is set ends OUTCOME_CANCELLED.
    void RunEntryJob(CJobEntry& entry, CAccount& account, const char* titleUtf8,
                     const std::string& failedText, const std::string& incompleteText,
                     const std::function<int32_t(CAccount&)>& job);
    // The texts of one kind of entry job (UTF-8 string-table formats).
    struct EntryTexts {
        const char* opening;    // time-stamped, before the first non-empty entry
        const char* title;      // the title's activity
        const char* failed;     // %s: the connection could not be opened
        const char* incomplete; // %s: the job or the logout failed
    };
    // Runs job on the first count entries that have mails and an account, in order.
    // Returns whether any entry ran (the opening line was logged).
    bool RunEntries(std::vector<CJobEntry>& entries, size_t count, const EntryTexts& texts,
                    const std::function<int32_t(CAccount&, CJobEntry&)>& job);
    void ResetOutcomes();
    void Record(int index, int32_t outcome);

    IHost* m_pHost = nullptr;
    IWorkerDocument* m_pDoc = nullptr;
    std::string m_strTitle;

    std::mutex m_cs; // guards m_pAccount and the cancel requests made through the worker
    CAccount* m_pAccount = nullptr;

    std::mutex m_queueLock;
    std::condition_variable m_queueReady;
    std::deque<JobRequest> m_queue;
    bool m_bRunning = false;

    mutable std::mutex m_outcomeLock;
    std::vector<int32_t> m_outcomes;

    std::atomic<int32_t> m_nParallelChecks{1};
    std::mutex m_parallelLock; // guards m_pParallel, so that destruction reaches the check
    CParallelCheck* m_pParallel = nullptr;

    std::atomic<bool> m_bStopping{false};
    std::thread m_thread;
};

} // namespace tolvane
