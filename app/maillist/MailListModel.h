// CMailListModel: the rows of the mail list: one per mail record of the document's
// accounts (borrowed pointers, never owned), each with its deletion mark.
//
// - Columns: subject (with the record's plain/not-plain image and the mark as a check
//   box), sender, size (right-aligned), date received, account name.
// - Marks: MARK_NONE (1) or MARK_DELETE (2). Every fill starts with all rows unmarked.
// - Colours, while idle (the list is enabled, no job runs): a marked row red, an
//   unmarked row of a new mail blue, else the default.
// - While a job runs (SetIdle(false)) the worker replaces and frees records: the rows show
//   the texts and images copied when the job began (without colours) and keep their marks,
//   reading nothing from their records until the document has filled the list again and
//   set it idle.
// - Sort orders the rows by MailOrder's rule; rows that compare equal keep their order.
//   Selection and focus follow their rows.
// - Clear must come before the records go away (the document clears before a refill and
//   before it closes).
#pragma once

#include "engine/Account.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QVariant>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tolvane::gui {

class CMailListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { COL_SUBJECT, COL_FROM, COL_SIZE, COL_DATE, COL_ACCOUNT, COLUMN_COUNT };
    enum Mark : uint8_t { MARK_NONE = 1, MARK_DELETE = 2 };

    explicit CMailListModel(QObject* parent = nullptr);

    void Clear();
    // Appends a row for every mail of every account, in order; returns how many.
    int Fill(const std::vector<std::unique_ptr<CAccount>>& accounts);
    void Sort(int column, bool bAscending);

    CMail* MailAt(int row) const;
    int MarkAt(int row) const;
    void SetMark(int row, int mark);
    bool AnyMarked() const;
    void SetIdle(bool bIdle);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    void marksChanged();

private:
    struct Row {
        CMail* mail;
        uint8_t mark;
    };
    // What a row shows while a job runs, copied from its record when the job began.
    struct FrozenRow {
        std::array<QVariant, COLUMN_COUNT> texts;
        bool bNotPlain;
    };
    QVariant TextOf(const CMail& mail, int column) const;
    void Freeze();

    std::vector<Row> m_rows;
    std::vector<FrozenRow> m_frozen; // filled only while not idle
    bool m_bIdle = true;
    QIcon m_imagePlain;
    QIcon m_imageNotPlain;
};

} // namespace tolvane::gui
