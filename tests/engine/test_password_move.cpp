// The move of the settings file's passwords into the keyring (a fake one) at start, run by
// the document on its worker: the file no longer holds the password and the check still
// logs in; a keyring that is gone, locked or gives back other bytes leaves the file
// exactly as it was with one log text for the run; a settings file that cannot be
// written keeps the password where it was.
#include "engine/DocumentCore.h"

#include "engine/JobTexts.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/FakeSecretStore.h"
#include "tests/support/TestEnv.h"
#include "tests/support/UnwritableFolder.h"

#include <gtest/gtest.h>

#define LOG_TEXT(...) ::tolvane::Cp932ToUtf8(::tolvane::SjisFormat(__VA_ARGS__))

namespace tolvane::test {
namespace {

using State = FakeSecretStore::State;

void WriteAccount(const std::string& name, unsigned port, const std::string& password) {
    const std::string section = "Account\\" + name;
    ASSERT_TRUE(WriteProfileString(section, "Servername", "127.0.0.1"));
    ASSERT_TRUE(WriteProfileString(section, "Username", "taro"));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "Password", password));
    ASSERT_TRUE(WriteProfileInt(section, "PortNo", static_cast<int32_t>(port)));
    ASSERT_TRUE(WriteProfileInt(section, "Timeout", 5));
}

class PasswordMoveTest : public ::testing::Test {
protected:
    static std::string SettingsText() { return ReadFileBytes(ConfigFolder() / "user.reg"); }

    // Create, then the move on the worker, waited for.
    void CreateAndMove(CDocumentCore& doc) {
        ASSERT_TRUE(doc.Create());
        ASSERT_TRUE(doc.HasPasswordsToMove());
        ASSERT_TRUE(doc.StartPasswordMove());
        EXPECT_EQ(doc.m_bBusy, 1); // the accounts stay still meanwhile
        ASSERT_TRUE(host.WaitForCommands(1));
        EXPECT_EQ(host.Commands(), std::vector<int>{ID_PASSWORDS_MOVED});
        doc.OnPasswordMoveComplete();
        EXPECT_EQ(doc.m_bBusy, 0);
    }
    // The log's lines, each with its CR LF (UTF-8).
    static std::vector<std::string> LogTexts(const CDocumentCore& doc) {
        const std::string log = Cp932ToUtf8(doc.m_log.GetLog());
        std::vector<std::string> texts;
        for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            texts.push_back(log.substr(start, end + 2 - start));
        }
        return texts;
    }

    ScopedHome home;
    RecordingMessageHost messages;
    RecordingHost host;
    FakeSecretStore keyring;
    FakePop3Server server;
};

TEST_F(PasswordMoveTest, MovedPasswordLeavesTheFileAndTheCheckStillLogsIn) {
    WriteAccount("pop", server.Port(), "é secret");
    server.SetUser("taro", "é secret");
    CDocumentCore doc(&host);
    CreateAndMove(doc);

    EXPECT_EQ(keyring.Secret({"pop", "127.0.0.1", "taro"}), "é secret");
    EXPECT_EQ(SettingsText().find("secret"), std::string::npos) << SettingsText();
    EXPECT_EQ(GetProfileInt("Account\\pop", "PasswordStore", 0), PASSWORD_IN_KEYRING);
    EXPECT_EQ(doc.GetAccount(0)->m_strPassword, "");
    EXPECT_FALSE(doc.HasPasswordsToMove());

    ASSERT_TRUE(doc.StartCheck(-1));
    ASSERT_TRUE(host.WaitForCommands(2));
    doc.OnJobComplete();
    EXPECT_EQ(doc.m_pWorker->GetOutcomes(), std::vector<int32_t>{OUTCOME_OK});
    EXPECT_EQ(server.Commands().at(1), "PASS é secret");
    doc.Close();
    EXPECT_EQ(SettingsText().find("secret"), std::string::npos); // nor at exit
    const auto texts = LogTexts(doc);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), LOG_TEXT(txt::kPasswordMoved, "pop")), 1);
}

struct KeyringTrouble {
    const char* name;
    State state;
    std::string textUtf8;
};

class PasswordMoveTrouble : public PasswordMoveTest,
                            public ::testing::WithParamInterface<KeyringTrouble> {};

TEST_P(PasswordMoveTrouble, LeavesTheFileAsItIsWithOneLogText) {
    WriteAccount("a1", server.Port(), "secret");
    WriteAccount("a2", server.Port(), "secret");
    const std::string before = SettingsText();
    keyring.SetState(GetParam().state);
    {
        CDocumentCore doc(&host);
        CreateAndMove(doc);
        EXPECT_EQ(doc.GetAccount(0)->m_nPasswordStore, PASSWORD_IN_FILE);
        EXPECT_EQ(doc.GetAccount(0)->m_strPassword, "secret");
        const auto texts = LogTexts(doc);
        EXPECT_EQ(std::count(texts.begin(), texts.end(), GetParam().textUtf8), 1)
            << Cp932ToUtf8(doc.m_log.GetLog());
        EXPECT_EQ(texts.size(), 1u); // and nothing else: one text for the run

        // The check goes on from the file.
        ASSERT_TRUE(doc.StartCheck(-1));
        ASSERT_TRUE(host.WaitForCommands(2));
        doc.OnJobComplete();
        EXPECT_EQ(doc.m_pWorker->GetOutcomes(), (std::vector<int32_t>{OUTCOME_OK, OUTCOME_OK}));
    }
    EXPECT_EQ(SettingsText(), before);
}

INSTANTIATE_TEST_SUITE_P(
    PasswordMove, PasswordMoveTrouble,
    ::testing::Values(
        KeyringTrouble{
            "Gone", State::Gone,
            LOG_TEXT(txt::kKeyringAbsent, "The name org.freedesktop.secrets was not provided")},
        KeyringTrouble{"Locked", State::Locked, LOG_TEXT(txt::kPasswordNotMoved, "a1", "locked")},
        KeyringTrouble{"ReadsBackOtherBytes", State::Corrupting,
                       LOG_TEXT(txt::kPasswordNotMoved, "a1", Sjis(txt::kSecretMismatch).c_str())}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST_F(PasswordMoveTest, UnwritableSettingsKeepThePasswordInTheFile) {
    WriteAccount("pop", server.Port(), "secret");
    CDocumentCore doc(&host);
    ASSERT_TRUE(doc.Create());
    {
        UnwritableFolder locked(home.ConfigHome(), UnwritableFolder::Kind::ReadOnly);
        if (!locked.Usable()) {
            GTEST_SKIP() << "permissions do not bind here";
        }
        ASSERT_TRUE(doc.StartPasswordMove());
        ASSERT_TRUE(host.WaitForCommands(1));
        doc.OnPasswordMoveComplete();
    }
    EXPECT_EQ(doc.GetAccount(0)->m_nPasswordStore, PASSWORD_IN_FILE);
    EXPECT_EQ(doc.GetAccount(0)->m_strPassword, "secret");
    EXPECT_EQ(GetProfileStringUtf8("Account\\pop", "Password", ""), "secret");
    const std::string log = Cp932ToUtf8(doc.m_log.GetLog());
    EXPECT_NE(log.find(LOG_TEXT(txt::kPasswordNotMoved, "pop", Sjis(txt::kMoveNotWritten).c_str())),
              std::string::npos)
        << log;
}

} // namespace
} // namespace tolvane::test
