// CAccountAuthRows: the account form's rows for how the account logs in: "認証方式"
// (password or OAuth 2.0), and for OAuth 2.0 the provider, the client the user registered
// (id and, for Google's desktop clients, secret) and the "サインイン..." button.
//
// Contract:
// - Build adds the rows to the form layout; the OAuth rows are enabled only while OAuth 2.0
//   is chosen, and authenticationChosen tells the form (which greys its password edit).
// - Choosing a provider with a known POP3 server emits providerChosen (the form fills
//   server, port and encryption); Fill and Clear never do.
// - Fill shows an account's Authentication and OAuth keys; an Authentication the choice
//   does not offer (SASL PLAIN, or unknown) shows "パスワード" and is kept by CopyTo unless
//   the user picks OAuth 2.0. No provider stored shows Microsoft (as Clear does); one the
//   choice does not know shows none and is kept.
// - CopyTo writes Authentication, and with OAuth 2.0 chosen OAuthProvider, OAuthClientId and
//   OAuthClientSecret; the endpoints and scope of provider "other" are the file's and stay.
// - signInRequested is emitted by the button.
#pragma once

#include "engine/OAuthConfig.h"

#include <QObject>

#include <cstdint>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tolvane {

class CAccount;

class CAccountAuthRows : public QObject {
    Q_OBJECT

public:
    explicit CAccountAuthRows(QWidget* owner);

    void Build(QFormLayout* form);
    void Clear();
    void Fill(const CAccount& account);
    void CopyTo(CAccount& account) const;

    bool IsOAuth() const;
    // The OAuth settings as shown, over stored (the endpoints of "other" come from there).
    OAuthConfig ShownConfig(const OAuthConfig& stored) const;
    QLineEdit* ClientIdEdit() const { return m_pClientId; }

Q_SIGNALS:
    void authenticationChosen(bool bOAuth);
    void providerChosen(int32_t provider);
    void signInRequested();

private:
    void ApplyRule();

    QWidget* m_pOwner;
    QComboBox* m_pAuthentication = nullptr; // 0 password, 1 OAuth 2.0
    QComboBox* m_pProvider = nullptr;       // item index + 1 = OAuthProvider
    QLineEdit* m_pClientId = nullptr;
    QLineEdit* m_pClientSecret = nullptr;
    QPushButton* m_pSignIn = nullptr;
    int32_t m_nPasswordAuthentication = 0; // the value "パスワード" stands for
};

} // namespace tolvane
