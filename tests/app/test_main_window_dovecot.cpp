// Tolvane against a real POP3 server (the private Dovecot): a check fills the list with
// the decoded Japanese mails, and the marked mails, and only they, are deleted.
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/TolvaneDoc.h"
#include "app/TrayIcon.h"
#include "app/maillist/TolvaneView.h"
#include "platform/CodePage.h"
#include "tests/support/DovecotFixture.h"
#include "tests/support/JapaneseMail.h"
#include "tests/support/gui/AppTest.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace tolvane::test {
namespace {

using gui::CMailListModel;

std::string JapaneseMessage(const std::string& subjectUtf8, const std::string& bodyUtf8) {
    std::string subject;
    std::string body;
    EXPECT_TRUE(Utf8ToJis(subjectUtf8, subject));
    EXPECT_TRUE(Utf8ToJis(bodyUtf8, body));
    return "From: yamada@example.jp\r\nSubject: " + JisWord(subject) +
           "\r\nDate: Mon, 12 Feb 2024 09:30:00 +0900\r\nMIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" +
           body + "\r\n";
}

class MainWindowDovecot : public ::testing::Test {
protected:
    void SetUp() override {
        TOLVANE_REQUIRE_DOVECOT();
        dovecot.AddUser("hanako", "himitsu");
        ASSERT_TRUE(dovecot.Start()) << dovecot.Error();
        for (const auto& [subject, body] : kMails) {
            dovecot.Deliver("hanako", JapaneseMessage(subject, body));
        }
        WriteAccount({.nameUtf8 = "仕事",
                      .port = dovecot.Port(),
                      .user = "hanako",
                      .password = "himitsu",
                      .timeout = 30});
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.Trigger(gui::ID_CHECK_ALL));
        ASSERT_TRUE(app.WaitForJob(ID_CHECK_COMPLETE));
    }

    int RowOf(const std::string& subjectUtf8) {
        CMailListModel& model = app.List()->Model();
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.index(row, 0).data().toString().toStdString() == subjectUtf8) {
                return row;
            }
        }
        return -1;
    }

    const std::vector<std::pair<std::string, std::string>> kMails = {
        {"会議のお知らせ", "明日は十時からです。"},
        {"見積書の送付", "ご確認ください。"},
        {"週報", "今週の作業です。"},
        {"請求書", "お支払いをお願いします。"},
    };
    GuiHome home;
    MessageBoxAnswers boxes;
    DovecotFixture dovecot;
    RunningApp app;
};

TEST_F(MainWindowDovecot, CheckListsTheDecodedMailsAndSetsTheTrayTip) {
    std::vector<std::string> subjects;
    for (int row = 0; row < app.List()->RowCount(); ++row) {
        subjects.push_back(app.List()->Model().index(row, 0).data().toString().toStdString());
        EXPECT_EQ(app.List()->Model().index(row, CMailListModel::COL_ACCOUNT).data().toString(),
                  QString::fromUtf8("仕事"));
    }
    std::vector<std::string> expected;
    for (const auto& mail : kMails) {
        expected.push_back(mail.first);
    }
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        return Utf8ToCp932(a) < Utf8ToCp932(b); // the list's byte order of the CP932 texts
    });
    EXPECT_EQ(subjects, expected);
    EXPECT_EQ(app.Frame()->Tray().Tip(), QString::fromUtf8("4通の受信メールがあります。"));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(MainWindowDovecot, DeleteRemovesExactlyTheMarkedMailsOnTheServer) {
    gui::CTolvaneView* list = app.List();
    // One mark by check box, one by the menu, one by Delete; then one unmarked again.
    const QRect box = list->visualRect(list->Model().index(RowOf("会議のお知らせ"), 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(box.left() + 8, box.center().y()));
    list->SelectMail(RowOf("週報"));
    ASSERT_TRUE(app.Trigger(gui::ID_MARK_SELECTED));
    list->SelectMail(RowOf("請求書"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    list->ToggleMark(RowOf("請求書"));
    ASSERT_EQ(list->MarkedMails().size(), 2u);

    ASSERT_TRUE(app.Trigger(gui::ID_DELETE_MARKED));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].icon, QMessageBox::Question);
    EXPECT_EQ(boxes.Shown()[0].buttons, MsgButtons::OkCancel);
    // The deletion's own check, then the deletion's completion.
    ASSERT_TRUE(app.WaitForJob(ID_CHECK_COMPLETE));
    ASSERT_TRUE(app.WaitForJob(ID_DELETE_COMPLETE));

    const std::vector<std::string> mailbox = dovecot.Mailbox("hanako");
    ASSERT_EQ(mailbox.size(), 2u);
    std::string subject;
    for (const std::string& kept : {std::string("見積書の送付"), std::string("請求書")}) {
        ASSERT_TRUE(Utf8ToJis(kept, subject));
        EXPECT_TRUE(std::any_of(mailbox.begin(), mailbox.end(), [&](const std::string& message) {
            return message.find(JisWord(subject)) != std::string::npos;
        })) << kept;
    }
    EXPECT_EQ(app.List()->RowCount(), 2);
    EXPECT_FALSE(app.List()->IsMarked(-1));
}

} // namespace
} // namespace tolvane::test
