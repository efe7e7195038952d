// The reload-lines dialog: its start value, the decimal rule on confirming, and Enter as
// cancel.
#include "settings/ReloadLinesDialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tolvane {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class ReloadLinesDialogTest : public ::testing::Test {
protected:
    ReloadLinesDialogTest() {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    QLineEdit* Edit() { return dialog.findChild<QLineEdit*>(QStringLiteral("linesEdit")); }
    QPushButton* Button(const char* name) {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    void Paste(const char* utf8) {
        Edit()->clear();
        QGuiApplication::clipboard()->setText(U(utf8));
        QTest::keyClick(Edit(), Qt::Key_V, Qt::ControlModifier);
    }
    // Confirms and returns the number the dialog gives.
    int32_t Confirm() {
        QTest::mouseClick(Button("reloadButton"), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        return dialog.Lines();
    }

    CReloadLinesDialog dialog;
};

TEST_F(ReloadLinesDialogTest, StartsAtThirtyEveryTime) {
    EXPECT_EQ(dialog.windowTitle(), U("再読み込み行数の指定"));
    EXPECT_EQ(Edit()->text(), U("30"));
    EXPECT_EQ(Edit()->maxLength(), 9);
    EXPECT_EQ(dialog.focusWidget(), Edit());
    EXPECT_EQ(Confirm(), 30);
    CReloadLinesDialog again;
    EXPECT_EQ(again.findChild<QLineEdit*>(QStringLiteral("linesEdit"))->text(), U("30"));
}

TEST_F(ReloadLinesDialogTest, ConfirmingReadsTheFieldByTheDecimalRuleWithoutARangeCheck) {
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0}, {"abc", 0}, {"-5", -5}, {"12abc", 12}, {" 7", 7}, {"999999999", 999999999},
    };
    for (const auto& [text, lines] : cases) {
        Paste(text);
        EXPECT_EQ(Confirm(), lines) << text;
    }
    // The arrows hold the range 0 to 999999999.
    QTest::keyClick(Edit(), Qt::Key_Up);
    EXPECT_EQ(Edit()->text(), U("999999999"));
    Edit()->setText(U("0"));
    QTest::keyClick(Edit(), Qt::Key_Down);
    EXPECT_EQ(Edit()->text(), U("0"));
    EXPECT_EQ(Confirm(), 0);
}

TEST_F(ReloadLinesDialogTest, EnterAndEscCancelTheMnemonicConfirms) {
    EXPECT_TRUE(Button("cancelButton")->isDefault());
    QSignalSpy finished(&dialog, &QDialog::finished);
    // Each key is pressed in the field of the shown, active dialog.
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Return, Qt::NoModifier},
        {Qt::Key_Escape, Qt::NoModifier},
        {Qt::Key_R, Qt::AltModifier},
    };
    const int results[] = {QDialog::Rejected, QDialog::Rejected, QDialog::Accepted};
    for (int i = 0; i < 3; ++i) {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        Edit()->setText(U("40"));
        QTest::keyClick(Edit(), keys[i].first, keys[i].second);
        // A button shows its press before it acts.
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == i + 1; })) << i;
        EXPECT_EQ(finished.at(i).at(0).toInt(), results[i]) << i;
    }
    EXPECT_EQ(dialog.Lines(), 40);
}

} // namespace
} // namespace tolvane
