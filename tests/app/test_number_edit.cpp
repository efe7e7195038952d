// The number fields of the dialogs: the digits-only edit, its up-down arrows and the
// decimal rule by which the dialogs read them.
#include "app/widgets/DecimalRule.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/UpDown.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace tolvane {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST(DecimalRule, LeadingBlanksSignThenLeadingDigits) {
    EXPECT_EQ(DecimalValue(U("110")), 110);
    EXPECT_EQ(DecimalValue(U("110abc")), 110);
    EXPECT_EQ(DecimalValue(U("  \t42")), 42);
    EXPECT_EQ(DecimalValue(U("+7")), 7);
    EXPECT_EQ(DecimalValue(U("-5")), -5);
    EXPECT_EQ(DecimalValue(U("")), 0);
    EXPECT_EQ(DecimalValue(U("abc")), 0);
    EXPECT_EQ(DecimalValue(U("- 5")), 0);
    EXPECT_EQ(DecimalValue(U("１２３")), 0); // full-width digits are not digits
    // Long digit runs are held at the ends of the range instead of wrapping.
    EXPECT_EQ(DecimalValue(U("99999999999999999999")), INT32_MAX);
    EXPECT_EQ(DecimalValue(U("-99999999999999999999")), INT32_MIN);
    EXPECT_EQ(DecimalValue(U("4294967406")), INT32_MAX); // not 110 after wrapping
}

TEST(DecimalRule, RangeTestTakesTheValueAsUnsignedAndRefusesAnEmptyText) {
    EXPECT_TRUE(DecimalInRange(U("1"), 1, 99999));
    EXPECT_TRUE(DecimalInRange(U("99999"), 1, 99999));
    EXPECT_FALSE(DecimalInRange(U("0"), 1, 99999));
    EXPECT_FALSE(DecimalInRange(U("100000"), 1, 99999));
    EXPECT_FALSE(DecimalInRange(U("-1"), 0, 999999999));
    EXPECT_FALSE(DecimalInRange(U(""), 0, 999999999));
    EXPECT_TRUE(DecimalInRange(U(" "), 0, 999999999)); // not empty, and no digits give 0
    EXPECT_TRUE(DecimalInRange(U("abc"), 0, 9));
}

class NumberEditTest : public ::testing::Test {
protected:
    CNumberEdit edit;
};

TEST_F(NumberEditTest, OnlyDigitsAndControlKeysReachTheField) {
    QTest::keyClicks(&edit, U("12a3"));
    EXPECT_EQ(edit.text(), U("123"));
    QTest::keyClicks(&edit, U("- +."));
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, U("１"), Qt::NoModifier);
    EXPECT_EQ(edit.text(), U("123"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), U("12"));
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), U("2"));
    // Ctrl+A is a control key: it still selects.
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit.selectedText(), U("2"));
}

TEST_F(NumberEditTest, ComposedTextOtherThanDigitsIsDropped) {
    EXPECT_FALSE(edit.testAttribute(Qt::WA_InputMethodEnabled));
    QInputMethodEvent fullWidth(QString(), {});
    fullWidth.setCommitString(U("１２"));
    QCoreApplication::sendEvent(&edit, &fullWidth);
    EXPECT_EQ(edit.text(), QString());
    QInputMethodEvent digits(QString(), {});
    digits.setCommitString(U("12"));
    QCoreApplication::sendEvent(&edit, &digits);
    EXPECT_EQ(edit.text(), U("12"));
}

TEST_F(NumberEditTest, PasteIsNotFiltered) {
    QGuiApplication::clipboard()->setText(U("1a-2"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), U("1a-2"));
}

TEST_F(NumberEditTest, NoContextMenu) {
    EXPECT_EQ(edit.contextMenuPolicy(), Qt::NoContextMenu);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QTest::mouseClick(&edit, Qt::RightButton);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(1, 1),
                              edit.mapToGlobal(QPoint(1, 1)));
    QCoreApplication::sendEvent(&edit, &menuKey);
    EXPECT_EQ(edit.findChild<QMenu*>(), nullptr);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

class UpDownTest : public ::testing::Test {
protected:
    UpDownTest() { spin.SetRange(1, 9999); }
    QToolButton* Arrow(const char* name) {
        return spin.findChild<QToolButton*>(QString::fromLatin1(name));
    }
    CNumberEdit edit;
    CUpDown spin{&edit};
};

TEST_F(UpDownTest, PositionLivesInTheBuddyAndStaysInRange) {
    spin.SetPos(60);
    EXPECT_EQ(edit.text(), U("60"));
    spin.SetPos(0);
    EXPECT_EQ(edit.text(), U("1"));
    spin.SetPos(12345);
    EXPECT_EQ(edit.text(), U("9999")); // plain digits, no separators
    spin.Step(10);
    EXPECT_EQ(edit.text(), U("9999"));
    // A pasted text is read by the decimal rule and held in range before a step.
    edit.setText(U("-40"));
    spin.Step(1);
    EXPECT_EQ(edit.text(), U("2"));
    edit.setText(U("12abc"));
    EXPECT_EQ(spin.Pos(), 12);
}

TEST_F(UpDownTest, ArrowsAndArrowKeysStepByOne) {
    spin.SetPos(5);
    QTest::mouseClick(Arrow("up"), Qt::LeftButton);
    EXPECT_EQ(edit.text(), U("6"));
    QTest::mouseClick(Arrow("down"), Qt::LeftButton);
    QTest::mouseClick(Arrow("down"), Qt::LeftButton);
    EXPECT_EQ(edit.text(), U("4"));
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), U("5"));
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), U("4"));
    EXPECT_EQ(Arrow("up")->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(Arrow("up")->accessibleName().isEmpty());
    // Disabled with its field, the arrows change nothing.
    edit.setEnabled(false);
    Arrow("up")->click();
    EXPECT_EQ(edit.text(), U("4"));
}

TEST(UpDown, HoldingAcceleratesToTensAfterThreeSeconds) {
    EXPECT_EQ(CUpDown::StepAfter(0), 1);
    EXPECT_EQ(CUpDown::StepAfter(1500), 1);
    EXPECT_EQ(CUpDown::StepAfter(2999), 1);
    EXPECT_EQ(CUpDown::StepAfter(3000), 10);
    EXPECT_EQ(CUpDown::StepAfter(60000), 10);
}

} // namespace
} // namespace tolvane
