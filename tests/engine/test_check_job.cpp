// The check job against the fake server: the dialogue, the log texts in order, the
// progress texts, the list it leaves in both modes, failures, cancel and expiry marking.
#include "tests/engine/AccountJobTest.h"

#include <algorithm>

namespace tolvane::test {
namespace {

class CheckJob : public AccountJobTest {
protected:
    CheckJob() : clock(LocalTime(2001, 11, 20, 15, 0)) {}
    ScopedTimeZone zone{"Asia/Tokyo"};
    SettableClock clock;
    const uint32_t kRecently = static_cast<uint32_t>(LocalTime(2001, 11, 20, 9, 0));
};

TEST_F(CheckJob, NewOnlyFetchesExactlyTheNewMailsAndLogsInOrder) {
    server.SetMessages({PlainMessage("u1", "one"), PlainMessage("u2", "two"),
                        PlainMessage("u3", "three"), PlainMessage("u4", "four", true),
                        PlainMessage("u5", "five")});
    account->m_bNewMailOnly = 1;
    account->m_bLimitDelete = 1;
    account->m_nReceiveCount = 1;
    Add(KnownMail("u1", "one", 1, kRecently));
    Add(KnownMail("u2", "two", 2, kRecently));
    Add(KnownMail("u3", "three", 3, kRecently));

    Check();

    EXPECT_EQ(checkCode, POP3_OK);
    EXPECT_EQ(log.Texts(),
              (Strings{LOG_TEXT(txt::kConnecting, "pop"), LOG_TEXT(txt::kConnected, "pop"),
                       LOG_TEXT(txt::kMailsWaiting, "pop", 5u), LOG_TEXT(txt::kNewMails, "pop", 2u),
                       LOG_TEXT(txt::kReading, "pop"), LOG_TEXT(txt::kNoExpired, "pop"),
                       LOG_TEXT(txt::kLoggedOut, "pop")}));
    // Message 4's X-UIDL header does not stand in for the server's id.
    EXPECT_EQ(JobCommands(), (Strings{"STAT", "UIDL", "TOP 4 1", "LIST 4", "UIDL 4", "TOP 5 1",
                                      "LIST 5", "UIDL 5", "QUIT"}));
    EXPECT_EQ(Uidls(*account), (Strings{"u1", "u2", "u3", "u4", "u5"}));
    EXPECT_EQ(States(*account), (U32s{MAIL_KNOWN, MAIL_KNOWN, MAIL_KNOWN, MAIL_NEW, MAIL_NEW}));
    EXPECT_EQ(Numbers(*account), (U32s{1u, 2u, 3u, 4u, 5u}));
    const CMail& fifth = *account->m_mails[4];
    EXPECT_EQ(fifth.m_strSubject, "five");
    EXPECT_EQ(fifth.m_strFrom, "sender@example.com");
    EXPECT_EQ(fifth.m_strDate, "2001/11/20 14:58:44");
    EXPECT_EQ(fifth.m_strBody, "line 1");
    EXPECT_EQ(fifth.m_strAccount, "pop");
    EXPECT_EQ(fifth.m_strSize, std::to_string(server.Messages()[4].content.size()));
    EXPECT_EQ(fifth.m_timeReceived, static_cast<uint32_t>(clock.Now()));
    EXPECT_EQ(account->m_mails[0]->m_timeReceived, kRecently); // first sighting kept
    EXPECT_EQ(
        host.Titles(),
        (Strings{"トルヴェイン（popの受信確認中 1／5）", "トルヴェイン（popの受信確認中 2／5）",
                 "トルヴェイン（popの受信確認中 3／5）", "トルヴェイン（popの受信確認中 4／5）",
                 "トルヴェイン（popの受信確認中 5／5）"}));
}

TEST_F(CheckJob, NormalModeRebuildsTheListFromEveryMessage) {
    server.SetMessages({PlainMessage("u1", "one"), PlainMessage("u2", "two")});
    Add(KnownMail("old", "old", 1));

    Check();

    EXPECT_EQ(JobCommands(), (Strings{"STAT", "TOP 1 10", "LIST 1", "UIDL 1", "TOP 2 10", "LIST 2",
                                      "UIDL 2", "QUIT"}));
    EXPECT_EQ(JobLog(),
              (Strings{LOG_TEXT(txt::kMailsWaiting, "pop", 2u), LOG_TEXT(txt::kReading, "pop")}));
    EXPECT_EQ(Uidls(*account), (Strings{"u1", "u2"}));
    EXPECT_EQ(States(*account), (U32s{MAIL_KNOWN, MAIL_KNOWN}));
    EXPECT_EQ(Numbers(*account), (U32s{1u, 2u}));
    EXPECT_EQ(account->m_mails[1]->m_strBody, "line 1\r\nline 2");
}

TEST_F(CheckJob, EmptyMailboxDropsEveryFormerRecord) {
    account->m_bNewMailOnly = 1;
    Add(KnownMail("u1", "one", 1));
    Add(KnownMail("u2", "two", 2));

    Check();

    EXPECT_EQ(JobCommands(), (Strings{"STAT", "UIDL", "QUIT"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kNoMail, "pop")}));
    EXPECT_TRUE(account->m_mails.empty());
    EXPECT_TRUE(host.Titles().empty());
}

TEST_F(CheckJob, AllIdsKnownSendsNoTopButCountsProgress) {
    server.SetMessages(
        {PlainMessage("u1", "one"), PlainMessage("u2", "two"), PlainMessage("u3", "three")});
    account->m_bNewMailOnly = 1;
    Add(KnownMail("u1", "one", 1));
    Add(KnownMail("u2", "two", 2));
    Add(KnownMail("u3", "three", 3));

    Check();

    EXPECT_EQ(JobCommands(), (Strings{"STAT", "UIDL", "QUIT"}));
    EXPECT_EQ(JobLog(),
              (Strings{LOG_TEXT(txt::kMailsWaiting, "pop", 3u), LOG_TEXT(txt::kNoNewMail, "pop")}));
    EXPECT_EQ(host.Titles(), (Strings{"トルヴェイン（popの受信確認中 1／3）",
                                      "トルヴェイン（popの受信確認中 2／3）",
                                      "トルヴェイン（popの受信確認中 3／3）"}));
    EXPECT_EQ(States(*account), (U32s{MAIL_KNOWN, MAIL_KNOWN, MAIL_KNOWN}));
}

TEST_F(CheckJob, NewMailAfterTwoKnownIsAppendedAsThird) {
    server.SetMessages(
        {PlainMessage("u1", "one"), PlainMessage("u2", "two"), PlainMessage("u3", "three")});
    account->m_bNewMailOnly = 1;
    Add(KnownMail("u1", "one", 1));
    Add(KnownMail("gone", "gone", 2));
    Add(KnownMail("u2", "two", 3));

    Check();

    EXPECT_EQ(JobCommands(), (Strings{"STAT", "UIDL", "TOP 3 10", "LIST 3", "UIDL 3", "QUIT"}));
    EXPECT_EQ(Uidls(*account), (Strings{"u1", "u2", "u3"}));
    EXPECT_EQ(States(*account), (U32s{MAIL_KNOWN, MAIL_KNOWN, MAIL_NEW}));
    EXPECT_EQ(Numbers(*account), (U32s{1u, 2u, 3u}));
}

TEST_F(CheckJob, RecordWithoutIdEndsTheMatchingAndEverythingIsFetchedAgain) {
    server.SetMessages({PlainMessage("A", "a"), PlainMessage("B", "b")});
    account->m_bNewMailOnly = 1;
    Add(KnownMail("A", "a", 1));
    Add(KnownMail("", "no id", 2));

    Check();

    EXPECT_EQ(
        JobLog(),
        (Strings{LOG_TEXT(txt::kNewOnlyUnsupported, "pop"), LOG_TEXT(txt::kMailsWaiting, "pop", 2u),
                 LOG_TEXT(txt::kNewMails, "pop", 2u), LOG_TEXT(txt::kReading, "pop")}));
    // A matched before the id-less record: it is fetched again, and not listed twice.
    EXPECT_EQ(Uidls(*account), (Strings{"A", "B"}));
    EXPECT_EQ(States(*account), (U32s{MAIL_NEW, MAIL_NEW}));
}

TEST_F(CheckJob, UidlListingFailureLeavesTheListAlone) {
    server.SetMessages({PlainMessage("u1", "one")});
    server.Script("UIDL", FakeReply::Err("-ERR no UIDL"));
    account->m_bNewMailOnly = 1;
    account->m_bLimitDelete = 1;
    Add(KnownMail("u1", "one", 1, 0, MAIL_NEW));

    Check();

    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kReceiveFailed, "pop")}));
    EXPECT_EQ(checkCode, POP3_NEGATIVE);
    EXPECT_EQ(States(*account), (U32s{MAIL_NEW}));
}

TEST_F(CheckJob, StatFailureEndsTheJob) {
    server.Script("STAT", FakeReply::Err());
    Add(KnownMail("old", "old", 1));
    Check();
    EXPECT_EQ(JobCommands(), (Strings{"STAT", "QUIT"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kReceiveFailed, "pop")}));
    EXPECT_EQ(checkCode, POP3_NEGATIVE);
    EXPECT_EQ(Uidls(*account), Strings{"old"}); // what was known stays
}

// A positive STAT reply that holds no believable count is a receive failure, never "no mail".
class UnusableStat : public CheckJob, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnusableStat, IsAReceiveFailure) {
    server.Script("STAT", FakeReply::Text(GetParam()));
    Check();
    EXPECT_EQ(JobCommands(), (Strings{"STAT", "QUIT"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kReceiveFailed, "pop")}));
    EXPECT_NE(checkCode, POP3_OK);
}

INSTANTIATE_TEST_SUITE_P(Replies, UnusableStat,
                         ::testing::Values("+OK 4000000000 10\r\n", "+OK abc\r\n", "+OK\t3 0\r\n",
                                           "+OK\r\n"));

// Failures while fetching: a table of where it fails, in which mode, and what is left.
struct FetchFailure {
    const char* name;
    const char* pattern; // the command that fails
    bool cancel;         // cancel on its arrival instead of a -ERR
    int32_t newOnly;
    std::vector<std::string> commands; // after UIDL (new-only) or STAT
    std::vector<std::string> uidls;    // the list afterwards
    std::vector<const char*> log;      // the job's texts after the reading text (%s: name)
};

class FetchFailures : public CheckJob, public ::testing::WithParamInterface<FetchFailure> {};

TEST_P(FetchFailures, LeaveTheListAsDecided) {
    const FetchFailure& c = GetParam();
    // u1 and u2 are known; "gone" is no longer on the server; u3 and u4 are new.
    server.SetMessages({PlainMessage("u1", "one"), PlainMessage("u2", "two"),
                        PlainMessage("u3", "three"), PlainMessage("u4", "four")});
    account->m_bNewMailOnly = c.newOnly;
    account->m_bLimitDelete = c.newOnly;
    account->m_socket.m_nTimeout = 2;
    if (c.newOnly) {
        Add(KnownMail("u1", "one", 1, kRecently));
        Add(KnownMail("gone", "gone", 2, kRecently));
        Add(KnownMail("u2", "two", 3, kRecently));
    }
    if (c.cancel) {
        server.Script(c.pattern, FakeReply::Silence());
        const std::string pattern = c.pattern;
        CAccount* target = account.get();
        server.OnCommand([pattern, target](const std::string& line) {
            if (line == pattern) {
                target->m_socket.RequestCancel(1);
            }
        });
    } else {
        server.Script(c.pattern, FakeReply::Err("-ERR broken"));
    }

    Check();

    std::vector<std::string> commands = JobCommands();
    commands.erase(commands.begin(), commands.begin() + (c.newOnly ? 2 : 1));
    if (!commands.empty() && commands.back() == "QUIT") {
        commands.pop_back(); // a silent server never answers it
    }
    EXPECT_EQ(commands, c.commands);
    EXPECT_EQ(checkCode == POP3_CANCELLED, c.cancel);
    EXPECT_EQ(Uidls(*account), c.uidls);
    std::vector<std::string> texts = JobLog();
    const auto reading = std::find(texts.begin(), texts.end(), LOG_TEXT(txt::kReading, "pop"));
    ASSERT_NE(reading, texts.end());
    texts.erase(texts.begin(), reading + 1);
    std::vector<std::string> expected;
    for (const char* text : c.log) {
        std::string utf8 = text;
        utf8.replace(utf8.find("%s"), 2, "pop");
        expected.push_back(utf8);
    }
    EXPECT_EQ(texts, expected);
    for (size_t i = 0; i < account->m_mails.size(); ++i) {
        EXPECT_EQ(account->m_mails[i]->m_nNumber, i + 1);
    }
}

const char* const kStop = txt::kStopCheck;
const char* const kFailed = txt::kReceiveFailed;

INSTANTIATE_TEST_SUITE_P(
    CheckJob, FetchFailures,
    ::testing::Values(
        // A new-only list stays as it was: no record of the broken run, none lost.
        FetchFailure{"NewOnlyTop",
                     "TOP 4",
                     false,
                     1,
                     {"TOP 3 10", "LIST 3", "UIDL 3", "TOP 4 10"},
                     {"u1", "gone", "u2"},
                     {kFailed}},
        FetchFailure{"NewOnlyList",
                     "LIST 3",
                     false,
                     1,
                     {"TOP 3 10", "LIST 3"},
                     {"u1", "gone", "u2"},
                     {kFailed}},
        // The listing named u3's id: a refused UIDL 3 contradicts it.
        FetchFailure{"NewOnlyUidl",
                     "UIDL 3",
                     false,
                     1,
                     {"TOP 3 10", "LIST 3", "UIDL 3"},
                     {"u1", "gone", "u2"},
                     {kFailed}},
        FetchFailure{"NewOnlyCancelTop",
                     "TOP 4 10",
                     true,
                     1,
                     {"TOP 3 10", "LIST 3", "UIDL 3", "TOP 4 10"},
                     {"u1", "gone", "u2"},
                     {kStop}},
        FetchFailure{"NewOnlyCancelList",
                     "LIST 3",
                     true,
                     1,
                     {"TOP 3 10", "LIST 3"},
                     {"u1", "gone", "u2"},
                     {kStop}},
        FetchFailure{"NewOnlyCancelUidl",
                     "UIDL 3",
                     true,
                     1,
                     {"TOP 3 10", "LIST 3", "UIDL 3"},
                     {"u1", "gone", "u2"},
                     {kStop}},
        FetchFailure{"NormalTop",
                     "TOP 2",
                     false,
                     0,
                     {"TOP 1 10", "LIST 1", "UIDL 1", "TOP 2 10"},
                     {},
                     {kFailed}},
        FetchFailure{"NormalList",
                     "LIST 2",
                     false,
                     0,
                     {"TOP 1 10", "LIST 1", "UIDL 1", "TOP 2 10", "LIST 2"},
                     {},
                     {kFailed}},
        FetchFailure{"NormalCancelTop",
                     "TOP 2 10",
                     true,
                     0,
                     {"TOP 1 10", "LIST 1", "UIDL 1", "TOP 2 10"},
                     {},
                     {kStop}}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

// Expiry marking: first seen on 20 November at 15:00 (or 23:59, or 00:00) with 5 days is
// due from 25 November 00:00 local time.
struct ExpiryCase {
    const char* name;
    int receivedHour, receivedMinute;
    int nowDay, nowHour, nowMinute, nowSecond;
    uint32_t state;
};

class ExpiryMarking : public CheckJob, public ::testing::WithParamInterface<ExpiryCase> {};

TEST_P(ExpiryMarking, CountsFromLocalMidnightOfTheReceiptDay) {
    const ExpiryCase& c = GetParam();
    server.SetMessages({PlainMessage("u1", "one")});
    account->m_bNewMailOnly = 1;
    account->m_bLimitDelete = 1;
    account->m_nLimitDays = 5;
    Add(KnownMail(
        "u1", "one", 1,
        static_cast<uint32_t>(LocalTime(2001, 11, 20, c.receivedHour, c.receivedMinute))));
    clock.Set(LocalTime(2001, 11, c.nowDay, c.nowHour, c.nowMinute, c.nowSecond));
    Connect();
    std::vector<unsigned> selection;
    int nNew = -1;
    EXPECT_EQ(account->SelectMessages(1, selection, nNew), POP3_OK);
    account->Logout();
    EXPECT_EQ(selection, (std::vector<unsigned>{0u}));
    EXPECT_EQ(nNew, 0);
    EXPECT_EQ(States(*account), (U32s{c.state}));
}

INSTANTIATE_TEST_SUITE_P(
    CheckJob, ExpiryMarking,
    ::testing::Values(ExpiryCase{"JustBefore", 15, 0, 24, 23, 59, 59, MAIL_KNOWN},
                      ExpiryCase{"AtMidnight", 15, 0, 25, 0, 0, 0, MAIL_EXPIRED},
                      ExpiryCase{"SeenAt2359", 23, 59, 25, 0, 0, 0, MAIL_EXPIRED},
                      ExpiryCase{"SeenAt2359JustBefore", 23, 59, 24, 23, 59, 59, MAIL_KNOWN},
                      ExpiryCase{"SeenAt0000", 0, 0, 25, 0, 0, 0, MAIL_EXPIRED}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST_F(CheckJob, ExpiryFollowsTheDaylightSavingOfTheReceiptDate) {
    ScopedTimeZone berlin("Europe/Berlin");
    // Seen on 26 March 2021 (winter time); summer time starts on the 28th. Local
    // midnight of the 26th plus 5 x 86400 s is 31 March 01:00 summer time.
    server.SetMessages({PlainMessage("u1", "one")});
    account->m_bNewMailOnly = 1;
    account->m_bLimitDelete = 1;
    Add(KnownMail("u1", "one", 1, static_cast<uint32_t>(LocalTime(2021, 3, 26, 15, 0))));
    std::vector<unsigned> selection;
    int nNew = 0;
    Connect();
    clock.Set(LocalTime(2021, 3, 31, 0, 59, 59));
    EXPECT_EQ(account->SelectMessages(1, selection, nNew), POP3_OK);
    EXPECT_EQ(States(*account), (U32s{MAIL_KNOWN}));
    clock.Set(LocalTime(2021, 3, 31, 1, 0, 0));
    EXPECT_EQ(account->SelectMessages(1, selection, nNew), POP3_OK);
    EXPECT_EQ(States(*account), (U32s{MAIL_EXPIRED}));
    account->Logout();
}

TEST_F(CheckJob, ZeroLinesGiveAnEmptyBody) {
    server.SetMessages({PlainMessage("u1", "one")});
    account->m_nReceiveCount = 0;
    Check();
    EXPECT_EQ(JobCommands(), (Strings{"STAT", "TOP 1 0", "LIST 1", "UIDL 1", "QUIT"}));
    ASSERT_EQ(account->m_mails.size(), 1u);
    EXPECT_EQ(account->m_mails[0]->m_strBody, "");
    EXPECT_EQ(account->m_mails[0]->m_strSubject, "one");
}

TEST_F(CheckJob, WithoutAWindowNoProgressIsShown) {
    server.SetMessages({PlainMessage("u1", "one")});
    Connect();
    account->CheckMail(Sjis("x"), nullptr);
    account->Logout();
    EXPECT_EQ(account->m_mails.size(), 1u);
    EXPECT_TRUE(host.Titles().empty());
}

} // namespace
} // namespace tolvane::test
