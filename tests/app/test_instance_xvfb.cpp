// What needs a real display (Xvfb): a second start shows the first and ends, minimising
// without a tray keeps the window reachable, and SIGTERM ends the program as a quit that
// writes the layout and the mail stores.
#include "app/MainFrame.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/gui/AppTest.h"

#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace tolvane::test {
namespace {

using namespace std::chrono_literals;

QString TolvaneProgram() {
    return QString::fromUtf8(TOLVANE_BINARY_DIR "/app/Tolvane");
}

// Starts the real program and waits for it to end.
int RunSecondStart() {
    QProcess second;
    QSignalSpy finished(&second, &QProcess::finished);
    second.start(TolvaneProgram(), {});
    if (!second.waitForStarted() || !finished.wait(120000)) {
        second.kill();
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

class InstanceTest : public ::testing::Test {
protected:
    GuiHome home;
    MessageBoxAnswers boxes;
};

TEST_F(InstanceTest, SecondStartShowsTheFirstAndEndsQuietly) {
    WriteProfileInt("Environment", "Status", 2);
    RunningApp first;
    ASSERT_TRUE(first.Start());
    gui::CMainFrame* frame = first.Frame();
    ASSERT_FALSE(frame->isHidden()); // no tray on this display: minimised, not hidden
    ASSERT_TRUE(frame->isMinimized());
    EXPECT_EQ(RunSecondStart(), 0);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
    EXPECT_TRUE(boxes.Shown().empty());
}

// A second start while the first is still starting (here between claiming the instance
// and building its window, as behind its first message box) is answered and still shows
// the first once its window exists.
TEST_F(InstanceTest, ASecondStartDuringTheFirstStartIsNotLost) {
    WriteProfileInt("Environment", "Status", 2);
    gui::CTolvaneApp first;
    ASSERT_EQ(first.InitApplication(), gui::CTolvaneApp::StartResult::First);
    EXPECT_EQ(RunSecondStart(), 0);
    ASSERT_TRUE(first.InitInstance());
    ProcessEvents();
    EXPECT_TRUE(first.Frame()->isVisible());
    EXPECT_FALSE(first.Frame()->isMinimized());
}

TEST_F(InstanceTest, WithoutATrayMinimisingLeavesTheWindowReachable) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    gui::CMainFrame* frame = app.Frame();
    frame->showMinimized();
    ProcessEvents();
    EXPECT_FALSE(frame->isHidden());
    frame->ShowFromAnotherStart();
    ProcessEvents();
    EXPECT_FALSE(frame->isMinimized());
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(InstanceTest, SigtermWritesTheLayoutAndTheStores) {
    FakePop3Server server;
    server.SetMessages({{"u1", MakeMessage({"Subject: one"}, {"line"})}});
    WriteAccount({.nameUtf8 = "pop", .port = server.Port(), .newMailOnly = 1});
    WriteProfileInt("Option", "FirstCheck", 1);
    QProcess program;
    QSignalSpy finished(&program, &QProcess::finished);
    program.start(TolvaneProgram(), {});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(server.WaitForCommand("QUIT", 60s)); // the start-up check has run
    program.terminate();                             // SIGTERM
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(GetProfileInt("Environment", "Status", 0), 1);
    EXPECT_EQ(GetProfileInt("Column", "Sort", -1), 1);
    EXPECT_TRUE(std::filesystem::exists(StoreFilePath("pop")));
}

} // namespace
} // namespace tolvane::test
