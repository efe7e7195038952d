// COptionSheet: the modal sheet "オプション設定" with the pages "全般" (CEnvironmentPage)
// and "接続ログ" (CConnectLogPage), in that order, and OK, Cancel and Apply.
//
// - Apply is enabled while a page is marked modified. Apply and OK run the apply of
//   every page that has been shown, in page order, and stop at the first that fails:
//   that page is shown and the sheet stays open. A successful Apply clears the marks and
//   emits applied(); a successful OK also closes the sheet (accepted).
// - Cancel, Esc and the close box close it without writing anything (rejected); what an
//   earlier Apply wrote stays written.
// - The sheet opens on the first page. Whoever runs it re-reads the options afterwards,
//   whichever button closed it.
#pragma once

#include <QDialog>

#include <vector>

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace tolvane {

class COptionPage;

class COptionSheet final : public QDialog {
    Q_OBJECT
public:
    explicit COptionSheet(QWidget* parent = nullptr);

    COptionPage* Page(int index) const { return m_pages.at(static_cast<size_t>(index)); }
    QTabWidget* Tabs() const { return m_pTabs; }

    void accept() override;

Q_SIGNALS:
    void applied();

private:
    void AddPage(COptionPage* page, const char* titleUtf8);
    bool ApplyPages();
    void OnApply();
    void UpdateApplyButton();

    QTabWidget* m_pTabs = nullptr;
    QDialogButtonBox* m_pButtons = nullptr;
    QPushButton* m_pApply = nullptr;
    std::vector<COptionPage*> m_pages;
};

} // namespace tolvane
