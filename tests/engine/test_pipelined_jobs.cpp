// The jobs with commands sent ahead of their replies (a server listing PIPELINING) and with
// the UIDL and LIST listings (a server without it), each against the same job one command
// at a time (Pipelining 0): the same list, states, log texts, progress titles, questions,
// store file and server content, through faults and cancels in the middle of a run.
#include "engine/CommandRun.h"
#include "platform/Paths.h"
#include "tests/engine/AccountJobTest.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <future>

namespace tolvane::test {
namespace {

using namespace std::chrono_literals;

enum class Mode { OneAtATime, Pipelined, Listings };

struct Outcome {
    int code = 0;
    Strings log, titles, questions, uidls, subjects, sizes, bodies, remaining;
    U32s states, numbers;
    std::string store;
    Strings commands; // after USER and PASS
    size_t ahead = 0; // the most commands the server had unanswered
};

using Job = std::function<int(CAccount&, RecordingHost&)>;
using Prepare = std::function<void(CAccount&, FakePop3Server&, RecordingHost&)>;

int CheckJobOf(CAccount& account, RecordingHost& host) {
    return account.CheckMail(Sjis("トルヴェイン"), &host);
}

int DeleteJobOf(CAccount& account, RecordingHost& host) {
    int last = 0;
    return account.DeleteMarked(AllMails(account), Sjis("T"), &host, last, false) ? last : -100;
}

class PipelinedJobs : public ::testing::Test {
protected:
    // Runs job between the connection steps on a fresh server holding messages, for an
    // account that prepare sets up. With silent set, that command is never answered: the
    // socket's clock is moved past the time-out at every wait after it arrived.
    Outcome Run(Mode mode, const std::vector<FakeMessage>& messages, const Prepare& prepare,
                const Job& job, const std::string& silent = "") {
        FakePop3Server server;
        server.SetMessages(messages);
        if (mode != Mode::Listings) {
            server.SetCapabilities({"TOP", "UIDL", "PIPELINING"});
        }
        LogCollector log;
        RecordingHost host{"トルヴェイン"};
        ManualMonotonicClock socketClock{1500};
        std::unique_ptr<CAccount> account = LocalAccount(log, server.Port(), "taro", "secret");
        account->m_bPipelining = mode == Mode::OneAtATime ? 0 : 1;
        account->m_socket.SetTimeSource(&socketClock);
        if (!silent.empty()) {
            server.Script(silent, FakeReply::Silence());
        }
        prepare(*account, server, host);

        Outcome out;
        std::atomic<bool> done{false};
        auto running = std::async(std::launch::async, [&] {
            int code = -99;
            if (account->OpenConnection() && account->Login()) {
                code = job(*account, host);
            }
            account->Logout();
            done = true;
            socketClock.Notify();
            return code;
        });
        if (!silent.empty() && server.WaitForCommand(silent, 30s)) {
            // Every reply before the silent one is with the client by now: only the silence
            // can make it wait, and each wait ends at the time-out.
            while (!done) {
                const size_t sleeps = socketClock.Sleeps();
                socketClock.Advance(11000);
                socketClock.WaitForSleepsOr(sleeps + 1, [&] { return done.load(); });
            }
        }
        out.code = running.get();
        account->SetReport(nullptr, nullptr);

        out.log = log.Texts();
        out.titles = host.Titles();
        out.questions = host.Questions();
        out.uidls = Uidls(*account);
        out.states = States(*account);
        out.numbers = Numbers(*account);
        for (const auto& mail : account->m_mails) {
            out.subjects.push_back(mail->m_strSubject);
            out.sizes.push_back(mail->m_strSize);
            out.bodies.push_back(mail->m_strBody);
        }
        EXPECT_EQ(account->StoreMails(true), 0);
        const std::filesystem::path store = StoreFilePath("pop");
        out.store = std::filesystem::exists(store) ? ReadFileBytes(store) : "";
        for (const auto& message : server.Messages()) {
            out.remaining.push_back(message.uidl);
        }
        out.commands = server.Commands();
        if (out.commands.size() >= 2 && out.commands[0].rfind("USER", 0) == 0) {
            out.commands.erase(out.commands.begin(), out.commands.begin() + 2);
        }
        out.ahead = server.MaxCommandsAhead();
        return out;
    }

    // Everything the user and the files see, compared.
    static void ExpectSame(const Outcome& one, const Outcome& other) {
        EXPECT_EQ(other.code, one.code);
        EXPECT_EQ(other.log, one.log);
        EXPECT_EQ(other.titles, one.titles);
        EXPECT_EQ(other.questions, one.questions);
        EXPECT_EQ(other.uidls, one.uidls);
        EXPECT_EQ(other.states, one.states);
        EXPECT_EQ(other.numbers, one.numbers);
        EXPECT_EQ(other.subjects, one.subjects);
        EXPECT_EQ(other.sizes, one.sizes);
        EXPECT_EQ(other.bodies, one.bodies);
        EXPECT_EQ(other.store, one.store);
        EXPECT_EQ(other.remaining, one.remaining);
    }

    static size_t Count(const Strings& commands, const std::string& prefix) {
        return static_cast<size_t>(std::count_if(commands.begin(), commands.end(),
                                                 [&](auto& c) { return c.rfind(prefix, 0) == 0; }));
    }

    ScopedHome home;
    ScopedTimeZone zone{"Asia/Tokyo"};
    SettableClock clock{LocalTime(2001, 11, 20, 15, 0)};
    const uint32_t kRecently = static_cast<uint32_t>(LocalTime(2001, 11, 20, 9, 0));
    const uint32_t kLongAgo = static_cast<uint32_t>(LocalTime(2001, 11, 1, 9, 0));
};

// u1 (expired) and u2 are known, "gone" is no longer there; u3 (with X-UIDL) ... u30 are
// new: more per-mail commands than one window holds.
std::vector<FakeMessage> Mailbox(int count = 30) {
    std::vector<FakeMessage> messages;
    for (int i = 1; i <= count; ++i) {
        const std::string id = "u" + std::to_string(i);
        messages.push_back(PlainMessage(id, "mail " + std::to_string(i), i == 3,
                                        {"line 1 of " + id, "line 2", "..dot", "line 4"}));
    }
    return messages;
}

Prepare NewOnlyWithKnownGoneAndExpired(const PipelinedJobs* test, uint32_t longAgo,
                                       uint32_t recently) {
    (void)test;
    return [=](CAccount& account, FakePop3Server&, RecordingHost&) {
        account.m_bNewMailOnly = 1;
        account.m_bLimitDelete = 1;
        account.m_bConfLimitDelete = 0;
        account.m_nReceiveCount = 3;
        account.m_mails.push_back(KnownMail("u1", "mail 1", 1, longAgo));
        account.m_mails.push_back(KnownMail("gone", "gone", 2, recently));
        account.m_mails.push_back(KnownMail("u2", "mail 2", 3, recently));
    };
}

TEST_F(PipelinedJobs, NewOnlyCheckWithKnownNewGoneAndExpiredMails) {
    const Prepare prepare = NewOnlyWithKnownGoneAndExpired(this, kLongAgo, kRecently);
    const Outcome one = Run(Mode::OneAtATime, Mailbox(), prepare, CheckJobOf);
    const Outcome pipelined = Run(Mode::Pipelined, Mailbox(), prepare, CheckJobOf);
    const Outcome listings = Run(Mode::Listings, Mailbox(), prepare, CheckJobOf);

    ASSERT_EQ(one.code, POP3_OK);
    EXPECT_EQ(one.uidls.size(), 29u); // u1 deleted as expired, "gone" dropped
    EXPECT_EQ(one.remaining.size(), 29u);
    EXPECT_EQ(Count(one.commands, "CAPA"), 0u); // PIPELINING is listed, but not asked for
    ExpectSame(one, pipelined);
    ExpectSame(one, listings);

    EXPECT_EQ(Count(pipelined.commands, "CAPA"), 1u);
    EXPECT_GT(pipelined.ahead, 1u);
    EXPECT_LE(pipelined.ahead, CCommandRun::kWindowCommands);
    EXPECT_EQ(Count(pipelined.commands, "UIDL "), 28u); // u3's too, though it has X-UIDL
    EXPECT_EQ(Count(one.commands, "UIDL "), 27u);

    // Without PIPELINING: the UIDL listing of the selection, one LIST listing, TOP n each.
    Strings expected = {"STAT", "UIDL", "CAPA", "LIST"};
    for (int n = 3; n <= 30; ++n) {
        expected.push_back("TOP " + std::to_string(n) + " 3");
    }
    expected.insert(expected.end(), {"UIDL", "DELE 1", "QUIT"});
    EXPECT_EQ(listings.commands, expected);
    EXPECT_EQ(listings.ahead, 1u);
}

TEST_F(PipelinedJobs, NormalModeCheck) {
    const Prepare prepare = [](CAccount& account, FakePop3Server&, RecordingHost&) {
        account.m_mails.push_back(KnownMail("old", "old", 1));
    };
    const Outcome one = Run(Mode::OneAtATime, Mailbox(5), prepare, CheckJobOf);
    ExpectSame(one, Run(Mode::Pipelined, Mailbox(5), prepare, CheckJobOf));
    const Outcome listings = Run(Mode::Listings, Mailbox(5), prepare, CheckJobOf);
    ExpectSame(one, listings);
    EXPECT_EQ(listings.commands, (Strings{"STAT", "CAPA", "UIDL", "LIST", "TOP 1 10", "TOP 2 10",
                                          "TOP 3 10", "TOP 4 10", "TOP 5 10", "QUIT"}));
}

// A listing that fails, or does not number the messages as STAT counts them, is not used:
// the per-mail commands stand in for it.
TEST_F(PipelinedJobs, ListingThatCannotStandInFallsBackToPerMailCommands) {
    const Prepare prepare = [](CAccount& account, FakePop3Server& server, RecordingHost&) {
        account.m_nReceiveCount = 1;
        server.Script("UIDL", FakeReply::Err("-ERR not now"));
        server.Script("LIST", FakeReply::Text("+OK\r\n1 100\r\n3 300\r\n.\r\n"));
    };
    const Outcome one = Run(
        Mode::OneAtATime, Mailbox(2),
        [](CAccount& account, FakePop3Server&, RecordingHost&) { account.m_nReceiveCount = 1; },
        CheckJobOf);
    const Outcome listings = Run(Mode::Listings, Mailbox(2), prepare, CheckJobOf);
    ExpectSame(one, listings);
    EXPECT_EQ(listings.commands, (Strings{"STAT", "CAPA", "UIDL", "LIST", "TOP 1 1", "LIST 1",
                                          "UIDL 1", "TOP 2 1", "LIST 2", "UIDL 2", "QUIT"}));
}

// Pipelining 0 is today's dialogue byte for byte, even where the server could pipeline.
TEST_F(PipelinedJobs, PipeliningZeroSendsTheOneAtATimeBytes) {
    FakePop3Server server;
    server.SetMessages(Mailbox(2));
    server.SetCapabilities({"PIPELINING"});
    LogCollector log;
    std::unique_ptr<CAccount> account = LocalAccount(log, server.Port(), "taro", "secret");
    account->m_bPipelining = 0;
    ASSERT_TRUE(account->OpenConnection() && account->Login());
    EXPECT_EQ(account->CheckMail("", nullptr), POP3_OK);
    account->Logout();
    account->SetReport(nullptr, nullptr);
    EXPECT_EQ(server.Received(), "USER taro\r\nPASS secret\r\nSTAT\r\nTOP 1 10\r\nLIST 1\r\n"
                                 "UIDL 1\r\nTOP 2 10\r\nLIST 2\r\nUIDL 2\r\nQUIT\r\n");
}

// The server changed since the last check: u4 is gone and u5 arrived. The question, the
// not-found text and the deletions are those of one command at a time.
TEST_F(PipelinedJobs, VerifiedDeletionWithAChangedServer) {
    std::vector<FakeMessage> messages = {PlainMessage("u1", "s1"), PlainMessage("u2", "s2"),
                                         PlainMessage("u3", "s3"), PlainMessage("u5", "s5")};
    const Prepare prepare = [](CAccount& account, FakePop3Server&, RecordingHost&) {
        account.m_mails.push_back(KnownMail("u1", "s1", 1));
        account.m_mails.push_back(KnownMail("u2", "s2", 2));
        account.m_mails.push_back(KnownMail("u4", "s4", 3));
        account.m_mails.push_back(KnownMail("u3", "s3", 4));
    };
    const Outcome one = Run(Mode::OneAtATime, messages, prepare, DeleteJobOf);
    const Outcome pipelined = Run(Mode::Pipelined, messages, prepare, DeleteJobOf);
    EXPECT_EQ(one.remaining, (Strings{"u5"}));
    EXPECT_EQ(one.questions.size(), 1u);
    ExpectSame(one, pipelined);
    EXPECT_EQ(pipelined.commands, (Strings{"UIDL", "CAPA", "DELE 1", "DELE 2", "DELE 3", "QUIT"}));
    EXPECT_EQ(pipelined.ahead, 3u);
}

TEST_F(PipelinedJobs, SimpleDeletion) {
    const Prepare prepare = [](CAccount& account, FakePop3Server&, RecordingHost&) {
        for (uint32_t n = 1; n <= 4; ++n) {
            account.m_mails.push_back(KnownMail("u" + std::to_string(n), "s", n));
        }
    };
    const Job job = [](CAccount& account, RecordingHost& host) {
        int last = 0;
        return account.SimpleDeleteMails(AllMails(account), Sjis("T"), &host, last) ? last : -100;
    };
    const Outcome one = Run(Mode::OneAtATime, Mailbox(5), prepare, job);
    const Outcome pipelined = Run(Mode::Pipelined, Mailbox(5), prepare, job);
    EXPECT_EQ(one.remaining, (Strings{"u5"}));
    ExpectSame(one, pipelined);
    EXPECT_EQ(pipelined.ahead, 4u);
}

TEST_F(PipelinedJobs, Reload) {
    const Prepare prepare = [](CAccount& account, FakePop3Server&, RecordingHost&) {
        for (uint32_t n = 1; n <= 3; ++n) {
            account.m_mails.push_back(KnownMail("u" + std::to_string(n), "s", n));
        }
    };
    const Job job = [](CAccount& account, RecordingHost& host) {
        return account.ReloadMails(AllMails(account), 1, Sjis("T"), &host) ? 0 : -100;
    };
    const Outcome one = Run(Mode::OneAtATime, Mailbox(3), prepare, job);
    const Outcome pipelined = Run(Mode::Pipelined, Mailbox(3), prepare, job);
    EXPECT_EQ(one.bodies, (Strings{"line 1 of u1", "line 1 of u2", "line 1 of u3"}));
    ExpectSame(one, pipelined);
    EXPECT_EQ(pipelined.commands, (Strings{"CAPA", "TOP 1 1", "TOP 2 1", "TOP 3 1", "QUIT"}));
}

// A reply that breaks in the middle of a run ends the account as one at a time does, and
// the known records stay.
struct Fault {
    const char* name;
    FakeReply reply;
    bool silent;
};

class PipelinedFaults : public PipelinedJobs, public ::testing::WithParamInterface<Fault> {};

TEST_P(PipelinedFaults, EndTheAccountAsOneAtATime) {
    const Prepare base = NewOnlyWithKnownGoneAndExpired(this, kLongAgo, kRecently);
    const Prepare prepare = [&](CAccount& account, FakePop3Server& server, RecordingHost& host) {
        base(account, server, host);
        if (!GetParam().silent) {
            server.Script("LIST 6", GetParam().reply);
        }
    };
    const std::string silent = GetParam().silent ? "LIST 6" : "";
    const Outcome one = Run(Mode::OneAtATime, Mailbox(), prepare, CheckJobOf, silent);
    const Outcome pipelined = Run(Mode::Pipelined, Mailbox(), prepare, CheckJobOf, silent);
    EXPECT_NE(one.code, POP3_OK);
    EXPECT_EQ(one.uidls, (Strings{"u1", "u2", "u3", "u4", "u5"}));
    ExpectSame(one, pipelined);
    EXPECT_EQ(Count(pipelined.commands, "DELE"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Faults, PipelinedFaults,
                         ::testing::Values(Fault{"Close", FakeReply::Text("+OK 6").AndClose(),
                                                 false},
                                           Fault{"Reset",
                                                 [] {
                                                     FakeReply reply = FakeReply::Text("+OK 6 ");
                                                     reply.after = FakeReply::After::Reset;
                                                     return reply;
                                                 }(),
                                                 false},
                                           Fault{"Err", FakeReply::Err("-ERR broken"), false},
                                           Fault{"Silence", FakeReply::Silence(), true}),
                         [](const auto& testParam) { return std::string(testParam.param.name); });

// A cancel while mail 5 is due: nothing more is sent than the window already held, the
// replies in flight are read before QUIT, and the expired mail is not deleted.
TEST_F(PipelinedJobs, CancelInTheMiddleOfACheck) {
    const Prepare base = NewOnlyWithKnownGoneAndExpired(this, kLongAgo, kRecently);
    const Prepare prepare = [&](CAccount& account, FakePop3Server& server, RecordingHost& host) {
        base(account, server, host);
        CAccount* target = &account;
        host.OnTitle([target](const std::string& title) {
            if (title.find("受信確認中 5／") != std::string::npos) {
                target->m_socket.RequestCancel(1);
            }
        });
    };
    const Outcome one = Run(Mode::OneAtATime, Mailbox(), prepare, CheckJobOf);
    const Outcome pipelined = Run(Mode::Pipelined, Mailbox(), prepare, CheckJobOf);
    EXPECT_EQ(one.code, POP3_CANCELLED);
    EXPECT_EQ(one.uidls, (Strings{"u1", "u2", "u3", "u4"}));
    ExpectSame(one, pipelined);
    const Strings& commands = pipelined.commands;
    ASSERT_EQ(commands.size(), 3 + CCommandRun::kWindowCommands + 1); // STAT UIDL CAPA ... QUIT
    EXPECT_EQ(commands.back(), "QUIT");
    EXPECT_EQ(pipelined.log.back(), LOG_TEXT(txt::kLoggedOut, "pop"));
    EXPECT_EQ(Count(commands, "DELE"), 0u);
    EXPECT_EQ(pipelined.remaining.size(), 30u);
}

TEST_F(PipelinedJobs, CancelInTheMiddleOfADeletion) {
    const Prepare prepare = [](CAccount& account, FakePop3Server&, RecordingHost& host) {
        for (uint32_t n = 1; n <= 3; ++n) {
            account.m_mails.push_back(KnownMail("u" + std::to_string(n), "s", n));
        }
        CAccount* target = &account;
        host.OnTitle([target](const std::string& title) {
            if (title.find("削除処理中 2／") != std::string::npos) {
                target->m_socket.RequestCancel(1);
            }
        });
    };
    const Outcome one = Run(Mode::OneAtATime, Mailbox(3), prepare, DeleteJobOf);
    const Outcome pipelined = Run(Mode::Pipelined, Mailbox(3), prepare, DeleteJobOf);
    EXPECT_EQ(one.code, POP3_CANCELLED);
    ExpectSame(one, pipelined);
    EXPECT_EQ(pipelined.remaining, (Strings{"u1", "u2", "u3"}));
    EXPECT_EQ(pipelined.commands,
              (Strings{"UIDL", "CAPA", "DELE 1", "DELE 2", "DELE 3", "RSET", "QUIT"}));
}

} // namespace
} // namespace tolvane::test
