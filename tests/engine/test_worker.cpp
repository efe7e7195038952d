#include "engine/Worker.h"

#include "engine/JobTexts.h"
#include "platform/CodePage.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/FakeSecretStore.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#define LOG_TEXT(...) ::tolvane::Cp932ToUtf8(::tolvane::SjisFormat(__VA_ARGS__))

namespace tolvane::test {
namespace {

using namespace std::chrono_literals;

FakeMessage Message(const std::string& uidl, const std::string& subject) {
    return {uidl, MakeMessage({"From: sender@example.com", "Subject: " + subject,
                               "Date: Tue, 20 Nov 2001 14:58:44 +0900"},
                              {"body"})};
}

// Three accounts "a1".."a3" on fake servers of two messages each, logging into one
// collector, seen by the worker through this document.
class WorkerTest : public ::testing::Test, public IWorkerDocument {
protected:
    WorkerTest() {
        for (int i = 0; i < 3; ++i) {
            servers.push_back(std::make_unique<FakePop3Server>());
            servers[i]->SetMessages({Message("u" + std::to_string(i) + "a", "first"),
                                     Message("u" + std::to_string(i) + "b", "second")});
            auto account = std::make_unique<CAccount>(&LogCollector::Append, &log);
            account->m_strName = "a" + std::to_string(i + 1);
            account->m_strServer = "127.0.0.1";
            account->m_nPort = static_cast<int32_t>(servers[i]->Port());
            account->m_strUser = "taro";
            account->m_strPassword = "secret";
            account->m_socket.m_nTimeout = 2;
            accounts.push_back(std::move(account));
        }
    }
    ~WorkerTest() override {
        worker.reset();
        for (auto& account : accounts) {
            account->SetReport(nullptr, nullptr);
        }
    }

    int GetAccountCount() const override { return static_cast<int>(accounts.size()); }
    CAccount* GetAccount(int index) const override {
        return index >= 0 && index < GetAccountCount() ? accounts[static_cast<size_t>(index)].get()
                                                       : nullptr;
    }
    void AppendLog(const std::string& textCp932) override { LogCollector::Append(textCp932, &log); }

    void StartWorker() {
        worker = std::make_unique<CWorker>(&host);
        worker->SetDocument(this);
        ASSERT_TRUE(worker->Start());
    }
    // Runs a check and waits for its completion.
    void RunCheck(int32_t target) {
        const size_t before = host.Commands().size();
        ASSERT_TRUE(worker->PostCheck(target));
        ASSERT_TRUE(host.WaitForCommands(before + 1));
    }
    bool LogHas(const std::string& textUtf8) const {
        const auto texts = log.Texts();
        return std::find(texts.begin(), texts.end(), textUtf8) != texts.end();
    }
    JobEntries EmptyEntries() const {
        auto entries = std::make_unique<std::vector<CJobEntry>>(accounts.size());
        for (size_t i = 0; i < entries->size(); ++i) {
            (*entries)[i].m_nAccount = static_cast<int32_t>(i);
        }
        return entries;
    }

    ScopedHome home;
    std::vector<std::unique_ptr<FakePop3Server>> servers;
    std::vector<std::unique_ptr<CAccount>> accounts;
    LogCollector log;
    RecordingHost host{"トルヴェイン"};
    std::unique_ptr<CWorker> worker;
};

TEST_F(WorkerTest, CheckAllSkipsADisabledAccount) {
    accounts[1]->m_bEnable = 0;
    ScopedTimeZone zone("Asia/Tokyo");
    SettableClock clock(1709597220); // 2024-03-05 09:07 in Tokyo
    StartWorker();
    RunCheck(-1);

    EXPECT_EQ(servers[0]->Connections(), 1);
    EXPECT_EQ(servers[1]->Connections(), 0);
    EXPECT_EQ(servers[2]->Connections(), 1);
    EXPECT_EQ(accounts[2]->GetMailCount(), 2);
    EXPECT_EQ(worker->GetOutcomes(), (std::vector<int32_t>{OUTCOME_OK, OUTCOME_NONE, OUTCOME_OK}));
    const auto texts = log.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "2024年 03月 05日 09:07  受信メールの確認をします。\r\n");
    EXPECT_EQ(texts.back(), txt::kCheckDone);
    EXPECT_EQ(host.Commands(), std::vector<int>{ID_CHECK_COMPLETE});
    const auto menus = host.MenuTexts();
    EXPECT_EQ(menus,
              (std::vector<std::string>{"a1の受信確認を中止する(&Q)\tCtrl+B",
                                        "a3の受信確認を中止する(&Q)\tCtrl+B", txt::kCancelMenu}));
    EXPECT_EQ(host.TitleUtf8(), "トルヴェイン");
}

// The keyring goes away after the first account's lookup: the accounts after it fail with
// the text that says so, the first is checked all the same, and no password is logged.
TEST_F(WorkerTest, KeyringVanishingMidCheckFailsOnlyTheAccountsAfterIt) {
    FakeSecretStore keyring;
    for (auto& account : accounts) {
        account->m_nPasswordStore = PASSWORD_IN_KEYRING;
        account->m_strPassword.clear();
        keyring.Put(account->Keys(), "secret");
    }
    keyring.ChangeAfter(1, FakeSecretStore::State::Gone);
    StartWorker();
    RunCheck(-1);
    EXPECT_EQ(worker->GetOutcomes(),
              (std::vector<int32_t>{OUTCOME_OK, OUTCOME_FAILED, OUTCOME_FAILED}));
    EXPECT_EQ(servers[0]->Commands().at(1), "PASS secret");
    EXPECT_EQ(servers[1]->Commands(), std::vector<std::string>{"QUIT"});
    EXPECT_TRUE(LogHas(
        LOG_TEXT(txt::kKeyringNone, "a2", "The name org.freedesktop.secrets was not provided")));
    EXPECT_EQ(log.Utf8().find("secret\r"), std::string::npos);
}

TEST_F(WorkerTest, SingleAccountCheckRunsADisabledAccount) {
    accounts[1]->m_bEnable = 0;
    StartWorker();
    RunCheck(1);

    EXPECT_EQ(servers[0]->Connections(), 0);
    EXPECT_EQ(servers[1]->Connections(), 1);
    EXPECT_EQ(accounts[1]->GetMailCount(), 2);
    EXPECT_EQ(worker->GetOutcomes(),
              (std::vector<int32_t>{OUTCOME_NONE, OUTCOME_OK, OUTCOME_NONE}));
    const auto titles = host.Titles();
    ASSERT_FALSE(titles.empty());
    EXPECT_EQ(titles.front(), "トルヴェイン（a2の受信確認中）");
}

TEST_F(WorkerTest, FailedAccountsAreRecordedAndTheJobGoesOn) {
    servers[0]->Script("PASS", FakeReply::Err("-ERR bad password"));
    servers[1]->Script("STAT", FakeReply::Err());
    StartWorker();
    RunCheck(-1);

    EXPECT_EQ(worker->GetOutcomes(),
              (std::vector<int32_t>{OUTCOME_FAILED, OUTCOME_FAILED, OUTCOME_OK}));
    EXPECT_TRUE(LogHas(LOG_TEXT(txt::kReceiveFailed, "a2")));
    EXPECT_EQ(accounts[2]->GetMailCount(), 2);
}

TEST_F(WorkerTest, CancellingTheSecondOfThreeLeavesTheThirdProcessed) {
    servers[1]->Script("TOP 1", FakeReply::Silence());
    StartWorker();
    ASSERT_TRUE(worker->PostCheck(-1));
    ASSERT_TRUE(servers[1]->WaitForCommand("TOP 1", 10s));
    EXPECT_EQ(worker->AccessCurrentAccount(std::nullopt, std::nullopt), 0);
    EXPECT_EQ(worker->AccessCurrentAccount(1, std::nullopt), 1);
    ASSERT_TRUE(host.WaitForCommands(1));

    EXPECT_TRUE(LogHas(LOG_TEXT(txt::kStopCheck, "a2")));
    EXPECT_EQ(servers[2]->Connections(), 1);
    EXPECT_EQ(accounts[2]->GetMailCount(), 2);
    EXPECT_EQ(worker->GetOutcomes(),
              (std::vector<int32_t>{OUTCOME_OK, OUTCOME_CANCELLED, OUTCOME_OK}));
    EXPECT_EQ(worker->AccessCurrentAccount(std::nullopt, std::nullopt), 1); // none current
}

TEST_F(WorkerTest, AccessCurrentAccountWithoutAccount) {
    StartWorker();
    EXPECT_EQ(worker->AccessCurrentAccount(1, std::nullopt), 0);
    EXPECT_EQ(worker->AccessCurrentAccount(std::nullopt, std::nullopt), 1);
    EXPECT_EQ(worker->AccessCurrentAccount(std::nullopt, accounts[0].get()), 1);
    EXPECT_EQ(worker->AccessCurrentAccount(std::nullopt, std::nullopt), 0);
    EXPECT_EQ(worker->AccessCurrentAccount(1, accounts[1].get()), 0); // both: nothing changes
    EXPECT_EQ(accounts[0]->m_socket.GetCancel(), 0);
    EXPECT_EQ(worker->AccessCurrentAccount(1, std::nullopt), 1);
    EXPECT_EQ(accounts[0]->m_socket.GetCancel(), 1);
    EXPECT_EQ(worker->AccessCurrentAccount(std::nullopt, nullptr), 1);
}

TEST_F(WorkerTest, EmptyDeletionLogsNothingAndStillCompletes) {
    StartWorker();
    ASSERT_TRUE(worker->PostDelete(EmptyEntries()));
    ASSERT_TRUE(host.WaitForCommands(1));

    EXPECT_TRUE(log.Texts().empty());
    EXPECT_EQ(host.Commands(), std::vector<int>{ID_DELETE_COMPLETE});
    for (const auto& server : servers) {
        EXPECT_EQ(server->Connections(), 0);
    }
}

TEST_F(WorkerTest, DeletionIsFollowedByACheckThenBothCompletions) {
    StartWorker();
    RunCheck(-1);
    host.SetDefaultAnswer(true);
    JobEntries entries = EmptyEntries();
    (*entries)[1].m_arrMails.push_back(accounts[1]->GetMail(0));
    ASSERT_TRUE(worker->PostDelete(std::move(entries)));
    ASSERT_TRUE(host.WaitForCommands(3));

    EXPECT_EQ(host.Commands(),
              (std::vector<int>{ID_CHECK_COMPLETE, ID_CHECK_COMPLETE, ID_DELETE_COMPLETE}));
    ASSERT_EQ(servers[1]->Messages().size(), 1u);
    EXPECT_EQ(servers[1]->Messages()[0].uidl, "u1b");
    EXPECT_EQ(accounts[1]->GetMailCount(), 1);
    EXPECT_TRUE(LogHas(txt::kDeleteDone));
    const auto titles = host.Titles();
    EXPECT_NE(std::find(titles.begin(), titles.end(), "トルヴェイン（a2の削除処理中）"),
              titles.end());
    EXPECT_EQ(worker->GetOutcomes(), (std::vector<int32_t>{OUTCOME_OK, OUTCOME_OK, OUTCOME_OK}));
}

TEST_F(WorkerTest, DeletionAtAnUnreachableAccountLogsItsFailureLine) {
    StartWorker();
    RunCheck(-1);
    JobEntries entries = EmptyEntries();
    (*entries)[0].m_arrMails.push_back(accounts[0]->GetMail(0));
    accounts[0]->m_nPort = 1; // nothing listens there
    ASSERT_TRUE(worker->PostDelete(std::move(entries)));
    ASSERT_TRUE(host.WaitForCommands(3));

    EXPECT_TRUE(LogHas(LOG_TEXT(txt::kDeleteAccountFailed, "a1")));
    EXPECT_EQ(servers[0]->Messages().size(), 2u);
    EXPECT_EQ(worker->GetOutcomes()[0], OUTCOME_FAILED);
}

// A new-only account's numbers are list positions: after a new mail arrived before the
// known ones, simple mode would send DELE 2 for the mail now numbered 3 on the server.
TEST_F(WorkerTest, NewOnlyAccountDeletesVerifiedEvenWhenMarkedSimple) {
    accounts[1]->m_bNewMailOnly = 1;
    accounts[1]->m_bSimpleDelete = 1;
    StartWorker();
    RunCheck(1);
    servers[1]->SetMessages(
        {Message("fresh", "arrived first"), Message("u1a", "first"), Message("u1b", "second")});
    JobEntries entries = EmptyEntries();
    (*entries)[1].m_arrMails.push_back(accounts[1]->GetMail(1)); // u1b, number 2 in the list
    ASSERT_TRUE(worker->PostDelete(std::move(entries)));
    ASSERT_TRUE(host.WaitForCommands(3));

    std::vector<std::string> left;
    for (const auto& message : servers[1]->Messages()) {
        left.push_back(message.uidl);
    }
    EXPECT_EQ(left, (std::vector<std::string>{"fresh", "u1a"}));
    EXPECT_FALSE(LogHas(LOG_TEXT(txt::kSimpleDeleting, "a2")));
}

// A deletion the user stopped did not delete: the account's outcome says so.
TEST_F(WorkerTest, StoppedDeletionsAreRecordedAsCancelled) {
    StartWorker();
    RunCheck(-1);
    // a1: cancelled while DELE waits; a2: the content changed and the question is declined.
    servers[0]->Script("DELE 1", FakeReply::Silence());
    servers[1]->AddMessage(Message("u1c", "third"));
    host.QueueAnswer(false);
    JobEntries entries = EmptyEntries();
    (*entries)[0].m_arrMails.push_back(accounts[0]->GetMail(0));
    (*entries)[1].m_arrMails.push_back(accounts[1]->GetMail(0));
    ASSERT_TRUE(worker->PostDelete(std::move(entries)));
    ASSERT_TRUE(servers[0]->WaitForCommand("DELE 1", 10s));
    EXPECT_EQ(worker->AccessCurrentAccount(1, std::nullopt), 1);
    ASSERT_TRUE(host.WaitForCommands(3));

    EXPECT_TRUE(LogHas(LOG_TEXT(txt::kStopDelete, "a1")));
    EXPECT_TRUE(LogHas(LOG_TEXT(txt::kDeleteDeclined, "a2")));
    EXPECT_EQ(servers[0]->Messages().size(), 2u);
    EXPECT_EQ(servers[1]->Messages().size(), 3u);
    EXPECT_EQ(worker->GetOutcomes(),
              (std::vector<int32_t>{OUTCOME_CANCELLED, OUTCOME_CANCELLED, OUTCOME_OK}));
}

TEST_F(WorkerTest, ReloadWithEmptyListsLogsItsClosingLine) {
    StartWorker();
    ASSERT_TRUE(worker->PostReload(5, EmptyEntries()));
    ASSERT_TRUE(host.WaitForCommands(1));

    EXPECT_EQ(log.Texts(), std::vector<std::string>{txt::kReloadDone});
    EXPECT_EQ(host.Commands(), std::vector<int>{ID_RELOAD_COMPLETE});
}

TEST_F(WorkerTest, EveryJobRestoresTheTitleSavedAtThreadStart) {
    StartWorker();
    host.SetTitleUtf8("変わったタイトル");
    RunCheck(0);
    EXPECT_EQ(host.TitleUtf8(), "トルヴェイン");

    host.SetTitleUtf8("また変わった");
    JobEntries entries = EmptyEntries();
    (*entries)[0].m_arrMails.push_back(accounts[0]->GetMail(0));
    ASSERT_TRUE(worker->PostReload(3, std::move(entries)));
    ASSERT_TRUE(host.WaitForCommands(2));
    EXPECT_EQ(host.TitleUtf8(), "トルヴェイン");
    const auto titles = host.Titles();
    EXPECT_NE(std::find(titles.begin(), titles.end(), "トルヴェイン（a1の再読み込み処理中）"),
              titles.end());
}

// Destroying the worker while an account waits for a reply cancels that account, skips
// the others and joins the thread.
TEST_F(WorkerTest, DestroyingTheWorkerDuringAJobCancelsAndJoins) {
    // The stopping text (not the receive failure of a time-out) shows the cancel; QUIT is
    // not cancellable and meets the silent server, so the time-out stays short.
    servers[0]->Script("TOP 1", FakeReply::Silence());
    StartWorker();
    ASSERT_TRUE(worker->PostCheck(-1));
    ASSERT_TRUE(worker->PostCheck(-1)); // queued behind: dropped
    ASSERT_TRUE(servers[0]->WaitForCommand("TOP 1", 10s));
    worker.reset();

    EXPECT_TRUE(LogHas(LOG_TEXT(txt::kStopCheck, "a1")));
    EXPECT_EQ(servers[0]->Connections(), 1);
    EXPECT_EQ(servers[1]->Connections(), 0);
    EXPECT_EQ(servers[2]->Connections(), 0);
    EXPECT_LE(host.Commands().size(), 1u);
}

} // namespace
} // namespace tolvane::test
