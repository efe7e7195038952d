// CTolvaneView: the upper pane of the main window: one row per mail of all accounts, with
// a check box per row as its deletion mark, sorted by a column header click, feeding the
// information pane with the focused mail and opening mails in the viewer.
//
// - ClearRows removes every row (the list borrows the accounts' records: before they
//   change or go). Refill fills from the document's accounts, sorts, sizes the columns if
//   automatic widths are ticked and emits filled(count) (the frame then sets the tray tip
//   and the idle prompt). Marks and selection never survive a refill.
// - While the list is disabled (a job runs) rows have the default colours.
// - A press on a row's check box toggles its mark without touching the selection; Space
//   toggles the focused row's mark; releasing Delete (not its repeats) marks the selected
//   rows; Enter and a double-click open the viewer; the context menu holds select all,
//   mark, unmark and reload (emitted as commandRequested, so their rules are checked).
// - Column layout (ColumnLayout) is read by InitialUpdate and written by SaveSettings;
//   the AutoWidth option lives only in the tick of the frame's ID_AUTO_WIDTH action while the
//   program runs.
// - SaveAsText writes all rows, or the selected ones, in list order, atomically; a failed
//   write shows the save-error message with the stop icon.
#pragma once

#include "app/maillist/MailListModel.h"

#include <QTreeView>

#include <vector>

class QAction;

namespace tolvane::gui {

class CInformationView;
class CTolvaneDoc;

class CTolvaneView final : public QTreeView {
    Q_OBJECT
public:
    explicit CTolvaneView(QWidget* parent = nullptr);

    void SetDocument(CTolvaneDoc* doc) { m_pDoc = doc; }
    void SetInfoView(CInformationView* view) { m_pInfoView = view; }
    void SetAutoWidthAction(QAction* action) { m_pAutoWidth = action; }

    void InitialUpdate();
    void SaveSettings() const;
    void ClearRows();
    void Refill();

    // Commands of the view itself: ID_VIEWER_MAIL, ID_AUTO_WIDTH, ID_RESET_ORDER.
    static bool HandlesCommand(int id);
    bool IsCommandEnabled(int id) const;
    void OnCommand(int id);

    void MarkSelected(int mark);
    void ToggleMark(int row);
    void SelectMail(int row);     // -1: every row
    bool IsMarked(int row) const; // -1: any row
    void SaveAsText(bool bSelectedOnly);
    void ShowContent(int row);
    void ShowFocusedContent();
    void OpenViewer(int row);

    bool HasSelection() const;
    int FocusedRow() const; // -1 when no row has the focus
    int RowCount() const { return m_model.rowCount(); }
    std::vector<CMail*> SelectedMails() const; // in list order
    std::vector<CMail*> MarkedMails() const;   // in list order
    CMailListModel& Model() { return m_model; }
    int SortColumn() const { return m_nSortColumn; }
    bool SortAscending() const { return m_bAscending != 0; }

    int32_t m_bShowContent = 0;

Q_SIGNALS:
    void filled(int count);
    void commandRequested(int id);
    void stateChanged(); // selection, focus or marks changed

protected:
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnHeaderClicked(int column);
    void SortRows();
    void AutoSizeColumns();
    void ResetOrder();
    bool IsOnCheckBox(const QModelIndex& index, const QPoint& point) const;
    bool IsBusy() const;

    CMailListModel m_model;
    CTolvaneDoc* m_pDoc = nullptr;
    CInformationView* m_pInfoView = nullptr;
    QAction* m_pAutoWidth = nullptr;
    int32_t m_bAscending = 1;
    int32_t m_nSortColumn = 0;
    bool m_bPressConsumed = false;
    int m_nPressToggledRow = -1; // the row the last press toggled, until its release
};

} // namespace tolvane::gui
