// The check of all accounts side by side: the log, the window's texts and the questions
// read as in a check of one account after the other, whatever order the servers finish in.
#include "engine/Worker.h"
#include "tests/engine/AccountJobTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tolvane::test {
namespace {

using namespace std::chrono_literals;

constexpr int kAccounts = 4;

// Every event of a check in one stream: window texts, log texts, server commands.
class EventHost final : public IHost {
public:
    std::string GetWindowText() override { return Sjis("トルヴェイン"); }
    void SetWindowText(const std::string& textCp932) override {
        Add("title " + Cp932ToUtf8(textCp932));
    }
    void SetCancelMenuText(const std::string& textCp932) override {
        Add("menu " + Cp932ToUtf8(textCp932));
    }
    void PostCommand(int id) override {
        Add("command " + std::to_string(id));
        std::lock_guard lock(m_mutex);
        ++m_nCommands;
        m_changed.notify_all();
    }
    // Blocks until the test answers (Answer), counting how many wait here at once.
    bool Ask(const std::string& textCp932) override {
        std::unique_lock lock(m_mutex);
        m_questions.push_back(Cp932ToUtf8(textCp932));
        ++m_nAsking;
        m_nMostAsking = std::max(m_nMostAsking, m_nAsking);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_answers.empty(); });
        const bool ok = m_answers.front();
        m_answers.pop_front();
        --m_nAsking;
        return ok;
    }
    static void Report(const std::string& textCp932, void* context) {
        static_cast<EventHost*>(context)->Add("log " + Cp932ToUtf8(textCp932));
    }

    void Add(const std::string& event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    void Answer(bool ok) {
        std::lock_guard lock(m_mutex);
        m_answers.push_back(ok);
        m_changed.notify_all();
    }
    bool WaitForQuestions(size_t n) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 30s, [&] { return m_questions.size() >= n; });
    }
    bool WaitForCommands(int n) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 30s, [&] { return m_nCommands >= n; });
    }
    // The events whose text starts with prefix, without it.
    std::vector<std::string> Events(const std::string& prefix = "") const {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> events;
        for (const std::string& event : m_events) {
            if (event.rfind(prefix, 0) == 0) {
                events.push_back(event.substr(prefix.size()));
            }
        }
        return events;
    }
    std::vector<std::string> Questions() const {
        std::lock_guard lock(m_mutex);
        return m_questions;
    }
    int MostAsking() const {
        std::lock_guard lock(m_mutex);
        return m_nMostAsking;
    }
    int Commands() const {
        std::lock_guard lock(m_mutex);
        return m_nCommands;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_events, m_questions;
    std::deque<bool> m_answers;
    int m_nCommands = 0;
    int m_nAsking = 0;
    int m_nMostAsking = 0;
};

// Accounts "a1".."a4" on fake servers of two mails each; the accounts are made afresh for
// each check, so that two checks of the same servers can be compared text for text.
class ParallelCheckTest : public ::testing::Test, public IWorkerDocument {
protected:
    ParallelCheckTest() {
        for (int i = 0; i < kAccounts; ++i) {
            const std::string id = std::to_string(i);
            servers.push_back(std::make_unique<FakePop3Server>());
            servers.back()->SetMessages(
                {PlainMessage("u" + id + "a", "first"), PlainMessage("u" + id + "b", "second")});
        }
    }
    ~ParallelCheckTest() override { worker.reset(); }

    int GetAccountCount() const override { return static_cast<int>(accounts.size()); }
    CAccount* GetAccount(int index) const override {
        return index >= 0 && index < GetAccountCount() ? accounts[static_cast<size_t>(index)].get()
                                                       : nullptr;
    }
    void AppendLog(const std::string& textCp932) override {
        EventHost::Report(textCp932, host.get());
    }

    // A new host, new accounts and a worker checking count accounts at once (0: a worker
    // never told).
    void StartWorker(int32_t count) {
        worker.reset();
        accounts.clear();
        host = std::make_unique<EventHost>();
        for (int i = 0; i < kAccounts; ++i) {
            auto account = std::make_unique<CAccount>(&EventHost::Report, host.get());
            account->m_strName = "a" + std::to_string(i + 1);
            account->m_strServer = "127.0.0.1";
            account->m_nPort = static_cast<int32_t>(servers[static_cast<size_t>(i)]->Port());
            account->m_strUser = "taro";
            account->m_strPassword = "secret";
            account->m_socket.m_nTimeout = 30; // a wait that ends is ended by the test
            accounts.push_back(std::move(account));
        }
        worker = std::make_unique<CWorker>(host.get());
        worker->SetDocument(this);
        if (count != 0) {
            worker->SetParallelChecks(count);
        }
        ASSERT_TRUE(worker->Start());
    }
    void RunCheck() {
        ASSERT_TRUE(worker->PostCheck(-1));
        ASSERT_TRUE(host->WaitForCommands(1));
    }
    // Each server's commands go into the event stream as "server N COMMAND".
    void RecordServerCommands() {
        for (size_t i = 0; i < servers.size(); ++i) {
            servers[i]->OnCommand([this, i](const std::string& line) {
                host->Add("server " + std::to_string(i + 1) + " " + line);
            });
        }
    }
    // An account with one mail seen long ago, so that the check asks before deleting it.
    void GiveExpiredMail(size_t index) {
        CAccount& account = *accounts[index];
        account.m_bNewMailOnly = 1;
        account.m_bLimitDelete = 1;
        account.m_bConfLimitDelete = 1;
        auto mail = KnownMail("u" + std::to_string(index) + "a", "first", 1, 1);
        mail->m_strAccount = account.m_strName;
        account.m_mails.push_back(std::move(mail));
    }
    bool ServerQuit(size_t index) { return servers[index]->WaitForCommand("QUIT", 30s); }

    ScopedHome home;
    SettableClock clock{1709597220};
    std::vector<std::unique_ptr<FakePop3Server>> servers;
    std::vector<std::unique_ptr<CAccount>> accounts;
    std::unique_ptr<EventHost> host;
    std::unique_ptr<CWorker> worker;
};

// The numbers of the accounts the texts name, in log order ("a3" -> 3).
std::vector<int> AccountsNamed(const std::vector<std::string>& texts) {
    std::vector<int> named;
    for (const std::string& text : texts) {
        for (int i = kAccounts; i >= 1; --i) {
            if (text.find("a" + std::to_string(i)) != std::string::npos) {
                named.push_back(i);
                break;
            }
        }
    }
    return named;
}

class SideBySide : public ParallelCheckTest, public ::testing::WithParamInterface<int32_t> {};

// a1 is held until a4 has finished (a2 fails its login on the way), yet the log is that of
// the one-at-a-time check text for text, and the cancel command names a1, a2, a3, a4 in turn.
TEST_P(SideBySide, LogReadsAsOneAccountAfterTheOther) {
    servers[1]->Script("PASS", FakeReply::Err("-ERR bad password"), true);
    StartWorker(1);
    RunCheck();
    const auto oneAtATime = host->Events("log ");
    const auto menus = host->Events("menu ");
    const auto outcomes = worker->GetOutcomes();

    StartWorker(GetParam());
    bool bHeld = false;
    servers[0]->OnCommand([&](const std::string& line) {
        if (line == "STAT") {
            bHeld = servers[3]->WaitForCommand("QUIT", 30s);
        }
    });
    for (auto& server : servers) {
        server->ClearCommands();
    }
    RunCheck();
    servers[0]->OnCommand({});

    EXPECT_TRUE(bHeld);
    EXPECT_EQ(host->Events("log "), oneAtATime);
    EXPECT_EQ(host->Events("menu "), menus);
    EXPECT_EQ(worker->GetOutcomes(), outcomes);
    EXPECT_EQ(host->Events("title ").back(), "トルヴェイン");
    for (const auto& account : accounts) {
        EXPECT_EQ(account->GetMailCount(), account->m_strName == "a2" ? 0 : 2);
    }
}

INSTANTIATE_TEST_SUITE_P(ParallelChecks, SideBySide, ::testing::Values(2, 3, 4, 16));

// One at a time, each account's dialogue ends before the next one's cancel command is shown,
// and a worker never given a count checks exactly so.
TEST_F(ParallelCheckTest, OneAtATimeKeepsTheOrderOfEveryEvent) {
    RecordServerCommands();
    StartWorker(1);
    RunCheck();
    const auto events = host->Events();
    std::vector<std::string> steps;
    for (const std::string& event : events) {
        if (event.rfind("menu ", 0) == 0 || event.rfind("server ", 0) == 0) {
            steps.push_back(event);
        }
    }
    std::vector<std::string> expected;
    for (int i = 1; i <= kAccounts; ++i) {
        const std::string n = std::to_string(i);
        const std::string server = "server " + n + " ";
        expected.push_back("menu a" + n + "の受信確認を中止する(&Q)\tCtrl+B");
        for (const char* command : {"USER taro", "PASS secret", "STAT", "CAPA", "UIDL", "LIST",
                                    "TOP 1 10", "TOP 2 10", "QUIT"}) {
            expected.push_back(server + command);
        }
    }
    expected.push_back(std::string("menu ") + txt::kCancelMenu);
    EXPECT_EQ(steps, expected);

    StartWorker(0);
    RunCheck();
    EXPECT_EQ(host->Events(), events);
}

// A server that never greets holds back only its own account: the others are checked to
// the end meanwhile, their texts wait behind it, and cancel stops it as the first
// unfinished account.
TEST_F(ParallelCheckTest, SilentServerDelaysNoOtherAccount) {
    servers[0]->SetGreeting(FakeReply::Silence());
    StartWorker(4);
    ASSERT_TRUE(worker->PostCheck(-1));
    for (size_t i = 1; i < servers.size(); ++i) {
        ASSERT_TRUE(ServerQuit(i));
    }
    EXPECT_EQ(host->Commands(), 0);
    EXPECT_EQ(AccountsNamed(host->Events("log ")), (std::vector<int>{1})); // connecting to a1
    EXPECT_EQ(host->Events("title ").back(), "トルヴェイン（a1の受信確認中）");
    EXPECT_EQ(worker->AccessCurrentAccount(std::nullopt, std::nullopt), 0);
    EXPECT_EQ(worker->AccessCurrentAccount(1, std::nullopt), 1);
    ASSERT_TRUE(host->WaitForCommands(1));

    EXPECT_EQ(worker->GetOutcomes(),
              (std::vector<int32_t>{OUTCOME_CANCELLED, OUTCOME_OK, OUTCOME_OK, OUTCOME_OK}));
    const auto named = AccountsNamed(host->Events("log "));
    EXPECT_TRUE(std::is_sorted(named.begin(), named.end()));
    EXPECT_EQ(named.back(), 4);
    EXPECT_EQ(worker->AccessCurrentAccount(std::nullopt, std::nullopt), 1); // none current
}

// Two accounts have expired mails: their questions come one at a time, each naming its
// account, and the accounts without questions finish while the first one is open.
TEST_F(ParallelCheckTest, QuestionsComeOneAtATimeWhileTheOthersGoOn) {
    StartWorker(4);
    GiveExpiredMail(0);
    GiveExpiredMail(2);
    ASSERT_TRUE(worker->PostCheck(-1));
    ASSERT_TRUE(host->WaitForQuestions(1));
    ASSERT_TRUE(ServerQuit(1));
    ASSERT_TRUE(ServerQuit(3));
    EXPECT_EQ(host->Questions().size(), 1u);
    host->Answer(true);
    ASSERT_TRUE(host->WaitForQuestions(2));
    host->Answer(true);
    ASSERT_TRUE(host->WaitForCommands(1));

    auto questions = host->Questions();
    std::sort(questions.begin(), questions.end());
    EXPECT_EQ(questions,
              (Strings{LOG_TEXT(txt::kAskExpire, "a1", 1u), LOG_TEXT(txt::kAskExpire, "a3", 1u)}));
    EXPECT_EQ(host->MostAsking(), 1);
    EXPECT_EQ(servers[0]->Messages().size(), 1u);
    EXPECT_EQ(servers[2]->Messages().size(), 1u);
    const auto named = AccountsNamed(host->Events("log "));
    EXPECT_TRUE(std::is_sorted(named.begin(), named.end()));
}

// Closing while every account waits for a reply abandons them all at once.
TEST_F(ParallelCheckTest, ClosingAbandonsEveryConnection) {
    for (auto& server : servers) {
        server->Script("TOP 1", FakeReply::Silence());
    }
    StartWorker(4);
    ASSERT_TRUE(worker->PostCheck(-1));
    for (auto& server : servers) {
        ASSERT_TRUE(server->WaitForCommand("TOP 1", 30s));
    }
    worker.reset();

    const auto log = host->Events("log ");
    for (int i = 1; i <= kAccounts; ++i) {
        EXPECT_NE(std::find(log.begin(), log.end(),
                            LOG_TEXT(txt::kStopCheck, ("a" + std::to_string(i)).c_str())),
                  log.end());
    }
    const auto named = AccountsNamed(log);
    EXPECT_TRUE(std::is_sorted(named.begin(), named.end()));
}

// a1 and a3 read one mailbox on a server that serves one session at a time (as a server that
// locks the mailbox does): a3 waits for a1, a2 and a4 do not.
TEST_F(ParallelCheckTest, OneMailboxIsNeverReadTwiceAtOnce) {
    StartWorker(4);
    accounts[2]->m_nPort = accounts[0]->m_nPort;
    accounts[2]->m_strServer = "127.0.0.1";
    // a1's session stays open until a4, started after a3 in list order, has finished.
    bool bHeld = false;
    servers[0]->OnCommand([&](const std::string& line) {
        if (line == "STAT" && servers[0]->Connections() == 1) {
            bHeld = servers[3]->WaitForCommand("QUIT", 30s);
        }
    });
    RunCheck();
    servers[0]->OnCommand({});

    EXPECT_TRUE(bHeld);
    EXPECT_EQ(worker->GetOutcomes(),
              (std::vector<int32_t>{OUTCOME_OK, OUTCOME_OK, OUTCOME_OK, OUTCOME_OK}));
    EXPECT_EQ(servers[0]->Connections(), 2);
    EXPECT_EQ(servers[2]->Connections(), 0);
    EXPECT_EQ(servers[0]->MaxCommandsAhead(), 1u);
    EXPECT_EQ(accounts[2]->GetMailCount(), 2);
}

} // namespace
} // namespace tolvane::test
