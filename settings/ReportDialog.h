// CReportDialog: the small modeless window "受信メール数の情報" that tells how many mails
// wait in all, and per account when its details are shown. The document creates it once
// at start-up, hidden and without an owner, and keeps it for the whole run.
//
// - Creation reads the Report section: the position (Left, Top; brought onto a screen if
//   it lies on none), AlwaysTop (top-most only when it is 1; the box is ticked for any
//   value but 0), DisplayDetails and the two column widths (Width1, Width2).
// - Refresh rebuilds the rows from the attached accounts (name and number of mail
//   records, every account in array order) and the summary line; it returns whether any
//   mail is waiting. Without an attached array the summary says so and the rows stay. An
//   account the latest check could not check (SetFailures) shows "確認できません" in red
//   instead of its count.
// - Details: shown, the window is 198 pixels high with the per-account list below the
//   buttons; hidden, 108 pixels and the list is gone (it is also out of the tab chain).
//   The window never gets shorter than its controls need, so a large font cuts nothing
//   off. The button says what a press will do.
// - The auto-hide timer fires once: ArmAutoHide always stops a pending one first and
//   starts it again only when enabled. Showing the window does not touch it.
// - ShowWithoutActivating (after a check) leaves the keyboard focus where it is;
//   ShowAndActivate (the menu command) brings the window forward with the focus.
// - "トルヴェインを表示(&D)" asks for the main window (showMainWindowRequested); closing,
//   Esc and "閉じる(&C)" only hide the window.
// - SaveSettings (also run by the destructor, once) writes Left, Top (also while hidden),
//   AlwaysTop, DisplayDetails, Width1, Width2 as one settings change (CLayoutBatch), the
//   failure shown once.
#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace tolvane {

class CAccount;
class CCheckFailures;

class CReportDialog final : public QDialog {
    Q_OBJECT
public:
    using AccountArray = std::vector<std::unique_ptr<CAccount>>;

    static constexpr int kDetailsHeight = 198;
    static constexpr int kNoDetailsHeight = 108;

    CReportDialog();
    ~CReportDialog() override;

    void SetAccounts(const AccountArray* pAccounts) { m_pAccounts = pAccounts; }
    void SetFailures(const CCheckFailures* pFailures) { m_pFailures = pFailures; }
    bool Refresh();

    void ArmAutoHide(bool bEnabled, int32_t nSeconds);
    bool IsAutoHidePending() const;

    void ShowWithoutActivating();
    void ShowAndActivate();

    void ToggleDetails();
    bool DetailsShown() const { return m_bDetails != 0; }
    bool IsTopMost() const;

    void SaveSettings();

    QString Summary() const;
    QTreeWidget* List() const { return m_pList; }

Q_SIGNALS:
    void showMainWindowRequested();

private:
    void BuildLayout();
    void ReadSettings();
    void ApplyDetails();
    void SetTopMost(bool bTopMost);

    const AccountArray* m_pAccounts = nullptr;
    const CCheckFailures* m_pFailures = nullptr;
    QLabel* m_pSummary = nullptr;
    QCheckBox* m_pAlwaysTop = nullptr;
    QPushButton* m_pShowMain = nullptr;
    QPushButton* m_pDetails = nullptr;
    QPushButton* m_pClose = nullptr;
    QTreeWidget* m_pList = nullptr;
    QTimer* m_pHideTimer = nullptr;
    int32_t m_bDetails = 0;
    bool m_bSaved = false;
};

} // namespace tolvane
