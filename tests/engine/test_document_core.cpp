#include "engine/DocumentCore.h"

#include "engine/JobTexts.h"
#include "engine/MailStore.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/SettingsTree.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestEnv.h"
#include "tests/support/UnwritableFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace tolvane::test {
namespace {

void WriteAccount(const std::string& name, unsigned port, int timeout = 5) {
    const std::string section = "Account\\" + name;
    ASSERT_TRUE(WriteProfileString(section, "Servername", "127.0.0.1"));
    ASSERT_TRUE(WriteProfileString(section, "Username", "taro"));
    ASSERT_TRUE(WriteProfileString(section, "Password", "secret"));
    ASSERT_TRUE(WriteProfileInt(section, "PortNo", static_cast<int32_t>(port)));
    ASSERT_TRUE(WriteProfileInt(section, "Timeout", timeout));
}

std::unique_ptr<CMail> MailOf(const std::string& account, const std::string& uidl) {
    auto mail = std::make_unique<CMail>();
    mail->m_strAccount = account;
    mail->m_strUidl = uidl;
    return mail;
}

class DocumentCoreTest : public ::testing::Test {
protected:
    ScopedHome home;
    RecordingMessageHost messages;
    RecordingHost host;
};

TEST_F(DocumentCoreTest, CreateLoadsTheAccountsInOrderAndDropsBrokenOnes) {
    WriteAccount("beta", 110);
    WriteAccount("Alpha", 110);
    WriteAccount("broken", 110, 0); // a time-out of 0 is refused
    CDocumentCore doc(&host);
    ASSERT_TRUE(doc.Create());
    ASSERT_EQ(doc.GetAccountCount(), 2);
    EXPECT_EQ(doc.GetAccount(0)->m_strName, "Alpha");
    EXPECT_EQ(doc.GetAccount(1)->m_strName, "beta");
    EXPECT_EQ(doc.GetAccount(2), nullptr);
    EXPECT_EQ(doc.GetAccount(-1), nullptr);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(DocumentCoreTest, EntriesFollowTheAccountNamesExactly) {
    CDocumentCore doc(&host);
    for (const char* name : {"pop", "Pop", "pop"}) {
        doc.m_arrAccounts.push_back(std::make_unique<CAccount>(nullptr, nullptr));
        doc.m_arrAccounts.back()->m_strName = name;
    }
    auto a = MailOf("pop", "1");
    auto b = MailOf("Pop", "2");
    auto c = MailOf("gone", "3");
    const std::vector<CMail*> mails = {a.get(), b.get(), c.get()};

    JobEntries deletion = doc.BuildDeleteEntries(mails);
    ASSERT_TRUE(deletion);
    ASSERT_EQ(deletion->size(), 3u);
    EXPECT_EQ((*deletion)[0].m_arrMails, std::vector<CMail*>{a.get()});
    EXPECT_EQ((*deletion)[1].m_arrMails, std::vector<CMail*>{b.get()});
    EXPECT_EQ((*deletion)[2].m_arrMails, std::vector<CMail*>{a.get()}); // every match
    EXPECT_EQ((*deletion)[2].m_nAccount, 2);

    JobEntries reload = doc.BuildReloadEntries(mails);
    ASSERT_TRUE(reload);
    EXPECT_EQ((*reload)[0].m_arrMails, std::vector<CMail*>{a.get()});
    EXPECT_EQ((*reload)[1].m_arrMails, std::vector<CMail*>{b.get()});
    EXPECT_TRUE((*reload)[2].m_arrMails.empty()); // the first match only

    doc.Close(); // records never loaded have no section to write back to
    EXPECT_FALSE(std::filesystem::exists(ConfigFolder() / "user.reg"));
}

TEST_F(DocumentCoreTest, NoAccountsNoEntries) {
    CDocumentCore doc(&host);
    EXPECT_EQ(doc.BuildDeleteEntries({}), nullptr);
    EXPECT_EQ(doc.BuildReloadEntries({}), nullptr);
}

// A deletion in which no marked mail belongs to an account still runs and completes once.
TEST_F(DocumentCoreTest, DeletionOfForeignMailsCompletesWithoutACheck) {
    FakePop3Server server;
    WriteAccount("pop", server.Port());
    CDocumentCore doc(&host);
    ASSERT_TRUE(doc.Create());
    auto foreign = MailOf("other", "x");
    ASSERT_TRUE(doc.StartDelete(doc.BuildDeleteEntries({foreign.get()})));
    EXPECT_EQ(doc.m_bBusy, 1);
    ASSERT_TRUE(host.WaitForCommands(1));
    doc.OnJobComplete();
    EXPECT_EQ(doc.m_bBusy, 0);
    EXPECT_EQ(host.Commands(), std::vector<int>{ID_DELETE_COMPLETE});
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(DocumentCoreTest, CheckThenCloseWritesTheAccountsBack) {
    FakePop3Server server;
    server.SetMessages({{"u1", MakeMessage({"Subject: hi"}, {"body"})}});
    WriteAccount("pop", server.Port());
    {
        CDocumentCore doc(&host);
        ASSERT_TRUE(doc.Create());
        ASSERT_TRUE(doc.StartCheck(-1));
        ASSERT_TRUE(host.WaitForCommands(1));
        doc.OnJobComplete();
        EXPECT_TRUE(doc.IsMailHeld());
        EXPECT_EQ(doc.m_pWorker->GetOutcomes(), std::vector<int32_t>{OUTCOME_OK});
        doc.GetAccount(0)->m_nReceiveCount = 7;
        doc.Close();
        EXPECT_EQ(doc.GetAccountCount(), 0);
        EXPECT_EQ(doc.m_pWorker, nullptr);
    }
    EXPECT_EQ(GetProfileInt("Account\\pop", "ReceiveCount", 0), 7);
}

// Close writes back what this process changed, in one write, keeps what another process
// changed meanwhile and never brings back an account it removed.
TEST_F(DocumentCoreTest, CloseWritesOnlyChangesInOneWrite) {
    for (const char* name : {"alpha", "beta", "gone"}) {
        WriteAccount(name, 110);
    }
    CDocumentCore doc(&host);
    ASSERT_TRUE(doc.Create());
    ASSERT_EQ(doc.GetAccountCount(), 3);

    const std::filesystem::path file = ConfigFolder() / "user.reg";
    SettingsTree other(file);
    RegKey account;
    ASSERT_EQ(other.OpenKey(other.Root(), "Software\\Orrindale\\Tolvane\\Account", account),
              REG_OK);
    RegKey alpha;
    ASSERT_EQ(other.OpenKey(account, "alpha", alpha), REG_OK);
    ASSERT_EQ(other.SetString(alpha, "Password", "new"), REG_OK);
    ASSERT_EQ(other.DeleteKey(account, "gone"), REG_OK);
    for (int i = 0; i < 3; ++i) {
        doc.GetAccount(i)->m_nReceiveCount = 7 + i;
    }

    FileWriteCounter writes(file);
    doc.Close();
    EXPECT_EQ(writes.Count(), 1);
    EXPECT_EQ(GetProfileStringUtf8("Account\\alpha", "Password", ""), "new");
    EXPECT_EQ(GetProfileInt("Account\\alpha", "ReceiveCount", 0), 7);
    EXPECT_EQ(GetProfileInt("Account\\beta", "ReceiveCount", 0), 8);
    std::vector<std::string> names;
    ASSERT_TRUE(EnumAccountNames(names));
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_TRUE(messages.Messages().empty());
}

// Accounts skipped for their names and the settings' notices reach the log at creation.
TEST_F(DocumentCoreTest, CreateLogsSkippedAccountsAndSettingsNotices) {
    WriteAccount("pop", 110);
    // The profile refuses such a name; a user writes it by hand.
    const std::filesystem::path file = ConfigFolder() / "user.reg";
    std::string text = ReadFileBytes(file);
    text += "\n[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account\\a\x01"
            "b]\n";
    WriteFileBytes(file, text);
    ::chmod(file.c_str(), 0644);

    CDocumentCore doc(&host);
    ASSERT_TRUE(doc.Create());
    ASSERT_EQ(doc.GetAccountCount(), 1);
    const std::string skipped = SjisFormat(txt::kAccountNameControl, "a\\x01b");
    EXPECT_EQ(doc.m_arrSkippedAccounts, std::vector<std::string>{skipped});
    const std::string log = doc.m_log.GetLog();
    EXPECT_NE(log.find(skipped), std::string::npos) << Cp932ToUtf8(log);
    EXPECT_NE(log.find(SjisFormat(txt::kSettingsMadePrivate, file.c_str())), std::string::npos)
        << Cp932ToUtf8(log);
    EXPECT_TRUE(messages.Messages().empty());
}

// What a check saw is on the disk as soon as the check completes, not only at exit: a
// crash or a power cut afterwards must not make the seen mails new again.
TEST_F(DocumentCoreTest, CompletedCheckWritesTheNewOnlyStores) {
    FakePop3Server server;
    server.SetMessages({{"u1", MakeMessage({"Subject: hi"}, {"body"})}});
    WriteAccount("pop", server.Port());
    WriteAccount("plain", server.Port());
    ASSERT_TRUE(WriteProfileInt("Account\\pop", "ReceiveNewMailOnly", 1));
    CDocumentCore doc(&host);
    ASSERT_TRUE(doc.Create());
    ASSERT_TRUE(doc.StartCheck(-1));
    ASSERT_TRUE(host.WaitForCommands(1));
    EXPECT_FALSE(std::filesystem::exists(StoreFilePath("pop")));
    doc.OnJobComplete();

    MailList stored;
    ASSERT_EQ(ReadMailStore(StoreFilePath("pop"), 0, stored), StoreReadResult::Ok);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->m_strUidl, "u1");
    EXPECT_FALSE(std::filesystem::exists(StoreFilePath("plain")));
}

// Records the stores the document could not save.
class RecordingDocument final : public CDocumentCore {
public:
    using CDocumentCore::CDocumentCore;
    ~RecordingDocument() override { Close(); }
    std::vector<std::string> failed;

protected:
    void OnStoreSaveFailed(const CAccount& account, int error) override {
        failed.push_back(account.m_strName);
        CDocumentCore::OnStoreSaveFailed(account, error);
    }
};

// A store that cannot be saved is told once per account (not after every check), and
// again only after it was saved in between.
TEST_F(DocumentCoreTest, FailedStoreIsToldOncePerAccountUntilSaved) {
    RecordingDocument doc(&host);
    for (const char* name : {"pop", "work"}) {
        doc.m_arrAccounts.push_back(
            std::make_unique<CAccount>(&CConnectionLog::Report, &doc.m_log));
        CAccount& account = *doc.m_arrAccounts.back();
        account.Load(name, false);
        account.m_bNewMailOnly = 1;
        account.m_mails.push_back(MailOf(name, "u1"));
    }
    {
        UnwritableFolder full(home.DataHome(), UnwritableFolder::Kind::Full);
        ASSERT_TRUE(full.Usable());
        EXPECT_FALSE(doc.SaveStores());
        EXPECT_FALSE(doc.SaveStores());
        EXPECT_EQ(doc.failed, (std::vector<std::string>{"pop", "work"}));
        const std::string log = doc.m_log.GetLog();
        const CAccount& pop = *doc.GetAccount(0);
        EXPECT_TRUE(log.find(CDocumentCore::StoreSaveFailedText(pop, ENOSPC)) !=
                        std::string::npos ||
                    log.find(CDocumentCore::StoreSaveFailedText(pop, EFBIG)) != std::string::npos)
            << Cp932ToUtf8(log);
        full.Free();
        EXPECT_TRUE(doc.SaveStores());
    }
    for (int i = 0; i < doc.GetAccountCount(); ++i) {
        doc.GetAccount(i)->m_mails[0]->m_nState = MAIL_KNOWN; // changed: to be written again
    }
    UnwritableFolder full(home.DataHome(), UnwritableFolder::Kind::Full);
    EXPECT_FALSE(doc.Close()); // the stores are saved (and told) before the accounts go
    EXPECT_EQ(doc.failed, (std::vector<std::string>{"pop", "work", "pop", "work"}));
}

} // namespace
} // namespace tolvane::test
