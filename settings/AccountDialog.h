// CAccountDialog: the modal dialog "アカウント設定" in which the user adds, changes,
// deletes, enables and disables the POP3 accounts of the document. Run it with exec(); its
// result means nothing ("閉じる", Esc and the close box all just end it).
//
// Contract:
// - The list shows doc.Accounts() in array order; row i is account i at all times, its
//   check mark is the account's Enable.
// - Every add, change, delete and check-mark toggle is applied at once to the array, the
//   list and the settings, and accountsChanged() is emitted as soon as the array and the
//   records hold the change, before any settings write that could show a message, so
//   that the windows over the mails never show a record the dialog has discarded.
//   There is no cancel.
// - Add: validation, then a name equal to a listed one ignoring letter case (CP932-aware:
//   full-width Latin letters too) is refused; the new record reports to the document's
//   log, is enabled, appended and written whole (SaveAccount).
// - Change: the account is the one named by the name edit (ignoring case), not the
//   selected row; its name and Enable stay. A changed server address (exact comparison)
//   asks first; OK discards the account's mails (unless its connection is open), Cancel
//   changes nothing. Then it is written whole.
// - Delete: only the name is checked; after the question the row and the record go, the
//   account's settings key is deleted (failures are shown and the deletion goes on), its
//   mails are discarded and the record destroyed (which removes its store file); a
//   password in the keyring is removed (a keyring that keeps it is said).
// - Passwords (engine/PasswordPlace.h, worked out off the GUI thread while the dialog is
//   greyed): a new account's goes to the keyring where one answers, else to the file; a
//   change keeps the account's place (PasswordStore), and an empty password edit keeps
//   the password of an account whose password lives outside the file; a changed server
//   or user moves its secret. A keyring that refuses changes nothing (said). An OAuth 2.0
//   account with the edit empty keeps whatever password it had where it was; its refresh
//   token goes with it when it is deleted, and a change drops its access token.
// - "サインイン..." signs the account named in the name edit in (settings/SignInDialog.h),
//   with the OAuth settings shown; a name not listed yet is the new account's.
// - Toggle: the row whose mark changed gets Enable from the mark; only Enable is written.
// - A failed settings write is shown and never undoes the change in memory.
// - While doc.IsBusy() (a job reads the accounts without a lock) nothing is changed:
//   the request is refused with a message and a toggled mark is put back.
// - After every successful add, change and delete the form is empty, no row is selected,
//   change and delete are disabled and the name edit has the focus.
#pragma once

#include "engine/PasswordPlace.h"

#include <QDialog>

#include <optional>
#include <string>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tolvane {

class CAccount;
class CAccountForm;
class CDocumentCore;

class CAccountDialog : public QDialog {
    Q_OBJECT

public:
    CAccountDialog(CDocumentCore& doc, QWidget* parent = nullptr);

    // Selects a row as a click on it would (scripts/screenshots shows an account this way).
    void SelectAccount(int nRow);

Q_SIGNALS:
    void accountsChanged();

protected:
    // Space or Enter in the list with nothing selected selects the focused row for editing.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    QPushButton* MakeButton(const char* textUtf8, const char* objectName);
    void AppendRow(const CAccount& account);
    void ClearForm();
    void UpdateButtons();
    // The row of the account named like the name edit, ignoring case; -1 when none.
    int FindNamedRow() const;
    bool RefuseWhileBusy();
    // Where the typed password goes for an account now as after (before: as it was; none
    // for a new account), worked out off the GUI thread; nothing when the keyring refused
    // (said). TakePasswordPlace puts the outcome into the record.
    std::optional<PasswordEditResult> PlacePassword(const CAccount* pBefore, const CAccount& after);
    static void TakePasswordPlace(CAccount& account, PasswordEditResult& result);
    // A removed account's secret, off the GUI thread; a keyring that keeps it is said.
    void RemovePassword(const CAccount& account);
    // Shows a message about the name edit's text, then selects and focuses it.
    void RefuseName(const char* messageUtf8);

    void OnSelectionChanged();
    void OnItemChanged(QListWidgetItem* pItem);
    void OnAdd();
    void OnChange();
    void OnDelete();
    void OnSignIn();

    CDocumentCore& m_doc;
    QListWidget* m_pList = nullptr;
    CAccountForm* m_pForm = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pChange = nullptr;
    QPushButton* m_pDelete = nullptr;
    QPushButton* m_pClose = nullptr;
};

} // namespace tolvane
