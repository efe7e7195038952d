// The About box and its links: what they show, and that a click or Enter opens the
// address through the opener and closes the box.
#include "app/AboutBox.h"

#include "app/widgets/StaticLink.h"
#include "app/widgets/UrlOpener.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tolvane {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest() {
        SetUrlOpener([this](const QUrl& url) {
            opened.append(url);
            return false; // as if no program took it: the box closes all the same
        });
    }
    ~AboutBoxTest() override { SetUrlOpener(nullptr); }

    QList<QUrl> opened;
};

TEST_F(AboutBoxTest, ShowsTheVersionAndTwoLinksLookingLikeLinks) {
    CAboutBox box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(box.windowTitle(), U("バージョン情報"));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(),
              U("トルヴェイン Version 3.0.1"));
    EXPECT_FALSE(box.findChild<QLabel*>(QStringLiteral("noticeLabel"))->text().isEmpty());
    // The program's icon, also where no icon theme holds it.
    EXPECT_FALSE(box.findChild<QLabel*>(QStringLiteral("iconLabel"))->pixmap().isNull());
    EXPECT_EQ(box.focusWidget(), box.findChild<QPushButton*>(QStringLiteral("closeButton")));
    for (CStaticLink* link : {box.HomeLink(), box.MailLink()}) {
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_FALSE(link->accessibleName().isEmpty());
    }
    EXPECT_EQ(box.HomeLink()->text(), U("https://tolvane.example.org/"));
    EXPECT_EQ(box.MailLink()->text(), U("tolvane@example.org"));
    EXPECT_EQ(box.MailLink()->Link(), U("mailto:tolvane@example.org"));
}

TEST_F(AboutBoxTest, EachLinkOpensItsAddressAndClosesTheBox) {
    for (int which = 0; which < 2; ++which) {
        CAboutBox box;
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        QSignalSpy finished(&box, &QDialog::finished);
        QTest::mouseClick(which == 0 ? box.HomeLink() : box.MailLink(), Qt::LeftButton);
        EXPECT_EQ(finished.count(), 1);
        EXPECT_FALSE(box.isVisible());
    }
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(U("https://tolvane.example.org/")),
                                   QUrl(U("mailto:tolvane@example.org"))}));
}

TEST_F(AboutBoxTest, TheLinksAreReachedFromTheKeyboard) {
    CAboutBox box;
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box.HomeLink());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box.MailLink());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(U("mailto:tolvane@example.org"))});
    EXPECT_FALSE(box.isVisible());
}

TEST_F(AboutBoxTest, ALinkWithoutAnAddressOpensItsText) {
    QDialog dialog;
    CStaticLink fromText(QString(), false, &dialog);
    fromText.setText(U("www.example.org/tolvane"));
    CStaticLink nothing(QString(), true, &dialog);
    dialog.show();
    QTest::mouseClick(&fromText, Qt::LeftButton);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(U("http://www.example.org/tolvane"))});
    EXPECT_TRUE(dialog.isVisible()); // not asked to close it
    QTest::mouseClick(&nothing, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(dialog.isVisible()); // nothing to open: nothing happens
}

} // namespace
} // namespace tolvane
