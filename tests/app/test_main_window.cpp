// The main window as a user meets it: the first start, the busy state, the check timer,
// the account menus, the layout kept between runs, the log in the pane, quitting.
#include "app/CommandIds.h"
#include "app/InformationView.h"
#include "app/MainFrame.h"
#include "app/MainMenus.h"
#include "app/TolvaneDoc.h"
#include "app/TrayIcon.h"
#include "app/maillist/TolvaneView.h"
#include "app/widgets/QtText.h"
#include "engine/JobTexts.h"
#include "engine/Worker.h"
#include "platform/CodePage.h"
#include "platform/Options.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Texts.h"
#include "settings/ReportDialog.h"
#include "settings/SettingsTexts.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/FakeSecretStore.h"
#include "tests/support/gui/AppTest.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace tolvane::test {
namespace {

using namespace std::chrono_literals;
using gui::CMainFrame;

const char kIdle[] = "ﾍﾙﾌﾟを表示するには [F1] を押してください。";

bool Enabled(CMainFrame* frame, int id) {
    return frame->Menus().Action(id)->isEnabled();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.SetMessages({{"u1", MakeMessage({"Subject: one"}, {"line 1"})},
                            {"u2", MakeMessage({"Subject: two"}, {"line 2"})}});
    }
    void WritePop() { WriteAccount({.nameUtf8 = "pop", .port = server.Port()}); }
    // Starts Tolvane on the account "pop" and checks it once.
    void StartChecked(RunningApp& app) {
        WritePop();
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.Trigger(gui::ID_CHECK_ALL));
        ASSERT_TRUE(app.WaitForJob());
        ASSERT_EQ(app.List()->RowCount(), 2);
    }

    GuiHome home;
    MessageBoxAnswers boxes;
    FakePop3Server server;
};

// A password still in the settings file moves into the keyring at start, before the
// start-up check, which then logs in with it; the file no longer holds it.
TEST_F(MainWindowTest, TheFilesPasswordMovesToTheKeyringBeforeTheStartUpCheck) {
    FakeSecretStore keyring;
    WritePop();
    ASSERT_TRUE(WriteProfileInt("Option", "FirstCheck", 1));
    RunningApp app;
    ASSERT_TRUE(app.Start()); // the move has ended
    EXPECT_EQ(keyring.Secret({"pop", "127.0.0.1", "taro"}), "secret");
    EXPECT_EQ(GetProfileString("Account\\pop", "Password", "<none>"), "");
    EXPECT_EQ(GetProfileInt("Account\\pop", "PasswordStore", -1), PASSWORD_IN_KEYRING);
    ASSERT_TRUE(app.WaitForJob(ID_CHECK_COMPLETE));
    EXPECT_EQ(app.List()->RowCount(), 2);
    EXPECT_EQ(app.Doc()->Log().GetLog().find("secret"), std::string::npos);
}

TEST_F(MainWindowTest, FirstStartWithoutSettingsShowsAnEmptyListAndAsksNothing) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), QString::fromUtf8("トルヴェイン"));
    EXPECT_EQ(app.List()->RowCount(), 0);
    // A newcomer is told where accounts are added, in the status line and by Ctrl+N.
    EXPECT_EQ(
        frame->MessagePaneText(),
        QString::fromUtf8("アカウントがありません。「アカウント」メニューの「アカウントの設定」"
                          "で追加してください。  ") +
            QString::fromUtf8(kIdle));
    EXPECT_EQ(frame->Tray().Tip(), QString::fromUtf8("受信メールはありません。"));
    EXPECT_FALSE(Enabled(frame, gui::ID_CHECK_ALL)); // no account
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    QTest::keyClick(app.List(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.TextsUtf8()[0], "アカウントが登録されていません。\n"
                                    "「アカウント」メニューの「アカウントの設定」でアカウントを"
                                    "追加してください。");
    EXPECT_EQ(boxes.Shown()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(Enabled(frame, gui::ID_CANCEL_CHECK));
    EXPECT_FALSE(frame->Menus().Action(gui::ID_AUTO_CHECK)->isChecked());
    EXPECT_TRUE(Enabled(frame, gui::ID_ACCOUNTS));
    EXPECT_FALSE(frame->CheckTimer().isActive());
    EXPECT_EQ(frame->geometry().size(), QSize(600, 480));
    // The tool bar in its order, each button named by its prompt.
    std::vector<int> tools;
    for (QAction* action : frame->Menus().ToolBar()->actions()) {
        tools.push_back(action->isSeparator() ? 0 : action->data().toInt());
    }
    EXPECT_EQ(tools,
              (std::vector<int>{gui::ID_CHECK_ALL, gui::ID_CANCEL_CHECK, 0, gui::ID_VIEWER_MAIL,
                                gui::ID_VIEWER_LOG, gui::ID_REPORT, 0, gui::ID_UNMARK_SELECTED,
                                gui::ID_MARK_SELECTED, 0, gui::ID_AUTO_CHECK, 0,
                                gui::ID_DELETE_MARKED, gui::ID_RELOAD_SELECTED, 0, gui::ID_ACCOUNTS,
                                0, gui::ID_CONTEXT_HELP, gui::ID_APP_ABOUT}));
    EXPECT_EQ(frame->Menus().Action(gui::ID_CHECK_ALL)->iconText(),
              QString::fromUtf8("すべてのアカウントで受信メールの確認をする"));
    // The check command with no account does nothing.
    frame->OnCommand(gui::ID_CHECK_ALL);
    EXPECT_FALSE(app.Doc()->IsBusy());
    ASSERT_TRUE(app.Quit());
    EXPECT_EQ(boxes.Shown().size(), 1u); // the answer to Ctrl+N alone
    EXPECT_EQ(GetProfileInt("Environment", "Status", 0), 1);
}

// Every menu item can be reached from the keyboard: each has a mnemonic, and no two items
// of one menu share one (an account's item is named by the account and has none).
void ExpectMnemonics(QMenu* menu) {
    QSet<QChar> used;
    for (QAction* action : menu->actions()) {
        const int id = action->data().toInt();
        if (action->isSeparator() || gui::IsToggleAccountId(id) || gui::IsCheckAccountId(id)) {
            continue;
        }
        const QString text = action->text();
        const qsizetype amp = text.indexOf(u'&');
        ASSERT_TRUE(amp >= 0 && amp + 1 < text.size()) << text.toStdString();
        const QChar key = text.at(amp + 1).toUpper();
        EXPECT_FALSE(used.contains(key)) << text.toStdString();
        used.insert(key);
        if (action->menu()) {
            ExpectMnemonics(action->menu());
        }
    }
}

TEST_F(MainWindowTest, EveryMenuItemHasAMnemonicOfItsOwn) {
    WritePop();
    RunningApp app;
    ASSERT_TRUE(app.Start());
    for (QAction* top : app.Frame()->menuBar()->actions()) {
        ASSERT_NE(top->menu(), nullptr);
        ASSERT_NO_FATAL_FAILURE(ExpectMnemonics(top->menu()));
    }
}

TEST_F(MainWindowTest, UnreadableSettingsFileIsToldAndEndsTheStart) {
    std::filesystem::create_directories(home.ConfigHome() / "tolvane" / "user.reg");
    RunningApp app;
    EXPECT_FALSE(app.Start());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(boxes.Shown()[0].text.contains(QStringLiteral("user.reg")));
}

// Accounts are checked side by side: while "first" waits on a silent server, "second" is
// checked to its end, yet the title and the cancel item name "first", the cancel stops it,
// and the list is filled once, after both.
TEST_F(MainWindowTest, TitleAndCancelItemNameTheFirstAccountStillBeingChecked) {
    FakePop3Server slow;
    slow.Script("TOP 1", FakeReply::Silence());
    slow.SetMessages({{"s1", MakeMessage({"Subject: slow"}, {"line"})}});
    WriteAccount({.nameUtf8 = "first", .port = slow.Port()});
    WriteAccount({.nameUtf8 = "second", .port = server.Port()});
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    frame->OnCommand(gui::ID_CHECK_ALL);
    ASSERT_TRUE(slow.WaitForCommand("TOP 1", 30s));
    ASSERT_TRUE(server.WaitForCommand("QUIT", 30s));
    ProcessEvents();
    EXPECT_EQ(frame->Menus().Action(gui::ID_CANCEL_CHECK)->text(),
              QString::fromUtf8("firstの受信確認を中止する(&Q)\tCtrl+B"));
    EXPECT_TRUE(frame->windowTitle().startsWith(QString::fromUtf8("トルヴェイン（first")));
    EXPECT_EQ(app.List()->RowCount(), 0);

    frame->OnCommand(gui::ID_CANCEL_CHECK);
    ASSERT_TRUE(app.WaitForJob(ID_CHECK_COMPLETE));
    ProcessEvents();
    EXPECT_EQ(app.List()->RowCount(), 2); // second's mails; first's check was stopped
    EXPECT_EQ(frame->windowTitle(), QString::fromUtf8("トルヴェイン"));
    const std::string log = Cp932ToUtf8(app.Doc()->Log().GetLog());
    EXPECT_LT(log.find("first"), log.find("second"));
    EXPECT_LT(log.rfind("first"), log.find("second")); // each account's texts together
}

TEST_F(MainWindowTest, BusyStateGreysWhatAJobMustNotMeetAndTheCancelItemNamesTheAccount) {
    WritePop();
    server.Script("TOP 1", FakeReply::Silence());
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    frame->OnCommand(gui::ID_CHECK_ALL);
    ASSERT_TRUE(server.WaitForCommand("TOP 1", 30s));
    ProcessEvents();
    EXPECT_EQ(frame->Tray().Tip(), QString::fromUtf8("受信確認中"));
    EXPECT_FALSE(app.List()->isEnabled());
    for (int id : {gui::ID_CHECK_ALL, gui::ID_ACCOUNTS, gui::ID_OPTIONS, gui::ID_APP_EXIT,
                   gui::ID_SELECT_ALL, gui::ID_INFO_CONTENT, gui::ID_TOGGLE_ACCOUNT_0,
                   gui::ID_CHECK_ACCOUNT_0}) {
        EXPECT_FALSE(Enabled(frame, id)) << id;
    }
    for (int id : {gui::ID_CANCEL_CHECK, gui::ID_AUTO_CHECK, gui::ID_REPORT, gui::ID_VIEWER_LOG}) {
        EXPECT_TRUE(Enabled(frame, id)) << id;
    }
    EXPECT_EQ(frame->Menus().Action(gui::ID_CANCEL_CHECK)->text(),
              QString::fromUtf8("popの受信確認を中止する(&Q)\tCtrl+B"));
    EXPECT_TRUE(frame->windowTitle().startsWith(QString::fromUtf8("トルヴェイン（pop")));
    QMenu* tray = frame->Tray().Menu();
    for (QAction* action : tray->actions()) {
        const int id = action->data().toInt();
        if (!action->isSeparator()) {
            EXPECT_EQ(action->isEnabled(), id == gui::ID_SHOW_HIDE) << id;
        }
    }
    // The close box does nothing while busy.
    QSignalSpy exit(frame, &CMainFrame::exitRequested);
    frame->close();
    EXPECT_EQ(exit.count(), 0);

    frame->OnCommand(gui::ID_CANCEL_CHECK);
    ASSERT_TRUE(app.WaitForJob(ID_CHECK_COMPLETE));
    ProcessEvents();
    EXPECT_FALSE(app.Doc()->IsBusy());
    EXPECT_TRUE(app.List()->isEnabled());
    EXPECT_FALSE(Enabled(frame, gui::ID_CANCEL_CHECK));
    EXPECT_EQ(frame->windowTitle(), QString::fromUtf8("トルヴェイン"));
    EXPECT_EQ(frame->Menus().Action(gui::ID_CANCEL_CHECK)->text(),
              QString::fromUtf8("受信確認を中止する(&Q)\tCtrl+B"));
}

// Cancel is pressable as soon as a job of any kind runs, without a menu being opened: a
// deletion and a reload against a server that falls silent, each ended by the cancel item
// (a time-out would end them as failed, not cancelled; the silent server then lets QUIT
// wait for its time-out).
TEST_F(MainWindowTest, CancelIsPressableDuringADeletionAndAReloadAndEndsThem) {
    WritePop();
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    frame->OnCommand(gui::ID_CHECK_ALL);
    ASSERT_TRUE(app.WaitForJob());
    QAction* cancel = frame->Menus().Action(gui::ID_CANCEL_CHECK);
    const auto cancelWhenSilent = [&](const char* silentCommand, int completion) {
        ASSERT_TRUE(server.WaitForCommand(silentCommand, 30s));
        ProcessEvents();
        ASSERT_TRUE(cancel->isEnabled());
        cancel->trigger(); // as the tool-bar button and Ctrl+B do
        ASSERT_TRUE(app.WaitForJob(completion));
        EXPECT_EQ(app.Doc()->m_pWorker->GetOutcomes().at(0), OUTCOME_CANCELLED);
        EXPECT_FALSE(cancel->isEnabled());
    };

    server.ClearCommands();
    server.Script("UIDL", FakeReply::Silence());
    app.List()->SelectMail(0);
    frame->OnCommand(gui::ID_MARK_SELECTED);
    boxes.Queue(IDOK);
    frame->OnCommand(gui::ID_DELETE_MARKED);
    ASSERT_NO_FATAL_FAILURE(cancelWhenSilent("UIDL", ID_DELETE_COMPLETE));

    server.ClearCommands();
    server.Script("TOP", FakeReply::Silence());
    app.List()->SelectMail(0);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QPushButton*>(QStringLiteral("reloadButton"))->click();
    });
    frame->OnCommand(gui::ID_RELOAD_SELECTED);
    ASSERT_NO_FATAL_FAILURE(cancelWhenSilent("TOP", ID_RELOAD_COMPLETE));
}

// A check in which an account failed says so where the user looks: the tray tip and icon,
// the status line and the report window's row; a check after it that succeeds clears it.
TEST_F(MainWindowTest, AFailedAccountShowsInTipStatusLineReportAndTrayUntilACheckSucceeds) {
    WritePop();
    WriteAccount({.nameUtf8 = "work", .port = server.Port(), .password = "wrong"});
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    const auto check = [&] {
        frame->OnCommand(gui::ID_CHECK_ALL);
        ASSERT_TRUE(app.WaitForJob(ID_CHECK_COMPLETE));
        ProcessEvents();
    };
    const auto reportCount = [&](const char* nameUtf8) {
        QTreeWidget* rows = app.Doc()->ReportWindow()->List();
        for (int i = 0; i < rows->topLevelItemCount(); ++i) {
            if (rows->topLevelItem(i)->text(0) == QString::fromUtf8(nameUtf8)) {
                return rows->topLevelItem(i)->text(1);
            }
        }
        return QString();
    };

    ASSERT_NO_FATAL_FAILURE(check());
    EXPECT_EQ(frame->Tray().Tip(),
              QString::fromUtf8("2通の受信メールがあります。\n1件のアカウントを確認できません。"));
    EXPECT_TRUE(frame->Tray().IsFailed());
    EXPECT_TRUE(frame->MessagePaneText().startsWith(QString::fromUtf8(
        "2通の受信メールがあります。  1件のアカウントを確認できませんでした。  ")));
    EXPECT_EQ(reportCount("work"), QString::fromUtf8("確認できません"));
    EXPECT_EQ(reportCount("pop"), QStringLiteral("2"));

    app.Doc()->GetAccount(1)->m_strPassword = "secret";
    ASSERT_NO_FATAL_FAILURE(check());
    EXPECT_EQ(frame->Tray().Tip(), QString::fromUtf8("4通の受信メールがあります。"));
    EXPECT_FALSE(frame->Tray().IsFailed());
    EXPECT_EQ(frame->MessagePaneText(),
              QString::fromUtf8("4通の受信メールがあります。  ") + QString::fromUtf8(kIdle));
    EXPECT_EQ(reportCount("work"), QStringLiteral("2"));
}

// An OAuth 2.0 account without a refresh token fails its check with the sign-in text, and
// Tolvane asks once whether to sign in; the next check that fails it asks nothing more.
TEST_F(MainWindowTest, AnAccountThatMustSignInAgainIsAskedAboutOnce) {
    FakeSecretStore keyring; // holds no token
    WriteAccount({.nameUtf8 = "pop", .port = server.Port(), .password = ""});
    ASSERT_TRUE(WriteProfileInt("Account\\pop", "Authentication", 2));
    ASSERT_TRUE(WriteProfileInt("Account\\pop", "OAuthProvider", 2));
    ASSERT_TRUE(WriteProfileString("Account\\pop", "OAuthClientId", "id.apps.example"));
    server.SetCapabilities({"SASL XOAUTH2"});
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const auto asked = [&] {
        const std::string question = Cp932ToUtf8(SjisFormat(gui::txt::kSignInAsk, "pop"));
        const std::vector<std::string> texts = boxes.TextsUtf8();
        return std::count(texts.begin(), texts.end(), question);
    };
    for (int check = 0; check < 2; ++check) {
        boxes.Queue(IDCANCEL);
        ASSERT_TRUE(app.Trigger(gui::ID_CHECK_ALL));
        ASSERT_TRUE(app.WaitForJob(ID_CHECK_COMPLETE));
        ProcessEvents();
        EXPECT_EQ(asked(), 1) << check;
    }
    EXPECT_NE(app.Doc()->Log().GetLog().find(SjisFormat(txt::kOAuthSignIn, "pop")),
              std::string::npos);
}

// A screen reader reads the mail count where it is painted: the status bar's panes and
// the report window's summary are read by their texts.
TEST_F(MainWindowTest, TheMailCountIsReadByScreenReaders) {
    RunningApp app;
    WritePop();
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Trigger(gui::ID_CHECK_ALL));
    ASSERT_TRUE(app.WaitForJob());

    QStringList names;
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(app.Frame()->statusBar());
    ASSERT_NE(bar, nullptr);
    for (int i = 0; i < bar->childCount(); ++i) {
        names.append(bar->child(i)->text(QAccessible::Name));
    }
    EXPECT_TRUE(names.contains(app.Frame()->MessagePaneText())) << names.join(u'|').toStdString();
    EXPECT_TRUE(names.contains(app.Frame()->ClockPaneText()));
    EXPECT_TRUE(app.Frame()->MessagePaneText().startsWith(QString::fromUtf8("2通")));
    auto* summary = app.Doc()->ReportWindow()->findChild<QLabel*>(QStringLiteral("summaryLabel"));
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(summary)->text(QAccessible::Name),
              QString::fromUtf8("2通の受信メールがあります。"));
}

// The window layout (frame, list, pane, report window) reaches the settings file in one
// write at quit, and the viewer's in one write when it closes; not one write per key.
TEST_F(MainWindowTest, TheLayoutIsOneSettingsWriteAtQuitAndWhenTheViewerCloses) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const std::filesystem::path file = home.ConfigHome() / "tolvane" / "user.reg";
    {
        FileWriteCounter writes(file);
        QTimer::singleShot(0, [] {
            if (QWidget* viewer = QApplication::activeModalWidget()) {
                viewer->close();
            }
        });
        ASSERT_TRUE(app.Trigger(gui::ID_VIEWER_LOG));
        ProcessEvents();
        EXPECT_EQ(writes.Count(), 1);
    }
    FileWriteCounter writes(file);
    ASSERT_TRUE(app.Quit());
    EXPECT_EQ(writes.Count(), 1);
    EXPECT_EQ(GetProfileInt("Environment", "Status", 0), 1);
    EXPECT_EQ(GetProfileInt("Viewer", "Right", -1) > 0, true);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(MainWindowTest, TimerCheckIsDroppedWhileADialogIsOpen) {
    WritePop();
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    QDialog dialog(frame);
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    frame->SetCheckTimer(1);
    QSignalSpy fired(&frame->CheckTimer(), &QTimer::timeout);
    ASSERT_TRUE(fired.wait());
    frame->SetCheckTimer(0);
    ProcessEvents(); // the posted check arrives and is dropped
    EXPECT_FALSE(app.Doc()->IsBusy());
    EXPECT_EQ(server.Connections(), 0);

    dialog.hide();
    frame->SetCheckTimer(1);
    ASSERT_TRUE(fired.wait());
    frame->SetCheckTimer(0);
    ASSERT_TRUE(app.WaitForJob(ID_CHECK_COMPLETE));
    EXPECT_EQ(app.List()->RowCount(), 2);
    EXPECT_EQ(frame->Tray().Tip(), QString::fromUtf8("2通の受信メールがあります。"));
    EXPECT_EQ(frame->MessagePaneText(),
              QString::fromUtf8("2通の受信メールがあります。  ") + QString::fromUtf8(kIdle));
    // The period starts again after the job when automatic checking is on.
    EXPECT_EQ(frame->CheckTimer().isActive(), options::GetAutoCheck() == 1);
}

TEST_F(MainWindowTest, ElevenAccountsGiveTenItemsInEachAccountMenu) {
    for (int i = 0; i < 11; ++i) {
        WriteAccount({.nameUtf8 = "acc" + std::to_string(10 + i), .port = server.Port()});
    }
    RunningApp app;
    ASSERT_TRUE(app.Start());
    gui::CMainMenus& menus = app.Frame()->Menus();
    auto items = [](QMenu* menu) {
        int count = 0;
        for (QAction* action : menu->actions()) {
            const int id = action->data().toInt();
            count += gui::IsToggleAccountId(id) || gui::IsCheckAccountId(id) ? 1 : 0;
        }
        return count;
    };
    EXPECT_EQ(items(menus.AccountMenu()), 10);
    EXPECT_EQ(items(menus.CheckMenu()), 10);
    EXPECT_EQ(menus.Action(gui::ID_TOGGLE_ACCOUNT_0 + 9)->text(), QString::fromUtf8("acc19"));
    EXPECT_TRUE(menus.Action(gui::ID_TOGGLE_ACCOUNT_0)->isChecked());

    // Toggling an account unticks it, writes Enable and changes the prompt.
    ASSERT_TRUE(app.Trigger(gui::ID_TOGGLE_ACCOUNT_0));
    EXPECT_FALSE(menus.Action(gui::ID_TOGGLE_ACCOUNT_0)->isChecked());
    EXPECT_EQ(GetProfileInt("Account\\acc10", "Enable", 1), 0);
    EXPECT_EQ(menus.Action(gui::ID_TOGGLE_ACCOUNT_0)->statusTip(),
              QString::fromUtf8("acc10 アカウントを有効にする"));
}

// A stored or default placement lands on a screen with its title bar reachable: at the
// first start (0, 0 stored by no one) and from a placement above and left of the screen.
TEST_F(MainWindowTest, ThePlacementKeepsTheTitleBarOnTheScreen) {
    for (const bool bStored : {false, true}) {
        if (bStored) {
            WriteProfileInt("Environment", "Left", -300);
            WriteProfileInt("Environment", "Top", -200);
            WriteProfileInt("Environment", "Right", 300);
            WriteProfileInt("Environment", "Bottom", 300);
        }
        RunningApp app;
        ASSERT_TRUE(app.Start());
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect inside = app.Frame()->geometry();
        EXPECT_GT(inside.top(), area.top()) << bStored; // room for the title bar above
        EXPECT_GE(inside.left(), area.left()) << bStored;
        EXPECT_LE(inside.bottom(), area.bottom()) << bStored;
        ASSERT_TRUE(app.Quit());
    }
}

TEST_F(MainWindowTest, LayoutIsWrittenAtExitAndRestored) {
    gui::CTrayIcon::SetTrayProbe([] { return true; });
    {
        RunningApp app;
        ASSERT_TRUE(app.Start());
        CMainFrame* frame = app.Frame();
        frame->setGeometry(30, 40, 700, 500);
        ProcessEvents();
        frame->OnCommand(gui::ID_VIEW_INFO); // the pane collapses
        EXPECT_FALSE(frame->Menus().Action(gui::ID_VIEW_INFO)->isChecked());
        frame->OnCommand(gui::ID_VIEW_TOOLBAR);
        frame->OnCommand(gui::ID_INFO_LOG);
        frame->showMinimized(); // into the tray
        ProcessEvents();
        EXPECT_TRUE(frame->isHidden());
        ASSERT_TRUE(app.Quit());
    }
    EXPECT_EQ(GetProfileInt("Environment", "Left", 0), 30);
    EXPECT_EQ(GetProfileInt("Environment", "Top", 0), 40);
    EXPECT_EQ(GetProfileInt("Environment", "Right", 0), 730);
    EXPECT_EQ(GetProfileInt("Environment", "Bottom", 0), 540);
    EXPECT_EQ(GetProfileInt("Environment", "Status", 0), 2);
    EXPECT_EQ(GetProfileInt("Environment", "Toolbar", 1), 0);
    EXPECT_EQ(GetProfileInt("Environment", "ViewInfo", 1), 0);
    {
        RunningApp app;
        ASSERT_TRUE(app.Start());
        CMainFrame* frame = app.Frame();
        EXPECT_TRUE(frame->isHidden()); // only the tray icon
        EXPECT_EQ(frame->geometry(), QRect(30, 40, 700, 500));
        EXPECT_TRUE(app.Doc()->InfoShowsLog());
        frame->OnCommand(gui::ID_SHOW_HIDE); // the tray's double-click
        ProcessEvents();
        EXPECT_TRUE(frame->isVisible());
        QSplitter* panes = frame->Splitter();
        EXPECT_EQ(panes->sizes().value(1), 0); // started collapsed
        frame->OnCommand(gui::ID_VIEW_INFO);
        const int total = panes->height() - panes->handleWidth();
        EXPECT_EQ(panes->sizes().value(0), total / 2);
        ASSERT_TRUE(app.Quit());
    }
    gui::CTrayIcon::SetTrayProbe([] { return false; });
    {
        // Without a tray the stored minimised state leaves the window on the task bar.
        RunningApp app;
        ASSERT_TRUE(app.Start());
        EXPECT_FALSE(app.Frame()->isHidden());
        app.Frame()->showMinimized();
        ProcessEvents();
        EXPECT_FALSE(app.Frame()->isHidden());
    }
    gui::CTrayIcon::SetTrayProbe(nullptr);
}

TEST_F(MainWindowTest, PaneFollowsTheLogLiveAndTheViewerIsOpenDuringAJob) {
    WritePop();
    server.Script("TOP 2", FakeReply::Silence());
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    gui::CInformationView* pane = frame->InfoView();
    frame->OnCommand(gui::ID_INFO_LOG);
    EXPECT_TRUE(frame->Menus().Action(gui::ID_INFO_LOG)->isChecked());
    frame->OnCommand(gui::ID_CHECK_ALL);
    ASSERT_TRUE(server.WaitForCommand("TOP 2", 30s));
    ProcessEvents();
    EXPECT_TRUE(pane->toPlainText().contains(QString::fromUtf8("popへ接続しました。")));
    EXPECT_EQ(pane->toPlainText(), FromCp932Text(app.Doc()->Log().GetLog(), 1 << 20));
    EXPECT_TRUE(Enabled(frame, gui::ID_VIEWER_LOG));
    EXPECT_FALSE(Enabled(frame, gui::ID_INFO_CONTENT));
    frame->OnCommand(gui::ID_CANCEL_CHECK);
    ASSERT_TRUE(app.WaitForJob());
    ProcessEvents();
    EXPECT_EQ(pane->toPlainText(), FromCp932Text(app.Doc()->Log().GetLog(), 1 << 20));
    frame->OnCommand(gui::ID_INFO_CONTENT);
    EXPECT_TRUE(pane->toPlainText().isEmpty()); // no mail has the focus
    app.Doc()->Log().AppendLog("later\r\n");
    ProcessEvents();
    EXPECT_TRUE(pane->toPlainText().isEmpty());
}

TEST_F(MainWindowTest, QuitAsksWhileMailIsListedUnlessSwitchedOff) {
    RunningApp app;
    ASSERT_NO_FATAL_FAILURE(StartChecked(app));
    boxes.Queue(IDCANCEL);
    ASSERT_TRUE(app.Trigger(gui::ID_APP_EXIT));
    ProcessEvents();
    EXPECT_FALSE(app.App().IsFinished());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.TextsUtf8()[0], "トルヴェインを終了してもよろしいですか？");
    EXPECT_EQ(boxes.Shown()[0].icon, QMessageBox::Question);
    EXPECT_EQ(boxes.Shown()[0].caption, QString::fromUtf8("トルヴェイン"));

    options::SetQuitConfirm(1);
    QSignalSpy finished(&app.App(), &gui::CTolvaneApp::finished);
    app.Frame()->close(); // the close box
    ASSERT_TRUE(finished.wait());
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

// The account dialog deletes an account at once: the list lets go of its mails and the
// account menus lose its items while the dialog is still open.
TEST_F(MainWindowTest, AccountDialogChangesReachTheListAndTheMenusAtOnce) {
    RunningApp app;
    ASSERT_NO_FATAL_FAILURE(StartChecked(app));
    CMainFrame* frame = app.Frame();
    int rowsAfterDelete = -1;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("accountList"));
        list->setCurrentRow(0);
        dialog->findChild<QPushButton*>(QStringLiteral("deleteButton"))->click();
        rowsAfterDelete = app.List()->RowCount();
        EXPECT_EQ(frame->Menus().Action(gui::ID_TOGGLE_ACCOUNT_0), nullptr);
        dialog->findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
    });
    frame->OnCommand(gui::ID_ACCOUNTS);
    EXPECT_EQ(rowsAfterDelete, 0);
    EXPECT_TRUE(app.Doc()->Accounts().empty());
    EXPECT_FALSE(Enabled(frame, gui::ID_CHECK_ALL));
    EXPECT_EQ(frame->Tray().Tip(), QString::fromUtf8("受信メールはありません。"));
}

// The reload dialog confirms with its button; Enter cancels it.
TEST_F(MainWindowTest, ReloadAsksForTheLinesAndFetchesTheSelectedMailsAgain) {
    RunningApp app;
    ASSERT_NO_FATAL_FAILURE(StartChecked(app));
    CMainFrame* frame = app.Frame();
    app.List()->SelectMail(0);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    frame->OnCommand(gui::ID_RELOAD_SELECTED);
    EXPECT_FALSE(app.Doc()->IsBusy());

    server.ClearCommands();
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QPushButton*>(QStringLiteral("reloadButton"))->click();
    });
    frame->OnCommand(gui::ID_RELOAD_SELECTED);
    EXPECT_EQ(frame->Tray().Tip(), QString::fromUtf8("選択メールを再読み込み中"));
    ASSERT_TRUE(app.WaitForJob(ID_RELOAD_COMPLETE));
    const std::vector<std::string> commands = server.Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "TOP 1 30"), commands.end());
    EXPECT_EQ(app.List()->RowCount(), 2); // not refilled

    // A negative count asks for the headers only, never for the whole mail.
    server.ClearCommands();
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->setText(QStringLiteral("-5"));
        dialog->findChild<QPushButton*>(QStringLiteral("reloadButton"))->click();
    });
    frame->OnCommand(gui::ID_RELOAD_SELECTED);
    ASSERT_TRUE(app.WaitForJob(ID_RELOAD_COMPLETE));
    const std::vector<std::string> negative = server.Commands();
    EXPECT_NE(std::find(negative.begin(), negative.end(), "TOP 1 0"), negative.end());
}

// A store that cannot be written (here a folder stands at its path) is told once, in a
// message box and the log, not at every later check, and the program goes on.
TEST_F(MainWindowTest, AStoreThatCannotBeSavedIsToldOnce) {
    WriteAccount({.nameUtf8 = "pop", .port = server.Port(), .newMailOnly = 1});
    RunningApp app;
    ASSERT_TRUE(app.Start());
    std::filesystem::create_directories(StoreFilePath("pop") / "blocker");
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(app.Trigger(gui::ID_CHECK_ALL));
        ASSERT_TRUE(app.WaitForJob());
    }
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].icon, QMessageBox::Warning);
    EXPECT_NE(boxes.TextsUtf8()[0].find("popの受信済みメールの情報をファイル"), std::string::npos);
    EXPECT_EQ(app.List()->RowCount(), 2);
}

// A data folder that cannot be used stops the start with a message naming it.
TEST_F(MainWindowTest, AnUnusableDataFolderRefusesTheStart) {
    const std::filesystem::path data = DataFolder();
    std::filesystem::remove_all(data);
    { std::ofstream(data) << "not a folder"; }
    RunningApp app;
    EXPECT_FALSE(app.Start());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].icon, QMessageBox::Critical);
    EXPECT_NE(boxes.Shown()[0].text.toStdString().find(data.string()), std::string::npos);
}

// Ending while the server keeps silent during TOP: the quit cancels the job, joins the
// worker and writes everything, without waiting for the server's time-out.
TEST_F(MainWindowTest, QuitDuringASilentTopEndsCleanly) {
    WriteAccount({.nameUtf8 = "pop", .port = server.Port(), .timeout = 3600, .newMailOnly = 1});
    server.Script("TOP 2", FakeReply::Silence());
    RunningApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Trigger(gui::ID_CHECK_ALL));
    ASSERT_TRUE(server.WaitForCommand("TOP 2", 30s));
    ASSERT_TRUE(app.Quit());
    EXPECT_EQ(app.Doc()->m_pWorker, nullptr);
    EXPECT_TRUE(app.Doc()->Accounts().empty());
    EXPECT_EQ(GetProfileInt("Account\\pop", "Timeout", 0), 3600);
    EXPECT_EQ(GetProfileInt("Environment", "Status", 0), 1);
}

} // namespace
} // namespace tolvane::test
