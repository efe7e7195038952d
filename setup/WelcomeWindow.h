// CWelcomeWindow: the installation's welcome window ("トルヴェイン セットアップ").
//
// The welcome text (read-only), the check box "ログイン時に起動する。" (not checked at
// first), the check box "デスクトップにショートカットを作成する。" (checked at first), OK
// (the default button, focused at first) and キャンセル. OK runs FinishInstallation with
// the boxes' choices and closes the window. キャンセル, Escape and the close box ask
// "トルヴェインのインストールを中止しますか？" ("キャンセル確認"): OK closes the window
// with nothing changed, Cancel keeps it open. ExitCode() is the process exit
// code once the window has closed.
//
// Object names for tests: welcomeText, shortcutCheck, loginStartCheck, okButton,
// cancelButton.
#pragma once

#include "setup/SetupContext.h"
#include "setup/SetupPrompter.h"

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace tolvane::setup {

class CWelcomeWindow : public QDialog {
    Q_OBJECT
public:
    CWelcomeWindow(const SetupContext& context, ISetupPrompter& prompter);

    int ExitCode() const { return m_nExitCode; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    // Closes the window without a question, as a run that ends unattended without an
    // answer: nothing was changed, and the exit code says it failed.
    void Abandon();

    void accept() override;
    void reject() override;

private:
    QSize WholeTextSize() const;

    const SetupContext& m_context;
    ISetupPrompter& m_prompter;
    QPlainTextEdit* m_pText = nullptr;
    QCheckBox* m_pShortcut = nullptr;
    QCheckBox* m_pLoginStart = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    bool m_bFinishing = false;
    int m_nExitCode = SETUP_EXIT_OK;
};

} // namespace tolvane::setup
