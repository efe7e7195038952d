// The mail list as the user works it: sorting by header clicks, deletion marks by check
// box, keys and menu, the colours, refills, the column layout kept between runs, and the
// list saved as text.
#include "app/CommandIds.h"
#include "app/InformationView.h"
#include "app/MainFrame.h"
#include "app/MainMenus.h"
#include "app/TolvaneDoc.h"
#include "app/maillist/ColumnLayout.h"
#include "app/maillist/ReadableColour.h"
#include "app/maillist/TolvaneView.h"
#include "app/widgets/Choosers.h"
#include "app/widgets/QtText.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "tests/support/gui/AppTest.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPalette>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

using gui::CMailListModel;

class MailListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.Start()); }

    CAccount* AddAccount(const std::string& nameUtf8) {
        auto account = std::make_unique<CAccount>(nullptr, nullptr);
        account->m_strName = Utf8ToCp932(nameUtf8);
        account->m_strSection = "Account\\" + account->m_strName;
        CAccount* added = account.get();
        app.Doc()->AddAccount(std::move(account));
        return added;
    }

    CMail* AddMail(CAccount* account, const std::string& subjectUtf8, const std::string& size,
                   const std::string& fromUtf8 = "x", uint32_t state = MAIL_KNOWN,
                   const std::string& bodyUtf8 = "") {
        auto mail = std::make_unique<CMail>();
        mail->m_strSubject = Utf8ToCp932(subjectUtf8);
        mail->m_strSize = size;
        mail->m_strFrom = Utf8ToCp932(fromUtf8);
        mail->m_strAccount = account->m_strName;
        mail->m_nState = state;
        mail->m_strBody = Utf8ToCp932(bodyUtf8);
        account->m_mails.push_back(std::move(mail));
        return account->m_mails.back().get();
    }

    gui::CTolvaneView* List() { return app.List(); }
    CMailListModel& Model() { return List()->Model(); }

    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < Model().rowCount(); ++row) {
            texts.push_back(Model().index(row, column).data().toString().toStdString());
        }
        return texts;
    }

    void ClickHeader(int column) {
        QHeaderView* header = List()->header();
        const QPoint point(header->sectionViewportPosition(column) +
                               header->sectionSize(column) / 2,
                           header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
    }

    QPoint CheckBoxPoint(int row) {
        const QRect rect = List()->visualRect(Model().index(row, 0));
        return QPoint(rect.left() + 8, rect.center().y());
    }

    GuiHome home;
    MessageBoxAnswers boxes;
    RunningApp app;
};

// Every change the list makes to its model keeps the contract views rely on: Qt's model
// tester checks each signal and index on the way and reports a fault as a warning.
std::vector<std::string>* g_modelFaults = nullptr;

void RecordModelFault(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && g_modelFaults) {
        g_modelFaults->push_back(message.toStdString());
    }
}

TEST(MailListModelTest, FillSortMarkFreezeAndClearKeepTheModelContract) {
    std::vector<std::unique_ptr<CAccount>> accounts;
    for (const char* name : {"a", "b"}) {
        accounts.push_back(std::make_unique<CAccount>(nullptr, nullptr));
        accounts.back()->m_strName = name;
        for (const char* size : {"3", "10", "2"}) {
            auto mail = std::make_unique<CMail>();
            mail->m_strSubject = std::string(name) + size;
            mail->m_strSize = size;
            mail->m_strAccount = name;
            accounts.back()->m_mails.push_back(std::move(mail));
        }
    }
    std::vector<std::string> faults;
    g_modelFaults = &faults;
    const QtMessageHandler previous = qInstallMessageHandler(RecordModelFault);
    {
        CMailListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        EXPECT_EQ(model.Fill(accounts), 6);
        model.Sort(CMailListModel::COL_SIZE, false);
        model.SetMark(0, CMailListModel::MARK_DELETE);
        EXPECT_TRUE(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
        model.SetIdle(false);
        model.Sort(CMailListModel::COL_SUBJECT, true);
        model.SetIdle(true);
        model.Clear();
        accounts.pop_back();
        EXPECT_EQ(model.Fill(accounts), 3);
        model.Clear();
    }
    qInstallMessageHandler(previous);
    g_modelFaults = nullptr;
    EXPECT_EQ(faults, std::vector<std::string>{});
}

TEST_F(MailListTest, HeaderClicksSortSizesAsNumbersAndTextsByBytes) {
    CAccount* account = AddAccount("pop");
    AddMail(account, "a", "10", "carol");
    AddMail(account, "B", "9", "alice");
    AddMail(account, "c", "100", "bob");
    app.Doc()->RefillViews();
    // Stored defaults: ascending by subject, in byte order (capitals first).
    EXPECT_EQ(Column(0), (std::vector<std::string>{"B", "a", "c"}));

    ClickHeader(CMailListModel::COL_SIZE);
    EXPECT_EQ(Column(CMailListModel::COL_SIZE), (std::vector<std::string>{"9", "10", "100"}));
    ClickHeader(CMailListModel::COL_SIZE);
    EXPECT_EQ(Column(CMailListModel::COL_SIZE), (std::vector<std::string>{"100", "10", "9"}));
    ClickHeader(CMailListModel::COL_FROM);
    EXPECT_EQ(Column(CMailListModel::COL_FROM),
              (std::vector<std::string>{"alice", "bob", "carol"}));
    EXPECT_EQ(List()->SortColumn(), CMailListModel::COL_FROM);
    EXPECT_TRUE(List()->SortAscending());
}

// With automatic widths on, every refill sizes the columns to their texts again: a longer
// subject after the next check widens the column, a shorter list narrows it.
TEST_F(MailListTest, AutomaticWidthsFollowTheTextsAfterEveryRefill) {
    CAccount* account = AddAccount("pop");
    AddMail(account, "短い件名", "1");
    ASSERT_TRUE(app.Trigger(gui::ID_AUTO_WIDTH));
    ASSERT_TRUE(app.Frame()->Menus().Action(gui::ID_AUTO_WIDTH)->isChecked());
    app.Doc()->RefillViews();
    ProcessEvents();
    const int narrow = List()->header()->sectionSize(CMailListModel::COL_SUBJECT);

    const char* longSubject = "とても長い件名がここに続いてずっと先まで読めるように書かれている";
    AddMail(account, longSubject, "1");
    app.Doc()->RefillViews();
    ProcessEvents();
    const int wide = List()->header()->sectionSize(CMailListModel::COL_SUBJECT);
    EXPECT_GT(wide, narrow);
    EXPECT_GE(wide, List()->fontMetrics().horizontalAdvance(QString::fromUtf8(longSubject)));
    EXPECT_TRUE(app.Frame()->Menus().Action(gui::ID_AUTO_WIDTH)->isChecked());
}

// On a dark palette a new mail is still readable: its colour comes from the palette.
TEST_F(MailListTest, NewMailIsReadableOnADarkPalette) {
    CAccount* account = AddAccount("pop");
    AddMail(account, "1", "1", "x", MAIL_NEW);
    app.Doc()->RefillViews();
    const QPalette saved = QGuiApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
    QGuiApplication::setPalette(dark);
    const QColor shown = Model().index(0, 1).data(Qt::ForegroundRole).value<QBrush>().color();
    QGuiApplication::setPalette(saved);
    EXPECT_GE(gui::ContrastRatio(shown, QColor(0x2a, 0x2a, 0x2a)), 4.5)
        << shown.name().toStdString();
    EXPECT_GT(shown.blue(), shown.red()); // still the new-mail blue
}

TEST_F(MailListTest, MarksByCheckBoxKeysAndMenuAndTheirColours) {
    CAccount* account = AddAccount("pop");
    AddMail(account, "1", "1", "x", MAIL_NEW);
    AddMail(account, "2", "1");
    AddMail(account, "3", "1");
    app.Doc()->RefillViews();
    List()->SelectMail(2);

    // A press on a check box toggles the mark and leaves the selection alone.
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, CheckBoxPoint(0));
    EXPECT_TRUE(List()->IsMarked(0));
    EXPECT_EQ(List()->SelectedMails().size(), 1u);
    EXPECT_EQ(List()->SelectedMails()[0], account->GetMail(2));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, CheckBoxPoint(0));
    EXPECT_FALSE(List()->IsMarked(0));
    // A double click on the box, through the window as the window system delivers it:
    // toggled once, and no viewer.
    QWindow* window = List()->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPoint inWindow = List()->viewport()->mapTo(List()->window(), CheckBoxPoint(0));
    bool bViewerOpened = false;
    const auto doubleClick = [&] {
        QTimer::singleShot(0, [&bViewerOpened] { // closes a viewer that would block the test
            if (QWidget* modal = QApplication::activeModalWidget()) {
                bViewerOpened = true;
                modal->close();
            }
        });
        QTest::mouseDClick(window, Qt::LeftButton, {}, inWindow);
        ProcessEvents();
    };
    doubleClick();
    EXPECT_TRUE(List()->IsMarked(0));
    doubleClick();
    EXPECT_FALSE(List()->IsMarked(0));
    EXPECT_FALSE(bViewerOpened);

    // Delete marks the selection when it is released; its repeats do nothing.
    List()->setFocus();
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(List(), &repeat);
    EXPECT_FALSE(List()->IsMarked(2));
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_TRUE(List()->IsMarked(2));
    EXPECT_EQ(Model().index(2, 1).data(Qt::ForegroundRole).value<QBrush>().color(),
              QColor(255, 0, 0));
    EXPECT_EQ(Model().index(0, 1).data(Qt::ForegroundRole).value<QBrush>().color(),
              QColor(0, 0, 255));
    EXPECT_FALSE(Model().index(1, 1).data(Qt::ForegroundRole).isValid());

    // The menu's unmark, then mark, on the selected rows.
    ASSERT_TRUE(app.Trigger(gui::ID_UNMARK_SELECTED));
    EXPECT_FALSE(List()->IsMarked(-1));
    List()->SelectMail(1);
    ASSERT_TRUE(app.Trigger(gui::ID_MARK_SELECTED));
    EXPECT_TRUE(List()->IsMarked(1));

    // While a job runs the list is disabled and shows the default colours; it reads none
    // of the records the worker may be replacing, but shows what it showed and keeps its
    // marks.
    const QVariant subject = Model().index(1, 0).data(Qt::DisplayRole);
    List()->setEnabled(false);
    for (auto& mail : account->m_mails) {
        mail->m_strSubject = "replaced";
    }
    EXPECT_FALSE(Model().index(1, 1).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(Model().index(0, 1).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(Model().index(1, 0).data(Qt::DisplayRole), subject);
    EXPECT_TRUE(Model().index(1, 0).data(Qt::DecorationRole).isValid());
    EXPECT_EQ(Model().index(1, 0).data(Qt::CheckStateRole), Qt::Checked);
    List()->setEnabled(true);
    EXPECT_EQ(Model().index(1, 0).data(Qt::DisplayRole).toString(), QStringLiteral("replaced"));

    // A refill starts unmarked and unselected.
    app.Doc()->RefillViews();
    EXPECT_FALSE(List()->IsMarked(-1));
    EXPECT_FALSE(List()->HasSelection());
}

TEST_F(MailListTest, ContextMenuGreysWhatNeedsASelection) {
    CAccount* account = AddAccount("pop");
    AddMail(account, "1", "1");
    app.Doc()->RefillViews();
    std::vector<std::pair<int, bool>> items;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions()) {
                if (!action->isSeparator() && !action->menu()) {
                    items.emplace_back(action->data().toInt(), action->isEnabled());
                }
            }
            menu->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                            List()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(List()->viewport(), &event);
    EXPECT_EQ(items, (std::vector<std::pair<int, bool>>{{gui::ID_SELECT_ALL, true},
                                                        {gui::ID_MARK_SELECTED, false},
                                                        {gui::ID_UNMARK_SELECTED, false},
                                                        {gui::ID_RELOAD_SELECTED, false}}));
}

// From the keyboard alone: Shift+F10 and the Menu key open the context menu, and its
// sort items sort as a click on the heading does (the same column again reverses).
TEST_F(MailListTest, TheKeyboardOpensTheContextMenuAndSorts) {
    CAccount* account = AddAccount("pop");
    AddMail(account, "a", "10", "carol");
    AddMail(account, "b", "9", "alice");
    app.Doc()->RefillViews();
    List()->setFocus();
    // Opens the menu with key, then 並べ替え(&S) and 送信者(&F) by their mnemonics.
    const auto sortBySender = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        bool bOpened = false;
        QTimer::singleShot(0, [&] {
            QWidget* menu = QApplication::activePopupWidget();
            if (!menu) {
                return;
            }
            bOpened = true;
            QTest::keyClick(menu, Qt::Key_S);
            QWidget* sort = QApplication::activePopupWidget();
            if (sort == menu) {
                menu->close();
                return;
            }
            QTest::keyClick(sort, Qt::Key_F);
        });
        QTest::keyClick(List(), key, modifiers);
        return bOpened;
    };
    ASSERT_TRUE(sortBySender(Qt::Key_F10, Qt::ShiftModifier));
    EXPECT_EQ(Column(CMailListModel::COL_FROM), (std::vector<std::string>{"alice", "carol"}));
    ASSERT_TRUE(sortBySender(Qt::Key_Menu, Qt::NoModifier));
    EXPECT_EQ(Column(CMailListModel::COL_FROM), (std::vector<std::string>{"carol", "alice"}));
    EXPECT_EQ(List()->SortColumn(), CMailListModel::COL_FROM);
}

TEST_F(MailListTest, FocusedMailFillsThePaneAndSavingSelectedWithNoneWritesCountZero) {
    CAccount* account = AddAccount("pop");
    AddMail(account, "1", "1", "x", MAIL_KNOWN, "本文");
    AddMail(account, "2", "1");
    app.Doc()->RefillViews();
    List()->setCurrentIndex(Model().index(0, 0));
    EXPECT_EQ(app.Frame()->InfoView()->toPlainText(), QString::fromUtf8("本文"));
    List()->setCurrentIndex(Model().index(1, 0));
    EXPECT_EQ(
        app.Frame()->InfoView()->toPlainText(),
        QString::fromUtf8("<メールの本文を受信していないか、受信したメールに本文がありません>"));

    const auto path = home.Path() / "list.txt";
    gui::SetSaveFileChooser([&](QWidget*, const QString& caption, const QString& filter) {
        EXPECT_EQ(caption, QString::fromUtf8("選択されている受信メール情報をファイルへ保存"));
        EXPECT_EQ(filter, QString::fromUtf8("テキスト形式 (*.txt)"));
        return FromPath(path);
    });
    List()->clearSelection();
    List()->SaveAsText(true);
    gui::SetSaveFileChooser(nullptr);
    EXPECT_EQ(ReadFileBytes(path), Utf8ToCp932("0通") + "\r\n" + std::string(79, '-') + "\r\n");

    // A file that cannot be written is reported.
    gui::SetSaveFileChooser([&](QWidget*, const QString&, const QString&) {
        return FromPath(home.Path() / "missing" / "list.txt");
    });
    List()->SaveAsText(false);
    gui::SetSaveFileChooser(nullptr);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.TextsUtf8()[0], "ファイルへの保存中にエラーが発生しました。\n"
                                    "十分な保存容量があるか確認して下さい。");
}

TEST(ColumnLayoutTest, DamagedValuesFallBackToTheBuiltInLayout) {
    GuiHome home;
    WriteProfileInt("Column", "Order1", 4);
    WriteProfileInt("Column", "Order2", 3);
    WriteProfileInt("Column", "Order3", -1);
    WriteProfileInt("Column", "Order4", 1);
    WriteProfileInt("Column", "Order5", 0);
    WriteProfileInt("Column", "Width2", 0);
    WriteProfileInt("Column", "Width3", -5);
    WriteProfileInt("Column", "AutoWidth", 7);
    const gui::ColumnLayout layout = gui::LoadColumnLayout();
    EXPECT_EQ(layout.order, (std::array<int32_t, 5>{0, 1, 2, 3, 4}));
    // Damaged widths count as 100; missing ones are the columns' defaults.
    EXPECT_EQ(layout.widths, (std::array<int32_t, 5>{320, 100, 100, 140, 100}));
    EXPECT_EQ(layout.bAutoWidth, 0);
    WriteProfileInt("Column", "Order3", 2);
    WriteProfileInt("Column", "Order5", 2); // not a permutation either
    EXPECT_EQ(gui::LoadColumnLayout().order, (std::array<int32_t, 5>{0, 1, 2, 3, 4}));
}

// At the first start a subject and a sender are readable: not three characters of them.
TEST(ColumnLayoutTest, AFreshUserGetsColumnsWideEnoughToRead) {
    GuiHome home;
    const gui::ColumnLayout layout = gui::LoadColumnLayout();
    EXPECT_GE(layout.widths[0], 300);
    EXPECT_GE(layout.widths[1], 200);
}

TEST(ColumnLayoutTest, LayoutIsWrittenAtExitAndRestoredAtStart) {
    GuiHome home;
    MessageBoxAnswers boxes;
    {
        RunningApp app;
        ASSERT_TRUE(app.Start());
        EXPECT_FALSE(app.Frame()->Menus().Action(gui::ID_AUTO_WIDTH)->isChecked());
        QHeaderView* header = app.List()->header();
        header->moveSection(header->visualIndex(4), 0); // account name first
        header->resizeSection(1, 170);
        ASSERT_TRUE(app.Trigger(gui::ID_AUTO_WIDTH));
        EXPECT_TRUE(app.Frame()->Menus().Action(gui::ID_AUTO_WIDTH)->isChecked());
        ASSERT_TRUE(app.Quit());
    }
    EXPECT_EQ(GetProfileInt("Column", "Order1", -1), 4);
    EXPECT_EQ(GetProfileInt("Column", "Order2", -1), 0);
    EXPECT_EQ(GetProfileInt("Column", "AutoWidth", -1), 1);
    RunningApp again;
    ASSERT_TRUE(again.Start());
    QHeaderView* header = again.List()->header();
    EXPECT_EQ(header->logicalIndex(0), 4);
    EXPECT_TRUE(again.Frame()->Menus().Action(gui::ID_AUTO_WIDTH)->isChecked());
    ASSERT_TRUE(again.Trigger(gui::ID_RESET_ORDER));
    EXPECT_EQ(header->logicalIndex(0), 0);
    EXPECT_TRUE(boxes.Shown().empty());
}

} // namespace
} // namespace tolvane::test
