// The report window on a real X server: shown after a check it leaves the keyboard focus
// in the window the user works in; shown from the menu it takes the focus.
#include "settings/ReportDialog.h"

#include "tests/support/TestEnv.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

TEST(ReportWindowOnX, ShownAfterACheckItLeavesTheFocusWhereItIs) {
    ScopedHome home;
    RecordingMessageHost messages;
    QLineEdit main;
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    CReportDialog dialog;
    dialog.ShowWithoutActivating();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abc"));
    EXPECT_EQ(main.text(), QStringLiteral("abc"));
    EXPECT_TRUE(main.isActiveWindow());

    dialog.ShowAndActivate();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

} // namespace
} // namespace tolvane::test
