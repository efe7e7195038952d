#include "setup/WelcomeWindow.h"

#include "setup/Installation.h"
#include "setup/SetupIcon.h"
#include "setup/SetupTexts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtMath>

namespace tolvane::setup {

namespace {

// The welcome text is kept with the CR LF line ends it was written with; the edit wants
// plain line feeds.
QString DisplayText(const char* textUtf8) {
    QString text = QString::fromUtf8(textUtf8);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

CWelcomeWindow::CWelcomeWindow(const SetupContext& context, ISetupPrompter& prompter)
    : m_context(context), m_prompter(prompter) {
    setWindowTitle(QString::fromUtf8(txt::kSetupCaption));
    setWindowIcon(SetupIcon());

    m_pText = new QPlainTextEdit(this);
    m_pText->setObjectName(QStringLiteral("welcomeText"));
    m_pText->setAccessibleName(QString::fromUtf8(txt::kSetupCaption));
    m_pText->setReadOnly(true);
    m_pText->setTabChangesFocus(true);
    m_pText->setPlainText(DisplayText(txt::kWelcome));

    // The box's text is kept exactly as it stands, without a mnemonic; Tab and Space reach it.
    m_pShortcut = new QCheckBox(QString::fromUtf8(txt::kShortcutCheck), this);
    m_pShortcut->setObjectName(QStringLiteral("shortcutCheck"));
    m_pShortcut->setChecked(true);
    m_pLoginStart = new QCheckBox(QString::fromUtf8(txt::kAutostartCheck), this);
    m_pLoginStart->setObjectName(QStringLiteral("loginStartCheck"));

    m_pOk = new QPushButton(QString::fromUtf8(txt::kOk), this);
    m_pOk->setObjectName(QStringLiteral("okButton"));
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton(QString::fromUtf8(txt::kCancel), this);
    m_pCancel->setObjectName(QStringLiteral("cancelButton"));
    m_pCancel->setAutoDefault(false);
    connect(m_pOk, &QPushButton::clicked, this, &CWelcomeWindow::accept);
    connect(m_pCancel, &QPushButton::clicked, this, &CWelcomeWindow::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_pOk);
    buttons->addWidget(m_pCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pText, 1);
    layout->addWidget(m_pLoginStart);
    layout->addWidget(m_pShortcut);
    layout->addLayout(buttons);

    setTabOrder(m_pText, m_pLoginStart);
    setTabOrder(m_pLoginStart, m_pShortcut);
    setTabOrder(m_pShortcut, m_pOk);
    setTabOrder(m_pOk, m_pCancel);
    m_pOk->setFocus();
    // Opens large enough for the whole welcome text in the desktop's font; smaller
    // windows scroll it.
    m_pText->setMinimumSize(WholeTextSize());
    const QSize size = sizeHint();
    m_pText->setMinimumSize(QSize(0, 0));
    resize(size);
}

QSize CWelcomeWindow::WholeTextSize() const {
    const QFontMetrics metrics(m_pText->font());
    const int width = metrics.horizontalAdvance(QChar(0x3042)) * 36; // 36 full-width letters
    QTextDocument document;
    document.setDefaultFont(m_pText->font());
    document.setDocumentMargin(m_pText->document()->documentMargin());
    document.setPlainText(m_pText->toPlainText());
    document.setTextWidth(width);
    const int frame = 2 * m_pText->frameWidth();
    return QSize(width + frame,
                 qCeil(document.size().height()) + 2 * metrics.lineSpacing() + frame);
}

void CWelcomeWindow::accept() {
    if (m_bFinishing) {
        return; // a second press while the first one's messages are still open
    }
    m_bFinishing = true;
    const Shortcut shortcut = m_pShortcut->isChecked() ? Shortcut::Create : Shortcut::Skip;
    const LoginStart loginStart =
        m_pLoginStart->isChecked() ? LoginStart::Create : LoginStart::Skip;
    m_nExitCode = FinishInstallation(m_context, shortcut, m_prompter, loginStart);
    QDialog::accept();
}

void CWelcomeWindow::reject() {
    if (m_bFinishing) {
        return;
    }
    if (m_prompter.Show(txt::kCancelQuestion, txt::kCancelCaption, MsgButtons::OkCancel,
                        MsgIcon::Default) == IDOK) {
        m_nExitCode = SETUP_EXIT_OK;
        QDialog::reject();
    }
}

void CWelcomeWindow::Abandon() {
    m_nExitCode = SETUP_EXIT_FAILED;
    QDialog::reject();
}

} // namespace tolvane::setup
