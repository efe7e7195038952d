#include "setup/SetupProgram.h"

#include "platform/Paths.h"
#include "setup/Installation.h"
#include "setup/PrompterMessageHost.h"
#include "setup/QtTranslation.h"
#include "setup/SetupIcon.h"
#include "setup/Uninstallation.h"
#include "setup/WelcomeWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace tolvane::setup {

namespace {

// Presses the welcome window's buttons from the script until the window closes.
void PressFromScript(const QPointer<CWelcomeWindow>& window, CQtPrompter& prompter) {
    if (window.isNull() || !window->isVisible()) {
        return;
    }
    if (!prompter.HasAnswers()) {
        window->Abandon();
        return;
    }
    QPushButton* button =
        prompter.TakeAnswer() == IDOK ? window->OkButton() : window->CancelButton();
    button->click();
    QTimer::singleShot(0, window, [window, &prompter] { PressFromScript(window, prompter); });
}

int RunInstallation(const SetupContext& context, CQtPrompter& prompter) {
    if (!CheckShippedFiles(context, prompter)) {
        return SETUP_EXIT_FAILED;
    }
    CWelcomeWindow window(context, prompter);
    QEventLoop loop;
    QObject::connect(&window, &QDialog::finished, &loop, &QEventLoop::quit);
    window.show();
    if (prompter.IsScripted()) {
        QPointer<CWelcomeWindow> target(&window);
        QTimer::singleShot(0, &window, [target, &prompter] { PressFromScript(target, prompter); });
    }
    loop.exec();
    return window.ExitCode();
}

} // namespace

bool IsUninstallCommand(std::string_view commandLine) {
    return commandLine.substr(0, 2) == "/u";
}

std::string CommandLine(const QStringList& arguments) {
    return arguments.mid(1).join(QLatin1Char(' ')).toStdString();
}

int RunSetupProgram(std::string_view commandLine, const SetupContext& context,
                    CQtPrompter& prompter) {
    if (IsUninstallCommand(commandLine)) {
        return RunUninstallation(context, prompter);
    }
    return RunInstallation(context, prompter);
}

SetupContext MakeSetupContext(const std::filesystem::path& setupProgram, SettingsTree& tree) {
    SetupContext context;
    context.setupProgram = setupProgram;
    context.programFolder = setupProgram.parent_path();
    context.tree = &tree;
    return context;
}

int SetupMain(const std::function<std::filesystem::path()>& locateProgram) {
    QApplication::setWindowIcon(SetupIcon());
    InstallQtTranslation(QCoreApplication::instance());
    CQtPrompter prompter;
    if (const QByteArray answers = qgetenv("TOLVANE_SETUP_ANSWERS"); !answers.isNull()) {
        if (!prompter.QueueAnswers(answers.toStdString())) {
            std::fprintf(stderr, "TolvaneSetup: TOLVANE_SETUP_ANSWERS: ok / cancel\n");
            return SETUP_EXIT_FAILED;
        }
        prompter.SetEcho(true);
    }
    CPrompterMessageHost messages(prompter);
    const SetupContext context = MakeSetupContext(locateProgram(), SettingsTree::CurrentUser());
    return RunSetupProgram(CommandLine(QCoreApplication::arguments()), context, prompter);
}

} // namespace tolvane::setup
