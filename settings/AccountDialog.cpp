#include "settings/AccountDialog.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/OffThread.h"
#include "app/widgets/QtText.h"
#include "engine/DocumentCore.h"
#include "engine/KeyringRefreshTokens.h"
#include "engine/OAuthTokens.h"
#include "engine/PasswordPlace.h"
#include "engine/SaslMechanisms.h"
#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Texts.h"
#include "settings/AccountAuthRows.h"
#include "settings/AccountForm.h"
#include "settings/SettingsTexts.h"
#include "settings/SignInDialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <new>

namespace tolvane {

CAccountDialog::CAccountDialog(CDocumentCore& doc, QWidget* parent) : QDialog(parent), m_doc(doc) {
    setObjectName(QStringLiteral("accountDialog"));
    setWindowTitle(Tr(gui::txt::kAccountDialogTitle));
    BuildLayout();
    for (const auto& account : m_doc.Accounts()) {
        AppendRow(*account);
    }
    m_pList->installEventFilter(this);
    connect(m_pList, &QListWidget::itemSelectionChanged, this, &CAccountDialog::OnSelectionChanged);
    connect(m_pList, &QListWidget::itemChanged, this, &CAccountDialog::OnItemChanged);
    connect(m_pAdd, &QPushButton::clicked, this, &CAccountDialog::OnAdd);
    connect(m_pChange, &QPushButton::clicked, this, &CAccountDialog::OnChange);
    connect(m_pDelete, &QPushButton::clicked, this, &CAccountDialog::OnDelete);
    connect(&m_pForm->AuthRows(), &CAccountAuthRows::signInRequested, this,
            &CAccountDialog::OnSignIn);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);
    ClearForm();
}

void CAccountDialog::BuildLayout() {
    // Created in the order of the tab chain: list, form, buttons.
    auto* listLabel = new QLabel(Tr(gui::txt::kAccountListLabel), this);
    m_pList = new QListWidget(this);
    m_pList->setObjectName(QStringLiteral("accountList"));
    m_pList->setAccessibleName(AccessibleName(gui::txt::kAccountListLabel));
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setSortingEnabled(false);
    listLabel->setBuddy(m_pList);
    m_pForm = new CAccountForm(this);
    m_pAdd = MakeButton(gui::txt::kAddButton, "addButton");
    m_pChange = MakeButton(gui::txt::kChangeButton, "changeButton");
    m_pDelete = MakeButton(gui::txt::kDeleteButton, "deleteButton");
    m_pClose = MakeButton(gui::txt::kCloseButton, "closeButton");
    m_pClose->setDefault(true);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(listLabel);
    listColumn->addWidget(m_pList, 1);
    auto* body = new QHBoxLayout;
    body->addLayout(listColumn, 1);
    body->addWidget(m_pForm, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pAdd);
    buttons->addWidget(m_pChange);
    buttons->addWidget(m_pDelete);
    buttons->addStretch(1);
    buttons->addWidget(m_pClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
}

QPushButton* CAccountDialog::MakeButton(const char* textUtf8, const char* objectName) {
    auto* button = new QPushButton(Tr(textUtf8), this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAccessibleName(AccessibleName(textUtf8));
    return button;
}

void CAccountDialog::AppendRow(const CAccount& account) {
    const QSignalBlocker blocker(m_pList);
    auto* item = new QListWidgetItem(FromCp932(account.m_strName), m_pList);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(account.m_bEnable == 1 ? Qt::Checked : Qt::Unchecked);
}

bool CAccountDialog::eventFilter(QObject* watched, QEvent* event) {
    // With nothing selected (one account cannot be selected with the arrow keys), Space
    // or Enter in the list selects the focused row (the first when none) for editing
    // instead of ticking its box. Merely passing through the list with Tab selects nothing:
    // a new account being typed into the form must not be replaced.
    if (watched == m_pList && event->type() == QEvent::KeyPress && m_pList->count() > 0 &&
        m_pList->selectedItems().isEmpty()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            SelectAccount(std::max(m_pList->currentRow(), 0));
            m_pList->currentItem()->setSelected(true);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CAccountDialog::SelectAccount(int nRow) {
    m_pList->setCurrentRow(nRow);
}

void CAccountDialog::ClearForm() {
    {
        const QSignalBlocker blocker(m_pList);
        m_pList->clearSelection();
        m_pList->setCurrentItem(nullptr);
    }
    m_pForm->Clear();
    UpdateButtons();
}

void CAccountDialog::UpdateButtons() {
    const bool bSelected = !m_doc.Accounts().empty() && !m_pList->selectedItems().isEmpty();
    m_pChange->setEnabled(bSelected);
    m_pDelete->setEnabled(bSelected);
}

int CAccountDialog::FindNamedRow() const {
    const std::string name = m_pForm->NameCp932();
    for (size_t i = 0; i < m_doc.Accounts().size(); ++i) {
        if (Cp932EqualNoCase(m_doc.Accounts()[i]->m_strName, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CAccountDialog::RefuseWhileBusy() {
    if (!m_doc.IsBusy()) {
        return false;
    }
    ShowMessageUtf8(gui::txt::kAccountsBusy, MsgButtons::Ok, MsgIcon::Exclamation);
    return true;
}

void CAccountDialog::RefuseName(const char* messageUtf8) {
    ShowMessageUtf8(messageUtf8, MsgButtons::Ok, MsgIcon::Exclamation);
    m_pForm->FocusName();
}

void CAccountDialog::OnSelectionChanged() {
    const int nRow = m_pList->currentRow();
    if (!m_pList->selectedItems().isEmpty() && nRow >= 0 &&
        nRow < static_cast<int>(m_doc.Accounts().size())) {
        m_pForm->Fill(*m_doc.Accounts()[static_cast<size_t>(nRow)]);
    }
    UpdateButtons();
}

void CAccountDialog::OnItemChanged(QListWidgetItem* pItem) {
    const int nRow = m_pList->row(pItem);
    if (nRow < 0 || nRow >= static_cast<int>(m_doc.Accounts().size())) {
        return;
    }
    CAccount& account = *m_doc.GetAccount(nRow);
    const bool bChecked = pItem->checkState() == Qt::Checked;
    if (bChecked == (account.m_bEnable == 1)) {
        return; // not the mark that changed
    }
    if (m_doc.IsBusy()) {
        {
            const QSignalBlocker blocker(m_pList);
            pItem->setCheckState(account.m_bEnable == 1 ? Qt::Checked : Qt::Unchecked);
        }
        RefuseWhileBusy();
        return;
    }
    account.m_bEnable = bChecked ? 1 : 0;
    Q_EMIT accountsChanged();
    if (!account.WriteEnable()) {
        ShowMessageUtf8(txt::kRegistryWriteFailed, MsgButtons::Ok, MsgIcon::Stop);
    }
}

std::optional<PasswordEditResult> CAccountDialog::PlacePassword(const CAccount* pBefore,
                                                                const CAccount& after) {
    PasswordEdit edit;
    if (pBefore) {
        edit.before = pBefore->Keys();
        edit.nStoreBefore = pBefore->m_nPasswordStore;
        edit.nStoreWanted = pBefore->m_nPasswordStore;
    }
    edit.after = after.Keys();
    const CSecureString typed(m_pForm->TypedPassword());
    if (!typed.Empty()) {
        edit.typed = &typed;
    } else if (m_pForm->IsOAuth()) {
        // Nothing to place: an OAuth 2.0 login needs no password, and one kept keeps its place.
        PasswordEditResult kept;
        kept.nStore = pBefore ? pBefore->m_nPasswordStore : PASSWORD_IN_FILE;
        kept.bFilePassword = pBefore && pBefore->m_nPasswordStore == PASSWORD_IN_FILE;
        kept.filePassword.Append(kept.bFilePassword ? pBefore->m_strPassword : "");
        return kept;
    }
    PasswordEditResult result;
    RunOffThread(this, [&edit, &result] { result = ApplyPasswordEdit(edit, kSecretTimeoutMs); });
    if (result.code != SECRET_OK && result.code != SECRET_NO_SERVICE) {
        ShowMessageUtf8((std::string(gui::txt::kKeyringFailed) + "\n" + result.error).c_str(),
                        MsgButtons::Ok, MsgIcon::Exclamation);
        return std::nullopt;
    }
    return result;
}

void CAccountDialog::TakePasswordPlace(CAccount& account, PasswordEditResult& result) {
    account.m_nPasswordStore = result.nStore;
    account.m_strPassword.assign(result.bFilePassword ? result.filePassword.View() : "");
    result.filePassword.Clear();
}

void CAccountDialog::OnAdd() {
    if (RefuseWhileBusy() || !m_pForm->Validate()) {
        return;
    }
    if (FindNamedRow() >= 0) {
        RefuseName(gui::txt::kDuplicateName);
        return;
    }
    std::unique_ptr<CAccount> account(new (std::nothrow)
                                          CAccount(&CConnectionLog::Report, &m_doc.Log()));
    if (!account) {
        ShowMessageUtf8(txt::kOutOfMemory, MsgButtons::Ok, MsgIcon::Stop);
        return;
    }
    account->Load(m_pForm->NameCp932(), false);
    m_pForm->CopyTo(*account);
    std::optional<PasswordEditResult> place = PlacePassword(nullptr, *account);
    if (!place || RefuseWhileBusy()) {
        return;
    }
    TakePasswordPlace(*account, *place);
    account->m_bEnable = 1;
    CAccount& added = *account;
    AppendRow(added);
    m_doc.AddAccount(std::move(account));
    Q_EMIT accountsChanged();
    added.SaveAccount(); // a failure has been shown; the account stays
    ClearForm();
}

void CAccountDialog::OnChange() {
    // An account whose password lives outside the file keeps it when the edit stays empty.
    const int nRow = FindNamedRow();
    const bool bPasswordElsewhere =
        nRow >= 0 && m_doc.GetAccount(nRow)->m_nPasswordStore != PASSWORD_IN_FILE;
    if (RefuseWhileBusy() || !m_pForm->Validate(bPasswordElsewhere)) {
        return;
    }
    if (nRow < 0) {
        RefuseName(gui::txt::kChangeNotFound);
        return;
    }
    CAccount& account = *m_doc.GetAccount(nRow);
    if (m_pForm->ServerText() != account.m_strServer) {
        if (ShowMessageUtf8(gui::txt::kServerChanged, MsgButtons::OkCancel, MsgIcon::Exclamation) !=
                IDOK ||
            RefuseWhileBusy()) {
            return;
        }
    }
    // The password's place first: a keyring that refuses leaves the account as it was.
    CAccount changed(nullptr, nullptr);
    changed.m_strName = account.m_strName;
    m_pForm->CopyTo(changed);
    std::optional<PasswordEditResult> place = PlacePassword(&account, changed);
    if (!place || RefuseWhileBusy()) {
        return;
    }
    if (m_pForm->ServerText() != account.m_strServer) {
        account.ClearMails(false);
    }
    m_pForm->CopyTo(account);
    TakePasswordPlace(account, *place);
    SharedOAuthTokens().Forget(account.m_strName); // the next login asks with the new settings
    Q_EMIT accountsChanged();
    account.SaveAccount();
    ClearForm();
}

void CAccountDialog::OnSignIn() {
    if (m_pForm->IsNameEmpty()) {
        ShowMessageUtf8(gui::txt::kNameRange, MsgButtons::Ok, MsgIcon::Exclamation);
        m_pForm->FocusName();
        return;
    }
    const int nRow = FindNamedRow();
    // A listed account signs in under its own name and with its file's endpoints; a new one
    // under the name typed, which it is then added with.
    const CAccount* account = nRow >= 0 ? m_doc.GetAccount(nRow) : nullptr;
    const std::string name = account ? account->m_strName : m_pForm->NameCp932();
    const OAuthConfig config =
        m_pForm->AuthRows().ShownConfig(account ? account->m_oauth : OAuthConfig{});
    if (RunSignIn(this, name, config)) {
        m_pForm->AuthRows().ClientIdEdit()->setFocus();
    }
}

void CAccountDialog::OnDelete() {
    if (RefuseWhileBusy()) {
        return;
    }
    if (m_pForm->IsNameEmpty()) {
        ShowMessageUtf8(gui::txt::kNameRange, MsgButtons::Ok, MsgIcon::Exclamation);
        m_pForm->FocusName();
        return;
    }
    const int nRow = FindNamedRow();
    if (nRow < 0) {
        RefuseName(gui::txt::kDeleteNotFound);
        return;
    }
    const std::string question =
        SjisFormat(gui::txt::kDeleteQuestion, m_pForm->NameCp932().c_str());
    if (ShowMessage(question, MsgButtons::OkCancel, MsgIcon::Exclamation) != IDOK ||
        RefuseWhileBusy()) {
        return;
    }
    {
        const QSignalBlocker blocker(m_pList);
        delete m_pList->takeItem(nRow);
    }
    std::unique_ptr<CAccount> account = m_doc.TakeAccount(static_cast<size_t>(nRow));
    Q_EMIT accountsChanged();
    RemovePassword(*account);
    // Failures are shown by DeleteAccountKey; the account goes all the same.
    CAccount::DeleteAccountKey(account->m_strName);
    account->ClearMails(false);
    account.reset(); // removes its store file, which holds no mails now
    ClearForm();
}

void CAccountDialog::RemovePassword(const CAccount& account) {
    const bool bPassword = account.m_nPasswordStore == PASSWORD_IN_KEYRING;
    const bool bToken = account.m_nAuthentication == AUTH_OAUTH2;
    if (!bPassword && !bToken) {
        return;
    }
    SharedOAuthTokens().Forget(account.m_strName);
    int code = SECRET_OK;
    std::string error;
    const SecretKeys keys = account.Keys();
    const SecretKeys tokenKeys = CKeyringRefreshTokens::TokenKeys(account.m_strName);
    RunOffThread(this, [&] {
        if (bToken) {
            code = RemoveSecret(tokenKeys, kSecretTimeoutMs, &error);
        }
        if (bPassword && (code == SECRET_OK || code == SECRET_NOT_FOUND)) {
            code = RemoveSecret(keys, kSecretTimeoutMs, &error);
        }
    });
    if (code != SECRET_OK && code != SECRET_NOT_FOUND) {
        ShowMessageUtf8((std::string(gui::txt::kKeyringKept) + "\n" + error).c_str(),
                        MsgButtons::Ok, MsgIcon::Exclamation);
    }
}

} // namespace tolvane
