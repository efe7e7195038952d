#include "settings/AccountAuthRows.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/QtText.h"
#include "engine/Account.h"
#include "engine/SaslMechanisms.h"
#include "settings/SettingsTexts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tolvane {

namespace {

constexpr int kAuthPasswordItem = 0;
constexpr int kAuthOAuthItem = 1;
constexpr int kClientLimit = 255;

QLineEdit* MakeEdit(QWidget* owner, const char* labelUtf8, const char* objectName) {
    auto* edit = new QLineEdit(owner);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setAccessibleName(AccessibleName(labelUtf8));
    edit->setMaxLength(kClientLimit);
    return edit;
}

void AddRow(QFormLayout* form, QWidget* owner, const char* labelUtf8, QWidget* field,
            QWidget* buddy) {
    auto* label = new QLabel(Tr(labelUtf8), owner);
    label->setBuddy(buddy);
    form->addRow(label, field);
}

} // namespace

CAccountAuthRows::CAccountAuthRows(QWidget* owner) : QObject(owner), m_pOwner(owner) {}

void CAccountAuthRows::Build(QFormLayout* form) {
    m_pAuthentication = new QComboBox(m_pOwner);
    m_pAuthentication->setObjectName(QStringLiteral("authenticationCombo"));
    m_pAuthentication->setAccessibleName(AccessibleName(gui::txt::kAuthenticationLabel));
    m_pAuthentication->addItem(Tr(gui::txt::kAuthPassword));
    m_pAuthentication->addItem(Tr(gui::txt::kAuthOAuth));
    AddRow(form, m_pOwner, gui::txt::kAuthenticationLabel, m_pAuthentication, m_pAuthentication);

    m_pProvider = new QComboBox(m_pOwner);
    m_pProvider->setObjectName(QStringLiteral("providerCombo"));
    m_pProvider->setAccessibleName(AccessibleName(gui::txt::kProviderLabel));
    // In the order of the values: Microsoft, Google, other.
    for (const char* item :
         {gui::txt::kProviderMicrosoft, gui::txt::kProviderGoogle, gui::txt::kProviderOther}) {
        m_pProvider->addItem(Tr(item));
    }
    AddRow(form, m_pOwner, gui::txt::kProviderLabel, m_pProvider, m_pProvider);

    m_pClientId = MakeEdit(m_pOwner, gui::txt::kClientIdLabel, "clientIdEdit");
    AddRow(form, m_pOwner, gui::txt::kClientIdLabel, m_pClientId, m_pClientId);
    m_pClientSecret = MakeEdit(m_pOwner, gui::txt::kClientSecretLabel, "clientSecretEdit");
    m_pClientSecret->setPlaceholderText(Tr(gui::txt::kClientSecretHint));

    // The button sits with the secret: the row that completes what a sign-in needs.
    auto* secretRow = new QWidget(m_pOwner);
    auto* secretLayout = new QHBoxLayout(secretRow);
    secretLayout->setContentsMargins(0, 0, 0, 0);
    secretLayout->addWidget(m_pClientSecret, 1);
    m_pSignIn = new QPushButton(Tr(gui::txt::kSignInButton), m_pOwner);
    m_pSignIn->setObjectName(QStringLiteral("signInButton"));
    m_pSignIn->setAccessibleName(AccessibleName(gui::txt::kSignInButton));
    m_pSignIn->setAutoDefault(false);
    secretLayout->addWidget(m_pSignIn);
    AddRow(form, m_pOwner, gui::txt::kClientSecretLabel, secretRow, m_pClientSecret);

    connect(m_pAuthentication, &QComboBox::activated, this, [this] {
        ApplyRule();
        Q_EMIT authenticationChosen(IsOAuth());
    });
    connect(m_pProvider, &QComboBox::activated, this,
            [this](int index) { Q_EMIT providerChosen(static_cast<int32_t>(index + 1)); });
    connect(m_pSignIn, &QPushButton::clicked, this, [this] { Q_EMIT signInRequested(); });
    ApplyRule();
}

void CAccountAuthRows::ApplyRule() {
    const bool bOAuth = IsOAuth();
    for (QWidget* widget :
         std::initializer_list<QWidget*>{m_pProvider, m_pClientId, m_pClientSecret, m_pSignIn}) {
        widget->setEnabled(bOAuth);
    }
}

void CAccountAuthRows::Clear() {
    m_nPasswordAuthentication = AUTH_USER_PASS;
    m_pAuthentication->setCurrentIndex(kAuthPasswordItem);
    m_pProvider->setCurrentIndex(OAUTH_MICROSOFT - 1);
    m_pClientId->clear();
    m_pClientSecret->clear();
    ApplyRule();
}

void CAccountAuthRows::Fill(const CAccount& account) {
    const bool bOAuth = account.m_nAuthentication == AUTH_OAUTH2;
    m_nPasswordAuthentication = bOAuth ? AUTH_USER_PASS : account.m_nAuthentication;
    m_pAuthentication->setCurrentIndex(bOAuth ? kAuthOAuthItem : kAuthPasswordItem);
    // None stored yet shows Microsoft, as a new account does; an unknown value shows none.
    const int32_t provider =
        account.m_oauth.nProvider == 0 ? OAUTH_MICROSOFT : account.m_oauth.nProvider;
    const bool bKnown = provider >= OAUTH_MICROSOFT && provider <= OAUTH_OTHER;
    m_pProvider->setCurrentIndex(bKnown ? provider - 1 : -1);
    m_pClientId->setText(FromUtf8Bytes(account.m_oauth.strClientId));
    m_pClientSecret->setText(FromUtf8Bytes(account.m_oauth.strClientSecret));
    ApplyRule();
}

bool CAccountAuthRows::IsOAuth() const {
    return m_pAuthentication->currentIndex() == kAuthOAuthItem;
}

void CAccountAuthRows::CopyTo(CAccount& account) const {
    account.m_nAuthentication = IsOAuth() ? AUTH_OAUTH2 : m_nPasswordAuthentication;
    if (IsOAuth()) {
        account.m_oauth = ShownConfig(account.m_oauth); // a password account's stay as they are
    }
}

OAuthConfig CAccountAuthRows::ShownConfig(const OAuthConfig& stored) const {
    OAuthConfig config = stored;
    if (m_pProvider->currentIndex() >= 0) {
        config.nProvider = static_cast<int32_t>(m_pProvider->currentIndex() + 1);
    }
    config.strClientId = ToUtf8Bytes(m_pClientId->text().trimmed());
    config.strClientSecret = ToUtf8Bytes(m_pClientSecret->text().trimmed());
    return config;
}

} // namespace tolvane
