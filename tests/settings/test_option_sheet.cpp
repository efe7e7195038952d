// The options sheet, driven through its real widgets: what the pages show, their enable
// rules, the order in which Apply and OK write and stop, Cancel, the browse and test
// buttons, and the keyboard.
#include "settings/OptionSheet.h"

#include "app/widgets/QtText.h"
#include "platform/CodePage.h"
#include "platform/Options.h"
#include "platform/Profile.h"
#include "settings/OptionPage.h"
#include "settings/PathChoosers.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"
#include "tests/support/gui/RecordingSoundPlayer.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

constexpr int32_t kAbsent = -999;

int32_t Stored(const char* key) {
    return GetProfileInt("Option", key, kAbsent);
}

std::string StoredText(const char* key) {
    return GetProfileStringUtf8("Option", key, "<none>");
}

class OptionSheetTest : public ::testing::Test {
protected:
    ~OptionSheetTest() override { SetPathChooser(nullptr); }

    void Open() {
        sheet = std::make_unique<COptionSheet>();
        sheet->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    }
    template <typename T> T* Find(const char* objectName) {
        T* widget = sheet->findChild<T*>(QString::fromLatin1(objectName));
        EXPECT_NE(widget, nullptr) << objectName;
        return widget;
    }
    QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
    QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
    QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
    QRadioButton* Radio(const char* name) { return Find<QRadioButton>(name); }
    // On the box or the circle: a stretched button takes no click beyond its text.
    void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    // A key as the user presses it: into the widget that has the focus.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    void ShowLogPage() { sheet->Tabs()->setCurrentIndex(1); }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& shown : messages.Messages()) {
            texts.push_back(shown.textUtf8);
        }
        return texts;
    }
    bool SettingsFileExists() const {
        return fs::exists(home.ConfigHome() / "tolvane" / "user.reg");
    }

    ScopedHome home;
    RecordingMessageHost messages;
    RecordingSoundPlayer sounds;
    std::unique_ptr<COptionSheet> sheet;
};

TEST_F(OptionSheetTest, AFreshUserSeesTheDefaultsAndApplyIsOff) {
    Open();
    EXPECT_EQ(sheet->windowTitle(), U("オプション設定"));
    ASSERT_EQ(sheet->Tabs()->count(), 2);
    EXPECT_EQ(sheet->Tabs()->tabText(0), U("全般"));
    EXPECT_EQ(sheet->Tabs()->tabText(1), U("接続ログ"));
    EXPECT_EQ(sheet->Tabs()->currentIndex(), 0);
    EXPECT_FALSE(Button("applyButton")->isEnabled());

    EXPECT_FALSE(Box("autoCheckBox")->isChecked());
    EXPECT_EQ(Edit("intervalEdit")->text(), U("30"));
    EXPECT_FALSE(Edit("intervalEdit")->isEnabled());
    EXPECT_EQ(Edit("intervalEdit")->maxLength(), 2);
    EXPECT_TRUE(Box("autoReportBox")->isChecked());
    EXPECT_TRUE(Radio("reportAlwaysRadio")->isChecked());
    EXPECT_TRUE(Radio("reportHeldRadio")->isEnabled());
    EXPECT_TRUE(Box("autoHideBox")->isChecked());
    EXPECT_EQ(Edit("hideSecondsEdit")->text(), U("30"));
    EXPECT_TRUE(Edit("hideSecondsEdit")->isEnabled());
    EXPECT_EQ(Edit("hideSecondsEdit")->maxLength(), 3);
    EXPECT_EQ(Edit("soundFileEdit")->maxLength(), 4096); // a Linux path's length
    EXPECT_FALSE(Button("soundTestButton")->isEnabled());
    EXPECT_TRUE(Box("notifyBox")->isChecked());
    EXPECT_FALSE(Box("firstCheckBox")->isChecked());
    EXPECT_FALSE(Box("quitConfirmBox")->isChecked());

    ShowLogPage();
    EXPECT_FALSE(Box("saveLogBox")->isChecked());
    EXPECT_EQ(ToUtf8Bytes(Edit("logFileEdit")->text()), options::DefaultLogFilePath());
    EXPECT_FALSE(Edit("logFileEdit")->isEnabled());
    EXPECT_FALSE(Find<QGroupBox>("nextStartGroup")->isEnabled());
    EXPECT_TRUE(Radio("overwriteRadio")->isChecked());
    EXPECT_FALSE(SettingsFileExists()); // reading wrote nothing
}

TEST_F(OptionSheetTest, StoredValuesAreShownWithTheirEnableRules) {
    options::SetAutoCheck(1);
    options::SetAutoCheckInterval(7);
    options::SetAutoReport(0);
    options::SetReportDisplayMode(0);
    options::SetAutoHide(1);
    options::SetAutoHideInterval(120);
    options::SetSoundFilePath("/音/new.wav");
    options::SetNotify(0);
    options::SetSaveLog(1);
    options::SetNewSave(0);
    Open();
    EXPECT_EQ(Edit("intervalEdit")->text(), U("7"));
    EXPECT_TRUE(Edit("intervalEdit")->isEnabled());
    EXPECT_FALSE(Box("autoReportBox")->isChecked());
    EXPECT_TRUE(Radio("reportHeldRadio")->isChecked());
    EXPECT_FALSE(Radio("reportHeldRadio")->isEnabled());
    EXPECT_FALSE(Box("autoHideBox")->isEnabled());
    EXPECT_TRUE(Box("autoHideBox")->isChecked());
    EXPECT_FALSE(Edit("hideSecondsEdit")->isEnabled());
    EXPECT_EQ(Edit("soundFileEdit")->text(), U("/音/new.wav"));
    EXPECT_TRUE(Button("soundTestButton")->isEnabled());
    EXPECT_FALSE(Box("notifyBox")->isChecked());

    // Ticking the report brings back the radio buttons and, with auto-hide, the seconds.
    Click(Box("autoReportBox"));
    EXPECT_TRUE(Radio("reportAlwaysRadio")->isEnabled());
    EXPECT_TRUE(Edit("hideSecondsEdit")->isEnabled());
    Click(Box("autoHideBox"));
    EXPECT_FALSE(Edit("hideSecondsEdit")->isEnabled());
    Click(Box("autoCheckBox"));
    EXPECT_FALSE(Edit("intervalEdit")->isEnabled());
    EXPECT_TRUE(Button("applyButton")->isEnabled());

    ShowLogPage();
    EXPECT_TRUE(Edit("logFileEdit")->isEnabled());
    EXPECT_TRUE(Radio("appendRadio")->isChecked());
    Click(Box("saveLogBox"));
    EXPECT_FALSE(Edit("logFileEdit")->isEnabled());
    EXPECT_FALSE(Button("logBrowseButton")->isEnabled());
    EXPECT_FALSE(Radio("appendRadio")->isEnabled());
}

TEST_F(OptionSheetTest, PeriodicOffStoresThirtyWhateverTheFieldShows) {
    Open();
    Edit("intervalEdit")->setText(U("0"));
    Click(Button("okButton"));
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(Stored("AutoCheck"), 0);
    EXPECT_EQ(Stored("AutoCheckInterval"), 30);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(OptionSheetTest, AnIntervalOutOfRangeIsRefusedAndNothingIsWritten) {
    Open();
    Click(Box("autoCheckBox"));
    for (const char* text : {"61", "0", "", "-1"}) {
        Edit("intervalEdit")->setText(U(text));
        ShowLogPage(); // the failing page comes back
        Click(Button("okButton"));
        EXPECT_TRUE(sheet->isVisible()) << text;
        EXPECT_EQ(sheet->Tabs()->currentIndex(), 0) << text;
    }
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>(4, "自動チェックの間隔は1から60までを入力してください。"));
    EXPECT_EQ(messages.Messages()[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(SettingsFileExists());
    Edit("intervalEdit")->setText(U("61"));
    Click(Button("applyButton"));
    EXPECT_EQ(QApplication::focusWidget(), Edit("intervalEdit"));
    EXPECT_EQ(Edit("intervalEdit")->selectedText(), U("61"));
    EXPECT_FALSE(SettingsFileExists());

    Edit("intervalEdit")->setText(U("60"));
    Click(Button("okButton"));
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(Stored("AutoCheckInterval"), 60);
}

TEST_F(OptionSheetTest, AutoHideOfZeroStopsAfterTheFirstSixKeys) {
    Open();
    Edit("hideSecondsEdit")->setText(U("0"));
    Edit("soundFileEdit")->setText(U("/a.wav"));
    Click(Button("okButton"));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>{"自動非表示の間隔は1から999までを入力してください。"});
    EXPECT_EQ(QApplication::focusWidget(), Edit("hideSecondsEdit"));
    for (const char* key : {"AutoCheck", "AutoCheckInterval", "AutoReport", "ReportDisplayMode",
                            "FirstCheck", "QuitConfirm"}) {
        EXPECT_NE(Stored(key), kAbsent) << key;
    }
    EXPECT_EQ(Stored("AutoHide"), kAbsent);
    EXPECT_EQ(Stored("AutoHideInterval"), kAbsent);
    EXPECT_EQ(StoredText("SoundFile"), "<none>");
    EXPECT_EQ(Stored("Notify"), kAbsent);
}

TEST_F(OptionSheetTest, ReportOffStillWritesTheDisabledControlsAsTheyShow) {
    Open();
    Click(Radio("reportHeldRadio"));
    Edit("hideSecondsEdit")->setText(U("45"));
    Click(Box("autoReportBox"));
    EXPECT_FALSE(Radio("reportAlwaysRadio")->isEnabled());
    EXPECT_FALSE(Radio("reportHeldRadio")->isEnabled());
    EXPECT_FALSE(Box("autoHideBox")->isEnabled());
    EXPECT_FALSE(Edit("hideSecondsEdit")->isEnabled());
    Click(Button("okButton"));
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(Stored("AutoReport"), 0);
    EXPECT_EQ(Stored("ReportDisplayMode"), 0);
    EXPECT_EQ(Stored("AutoHide"), 1);
    EXPECT_EQ(Stored("AutoHideInterval"), 45);
}

TEST_F(OptionSheetTest, TheSoundFieldAndItsButtons) {
    Open();
    // Typing enables the test button but does not mark the page.
    QTest::keyClicks(Edit("soundFileEdit"), QStringLiteral("/x.wav"));
    EXPECT_TRUE(Button("soundTestButton")->isEnabled());
    EXPECT_FALSE(Button("applyButton")->isEnabled());
    Click(Button("soundTestButton"));
    EXPECT_EQ(sounds.played, QStringList{U("/x.wav")});
    Edit("soundFileEdit")->clear();
    EXPECT_FALSE(Button("soundTestButton")->isEnabled());

    // Browse: the chosen file plays at once and lands in the field.
    std::vector<PathChoice> asked;
    SetPathChooser([&](QWidget*, const PathChoice& choice) {
        asked.push_back(choice);
        return asked.size() == 1 ? QString() : U("/données/着信.wav");
    });
    Click(Button("soundBrowseButton")); // cancelled: nothing happens
    EXPECT_EQ(sounds.played.size(), 1);
    EXPECT_TRUE(Edit("soundFileEdit")->text().isEmpty());
    Click(Button("soundBrowseButton"));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].kind, PathChooserKind::Open);
    EXPECT_EQ(asked[0].caption, U("メールがある場合に鳴らす音を指定"));
    EXPECT_EQ(asked[0].filter, U("WAV形式 (*.wav)"));
    EXPECT_EQ(asked[0].preset, U("*.wav"));
    EXPECT_EQ(sounds.played.last(), U("/données/着信.wav"));
    EXPECT_EQ(Edit("soundFileEdit")->text(), U("/données/着信.wav"));
    EXPECT_TRUE(Button("applyButton")->isEnabled());
    Click(Button("applyButton"));
    EXPECT_EQ(StoredText("SoundFile"), "/données/着信.wav"); // the path's exact bytes

    Edit("soundFileEdit")->clear();
    Click(Button("okButton"));
    EXPECT_EQ(StoredText("SoundFile"), ""); // stored empty, not left out
}

TEST_F(OptionSheetTest, TheLogPageStoresAnEmptyFieldAsTheDefaultPath) {
    options::SetSaveLog(1);
    options::SetLogFilePath("/var/tmp/接続.log");
    Open();
    ShowLogPage();
    std::vector<PathChoice> asked;
    SetPathChooser([&](QWidget*, const PathChoice& choice) {
        asked.push_back(choice);
        return U("/tmp/chosen.log");
    });
    Edit("logFileEdit")->clear();
    EXPECT_TRUE(Button("applyButton")->isEnabled());
    Click(Button("logBrowseButton"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, PathChooserKind::Save);
    EXPECT_EQ(asked[0].caption, U("ログファイルを指定"));
    EXPECT_EQ(asked[0].filter, U("TEXT形式 (*.log)"));
    EXPECT_EQ(ToUtf8Bytes(asked[0].preset), options::DefaultLogFilePath());
    EXPECT_EQ(Edit("logFileEdit")->text(), U("/tmp/chosen.log"));

    Edit("logFileEdit")->clear();
    Click(Radio("appendRadio"));
    Click(Button("okButton"));
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(options::GetLogFilePath(), options::DefaultLogFilePath());
    EXPECT_EQ(Stored("SaveLog"), 1);
    EXPECT_EQ(Stored("NewSave"), 0);
}

// A stored path longer than the old 260-character bound (Linux allows 4,096 bytes) comes
// back from OK byte for byte, in both path fields.
TEST_F(OptionSheetTest, LongStoredPathsSurviveOkWhole) {
    std::string sound = "/home/taro";
    std::string log = "/var/tmp";
    for (int i = 0; i < 45; ++i) {
        sound += "/音声フォルダ";
        log += "/接続ログの保存先";
    }
    sound += "/着信.wav";
    log += "/接続.log";
    ASSERT_TRUE(options::SetSoundFilePath(sound));
    options::SetSaveLog(1);
    options::SetLogFilePath(log);
    Open();
    Click(Box("firstCheckBox"));
    Click(Box("firstCheckBox"));
    ShowLogPage();
    EXPECT_GE(Edit("logFileEdit")->text().size(), 300);
    Click(Box("saveLogBox"));
    Click(Box("saveLogBox")); // both pages now count as changed
    Click(Button("okButton"));
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(options::GetSoundFilePath(), sound);
    EXPECT_EQ(options::GetLogFilePath(), log);
}

TEST_F(OptionSheetTest, OnlyPagesThatWereShownAreApplied) {
    Open();
    Click(Box("firstCheckBox"));
    Click(Button("okButton"));
    EXPECT_EQ(Stored("FirstCheck"), 1);
    EXPECT_EQ(Stored("SaveLog"), kAbsent);
    EXPECT_EQ(StoredText("LogFile"), "<none>");
}

TEST_F(OptionSheetTest, ApplyThenCancelKeepsWhatApplyWrote) {
    Open();
    Click(Box("firstCheckBox"));
    ASSERT_TRUE(Button("applyButton")->isEnabled());
    Click(Button("applyButton"));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(Stored("FirstCheck"), 1);
    EXPECT_FALSE(Button("applyButton")->isEnabled());

    Click(Box("quitConfirmBox"));
    Click(Box("firstCheckBox"));
    Click(Button("cancelButton"));
    EXPECT_EQ(sheet->result(), QDialog::Rejected);
    EXPECT_EQ(Stored("FirstCheck"), 1);
    EXPECT_EQ(Stored("QuitConfirm"), 0); // as Apply wrote it
}

TEST_F(OptionSheetTest, EveryFailedWriteIsShownAndTheSheetStillCloses) {
    Open();
    ShowLogPage();
    // The settings file can no longer be read, so it is never written over.
    const fs::path file = home.ConfigHome() / "tolvane" / "user.reg";
    fs::create_directories(file);
    Click(Button("okButton"));
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    // Eleven keys of "全般" and three of "接続ログ" (the autostart entry, absent, is removed
    // without a fault).
    EXPECT_EQ(MessageTexts(),
              std::vector<std::string>(14, "レジストリ情報の書き込みが失敗しました。"));
    EXPECT_EQ(messages.Messages()[0].icon, MsgIcon::Stop);
}

// The login start: its box writes the autostart entry (a launcher the desktop accepts,
// starting the program minimised) and removes it again; a folder that cannot be written
// is told.
TEST_F(OptionSheetTest, TheLoginStartWritesAndRemovesTheAutostartEntry) {
    const fs::path entry = home.ConfigHome() / "autostart" / "org.orrindale.Tolvane.desktop";
    Open();
    EXPECT_FALSE(Box("autostartBox")->isChecked());
    EXPECT_EQ(Box("autostartBox")->text(), U("ログイン時に起動する(&L)"));
    Click(Box("autostartBox"));
    Click(Button("okButton"));
    EXPECT_EQ(Stored("Autostart"), 1);
    ASSERT_TRUE(fs::exists(entry));
    const ProcessResult valid = RunProcess("/usr/bin/desktop-file-validate", {entry.string()});
    EXPECT_EQ(valid.status, 0) << valid.out << valid.err;
    EXPECT_NE(ReadFileBytes(entry).find(" --minimized\n"), std::string::npos);
    EXPECT_EQ(fs::status(entry).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);

    Open();
    EXPECT_TRUE(Box("autostartBox")->isChecked());
    Click(Box("autostartBox"));
    Click(Button("okButton"));
    EXPECT_EQ(Stored("Autostart"), 0);
    EXPECT_FALSE(fs::exists(entry));

    fs::remove(entry.parent_path());
    WriteFileBytes(entry.parent_path(), "a file where the folder belongs");
    Open();
    Click(Box("autostartBox"));
    Click(Button("okButton"));
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"レジストリ情報の書き込みが失敗しました。"});
}

TEST_F(OptionSheetTest, EveryControlIsReachedFromTheKeyboard) {
    Open();
    sheet->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    // A mnemonic shows the press before it acts.
    Key(Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Box("firstCheckBox")->isChecked(); }));
    Key(Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Box("autoCheckBox")->isChecked(); }));
    // The field follows its box in the tab chain; Up steps it by one.
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Edit("intervalEdit"));
    Key(Qt::Key_Up);
    EXPECT_EQ(Edit("intervalEdit")->text(), U("31"));
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet->Tabs()->currentIndex(), 1);
    Key(Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Box("saveLogBox")->isChecked(); }));
    Key(Qt::Key_Return);
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(Stored("AutoCheckInterval"), 31);
    EXPECT_EQ(Stored("SaveLog"), 1);
}

} // namespace
} // namespace tolvane::test
