// CTolvaneDoc: the program's one document: CDocumentCore (accounts, log, worker, options,
// jobs) plus what windows add: the commands with their enable rules, the busy state
// shown in the windows, the check timer, the views' refills, the account menus, the quit
// question and the log in the information pane.
//
// - A command runs only if its rule holds when it arrives (OnCommand checks it; posted
//   commands arrive later than they were raised). "Idle" means not busy and the main
//   window not behind a modal window; for showing menus and buttons the modal part is
//   left out (a modal window blocks them anyway).
// - The completion commands (32806, 32807, 32836) always run: they end the busy state.
//   Each emits jobCompleted(id) when handled.
// - CloseDocument (also run by the destructor, first): answers every pending question
//   of the worker "not OK", stops the pane following the log, empties the list (it
//   borrows the records), then closes the core (worker joined, accounts written back and
//   destroyed, log file closed) and destroys the report window (its keys are written
//   then). After it, commands do nothing.
// - The report window (CReportDialog) is made by OnNewDocument, hidden and without an
//   owner, and refreshed after start-up, every check and the account dialog. After a
//   check: shown without taking the focus when AutoReport and ReportDisplayMode ask for
//   it; the SoundFile played when any mail is held; the desktop notification of new mail
//   (CMailNotifier) sent.
// - A check in which accounts could not be checked says so (CCheckFailures): the report
//   window marks their rows, the frame's status line, tray tip and tray icon show it
//   (FailedAccountCount), and the notification names each account once per failure.
// - Cancel (32839) is enabled for as long as a job of any kind runs, until the user has
//   cancelled the account the worker is on: its state then waits for the worker's next
//   step (OnWorkerStep, another account or the end) or the end of the busy state. The rule
//   reads only what the GUI thread holds, so no worker progress can leave it stale.
// - The options command runs the options sheet; every Apply, and its end whatever the
//   button, re-reads the options, opens or closes the log file and restarts the timer.
#pragma once

#include "app/CheckFailures.h"
#include "app/MailNotifier.h"
#include "engine/DocumentCore.h"

#include <QObject>

#include <cstdint>
#include <memory>

namespace tolvane {
class CReportDialog;
} // namespace tolvane

namespace tolvane::gui {

class CInformationView;
class CMainFrame;
class CMessageBoxHost;
class CTolvaneView;

class CTolvaneDoc final : public QObject, public CDocumentCore {
    Q_OBJECT
public:
    CTolvaneDoc(IHost* pHost, CMainFrame& frame, CMessageBoxHost* pMessages);
    ~CTolvaneDoc() override;

    // Finds the views, loads accounts and options, opens the log file. False: the
    // program cannot start (out of memory; the message has been shown).
    bool OnNewDocument();

    static bool HandlesCommand(int id);
    // bArriving: the command is about to run (the modal part of "idle" counts).
    bool IsCommandEnabled(int id, bool bArriving) const;
    // False when the command shows no tick.
    bool IsCommandChecked(int id, bool& bChecked) const;
    void OnCommand(int id);

    // Hints 0 and 1 to the views: the list empties and refills from the accounts.
    void UpdateAllViews();
    void RebuildAccountMenus();
    void ToggleAccount(int index);
    // Timer 2 as the options say (on with the interval, or off).
    void ArmCheckTimer();
    unsigned TotalMailCount() const;
    // Accounts the latest checks could not check (still in the list).
    int FailedAccountCount() const { return m_failures.Count(); }
    const CCheckFailures& Failures() const { return m_failures; }
    bool IsIdle(bool bArriving) const;
    // The worker has moved to another account or step of its job (its title or cancel
    // text changed): a cancel may be asked for again.
    void OnWorkerStep() { m_bCancelAsked = false; }

    // The quit question: false keeps the program running.
    bool SaveModified();
    void CloseDocument();
    bool IsClosed() const { return m_bDocClosed; }

    // The information pane's two modes (commands 32788 and 32789 of the frame).
    void ShowLogInPane();
    void ShowContentInPane();

    CReportDialog* ReportWindow() const { return m_pReport.get(); }
    CMailNotifier& Notifier() { return m_notifier; }

    int32_t m_bInfoShowsLog = 0;
    CTolvaneView* m_pListView = nullptr;
    CInformationView* m_pInfoView = nullptr;

Q_SIGNALS:
    void jobCompleted(int id);
    void busyChanged(bool bBusy);
    void exitRequested();

protected:
    void OnBusyWindow(bool bBusy) override;
    void SetTrayTip(JobKind kind) override;
    void SetCheckTimer(bool bOn) override;
    // Logs the failure and tells the user in a message box: the core calls it once per
    // account until that account's store is saved again.
    void OnStoreSaveFailed(const CAccount& account, int error) override;

private:
    void OnCheckComplete(int id);
    void OnReloadDone();
    void ClearReplacedMail();
    void RequestDelete();
    void RequestReload();
    void RunAccountsCommand();
    void AfterAccountsChanged();
    void RunOptionsCommand();
    void TakeOverOptions();
    void ShowLogViewer();
    void ToggleAutoCheck();

    void CreateReportWindow();
    bool RefreshReportWindow();
    void ShowReportAfterCheck();
    void PlayMailSound();
    void ShowReportWindow();

    CMainFrame& m_frame;
    CMessageBoxHost* m_pMessages;
    std::unique_ptr<CReportDialog> m_pReport;
    CMailNotifier m_notifier;
    CCheckFailures m_failures;
    bool m_bDocClosed = false;
    bool m_bCancelAsked = false; // the user cancelled the worker's current step
};

} // namespace tolvane::gui
