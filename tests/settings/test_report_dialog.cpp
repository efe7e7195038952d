// The mail count report window: its summaries and rows, the details toggle, always on
// top, the auto-hide timer, showing without activation, placement, and the keys it writes
// when it goes.
#include "settings/ReportDialog.h"

#include "app/widgets/QtText.h"
#include "app/widgets/ScreenPlacement.h"
#include "engine/Account.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "tests/support/TestEnv.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class ReportDialogTest : public ::testing::Test {
protected:
    void AddAccount(const char* nameUtf8, int mails) {
        auto account = std::make_unique<CAccount>(nullptr, nullptr);
        account->m_strName = Utf8ToCp932(nameUtf8);
        for (int i = 0; i < mails; ++i) {
            account->m_mails.push_back(std::make_unique<CMail>());
        }
        accounts.push_back(std::move(account));
    }
    QPushButton* Button(CReportDialog& dialog, const char* name) {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QCheckBox* AlwaysTop(CReportDialog& dialog) {
        return dialog.findChild<QCheckBox*>(QStringLiteral("alwaysTopBox"));
    }
    QStringList Row(CReportDialog& dialog, int row) {
        const QTreeWidgetItem* item = dialog.List()->topLevelItem(row);
        return item ? QStringList{item->text(0), item->text(1)} : QStringList{};
    }

    ScopedHome home;
    RecordingMessageHost messages;
    CReportDialog::AccountArray accounts;
};

TEST_F(ReportDialogTest, SummaryAndRowsFollowTheAccounts) {
    CReportDialog dialog;
    EXPECT_FALSE(dialog.isVisible()); // created hidden
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    EXPECT_EQ(dialog.windowTitle(), U("受信メール数の情報"));
    EXPECT_EQ(dialog.Summary(), U("10通の受信メールがあります。"));
    EXPECT_FALSE(dialog.Refresh());
    EXPECT_EQ(dialog.Summary(), U("アカウント情報がありません。"));

    dialog.SetAccounts(&accounts);
    EXPECT_FALSE(dialog.Refresh());
    EXPECT_EQ(dialog.Summary(), U("受信メールはありません。"));
    EXPECT_EQ(dialog.List()->topLevelItemCount(), 0);

    AddAccount("仕事", 2);
    AddAccount("自宅", 0);
    EXPECT_TRUE(dialog.Refresh());
    EXPECT_EQ(dialog.Summary(), U("2通の受信メールがあります。"));
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 2);
    EXPECT_EQ(Row(dialog, 0), (QStringList{U("仕事"), U("2")}));
    EXPECT_EQ(Row(dialog, 1), (QStringList{U("自宅"), U("0")}));
    EXPECT_EQ(dialog.List()->headerItem()->text(0), U("アカウント名"));
    EXPECT_EQ(dialog.List()->headerItem()->text(1), U("メール数"));
    EXPECT_EQ(dialog.List()->columnWidth(0), 200);
    EXPECT_EQ(dialog.List()->columnWidth(1), 80);

    accounts[0]->m_mails.clear();
    EXPECT_FALSE(dialog.Refresh());
    EXPECT_EQ(dialog.Summary(), U("受信メールはありません。"));
    EXPECT_EQ(Row(dialog, 0), (QStringList{U("仕事"), U("0")}));
}

TEST_F(ReportDialogTest, DetailsToggledTwiceRestoreHeightAndText) {
    CReportDialog dialog;
    dialog.ShowAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QPushButton* details = Button(dialog, "detailsButton");
    EXPECT_FALSE(dialog.DetailsShown());
    EXPECT_EQ(details->text(), U("詳細を表示(&I)"));
    EXPECT_EQ(dialog.height(), CReportDialog::kNoDetailsHeight);
    EXPECT_FALSE(dialog.List()->isVisible());
    const QRect hidden = dialog.geometry();

    details->click();
    EXPECT_TRUE(dialog.DetailsShown());
    EXPECT_EQ(details->text(), U("詳細を非表示(&I)"));
    EXPECT_EQ(dialog.height(), CReportDialog::kDetailsHeight);
    EXPECT_TRUE(dialog.List()->isVisible());
    EXPECT_EQ(dialog.geometry().topLeft(), hidden.topLeft());
    EXPECT_EQ(dialog.width(), hidden.width());
    // Below the buttons, inside the window.
    EXPECT_GT(dialog.List()->geometry().top(), details->geometry().bottom());
    EXPECT_LE(dialog.List()->geometry().bottom(), dialog.height());

    details->click();
    EXPECT_EQ(dialog.geometry(), hidden);
    EXPECT_EQ(details->text(), U("詳細を表示(&I)"));
}

TEST_F(ReportDialogTest, AlwaysTopTwoTicksTheBoxWithoutTopMost) {
    WriteProfileInt("Report", "AlwaysTop", 2);
    WriteProfileInt("Report", "DisplayDetails", 1);
    {
        CReportDialog dialog;
        EXPECT_TRUE(AlwaysTop(dialog)->isChecked());
        EXPECT_FALSE(dialog.IsTopMost());
        EXPECT_TRUE(dialog.DetailsShown());
        EXPECT_EQ(Button(dialog, "detailsButton")->text(), U("詳細を非表示(&I)"));
    }
    EXPECT_EQ(GetProfileInt("Report", "AlwaysTop", -1), 1); // the box as it shows

    CReportDialog dialog;
    EXPECT_TRUE(dialog.IsTopMost());
    dialog.ShowAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QPoint position = dialog.pos();
    QTest::mouseClick(AlwaysTop(dialog), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_FALSE(dialog.IsTopMost());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.pos(), position);
}

TEST_F(ReportDialogTest, TheAutoHideTimerFiresOnceAndOnlyWhenArmed) {
    CReportDialog dialog;
    dialog.ArmAutoHide(true, 1);
    EXPECT_TRUE(dialog.IsAutoHidePending());
    dialog.ArmAutoHide(false, 1); // arming with the flag clear cancels
    EXPECT_FALSE(dialog.IsAutoHidePending());

    QTimer* timer = dialog.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    QSignalSpy fired(timer, &QTimer::timeout);
    dialog.ArmAutoHide(true, 1);
    EXPECT_EQ(timer->interval(), 1000);
    dialog.ShowWithoutActivating();
    dialog.ShowAndActivate(); // the menu command keeps the pending timer
    EXPECT_TRUE(dialog.IsAutoHidePending());
    ASSERT_TRUE(fired.wait());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.IsAutoHidePending());

    dialog.ArmAutoHide(true, 0); // a damaged delay still waits a second
    EXPECT_EQ(timer->interval(), 1000);
    dialog.ArmAutoHide(true, 999);
    EXPECT_EQ(timer->interval(), 999000);
}

TEST_F(ReportDialogTest, ClosingHidesAndTheMainWindowIsAskedFor) {
    CReportDialog dialog;
    QSignalSpy asked(&dialog, &CReportDialog::showMainWindowRequested);
    dialog.ShowAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Button(dialog, "showMainButton")->click();
    EXPECT_EQ(asked.count(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    dialog.ShowAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    Button(dialog, "closeButton")->click();
    EXPECT_FALSE(dialog.isVisible());
    dialog.ShowAndActivate();
    EXPECT_TRUE(dialog.close());
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ReportDialogTest, ItsKeysAreWrittenInOrderWhenItGoes) {
    {
        CReportDialog dialog;
        dialog.ToggleDetails();
        dialog.List()->setColumnWidth(0, 150);
        dialog.List()->setColumnWidth(1, 60);
        dialog.move(120, 90);
        QTest::mouseClick(AlwaysTop(dialog), Qt::LeftButton, {}, QPoint(6, 6));
    }
    const std::string file = ReadFileBytes(home.ConfigHome() / "tolvane" / "user.reg");
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Report]\n"
                        "\"Left\"=dword:00000078\n"
                        "\"Top\"=dword:0000005a\n"
                        "\"AlwaysTop\"=dword:00000001\n"
                        "\"DisplayDetails\"=dword:00000001\n"
                        "\"Width1\"=dword:00000096\n"
                        "\"Width2\"=dword:0000003c\n"),
              std::string::npos)
        << file;
    EXPECT_TRUE(messages.Messages().empty());

    CReportDialog again; // read back where it was
    EXPECT_EQ(again.pos(), QPoint(120, 90));
    EXPECT_EQ(again.List()->columnWidth(0), 150);
}

TEST_F(ReportDialogTest, EveryFailedWriteAtTheEndIsShown) {
    {
        CReportDialog dialog;
        fs::create_directories(home.ConfigHome() / "tolvane" / "user.reg");
    }
    EXPECT_EQ(messages.Messages().size(), 6u);
    for (const auto& shown : messages.Messages()) {
        EXPECT_EQ(shown.textUtf8, "レジストリ情報の書き込みが失敗しました。");
        EXPECT_EQ(shown.icon, MsgIcon::Stop);
    }
}

TEST_F(ReportDialogTest, APositionOnNoScreenComesBackOntoThePrimaryOne) {
    WriteProfileInt("Report", "Left", -30000);
    WriteProfileInt("Report", "Top", 40000);
    CReportDialog dialog;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(dialog.frameGeometry())) << dialog.frameGeometry().x();
}

TEST(ScreenPlacement, TheScreenThatHoldsTheCornerKeepsTheWholeWindow) {
    const QRect left(0, 0, 1920, 1050);     // a panel below
    const QRect right(1920, 30, 1280, 994); // a panel above
    const QList<QRect> areas{left, right};
    const QSize size(300, 108);
    struct Case {
        QPoint stored;
        QPoint placed;
    };
    const Case cases[] = {
        {{100, 100}, {100, 100}},    // inside: unchanged
        {{1800, 100}, {1620, 100}},  // cut at the right: pulled back on its own screen
        {{2000, 10}, {2000, 10}},    // above the right screen's area: on no area,
        {{2000, 1000}, {2000, 916}}, // near the bottom of the right screen
        {{-400, -400}, {0, 0}},      // off every screen: the primary's corner
        {{9000, 500}, {1620, 500}},  // beyond the last screen: onto the primary
    };
    for (const Case& c : cases) {
        const QPoint placed = PlaceOnScreen(QRect(c.stored, size), areas, left);
        if (c.stored == QPoint(2000, 10)) {
            EXPECT_EQ(placed, QPoint(1620, 10)); // which is the primary
        } else {
            EXPECT_EQ(placed, c.placed) << c.stored.x() << "," << c.stored.y();
        }
    }
    // Larger than the area: its top-left corner.
    EXPECT_EQ(PlaceOnScreen(QRect(500, 500, 4000, 3000), areas, left), QPoint(0, 0));
}

} // namespace
} // namespace tolvane::test
