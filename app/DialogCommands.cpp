#include "app/DialogCommands.h"

#include "app/GuiTexts.h"
#include "app/ViewerDialog.h"
#include "app/widgets/QtText.h"
#include "engine/DocumentCore.h"
#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Texts.h"
#include "settings/AccountDialog.h"
#include "settings/OptionSheet.h"
#include "settings/ReloadLinesDialog.h"
#include "settings/ReportDialog.h"
#include "settings/SettingsTexts.h"
#include "settings/SignInDialog.h"

#include <algorithm>

namespace tolvane::gui {

void RunAccountDialog(CDocumentCore& doc, QWidget* parent, const std::function<void()>& onChanged) {
    CAccountDialog dialog(doc, parent);
    QObject::connect(&dialog, &CAccountDialog::accountsChanged, &dialog, onChanged);
    dialog.exec();
}

void OfferSignIn(QWidget* parent, const std::string& accountCp932, const OAuthConfig& config) {
    const std::string question = SjisFormat(txt::kSignInAsk, accountCp932.c_str());
    if (ShowMessage(question, MsgButtons::OkCancel, MsgIcon::Question) == IDOK) {
        RunSignIn(parent, accountCp932, config);
    }
}

void RunOptionSheet(QWidget* parent, const std::function<void()>& onApplied) {
    COptionSheet sheet(parent);
    QObject::connect(&sheet, &COptionSheet::applied, &sheet, onApplied);
    sheet.exec();
}

bool RunReloadLinesDialog(QWidget* parent, unsigned& lines) {
    CReloadLinesDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    // A typed minus sign would wrap to four billion lines and fetch whole mails: a negative
    // count fetches the headers only.
    lines = static_cast<unsigned>(std::max(dialog.Lines(), 0));
    return true;
}

void RunLogViewer(QWidget* parent, const std::string& logCp932) {
    CViewerDialog viewer(parent, Tr(txt::kViewerLogCaption), logCp932);
    viewer.exec();
}

void ReportWindowDeleter::operator()(CReportDialog* pReport) const {
    delete pReport;
}

ReportWindowPtr CreateReportWindow(const std::vector<std::unique_ptr<CAccount>>& accounts,
                                   const CCheckFailures& failures,
                                   const std::function<void()>& onShowMainWindow) {
    ReportWindowPtr report(new CReportDialog());
    report->SetAccounts(&accounts);
    report->SetFailures(&failures);
    report->Refresh();
    QObject::connect(report.get(), &CReportDialog::showMainWindowRequested, report.get(),
                     onShowMainWindow);
    return report;
}

bool RefreshReportWindow(CReportDialog& report) {
    return report.Refresh();
}

void ShowReportAfterCheck(CReportDialog& report, bool bAutoHide, int32_t nSeconds) {
    report.ArmAutoHide(bAutoHide, nSeconds);
    report.ShowWithoutActivating();
}

void ShowReportWindow(CReportDialog& report) {
    report.ShowAndActivate();
}

void DetachReportWindow(CReportDialog& report) {
    report.SetAccounts(nullptr);
}

} // namespace tolvane::gui
