// CReloadLinesDialog: the modal dialog "再読み込み行数の指定" that asks how many body lines
// to fetch when the selected mails are loaded again. The number is for that one reload;
// nothing is stored or remembered.
//
// Contract:
// - The field (at most 9 characters, up-down 0 to 999999999) shows 30 at every start.
// - "再読み込み(&R)" reads the field by the decimal rule (no digits give 0), keeps the
//   result for Lines() and ends with Accepted. There is no range check and no message: a
//   negative number is passed on as typed.
// - "キャンセル(&C)" is the default button, so Enter cancels, as Esc and the close box do.
// - Lines() means something only after exec() returned Accepted.
#pragma once

#include <QDialog>

#include <cstdint>

namespace tolvane {

class CNumberEdit;

class CReloadLinesDialog : public QDialog {
    Q_OBJECT

public:
    explicit CReloadLinesDialog(QWidget* parent = nullptr);

    int32_t Lines() const { return m_nLines; }

    void accept() override;

private:
    CNumberEdit* m_pEdit = nullptr;
    int32_t m_nLines = 0;
};

} // namespace tolvane
