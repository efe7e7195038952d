// The check, deletion and reload jobs against a real Dovecot POP3 server, with a mailbox
// of Japanese mails (ISO-2022-JP encoded-word headers, ISO-2022-JP bodies) written here;
// every test ends by looking at the server's mailbox itself.
#include "tests/engine/AccountJobTest.h"
#include "tests/support/DovecotFixture.h"
#include "tests/support/JapaneseMail.h"

#include <algorithm>

namespace tolvane::test {
namespace {

std::string ToJis(const std::string& utf8) {
    std::string jis;
    if (!Utf8ToJis(utf8, jis)) {
        ADD_FAILURE() << "cannot convert " << utf8 << " to ISO-2022-JP";
    }
    return jis;
}

std::string Word(const std::string& utf8) {
    return JisWord(ToJis(utf8));
}

struct JapaneseMail {
    std::string fromHeader, subjectHeader, contentType;
    std::vector<std::string> bodyUtf8;
    std::string fromUtf8, subjectUtf8; // what the list must show
    uint32_t notPlain;

    std::string Message() const {
        std::string text = "From: " + fromHeader +
                           "\r\nTo: hanako@example.jp\r\nSubject: " + subjectHeader +
                           "\r\nDate: Mon, 12 Feb 2024 09:30:00 +0900\r\n" +
                           "MIME-Version: 1.0\r\nContent-Type: " + contentType +
                           "\r\nContent-Transfer-Encoding: 7bit\r\n\r\n";
        for (const auto& line : bodyUtf8) {
            text += ToJis(line) + "\r\n";
        }
        return text;
    }
    std::string BodyCp932(size_t lines) const {
        std::string body;
        for (size_t i = 0; i < lines && i < bodyUtf8.size(); ++i) {
            body += (i ? "\r\n" : "") + Utf8ToCp932(bodyUtf8[i]);
        }
        return body; // the last line end goes with the terminating ".\r\n"
    }
};

std::vector<JapaneseMail> Mails() {
    return {
        {Word("山田太郎") + " <taro@example.jp>",
         Word("会議のお知らせ"),
         "text/plain; charset=ISO-2022-JP",
         {"お疲れさまです。", "明日の会議は十時からです。", "よろしくお願いします。"},
         "山田太郎 <taro@example.jp>",
         "会議のお知らせ",
         0},
        {"\"Hanako\" <hanako@example.jp>",
         Word("見積書") + " " + Word("の送付"),
         "multipart/mixed; boundary=\"b1\"",
         {"見積書を送付いたします。", "ご確認ください。"},
         "Hanako <hanako@example.jp>",
         "見積書 の送付", // the blank between the two words stays
         1},
        {"=?ISO-2022-JP?B?" + Base64(ToJis("佐藤")) + "?= <sato@example.jp>",
         Word("週報") + "\r\n " + Word("第三週"),
         "text/plain; charset=\"ISO-2022-JP\"",
         {"今週の作業をまとめました。", "以上です。", "佐藤"},
         "佐藤 <sato@example.jp>",
         "週報第三週",
         0},
    };
}

class JobsDovecot : public ::testing::Test {
protected:
    void SetUp() override {
        TOLVANE_REQUIRE_DOVECOT();
        Configure();
        dovecot.AddUser("hanako", "pw-hanako");
        ASSERT_TRUE(dovecot.Start()) << dovecot.Error();
        account = LocalAccount(log, dovecot.Port(), "hanako", "pw-hanako");
        account->m_nReceiveCount = 2;
        // The jobs with the ISO-2022-JP decoder alone, byte for byte: the second mail is
        // labelled multipart without parts, which today's decoding shows as no text
        // (test_today_mail_dovecot.cpp checks today's decoding).
        account->m_bDecode = 0;
    }
    void TearDown() override { account.reset(); }
    virtual void Configure() {}

    void Deliver(size_t first, size_t count) {
        const std::vector<JapaneseMail> mails = Mails();
        for (size_t i = first; i < first + count; ++i) {
            dovecot.Deliver("hanako", mails[i].Message());
        }
    }
    void Connect() {
        ASSERT_TRUE(account->OpenConnection()) << log.Utf8();
        ASSERT_TRUE(account->Login()) << log.Utf8();
    }
    void Check() {
        Connect();
        account->CheckMail(Sjis("トルヴェイン"), &host);
        EXPECT_TRUE(account->Logout());
    }
    // Which of the mails (by index in Mails()) the server's mailbox still holds.
    std::vector<size_t> OnServer() const {
        std::vector<size_t> found;
        const std::vector<JapaneseMail> mails = Mails();
        for (const auto& stored : dovecot.Mailbox("hanako")) {
            for (size_t i = 0; i < mails.size(); ++i) {
                const std::string subject = "Subject: " + mails[i].subjectHeader.substr(0, 30);
                if (stored.find(subject) != std::string::npos) {
                    found.push_back(i);
                }
            }
        }
        return found;
    }
    void ExpectMail(const CMail& mail, size_t index, size_t lines) {
        const JapaneseMail expected = Mails()[index];
        EXPECT_EQ(Cp932ToUtf8(mail.m_strSubject), expected.subjectUtf8);
        EXPECT_EQ(Cp932ToUtf8(mail.m_strFrom), expected.fromUtf8);
        EXPECT_EQ(mail.m_strBody, expected.BodyCp932(lines));
        EXPECT_EQ(mail.m_strDate, "2024/02/12 09:30:00");
        EXPECT_EQ(mail.m_bNotPlain, expected.notPlain);
        EXPECT_FALSE(mail.m_strUidl.empty());
        // LIST counts the message with CR LF line ends.
        EXPECT_EQ(mail.m_strSize, std::to_string(expected.Message().size()));
    }

    DovecotFixture dovecot;
    ScopedHome home;
    LogCollector log;
    RecordingHost host{"トルヴェイン"};
    std::unique_ptr<CAccount> account;
};

TEST_F(JobsDovecot, NewOnlyCheckFetchesOnlyWhatItHasNotSeen) {
    account->m_bNewMailOnly = 1;
    Deliver(0, 2);
    Check();
    ASSERT_EQ(account->m_mails.size(), 2u) << log.Utf8();
    ExpectMail(*account->m_mails[0], 0, 2);
    ExpectMail(*account->m_mails[1], 1, 2);
    EXPECT_EQ(States(*account), (U32s{MAIL_NEW, MAIL_NEW}));
    EXPECT_NE(account->m_mails[0]->m_strUidl, account->m_mails[1]->m_strUidl);
    const Strings first = Uidls(*account);

    Deliver(2, 1);
    Check();
    ASSERT_EQ(account->m_mails.size(), 3u) << log.Utf8();
    EXPECT_EQ(States(*account), (U32s{MAIL_KNOWN, MAIL_KNOWN, MAIL_NEW}));
    EXPECT_EQ(Uidls(*account)[0], first[0]);
    EXPECT_EQ(Uidls(*account)[1], first[1]);
    ExpectMail(*account->m_mails[2], 2, 2);
    const Strings texts = log.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), LOG_TEXT(txt::kNewMails, "pop", 1u)),
              texts.end());
    EXPECT_EQ(OnServer(), (std::vector<size_t>{0, 1, 2})); // a check never removes
}

// Debian's stock Dovecot answers UIDL with its own ids, whatever X-UIDL header an earlier
// server or client left in a mail.
class StockDovecot : public JobsDovecot {
protected:
    void Configure() override { dovecot.SetReuseXUidl(false); }
    void DeliverWithForeignIds() {
        const std::vector<JapaneseMail> mails = Mails();
        for (size_t i = 0; i < mails.size(); ++i) {
            dovecot.Deliver("hanako",
                            "X-UIDL: foreign-" + std::to_string(i) + "\r\n" + mails[i].Message());
        }
    }
};

TEST_F(StockDovecot, ForeignXUidlHeadersAreNeitherNewAgainNorDeletedWrongly) {
    host.SetDefaultAnswer(true);
    for (int32_t pipelining : {0, 1}) {
        SCOPED_TRACE(pipelining);
        account->m_bPipelining = pipelining;
        account->m_bNewMailOnly = 1;
        account->m_mails.clear();
        DeliverWithForeignIds();
        Check();
        ASSERT_EQ(States(*account), (U32s{MAIL_NEW, MAIL_NEW, MAIL_NEW})) << log.Utf8();
        for (const std::string& uid : Uidls(*account)) {
            EXPECT_EQ(uid.rfind("foreign-", 0), std::string::npos);
        }
        Check();
        EXPECT_EQ(States(*account), (U32s{MAIL_KNOWN, MAIL_KNOWN, MAIL_KNOWN})) << log.Utf8();

        Connect();
        int last = -9;
        const size_t questions = host.Questions().size();
        EXPECT_TRUE(
            account->DeleteMarked({account->m_mails[1].get()}, Sjis("T"), &host, last, false));
        EXPECT_TRUE(account->Logout());
        EXPECT_EQ(last, POP3_OK);
        EXPECT_EQ(host.Questions().size(), questions); // the server's content is as listed
        EXPECT_EQ(OnServer(), (std::vector<size_t>{0, 2}));
        // Empty the mailbox for the next round.
        Connect();
        EXPECT_TRUE(account->DeleteMarked({account->m_mails[0].get(), account->m_mails[2].get()},
                                          Sjis("T"), &host, last, false));
        EXPECT_TRUE(account->Logout());
        EXPECT_TRUE(OnServer().empty());
    }
}

TEST_F(JobsDovecot, VerifiedDeletionRemovesTheMarkedMail) {
    Deliver(0, 3);
    Check();
    ASSERT_EQ(account->m_mails.size(), 3u) << log.Utf8();
    Connect();
    int last = -9;
    EXPECT_TRUE(account->DeleteMarked({account->m_mails[1].get()}, Sjis("T"), &host, last, false));
    EXPECT_TRUE(account->Logout());
    EXPECT_EQ(last, POP3_OK);
    EXPECT_TRUE(host.Questions().empty());
    EXPECT_EQ(OnServer(), (std::vector<size_t>{0, 2}));

    Check(); // the list follows the server
    ASSERT_EQ(account->m_mails.size(), 2u);
    ExpectMail(*account->m_mails[1], 2, 2);
    EXPECT_EQ(account->m_mails[1]->m_nNumber, 2u);
}

TEST_F(JobsDovecot, SimpleDeletionAndCancelledDeletion) {
    Deliver(0, 3);
    Check();
    ASSERT_EQ(account->m_mails.size(), 3u) << log.Utf8();
    Connect();
    int last = -9;
    EXPECT_TRUE(account->SimpleDeleteMails({account->m_mails[0].get()}, "", &host, last));
    EXPECT_TRUE(account->Logout());
    EXPECT_EQ(OnServer(), (std::vector<size_t>{1, 2}));

    Check();
    ASSERT_EQ(account->m_mails.size(), 2u);
    Connect();
    account->m_socket.RequestCancel(1); // as if the user cancelled before the deletion
    EXPECT_TRUE(account->DeleteMarked(AllMails(*account), "", &host, last, false));
    EXPECT_EQ(last, POP3_CANCELLED);
    account->Logout();
    EXPECT_EQ(OnServer(), (std::vector<size_t>{1, 2}));
}

TEST_F(JobsDovecot, ExpiredMailsAreDeletedAfterTheirDays) {
    ScopedTimeZone zone("Asia/Tokyo");
    SettableClock clock(LocalTime(2024, 2, 12, 10, 0));
    account->m_bNewMailOnly = 1;
    account->m_bLimitDelete = 1;
    account->m_nLimitDays = 5;
    Deliver(0, 2);
    Check();
    ASSERT_EQ(account->m_mails.size(), 2u) << log.Utf8();
    clock.Set(LocalTime(2024, 2, 15, 10, 0));
    Deliver(2, 1);
    Check();
    ASSERT_EQ(account->m_mails.size(), 3u) << log.Utf8();

    clock.Set(LocalTime(2024, 2, 17, 0, 0));
    Check(); // the first two have reached their fifth day; the question is answered OK
    EXPECT_EQ(host.Questions(), (Strings{Cp932ToUtf8(SjisFormat(txt::kAskExpire, "pop", 2u))}));
    EXPECT_EQ(Uidls(*account).size(), 1u);
    ExpectMail(*account->m_mails[0], 2, 2);
    EXPECT_EQ(OnServer(), (std::vector<size_t>{2}));
    const Strings texts = log.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), LOG_TEXT(txt::kExpired, "pop", 2u)),
              texts.end());
}

TEST_F(JobsDovecot, ReloadReplacesTheBodies) {
    Deliver(0, 3);
    account->m_nReceiveCount = 0;
    Check();
    ASSERT_EQ(account->m_mails.size(), 3u) << log.Utf8();
    EXPECT_EQ(account->m_mails[0]->m_strBody, "");

    Connect();
    EXPECT_TRUE(account->ReloadMails(AllMails(*account), 100, Sjis("T"), &host));
    EXPECT_TRUE(account->Logout());
    for (size_t i = 0; i < 3; ++i) {
        ExpectMail(*account->m_mails[i], i, 100);
    }
    Connect();
    EXPECT_TRUE(account->ReloadMails({account->m_mails[2].get()}, 0, "", &host));
    EXPECT_TRUE(account->Logout());
    EXPECT_EQ(account->m_mails[2]->m_strBody, "");
    EXPECT_EQ(OnServer(), (std::vector<size_t>{0, 1, 2}));
}

// Dovecot lists PIPELINING: the pipelined check gives the list of one command at a time, and
// a pipelined deletion removes exactly the marked mails.
TEST_F(JobsDovecot, PipelinedJobsGiveWhatOneAtATimeGives) {
    for (int round = 0; round < 30; ++round) {
        Deliver(0, 3); // 90 mails: more commands than one window holds
    }
    struct Snapshot {
        Strings uidls, subjects, froms, sizes, bodies, dates;
        Strings log;
        bool operator==(const Snapshot&) const = default;
    };
    auto checked = [&](int32_t pipelining) {
        account->m_bPipelining = pipelining;
        const size_t before = log.Texts().size();
        Check();
        Strings texts = log.Texts();
        texts.erase(texts.begin(), texts.begin() + static_cast<long>(before));
        Snapshot snapshot{Uidls(*account), {}, {}, {}, {}, {}, texts};
        for (const auto& mail : account->m_mails) {
            snapshot.subjects.push_back(mail->m_strSubject);
            snapshot.froms.push_back(mail->m_strFrom);
            snapshot.sizes.push_back(mail->m_strSize);
            snapshot.bodies.push_back(mail->m_strBody);
            snapshot.dates.push_back(mail->m_strDate);
        }
        return snapshot;
    };
    const Snapshot one = checked(0);
    ASSERT_EQ(one.uidls.size(), 90u) << log.Utf8();
    EXPECT_TRUE(checked(1) == one);

    Connect();
    std::string reply;
    ASSERT_EQ(account->m_socket.CmdCapa(reply), POP3_OK);
    EXPECT_TRUE(CAccount::HasCapability(reply, "PIPELINING")) << reply;
    std::vector<CMail*> marked;
    for (size_t i = 0; i < 90; i += 3) {
        marked.push_back(account->m_mails[i].get()); // every copy of the first mail
    }
    int last = -9;
    EXPECT_TRUE(account->DeleteMarked(marked, Sjis("T"), &host, last, false));
    EXPECT_TRUE(account->Logout());
    EXPECT_EQ(last, POP3_OK);
    const std::vector<size_t> left = OnServer();
    EXPECT_EQ(left.size(), 60u);
    EXPECT_EQ(std::count(left.begin(), left.end(), 0u), 0);
}

} // namespace
} // namespace tolvane::test
