// A mail is what the server says it is: its id is the server's UIDL answer (an X-UIDL
// header only where the server has none), every listing line and per-mail reply counts by
// the number it states, and a reply out of step with its command, a late reply, a failure
// or a cancel fails the account without losing or inventing a record.
#include "tests/engine/JobModes.h"

#include <map>
#include <random>
#include <set>
#include <sstream>

namespace tolvane::test {
namespace {

const Mode kModes[] = {Mode::OneAtATime, Mode::Pipelined, Mode::Listings};

// Mails that an earlier server stamped with X-UIDL old-N; this server's ids are srv-N.
std::vector<FakeMessage> ForeignXUidl(int count) {
    std::vector<FakeMessage> messages;
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        messages.push_back(
            {"srv-" + n, MakeMessage({"Subject: mail " + n, "X-UIDL: old-" + n}, {"body " + n})});
    }
    return messages;
}

std::string TopReply(const FakeMessage& message) {
    return "+OK\r\n" + message.content + ".\r\n";
}

// A deletion of the mails whose ids are given, as the user marked them.
Job DeleteIds(std::set<std::string> ids) {
    return [ids](CAccount& account, RecordingHost& host) {
        std::vector<CMail*> marked;
        for (CMail* mail : AllMails(account)) {
            if (ids.count(mail->m_strUidl) != 0) {
                marked.push_back(mail);
            }
        }
        int last = 0;
        return account.DeleteMarked(marked, Sjis("T"), &host, last, false) ? last : -100;
    };
}

Prepare Records(std::vector<std::string> ids, bool newOnly, uint32_t received = 0) {
    return [=](CAccount& account, FakePop3Server&, RecordingHost& host) {
        account.m_bNewMailOnly = newOnly ? 1 : 0;
        host.SetDefaultAnswer(true);
        uint32_t number = 0;
        for (const std::string& id : ids) {
            account.m_mails.push_back(KnownMail(id, "mail " + id, ++number, received));
        }
    };
}

Prepare Then(Prepare first, std::function<void(FakePop3Server&)> script) {
    return [=](CAccount& account, FakePop3Server& server, RecordingHost& host) {
        first(account, server, host);
        script(server);
    };
}

using ServerReplies = JobModes;

TEST_F(ServerReplies, IdsAreTheServersOwnEvenWhereAnXUidlHeaderNamesAnother) {
    for (Mode mode : kModes) {
        SCOPED_TRACE(static_cast<int>(mode));
        const Outcome first = Run(mode, ForeignXUidl(3), Records({}, true), CheckJobOf);
        EXPECT_EQ(first.uidls, (Strings{"srv-1", "srv-2", "srv-3"}));
        EXPECT_EQ(first.states, (U32s{MAIL_NEW, MAIL_NEW, MAIL_NEW}));
        // The second check knows them all: nothing is new, nothing is fetched.
        const Outcome second = Run(mode, ForeignXUidl(3), Records(first.uidls, true), CheckJobOf);
        EXPECT_EQ(second.states, (U32s{MAIL_KNOWN, MAIL_KNOWN, MAIL_KNOWN}));
        EXPECT_EQ(Count(second.commands, "TOP"), 0u);
        // A verified deletion finds the marked mail by its id, and only it.
        const Outcome deleted =
            Run(mode, ForeignXUidl(3), Records(first.uidls, true), DeleteIds({"srv-2"}));
        EXPECT_EQ(deleted.remaining, (Strings{"srv-1", "srv-3"}));
        EXPECT_TRUE(deleted.questions.empty());
    }
}

// A store written when ids came from the header: the record is the same mail, keeps its
// state and first sighting, and is stored under the server's id from then on.
TEST_F(ServerReplies, RecordsStoredUnderTheHeadersIdAreTakenOver) {
    const Prepare prepare = Records({"old-1", "old-2"}, true, kRecently);
    const Outcome one = Run(Mode::OneAtATime, ForeignXUidl(3), prepare, CheckJobOf);
    EXPECT_EQ(one.uidls, (Strings{"srv-1", "srv-2", "srv-3"}));
    EXPECT_EQ(one.states, (U32s{MAIL_KNOWN, MAIL_KNOWN, MAIL_NEW}));
    EXPECT_EQ(one.received[0], kRecently);
    EXPECT_EQ(one.subjects[0], "mail old-1"); // the record itself, not a new copy
    ExpectSame(one, Run(Mode::Pipelined, ForeignXUidl(3), prepare, CheckJobOf));
    ExpectSame(one, Run(Mode::Listings, ForeignXUidl(3), prepare, CheckJobOf));
}

// Without UIDL the header's id is all there is (normal mode).
TEST_F(ServerReplies, WithoutUidlTheHeadersIdStandsIn) {
    const Prepare prepare = Then(Records({}, false), [](FakePop3Server& server) {
        server.Script("UIDL", FakeReply::Err("-ERR unknown command"), true);
    });
    for (Mode mode : kModes) {
        const Outcome out = Run(mode, ForeignXUidl(2), prepare, CheckJobOf);
        EXPECT_EQ(out.code, POP3_OK);
        EXPECT_EQ(out.uidls, (Strings{"old-1", "old-2"}));
    }
}

// The deletion sends DELE with the number the listing line states for the marked id,
// whatever the order or gaps of the lines.
TEST_F(ServerReplies, DeletionUsesTheNumberEachListingLineStates) {
    const std::vector<FakeMessage> mailbox = {PlainMessage("u1", "one"), PlainMessage("u2", "two"),
                                              PlainMessage("u3", "three")};
    for (const char* listing :
         {"+OK\r\n3 u3\r\n1 u1\r\n2 u2\r\n.\r\n", "+OK\r\n1 u1\r\n3 u3\r\n.\r\n"}) {
        for (Mode mode : {Mode::OneAtATime, Mode::Pipelined}) {
            const Prepare prepare =
                Then(Records({"u1", "u2", "u3"}, false), [listing](FakePop3Server& server) {
                    server.Script("UIDL", FakeReply::Text(listing));
                });
            const Outcome out = Run(mode, mailbox, prepare, DeleteIds({"u3"}));
            EXPECT_EQ(out.remaining, (Strings{"u1", "u2"})) << listing;
            EXPECT_EQ(Count(out.commands, "DELE 3"), 1u);
            EXPECT_EQ(Count(out.commands, "DELE"), 1u);
        }
    }
}

// Every reply that cannot belong to its command ends the account; the list stays as it
// was and nothing of the broken connection is kept. Where a mode never sends the command
// a fault is scripted for, the check simply gives the true list.
struct OutOfStep {
    const char* name;
    std::function<void(FakePop3Server&, const std::vector<FakeMessage>&)> script;
};

std::vector<OutOfStep> OutOfStepReplies() {
    using M = const std::vector<FakeMessage>&;
    auto text = [](const char* command, std::string reply) {
        return [=](FakePop3Server& server, M) { server.Script(command, FakeReply::Text(reply)); };
    };
    return {
        {"UidlNamesAnotherMail", text("UIDL 1", "+OK 2 u2\r\n")},
        {"UidlRepliesSwapped",
         [](FakePop3Server& server, M) {
             server.Script("UIDL 1", FakeReply::Text("+OK 2 u2\r\n"));
             server.Script("UIDL 2", FakeReply::Text("+OK 1 u1\r\n"));
         }},
        {"ListNamesAnotherMail", text("LIST 1", "+OK 2 119\r\n")},
        {"ListRepliedTwice", text("LIST 2", "+OK 2 119\r\n+OK 2 119\r\n")},
        {"TopRepliedTwice",
         [](FakePop3Server& server, M m) {
             server.Script("TOP 1", FakeReply::Text(TopReply(m[0]) + TopReply(m[0])));
         }},
        {"StrayLineAfterTop",
         [](FakePop3Server& server, M m) {
             server.Script("TOP 1", FakeReply::Text(TopReply(m[0]) + "+OK 2 119\r\n"));
         }},
        {"UidlRepliedTwice", text("UIDL 2", "+OK 2 u2\r\n+OK 2 u2\r\n")},
        {"ListingGap", text("UIDL", "+OK\r\n1 u1\r\n3 u3\r\n.\r\n")},
        {"ListingNumberTwice", text("UIDL", "+OK\r\n1 u1\r\n2 u2\r\n2 u3\r\n.\r\n")},
        {"ListingIdTwice", text("UIDL", "+OK\r\n1 u1\r\n2 u2\r\n3 u2\r\n.\r\n")},
        {"ListingBeyondStat", text("UIDL", "+OK\r\n1 u1\r\n2 u2\r\n3 u3\r\n4 u4\r\n.\r\n")},
        {"SizeListingGap", text("LIST", "+OK\r\n1 10\r\n2 20\r\n.\r\n")},
        {"SizeListingNotDigits", text("LIST", "+OK\r\n1 10\r\n2 x\r\n3 30\r\n.\r\n")},
    };
}

class OutOfStepTest : public ServerReplies, public ::testing::WithParamInterface<OutOfStep> {};

TEST_P(OutOfStepTest, FailsTheAccountOrGivesTheTrueList) {
    const std::vector<FakeMessage> mailbox = {PlainMessage("u1", "one"), PlainMessage("u2", "two"),
                                              PlainMessage("u3", "three")};
    for (bool newOnly : {false, true}) {
        const std::vector<std::string> before = newOnly ? Strings{"u0"} : Strings{"old"};
        const Outcome truth = Run(Mode::OneAtATime, mailbox, Records(before, newOnly), CheckJobOf);
        ASSERT_EQ(truth.code, POP3_OK);
        for (Mode mode : kModes) {
            SCOPED_TRACE(std::string(newOnly ? "new-only " : "normal ") +
                         std::to_string(static_cast<int>(mode)));
            const Prepare prepare = Then(Records(before, newOnly), [&](FakePop3Server& server) {
                GetParam().script(server, mailbox);
            });
            const Outcome out = Run(mode, mailbox, prepare, CheckJobOf);
            if (out.code == POP3_OK) {
                EXPECT_EQ(out.uidls, truth.uidls);
                EXPECT_EQ(out.subjects, truth.subjects);
                EXPECT_EQ(out.sizes, truth.sizes);
                EXPECT_EQ(out.bodies, truth.bodies);
            } else {
                EXPECT_EQ(out.uidls, before);
                EXPECT_EQ(out.log.back(), LOG_TEXT(txt::kLogoutFailed, "pop")); // closed
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, OutOfStepTest, ::testing::ValuesIn(OutOfStepReplies()),
                         [](const auto& testParam) { return std::string(testParam.param.name); });

// Listings the server may send in any shape: shuffled, with lines dropped, doubled or
// numbered beyond STAT. The check's list is the true one or the account fails; a deletion
// sends DELE only for a number whose listed id is a marked mail's.
TEST_F(ServerReplies, AnyListingGivesTheTrueListOrAFailureAndNeverAWrongDeletion) {
    const std::vector<FakeMessage> mailbox = Mailbox(6);
    const Outcome truth = Run(Mode::OneAtATime, mailbox, Records({"u2"}, true), CheckJobOf);
    std::mt19937 random(20261208);
    for (int round = 0; round < 24; ++round) {
        std::vector<std::string> lines;
        for (int n = 1; n <= 6; ++n) {
            lines.push_back(std::to_string(n) + " u" + std::to_string(n));
        }
        std::shuffle(lines.begin(), lines.end(), random);
        bool rebound = false; // ids bound to other numbers: what this server says, not truth
        switch (random() % 5) {
        case 0:
            lines.erase(lines.begin() + static_cast<long>(random() % lines.size()));
            break;
        case 1:
            lines.push_back(lines[random() % lines.size()]);
            break;
        case 2:
            lines[random() % lines.size()].replace(0, 1, "7");
            break;
        case 3:
            std::swap(lines[0][0], lines[1][0]);
            rebound = true;
            break;
        default:
            break;
        }
        std::string listing = "+OK\r\n";
        std::map<std::string, std::string> stated; // number -> id, as the lines say
        for (const std::string& line : lines) {
            listing += line + "\r\n";
            std::istringstream words(line);
            std::string number, id;
            words >> number >> id;
            stated[number] = id;
        }
        listing += ".\r\n";
        const auto script = [listing](FakePop3Server& server) {
            server.Script("UIDL", FakeReply::Text(listing), true);
        };
        for (Mode mode : kModes) {
            SCOPED_TRACE(listing);
            const Outcome check =
                Run(mode, mailbox, Then(Records({"u2"}, true), script), CheckJobOf);
            if (check.code != POP3_OK) {
                EXPECT_EQ(check.uidls, Strings{"u2"});
            } else if (!rebound) {
                EXPECT_EQ(check.uidls, truth.uidls);
                EXPECT_EQ(check.subjects, truth.subjects);
            }
            const Outcome deletion = Run(mode, mailbox, Then(Records({"u2", "u5"}, false), script),
                                         DeleteIds({"u2", "u5"}));
            for (const std::string& command : deletion.commands) {
                if (command.rfind("DELE ", 0) == 0) {
                    const std::string id = stated[command.substr(5)];
                    EXPECT_TRUE(id == "u2" || id == "u5") << command;
                }
            }
        }
    }
}

// A listing that comes after its time-out is never read as the next command's reply.
TEST_F(ServerReplies, AReplyAfterItsTimeOutClosesTheConnection) {
    for (Mode mode : kModes) {
        const Outcome out = Run(mode, Mailbox(3), Records({"old"}, false), CheckJobOf,
                                mode == Mode::OneAtATime ? "UIDL 1" : "UIDL");
        EXPECT_EQ(out.code, POP3_TIMEOUT);
        EXPECT_EQ(out.uidls, Strings{"old"});
        EXPECT_EQ(out.commands.back().rfind("UIDL", 0), 0u); // nothing sent after it
    }
}

// A failed or cancelled check leaves the list as it was: no half-made record, none lost.
TEST_F(ServerReplies, AFailedOrCancelledCheckKeepsWhatWasKnown) {
    for (bool newOnly : {false, true}) {
        for (Mode mode : kModes) {
            const Prepare known = Records({"u1", "u2", "gone"}, newOnly, kRecently);
            // The reply to a new mail's TOP never comes.
            const Outcome silent = Run(mode, Mailbox(30), known, CheckJobOf, "TOP 5");
            EXPECT_NE(silent.code, POP3_OK);
            EXPECT_EQ(silent.uidls, (Strings{"u1", "u2", "gone"}));
            EXPECT_EQ(silent.states, (U32s{MAIL_KNOWN, MAIL_KNOWN, MAIL_KNOWN}));
            EXPECT_EQ(silent.received, (U32s{kRecently, kRecently, kRecently}));
            // Cancelled while mail 5 is due.
            const Prepare cancelling = [&](CAccount& account, FakePop3Server& server,
                                           RecordingHost& host) {
                known(account, server, host);
                host.OnTitle([target = &account](const std::string& title) {
                    if (title.find("受信確認中 5／") != std::string::npos) {
                        target->m_socket.RequestCancel(1);
                    }
                });
            };
            const Outcome cancelled = Run(mode, Mailbox(30), cancelling, CheckJobOf);
            EXPECT_EQ(cancelled.code, POP3_CANCELLED);
            EXPECT_EQ(cancelled.uidls, (Strings{"u1", "u2", "gone"}));
            EXPECT_EQ(cancelled.store, silent.store);
        }
    }
}

// The reload asks the listing for each mail's number now and fills in what comes back for
// that id; a mail no longer listed is said to be missing and keeps its body.
TEST_F(ServerReplies, ReloadFetchesEachMailByItsNumberNow) {
    const Prepare prepare = [](CAccount& account, FakePop3Server&, RecordingHost&) {
        account.m_mails.push_back(KnownMail("u3", "three", 1)); // numbers of an older check
        account.m_mails.push_back(KnownMail("gone", "gone", 2));
        account.m_mails.push_back(KnownMail("u1", "one", 3));
    };
    const Job reload = [](CAccount& account, RecordingHost& host) {
        return account.ReloadMails(AllMails(account), 1, Sjis("T"), &host) ? 0 : -100;
    };
    const Outcome one = Run(Mode::OneAtATime, Mailbox(3), prepare, reload);
    EXPECT_EQ(one.bodies, (Strings{"line 1 of u3", "old body", "line 1 of u1"}));
    EXPECT_EQ(Count(one.log, LOG_TEXT(txt::kReloadNotFound, "pop", "gone")), 1u);
    const Outcome pipelined = Run(Mode::Pipelined, Mailbox(3), prepare, reload);
    ExpectSame(one, pipelined);
    EXPECT_EQ(pipelined.commands,
              (Strings{"UIDL", "CAPA", "TOP 3 1", "TOP 1 1", "UIDL 1", "QUIT"}));
    // Replies out of step in a pipelined run put every body back.
    const Prepare doubled = [&](CAccount& account, FakePop3Server& server, RecordingHost& host) {
        prepare(account, server, host);
        server.Script("TOP 3", FakeReply::Text(TopReply(Mailbox(3)[2]) + TopReply(Mailbox(3)[2])));
    };
    const Outcome broken = Run(Mode::Pipelined, Mailbox(3), doubled, reload);
    EXPECT_EQ(broken.code, -100);
    EXPECT_EQ(broken.bodies, (Strings{"old body", "old body", "old body"}));
}

// Control characters of a subject never reach a log text raw.
TEST_F(ServerReplies, ControlCharactersOfASubjectAreReplacedInTheLog) {
    const Prepare prepare = [](CAccount& account, FakePop3Server&, RecordingHost&) {
        account.m_mails.push_back(KnownMail("u1", "a\nforged line\r\n\x1b[2J\x07", 1));
    };
    const Outcome out = Run(Mode::OneAtATime, Mailbox(1), prepare, DeleteIds({"u1"}));
    EXPECT_EQ(Count(out.log, LOG_TEXT(txt::kDeleted, "pop", "a?forged line???[2J?")), 1u);
    for (const std::string& text : out.log) {
        EXPECT_EQ(text.find_first_of("\x1b\x07"), std::string::npos);
        const size_t end = text.find_last_not_of("\r\n") + 1; // the text's own line ends
        EXPECT_EQ(text.find_first_of("\r\n"), end) << text;
    }
}

} // namespace
} // namespace tolvane::test
