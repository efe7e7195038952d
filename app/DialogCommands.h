// The one place where the program reaches the dialogs of the settings folder and its own
// log viewer: the account dialog (ID_ACCOUNTS) and its sign-in, the options sheet (ID_OPTIONS), the
// reload-lines dialog (ID_RELOAD_SELECTED), the log viewer (ID_VIEWER_LOG) and the mail
// count report window (ID_REPORT). Kept apart so the document depends on none of those
// windows and on nothing of how they are built.
#pragma once

#include "engine/OAuthConfig.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace tolvane {
class CAccount;
class CCheckFailures;
class CDocumentCore;
class CReportDialog;
} // namespace tolvane

namespace tolvane::gui {

// Runs the account dialog modally over parent; onChanged runs after each change it makes
// to the accounts (added, changed, removed, enabled or disabled).
void RunAccountDialog(CDocumentCore& doc, QWidget* parent, const std::function<void()>& onChanged);

// Asks once whether to sign the OAuth 2.0 account in again; OK runs the sign-in in the
// browser (settings/SignInDialog.h) with config, the account's settings as stored.
void OfferSignIn(QWidget* parent, const std::string& accountCp932, const OAuthConfig& config);

// Runs the options sheet modally over parent; onApplied runs after each Apply (and OK)
// that wrote every page.
void RunOptionSheet(QWidget* parent, const std::function<void()>& onApplied);

// Runs the reload-lines dialog modally; true, with the number of lines, when confirmed.
bool RunReloadLinesDialog(QWidget* parent, unsigned& lines);

// Runs the viewer modally over parent with the connection log (CP932).
void RunLogViewer(QWidget* parent, const std::string& logCp932);

// The report window: made hidden and without an owner, over accounts and failures (both
// outlive it, or are let go of first with DetachReportWindow). onShowMainWindow runs when
// the user asks it for the main window. Destroying it writes its Report keys.
struct ReportWindowDeleter {
    void operator()(CReportDialog* pReport) const;
};
using ReportWindowPtr = std::unique_ptr<CReportDialog, ReportWindowDeleter>;
ReportWindowPtr CreateReportWindow(const std::vector<std::unique_ptr<CAccount>>& accounts,
                                   const CCheckFailures& failures,
                                   const std::function<void()>& onShowMainWindow);
// Counts again; true when any account holds a mail.
bool RefreshReportWindow(CReportDialog& report);
// Shown after a check without taking the focus, hidden again after nSeconds if bAutoHide.
void ShowReportAfterCheck(CReportDialog& report, bool bAutoHide, int32_t nSeconds);
// Shown and activated (ID_REPORT).
void ShowReportWindow(CReportDialog& report);
// The accounts are about to go: the window shows nothing of them from now on.
void DetachReportWindow(CReportDialog& report);

} // namespace tolvane::gui
