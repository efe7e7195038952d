#include "app/maillist/MailListModel.h"

#include "app/GuiTexts.h"
#include "app/Resources.h"
#include "app/maillist/MailOrder.h"
#include "app/maillist/ReadableColour.h"
#include "app/widgets/QtText.h"

#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace tolvane::gui {

namespace {

// The rows' background in the palette in use.
QColor ListBackground() {
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Base);
}

const char* const kHeadings[] = {txt::kColumnSubject, txt::kColumnFrom, txt::kColumnSize,
                                 txt::kColumnDate, txt::kColumnAccount};

} // namespace

CMailListModel::CMailListModel(QObject* parent) : QAbstractTableModel(parent) {
    EnsureResources();
    m_imagePlain = QIcon(QStringLiteral(":/icons/mail-plain.svg"));
    m_imageNotPlain = QIcon(QStringLiteral(":/icons/mail-not-plain.svg"));
}

void CMailListModel::Clear() {
    beginResetModel();
    m_rows.clear();
    m_frozen.clear(); // rows filled again while busy show nothing until idle
    endResetModel();
}

int CMailListModel::Fill(const std::vector<std::unique_ptr<CAccount>>& accounts) {
    std::vector<Row> added;
    for (const auto& account : accounts) {
        for (int i = 0; i < account->GetMailCount(); ++i) {
            added.push_back({account->GetMail(i), MARK_NONE});
        }
    }
    if (added.empty()) {
        return 0;
    }
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(added.size()) - 1);
    m_rows.insert(m_rows.end(), added.begin(), added.end());
    endInsertRows();
    return static_cast<int>(added.size());
}

void CMailListModel::Sort(int column, bool bAscending) {
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> order(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int result = CompareMails(*m_rows[static_cast<size_t>(a)].mail,
                                        *m_rows[static_cast<size_t>(b)].mail, column);
        return bAscending ? result < 0 : result > 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(m_rows[static_cast<size_t>(order[i])]);
        newRowOf[static_cast<size_t>(order[i])] = static_cast<int>(i);
    }
    m_rows.swap(sorted);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after.push_back(this->index(newRowOf[static_cast<size_t>(index.row())], index.column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

CMail* CMailListModel::MailAt(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) {
        return nullptr;
    }
    return m_rows[static_cast<size_t>(row)].mail;
}

int CMailListModel::MarkAt(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) {
        return MARK_NONE;
    }
    return m_rows[static_cast<size_t>(row)].mark;
}

void CMailListModel::SetMark(int row, int mark) {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) {
        return;
    }
    const uint8_t value = mark == MARK_DELETE ? MARK_DELETE : MARK_NONE;
    Row& target = m_rows[static_cast<size_t>(row)];
    if (target.mark == value) {
        return;
    }
    target.mark = value;
    Q_EMIT dataChanged(index(row, 0), index(row, COLUMN_COUNT - 1));
    Q_EMIT marksChanged();
}

bool CMailListModel::AnyMarked() const {
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [](const Row& row) { return row.mark == MARK_DELETE; });
}

void CMailListModel::SetIdle(bool bIdle) {
    if (m_bIdle == bIdle) {
        return;
    }
    m_bIdle = bIdle;
    if (bIdle) {
        m_frozen.clear();
        m_frozen.shrink_to_fit();
    } else {
        Freeze();
    }
    if (!m_rows.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, COLUMN_COUNT - 1));
    }
}

int CMailListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CMailListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : COLUMN_COUNT;
}

QVariant CMailListModel::TextOf(const CMail& mail, int column) const {
    switch (column) {
    case COL_SUBJECT:
        return FromCp932(mail.m_strSubject);
    case COL_FROM:
        return FromCp932(mail.m_strFrom);
    case COL_SIZE:
        return FromCp932(mail.m_strSize);
    case COL_DATE:
        return FromCp932(mail.m_strDate);
    case COL_ACCOUNT:
        return FromCp932(mail.m_strAccount);
    default:
        return {};
    }
}

void CMailListModel::Freeze() {
    m_frozen.clear();
    m_frozen.reserve(m_rows.size());
    for (const Row& row : m_rows) {
        FrozenRow frozen{{}, row.mail->m_bNotPlain != 0};
        for (int column = 0; column < COLUMN_COUNT; ++column) {
            frozen.texts[static_cast<size_t>(column)] = TextOf(*row.mail, column);
        }
        m_frozen.push_back(std::move(frozen));
    }
}

QVariant CMailListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<size_t>(index.row()) >= m_rows.size()) {
        return {};
    }
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    // While a job runs the worker may be replacing the record: the copies are shown.
    const FrozenRow* frozen = m_bIdle || m_frozen.size() != m_rows.size()
                                  ? nullptr
                                  : &m_frozen[static_cast<size_t>(index.row())];
    if (!m_bIdle && !frozen && role != Qt::CheckStateRole) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return frozen ? frozen->texts[static_cast<size_t>(index.column())]
                      : TextOf(*row.mail, index.column());
    case Qt::DecorationRole:
        if (index.column() == COL_SUBJECT) {
            return (frozen ? frozen->bNotPlain : row.mail->m_bNotPlain != 0) ? m_imageNotPlain
                                                                             : m_imagePlain;
        }
        return {};
    case Qt::CheckStateRole:
        if (index.column() == COL_SUBJECT) {
            return row.mark == MARK_DELETE ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == COL_SIZE) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        return {};
    case Qt::ForegroundRole:
        if (!m_bIdle) {
            return {};
        }
        if (row.mark == MARK_DELETE) {
            return QBrush(ReadableOn(QColor(255, 0, 0), ListBackground()));
        }
        if (row.mail->m_nState == MAIL_NEW) {
            return QBrush(ReadableOn(QColor(0, 0, 255), ListBackground()));
        }
        return {};
    default:
        return {};
    }
}

bool CMailListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != COL_SUBJECT) {
        return false;
    }
    const bool bChecked = value.value<Qt::CheckState>() == Qt::Checked;
    SetMark(index.row(), bChecked ? MARK_DELETE : MARK_NONE);
    return true;
}

QVariant CMailListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= COLUMN_COUNT) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return Tr(kHeadings[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue((section == COL_SIZE ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags CMailListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == COL_SUBJECT) {
        result |= Qt::ItemIsUserCheckable;
    }
    return result;
}

} // namespace tolvane::gui
