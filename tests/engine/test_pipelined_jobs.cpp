// The jobs with commands sent ahead of their replies (a server listing PIPELINING) and with
// the UIDL and LIST listings (a server without it), each against the same job one command
// at a time (Pipelining 0): the same list, states, log texts, progress titles, questions,
// store file and server content, through faults and cancels in the middle of a run.
#include "engine/CommandRun.h"
#include "tests/engine/JobModes.h"

namespace tolvane::test {
namespace {

using PipelinedJobs = JobModes;

Prepare NewOnlyWithKnownGoneAndExpired(const JobModes* test, uint32_t longAgo, uint32_t recently) {
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
    // Sent ahead: the ids come from the UIDL listing, and STAT closes the run.
    EXPECT_EQ(Count(pipelined.commands, "UIDL "), 0u);
    EXPECT_EQ(Count(pipelined.commands, "STAT"), 2u);
    EXPECT_EQ(Count(one.commands, "UIDL "), 28u); // u3's too: its X-UIDL header is not its id

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

// A LIST listing refused with -ERR: LIST n of each mail stands in for it. A server that
// refuses UIDL has no ids: the X-UIDL header (mail 3's) stands in.
TEST_F(PipelinedJobs, RefusedListingsFallBackToPerMailCommandsAndHeaders) {
    const Prepare noUidl = [](CAccount& account, FakePop3Server& server, RecordingHost&) {
        account.m_nReceiveCount = 1;
        server.Script("UIDL", FakeReply::Err("-ERR not now"), true);
    };
    const Prepare noListings = [&](CAccount& account, FakePop3Server& server, RecordingHost& host) {
        noUidl(account, server, host);
        server.Script("LIST", FakeReply::Err("-ERR not now"));
    };
    const Outcome one = Run(Mode::OneAtATime, Mailbox(3), noUidl, CheckJobOf);
    EXPECT_EQ(one.uidls, (Strings{"", "", "u3"}));
    const Outcome listings = Run(Mode::Listings, Mailbox(3), noListings, CheckJobOf);
    ExpectSame(one, listings);
    EXPECT_EQ(listings.commands, (Strings{"STAT", "CAPA", "UIDL", "LIST", "TOP 1 1", "LIST 1",
                                          "TOP 2 1", "LIST 2", "TOP 3 1", "LIST 3", "QUIT"}));
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
    EXPECT_EQ(pipelined.commands,
              (Strings{"UIDL", "CAPA", "TOP 1 1", "TOP 2 1", "TOP 3 1", "UIDL 3", "QUIT"}));
}

// A reply that breaks in the middle of a run ends the account as one at a time does, and
// the list stays as it was.
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
            server.Script("TOP 6", GetParam().reply);
        }
    };
    const std::string silent = GetParam().silent ? "TOP 6" : "";
    const Outcome one = Run(Mode::OneAtATime, Mailbox(), prepare, CheckJobOf, silent);
    const Outcome pipelined = Run(Mode::Pipelined, Mailbox(), prepare, CheckJobOf, silent);
    EXPECT_NE(one.code, POP3_OK);
    EXPECT_EQ(one.uidls, (Strings{"u1", "gone", "u2"}));
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
// replies in flight are read before QUIT, the expired mail is not deleted, and the list
// stays as it was.
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
    EXPECT_EQ(one.uidls, (Strings{"u1", "gone", "u2"}));
    ExpectSame(one, pipelined);
    const Strings& commands = pipelined.commands;
    // STAT UIDL CAPA LIST, the 28 TOPs and STAT (all within one window), QUIT.
    ASSERT_EQ(commands.size(), 4u + 28u + 1u + 1u);
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
