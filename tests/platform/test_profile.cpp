#include "platform/Profile.h"

#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/SettingsTree.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
protected:
    fs::path File() const { return m_home.ConfigHome() / "tolvane" / "user.reg"; }

    void AddAccount(const std::string& name) {
        ASSERT_TRUE(WriteProfileString("Account\\" + name, "Servername", "host"));
        ASSERT_TRUE(WriteProfileInt("Account\\" + name, "PortNo", 110));
    }
    std::vector<std::string> Accounts() {
        std::vector<std::string> names;
        EXPECT_TRUE(EnumAccountNames(names));
        return names;
    }

    test::ScopedHome m_home;
    test::RecordingMessageHost m_messages;
};

TEST_F(ProfileTest, AFreshUserGetsDefaultsNoAccountsAndNoMessage) {
    EXPECT_EQ(ProfileRoot(), "Software\\Orrindale\\Tolvane");
    EXPECT_EQ(GetProfileInt("Column", "Width1", 100), 100);
    EXPECT_EQ(GetProfileString("InfoviewFont", "Fontname", "Terminal"), "Terminal");
    EXPECT_TRUE(Accounts().empty());
    EXPECT_TRUE(m_messages.Messages().empty());
    EXPECT_FALSE(fs::exists(File())); // nothing written because a default was used
}

TEST_F(ProfileTest, ValuesReadBackWithTheirTypes) {
    ASSERT_TRUE(WriteProfileInt("Environment", "Left", -32000));
    ASSERT_TRUE(WriteProfileInt("Environment", "Big", INT32_MAX));
    const std::string japanese = Utf8ToCp932("ＭＳ Ｐゴシック");
    ASSERT_TRUE(WriteProfileString("Viewer", "Fontname", japanese));
    EXPECT_EQ(GetProfileInt("environment", "LEFT", 0), -32000);
    EXPECT_EQ(GetProfileInt("Environment", "Big", 0), INT32_MAX);
    EXPECT_EQ(GetProfileString("Viewer", "Fontname", "Terminal"), japanese);
    // A value of the other type is as good as missing.
    EXPECT_EQ(GetProfileInt("Viewer", "Fontname", 14), 14);
    EXPECT_EQ(GetProfileString("Environment", "Left", "x"), "x");
    EXPECT_NE(test::ReadFileBytes(File()).find("[HKEY_CURRENT_USER\\Software\\Orrindale\\"
                                               "Tolvane\\Environment]\n\"Left\"=dword:ffff8300\n"),
              std::string::npos);
}

TEST_F(ProfileTest, TheRootFollowsSetRegistryKey) {
    SetRegistryKey("Other", "App");
    bool written = WriteProfileInt("Option", "AutoCheck", 1);
    std::string root = ProfileRoot();
    SetRegistryKey("Orrindale", "Tolvane");
    ASSERT_TRUE(written);
    EXPECT_EQ(root, "Software\\Other\\App");
    EXPECT_NE(test::ReadFileBytes(File()).find("[HKEY_CURRENT_USER\\Software\\Other\\App\\Option]"),
              std::string::npos);
    EXPECT_EQ(GetProfileInt("Option", "AutoCheck", 0), 0);
}

TEST_F(ProfileTest, AccountsEnumerateIgnoringCase) {
    AddAccount("pop");
    AddAccount("Home");
    AddAccount(Utf8ToCp932("会社"));
    AddAccount("backup");
    AddAccount(std::string(255, 'z'));
    EXPECT_EQ(Accounts(), (std::vector<std::string>{"backup", "Home", "pop", std::string(255, 'z'),
                                                    Utf8ToCp932("会社")}));
}

// Names no account can have are listed apart with the reason, not dropped without a word.
TEST_F(ProfileTest, AccountNamesThatCannotBeAccountsAreSkippedWithTheReason) {
    std::string tooLong;
    for (int i = 0; i < 128; ++i) {
        tooLong += "あ"; // 256 bytes in CP932
    }
    fs::create_directories(File().parent_path());
    std::string text = "REGEDIT4\n";
    for (const std::string& name :
         {std::string("ok"), std::string("tab\there"), std::string("del\x7F"), std::string("café"),
          std::string("波〜"), tooLong, tooLong.substr(3)}) {
        text += "\n[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account\\" + name + "]\n";
    }
    test::WriteFileBytes(File(), text);

    std::vector<std::string> names;
    std::vector<SkippedAccountName> skipped;
    ASSERT_TRUE(EnumAccountNames(names, &skipped));
    EXPECT_EQ(names, (std::vector<std::string>{"ok", Utf8ToCp932(tooLong.substr(3))}));
    std::vector<std::pair<std::string, AccountNameFault>> faults;
    for (const auto& entry : skipped) {
        faults.emplace_back(entry.nameUtf8, entry.fault);
    }
    EXPECT_EQ(faults, (std::vector<std::pair<std::string, AccountNameFault>>{
                          {"café", AccountNameFault::NotCp932},
                          {"del\x7F", AccountNameFault::ControlCharacter},
                          {"tab\there", AccountNameFault::ControlCharacter},
                          {tooLong, AccountNameFault::TooLong},
                          {"波〜", AccountNameFault::NotCp932}}));
    EXPECT_TRUE(m_messages.Messages().empty());
}

// Paths and credentials keep their bytes; the CP932 form is for showing only.
TEST_F(ProfileTest, Utf8ValuesKeepEveryByte) {
    const std::string password = "pé😀\\\"w";
    ASSERT_TRUE(WriteProfileStringUtf8("Account\\pop", "Password", password));
    EXPECT_EQ(GetProfileStringUtf8("Account\\pop", "Password", ""), password);
    EXPECT_EQ(GetProfileString("Account\\pop", "Password", ""), "p??\\\"w");
    EXPECT_FALSE(WriteProfileStringUtf8("Account\\pop", "Password", "p\xff"));
    EXPECT_EQ(GetProfileStringUtf8("Account\\pop", "Password", ""), password);
    EXPECT_EQ(GetProfileStringUtf8("Account\\pop", "Missing", "default"), "default");
}

TEST_F(ProfileTest, DeletingAnAccountRemovesItsValues) {
    AddAccount("pop");
    AddAccount("other");
    EXPECT_TRUE(DeleteAccountKey("POP"));
    EXPECT_EQ(Accounts(), std::vector<std::string>{"other"});
    EXPECT_EQ(GetProfileString("Account\\pop", "Servername", "gone"), "gone");
    EXPECT_EQ(test::ReadFileBytes(File()).find("\\pop]"), std::string::npos);
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(ProfileTest, ANameWhoseTrailByteLooksLikeABackslashIsOneAccount) {
    const std::string name = Utf8ToCp932("表示"); // 0x95 0x5C 0x8E 0xA6
    AddAccount(name);
    EXPECT_EQ(Accounts(), std::vector<std::string>{name});
    EXPECT_EQ(GetProfileInt("Account\\" + name, "PortNo", 0), 110);
    EXPECT_TRUE(DeleteAccountKey(name));
    EXPECT_TRUE(Accounts().empty());
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(ProfileTest, DeletionFailuresAreReported) {
    EXPECT_FALSE(DeleteAccountKey("pop")); // no Account key at all
    AddAccount("pop");
    ASSERT_TRUE(WriteProfileInt("Account\\pop\\nested", "x", 1));
    EXPECT_FALSE(DeleteAccountKey("pop"));     // still has a sub-key
    EXPECT_FALSE(DeleteAccountKey("missing")); // no such account
    EXPECT_FALSE(DeleteAccountKey("pop\\nested"));
    EXPECT_FALSE(DeleteAccountKey(""));
    EXPECT_EQ(Accounts(), std::vector<std::string>{"pop"});
    EXPECT_EQ(GetProfileInt("Account\\pop\\nested", "x", 0), 1);

    auto messages = m_messages.Messages();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].textUtf8, "レジストリ情報の読み込みが失敗しました。");
    for (size_t i = 1; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].textUtf8, "レジストリ情報の削除が失敗しました。");
    }
    for (const auto& message : messages) {
        EXPECT_EQ(message.icon, MsgIcon::Stop);
        EXPECT_EQ(message.buttons, MsgButtons::Ok);
    }
}

TEST_F(ProfileTest, ADamagedFileGivesDefaultsAndOneMessage) {
    fs::create_directories(File().parent_path());
    test::WriteFileBytes(File(), "REGEDIT4\n[HKEY_CURRENT_USER\\Software\n");
    EXPECT_EQ(GetProfileInt("Option", "AutoCheckInterval", 30), 30);
    EXPECT_TRUE(Accounts().empty());
    EXPECT_TRUE(WriteProfileInt("Option", "AutoCheck", 1));
    EXPECT_EQ(GetProfileInt("Option", "AutoCheck", 0), 1);
    EXPECT_EQ(m_messages.Messages().size(), 1u);
}

} // namespace
} // namespace tolvane
