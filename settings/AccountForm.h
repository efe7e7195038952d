// CAccountForm: the form half of the account dialog: the groups "アカウント情報" (name,
// server, user name, password, port) and "追加設定情報" (preview lines, time-out, the
// deletion settings), with their limits, spin ranges and enable rules, and the validation
// that runs before an add or a change.
//
// Contract:
// - Clear() sets the empty form: text edits empty, encryption SSL/TLS (POP3S) on port
//   995 (a new account does not send its password in clear text), lines 10, time-out 60,
//   days 5, 1011/1012/1014 unchecked, 1016 checked, the deletion rules applied; it leaves
//   the keyboard focus on the name edit.
// - Choosing an encryption sets the port to 995 (SSL/TLS) or 110 (none, STLS) when it
//   still holds the other one's number; any other port stays.
// - Fill() shows a record (the name too) and applies the rules. An encryption value the
//   choice does not know shows no choice and is kept by CopyTo.
// - Fill() of an account whose password lives outside the settings file (the keyring, a
//   command) shows the password edit empty, with a hint of where it lives.
// - Validate() checks the fields in the dialog's order; the first failure shows its
//   message (warning icon) through the message interface, focuses the field (a number
//   field and the name also get their text selected) and yields false.
//   Beyond the range checks, a name is refused that the settings file or the log could
//   not hold as typed: one with "\" (it would address another key), a control character,
//   or a character outside CP932; the name edit also stops at 255 CP932 bytes, the longest
//   name the settings hold. bPasswordOptional: an empty password is no failure (it then
//   stays where it lives).
// - CopyTo() writes every value but the name, Enable, VerifyCertificate and the password
//   into a record (only after a successful Validate; TypedPassword gives the password): with "new
//   mail only" the simple deletion is stored off and the deletion after some days as shown; without
//   it the deletion after some days is stored off and the simple deletion as shown.
// - How the account logs in (password or OAuth 2.0) is CAccountAuthRows's: with OAuth 2.0
//   the password edit is greyed, the password is optional and a client id is required;
//   choosing Microsoft or Google fills server, port and encryption.
// - New rows for later settings go into the form layouts; nothing is placed absolutely.
#pragma once

#include <QWidget>

#include <string>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;

namespace tolvane {

class CAccount;
class CAccountAuthRows;
class CNumberEdit;
class CUpDown;

class CAccountForm : public QWidget {
    Q_OBJECT

public:
    explicit CAccountForm(QWidget* parent = nullptr);

    void Clear();
    void Fill(const CAccount& account);
    bool Validate(bool bPasswordOptional = false);
    void CopyTo(CAccount& account) const;
    // The password edit's text as the record holds passwords (UTF-8); "" when left empty.
    std::string TypedPassword() const;

    // The name edit's text as the record holds names (CP932).
    std::string NameCp932() const;
    bool IsNameEmpty() const;
    // The server edit in the form the record holds it.
    std::string ServerText() const;
    // Selects the whole name, scrolls it into view and gives it the focus.
    void FocusName();
    CAccountAuthRows& AuthRows() const { return *m_pAuth; }
    bool IsOAuth() const;

private:
    void BuildAccountGroup(QFormLayout* form);
    void BuildExtraGroup(QFormLayout* form);
    CNumberEdit* AddNumber(QFormLayout* form, const char* labelUtf8, const char* objectName,
                           int nLimit, CUpDown** ppSpin, const char* spinName);
    QCheckBox* MakeCheck(const char* textUtf8, const char* objectName);
    QWidget* MakeDaysRow();
    void ApplyNewMailRule();
    void ApplyDaysRule();
    void BuildSecurityRow(QFormLayout* form);
    void ApplyPortRule();
    void ApplyAuthenticationRule();
    void FillProviderServer(int32_t provider);
    bool Refuse(const char* messageUtf8, QLineEdit* pEdit, bool bSelect);
    bool IsNameHoldable() const;

    QLineEdit* m_pName = nullptr;
    QLineEdit* m_pServer = nullptr;
    QLineEdit* m_pUser = nullptr;
    QLineEdit* m_pPassword = nullptr;
    CNumberEdit* m_pPort = nullptr;
    QComboBox* m_pSecurity = nullptr; // item index = Security value
    CNumberEdit* m_pLines = nullptr;
    CUpDown* m_pLinesSpin = nullptr;
    CNumberEdit* m_pTimeout = nullptr;
    CUpDown* m_pTimeoutSpin = nullptr;
    QCheckBox* m_pSimpleDelete = nullptr;
    QCheckBox* m_pNewMailOnly = nullptr;
    QCheckBox* m_pLimitDelete = nullptr;
    CNumberEdit* m_pDays = nullptr;
    CUpDown* m_pDaysSpin = nullptr;
    QCheckBox* m_pConfirm = nullptr;
    CAccountAuthRows* m_pAuth = nullptr;
};

} // namespace tolvane
