// The help: the shipped document and its contents list, the read-me, the help window,
// and the help commands (F1 on the page of the active window, Shift+F1, topic search).
#include "app/help/HelpCommands.h"

#include "app/help/HelpDocument.h"
#include "app/help/HelpTopics.h"
#include "app/help/HelpWindow.h"
#include "app/widgets/UrlOpener.h"
#include "platform/CodePage.h"
#include "settings/OptionSheet.h"
#include "settings/ReportDialog.h"
#include "tests/support/TestEnv.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

const fs::path kHelpFolder = fs::path(TOLVANE_SOURCE_DIR) / "resources" / "help";

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList VisiblePages(const CHelpWindow& window) {
    QStringList topics;
    for (QTreeWidgetItemIterator it(window.ContentsTree(), QTreeWidgetItemIterator::NoChildren);
         *it; ++it) {
        if (!(*it)->isHidden()) {
            topics.append((*it)->data(0, Qt::UserRole).toString());
        }
    }
    return topics;
}

TEST(HelpFiles, EveryWindowCommandAndLinkHasItsPage) {
    CHelpDocument help;
    ASSERT_TRUE(help.Load(kHelpFolder)) << help.Error().toStdString();
    EXPECT_EQ(help.Title(), U("トルヴェイン ヘルプ"));
    for (const QString& topic : KnownTopics()) {
        EXPECT_TRUE(help.HasTopic(topic)) << topic.toStdString();
    }
    QSet<QString> listed;
    for (const HelpEntry& entry : help.Contents()) {
        listed.insert(entry.topic);
    }
    QString html;
    {
        QFile file(QString::fromStdString((kHelpFolder / "Tolvane.hlp").string()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        html = QString::fromUtf8(file.readAll());
    }
    static const QRegularExpression kLink(QStringLiteral("href=\"#([^\"]+)\""));
    for (auto it = kLink.globalMatch(html); it.hasNext();) {
        const QString topic = it.next().captured(1);
        EXPECT_TRUE(help.HasTopic(topic)) << "link to " << topic.toStdString();
    }
    static const QRegularExpression kSection(QStringLiteral("<section id=\"([^\"]+)\">"));
    for (auto it = kSection.globalMatch(html); it.hasNext();) {
        const QString topic = it.next().captured(1);
        EXPECT_TRUE(listed.contains(topic)) << "not in the contents: " << topic.toStdString();
    }
}

TEST(HelpFiles, TheReadMeIsCp932WithCrLf) {
    const std::string bytes =
        ReadFileBytes(fs::path(TOLVANE_SOURCE_DIR) / "resources" / "Readme.txt");
    ASSERT_FALSE(bytes.empty());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
        }
    }
    // A byte CP932 cannot read would come back as "?"; the text has none of its own.
    EXPECT_EQ(bytes.find('?'), std::string::npos);
    const std::string text = Cp932ToUtf8(bytes);
    EXPECT_EQ(text.find('?'), std::string::npos);
    EXPECT_NE(text.find("トルヴェイン"), std::string::npos);
    EXPECT_NE(text.find("アンインストール"), std::string::npos);
}

TEST(HelpDocument, AFaultyContentsListIsRefusedWithItsLine) {
    const QString html = QStringLiteral("<section id=\"a\"><h2>A</h2></section>");
    CHelpDocument help;
    EXPECT_TRUE(help.Parse(html, U(":Title T\n; note\n\n1 見出し\n2 ページ=a\n")));
    ASSERT_EQ(help.Contents().size(), 2);
    EXPECT_TRUE(help.Contents()[0].topic.isEmpty());
    EXPECT_EQ(help.Contents()[1].nLevel, 2);
    EXPECT_FALSE(help.Parse(html, U("1 ページ=missing\n")));
    EXPECT_EQ(help.Error(), U("Tolvane.cnt:1: no page missing"));
    EXPECT_FALSE(help.Parse(html, U("1 a\nnot an entry\n")));
    EXPECT_EQ(help.Error(), U("Tolvane.cnt:2"));
    EXPECT_FALSE(help.Parse(QStringLiteral("<p>no sections</p>"), QString()));
    TempDir empty;
    EXPECT_FALSE(help.Load(empty.Path()));
}

class HelpCommandsTest : public ::testing::Test {
protected:
    ~HelpCommandsTest() override { SetUrlOpener(nullptr); }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    ScopedHome home;
    RecordingMessageHost messages;
    CHelpCommands help{kHelpFolder};
};

TEST_F(HelpCommandsTest, F1OpensThePageOfTheActiveWindow) {
    CReportDialog report;
    report.ShowAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&report));
    Press(Qt::Key_F1);
    ASSERT_NE(help.Window(), nullptr);
    EXPECT_TRUE(help.Window()->isVisible());
    EXPECT_EQ(help.Window()->Topic(), U("report"));
    EXPECT_EQ(help.Window()->windowModality(), Qt::NonModal);
    EXPECT_FALSE(help.Window()->Page()->toPlainText().isEmpty());
    EXPECT_EQ(help.Window()->ContentsTree()->currentItem()->text(0), U("受信メール数の情報"));

    // Above a modal sheet the help is modal too, and follows the sheet's page.
    COptionSheet sheet;
    sheet.setWindowModality(Qt::ApplicationModal);
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    Press(Qt::Key_F1);
    EXPECT_EQ(help.Window()->Topic(), U("options-general"));
    EXPECT_EQ(help.Window()->windowModality(), Qt::ApplicationModal);
    help.Window()->hide();
    sheet.Tabs()->setCurrentIndex(1);
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    sheet.Tabs()->currentWidget()->setFocus();
    Press(Qt::Key_F1);
    EXPECT_EQ(help.Window()->Topic(), U("options-log"));
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(HelpCommandsTest, ContextHelpOpensThePageOfWhatIsClickedInsteadOfClickingIt) {
    CReportDialog report;
    QSignalSpy asked(&report, &CReportDialog::showMainWindowRequested);
    report.ShowAndActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&report));
    Press(Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(help.InContextHelp());
    Press(Qt::Key_Escape); // leaves the mode, and only that
    EXPECT_FALSE(help.InContextHelp());
    EXPECT_TRUE(report.isVisible());

    help.Run(gui::ID_CONTEXT_HELP);
    auto* button = report.findChild<QPushButton*>(QStringLiteral("showMainButton"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(help.InContextHelp());
    EXPECT_EQ(asked.count(), 0);
    ASSERT_NE(help.Window(), nullptr);
    EXPECT_EQ(help.Window()->Topic(), U("report"));
}

TEST_F(HelpCommandsTest, TopicSearchAndLinks) {
    QList<QUrl> opened;
    SetUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    help.Run(gui::ID_HELP_FINDER);
    CHelpWindow* window = help.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Topic(), U("overview"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(QApplication::focusWidget(), window->SearchField());
    const QStringList all = VisiblePages(*window);
    EXPECT_GT(all.size(), 20);
    window->SearchField()->setText(U("JSON 終了コード"));
    EXPECT_EQ(VisiblePages(*window), QStringList{U("cli")});
    window->SearchField()->setText(U("存在しない言葉"));
    EXPECT_TRUE(VisiblePages(*window).isEmpty());
    window->SearchField()->clear();
    EXPECT_EQ(VisiblePages(*window), all);

    Q_EMIT window->Page()->anchorClicked(QUrl(QStringLiteral("#delete")));
    EXPECT_EQ(window->Topic(), U("delete"));
    Q_EMIT window->Page()->anchorClicked(QUrl(QStringLiteral("https://tolvane.example.org/")));
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://tolvane.example.org/"))});
    window->ShowTopic(QStringLiteral("no-such-page"));
    EXPECT_EQ(window->Topic(), U("overview"));
}

TEST(HelpCommandsMissing, AHelpThatCannotBeReadIsReportedWithItsPath) {
    ScopedHome home;
    RecordingMessageHost messages;
    TempDir empty;
    CHelpCommands help(empty.Path());
    help.Run(gui::ID_DEFAULT_HELP);
    EXPECT_EQ(help.Window(), nullptr);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].icon, MsgIcon::Stop);
    EXPECT_NE(messages.Messages()[0].textUtf8.find("Tolvane.hlp"), std::string::npos);
}

} // namespace
} // namespace tolvane::test
