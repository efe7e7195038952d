#include "settings/SignInDialog.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/QtText.h"
#include "app/widgets/UrlOpener.h"
#include "engine/OAuthSignIn.h"
#include "engine/OAuthTokens.h"
#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Texts.h"
#include "settings/SettingsTexts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <thread>

namespace tolvane {

namespace {

constexpr int64_t kSignInWaitMs = 5 * 60 * 1000;

enum : int { SIGNIN_NOT_STORED = 100 };

class CSignInDialog final : public QDialog {
public:
    CSignInDialog(QWidget* parent, const std::string& url, COAuthSignIn& signIn)
        : QDialog(parent), m_signIn(signIn) {
        setWindowTitle(Tr(gui::txt::kSignInTitle));
        setObjectName(QStringLiteral("signInDialog"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(Tr(gui::txt::kSignInWaiting), this));
        auto* address = new QLineEdit(QString::fromStdString(url), this);
        address->setObjectName(QStringLiteral("signInUrlEdit"));
        address->setAccessibleName(AccessibleName(gui::txt::kSignInTitle));
        address->setReadOnly(true);
        address->setCursorPosition(0);
        address->setMinimumWidth(address->fontMetrics().averageCharWidth() * 60);
        layout->addWidget(address);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        m_pCancel = new QPushButton(Tr(gui::txt::kCancelButton), this);
        m_pCancel->setObjectName(QStringLiteral("cancelButton"));
        m_pCancel->setAccessibleName(AccessibleName(gui::txt::kCancelButton));
        m_pCancel->setDefault(true);
        buttons->addWidget(m_pCancel);
        layout->addLayout(buttons);
        connect(m_pCancel, &QPushButton::clicked, this, [this] { reject(); });
    }

    // The thread's end: the window may go now.
    void Finished(int result) {
        m_bFinished = true;
        m_nResult = result;
        accept();
    }
    bool IsFinished() const { return m_bFinished; }
    int Result() const { return m_nResult; }

    void reject() override {
        if (m_bFinished) {
            QDialog::reject();
            return;
        }
        m_signIn.Cancel(); // the window goes when the sign-in has stopped
        m_pCancel->setEnabled(false);
    }

private:
    COAuthSignIn& m_signIn;
    QPushButton* m_pCancel = nullptr;
    bool m_bFinished = false;
    int m_nResult = SIGNIN_CANCELLED;
};

void ShowOutcome(int result, const std::string& accountCp932) {
    switch (result) {
    case SIGNIN_OK:
        ShowMessage(SjisFormat(gui::txt::kSignInDone, accountCp932.c_str()), MsgButtons::Ok,
                    MsgIcon::Information);
        return;
    case SIGNIN_CANCELLED:
        return; // the user's own doing: nothing to say
    case SIGNIN_REFUSED:
        ShowMessageUtf8(gui::txt::kSignInRefused, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    case SIGNIN_TIMEOUT:
        ShowMessageUtf8(gui::txt::kSignInTimedOut, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    case SIGNIN_NOT_STORED:
        ShowMessageUtf8(gui::txt::kSignInNotStored, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    default:
        ShowMessageUtf8(gui::txt::kSignInFailed, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
}

} // namespace

bool RunSignIn(QWidget* parent, const std::string& accountCp932, const OAuthConfig& stored) {
    OAuthConfig config;
    if (ResolveOAuthConfig(stored, config) != OAUTH_CONFIG_OK) {
        ShowMessageUtf8(gui::txt::kSignInSettings, MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    COAuthSignIn signIn;
    std::string url;
    if (!signIn.Start(config, url)) {
        ShowMessageUtf8(gui::txt::kSignInNoListener, MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    CSignInDialog dialog(parent, url, signIn);
    CSignInDialog* window = &dialog;
    std::thread waiter([&signIn, window, accountCp932] {
        TokenReply reply;
        std::string detail;
        int result = signIn.Finish(SystemMonotonicClock(), kSignInWaitMs, reply, detail);
        if (result == SIGNIN_OK && !SharedOAuthTokens().SignedIn(accountCp932, reply)) {
            result = SIGNIN_NOT_STORED;
        }
        // Delivered on the GUI thread while the window still stands (it goes only after
        // the join below; a call still queued then is dropped with it).
        QMetaObject::invokeMethod(
            window, [window, result] { window->Finished(result); }, Qt::QueuedConnection);
    });
    OpenUrl(QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode)); // shown too
    dialog.exec();
    if (!dialog.IsFinished()) {
        signIn.Cancel(); // the program is quitting: the sign-in stops at once
    }
    waiter.join();
    const int result = dialog.IsFinished() ? dialog.Result() : SIGNIN_CANCELLED;
    ShowOutcome(result, accountCp932);
    return result == SIGNIN_OK;
}

} // namespace tolvane
