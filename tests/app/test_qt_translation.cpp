// Qt's own texts in Tolvane: the standard buttons of a message box and the save dialog are
// Japanese once the program has started, whatever the locale of the run (C.UTF-8 here).
#include "tests/support/gui/AppTest.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

bool HasJapanese(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x3000) {
            return true;
        }
    }
    return false;
}

TEST(QtTranslation, StandardButtonsAndTheSaveDialogAreJapanese) {
    GuiHome home;
    MessageBoxAnswers boxes;
    RunningApp app;
    ASSERT_TRUE(app.Start());

    QMessageBox box(QMessageBox::Warning, QString(), QString(),
                    QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8("キャンセル"));

    QFileDialog save;
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    auto* buttons = save.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_NE(buttons, nullptr);
    for (QAbstractButton* button : buttons->buttons()) {
        EXPECT_TRUE(HasJapanese(button->text())) << button->text().toStdString();
    }
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
        auto* label = save.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_TRUE(HasJapanese(label->text())) << name << " " << label->text().toStdString();
    }
}

} // namespace
} // namespace tolvane::test
