#include "bench/DialogScreenshots.h"

#include "app/widgets/QtText.h"
#include "engine/Account.h"
#include "engine/DocumentCore.h"
#include "engine/SaslMechanisms.h"
#include "platform/AtomicFile.h"
#include "settings/AccountDialog.h"
#include "settings/ReloadLinesDialog.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <memory>

namespace tolvane {

namespace {

bool SaveShown(QWidget& window, const QString& path) {
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
    const QPixmap picture = window.grab();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    bool bWritten =
        buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG") &&
        WriteFileAtomic(ToPath(path),
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                        0644);
    if (!bWritten) {
        std::fprintf(stderr, "could not write %s\n", path.toUtf8().constData());
    }
    window.hide();
    return bWritten;
}

// The dialog over an Outlook.com account that signs in with OAuth 2.0, added for the
// picture alone and taken away again (the demo's settings never hold it).
bool SaveOAuthAccountShot(CDocumentCore& doc, const QString& path, QWidget* parent) {
    auto account = std::make_unique<CAccount>(nullptr, nullptr);
    account->Load("Outlook.com", false);
    account->m_strServer = "outlook.office365.com";
    account->m_nPort = 995;
    account->m_nSecurity = SECURITY_POP3S;
    account->m_strUser = "yamada@outlook.jp";
    account->m_nReceiveCount = 10;
    account->m_socket.m_nTimeout = 60;
    account->m_nAuthentication = AUTH_OAUTH2;
    account->m_oauth.nProvider = OAUTH_MICROSOFT;
    account->m_oauth.strClientId = "3f6c2a8e-51d4-4b0e-9c7a-2d8e5b1f4a90";
    doc.AddAccount(std::move(account));
    const size_t index = doc.Accounts().size() - 1;
    bool bWritten = false;
    {
        CAccountDialog accounts(doc, parent);
        accounts.SelectAccount(static_cast<int>(index));
        bWritten = SaveShown(accounts, path);
    }
    std::unique_ptr<CAccount> added = doc.TakeAccount(index);
    added->SetReport(nullptr, nullptr);
    added->ClearMails(true);
    return bWritten;
}

} // namespace

bool SaveDialogScreenshots(CDocumentCore& doc, const QString& folder, QWidget* parent) {
    const QDir dir(folder);
    CAccountDialog accounts(doc, parent);
    accounts.SelectAccount(0);
    bool bAll = SaveShown(accounts, dir.filePath(QStringLiteral("account-dialog.png")));
    bAll = SaveOAuthAccountShot(doc, dir.filePath(QStringLiteral("account-dialog-oauth.png")),
                                parent) &&
           bAll;
    CReloadLinesDialog lines(parent);
    bAll = SaveShown(lines, dir.filePath(QStringLiteral("reload-lines-dialog.png"))) && bAll;
    return bAll;
}

} // namespace tolvane
