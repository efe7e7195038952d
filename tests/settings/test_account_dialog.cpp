// The account dialog, driven through its real widgets: what it shows, validation,
// add / change / delete / check mark against the document's accounts and the settings,
// and its keyboard reach.
#include "settings/AccountDialog.h"

#include "app/widgets/NumberEdit.h"
#include "app/widgets/QtText.h"
#include "app/widgets/UpDown.h"
#include "app/widgets/UrlOpener.h"
#include "engine/DocumentCore.h"
#include "engine/KeyringRefreshTokens.h"
#include "engine/SaslMechanisms.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "settings/SettingsTexts.h"
#include "tests/support/FakeOAuthServer.h"
#include "tests/support/FakeSecretStore.h"
#include "tests/support/TestEnv.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string Section(const char* nameUtf8) {
    return "Account\\" + Utf8ToCp932(nameUtf8);
}

struct StoredAccount {
    const char* server = "127.0.0.1";
    int32_t port = 110;
    int32_t enable = 1;
    int32_t newOnly = 0;
    int32_t limitDelete = 0;
    int32_t days = 5;
    int32_t confirm = 1;
};

void WriteAccount(const char* nameUtf8, const StoredAccount& a = {}) {
    const std::string section = Section(nameUtf8);
    ASSERT_TRUE(WriteProfileString(section, "Servername", a.server));
    ASSERT_TRUE(WriteProfileString(section, "Username", "taro"));
    ASSERT_TRUE(WriteProfileString(section, "Password", "secret"));
    ASSERT_TRUE(WriteProfileInt(section, "PortNo", a.port));
    ASSERT_TRUE(WriteProfileInt(section, "ReceiveCount", 10));
    ASSERT_TRUE(WriteProfileInt(section, "Timeout", 60));
    ASSERT_TRUE(WriteProfileInt(section, "Enable", a.enable));
    ASSERT_TRUE(WriteProfileInt(section, "ReceiveNewMailOnly", a.newOnly));
    ASSERT_TRUE(WriteProfileInt(section, "LimitDelete", a.limitDelete));
    ASSERT_TRUE(WriteProfileInt(section, "LimitDays", a.days));
    ASSERT_TRUE(WriteProfileInt(section, "ConfLimitDelete", a.confirm));
}

int32_t StoredInt(const char* nameUtf8, const char* key) {
    return GetProfileInt(Section(nameUtf8), key, -999);
}

std::string StoredString(const char* nameUtf8, const char* key) {
    return Cp932ToUtf8(GetProfileString(Section(nameUtf8), key, "<none>"));
}

// The twelve stored values of an account in their writing order, joined by "|".
std::string Stored(const char* nameUtf8) {
    std::string values;
    for (const char* key : {"Servername", "Username", "Password"}) {
        values += StoredString(nameUtf8, key) + "|";
    }
    for (const char* key : {"PortNo", "ReceiveCount", "Timeout", "SimpleDelete", "Enable",
                            "ReceiveNewMailOnly", "LimitDelete", "LimitDays", "ConfLimitDelete"}) {
        values += std::to_string(StoredInt(nameUtf8, key)) + "|";
    }
    values.pop_back();
    return values;
}

std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    EnumAccountNames(names);
    for (std::string& name : names) {
        name = Cp932ToUtf8(name);
    }
    return names;
}

class AccountDialogTest : public ::testing::Test {
protected:
    // Loads the document from the settings written so far and opens the dialog over it.
    void Open() {
        doc = std::make_unique<CDocumentCore>(&host);
        ASSERT_TRUE(doc->Create());
        dialog = std::make_unique<CAccountDialog>(*doc);
        changed = std::make_unique<QSignalSpy>(dialog.get(), &CAccountDialog::accountsChanged);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    void TearDown() override {
        if (doc) {
            doc->m_bBusy = 0;
        }
    }

    template <typename T> T* Find(const char* objectName) {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(objectName));
        EXPECT_NE(widget, nullptr) << objectName;
        return widget;
    }
    QLineEdit* Edit(const char* objectName) { return Find<QLineEdit>(objectName); }
    QCheckBox* Check(const char* objectName) { return Find<QCheckBox>(objectName); }
    QPushButton* Button(const char* objectName) { return Find<QPushButton>(objectName); }
    QListWidget* List() { return Find<QListWidget>("accountList"); }

    // Replaces a field's text by typing it (printable ASCII) or, for other text, as the
    // input method or a paste would put it there.
    void Type(const char* objectName, const char* utf8) {
        QLineEdit* edit = Edit(objectName);
        const QString text = U(utf8);
        if (!edit->isEnabled()) {
            edit->setText(text); // what it held when it went grey
            return;
        }
        edit->clear();
        bool typeable = true;
        for (QChar c : text) {
            typeable = typeable && c.unicode() >= 32 && c.unicode() < 127;
        }
        if (typeable) {
            QTest::keyClicks(edit, text);
        } else {
            edit->insert(text);
        }
    }
    void Paste(const char* objectName, const char* utf8) {
        QGuiApplication::clipboard()->setText(U(utf8));
        QLineEdit* edit = Edit(objectName);
        edit->setFocus();
        edit->selectAll(); // the paste replaces what the field held
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }
    // A click on the box of a check box (its label may not fill the row), or on a button.
    void Click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void Press(const char* buttonName) { Click(Button(buttonName)); }
    void Select(int row) {
        QListWidget* list = List();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    // A complete, valid form for a new account.
    void FillNew(const char* nameUtf8) {
        Type("nameEdit", nameUtf8);
        Type("serverEdit", "mail.example.jp");
        Type("userEdit", "hanako");
        Type("passwordEdit", "p@ss w0rd");
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& shown : messages.Messages()) {
            texts.push_back(shown.textUtf8);
        }
        return texts;
    }
    std::string LastMessage() const {
        auto shown = messages.Messages();
        return shown.empty() ? std::string() : shown.back().textUtf8;
    }
    QString FocusName() const {
        QWidget* focus = dialog->focusWidget();
        return focus ? focus->objectName() : QString();
    }
    // The form's fields: name|server|user|password|port|lines|time-out|days.
    std::string Texts() {
        QStringList texts;
        for (const char* name : {"nameEdit", "serverEdit", "userEdit", "passwordEdit", "portEdit",
                                 "linesEdit", "timeoutEdit", "limitDaysEdit"}) {
            texts << Edit(name)->text();
        }
        return texts.join(u'|').toStdString();
    }
    // The deletion settings 1011 1012 1014 days 1016: "x" ticked, "o" clear, "X" ticked
    // but grey, "-" clear and grey; the days "e" enabled (with their arrows), "-" grey.
    std::string Deletion() {
        std::string state;
        for (const char* name : {"simpleDeleteCheck", "newMailOnlyCheck", "limitDeleteCheck"}) {
            const QCheckBox* check = Check(name);
            state += check->isEnabled() ? (check->isChecked() ? "x " : "o ")
                                        : (check->isChecked() ? "X " : "- ");
        }
        const bool days = Edit("limitDaysEdit")->isEnabled();
        EXPECT_EQ(days, Find<CUpDown>("limitDaysSpin")->isEnabled());
        state += days ? "e " : "- ";
        const QCheckBox* confirm = Check("confirmLimitDeleteCheck");
        state += confirm->isEnabled() ? (confirm->isChecked() ? "x" : "o")
                                      : (confirm->isChecked() ? "X" : "-");
        return state;
    }
    void ExpectEmptyForm() {
        EXPECT_EQ(Texts(), "||||995|10|60|5"); // a new account starts encrypted (POP3S)
        EXPECT_EQ(Find<QComboBox>("securityCombo")->currentIndex(), SECURITY_POP3S);
        EXPECT_EQ(Deletion(), "o o - - X");
        EXPECT_TRUE(Button("addButton")->isEnabled());
        EXPECT_FALSE(Button("changeButton")->isEnabled());
        EXPECT_FALSE(Button("deleteButton")->isEnabled());
        EXPECT_TRUE(List()->selectedItems().isEmpty());
        EXPECT_EQ(FocusName(), U("nameEdit"));
    }

    ScopedHome home;
    RecordingMessageHost messages;
    RecordingHost host;
    std::unique_ptr<CDocumentCore> doc;
    std::unique_ptr<CAccountDialog> dialog;
    std::unique_ptr<QSignalSpy> changed;
};

TEST_F(AccountDialogTest, OpensWithTheAccountsInOrderAndAnEmptyForm) {
    WriteAccount("beta", {.enable = 0});
    WriteAccount("Alpha");
    WriteAccount("デモ");
    Open();
    EXPECT_EQ(dialog->windowTitle(), U("アカウント設定"));
    QListWidget* list = List();
    ASSERT_EQ(list->count(), 3);
    const char* names[] = {"Alpha", "beta", "デモ"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list->item(row)->text(), U(names[row]));
        EXPECT_EQ(list->item(row)->checkState(), row == 1 ? Qt::Unchecked : Qt::Checked);
    }
    ExpectEmptyForm();
    EXPECT_EQ(Edit("passwordEdit")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(Button("closeButton")->isDefault());
    // The spin ranges hold the fields at their ends.
    const std::tuple<const char*, const char*, int32_t, Qt::Key> ends[] = {
        {"linesSpin", "linesEdit", 0, Qt::Key_Down},
        {"linesSpin", "linesEdit", 999999999, Qt::Key_Up},
        {"timeoutSpin", "timeoutEdit", 1, Qt::Key_Down},
        {"timeoutSpin", "timeoutEdit", 9999, Qt::Key_Up},
    };
    for (const auto& [spin, edit, end, key] : ends) {
        Find<CUpDown>(spin)->SetPos(end);
        QTest::keyClick(Edit(edit), key);
        EXPECT_EQ(Edit(edit)->text(), QString::number(end));
    }
    EXPECT_EQ(Edit("linesEdit")->maxLength(), 9);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(AccountDialogTest, SelectingARowFillsTheFormAndTheCheckBoxesRuleTheDeletionSettings) {
    WriteAccount("pop", {.port = 995, .newOnly = 1, .limitDelete = 1, .days = 7, .confirm = 0});
    Open();
    Select(0);
    EXPECT_EQ(Texts(), "pop|127.0.0.1|taro|secret|995|10|60|7");
    EXPECT_EQ(Deletion(), "- x x e o");
    EXPECT_TRUE(Button("changeButton")->isEnabled());
    EXPECT_TRUE(Button("deleteButton")->isEnabled());
    Click(Check("limitDeleteCheck"));
    EXPECT_EQ(Deletion(), "- x o - -");
    Click(Check("limitDeleteCheck"));
    Click(Check("newMailOnlyCheck")); // simple deletion instead of deletion by days
    EXPECT_EQ(Deletion(), "o o X - -");

    // The same rules for a new account in a dialog just opened, no row selected.
    dialog = std::make_unique<CAccountDialog>(*doc);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    Click(Check("newMailOnlyCheck"));
    Click(Check("limitDeleteCheck"));
    EXPECT_EQ(Deletion(), "- x x e x");
}

// With one account, the keyboard alone selects it for editing: Space in the list (where
// the arrows cannot move) selects the row instead of ticking its box.
TEST_F(AccountDialogTest, OneAccountIsSelectedForEditingFromTheKeyboard) {
    WriteAccount("pop", {});
    Open();
    List()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(List(), Qt::Key_Space);
    EXPECT_EQ(List()->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(Edit("nameEdit")->text(), U("pop"));
    EXPECT_TRUE(Button("changeButton")->isEnabled());
    QTest::keyClick(List(), Qt::Key_Space); // selected now: Space ticks as usual
    EXPECT_EQ(List()->item(0)->checkState(), Qt::Unchecked);
}

TEST_F(AccountDialogTest, ValidationRunsInOrderWithItsMessageAndFocus) {
    Open();
    Click(Check("newMailOnlyCheck"));
    Click(Check("limitDeleteCheck"));
    Paste("portEdit", "0");
    Paste("linesEdit", "-1");
    Edit("timeoutEdit")->clear();
    Paste("limitDaysEdit", "0");
    struct Step {
        const char* message;
        const char* field;
        const char* fix;
    };
    const Step steps[] = {
        {"アカウント名は1から255文字を入力してください。", "nameEdit", "a\\b"},
        {"アカウント名には「\\」、制御文字、シフトJISで表せない文字は使用できません。", "nameEdit",
         "pop"},
        {"メールサーバーアドレスは1から255文字を入力してください。", "serverEdit", "example.jp"},
        {"ログインユーザー名は1から255文字を入力してください。", "userEdit", "taro"},
        {"ログインパスワードは1から255文字を入力してください。", "passwordEdit", "x"},
        {"ポート番号は1から65535までを入力してください。", "portEdit", "65535"},
        {"受信行数は0から999までを入力してください。", "linesEdit", "0"},
        {"タイムアウト秒数は1から9999までを入力してください。", "timeoutEdit", "9999"},
        {"日数は1から9999までを入力してください。", "limitDaysEdit", "1"},
    };
    size_t shown = 0;
    for (const Step& step : steps) {
        Press("addButton");
        auto all = messages.Messages();
        ASSERT_EQ(all.size(), ++shown) << step.field;
        EXPECT_EQ(all.back().textUtf8, step.message);
        EXPECT_EQ(all.back().icon, MsgIcon::Exclamation);
        EXPECT_EQ(FocusName(), U(step.field));
        QLineEdit* edit = Edit(step.field);
        if (qobject_cast<CNumberEdit*>(edit) != nullptr || !edit->text().isEmpty()) {
            EXPECT_EQ(edit->selectedText(), edit->text()) << step.field;
        }
        Type(step.field, step.fix);
    }
    EXPECT_TRUE(doc->Accounts().empty());
    Press("addButton");
    EXPECT_EQ(messages.Messages().size(), shown);
    ASSERT_EQ(doc->Accounts().size(), 1u);
    EXPECT_EQ(Stored("pop"), "example.jp|taro|x|65535|0|9999|0|1|1|1|1|1");
}

TEST_F(AccountDialogTest, NumbersAreReadByTheDecimalRule) {
    Open();
    FillNew("a");
    Paste("portEdit", "110abc"); // letters after the digits are ignored
    Paste("linesEdit", "1000");  // the accepted range goes far beyond 999
    Press("addButton");
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(StoredInt("a", "PortNo"), 110);
    EXPECT_EQ(StoredInt("a", "ReceiveCount"), 1000);

    FillNew("b");
    Paste("portEdit", "-110");
    Press("addButton");
    EXPECT_EQ(LastMessage(), "ポート番号は1から65535までを入力してください。");
    Paste("portEdit", "abc");
    Press("addButton");
    EXPECT_EQ(messages.Messages().size(), 2u);
    Paste("portEdit", "70000"); // no TCP port
    Press("addButton");
    EXPECT_EQ(messages.Messages().size(), 3u);
    EXPECT_EQ(LastMessage(), "ポート番号は1から65535までを入力してください。");
    Type("portEdit", "110");
    Paste("linesEdit", "-5");
    Press("addButton");
    EXPECT_EQ(LastMessage(), "受信行数は0から999までを入力してください。");
    Type("linesEdit", "5");
    // The days are checked even while their field is grey.
    Click(Check("newMailOnlyCheck"));
    Click(Check("limitDeleteCheck"));
    Paste("limitDaysEdit", "0");
    Click(Check("newMailOnlyCheck"));
    ASSERT_FALSE(Edit("limitDaysEdit")->isEnabled());
    Press("addButton");
    EXPECT_EQ(LastMessage(), "日数は1から9999までを入力してください。");
    EXPECT_EQ(messages.Messages().size(), 5u);
    EXPECT_EQ(doc->Accounts().size(), 1u);
}

TEST_F(AccountDialogTest, NamesTheSettingsCannotHoldAreRefused) {
    Open();
    // "\" would name a key below another one; a control character or a character CP932
    // lacks would not come back as typed.
    for (const char* name : {"a\\b", "tab\there", "絵文字😀"}) {
        FillNew(name);
        Press("addButton");
        EXPECT_EQ(LastMessage(),
                  "アカウント名には「\\」、制御文字、シフトJISで表せない文字は使用できません。")
            << name;
    }
    EXPECT_TRUE(doc->Accounts().empty());
    EXPECT_TRUE(StoredNames().empty());
    // The trail byte of 表 is 0x5C: still a single character, and a good name.
    FillNew("表示");
    Press("addButton");
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"表示"});
}

TEST_F(AccountDialogTest, TheNameStopsAt255Cp932Bytes) {
    Open();
    QString longName(127, QChar(0x3042)); // あ: two bytes each
    Paste("nameEdit", longName.toUtf8().constData());
    EXPECT_EQ(Edit("nameEdit")->text(), longName);
    QTest::keyClicks(Edit("nameEdit"), U("bc"));
    EXPECT_EQ(Edit("nameEdit")->text(), longName + U("b"));
    Edit("nameEdit")->clear();
    Paste("nameEdit", QString(128, QChar(0x3042)).toUtf8().constData());
    EXPECT_TRUE(Edit("nameEdit")->text().isEmpty());
}

TEST_F(AccountDialogTest, AddAppliesAtOnceStoresEveryValueAndEmptiesTheForm) {
    Open();
    FillNew("新規");
    Type("portEdit", "995");
    Type("timeoutEdit", "30");
    Click(Check("simpleDeleteCheck"));
    // Deletion by days was ticked, then "new mail only" taken back: it is stored off.
    Click(Check("newMailOnlyCheck"));
    Click(Check("limitDeleteCheck"));
    Click(Check("newMailOnlyCheck"));
    Press("addButton");
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(changed->count(), 1);
    ASSERT_EQ(doc->Accounts().size(), 1u);
    const CAccount& added = *doc->Accounts()[0];
    EXPECT_EQ(added.m_strName, Utf8ToCp932("新規"));
    EXPECT_EQ(added.m_strSection, "Account\\" + Utf8ToCp932("新規"));
    EXPECT_EQ(added.m_pReportContext, &doc->m_log); // its jobs log to the document
    EXPECT_EQ(List()->count(), 1);
    EXPECT_EQ(List()->item(0)->text(), U("新規"));
    EXPECT_EQ(List()->item(0)->checkState(), Qt::Checked);
    // server|user|password|port|lines|time-out|simple|enable|new only|by days|days|confirm
    EXPECT_EQ(Stored("新規"), "mail.example.jp|hanako|p@ss w0rd|995|10|30|1|1|0|0|5|1");
    ExpectEmptyForm();

    // New mail only: simple deletion (ticked before it went grey) is stored off.
    FillNew("only");
    Click(Check("simpleDeleteCheck"));
    Click(Check("newMailOnlyCheck"));
    Click(Check("limitDeleteCheck"));
    Type("limitDaysEdit", "9999");
    Click(Check("confirmLimitDeleteCheck"));
    Press("addButton");
    EXPECT_EQ(changed->count(), 2);
    EXPECT_EQ(Stored("only"), "mail.example.jp|hanako|p@ss w0rd|995|10|60|0|1|1|1|9999|0");
    EXPECT_EQ(List()->item(1)->text(), U("only"));
    ExpectEmptyForm();
}

// The user's choice of encryption, by keyboard; the port follows while it holds the other
// choice's number.
TEST_F(AccountDialogTest, EncryptionChoiceMovesTheDefaultPortAndIsStored) {
    WriteAccount("old"); // written before there was a choice: none, on 110
    Open();
    QComboBox* security = Find<QComboBox>("securityCombo");
    ASSERT_EQ(security->count(), 3);
    EXPECT_EQ(security->itemText(0), U("なし"));
    EXPECT_EQ(security->itemText(1), U("STLS"));
    EXPECT_EQ(security->itemText(2), U("SSL/TLS (POP3S)"));
    auto choose = [&](int index) {
        security->setFocus();
        while (security->currentIndex() != index) {
            QTest::keyClick(security, security->currentIndex() > index ? Qt::Key_Up : Qt::Key_Down);
        }
        return Edit("portEdit")->text().toStdString();
    };
    FillNew("new");
    EXPECT_EQ(choose(0), "110");
    EXPECT_EQ(choose(1), "110");
    EXPECT_EQ(choose(2), "995");
    Type("portEdit", "1995");
    EXPECT_EQ(choose(0), "1995"); // a port of the user's own stays
    Type("portEdit", "995");
    EXPECT_EQ(choose(1), "110");
    Press("addButton");
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(StoredInt("new", "Security"), SECURITY_STLS);
    EXPECT_EQ(StoredInt("new", "PortNo"), 110);
    EXPECT_EQ(StoredInt("new", "VerifyCertificate"), 1);

    Select(0);
    EXPECT_EQ(security->currentIndex(), SECURITY_NONE);
    EXPECT_EQ(Edit("portEdit")->text(), U("110"));
    EXPECT_EQ(choose(2), "995");
    Press("changeButton");
    EXPECT_EQ(StoredInt("old", "Security"), SECURITY_POP3S);
    EXPECT_EQ(StoredInt("old", "PortNo"), 995);

    Open();                                                     // read back
    EXPECT_EQ(doc->Accounts()[0]->m_nSecurity, SECURITY_STLS);  // "new"
    EXPECT_EQ(doc->Accounts()[1]->m_nSecurity, SECURITY_POP3S); // "old"
    Select(1);
    EXPECT_EQ(Find<QComboBox>("securityCombo")->currentIndex(), SECURITY_POP3S);
}

TEST_F(AccountDialogTest, ANameEqualIgnoringCaseIsRefusedButTrailBytesAreNeverFolded) {
    WriteAccount("Pop");
    WriteAccount("ＭＡＩＬ");
    WriteAccount("ア"); // 0x83 0x41: its trail byte looks like "A"
    Open();
    for (const char* name : {"pOP", "ｍａｉｌ"}) {
        FillNew(name);
        Press("addButton");
        EXPECT_EQ(LastMessage(), "すでに同じアカウント名が登録されています。") << name;
        EXPECT_EQ(FocusName(), U("nameEdit"));
        EXPECT_EQ(Edit("nameEdit")->selectedText(), U(name));
    }
    EXPECT_EQ(doc->Accounts().size(), 3u);
    EXPECT_EQ(changed->count(), 0);
    FillNew("ヂ"); // 0x83 0x61: "a" in the trail byte, a different character
    Press("addButton");
    EXPECT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(doc->Accounts().size(), 4u);
}

TEST_F(AccountDialogTest, ChangeUpdatesTheAccountNamedInTheNameEditNotTheSelectedOne) {
    WriteAccount("A");
    WriteAccount("B", {.enable = 0});
    Open();
    CAccount& b = *doc->Accounts()[1];
    b.m_mails.push_back(std::make_unique<CMail>());
    Select(0);
    Type("nameEdit", "b");
    Type("portEdit", "995");
    Press("changeButton");
    EXPECT_TRUE(messages.Messages().empty()); // the server is unchanged: no question
    EXPECT_EQ(changed->count(), 1);
    EXPECT_EQ(b.m_nPort, 995);
    EXPECT_EQ(b.m_strName, "B"); // the name and Enable stay
    EXPECT_EQ(b.m_bEnable, 0);
    EXPECT_EQ(b.GetMailCount(), 1);
    EXPECT_EQ(StoredInt("B", "PortNo"), 995);
    EXPECT_EQ(StoredInt("B", "Enable"), 0);
    EXPECT_EQ(doc->Accounts()[0]->m_nPort, 110);
    EXPECT_EQ(StoredInt("A", "PortNo"), 110);
    EXPECT_EQ(List()->item(1)->text(), U("B"));
    ExpectEmptyForm();

    Select(0);
    Type("nameEdit", "C");
    Press("changeButton");
    EXPECT_EQ(LastMessage(), "変更するアカウント名がアカウント一覧から見つかりません。");
    EXPECT_EQ(FocusName(), U("nameEdit"));
    EXPECT_EQ(Edit("nameEdit")->selectedText(), U("C"));
    EXPECT_EQ(changed->count(), 1);
}

TEST_F(AccountDialogTest, AChangedServerAsksFirstAndOkDiscardsTheMails) {
    WriteAccount("pop");
    Open();
    CAccount& pop = *doc->Accounts()[0];
    pop.m_mails.push_back(std::make_unique<CMail>());
    pop.m_mails.push_back(std::make_unique<CMail>());
    Select(0);
    Type("serverEdit", "127.0.0.2");
    Type("portEdit", "1110");
    messages.QueueAnswer(IDCANCEL);
    Press("changeButton");
    ASSERT_EQ(messages.Messages().size(), 1u);
    const auto question = messages.Messages()[0];
    EXPECT_EQ(question.textUtf8, "メールサーバーアドレスが変更されています。\n\n"
                                 "この変更を反映すると変更前のメールサーバーアドレスで\n"
                                 "受信したメール情報が受信メール一覧から表示が消えます\n"
                                 "がよろしいですか？");
    EXPECT_EQ(question.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(question.icon, MsgIcon::Exclamation);
    // Cancel: the account and the form as they were.
    EXPECT_EQ(pop.m_strServer, "127.0.0.1");
    EXPECT_EQ(pop.m_nPort, 110);
    EXPECT_EQ(pop.GetMailCount(), 2);
    EXPECT_EQ(StoredString("pop", "Servername"), "127.0.0.1");
    EXPECT_EQ(Edit("serverEdit")->text(), U("127.0.0.2"));
    EXPECT_EQ(changed->count(), 0);

    Type("serverEdit", "mail.example.jp");
    messages.QueueAnswer(IDOK);
    Press("changeButton");
    EXPECT_EQ(pop.m_strServer, "mail.example.jp");
    EXPECT_EQ(pop.GetMailCount(), 0);
    EXPECT_EQ(StoredString("pop", "Servername"), "mail.example.jp");
    EXPECT_EQ(StoredInt("pop", "PortNo"), 1110);
    EXPECT_EQ(changed->count(), 1);

    // A server differing only in case is a change too; an open connection keeps its mails.
    pop.m_mails.push_back(std::make_unique<CMail>());
    pop.m_bOpen = 1;
    Select(0);
    Type("serverEdit", "MAIL.example.jp");
    Press("changeButton");
    pop.m_bOpen = 0;
    EXPECT_EQ(messages.Messages().size(), 3u);
    EXPECT_EQ(pop.m_strServer, "MAIL.example.jp");
    EXPECT_EQ(pop.GetMailCount(), 1);
}

// Server, user name and password are kept as typed, characters CP932 lacks included.
TEST_F(AccountDialogTest, CredentialsAreStoredAndShownAsTyped) {
    Open();
    FillNew("pop");
    Paste("userEdit", "tarō");
    Paste("passwordEdit", "pé😀");
    Press("addButton");
    EXPECT_EQ(GetProfileStringUtf8(Section("pop"), "Username", ""), "tarō");
    EXPECT_EQ(GetProfileStringUtf8(Section("pop"), "Password", ""), "pé😀");
    ASSERT_EQ(doc->Accounts().size(), 1u);
    EXPECT_EQ(doc->Accounts()[0]->m_strPassword, "pé😀");
    Select(0);
    EXPECT_EQ(Edit("userEdit")->text(), U("tarō"));
    EXPECT_EQ(Edit("passwordEdit")->text(), U("pé😀"));
}

TEST_F(AccountDialogTest, DeleteRemovesTheRowTheRecordItsSettingsAndItsStore) {
    WriteAccount("keep");
    WriteAccount("pop", {.newOnly = 1});
    Open();
    const fs::path store = StoreFilePath("pop");
    WriteFileBytes(store, "old store");

    Type("nameEdit", "");
    Press("deleteButton"); // disabled without a selection
    EXPECT_TRUE(messages.Messages().empty());
    Select(1);
    Edit("nameEdit")->clear();
    Press("deleteButton");
    EXPECT_EQ(LastMessage(), "アカウント名は1から255文字を入力してください。");
    EXPECT_EQ(FocusName(), U("nameEdit"));
    Type("nameEdit", "nosuch");
    Press("deleteButton");
    EXPECT_EQ(LastMessage(), "削除するアカウント名がアカウント一覧から見つかりません。");

    Type("nameEdit", "POP");
    messages.QueueAnswer(IDCANCEL);
    Press("deleteButton");
    const auto question = messages.Messages().back();
    EXPECT_EQ(question.textUtf8, "POPのサーバー情報を削除してもよろしいですか？\n\n注意\n"
                                 "  削除すると、受信メール一覧から、このアカウント名で\n"
                                 "  表示しているメール情報が消えます。");
    EXPECT_EQ(question.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(doc->Accounts().size(), 2u);
    EXPECT_EQ(changed->count(), 0);

    doc->Accounts()[1]->m_mails.push_back(std::make_unique<CMail>());
    Press("deleteButton");
    EXPECT_EQ(messages.Messages().size(), 4u);
    EXPECT_EQ(changed->count(), 1);
    ASSERT_EQ(doc->Accounts().size(), 1u);
    EXPECT_EQ(doc->Accounts()[0]->m_strName, "keep");
    ASSERT_EQ(List()->count(), 1);
    EXPECT_EQ(List()->item(0)->text(), U("keep"));
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"keep"});
    EXPECT_FALSE(fs::exists(store));
    ExpectEmptyForm();
}

TEST_F(AccountDialogTest, ACheckMarkWritesOnlyEnableOfItsOwnRow) {
    WriteAccount("A");
    WriteAccount("B");
    Open();
    Select(0);
    // Changed behind the dialog's back: only Enable may be written over it.
    ASSERT_TRUE(WriteProfileInt(Section("B"), "PortNo", 999));
    List()->item(1)->setCheckState(Qt::Unchecked); // a click on B's box, A selected
    EXPECT_EQ(doc->Accounts()[1]->m_bEnable, 0);
    EXPECT_EQ(doc->Accounts()[0]->m_bEnable, 1);
    EXPECT_EQ(StoredInt("B", "Enable"), 0);
    EXPECT_EQ(StoredInt("B", "PortNo"), 999);
    EXPECT_EQ(StoredInt("A", "Enable"), 1);
    EXPECT_EQ(Edit("nameEdit")->text(), U("A")); // the form is not touched
    EXPECT_EQ(changed->count(), 1);

    // From the keyboard: Space on the current row.
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_Space);
    EXPECT_EQ(doc->Accounts()[0]->m_bEnable, 0);
    EXPECT_EQ(StoredInt("A", "Enable"), 0);
    QTest::keyClick(List(), Qt::Key_Space);
    EXPECT_EQ(StoredInt("A", "Enable"), 1);
    EXPECT_EQ(changed->count(), 3);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(AccountDialogTest, NothingChangesWhileAJobRuns) {
    WriteAccount("pop");
    Open();
    doc->m_bBusy = 1;
    const std::string refused =
        "メールの受信中はアカウントの設定を変更できません。\n受信が終わってから操作してください。";
    FillNew("new");
    Press("addButton");
    EXPECT_EQ(LastMessage(), refused);
    Select(0);
    Type("portEdit", "995");
    Press("changeButton");
    Press("deleteButton");
    List()->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(List()->item(0)->checkState(), Qt::Checked); // put back
    EXPECT_EQ(MessageTexts(), std::vector<std::string>(4, refused));
    ASSERT_EQ(doc->Accounts().size(), 1u);
    EXPECT_EQ(doc->Accounts()[0]->m_nPort, 110);
    EXPECT_EQ(doc->Accounts()[0]->m_bEnable, 1);
    EXPECT_EQ(StoredNames(), std::vector<std::string>{"pop"});
    EXPECT_EQ(changed->count(), 0);
}

TEST_F(AccountDialogTest, AFailedWriteIsShownAndTheChangeStaysInMemory) {
    WriteAccount("pop");
    Open();
    // The settings file can no longer be read, so it is never written over.
    const fs::path file = home.ConfigHome() / "tolvane" / "user.reg";
    fs::remove(file);
    fs::create_directory(file);
    FillNew("new");
    Press("addButton");
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].textUtf8, "レジストリ情報の書き込みが失敗しました。");
    EXPECT_EQ(messages.Messages()[0].icon, MsgIcon::Stop);
    EXPECT_EQ(doc->Accounts().size(), 2u);
    EXPECT_EQ(List()->count(), 2);

    List()->item(0)->setCheckState(Qt::Unchecked);
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(messages.Messages()[1].textUtf8, "レジストリ情報の書き込みが失敗しました。");
    EXPECT_EQ(messages.Messages()[1].icon, MsgIcon::Stop);
    EXPECT_EQ(doc->Accounts()[0]->m_bEnable, 0);
    EXPECT_TRUE(fs::is_directory(file));
}

TEST_F(AccountDialogTest, EveryControlIsNamedAndReachableFromTheKeyboard) {
    WriteAccount("pop");
    Open();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
            qobject_cast<QListWidget*>(widget) || qobject_cast<CUpDown*>(widget)) {
            EXPECT_FALSE(widget->objectName().isEmpty()) << widget->metaObject()->className();
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
        }
    }
    const std::pair<Qt::Key, const char*> mnemonics[] = {
        {Qt::Key_S, "serverEdit"}, {Qt::Key_U, "userEdit"},         {Qt::Key_P, "passwordEdit"},
        {Qt::Key_N, "portEdit"},   {Qt::Key_L, "linesEdit"},        {Qt::Key_T, "timeoutEdit"},
        {Qt::Key_A, "nameEdit"},   {Qt::Key_X, "newMailOnlyCheck"},
    };
    for (const auto& [key, name] : mnemonics) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), U(name)) << name;
    }
    // Alt+X ticks its box (a button shows its press before it acts).
    EXPECT_TRUE(QTest::qWaitFor([&] { return Check("newMailOnlyCheck")->isChecked(); }));
    // Alt+L now names two controls: it moves between them.
    std::set<QString> reached;
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
        reached.insert(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(reached, (std::set<QString>{U("linesEdit"), U("limitDeleteCheck")}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    if (!Check("limitDeleteCheck")->isChecked()) {
        Click(Check("limitDeleteCheck"));
    }
    // Tab visits every enabled control (simple deletion is grey with "new mail only").
    std::set<QString> visited;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.insert(QApplication::focusWidget()->objectName());
    }
    for (const char* name :
         {"accountList", "nameEdit", "serverEdit", "userEdit", "passwordEdit", "portEdit",
          "linesEdit", "timeoutEdit", "newMailOnlyCheck", "limitDeleteCheck", "limitDaysEdit",
          "confirmLimitDeleteCheck", "addButton", "closeButton"}) {
        EXPECT_TRUE(visited.count(U(name))) << name;
    }
    // The buttons answer their mnemonics; Enter in a field closes through the default
    // button.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.Messages().empty(); })); // add ran
    EXPECT_EQ(LastMessage(), "アカウント名は1から255文字を入力してください。");
    QSignalSpy finished(dialog.get(), &QDialog::finished);
    Edit("nameEdit")->setFocus();
    QTest::keyClick(Edit("nameEdit"), Qt::Key_Return);
    EXPECT_EQ(finished.count(), 1);
}

// With a keyring that answers, passwords live there: a new account's goes in (the file
// holds none), a change of server moves it with an empty password edit, and the account's
// removal takes it along. A keyring that refuses changes nothing and says so.
class AccountDialogKeyringTest : public AccountDialogTest {
protected:
    FakeSecretStore keyring;
};

TEST_F(AccountDialogKeyringTest, APasswordGoesInMovesWithItsServerAndLeavesWithItsAccount) {
    Open();
    FillNew("home");
    Press("addButton");
    ASSERT_EQ(doc->Accounts().size(), 1u);
    EXPECT_EQ(keyring.Secret({"home", "mail.example.jp", "hanako"}), "p@ss w0rd");
    EXPECT_EQ(StoredString("home", "Password"), "");
    EXPECT_EQ(StoredInt("home", "PasswordStore"), PASSWORD_IN_KEYRING);
    EXPECT_EQ(doc->Accounts()[0]->m_strPassword, "");

    Select(0);
    EXPECT_EQ(Edit("passwordEdit")->text(), U(""));
    EXPECT_FALSE(Edit("passwordEdit")->placeholderText().isEmpty());
    Type("serverEdit", "pop.example.jp");
    messages.QueueAnswer(IDOK);
    Press("changeButton");
    EXPECT_EQ(keyring.Secret({"home", "mail.example.jp", "hanako"}), std::nullopt);
    EXPECT_EQ(keyring.Secret({"home", "pop.example.jp", "hanako"}), "p@ss w0rd");
    EXPECT_EQ(StoredString("home", "Password"), "");

    Select(0);
    messages.QueueAnswer(IDOK);
    Press("deleteButton");
    EXPECT_TRUE(doc->Accounts().empty());
    EXPECT_EQ(keyring.Size(), 0u);
}

// OAuth 2.0 from the dialog: choosing it greys the password, Google fills its server, the
// account is added without a password; "サインイン..." on an account of another provider
// opens the browser (the test plays it), and the refresh token lands in the keyring, to go
// with the account when it is deleted.
TEST_F(AccountDialogKeyringTest, AnOAuthAccountSignsInThroughTheBrowserAndNeedsNoPassword) {
    FakeOAuthServer oauth;
    WriteAccount("other");
    const std::string section = Section("other");
    ASSERT_TRUE(WriteProfileInt(section, "Authentication", AUTH_OAUTH2));
    ASSERT_TRUE(WriteProfileInt(section, "OAuthProvider", 3));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "OAuthClientId", kFakeOAuthClient));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "OAuthAuthorizeUrl", oauth.AuthorizeUrl()));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "OAuthTokenUrl", oauth.TokenUrl()));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "OAuthScope", "mail offline_access"));
    std::thread browser;
    SetUrlOpener([&browser](const QUrl& url) {
        browser = std::thread(
            [address = url.toEncoded().toStdString()] { FakeOAuthServer::Browse(address); });
        return true;
    });
    Open();

    Type("nameEdit", "gmail");
    QComboBox* authentication = Find<QComboBox>("authenticationCombo");
    authentication->setFocus();
    QTest::keyClick(authentication, Qt::Key_Down);
    EXPECT_FALSE(Edit("passwordEdit")->isEnabled());
    QComboBox* provider = Find<QComboBox>("providerCombo");
    provider->setFocus();
    QTest::keyClick(provider, Qt::Key_Down); // Microsoft, then Google
    EXPECT_EQ(Edit("serverEdit")->text(), U("pop.gmail.com"));
    EXPECT_EQ(Edit("portEdit")->text(), U("995"));
    Type("userEdit", "hanako@gmail.com");
    Press("addButton");
    EXPECT_EQ(LastMessage(), "クライアント ID を入力してください。");
    Type("clientIdEdit", "123.apps.example");
    Press("addButton");
    ASSERT_EQ(doc->Accounts().size(), 2u);
    EXPECT_EQ(StoredInt("gmail", "Authentication"), AUTH_OAUTH2);
    EXPECT_EQ(StoredInt("gmail", "OAuthProvider"), 2);
    EXPECT_EQ(StoredString("gmail", "OAuthClientId"), "123.apps.example");
    EXPECT_EQ(keyring.Size(), 0u); // no password anywhere

    Select(0);
    EXPECT_TRUE(Button("signInButton")->isEnabled());
    Press("signInButton"); // returns when the sign-in window has closed
    browser.join();
    EXPECT_EQ(LastMessage(), "otherにサインインしました。");
    EXPECT_EQ(keyring.Secret(CKeyringRefreshTokens::TokenKeys("other")), "refresh-1");
    EXPECT_EQ(oauth.Exchanges(), 1);

    Select(0);
    messages.QueueAnswer(IDOK);
    Press("deleteButton");
    EXPECT_EQ(keyring.Size(), 0u);
    SetUrlOpener({});
}

TEST_F(AccountDialogKeyringTest, ALockedKeyringChangesNothingAndSaysSo) {
    keyring.SetState(FakeSecretStore::State::Locked);
    Open();
    FillNew("home");
    Press("addButton");
    EXPECT_EQ(LastMessage().rfind(gui::txt::kKeyringFailed, 0), 0u) << LastMessage();
    EXPECT_TRUE(doc->Accounts().empty());
    EXPECT_TRUE(StoredNames().empty());
    EXPECT_EQ(Edit("nameEdit")->text(), U("home")); // the form kept for another try
}

} // namespace
} // namespace tolvane::test
