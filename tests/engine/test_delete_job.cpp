// The deletion job against the fake server: verified and simple deletion, the question,
// RSET after a failure or a cancel, and the automatic deletion of expired mails.
#include "tests/engine/AccountJobTest.h"

namespace tolvane::test {
namespace {

class DeleteJob : public AccountJobTest {
protected:
    // Three records s1..s3 (ids u1..u3, numbers 1..3) as the last check left them.
    void ThreeRecords() {
        Add(KnownMail("u1", "s1", 1));
        Add(KnownMail("u2", "s2", 2));
        Add(KnownMail("u3", "s3", 3));
    }
    bool DeleteAll(bool& result, int& last) {
        Connect();
        result = account->DeleteMarked(AllMails(*account), Sjis("T"), &host, last, false);
        return account->Logout();
    }
    Strings RemainingUidls() const {
        Strings uidls;
        for (const auto& message : server.Messages()) {
            uidls.push_back(message.uidl);
        }
        return uidls;
    }
};

TEST_F(DeleteJob, OneMailGoneAsksThenReportsItNotFound) {
    server.SetMessages({PlainMessage("u1", "s1"), PlainMessage("u3", "s3")});
    ThreeRecords();
    bool result = false;
    int last = -9;
    EXPECT_TRUE(DeleteAll(result, last));

    EXPECT_TRUE(result);
    EXPECT_EQ(last, POP3_OK);
    EXPECT_EQ(host.Questions(), (Strings{Cp932ToUtf8(SjisFormat(txt::kAskContentChanged, "pop"))}));
    EXPECT_EQ(JobCommands(), (Strings{"UIDL", "DELE 1", "DELE 2", "QUIT"}));
    EXPECT_EQ(
        JobLog(),
        (Strings{LOG_TEXT(txt::kDeleted, "pop", "s1"), LOG_TEXT(txt::kNotFound, "pop", "s2"),
                 LOG_TEXT(txt::kDeleted, "pop", "s3"), LOG_TEXT(txt::kDeletedCount, "pop", 2u)}));
    EXPECT_EQ(host.Titles(), (Strings{"T（popの削除処理中 1／3）", "T（popの削除処理中 2／3）",
                                      "T（popの削除処理中 3／3）"}));
    EXPECT_TRUE(RemainingUidls().empty());
    EXPECT_EQ(account->m_mails.size(), 3u); // the next check rebuilds the list
}

TEST_F(DeleteJob, DeclinedQuestionDeletesNothing) {
    server.SetMessages({PlainMessage("u1", "s1"), PlainMessage("u3", "s3")});
    ThreeRecords();
    host.QueueAnswer(false);
    bool result = false;
    int last = -9;
    EXPECT_TRUE(DeleteAll(result, last));
    EXPECT_TRUE(result);
    EXPECT_EQ(JobCommands(), (Strings{"UIDL", "QUIT"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kDeleteDeclined, "pop")}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u1", "u3"}));
}

TEST_F(DeleteJob, WithoutAWindowTheQuestionCountsAsDeclined) {
    server.SetMessages({PlainMessage("u1", "s1")});
    ThreeRecords();
    Connect();
    int last = 0;
    EXPECT_TRUE(account->DeleteMarked(AllMails(*account), "", nullptr, last, false));
    account->Logout();
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kDeleteDeclined, "pop")}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u1"}));
}

TEST_F(DeleteJob, NewMailOnTheServerAsksEvenWhenAllAreFound) {
    server.SetMessages({PlainMessage("u1", "s1"), PlainMessage("u2", "s2"),
                        PlainMessage("u3", "s3"), PlainMessage("u4", "new")});
    ThreeRecords();
    Connect();
    int last = 0;
    std::vector<CMail*> marked = {account->m_mails[1].get()};
    EXPECT_TRUE(account->DeleteMarked(marked, "", &host, last, false));
    account->Logout();
    EXPECT_EQ(host.Questions().size(), 1u);
    EXPECT_EQ(JobCommands(), (Strings{"UIDL", "DELE 2", "QUIT"}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u1", "u3", "u4"}));
}

TEST_F(DeleteJob, UnchangedServerIsNotAsked) {
    server.SetMessages(
        {PlainMessage("u1", "s1"), PlainMessage("u2", "s2"), PlainMessage("u3", "s3")});
    ThreeRecords();
    Connect();
    int last = 0;
    std::vector<CMail*> marked = {account->m_mails[2].get()};
    EXPECT_TRUE(account->DeleteMarked(marked, "", &host, last, false));
    account->Logout();
    EXPECT_TRUE(host.Questions().empty());
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kDeleted, "pop", "s3"),
                                 LOG_TEXT(txt::kDeletedCount, "pop", 1u)}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u1", "u2"}));
}

TEST_F(DeleteJob, EmptyIdNeverMatchesAListedOne) {
    server.SetMessages({PlainMessage("u1", "s1")});
    Add(KnownMail("", "no id", 1));
    Connect();
    int last = 0;
    EXPECT_TRUE(account->DeleteMarked(AllMails(*account), "", &host, last, true));
    account->Logout();
    EXPECT_EQ(JobCommands(), (Strings{"UIDL", "QUIT"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kNotFound, "pop", "no id")}));
}

// A listing line without an id cannot be read by its number: nothing is deleted, and the
// connection ends without QUIT.
TEST_F(DeleteJob, MalformedListingDeletesNothing) {
    server.SetMessages({PlainMessage("u1", "s1")});
    server.Script("UIDL", FakeReply::Text("+OK\r\n1\r\n.\r\n"));
    Add(KnownMail("u1", "s1", 1));
    Connect();
    int last = 0;
    EXPECT_FALSE(account->DeleteMarked(AllMails(*account), "", &host, last, true));
    account->Logout();
    EXPECT_EQ(JobCommands(), (Strings{"UIDL"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kDeleteInfoFailed, "pop", "pop")}));
    EXPECT_EQ(server.Messages().size(), 1u);
}

TEST_F(DeleteJob, ListingFailureEndsWithFalse) {
    server.SetMessages({PlainMessage("u1", "s1")});
    server.Script("UIDL", FakeReply::Err());
    ThreeRecords();
    bool result = true;
    int last = 0;
    DeleteAll(result, last);
    EXPECT_FALSE(result);
    EXPECT_EQ(last, POP3_NEGATIVE);
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kDeleteListFailed, "pop", "pop")}));
}

TEST_F(DeleteJob, RefusedDeleSendsRsetAndEndsWithFalse) {
    server.SetMessages(
        {PlainMessage("u1", "s1"), PlainMessage("u2", "s2"), PlainMessage("u3", "s3")});
    server.Script("DELE 2", FakeReply::Err());
    ThreeRecords();
    bool result = true;
    int last = 0;
    DeleteAll(result, last);
    EXPECT_FALSE(result);
    EXPECT_EQ(last, POP3_NEGATIVE);
    EXPECT_EQ(JobCommands(), (Strings{"UIDL", "DELE 1", "DELE 2", "RSET", "QUIT"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kDeleted, "pop", "s1"),
                                 LOG_TEXT(txt::kDeleteFailed, "pop", "s2")}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u1", "u2", "u3"}));
}

TEST_F(DeleteJob, CancelDuringTheSecondDeleRestoresEverything) {
    server.SetMessages(
        {PlainMessage("u1", "s1"), PlainMessage("u2", "s2"), PlainMessage("u3", "s3")});
    ThreeRecords();
    CAccount* target = account.get();
    server.OnCommand([target](const std::string& line) {
        if (line == "DELE 2") {
            target->m_socket.RequestCancel(1);
        }
    });
    bool result = false;
    int last = 0;
    DeleteAll(result, last);
    ASSERT_TRUE(server.WaitForCommand("QUIT", std::chrono::seconds(10)));

    EXPECT_TRUE(result);
    EXPECT_EQ(last, POP3_CANCELLED);
    EXPECT_EQ(JobCommands(), (Strings{"UIDL", "DELE 1", "DELE 2", "RSET", "QUIT"}));
    EXPECT_EQ(JobLog(),
              (Strings{LOG_TEXT(txt::kDeleted, "pop", "s1"), LOG_TEXT(txt::kStopDelete, "pop"),
                       LOG_TEXT(txt::kRestoring, "pop")}));
    // A fresh session sees every mail: the RSET came before the QUIT.
    Connect();
    std::string reply;
    EXPECT_EQ(account->m_socket.CmdStat(reply), POP3_OK);
    EXPECT_EQ(CAccount::ParseCount(reply), 3);
    account->Logout();
    EXPECT_EQ(RemainingUidls(), (Strings{"u1", "u2", "u3"}));
}

TEST_F(DeleteJob, SimpleModeDeletesByStoredNumbers) {
    server.SetMessages(
        {PlainMessage("u1", "s1"), PlainMessage("u2", "s2"), PlainMessage("u3", "s3")});
    ThreeRecords();
    Connect();
    int last = -9;
    std::vector<CMail*> marked = {account->m_mails[0].get(), account->m_mails[2].get()};
    EXPECT_TRUE(account->SimpleDeleteMails(marked, Sjis("T"), &host, last));
    account->Logout();
    EXPECT_EQ(last, POP3_OK);
    EXPECT_EQ(JobCommands(), (Strings{"DELE 1", "DELE 3", "QUIT"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kSimpleDeleting, "pop"),
                                 LOG_TEXT(txt::kSimpleDeleted, "pop", 2u)}));
    EXPECT_EQ(host.Titles(), (Strings{"T（popの削除処理中 1／2）", "T（popの削除処理中 2／2）"}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u2"}));
}

TEST_F(DeleteJob, SimpleModeRefusedDeleReportsChangedContent) {
    server.SetMessages({PlainMessage("u1", "s1"), PlainMessage("u2", "s2")});
    ThreeRecords();
    Connect();
    int last = 0;
    // Message 3 no longer exists: the server refuses its DELE.
    EXPECT_FALSE(account->SimpleDeleteMails(AllMails(*account), "", &host, last));
    account->Logout();
    EXPECT_EQ(last, POP3_NEGATIVE);
    EXPECT_EQ(JobCommands(), (Strings{"DELE 1", "DELE 2", "DELE 3", "RSET", "QUIT"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kSimpleDeleting, "pop"),
                                 LOG_TEXT(txt::kSimpleContentChanged, "pop")}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u1", "u2"}));
}

TEST_F(DeleteJob, SimpleModeCancelRestores) {
    server.SetMessages({PlainMessage("u1", "s1"), PlainMessage("u2", "s2")});
    ThreeRecords();
    CAccount* target = account.get();
    server.OnCommand([target](const std::string& line) {
        if (line == "DELE 1") {
            target->m_socket.RequestCancel(1);
        }
    });
    Connect();
    int last = 0;
    EXPECT_TRUE(account->SimpleDeleteMails(AllMails(*account), "", &host, last));
    account->Logout();
    // QUIT may have been answered by the bytes of an earlier reply still pending.
    ASSERT_TRUE(server.WaitForCommand("QUIT", std::chrono::seconds(10)));
    EXPECT_EQ(last, POP3_CANCELLED);
    EXPECT_EQ(JobCommands(), (Strings{"DELE 1", "RSET", "QUIT"}));
    EXPECT_EQ(JobLog(),
              (Strings{LOG_TEXT(txt::kSimpleDeleting, "pop"), LOG_TEXT(txt::kStopDelete, "pop"),
                       LOG_TEXT(txt::kRestoring, "pop")}));
}

// The automatic deletion at the end of a check of a new-only account.
class ExpireJob : public DeleteJob {
protected:
    ExpireJob() : clock(LocalTime(2001, 11, 30, 12, 0)) {
        account->m_bNewMailOnly = 1;
        account->m_bLimitDelete = 1;
        account->m_nLimitDays = 5;
        server.SetMessages({PlainMessage("u1", "old"), PlainMessage("u2", "recent")});
        Add(KnownMail("u1", "old", 1, static_cast<uint32_t>(LocalTime(2001, 11, 20, 15, 0))));
        Add(KnownMail("u2", "recent", 2, static_cast<uint32_t>(LocalTime(2001, 11, 29, 15, 0))));
    }
    ScopedTimeZone zone{"Asia/Tokyo"};
    SettableClock clock;
};

TEST_F(ExpireJob, WithoutTheQuestionDeletesAtOnce) {
    account->m_bConfLimitDelete = 0;
    Check();
    EXPECT_TRUE(host.Questions().empty());
    EXPECT_EQ(JobCommands(), (Strings{"STAT", "UIDL", "UIDL", "DELE 1", "QUIT"}));
    EXPECT_EQ(JobLog(),
              (Strings{LOG_TEXT(txt::kMailsWaiting, "pop", 2u), LOG_TEXT(txt::kNoNewMail, "pop"),
                       LOG_TEXT(txt::kExpireStart, "pop"), LOG_TEXT(txt::kDeleted, "pop", "old"),
                       LOG_TEXT(txt::kExpired, "pop", 1u)}));
    EXPECT_EQ(Uidls(*account), (Strings{"u2"}));
    EXPECT_EQ(Numbers(*account), (U32s{1u}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u2"}));
    EXPECT_EQ(host.Titles().back(), "期限切れメールの削除（popの削除処理中 1／1）");
}

TEST_F(ExpireJob, DeclinedQuestionKeepsTheMailAndAsksAgainNextTime) {
    host.QueueAnswer(false);
    Check();
    const std::string question = Cp932ToUtf8(SjisFormat(txt::kAskExpire, "pop", 1u));
    EXPECT_EQ(host.Questions(), (Strings{question}));
    EXPECT_EQ(JobCommands(), (Strings{"STAT", "UIDL", "QUIT"}));
    EXPECT_EQ(JobLog(),
              (Strings{LOG_TEXT(txt::kMailsWaiting, "pop", 2u), LOG_TEXT(txt::kNoNewMail, "pop"),
                       LOG_TEXT(txt::kExpireDeclined, "pop")}));
    EXPECT_EQ(States(*account), (U32s{MAIL_EXPIRED, MAIL_KNOWN}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u1", "u2"}));

    host.QueueAnswer(true);
    Check();
    EXPECT_EQ(host.Questions(), (Strings{question, question}));
    EXPECT_EQ(Uidls(*account), (Strings{"u2"}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u2"}));
}

TEST_F(ExpireJob, StoppedDeletionKeepsTheMailsExpired) {
    account->m_bConfLimitDelete = 0;
    server.Script("DELE 1", FakeReply::Err());
    Check();
    EXPECT_EQ(JobCommands(), (Strings{"STAT", "UIDL", "UIDL", "DELE 1", "RSET", "QUIT"}));
    EXPECT_EQ(States(*account), (U32s{MAIL_EXPIRED, MAIL_KNOWN}));
    EXPECT_EQ(RemainingUidls(), (Strings{"u1", "u2"}));
}

TEST_F(ExpireJob, WithoutExpiredMailsSaysSo) {
    clock.Set(LocalTime(2001, 11, 24, 23, 59));
    Check();
    EXPECT_EQ(JobLog(),
              (Strings{LOG_TEXT(txt::kMailsWaiting, "pop", 2u), LOG_TEXT(txt::kNoNewMail, "pop"),
                       LOG_TEXT(txt::kNoExpired, "pop")}));
    EXPECT_EQ(States(*account), (U32s{MAIL_KNOWN, MAIL_KNOWN}));
}

} // namespace
} // namespace tolvane::test
