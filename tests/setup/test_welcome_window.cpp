// The installation as the user meets it: the command line, the file check, and the
// welcome window driven offscreen (its buttons, keys and messages).
#include "platform/Autostart.h"
#include "setup/DesktopShortcut.h"
#include "setup/SetupProgram.h"
#include "setup/SetupTexts.h"
#include "setup/UninstallEntry.h"
#include "setup/WelcomeWindow.h"
#include "tests/setup/SetupTest.h"
#include "tests/support/ChildProcess.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;
using setup::CWelcomeWindow;

constexpr char kRoot[] = "Software\\Orrindale\\Tolvane";

class WelcomeTest : public SetupTest {
protected:
    bool Installed() { return Text(kRoot, "Version") == "3.0.1"; }
    bool ShortcutMade() { return fs::exists(setup::DesktopShortcutPath()); }
    bool SettingsFileExists() { return fs::exists(ConfigFolder() / "user.reg"); }
};

TEST(CommandLine, OnlyALeadingLowerCaseSlashUUninstalls) {
    EXPECT_TRUE(setup::IsUninstallCommand("/u"));
    EXPECT_TRUE(setup::IsUninstallCommand("/uninstall now"));
    EXPECT_FALSE(setup::IsUninstallCommand("/U"));
    EXPECT_FALSE(setup::IsUninstallCommand(" /u"));
    EXPECT_FALSE(setup::IsUninstallCommand("/"));
    EXPECT_FALSE(setup::IsUninstallCommand(""));
    EXPECT_EQ(setup::CommandLine(
                  {QStringLiteral("TolvaneSetup"), QStringLiteral("/u"), QStringLiteral("x")}),
              "/u x");
}

TEST_F(WelcomeTest, SlashUWithMoreLettersUninstallsAndCapitalUInstalls) {
    prompter.QueueAnswer(IDCANCEL); // the uninstall question
    EXPECT_EQ(setup::RunSetupProgram("/uX", context, prompter), setup::SETUP_EXIT_OK);
    EXPECT_EQ(Texts(), std::vector<std::string>{setup::txt::kUninstallQuestion});

    setup::CQtPrompter installing;
    installing.QueueAnswer(IDOK); // the welcome window's OK
    installing.QueueAnswer(IDOK); // the completion message
    EXPECT_EQ(setup::RunSetupProgram("/U", context, installing), setup::SETUP_EXIT_OK);
    ASSERT_EQ(installing.ShownBoxes().size(), 1u);
    EXPECT_EQ(installing.ShownBoxes()[0].textUtf8, setup::txt::kInstallDone);
    EXPECT_EQ(installing.ShownBoxes()[0].captionUtf8, setup::txt::kInstallDoneCaption);
    EXPECT_TRUE(Installed());
    EXPECT_TRUE(ShortcutMade());
}

TEST_F(WelcomeTest, MissingShippedFileRefusesAndChangesNothing) {
    fs::remove(programDir.Path() / "Tolvane.hlp");
    fs::create_directory(programDir.Path() / "Readme.txt.d");
    EXPECT_EQ(setup::RunSetupProgram("", context, prompter), setup::SETUP_EXIT_FAILED);
    ASSERT_EQ(Texts(), std::vector<std::string>{setup::txt::kFilesMissing});
    EXPECT_EQ(prompter.ShownBoxes()[0].captionUtf8, setup::txt::kSetupCaption);
    EXPECT_EQ(prompter.ShownBoxes()[0].icon, MsgIcon::Stop);
    EXPECT_FALSE(SettingsFileExists());
    EXPECT_FALSE(ShortcutMade());
    EXPECT_FALSE(fs::exists(setup::UninstallEntryPath()));

    // A folder is no file, and every required row is checked.
    WriteFileBytes(programDir.Path() / "Tolvane.hlp", "help");
    fs::remove(programDir.Path() / "Readme.txt");
    fs::create_directory(programDir.Path() / "Readme.txt");
    EXPECT_EQ(setup::FindMissingFile(programDir.Path()), "Readme.txt");
}

TEST_F(WelcomeTest, ShowsTitleTextCheckedBoxAndFocusedDefaultOk) {
    CWelcomeWindow window(context, prompter);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8(setup::txt::kSetupCaption));
    EXPECT_FALSE(window.windowIcon().isNull());
    const auto* text = window.findChild<QPlainTextEdit*>(QStringLiteral("welcomeText"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")),
              QString::fromUtf8(setup::txt::kWelcome));
    // The uninstall paragraph names this system's menu entry, not another system's panel.
    EXPECT_TRUE(text->toPlainText().endsWith(
        QString::fromUtf8("「アンインストールについて」\n  アプリケーションメニューから\n"
                          "  「トルヴェインのアンインストール」を選んでください。")));
    EXPECT_FALSE(text->toPlainText().contains(QString::fromUtf8("コントロールパネル")));
    const auto* box = window.findChild<QCheckBox*>(QStringLiteral("shortcutCheck"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(box->text().startsWith(QString::fromUtf8(setup::txt::kShortcutCheck)));
    EXPECT_TRUE(window.OkButton()->isDefault());
    EXPECT_EQ(window.OkButton()->text(), QStringLiteral("OK"));
    EXPECT_EQ(window.CancelButton()->text(), QString::fromUtf8(setup::txt::kCancel));
    EXPECT_EQ(QApplication::focusWidget(), window.OkButton());
}

TEST_F(WelcomeTest, OkRegistersMakesTheShortcutAndEndsWithTheCompletionMessage) {
    CWelcomeWindow window(context, prompter);
    window.show();
    QSignalSpy finished(&window, &QDialog::finished);
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.ExitCode(), setup::SETUP_EXIT_OK);
    EXPECT_TRUE(Installed());
    EXPECT_TRUE(ShortcutMade());
    EXPECT_TRUE(fs::exists(setup::UninstallEntryPath()));
    EXPECT_EQ(Texts(), std::vector<std::string>{setup::txt::kInstallDone});
}

// The login start, offered unticked: ticked, the autostart entry (valid for the desktop,
// starting the installed program minimised) is written and the option shows it.
TEST_F(WelcomeTest, TheTickedLoginStartWritesTheAutostartEntryAndTheOption) {
    CWelcomeWindow window(context, prompter);
    window.show();
    auto* box = window.findChild<QCheckBox*>(QStringLiteral("loginStartCheck"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8("ログイン時に起動する。"));
    EXPECT_FALSE(box->isChecked());
    box->setChecked(true);
    QTest::mouseClick(window.OkButton(), Qt::LeftButton);
    EXPECT_EQ(window.ExitCode(), setup::SETUP_EXIT_OK);
    EXPECT_EQ(Texts(), std::vector<std::string>{setup::txt::kInstallDone});
    ASSERT_TRUE(fs::exists(AutostartFile()));
    const ProcessResult valid =
        RunProcess("/usr/bin/desktop-file-validate", {AutostartFile().string()});
    EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
    EXPECT_NE(
        ReadFileBytes(AutostartFile())
            .find("Exec=\"" + (context.programFolder / "Tolvane").string() + "\" --minimized\n"),
        std::string::npos);
    EXPECT_EQ(Text("Software\\Orrindale\\Tolvane\\Option", "Autostart"), "dword:1");
}

TEST_F(WelcomeTest, UncheckedBoxInstallsWithoutShortcutFromTheKeyboard) {
    CWelcomeWindow window(context, prompter);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* box = window.findChild<QCheckBox*>(QStringLiteral("shortcutCheck"));
    QSignalSpy toggled(box, &QCheckBox::toggled);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab); // from OK back to the box
    EXPECT_EQ(QApplication::focusWidget(), box);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_EQ(toggled.count(), 1);
    EXPECT_FALSE(box->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // on to OK again
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(Installed());
    EXPECT_FALSE(ShortcutMade());
    EXPECT_EQ(Texts(), std::vector<std::string>{setup::txt::kInstallDone});
}

TEST_F(WelcomeTest, ReinstallDeclinedSkipsTheShortcutButCompletes) {
    PutText(kRoot, "Version", "3.0.1");
    prompter.QueueAnswer(IDCANCEL); // install again? no
    prompter.QueueAnswer(IDOK);     // completion
    CWelcomeWindow window(context, prompter);
    window.show();
    window.OkButton()->click();
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{setup::txt::kReinstallQuestion, setup::txt::kInstallDone}));
    EXPECT_FALSE(ShortcutMade());
    EXPECT_FALSE(fs::exists(setup::UninstallEntryPath()));
    EXPECT_EQ(window.ExitCode(), setup::SETUP_EXIT_OK);
}

TEST_F(WelcomeTest, CancelAsksAndOnlyOkEndsWithNothingChanged) {
    CWelcomeWindow window(context, prompter);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    prompter.QueueAnswer(IDCANCEL);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible()) << "Cancel in the confirmation returns to the window";
    prompter.QueueAnswer(IDCANCEL);
    window.close(); // the close box
    EXPECT_TRUE(window.isVisible());
    prompter.QueueAnswer(IDOK);
    window.CancelButton()->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Texts(), std::vector<std::string>(3, setup::txt::kCancelQuestion));
    EXPECT_EQ(prompter.ShownBoxes()[0].captionUtf8, setup::txt::kCancelCaption);
    EXPECT_EQ(prompter.ShownBoxes()[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(window.ExitCode(), setup::SETUP_EXIT_OK);
    EXPECT_FALSE(SettingsFileExists());
    EXPECT_FALSE(ShortcutMade());
}

TEST_F(WelcomeTest, FailedRegistrationIsReportedInsteadOfCompletion) {
    fs::create_directories(setup::UninstallEntryPath() / "in-the-way");
    CWelcomeWindow window(context, prompter);
    window.show();
    window.OkButton()->click();
    EXPECT_EQ(Texts(), std::vector<std::string>{setup::txt::kRegistrationFailed});
    EXPECT_EQ(prompter.ShownBoxes()[0].icon, MsgIcon::Stop);
    EXPECT_EQ(window.ExitCode(), setup::SETUP_EXIT_FAILED);
    EXPECT_FALSE(ShortcutMade());
}

TEST_F(WelcomeTest, FailedShortcutIsReportedBeforeTheCompletion) {
    // A file where the desktop folder belongs.
    WriteFileBytes(home.Path() / "Desktop", "a file, not a folder");
    CWelcomeWindow window(context, prompter);
    window.show();
    window.OkButton()->click();
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{setup::txt::kShortcutFailed, setup::txt::kInstallDone}));
    EXPECT_TRUE(Installed());
    EXPECT_EQ(window.ExitCode(), setup::SETUP_EXIT_FAILED);
}

TEST_F(WelcomeTest, UnattendedRunWithoutAnswersEndsWithoutChanges) {
    prompter.QueueAnswer(IDCANCEL); // the window's Cancel
    prompter.QueueAnswer(IDCANCEL); // no, do not stop: then the answers run out
    EXPECT_EQ(setup::RunSetupProgram("", context, prompter), setup::SETUP_EXIT_FAILED);
    EXPECT_EQ(Texts(), std::vector<std::string>{setup::txt::kCancelQuestion});
    EXPECT_FALSE(SettingsFileExists());
}

} // namespace
} // namespace tolvane::test
