#include "app/TolvaneDoc.h"

#include "app/CommandIds.h"
#include "app/GuiTexts.h"
#include "app/InformationView.h"
#include "app/MessageBoxHost.h"
#include "app/maillist/TolvaneView.h"
#include "app/widgets/QtText.h"
#include "app/widgets/SoundPlayer.h"
#include "engine/JobTexts.h"
#include "platform/MessageHost.h"
#include "platform/Options.h"
#include "platform/Texts.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace tolvane::gui {

namespace {

// A damaged interval (0, negative, huge) must neither fire checks back to back nor
// overflow the timer: the period is held within 1 minute and the timer's range.
constexpr int kMaxIntervalMinutes = INT_MAX / 60000;

} // namespace

CTolvaneDoc::CTolvaneDoc(IHost* pHost, CMessageBoxHost* pMessages)
    : CDocumentCore(pHost), m_pMessages(pMessages) {
    connect(&m_notifier, &CMailNotifier::activated, this, &CTolvaneDoc::showMainWindowRequested);
    connect(&m_notifier, &CMailNotifier::mailChosen, this, &CTolvaneDoc::SelectNotifiedMail);
    connect(&m_notifier, &CMailNotifier::deleteRequested, this, &CTolvaneDoc::DeleteNotifiedMail);
}

CTolvaneDoc::~CTolvaneDoc() {
    CloseDocument(); // while the overrides still exist
}

void CTolvaneDoc::OnStoreSaveFailed(const CAccount& account, int error) {
    CDocumentCore::OnStoreSaveFailed(account, error);
    ShowMessage(StoreSaveFailedText(account, error), MsgButtons::Ok, MsgIcon::Exclamation);
}

void CTolvaneDoc::SetViews(CTolvaneView* pListView, CInformationView* pInfoView) {
    m_pListView = pListView;
    m_pInfoView = pInfoView;
    m_pListView->SetInfoView(m_pInfoView);
    m_pListView->SetDocument(this);
}

bool CTolvaneDoc::OnNewDocument() {
    if (!Create()) {
        return false;
    }
    CreateReportWindow();
    // Passwords still in the settings file go into the keyring first, on the worker.
    m_bMovingPasswords = HasPasswordsToMove() && StartPasswordMove();
    return true;
}

bool CTolvaneDoc::HandlesCommand(int id) {
    switch (id) {
    case ID_CHECK_ALL:
    case ID_CANCEL_CHECK:
    case ID_AUTO_CHECK:
    case ID_DELETE_MARKED:
    case ID_RELOAD_SELECTED:
    case ID_MARK_SELECTED:
    case ID_UNMARK_SELECTED:
    case ID_SELECT_ALL:
    case ID_SAVE_ALL:
    case ID_SAVE_SELECTED:
    case ID_ACCOUNTS:
    case ID_OPTIONS:
    case ID_APP_EXIT:
    case ID_REPORT:
    case ID_VIEWER_LOG:
    case ID_CHECK_COMPLETE:
    case ID_DELETE_COMPLETE:
    case ID_RELOAD_COMPLETE:
    case ID_PASSWORDS_MOVED:
        return true;
    default:
        return IsToggleAccountId(id) || IsCheckAccountId(id);
    }
}

bool CTolvaneDoc::IsIdle(bool bArriving) const {
    return m_bBusy == 0 && !(bArriving && QApplication::activeModalWidget());
}

bool CTolvaneDoc::IsCommandEnabled(int id, bool bArriving) const {
    if (m_bDocClosed) {
        return false;
    }
    const bool bIdle = IsIdle(bArriving);
    const bool bFree = m_bBusy == 0;
    if (IsToggleAccountId(id) || IsCheckAccountId(id)) {
        return bIdle;
    }
    switch (id) {
    case ID_CHECK_ALL:
        return !m_arrAccounts.empty() && bIdle;
    case ID_CANCEL_CHECK:
        return m_bBusy == 1 && m_pWorker && !m_bCancelAsked;
    case ID_DELETE_MARKED:
        return bFree && m_pListView->IsMarked(-1);
    case ID_RELOAD_SELECTED:
    case ID_MARK_SELECTED:
    case ID_UNMARK_SELECTED:
    case ID_SAVE_SELECTED:
        return bFree && m_pListView->HasSelection();
    case ID_SELECT_ALL:
    case ID_SAVE_ALL:
        return bFree && m_pListView->RowCount() > 0;
    case ID_ACCOUNTS:
    case ID_OPTIONS:
    case ID_APP_EXIT:
        return bIdle;
    default:
        return true; // auto check, report, log viewer, completions
    }
}

bool CTolvaneDoc::IsCommandChecked(int id, bool& bChecked) const {
    if (id == ID_AUTO_CHECK) {
        bChecked = m_bAutoCheck == 1;
        return true;
    }
    if (IsToggleAccountId(id)) {
        const CAccount* account = GetAccount(id - ID_TOGGLE_ACCOUNT_0);
        bChecked = account && account->m_bEnable == 1;
        return account != nullptr;
    }
    return false;
}

void CTolvaneDoc::OnCommand(int id) {
    if (m_bDocClosed) {
        return;
    }
    if (IsCheckAccountId(id)) {
        if (GetAccount(id - ID_CHECK_ACCOUNT_0)) {
            StartCheck(id - ID_CHECK_ACCOUNT_0);
        }
        return;
    }
    if (IsToggleAccountId(id)) {
        ToggleAccount(id - ID_TOGGLE_ACCOUNT_0);
        return;
    }
    switch (id) {
    case ID_CHECK_ALL:
        StartCheck(-1);
        break;
    case ID_CANCEL_CHECK:
        Cancel();
        m_bCancelAsked = true;
        break;
    case ID_AUTO_CHECK:
        ToggleAutoCheck();
        break;
    case ID_DELETE_MARKED:
        RequestDelete();
        break;
    case ID_RELOAD_SELECTED:
        RequestReload();
        break;
    case ID_MARK_SELECTED:
        m_pListView->MarkSelected(CMailListModel::MARK_DELETE);
        break;
    case ID_UNMARK_SELECTED:
        m_pListView->MarkSelected(CMailListModel::MARK_NONE);
        break;
    case ID_SELECT_ALL:
        m_pListView->SelectMail(-1);
        break;
    case ID_SAVE_ALL:
        m_pListView->SaveAsText(false);
        break;
    case ID_SAVE_SELECTED:
        m_pListView->SaveAsText(true);
        break;
    case ID_ACCOUNTS:
        RunAccountsCommand();
        break;
    case ID_OPTIONS:
        RunOptionsCommand();
        break;
    case ID_APP_EXIT:
        Q_EMIT exitRequested();
        break;
    case ID_REPORT:
        if (m_pReport) {
            ShowReportWindow(*m_pReport);
        }
        break;
    case ID_VIEWER_LOG:
        RunLogViewer(m_pDialogOwner, m_log.GetLog());
        break;
    case ID_CHECK_COMPLETE:
    case ID_DELETE_COMPLETE:
        OnCheckComplete(id);
        break;
    case ID_RELOAD_COMPLETE:
        OnReloadDone();
        Q_EMIT jobCompleted(id);
        break;
    case ID_PASSWORDS_MOVED:
        OnPasswordsMoved();
        Q_EMIT jobCompleted(id);
        break;
    default:
        break;
    }
}

void CTolvaneDoc::RefillViews() {
    m_pListView->ClearRows();
    m_pListView->Refill();
}

void CTolvaneDoc::RebuildAccountMenus() {
    std::vector<AccountMenuItem> items;
    for (const auto& account : m_arrAccounts) {
        items.push_back({account->m_strName, account->m_bEnable == 1});
    }
    Q_EMIT accountMenusChanged(items);
}

void CTolvaneDoc::ToggleAccount(int index) {
    CAccount* account = GetAccount(index);
    if (!account) {
        return;
    }
    account->m_bEnable = account->m_bEnable == 1 ? 0 : 1;
    Q_EMIT accountEnabledChanged(index, account->m_strName, account->m_bEnable == 1);
    if (!account->WriteEnable()) {
        // The flag stays flipped for this run.
        ShowMessage(Sjis(tolvane::txt::kRegistryWriteFailed), MsgButtons::Ok, MsgIcon::Stop);
    }
}

void CTolvaneDoc::ToggleAutoCheck() {
    m_bAutoCheck = m_bAutoCheck == 1 ? 0 : 1;
    if (!options::SetAutoCheck(m_bAutoCheck)) {
        ShowMessage(Sjis(tolvane::txt::kRegistryWriteFailed), MsgButtons::Ok, MsgIcon::Stop);
    }
    SetCheckTimer(m_bAutoCheck == 1);
}

void CTolvaneDoc::ArmCheckTimer() {
    SetCheckTimer(m_bAutoCheck == 1);
}

unsigned CTolvaneDoc::TotalMailCount() const {
    unsigned total = 0;
    for (const auto& account : m_arrAccounts) {
        total += static_cast<unsigned>(account->GetMailCount());
    }
    return total;
}

void CTolvaneDoc::OnBusyWindow(bool bBusy) {
    m_bCancelAsked = false; // a new job, or none
    Q_EMIT busyChanged(bBusy);
}

void CTolvaneDoc::SetTrayTip(JobKind kind) {
    const char* tip = txt::kTipChecking;
    if (kind == JobKind::Delete) {
        tip = txt::kTipDeleting;
    } else if (kind == JobKind::Reload) {
        tip = txt::kTipReloading;
    }
    Q_EMIT trayTipChanged(Tr(tip));
}

void CTolvaneDoc::SetCheckTimer(bool bOn) {
    const int minutes = std::clamp(m_nAutoCheckInterval, 1, kMaxIntervalMinutes);
    Q_EMIT checkTimerChanged(bOn ? minutes * 60000 : 0);
}

void CTolvaneDoc::OnCheckComplete(int id) {
    std::vector<std::string> newlyFailed;
    if (id == ID_CHECK_COMPLETE && m_pWorker) {
        // Before the refill: the refill's tip and status line already tell of them.
        newlyFailed = m_failures.Update(m_arrAccounts, m_pWorker->GetOutcomes());
    }
    RefillViews();
    const bool bHeld = RefreshReport();
    if (m_bAutoReport == 1 && (m_nReportDisplayMode != 0 || bHeld)) {
        ShowReportAfterCheck();
    }
    if (bHeld) {
        PlayMailSound();
    }
    const bool bOwnSound = bHeld && !options::GetSoundFilePath().empty();
    const int nNew = m_notifier.OnCheckComplete(m_arrAccounts, bOwnSound);
    m_notifier.OnAccountsFailed(newlyFailed);
    OfferSignIns();
    ClearReplacedMail();
    CDocumentCore::OnJobComplete(); // saves the stores, then leaves the busy state
    if (id == ID_CHECK_COMPLETE) {
        Q_EMIT newMailFound(nNew > 0);
    }
    Q_EMIT jobCompleted(id);
}

void CTolvaneDoc::OfferSignIns() {
    std::vector<std::pair<std::string, OAuthConfig>> due;
    for (const auto& account : m_arrAccounts) {
        if (account->m_bSignInNeeded == 0) {
            m_askedSignIn.erase(account->m_strName);
        } else if (m_askedSignIn.insert(account->m_strName).second) {
            due.emplace_back(account->m_strName, account->m_oauth);
        }
    }
    if (due.empty()) {
        return;
    }
    // Once the check has ended: the question must not hold up the end of the busy state.
    QTimer::singleShot(0, this, [this, due] {
        for (const auto& [name, config] : due) {
            if (m_bDocClosed) {
                return;
            }
            OfferSignIn(m_pDialogOwner, name, config);
        }
    });
}

bool CTolvaneDoc::CheckAfterPasswordMove() {
    if (!m_bMovingPasswords) {
        return false;
    }
    m_bCheckAfterMove = true;
    return true;
}

void CTolvaneDoc::OnPasswordsMoved() {
    m_bMovingPasswords = false;
    OnPasswordMoveComplete();
    if (m_bCheckAfterMove) {
        m_bCheckAfterMove = false;
        // As the posted start-up check would: only where its rule holds now.
        if (IsCommandEnabled(ID_CHECK_ALL, true)) {
            StartCheck(-1);
        }
    }
}

void CTolvaneDoc::OnReloadDone() {
    ClearReplacedMail();
    CDocumentCore::OnReloadComplete();
}

void CTolvaneDoc::ClearReplacedMail() {
    if (!m_bInfoShowsLog) {
        m_pInfoView->ClearText(); // the mail it showed may have been replaced
    }
}

void CTolvaneDoc::RequestDelete() {
    if (ShowMessage(Sjis(tolvane::txt::kAskDeleteMarked), MsgButtons::OkCancel,
                    MsgIcon::Question) != IDOK ||
        m_bDocClosed || m_arrAccounts.empty()) {
        return;
    }
    JobEntries entries = BuildDeleteEntries(m_pListView->MarkedMails());
    if (entries) {
        StartDelete(std::move(entries));
    }
}

void CTolvaneDoc::RequestReload() {
    unsigned lines = 0;
    if (!RunReloadLinesDialog(m_pDialogOwner, lines) || m_bDocClosed || m_arrAccounts.empty()) {
        return;
    }
    JobEntries entries = BuildReloadEntries(m_pListView->SelectedMails());
    if (entries) {
        StartReload(lines, std::move(entries));
    }
}

void CTolvaneDoc::RunAccountsCommand() {
    // The dialog may remove accounts and their mails at once; the list borrows those
    // records, so it lets go of them first and is filled again after every change.
    m_pListView->ClearRows();
    RunAccountDialog(*this, m_pDialogOwner, [this] { AfterAccountsChanged(); });
    AfterAccountsChanged();
}

void CTolvaneDoc::AfterAccountsChanged() {
    if (m_bDocClosed) {
        return;
    }
    m_failures.Update(m_arrAccounts, {}); // deleted accounts have no failure left
    RefillViews();
    if (!m_bInfoShowsLog) {
        m_pInfoView->ClearText();
    }
    RefreshReport();
    RebuildAccountMenus();
}

void CTolvaneDoc::RunOptionsCommand() {
    // An Apply takes effect at once; the end of the sheet re-reads in any case.
    RunOptionSheet(m_pDialogOwner, [this] { TakeOverOptions(); });
    TakeOverOptions();
}

void CTolvaneDoc::TakeOverOptions() {
    if (m_bDocClosed) {
        return;
    }
    ReloadOptions(); // also opens or closes the log file
    SetCheckTimer(false);
    SetCheckTimer(m_bAutoCheck == 1);
}

void CTolvaneDoc::ShowLogInPane() {
    if (m_bInfoShowsLog) {
        return;
    }
    m_pListView->m_bShowContent = 0;
    m_bInfoShowsLog = true;
    m_pInfoView->FollowLog(m_log); // empties the pane, then the whole log
}

void CTolvaneDoc::ShowContentInPane() {
    if (m_pListView->m_bShowContent != 0) {
        return;
    }
    m_bInfoShowsLog = false;
    m_pInfoView->StopFollowingLog(m_log);
    m_pListView->m_bShowContent = 1;
    m_pListView->ShowFocusedContent();
}

bool CTolvaneDoc::ConfirmQuit() {
    if (options::GetQuitConfirm() != 0 || m_pListView->RowCount() == 0) {
        return true;
    }
    return ShowMessage(Sjis(txt::kAskQuit), MsgButtons::OkCancel, MsgIcon::Question) == IDOK;
}

void CTolvaneDoc::CloseDocument() {
    if (m_bDocClosed) {
        return;
    }
    m_bDocClosed = true;
    if (m_pMessages) {
        m_pMessages->CloseQuestions(); // the worker must not wait for an answer while joined
    }
    if (m_pInfoView) {
        m_pInfoView->StopFollowingLog(m_log);
    }
    if (m_pListView) {
        m_pListView->ClearRows();
    }
    if (m_pReport) {
        DetachReportWindow(*m_pReport); // the accounts go with the core
    }
    Close();
    m_pReport.reset(); // writes its Report keys
}

// --- The report window, the sound and the notification after a check.

void CTolvaneDoc::CreateReportWindow() {
    m_pReport = gui::CreateReportWindow(m_arrAccounts, m_failures,
                                        [this] { Q_EMIT showMainWindowRequested(); });
}

bool CTolvaneDoc::RefreshReport() {
    return m_pReport ? RefreshReportWindow(*m_pReport) : IsMailHeld();
}

void CTolvaneDoc::ShowReportAfterCheck() {
    if (m_pReport) {
        gui::ShowReportAfterCheck(*m_pReport, options::GetAutoHide() == 1,
                                  options::GetAutoHideInterval());
    }
}

void CTolvaneDoc::PlayMailSound() {
    PlaySoundFile(FromUtf8Bytes(options::GetSoundFilePath()));
}

// --- The mail a notification named: "表示" selects it, "削除" deletes it.

int CTolvaneDoc::RowOfMail(const std::string& accountCp932, const std::string& key) const {
    const CMail* target = nullptr;
    for (const auto& account : m_arrAccounts) {
        if (account->m_strName != accountCp932) {
            continue;
        }
        for (const auto& mail : account->m_mails) {
            if (CMailNotifier::MailKey(*mail) == key) {
                target = mail.get();
            }
        }
    }
    for (int row = 0; target && row < m_pListView->RowCount(); ++row) {
        if (m_pListView->Model().MailAt(row) == target) {
            return row;
        }
    }
    return -1; // gone since (another check, a deletion)
}

void CTolvaneDoc::SelectNotifiedMail(const std::string& accountCp932, const std::string& key) {
    const int row = RowOfMail(accountCp932, key);
    if (row >= 0 && !IsBusy()) {
        m_pListView->SelectMail(row);
        m_pListView->scrollTo(m_pListView->Model().index(row, 0));
    }
}

void CTolvaneDoc::DeleteNotifiedMail(const std::string& accountCp932, const std::string& key) {
    Q_EMIT showMainWindowRequested(); // the question needs its window
    const int row = RowOfMail(accountCp932, key);
    if (row < 0 || !IsIdle(true)) {
        return;
    }
    // Exactly that mail: marks set by hand before are dropped, as a refill would.
    for (int other = 0; other < m_pListView->RowCount(); ++other) {
        m_pListView->Model().SetMark(other, other == row ? CMailListModel::MARK_DELETE
                                                         : CMailListModel::MARK_NONE);
    }
    m_pListView->SelectMail(row);
    OnCommand(ID_DELETE_MARKED); // its rule, the usual question, the verified deletion
}

} // namespace tolvane::gui
