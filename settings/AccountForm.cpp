#include "settings/AccountForm.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/DecimalRule.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/QtText.h"
#include "app/widgets/UpDown.h"
#include "engine/Account.h"
#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "settings/AccountAuthRows.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>

namespace tolvane {

namespace {

// The longest text of the four text fields; for the name it counts CP932 bytes, the
// longest key name the settings hold.
constexpr int kTextLimit = 255;
constexpr int kPortLimit = 5;
constexpr int kLinesLimit = 9;
constexpr int kSecondsLimit = 4;
constexpr int kDaysLimit = 4;
constexpr int32_t kLinesUpper = 999999999;
constexpr int32_t kSecondsUpper = 9999;
constexpr int32_t kDaysUpper = 9999;
constexpr uint32_t kPortUpper = 65535; // a TCP port
// The form's defaults.
constexpr int32_t kClearPort = 110;
constexpr int32_t kPop3sPort = 995;
constexpr int32_t kDefaultSecurity = SECURITY_POP3S;
constexpr int32_t kDefaultLines = 10;
constexpr int32_t kDefaultTimeout = 60;
constexpr int32_t kDefaultDays = 5;
// How far the settings that depend on a check box are indented under it.
constexpr int kIndent = 20;

// Refuses an edit that would make the text longer than a number of CP932 bytes.
class Cp932LengthValidator final : public QValidator {
public:
    Cp932LengthValidator(size_t nBytes, QObject* parent) : QValidator(parent), m_nBytes(nBytes) {}
    State validate(QString& input, int& /*pos*/) const override {
        return ToCp932(input).size() <= m_nBytes ? Acceptable : Invalid;
    }

private:
    size_t m_nBytes;
};

// Settings text (server, user name, password) between the edits and the record: the
// exact UTF-8 bytes, never CP932 (CAccount).
std::string RecordText(const QString& text) {
    return ToUtf8Bytes(text);
}
QString ShownText(const std::string& text) {
    return FromUtf8Bytes(text);
}

// A number edit as wide as its longest number.
void LimitDigits(CNumberEdit* edit, int nLimit) {
    edit->setMaxLength(nLimit);
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(nLimit + 1, u'0')) +
                        2 * frame + 8);
}

int32_t Flag(const QCheckBox* check) {
    return check->isChecked() ? 1 : 0;
}

} // namespace

CAccountForm::CAccountForm(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* accountGroup = new QGroupBox(Tr(gui::txt::kAccountInfoGroup), this);
    accountGroup->setObjectName(QStringLiteral("accountGroup"));
    auto* accountForm = new QFormLayout(accountGroup);
    BuildAccountGroup(accountForm);
    layout->addWidget(accountGroup);

    auto* extraGroup = new QGroupBox(Tr(gui::txt::kExtraGroup), this);
    extraGroup->setObjectName(QStringLiteral("extraGroup"));
    auto* extraForm = new QFormLayout(extraGroup);
    BuildExtraGroup(extraForm);
    layout->addWidget(extraGroup);
    layout->addStretch(1);

    connect(m_pNewMailOnly, &QCheckBox::clicked, this, [this] { ApplyNewMailRule(); });
    connect(m_pLimitDelete, &QCheckBox::clicked, this, [this] { ApplyDaysRule(); });
}

void CAccountForm::BuildAccountGroup(QFormLayout* form) {
    struct TextRow {
        QLineEdit** ppEdit;
        const char* labelUtf8;
        const char* objectName;
    };
    const TextRow rows[] = {
        {&m_pName, gui::txt::kAccountNameLabel, "nameEdit"},
        {&m_pServer, gui::txt::kServerLabel, "serverEdit"},
        {&m_pUser, gui::txt::kUserLabel, "userEdit"},
        {&m_pPassword, gui::txt::kPasswordLabel, "passwordEdit"},
    };
    for (const TextRow& row : rows) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(row.objectName));
        edit->setAccessibleName(AccessibleName(row.labelUtf8));
        edit->setMaxLength(kTextLimit);
        edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 28);
        auto* label = new QLabel(Tr(row.labelUtf8), this);
        label->setBuddy(edit);
        form->addRow(label, edit);
        *row.ppEdit = edit;
    }
    m_pName->setValidator(new Cp932LengthValidator(kTextLimit, m_pName));
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pPort = AddNumber(form, gui::txt::kPortLabel, "portEdit", kPortLimit, nullptr, nullptr);
    BuildSecurityRow(form);
    m_pAuth = new CAccountAuthRows(this);
    m_pAuth->Build(form);
    connect(m_pAuth, &CAccountAuthRows::authenticationChosen, this,
            [this] { ApplyAuthenticationRule(); });
    connect(m_pAuth, &CAccountAuthRows::providerChosen, this,
            [this](int32_t provider) { FillProviderServer(provider); });
}

bool CAccountForm::IsOAuth() const {
    return m_pAuth->IsOAuth();
}

// An OAuth 2.0 account sends no password: its edit is greyed (what it holds is kept).
void CAccountForm::ApplyAuthenticationRule() {
    m_pPassword->setEnabled(!m_pAuth->IsOAuth());
}

void CAccountForm::FillProviderServer(int32_t provider) {
    ProviderPop3Server server{};
    if (!ProviderServer(provider, server)) {
        return;
    }
    m_pServer->setText(QString::fromLatin1(server.host));
    m_pPort->setText(QString::number(server.port));
    m_pSecurity->setCurrentIndex(SECURITY_POP3S);
}

void CAccountForm::BuildSecurityRow(QFormLayout* form) {
    m_pSecurity = new QComboBox(this);
    m_pSecurity->setObjectName(QStringLiteral("securityCombo"));
    m_pSecurity->setAccessibleName(AccessibleName(gui::txt::kSecurityLabel));
    // In the order of the values: none, STLS, POP3S.
    for (const char* item :
         {gui::txt::kSecurityNone, gui::txt::kSecurityStls, gui::txt::kSecurityPop3s}) {
        m_pSecurity->addItem(Tr(item));
    }
    auto* label = new QLabel(Tr(gui::txt::kSecurityLabel), this);
    label->setBuddy(m_pSecurity);
    form->addRow(label, m_pSecurity);
    // Only the user's choice moves the port, never Fill or Clear.
    connect(m_pSecurity, &QComboBox::activated, this, [this] { ApplyPortRule(); });
}

void CAccountForm::ApplyPortRule() {
    const bool bPop3s = m_pSecurity->currentIndex() == SECURITY_POP3S;
    const int32_t other = bPop3s ? kClearPort : kPop3sPort;
    if (m_pPort->text() == QString::number(other)) {
        m_pPort->setText(QString::number(bPop3s ? kPop3sPort : kClearPort));
    }
}

void CAccountForm::BuildExtraGroup(QFormLayout* form) {
    m_pLines = AddNumber(form, gui::txt::kLinesLabel, "linesEdit", kLinesLimit, &m_pLinesSpin,
                         "linesSpin");
    m_pLinesSpin->SetRange(0, kLinesUpper);
    m_pTimeout = AddNumber(form, gui::txt::kTimeoutLabel, "timeoutEdit", kSecondsLimit,
                           &m_pTimeoutSpin, "timeoutSpin");
    m_pTimeoutSpin->SetRange(1, kSecondsUpper);

    m_pSimpleDelete = MakeCheck(gui::txt::kSimpleDeleteCheck, "simpleDeleteCheck");
    m_pNewMailOnly = MakeCheck(gui::txt::kNewMailOnlyCheck, "newMailOnlyCheck");
    m_pLimitDelete = MakeCheck(gui::txt::kLimitDeleteCheck, "limitDeleteCheck");
    form->addRow(m_pSimpleDelete);
    form->addRow(m_pNewMailOnly);

    // The deletion after some days belongs to "new mail only": shown indented under it.
    auto* dependent = new QWidget(this);
    auto* dependentLayout = new QVBoxLayout(dependent);
    dependentLayout->setContentsMargins(kIndent, 0, 0, 0);
    dependentLayout->addWidget(m_pLimitDelete);
    dependentLayout->addWidget(MakeDaysRow());
    m_pConfirm = MakeCheck(gui::txt::kConfirmLimitDeleteCheck, "confirmLimitDeleteCheck");
    dependentLayout->addWidget(m_pConfirm);
    form->addRow(dependent);
}

CNumberEdit* CAccountForm::AddNumber(QFormLayout* form, const char* labelUtf8,
                                     const char* objectName, int nLimit, CUpDown** ppSpin,
                                     const char* spinName) {
    auto* edit = new CNumberEdit(this);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setAccessibleName(AccessibleName(labelUtf8));
    LimitDigits(edit, nLimit);
    auto* label = new QLabel(Tr(labelUtf8), this);
    label->setBuddy(edit);
    if (ppSpin == nullptr) {
        form->addRow(label, edit);
        return edit;
    }
    auto* field = new QWidget(this);
    auto* fieldLayout = new QHBoxLayout(field);
    fieldLayout->setContentsMargins(0, 0, 0, 0);
    fieldLayout->setSpacing(0);
    fieldLayout->addWidget(edit);
    *ppSpin = new CUpDown(edit, field);
    (*ppSpin)->setObjectName(QString::fromLatin1(spinName));
    (*ppSpin)->setAccessibleName(AccessibleName(labelUtf8));
    fieldLayout->addWidget(*ppSpin);
    fieldLayout->addStretch(1);
    form->addRow(label, field);
    return edit;
}

QCheckBox* CAccountForm::MakeCheck(const char* textUtf8, const char* objectName) {
    auto* check = new QCheckBox(Tr(textUtf8), this);
    check->setObjectName(QString::fromLatin1(objectName));
    check->setAccessibleName(AccessibleName(textUtf8));
    return check;
}

QWidget* CAccountForm::MakeDaysRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(kIndent, 0, 0, 0);
    layout->setSpacing(0);
    auto* before = new QLabel(Tr(gui::txt::kLimitDaysBefore), row);
    m_pDays = new CNumberEdit(row);
    m_pDays->setObjectName(QStringLiteral("limitDaysEdit"));
    m_pDays->setAccessibleName(Tr(gui::txt::kLimitDaysName));
    LimitDigits(m_pDays, kDaysLimit);
    before->setBuddy(m_pDays);
    m_pDaysSpin = new CUpDown(m_pDays, row);
    m_pDaysSpin->setObjectName(QStringLiteral("limitDaysSpin"));
    m_pDaysSpin->setAccessibleName(Tr(gui::txt::kLimitDaysName));
    m_pDaysSpin->SetRange(1, kDaysUpper);
    auto* after = new QLabel(Tr(gui::txt::kLimitDaysAfter), row);
    layout->addWidget(before);
    layout->addSpacing(4);
    layout->addWidget(m_pDays);
    layout->addWidget(m_pDaysSpin);
    layout->addSpacing(4);
    layout->addWidget(after);
    layout->addStretch(1);
    return row;
}

void CAccountForm::Clear() {
    for (QLineEdit* edit : {m_pName, m_pServer, m_pUser, m_pPassword}) {
        edit->clear();
    }
    m_pPassword->setPlaceholderText(QString());
    m_pSecurity->setCurrentIndex(kDefaultSecurity);
    m_pPort->setText(QString::number(kPop3sPort));
    m_pLinesSpin->SetPos(kDefaultLines);
    m_pTimeoutSpin->SetPos(kDefaultTimeout);
    m_pDaysSpin->SetPos(kDefaultDays);
    m_pSimpleDelete->setChecked(false);
    m_pNewMailOnly->setChecked(false);
    m_pLimitDelete->setChecked(false);
    m_pConfirm->setChecked(true);
    ApplyNewMailRule();
    m_pAuth->Clear();
    ApplyAuthenticationRule();
    m_pName->setFocus();
}

void CAccountForm::Fill(const CAccount& account) {
    m_pUser->setText(ShownText(account.m_strUser));
    m_pPassword->setText(ShownText(account.m_strPassword));
    const char* place =
        account.m_nPasswordStore == PASSWORD_IN_KEYRING   ? gui::txt::kPasswordInKeyring
        : account.m_nPasswordStore == PASSWORD_BY_COMMAND ? gui::txt::kPasswordByCommand
                                                          : nullptr;
    m_pPassword->setPlaceholderText(place ? Tr(place) : QString());
    m_pServer->setText(ShownText(account.m_strServer));
    m_pName->setText(FromCp932(account.m_strName));
    // The stored numbers as they are, even out of range: validation says so on a change.
    m_pPort->setText(QString::number(account.m_nPort));
    const bool bKnown = account.m_nSecurity >= 0 && account.m_nSecurity < m_pSecurity->count();
    m_pSecurity->setCurrentIndex(bKnown ? account.m_nSecurity : -1);
    m_pLines->setText(QString::number(account.m_nReceiveCount));
    m_pTimeout->setText(QString::number(account.m_socket.m_nTimeout));
    m_pSimpleDelete->setChecked(account.m_bSimpleDelete == 1);
    m_pNewMailOnly->setChecked(account.m_bNewMailOnly == 1);
    m_pLimitDelete->setChecked(account.m_bLimitDelete == 1);
    m_pDays->setText(QString::number(account.m_nLimitDays));
    m_pConfirm->setChecked(account.m_bConfLimitDelete == 1);
    ApplyNewMailRule();
    m_pAuth->Fill(account);
    ApplyAuthenticationRule();
}

// "New mail only" chooses between the simple deletion and the deletion after some days.
void CAccountForm::ApplyNewMailRule() {
    const bool bNewOnly = m_pNewMailOnly->isChecked();
    m_pSimpleDelete->setEnabled(!bNewOnly);
    m_pLimitDelete->setEnabled(bNewOnly);
    if (bNewOnly) {
        ApplyDaysRule();
        return;
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{m_pDays, m_pDaysSpin, m_pConfirm}) {
        widget->setEnabled(false);
    }
}

void CAccountForm::ApplyDaysRule() {
    const bool bOn = m_pLimitDelete->isChecked();
    for (QWidget* widget : std::initializer_list<QWidget*>{m_pDays, m_pDaysSpin, m_pConfirm}) {
        widget->setEnabled(bOn);
    }
}

bool CAccountForm::Refuse(const char* messageUtf8, QLineEdit* pEdit, bool bSelect) {
    ShowMessageUtf8(messageUtf8, MsgButtons::Ok, MsgIcon::Exclamation);
    if (bSelect) {
        pEdit->selectAll();
    }
    pEdit->setFocus();
    return false;
}

bool CAccountForm::IsNameHoldable() const {
    const QString name = m_pName->text();
    const std::string cp932 = ToCp932(name);
    // A character CP932 lacks becomes "?", a byte that is never a trail byte.
    if (std::count(cp932.begin(), cp932.end(), '?') != name.count(u'?')) {
        return false;
    }
    // "\" would address another key; a control character cannot stand in a key name.
    // Trail bytes are never below 0x40 nor 0x7F, so only a real one is found here.
    return Cp932Find(cp932, '\\') == std::string::npos &&
           std::none_of(cp932.begin(), cp932.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte < 0x20 || byte == 0x7F;
           });
}

bool CAccountForm::Validate(bool bPasswordOptional) {
    bPasswordOptional = bPasswordOptional || m_pAuth->IsOAuth();
    if (m_pName->text().isEmpty()) {
        return Refuse(gui::txt::kNameRange, m_pName, false);
    }
    if (!IsNameHoldable()) {
        return Refuse(gui::txt::kNameCharacters, m_pName, true);
    }
    const std::pair<QLineEdit*, const char*> texts[] = {
        {m_pServer, gui::txt::kServerRange},
        {m_pUser, gui::txt::kUserRange},
        {m_pPassword, gui::txt::kPasswordRange},
    };
    for (const auto& [edit, message] : texts) {
        if (edit->text().isEmpty() && !(edit == m_pPassword && bPasswordOptional)) {
            return Refuse(message, edit, false);
        }
    }
    if (m_pAuth->IsOAuth() && m_pAuth->ClientIdEdit()->text().trimmed().isEmpty()) {
        return Refuse(gui::txt::kClientIdRange, m_pAuth->ClientIdEdit(), false);
    }
    struct NumberCheck {
        CNumberEdit* pEdit;
        uint32_t nLower, nUpper;
        const char* message;
    };
    const NumberCheck numbers[] = {
        {m_pPort, 1, kPortUpper, gui::txt::kPortRange},
        {m_pLines, 0, kLinesUpper, gui::txt::kLinesRange},
        {m_pTimeout, 1, kSecondsUpper, gui::txt::kTimeoutRange},
        {m_pDays, 1, kDaysUpper, gui::txt::kDaysRange}, // checked even while it is disabled
    };
    for (const NumberCheck& check : numbers) {
        if (!DecimalInRange(check.pEdit->text(), check.nLower, check.nUpper)) {
            return Refuse(check.message, check.pEdit, true);
        }
    }
    return true;
}

std::string CAccountForm::TypedPassword() const {
    return RecordText(m_pPassword->text());
}

void CAccountForm::CopyTo(CAccount& account) const {
    account.m_strServer = RecordText(m_pServer->text());
    account.m_strUser = RecordText(m_pUser->text());
    account.m_nPort = DecimalValue(m_pPort->text());
    if (m_pSecurity->currentIndex() >= 0) {
        account.m_nSecurity = m_pSecurity->currentIndex();
    }
    account.m_nReceiveCount = DecimalValue(m_pLines->text());
    account.m_socket.m_nTimeout = DecimalValue(m_pTimeout->text());
    const int32_t bNewOnly = Flag(m_pNewMailOnly);
    account.m_bNewMailOnly = bNewOnly;
    account.m_bSimpleDelete = bNewOnly == 1 ? 0 : Flag(m_pSimpleDelete);
    account.m_bLimitDelete = bNewOnly == 1 ? Flag(m_pLimitDelete) : 0;
    account.m_nLimitDays = DecimalValue(m_pDays->text());
    account.m_bConfLimitDelete = Flag(m_pConfirm);
    m_pAuth->CopyTo(account);
}

std::string CAccountForm::NameCp932() const {
    return ToCp932(m_pName->text());
}

bool CAccountForm::IsNameEmpty() const {
    return m_pName->text().isEmpty();
}

std::string CAccountForm::ServerText() const {
    return RecordText(m_pServer->text());
}

void CAccountForm::FocusName() {
    m_pName->selectAll();
    m_pName->setFocus();
}

} // namespace tolvane
