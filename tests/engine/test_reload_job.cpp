// The reload job against the fake server: the bodies it replaces, the progress and log
// texts, and where a cancel or a failure leaves the bodies.
#include "tests/engine/AccountJobTest.h"

namespace tolvane::test {
namespace {

class ReloadJob : public AccountJobTest {
protected:
    ReloadJob() {
        server.SetMessages({PlainMessage("u1", "s1", false, {"a1", "a2", "a3"}),
                            PlainMessage("u2", "s2", false, {"b1"})});
        Add(KnownMail("u1", "s1", 1));
        Add(KnownMail("u2", "s2", 2));
    }
    bool Reload(unsigned lines) {
        Connect();
        bool result = account->ReloadMails(AllMails(*account), lines, Sjis("T"), &host);
        account->Logout();
        return result;
    }
    Strings Bodies() const {
        Strings bodies;
        for (const auto& mail : account->m_mails) {
            bodies.push_back(mail->m_strBody);
        }
        return bodies;
    }
};

TEST_F(ReloadJob, ZeroLinesEmptiesEveryBody) {
    EXPECT_TRUE(Reload(0));
    EXPECT_EQ(JobCommands(), (Strings{"UIDL", "TOP 1 0", "TOP 2 0", "QUIT"}));
    EXPECT_EQ(Bodies(), (Strings{"", ""}));
    EXPECT_EQ(JobLog(),
              (Strings{LOG_TEXT(txt::kReloading, "s1"), LOG_TEXT(txt::kReloading, "s2")}));
    EXPECT_EQ(host.Titles(),
              (Strings{"T（popの再読み込み処理中 1／2）", "T（popの再読み込み処理中 2／2）"}));
}

TEST_F(ReloadJob, MoreLinesThanTheBodyGiveTheWholeBody) {
    EXPECT_TRUE(Reload(50));
    EXPECT_EQ(Bodies(), (Strings{"a1\r\na2\r\na3", "b1"}));
}

TEST_F(ReloadJob, OnlyTheBodyChanges) {
    CMail before = *account->m_mails[0];
    EXPECT_TRUE(Reload(2));
    const CMail& after = *account->m_mails[0];
    EXPECT_EQ(after.m_strBody, "a1\r\na2");
    EXPECT_EQ(after.m_strSubject, before.m_strSubject);
    EXPECT_EQ(after.m_strFrom, before.m_strFrom);
    EXPECT_EQ(after.m_strUidl, before.m_strUidl);
    EXPECT_EQ(after.m_nState, before.m_nState);
    EXPECT_EQ(after.m_nNumber, before.m_nNumber);
    EXPECT_EQ(after.m_timeReceived, before.m_timeReceived);
}

TEST_F(ReloadJob, FailedTopStopsAndKeepsTheOldBodiesFromThere) {
    server.Script("TOP 2", FakeReply::Err());
    EXPECT_FALSE(Reload(1));
    EXPECT_EQ(Bodies(), (Strings{"a1", "old body"}));
    EXPECT_EQ(JobLog(), (Strings{LOG_TEXT(txt::kReloading, "s1"), LOG_TEXT(txt::kReloading, "s2"),
                                 LOG_TEXT(txt::kReceiveFailed, "pop")}));
}

TEST_F(ReloadJob, CancelStopsAtTheCurrentMail) {
    CAccount* target = account.get();
    server.OnCommand([target](const std::string& line) {
        if (line == "TOP 2 1") {
            target->m_socket.RequestCancel(1);
        }
    });
    EXPECT_TRUE(Reload(1));
    EXPECT_EQ(Bodies(), (Strings{"a1", "old body"}));
    EXPECT_EQ(JobLog().back(), LOG_TEXT(txt::kStopReload, "pop"));
}

TEST_F(ReloadJob, Iso2022JpBodyIsDecoded) {
    // "日本" is 0x46 0x7C 0x4B 0x5C in JIS X 0208, 0x93 0xFA 0x96 0x7B in Shift_JIS.
    server.SetMessages(
        {PlainMessage("u1", "s1", false, {"\x1b$BF|K\\\x1b(B"}), PlainMessage("u2", "s2")});
    EXPECT_TRUE(Reload(5));
    EXPECT_EQ(account->m_mails[0]->m_strBody, "\x93\xfa\x96\x7b");
}

} // namespace
} // namespace tolvane::test
