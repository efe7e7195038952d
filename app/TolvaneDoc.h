// CTolvaneDoc: the program's one document: CDocumentCore (accounts, log, worker, options,
// jobs) plus what windows add: the commands with their enable rules, the busy state, the
// check timer's period, the views' refills, the account menus' contents, the quit
// question and the log in the information pane.
//
// - The document tells, the windows listen: it includes no window of the frame or the
//   menus and reaches the dialogs only through app/DialogCommands.h. The program connects
//   its signals where it is put together (CTolvaneApp::InitInstance), before
//   OnNewDocument: busyChanged (a job starts or ends), trayTipChanged (the job's tip),
//   checkTimerChanged (the timer's period in milliseconds, 0 = off),
//   accountMenusChanged (the whole account list) and accountEnabledChanged (one account
//   toggled), showMainWindowRequested (from the report window or the notification),
//   newMailFound (after each check: whether it found mail not seen before).
// - A command runs only if its rule holds when it arrives (OnCommand checks it; posted
//   commands arrive later than they were raised). "Idle" means not busy and the main
//   window not behind a modal window; for showing menus and buttons the modal part is
//   left out (a modal window blocks them anyway).
// - The completion commands (ID_CHECK_COMPLETE, ID_DELETE_COMPLETE, ID_RELOAD_COMPLETE,
//   ID_PASSWORDS_MOVED) always run: they end the busy state. Each emits jobCompleted(id)
//   when handled.
// - OnNewDocument starts the move of the passwords still in the settings file into the
//   keyring (CDocumentCore::StartPasswordMove) when there are any: the program is busy
//   until it ends, and the start-up check runs after it.
// - CloseDocument (also run by the destructor, first): answers every pending question
//   of the worker "not OK", stops the pane following the log, empties the list (it
//   borrows the records), then closes the core (worker joined, accounts written back and
//   destroyed, log file closed) and destroys the report window (its keys are written
//   then). After it, commands do nothing.
// - The report window (CReportDialog) is made by OnNewDocument, hidden and without an
//   owner, and refreshed after start-up, every check and the account dialog. After a
//   check: shown without taking the focus when AutoReport and ReportDisplayMode ask for
//   it; the SoundFile played when any mail is held; the desktop notification of new mail
//   (CMailNotifier) sent (with suppress-sound when the program played its own). Its
//   "表示" selects the mail it names; its "削除" marks exactly that mail and runs the
//   delete command (its rule, its question, its verified deletion).
// - A check in which accounts could not be checked says so (CCheckFailures): the report
//   window marks their rows, the frame's status line, tray tip and tray icon show it
//   (FailedAccountCount), and the notification names each account once per failure.
// - Cancel (ID_CANCEL_CHECK) is enabled for as long as a job of any kind runs, until the
//   user has cancelled the account the worker is on: its state then waits for the
//   worker's next step (OnWorkerStep, another account or the end) or the end of the busy
//   state. The rule reads only what the GUI thread holds, so no worker progress can leave
//   it stale.
// - The options command runs the options sheet; every Apply, and its end whatever the
//   button, re-reads the options, opens or closes the log file and restarts the timer.
#pragma once

#include "app/AccountMenuItem.h"
#include "app/DialogCommands.h"
#include "app/desktop/MailNotifier.h"
#include "engine/CheckFailures.h"
#include "engine/DocumentCore.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

class QWidget;

namespace tolvane::gui {

class CInformationView;
class CMessageBoxHost;
class CTolvaneView;

class CTolvaneDoc final : public QObject, public CDocumentCore {
    Q_OBJECT
public:
    CTolvaneDoc(IHost* pHost, CMessageBoxHost* pMessages);
    ~CTolvaneDoc() override;

    // The windows the document works on, set once before OnNewDocument: its two views and
    // the owner of the dialogs its commands run.
    void SetViews(CTolvaneView* pListView, CInformationView* pInfoView);
    void SetDialogOwner(QWidget* pOwner) { m_pDialogOwner = pOwner; }

    // Loads accounts and options, opens the log file, makes the report window. False: the
    // program cannot start (out of memory; the message has been shown).
    bool OnNewDocument();

    static bool HandlesCommand(int id);
    // bArriving: the command is about to run (the modal part of "idle" counts).
    bool IsCommandEnabled(int id, bool bArriving) const;
    // False when the command shows no tick.
    bool IsCommandChecked(int id, bool& bChecked) const;
    void OnCommand(int id);

    // The list lets go of every row, then fills again from the accounts.
    void RefillViews();
    // Tells the account menus the whole account list (accountMenusChanged).
    void RebuildAccountMenus();
    void ToggleAccount(int index);
    // The check timer as the options say (on with the interval, or off).
    void ArmCheckTimer();
    unsigned TotalMailCount() const;
    // Accounts the latest checks could not check (still in the list).
    int FailedAccountCount() const { return m_failures.Count(); }
    const CCheckFailures& Failures() const { return m_failures; }
    bool IsIdle(bool bArriving) const;
    // While the file's passwords move into the keyring at start (a job of its own), the
    // start-up check waits for it: true when it has been taken over, to run when the move
    // ends (ID_PASSWORDS_MOVED).
    bool CheckAfterPasswordMove();
    bool IsMovingPasswords() const { return m_bMovingPasswords; }
    // The worker has moved to another account or step of its job (its title or cancel
    // text changed): a cancel may be asked for again.
    void OnWorkerStep() { m_bCancelAsked = false; }

    // The quit question (asked only when the options want it and mail is listed): false
    // keeps the program running.
    bool ConfirmQuit();
    void CloseDocument();
    bool IsClosed() const { return m_bDocClosed; }

    // The information pane's two modes (ID_INFO_LOG and ID_INFO_CONTENT of the frame).
    void ShowLogInPane();
    void ShowContentInPane();
    bool InfoShowsLog() const { return m_bInfoShowsLog; }

    CReportDialog* ReportWindow() const { return m_pReport.get(); }
    CMailNotifier& Notifier() { return m_notifier; }

Q_SIGNALS:
    void jobCompleted(int id);
    void busyChanged(bool bBusy);
    void trayTipChanged(const QString& tip);
    void checkTimerChanged(int milliseconds);
    void accountMenusChanged(const std::vector<AccountMenuItem>& accounts);
    void accountEnabledChanged(int index, const std::string& nameCp932, bool bEnabled);
    void showMainWindowRequested();
    void newMailFound(bool bNew);
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
    // After a check: asks once for each OAuth 2.0 account that must sign in again.
    void OfferSignIns();
    void OnReloadDone();
    void OnPasswordsMoved();
    void ClearReplacedMail();
    void RequestDelete();
    void RequestReload();
    void RunAccountsCommand();
    void AfterAccountsChanged();
    void RunOptionsCommand();
    void TakeOverOptions();
    void ToggleAutoCheck();

    void CreateReportWindow();
    bool RefreshReport();
    void ShowReportAfterCheck();
    void PlayMailSound();
    int RowOfMail(const std::string& accountCp932, const std::string& key) const;
    void SelectNotifiedMail(const std::string& accountCp932, const std::string& key);
    void DeleteNotifiedMail(const std::string& accountCp932, const std::string& key);

    CMessageBoxHost* m_pMessages;
    QWidget* m_pDialogOwner = nullptr;
    CTolvaneView* m_pListView = nullptr;
    CInformationView* m_pInfoView = nullptr;
    bool m_bInfoShowsLog = false;
    ReportWindowPtr m_pReport;
    CMailNotifier m_notifier;
    CCheckFailures m_failures;
    std::set<std::string> m_askedSignIn; // asked to sign in again, until it logs in
    bool m_bDocClosed = false;
    bool m_bCancelAsked = false; // the user cancelled the worker's current step
    bool m_bMovingPasswords = false;
    bool m_bCheckAfterMove = false;
};

} // namespace tolvane::gui
