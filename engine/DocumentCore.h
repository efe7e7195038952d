// CDocumentCore: what every front end's document does without a window: it owns the
// accounts (in settings order), the connection log and the worker, keeps the copies of the
// options, builds the job requests, starts jobs, finishes them and closes down.
//
// Contract:
// - Create loads the accounts (each reports through the log) and the options, and opens
//   the log file when SaveLog is on. A record that cannot be allocated shows the
//   out-of-memory message and fails the creation; an account whose values fail to load is
//   dropped silently. The log first gets the settings' notices (TakeSettingsNotices), then
//   one text per account key skipped for its name (kept in m_arrSkippedAccounts too, for a
//   front end that hides the log). A settings file that cannot be read does not fail
//   Create: the program runs on defaults; front ends learn of it from CheckSettingsFile
//   (platform/Profile.h).
// - Jobs: Start* set the busy state, create the worker on the first job and post the
//   request; the completion commands come back through the host given at construction,
//   and the front end calls OnJobComplete / OnReloadComplete for them (on its own thread).
// - While busy the front end must not change the accounts or the options: the worker
//   reads them without a lock.
// - Passwords at start: when HasPasswordsToMove, a front end calls StartPasswordMove after
//   Create (before any other job); the worker moves them into the keyring
//   (engine/PasswordMove.h) while the document is busy, and the front end calls
//   OnPasswordMoveComplete for ID_PASSWORDS_MOVED. Nothing of it runs on the caller's
//   thread, so the GUI thread never waits on the keyring.
// - Window parts of a job (system menu, list window, tray tip, check timer) are the
//   virtual hooks; a front end without windows leaves them as they are.
// - Stores: SaveStores writes the store of every new-mail-only account (and removes those
//   of the others) after each completed check (OnJobComplete) and at Close, so that a
//   crash never makes seen mails new again. A store that cannot be saved goes to the
//   OnStoreSaveFailed hook, once for an account until its store is saved again.
// - Close (also run by the destructor): stops the worker first (a job under way is
//   cancelled and joined), saves the stores, then writes back what changed in the accounts
//   (CAccount::AddChanges: never an account another process removed) in one file write,
//   showing the write-failure message when it fails, destroys the accounts, then closes
//   the log file. A front end that overrides a hook calls Close in its own destructor,
//   while its overrides still exist.
#pragma once

#include "engine/Account.h"
#include "engine/ConnectionLog.h"
#include "engine/Host.h"
#include "engine/Worker.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tolvane {

enum class JobKind { Check, Delete, Reload };

class CDocumentCore : public IWorkerDocument {
public:
    explicit CDocumentCore(IHost* pHost);
    ~CDocumentCore() override;
    CDocumentCore(const CDocumentCore&) = delete;
    CDocumentCore& operator=(const CDocumentCore&) = delete;

    bool Create();
    // Re-reads the options; SaveLog switched on opens the file for appending, switched
    // off closes it.
    void ReloadOptions();

    // Job requests. Entries: one per account, entry i for account i; nullptr when there
    // are no accounts or no memory (the message has been shown then).
    JobEntries BuildDeleteEntries(const std::vector<CMail*>& marked) const;
    JobEntries BuildReloadEntries(const std::vector<CMail*>& selected) const;
    // Each returns false (and leaves the busy state) when the worker could not be started.
    bool StartCheck(int32_t index);
    bool StartDelete(JobEntries entries);
    bool StartReload(unsigned lines, JobEntries entries);
    // Whether an account still keeps its password in the settings file (PasswordStore 0);
    // then StartPasswordMove starts the move on the worker (false: it could not be started).
    bool HasPasswordsToMove() const;
    bool StartPasswordMove();

    // Completion commands ID_CHECK_COMPLETE / ID_DELETE_COMPLETE (the stores are saved,
    // then the timer and the busy state) and ID_RELOAD_COMPLETE (the timer and the busy
    // state).
    void OnJobComplete();
    void OnReloadComplete();
    // Completion command ID_PASSWORDS_MOVED (the timer and the busy state).
    void OnPasswordMoveComplete();
    // True when any account holds at least one mail.
    bool IsMailHeld() const;

    // The cancel command and its enable rule.
    void Cancel();
    bool CanCancel();

    // Saves every account's store now; false when any could not be saved (reported).
    bool SaveStores();
    // The log text of a store that could not be saved (CP932): the account, the file and
    // the system's reason, and what it means for the next check.
    static std::string StoreSaveFailedText(const CAccount& account, int error);

    // True when every store was saved (false also when Close already ran).
    bool Close();

    // IWorkerDocument
    int GetAccountCount() const override;
    CAccount* GetAccount(int index) const override;
    void AppendLog(const std::string& textCp932) override;

    // What the windows read and change. The accounts change only while no job runs (the
    // worker reads them without a lock): AddAccount and TakeAccount assert it.
    bool IsBusy() const { return m_bBusy != 0; }
    const std::vector<std::unique_ptr<CAccount>>& Accounts() const { return m_arrAccounts; }
    CConnectionLog& Log() { return m_log; }
    void AddAccount(std::unique_ptr<CAccount> account);
    // Removes account index (which must exist) from the list and hands it over.
    std::unique_ptr<CAccount> TakeAccount(size_t index);

    std::vector<std::unique_ptr<CAccount>> m_arrAccounts;
    std::vector<std::string> m_arrSkippedAccounts; // CP932 log texts, see Create
    CConnectionLog m_log;
    std::unique_ptr<CWorker> m_pWorker;
    int32_t m_bAutoCheck = 0;
    int32_t m_nAutoCheckInterval = 30;
    int32_t m_bAutoReport = 1;
    int32_t m_nReportDisplayMode = 1;
    int32_t m_bNewSave = 1;
    int32_t m_nParallelChecks = 4; // accounts a check of all connects to at once
    int32_t m_bBusy = 0;

protected:
    // Window parts of a job's start (grey Close, disable the list) and end (enable them).
    virtual void OnBusyWindow(bool /*bBusy*/) {}
    virtual void SetTrayTip(JobKind /*kind*/) {}
    // The check timer with m_nAutoCheckInterval minutes, or off.
    virtual void SetCheckTimer(bool /*bOn*/) {}
    // A store that could not be saved (error: the errno), on the thread that saved. The
    // default appends StoreSaveFailedText to the log; the GUI shows it in a message box.
    virtual void OnStoreSaveFailed(const CAccount& account, int error);

private:
    void ReadOptions();
    void LogSettingsNotices(const std::vector<SkippedAccountName>& skipped);
    JobEntries MakeEntries() const;
    bool BeginJob();
    void EndJob();

    IHost* m_pHost = nullptr;
    bool m_bClosed = false;
    std::set<std::string> m_failedStores; // names of the accounts whose failure was told
};

} // namespace tolvane
