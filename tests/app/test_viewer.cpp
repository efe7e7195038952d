// The viewer window and the panes' fonts: what it shows, its layout, the size and font it
// keeps between openings, and the information pane's font.
#include "app/CommandIds.h"
#include "app/InformationView.h"
#include "app/MainFrame.h"
#include "app/TolvaneDoc.h"
#include "app/ViewerDialog.h"
#include "app/maillist/TolvaneView.h"
#include "app/widgets/Choosers.h"
#include "app/widgets/TextFont.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "tests/support/gui/AppTest.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

using gui::CViewerDialog;

class ViewerTest : public ::testing::Test {
protected:
    GuiHome home;
    MessageBoxAnswers boxes;
};

TEST_F(ViewerTest, MailWithoutContentShowsTheNoBodyTextUnderItsCaption) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    auto account = std::make_unique<CAccount>(nullptr, nullptr);
    account->m_strName = "pop";
    account->m_strSection = "Account\\pop";
    account->m_mails.push_back(std::make_unique<CMail>());
    account->m_mails.back()->m_strAccount = "pop";
    app.Doc()->AddAccount(std::move(account));
    app.Doc()->RefillViews();
    QString caption;
    QString text;
    QTimer::singleShot(0, [&] {
        auto* viewer = qobject_cast<CViewerDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(viewer, nullptr);
        caption = viewer->windowTitle();
        text = viewer->TextBox()->toPlainText();
        viewer->reject();
    });
    app.List()->setCurrentIndex(app.List()->Model().index(0, 0));
    ASSERT_TRUE(app.Trigger(gui::ID_VIEWER_MAIL));
    EXPECT_EQ(caption, QString::fromUtf8("メール内容"));
    EXPECT_EQ(text, QString::fromUtf8(
                        "<メールの本文を受信していないか、受信したメールに本文がありません>"));
}

TEST_F(ViewerTest, ButtonsAndTextFollowTheLayoutRule) {
    CViewerDialog viewer(nullptr, QStringLiteral("log"), "a\r\nb");
    viewer.resize(400, 300);
    viewer.show();
    auto* close = viewer.findChild<QPushButton*>(QStringLiteral("viewerClose"));
    auto* font = viewer.findChild<QPushButton*>(QStringLiteral("viewerFont"));
    const int bw = close->width();
    const int bh = close->height();
    const int gap = (400 - 2 * bw) / 3;
    EXPECT_EQ(close->geometry(), QRect(gap, 300 - bh - 5, bw, bh));
    EXPECT_EQ(font->geometry(), QRect(bw + 2 * gap, 300 - bh - 5, bw, bh));
    EXPECT_EQ(viewer.TextBox()->geometry(), QRect(5, 5, 390, 300 - bh - 15));
    EXPECT_EQ(viewer.TextBox()->toPlainText(), QStringLiteral("a\nb"));

    // Read-only; Enter stays in the text, Escape closes.
    viewer.TextBox()->setFocus();
    QTest::keyClicks(viewer.TextBox(), QStringLiteral("xyz"));
    QTest::keyClick(viewer.TextBox(), Qt::Key_Return);
    EXPECT_EQ(viewer.TextBox()->toPlainText(), QStringLiteral("a\nb"));
    EXPECT_TRUE(viewer.isVisible());
    QTest::keyClick(viewer.TextBox(), Qt::Key_Escape);
    EXPECT_FALSE(viewer.isVisible());
}

TEST_F(ViewerTest, SizeAndFontAreKeptAndTheWindowOpensCentredOverItsOwner) {
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    EXPECT_EQ(gui::CTextFont::PlainPixelSize(140) + 1, [] {
        CViewerDialog viewer(nullptr, QString(), "");
        return viewer.TextFont().Font().pixelSize(); // no settings: 14 points, one taller
    }());
    gui::SetFontChooser([](QWidget*, const QFont& initial) {
        QFont chosen = initial;
        chosen.setPointSizeF(9);
        return std::optional<QFont>(chosen);
    });
    {
        CViewerDialog viewer(&owner, QString(), "");
        viewer.show();
        viewer.resize(600, 400);
        viewer.findChild<QPushButton*>(QStringLiteral("viewerFont"))->click();
        viewer.accept();
    }
    gui::SetFontChooser(nullptr);
    EXPECT_EQ(GetProfileInt("Viewer", "Fontsize", 0), 9);
    CViewerDialog again(&owner, QString(), "");
    again.show();
    EXPECT_EQ(again.size(), QSize(600, 400));
    EXPECT_EQ(again.frameGeometry().center(), owner.frameGeometry().center());
    EXPECT_EQ(again.TextFont().Font().pixelSize(), gui::CTextFont::PlainPixelSize(90) + 1);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(ViewerTest, InformationPaneFontStoresWholePointsAndIsOneUnitTallerNextTime) {
    {
        RunningApp app;
        ASSERT_TRUE(app.Start());
        gui::CInformationView* pane = app.Frame()->InfoView();
        EXPECT_EQ(pane->font().pixelSize(), gui::CTextFont::PlainPixelSize(140) + 1);
        EXPECT_EQ(pane->TextFont().m_strFaceName, "Terminal");
        gui::SetFontChooser([](QWidget*, const QFont&) {
            QFont chosen(QStringLiteral("Noto Sans Mono CJK JP"));
            chosen.setPointSizeF(10.5);
            return std::optional<QFont>(chosen);
        });
        ASSERT_TRUE(app.Trigger(gui::ID_INFO_FONT));
        gui::SetFontChooser(nullptr);
        EXPECT_EQ(pane->font().pointSizeF(), 10.5); // exactly as chosen
        ASSERT_TRUE(app.Quit());
    }
    EXPECT_EQ(GetProfileInt("InfoviewFont", "Fontsize", 0), 10);
    EXPECT_EQ(GetProfileString("InfoviewFont", "Fontname", ""), "Noto Sans Mono CJK JP");
    RunningApp app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(app.Frame()->InfoView()->font().pixelSize(), gui::CTextFont::PlainPixelSize(100) + 1);
}

} // namespace
} // namespace tolvane::test
