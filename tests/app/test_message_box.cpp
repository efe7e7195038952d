// The message-box hook: caption and icon of every box, and questions from the worker's
// thread that wait on the user without the user-interface thread ever waiting on them.
#include "app/MessageBoxHost.h"
#include "platform/CodePage.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

namespace tolvane::gui {
namespace {

// Tells the user-interface thread (through a signal it can wait for) what a thread got.
class Reporter : public QObject {
    Q_OBJECT
public:
    void Report(int answer) {
        QMetaObject::invokeMethod(
            this, [this, answer] { Q_EMIT answered(answer); }, Qt::QueuedConnection);
    }
Q_SIGNALS:
    void answered(int answer);
};

TEST(MessageBox, CaptionAndIconRule) {
    const std::string text = Utf8ToCp932("確認");
    const MessageBoxRequest ok =
        CMessageBoxHost::MakeRequest(text, MsgButtons::Ok, MsgIcon::Default);
    EXPECT_EQ(ok.caption, QString::fromUtf8("トルヴェイン"));
    EXPECT_EQ(ok.text, QString::fromUtf8("確認"));
    EXPECT_EQ(ok.icon, QMessageBox::Warning);
    for (MsgButtons buttons : {MsgButtons::OkCancel, MsgButtons::YesNo, MsgButtons::YesNoCancel}) {
        EXPECT_EQ(CMessageBoxHost::MakeRequest(text, buttons, MsgIcon::Default).icon,
                  QMessageBox::Warning);
    }
    for (MsgButtons buttons : {MsgButtons::RetryCancel, MsgButtons::AbortRetryIgnore}) {
        EXPECT_EQ(CMessageBoxHost::MakeRequest(text, buttons, MsgIcon::Default).icon,
                  QMessageBox::NoIcon);
    }
    EXPECT_EQ(CMessageBoxHost::MakeRequest(text, MsgButtons::Ok, MsgIcon::Stop).icon,
              QMessageBox::Critical);
    EXPECT_EQ(CMessageBoxHost::MakeRequest(text, MsgButtons::OkCancel, MsgIcon::Question).icon,
              QMessageBox::Question);
}

// The box itself, as the user sees it, answered by a click.
TEST(MessageBox, RealBoxCarriesCaptionIconAndAnswersTheButtonPressed) {
    CMessageBoxHost host;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        icon = box->icon();
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(ShowMessage(Utf8ToCp932("終了しますか？"), MsgButtons::OkCancel), IDCANCEL);
    EXPECT_EQ(title, QString::fromUtf8("トルヴェイン"));
    EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(MessageBox, QuestionFromAnotherThreadWaitsForTheAnswerGivenOnTheUserInterfaceThread) {
    CMessageBoxHost host;
    std::vector<Qt::HANDLE> answeredOn;
    CMessageBoxHost::SetAnswerer([&](const MessageBoxRequest& request) {
        answeredOn.push_back(QThread::currentThreadId());
        return request.buttons == MsgButtons::Ok ? static_cast<int>(IDOK)
                                                 : static_cast<int>(IDCANCEL);
    });
    Reporter reporter;
    QSignalSpy answered(&reporter, &Reporter::answered);
    std::thread worker([&] {
        // Only OK: nothing to wait for, so the call comes back before the box is shown.
        const int shown = ShowMessage("note", MsgButtons::Ok);
        reporter.Report(shown);
        reporter.Report(ShowMessage("question", MsgButtons::OkCancel, MsgIcon::Question));
    });
    ASSERT_TRUE(answered.wait());
    if (answered.count() < 2) {
        ASSERT_TRUE(answered.wait());
    }
    worker.join();
    CMessageBoxHost::SetAnswerer(nullptr);
    EXPECT_EQ(answered.at(0).at(0).toInt(), IDOK);
    EXPECT_EQ(answered.at(1).at(0).toInt(), IDCANCEL);
    ASSERT_EQ(answeredOn.size(), 2u);
    EXPECT_EQ(answeredOn[0], QThread::currentThreadId());
    EXPECT_EQ(answeredOn[1], QThread::currentThreadId());
}

// Closing answers a question still waiting "not OK" (the user's later answer no longer
// counts), and every question after it at once.
TEST(MessageBox, ClosingAnswersPendingAndLaterQuestionsNotOk) {
    CMessageBoxHost host;
    CMessageBoxHost::SetAnswerer([&](const MessageBoxRequest&) {
        host.CloseQuestions(); // the program ends while the question is up
        return static_cast<int>(IDYES);
    });
    Reporter reporter;
    QSignalSpy answered(&reporter, &Reporter::answered);
    std::thread worker([&] {
        reporter.Report(ShowMessage("delete?", MsgButtons::YesNo));
        reporter.Report(ShowMessage("again?", MsgButtons::OkCancel));
    });
    while (answered.count() < 2) {
        ASSERT_TRUE(answered.wait());
    }
    worker.join();
    CMessageBoxHost::SetAnswerer(nullptr);
    EXPECT_EQ(answered.at(0).at(0).toInt(), IDNO);
    EXPECT_EQ(answered.at(1).at(0).toInt(), IDCANCEL);
}

} // namespace
} // namespace tolvane::gui

#include "test_message_box.moc"
