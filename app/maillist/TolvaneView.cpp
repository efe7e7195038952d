#include "app/maillist/TolvaneView.h"

#include "app/CommandIds.h"
#include "app/GuiTexts.h"
#include "app/InformationView.h"
#include "app/TolvaneDoc.h"
#include "app/ViewerDialog.h"
#include "app/maillist/ColumnLayout.h"
#include "app/maillist/MailListText.h"
#include "app/widgets/Choosers.h"
#include "app/widgets/QtText.h"
#include "platform/MessageHost.h"
#include "platform/Texts.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace tolvane::gui {

CTolvaneView::CTolvaneView(QWidget* parent) : QTreeView(parent) {
    setObjectName(QStringLiteral("mailList"));
    setAccessibleName(Tr(txt::kAccessibleMailList));
    setModel(&m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setSectionsMovable(true);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    header()->setSortIndicatorShown(true);
    connect(header(), &QHeaderView::sectionClicked, this, &CTolvaneView::OnHeaderClicked);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CTolvaneView::stateChanged);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (m_bShowContent && current.isValid() && current.row() != previous.row()) {
                    ShowContent(current.row());
                }
                Q_EMIT stateChanged();
            });
    connect(&m_model, &CMailListModel::marksChanged, this, &CTolvaneView::stateChanged);
}

bool CTolvaneView::IsBusy() const {
    return m_pDoc && m_pDoc->IsBusy();
}

void CTolvaneView::InitialUpdate() {
    const ColumnLayout layout = LoadColumnLayout();
    for (int column = 0; column < ColumnLayout::kColumns; ++column) {
        header()->resizeSection(column, layout.widths[static_cast<size_t>(column)]);
    }
    for (int position = 0; position < ColumnLayout::kColumns; ++position) {
        const int column = layout.order[static_cast<size_t>(position)];
        header()->moveSection(header()->visualIndex(column), position);
    }
    if (m_pAutoWidth) {
        m_pAutoWidth->setChecked(layout.bAutoWidth == 1);
    }
    m_bAscending = layout.bAscending;
    m_nSortColumn = layout.nSortColumn;
    Refill();
}

void CTolvaneView::SaveSettings() const {
    ColumnLayout layout;
    for (int i = 0; i < ColumnLayout::kColumns; ++i) {
        layout.order[static_cast<size_t>(i)] = header()->logicalIndex(i);
        layout.widths[static_cast<size_t>(i)] = header()->sectionSize(i);
    }
    layout.bAscending = m_bAscending;
    layout.nSortColumn = m_nSortColumn;
    layout.bAutoWidth = m_pAutoWidth && m_pAutoWidth->isChecked() ? 1 : 0;
    SaveColumnLayout(layout);
}

void CTolvaneView::ClearRows() {
    m_model.Clear();
}

void CTolvaneView::Refill() {
    if (!m_pDoc) {
        return;
    }
    setUpdatesEnabled(false);
    const int added = m_model.Fill(m_pDoc->Accounts());
    SortRows();
    if (m_pAutoWidth && m_pAutoWidth->isChecked()) {
        AutoSizeColumns();
    }
    setUpdatesEnabled(true);
    Q_EMIT filled(added);
}

void CTolvaneView::OnHeaderClicked(int column) {
    m_bAscending = column == m_nSortColumn ? !m_bAscending : 1;
    m_nSortColumn = column;
    SortRows();
}

void CTolvaneView::SortRows() {
    m_model.Sort(m_nSortColumn, m_bAscending != 0);
    if (m_nSortColumn >= 0 && m_nSortColumn < CMailListModel::COLUMN_COUNT) {
        header()->setSortIndicator(m_nSortColumn,
                                   m_bAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    } else {
        header()->setSortIndicator(-1, Qt::AscendingOrder);
    }
}

void CTolvaneView::AutoSizeColumns() {
    header()->resizeSections(QHeaderView::ResizeToContents);
}

void CTolvaneView::ResetOrder() {
    for (int column = 0; column < CMailListModel::COLUMN_COUNT; ++column) {
        header()->moveSection(header()->visualIndex(column), column);
    }
    viewport()->update();
}

bool CTolvaneView::HandlesCommand(int id) {
    return id == ID_VIEWER_MAIL || id == ID_AUTO_WIDTH || id == ID_RESET_ORDER;
}

bool CTolvaneView::IsCommandEnabled(int id) const {
    switch (id) {
    case ID_VIEWER_MAIL:
        return !IsBusy() && FocusedRow() >= 0;
    case ID_AUTO_WIDTH:
    case ID_RESET_ORDER:
        return isEnabled();
    default:
        return false;
    }
}

void CTolvaneView::OnCommand(int id) {
    switch (id) {
    case ID_VIEWER_MAIL:
        OpenViewer(FocusedRow());
        break;
    case ID_AUTO_WIDTH:
        if (m_pAutoWidth && m_pAutoWidth->isChecked()) {
            m_pAutoWidth->setChecked(false); // the widths stay as they are
        } else {
            if (m_pAutoWidth) {
                m_pAutoWidth->setChecked(true);
            }
            AutoSizeColumns();
        }
        break;
    case ID_RESET_ORDER:
        ResetOrder();
        break;
    default:
        break;
    }
}

void CTolvaneView::MarkSelected(int mark) {
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        m_model.SetMark(index.row(), mark);
    }
}

void CTolvaneView::ToggleMark(int row) {
    const bool bMarked = m_model.MarkAt(row) == CMailListModel::MARK_DELETE;
    m_model.SetMark(row, bMarked ? CMailListModel::MARK_NONE : CMailListModel::MARK_DELETE);
}

void CTolvaneView::SelectMail(int row) {
    if (row < 0) {
        selectAll();
        return;
    }
    selectionModel()->select(m_model.index(row, 0),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool CTolvaneView::IsMarked(int row) const {
    if (row < 0) {
        return m_model.AnyMarked();
    }
    return m_model.MarkAt(row) == CMailListModel::MARK_DELETE;
}

bool CTolvaneView::HasSelection() const {
    return selectionModel()->hasSelection();
}

int CTolvaneView::FocusedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

std::vector<CMail*> CTolvaneView::SelectedMails() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    std::vector<CMail*> mails;
    mails.reserve(rows.size());
    for (int row : rows) {
        mails.push_back(m_model.MailAt(row));
    }
    return mails;
}

std::vector<CMail*> CTolvaneView::MarkedMails() const {
    std::vector<CMail*> mails;
    for (int row = 0; row < m_model.rowCount(); ++row) {
        if (m_model.MarkAt(row) == CMailListModel::MARK_DELETE) {
            mails.push_back(m_model.MailAt(row));
        }
    }
    return mails;
}

void CTolvaneView::SaveAsText(bool bSelectedOnly) {
    const QString path =
        ChooseSaveFile(this, Tr(bSelectedOnly ? txt::kSaveSelectedPrompt : txt::kSaveAllPrompt),
                       Tr(txt::kSaveFilter));
    if (path.isEmpty()) {
        return;
    }
    std::vector<const CMail*> mails;
    if (bSelectedOnly) {
        for (CMail* mail : SelectedMails()) {
            mails.push_back(mail);
        }
    } else {
        for (int row = 0; row < m_model.rowCount(); ++row) {
            mails.push_back(m_model.MailAt(row));
        }
    }
    if (!SaveMailListText(ToPath(path), mails)) {
        ShowMessage(Sjis(txt::kSaveFailed), MsgButtons::Ok, MsgIcon::Stop);
    }
}

void CTolvaneView::ShowContent(int row) {
    const CMail* mail = m_model.MailAt(row);
    if (!m_pInfoView || !mail) {
        return;
    }
    m_pInfoView->ClearText();
    m_pInfoView->SetText(mail->m_strBody.empty() ? Sjis(txt::kNoBody) : mail->m_strBody);
}

void CTolvaneView::ShowFocusedContent() {
    const int row = FocusedRow();
    if (row >= 0) {
        ShowContent(row);
    } else if (m_pInfoView) {
        m_pInfoView->ClearText();
    }
}

void CTolvaneView::OpenViewer(int row) {
    const CMail* mail = m_model.MailAt(row);
    if (!mail) {
        return;
    }
    CViewerDialog viewer(window(), Tr(txt::kViewerMailCaption),
                         mail->m_strBody.empty() ? Sjis(txt::kNoBody) : mail->m_strBody);
    viewer.exec();
}

void CTolvaneView::changeEvent(QEvent* event) {
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        m_model.SetIdle(isEnabled()); // disabled while a job runs
    }
}

bool CTolvaneView::IsOnCheckBox(const QModelIndex& index, const QPoint& point) const {
    if (!index.isValid() || index.column() != CMailListModel::COL_SUBJECT) {
        return false;
    }
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect check =
        style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    // Everything left of the row's image counts: the box and its margin.
    return option.rect.contains(point) && point.x() <= check.right();
}

void CTolvaneView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    m_bPressConsumed = event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier &&
                       IsOnCheckBox(index, event->position().toPoint());
    m_nPressToggledRow = m_bPressConsumed ? index.row() : -1;
    if (m_bPressConsumed) {
        ToggleMark(index.row()); // the selection stays as it is
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void CTolvaneView::mouseReleaseEvent(QMouseEvent* event) {
    m_nPressToggledRow = -1;
    if (m_bPressConsumed) {
        m_bPressConsumed = false;
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void CTolvaneView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && IsOnCheckBox(index, event->position().toPoint())) {
        // A double press on the box toggles once and opens no viewer: the first press has
        // toggled the mark, so the second press (where the window system delivers one
        // before the double click) is taken back, and the release that follows is eaten
        // before the item's own check handling can take it as another toggle.
        if (m_nPressToggledRow == index.row()) {
            ToggleMark(index.row());
        }
        m_nPressToggledRow = -1;
        m_bPressConsumed = true;
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && index.isValid()) {
        OpenViewer(index.row());
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void CTolvaneView::keyPressEvent(QKeyEvent* event) {
    const bool bPlain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (bPlain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (FocusedRow() >= 0) {
            OpenViewer(FocusedRow());
        }
        event->accept();
        return;
    }
    if (bPlain && event->key() == Qt::Key_Space && FocusedRow() >= 0) {
        ToggleMark(FocusedRow());
        event->accept();
        return;
    }
    const bool bMenuKey = (bPlain && event->key() == Qt::Key_Menu) ||
                          (event->modifiers() == Qt::ShiftModifier && event->key() == Qt::Key_F10);
    if (bMenuKey) {
        // The context menu at the focused row (or the list's top), as a right click would.
        const QRect row = visualRect(currentIndex());
        const QPoint at = row.isValid() ? row.bottomLeft() : QPoint(0, 0);
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, at, viewport()->mapToGlobal(at));
        contextMenuEvent(&menuEvent);
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CTolvaneView::keyReleaseEvent(QKeyEvent* event) {
    // On the release, so that holding the key down marks once.
    if (event->key() == Qt::Key_Delete && !event->isAutoRepeat() && !IsBusy() && HasSelection()) {
        MarkSelected(CMailListModel::MARK_DELETE);
    }
    QTreeView::keyReleaseEvent(event);
}

void CTolvaneView::contextMenuEvent(QContextMenuEvent* event) {
    const bool bIdle = !IsBusy();
    const bool bSelected = HasSelection();
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mailListMenu"));
    auto add = [&menu](int id, const char* textUtf8, bool bEnabled) {
        QAction* action = menu.addAction(Tr(textUtf8));
        action->setData(id);
        action->setEnabled(bEnabled);
    };
    add(ID_SELECT_ALL, txt::kPopupSelectAll, bIdle && m_model.rowCount() > 0);
    menu.addSeparator();
    add(ID_MARK_SELECTED, txt::kPopupMark, bIdle && bSelected);
    add(ID_UNMARK_SELECTED, txt::kPopupUnmark, bIdle && bSelected);
    menu.addSeparator();
    add(ID_RELOAD_SELECTED, txt::kPopupReload, bIdle && bSelected);
    menu.addSeparator();
    QMenu* sort = menu.addMenu(Tr(txt::kPopupSort));
    sort->setObjectName(QStringLiteral("sortMenu"));
    const char* const sortTexts[] = {txt::kSortSubject, txt::kSortFrom, txt::kSortSize,
                                     txt::kSortDate, txt::kSortAccount};
    for (int column = 0; column < CMailListModel::COLUMN_COUNT; ++column) {
        sort->addAction(Tr(sortTexts[column]))->setProperty("sortColumn", column);
    }
    QAction* chosen = menu.exec(event->globalPos());
    if (!chosen) {
        return;
    }
    if (const QVariant column = chosen->property("sortColumn"); column.isValid()) {
        OnHeaderClicked(column.toInt());
    } else {
        Q_EMIT commandRequested(chosen->data().toInt());
    }
}

} // namespace tolvane::gui
