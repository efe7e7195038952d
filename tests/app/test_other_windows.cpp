// The windows around the main window as the running program uses them: the mail count
// window and the sound after a check, the options sheet's Apply reaching the document and
// the timer, the help keys, the About command and the report window's keys at exit.
#include "app/CommandIds.h"
#include "app/InformationView.h"
#include "app/MainFrame.h"
#include "app/TolvaneDoc.h"
#include "app/help/HelpCommands.h"
#include "app/help/HelpWindow.h"
#include "app/maillist/TolvaneView.h"
#include "platform/Options.h"
#include "platform/Profile.h"
#include "settings/ReportDialog.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/gui/AppTest.h"
#include "tests/support/gui/RecordingSoundPlayer.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

using gui::CMainFrame;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class OtherWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.SetMessages({{"u1", MakeMessage({"Subject: one"}, {"line 1"})},
                            {"u2", MakeMessage({"Subject: two"}, {"line 2"})}});
        WriteAccount({.nameUtf8 = "pop", .port = server.Port()});
    }
    // Runs one check of every account to its end.
    void Check(RunningApp& app) {
        ASSERT_TRUE(app.Trigger(gui::ID_CHECK_ALL));
        ASSERT_TRUE(app.WaitForJob(ID_CHECK_COMPLETE));
        ProcessEvents();
    }
    // Gives the main window the keyboard, as a user's click on it would.
    static void Activate(QWidget* window) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    GuiHome home;
    MessageBoxAnswers boxes;
    RecordingSoundPlayer sound; // installed before the program starts: it keeps this one
    FakePop3Server server;
};

TEST_F(OtherWindowsTest, CheckWithMailShowsTheCountsAndPlaysTheSoundOnce) {
    ASSERT_TRUE(options::SetSoundFilePath("/sounds/新着.wav"));
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CReportDialog* report = app.Doc()->ReportWindow();
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(report->isHidden()); // made at start-up, not shown
    EXPECT_EQ(report->parentWidget(), nullptr);
    EXPECT_EQ(report->Summary(), U("受信メールはありません。")); // refreshed at start-up

    Check(app);
    EXPECT_TRUE(report->isVisible());
    EXPECT_EQ(report->Summary(), U("2通の受信メールがあります。"));
    ASSERT_EQ(report->List()->topLevelItemCount(), 1);
    EXPECT_EQ(report->List()->topLevelItem(0)->text(0), U("pop"));
    EXPECT_EQ(report->List()->topLevelItem(0)->text(1), U("2"));
    EXPECT_TRUE(report->IsAutoHidePending()); // AutoHide is on by default
    EXPECT_EQ(sound.played, QStringList{U("/sounds/新着.wav")});

    // Hidden again, the command brings it back; the next check finds the same two mails
    // and plays again, since mail is still waiting.
    report->hide();
    ASSERT_TRUE(app.Trigger(gui::ID_REPORT));
    EXPECT_TRUE(report->isVisible());
    Check(app);
    EXPECT_EQ(sound.played.size(), 2);
}

TEST_F(OtherWindowsTest, CheckWithoutMailShowsNothingWhenAskedOnlyForWaitingMail) {
    server.SetMessages({});
    ASSERT_TRUE(options::SetReportDisplayMode(0));
    ASSERT_TRUE(options::SetSoundFilePath("/sounds/mail.wav"));
    RunningApp app;
    ASSERT_TRUE(app.Start());
    Check(app);
    EXPECT_TRUE(app.Doc()->ReportWindow()->isHidden());
    EXPECT_EQ(app.Doc()->ReportWindow()->Summary(), U("受信メールはありません。"));
    EXPECT_TRUE(sound.played.isEmpty());

    server.SetMessages({{"u9", MakeMessage({"Subject: late"}, {"body"})}});
    Check(app);
    EXPECT_TRUE(app.Doc()->ReportWindow()->isVisible());
    EXPECT_EQ(app.Doc()->ReportWindow()->Summary(), U("1通の受信メールがあります。"));
    EXPECT_EQ(sound.played.size(), 1);
}

// Apply writes and the program takes the values at once, while the sheet is still open;
// Cancel afterwards keeps them.
TEST_F(OtherWindowsTest, ApplyOfANewIntervalRestartsTheTimerAtOnce) {
    ASSERT_TRUE(options::SetAutoCheck(1));
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    EXPECT_TRUE(frame->CheckTimer().isActive());
    EXPECT_EQ(frame->CheckTimer().interval(), 30 * 60000);

    int intervalAfterApply = -1;
    bool bTimerAfterApply = false;
    QTimer::singleShot(0, [&] {
        QWidget* sheet = QApplication::activeModalWidget();
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(sheet->windowTitle(), U("オプション設定"));
        auto* interval = sheet->findChild<QLineEdit*>(QStringLiteral("intervalEdit"));
        ASSERT_NE(interval, nullptr);
        interval->selectAll();
        QTest::keyClicks(interval, QStringLiteral("5"));
        sheet->findChild<QPushButton*>(QStringLiteral("applyButton"))->click();
        intervalAfterApply = frame->CheckTimer().interval();
        bTimerAfterApply = frame->CheckTimer().isActive();
        // Automatic checking off, not applied: Cancel leaves the timer as applied.
        sheet->findChild<QCheckBox*>(QStringLiteral("autoCheckBox"))->setChecked(false);
        sheet->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    });
    frame->OnCommand(gui::ID_OPTIONS);
    EXPECT_EQ(intervalAfterApply, 5 * 60000);
    EXPECT_TRUE(bTimerAfterApply);
    EXPECT_EQ(options::GetAutoCheckInterval(), 5);
    EXPECT_EQ(app.Doc()->m_nAutoCheckInterval, 5);
    EXPECT_TRUE(frame->CheckTimer().isActive());
    EXPECT_EQ(frame->CheckTimer().interval(), 5 * 60000);
    EXPECT_TRUE(boxes.Shown().empty());
}

// F1 opens the page of the window in use: the main window's list, then the options sheet
// above it; Shift+F1 and a click open the page of what was clicked.
TEST_F(OtherWindowsTest, HelpKeysOpenThePageOfTheWindowInUse) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    CMainFrame* frame = app.Frame();
    Activate(frame);
    app.List()->setFocus();
    QTest::keyClick(app.List(), Qt::Key_F1);
    CHelpCommands* help = app.App().Help();
    ASSERT_NE(help->Window(), nullptr) << "the help beside the program could not be read";
    EXPECT_TRUE(help->Window()->isVisible());
    EXPECT_EQ(help->Window()->Topic(), QStringLiteral("mail-list"));
    help->Window()->hide();

    QString sheetTopic;
    bool bModalAboveSheet = false;
    QTimer::singleShot(0, [&] {
        QWidget* sheet = QApplication::activeModalWidget();
        ASSERT_NE(sheet, nullptr);
        QTest::keyClick(sheet->findChild<QWidget*>(QStringLiteral("firstCheckBox")), Qt::Key_F1);
        sheetTopic = help->Window()->Topic();
        bModalAboveSheet = help->Window()->isModal() && help->Window()->isVisible();
        help->Window()->hide();
        sheet->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    });
    frame->OnCommand(gui::ID_OPTIONS);
    EXPECT_EQ(sheetTopic, QStringLiteral("options-general"));
    EXPECT_TRUE(bModalAboveSheet); // usable while the sheet waits

    Activate(frame);
    QTest::keyClick(app.List(), Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(help->InContextHelp());
    EXPECT_TRUE(app.Doc()->ReportWindow()->isHidden());
    QTest::mouseClick(frame->InfoView()->viewport(), Qt::LeftButton);
    EXPECT_FALSE(help->InContextHelp());
    EXPECT_EQ(help->Window()->Topic(), QStringLiteral("info-pane"));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(OtherWindowsTest, AboutCommandRunsTheAboutBoxOverTheMainWindow) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    QString version;
    QWidget* owner = nullptr;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->objectName(), QStringLiteral("aboutBox"));
        owner = box->parentWidget();
        if (auto* label = box->findChild<QWidget*>(QStringLiteral("versionLabel"))) {
            version = label->property("text").toString();
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    ASSERT_TRUE(app.Trigger(gui::ID_APP_ABOUT));
    EXPECT_EQ(owner, app.Frame());
    EXPECT_EQ(version, U("トルヴェイン Version 3.0.1"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The report window's button brings the main window back, also out of the tray; its keys
// are written when the program ends.
TEST_F(OtherWindowsTest, ReportWindowShowsTheMainWindowAndWritesItsKeysAtExit) {
    {
        RunningApp app;
        ASSERT_TRUE(app.Start());
        CReportDialog* report = app.Doc()->ReportWindow();
        ASSERT_TRUE(app.Trigger(gui::ID_REPORT));
        ASSERT_TRUE(report->isVisible());
        app.Frame()->hide(); // as in the tray
        report->findChild<QPushButton*>(QStringLiteral("showMainButton"))->click();
        EXPECT_TRUE(app.Frame()->isVisible());
        report->ToggleDetails();
        report->move(40, 50);
        report->findChild<QCheckBox*>(QStringLiteral("alwaysTopBox"))->click();
        ProcessEvents();
        ASSERT_TRUE(app.Quit());
    }
    EXPECT_EQ(GetProfileInt("Report", "AlwaysTop", -1), 1);
    EXPECT_EQ(GetProfileInt("Report", "DisplayDetails", -1), 1);
    EXPECT_EQ(GetProfileInt("Report", "Width1", -1), 200);
    EXPECT_EQ(GetProfileInt("Report", "Width2", -1), 80);
    EXPECT_EQ(GetProfileInt("Report", "Left", -1), 40);
    EXPECT_EQ(GetProfileInt("Report", "Top", -1), 50);
    EXPECT_TRUE(boxes.Shown().empty());
}

} // namespace
} // namespace tolvane::test
