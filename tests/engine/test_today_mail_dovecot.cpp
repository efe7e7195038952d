// A real Dovecot server holding a dozen mails of today's kinds (tests/data/today-mail/:
// UTF-8, Shift_JIS, EUC-JP, KOI8-R and ISO-2022-JP words, raw UTF-8 headers, base64,
// quoted-printable and 8-bit bodies, multiparts, HTML only): the list shows the subjects,
// senders and first lines a reader would read, a few lines show what has arrived, and the
// mail store carries the decoded texts across a save and a load.
#include "tests/engine/AccountJobTest.h"
#include "tests/support/DovecotFixture.h"

#include <filesystem>

namespace tolvane::test {
namespace {

struct TodayMail {
    const char* file;
    const char* subject;
    const char* from;
    const char* firstLine;
    uint32_t notPlain;
};

const TodayMail kMails[] = {
    {"01-utf8-base64.eml", "来週の打ち合わせについて", "佐々木 陽子 <sasaki@hoshizora.example.jp>",
     "小林さん", 0},
    {"02-utf8-qp.eml", "【ご確認】請求書の発行日", "経理部 <keiri@hoshizora.example.jp>", "各位",
     0},
    {"03-raw-utf8.eml", "会議室の予約が完了しました", "予約システム <rsv@hoshizora.example.jp>",
     "予約番号：R-2024-0711", 0},
    {"04-alternative-text-first.eml", "夏季休業のお知らせ",
     "ほしぞら商会 <info@hoshizora.example.jp>", "お客様各位", 1},
    {"05-alternative-html-first.eml", "新製品発表会のご招待",
     "ほしぞら商会 イベント係 <event@hoshizora.example.jp>", "山本様", 1},
    {"06-html-only.eml", "月刊ほしぞら通信 7月号", "ほしぞら通信 <news@hoshizora.example.jp>",
     "ほしぞら通信 7月号", 1},
    {"07-shift-jis.eml", "ソフトウェア更新のお知らせ①",
     "サポート窓口 <support@hoshizora.example.jp>", "ソフトウェア更新のお知らせ①", 0},
    {"08-euc-jp.eml", "出張報告書", "岡田 誠 <okada@hoshizora.example.jp>", "岡田です。", 0},
    {"09-mixed-nested.eml", "資料送付のご連絡", "加藤 大輔 <kato@hoshizora.example.jp>", "藤井さん",
     1},
    {"10-jis-and-utf8.eml", "Re: 見積依頼（至急）", "松本 恵 <matsumoto@hoshizora.example.jp>",
     "承知しました。", 0},
    {"11-cyrillic.eml", "Отчёт за июль", "Иван Петров <ivan@example.ru>", "Добрый день!", 0},
    // The emoji is a character CP932 cannot hold; the other character split between the
    // two encoded words survives.
    {"12-emoji-split.eml", "? 創立記念パーティー", "総務部 <soumu@hoshizora.example.jp>", "皆さま",
     0},
};

std::string FirstLine(const std::string& bodyCp932) {
    const std::string body = Cp932ToUtf8(bodyCp932);
    return body.substr(0, body.find("\r\n"));
}

class TodayMailDovecot : public ::testing::Test {
protected:
    void SetUp() override {
        TOLVANE_REQUIRE_DOVECOT();
        dovecot.AddUser("kobayashi", "pw-kobayashi");
        ASSERT_TRUE(dovecot.Start()) << dovecot.Error();
        for (const TodayMail& mail : kMails) {
            const std::string text = ReadFileBytes(std::filesystem::path(TOLVANE_SOURCE_DIR) /
                                                   "tests/data/today-mail" / mail.file);
            ASSERT_FALSE(text.empty()) << mail.file;
            dovecot.Deliver("kobayashi", text);
        }
        account = LocalAccount(log, dovecot.Port(), "kobayashi", "pw-kobayashi");
        account->m_nReceiveCount = 20;
    }
    void TearDown() override { account.reset(); }

    void Check(CAccount& target) {
        ASSERT_TRUE(target.OpenConnection()) << log.Utf8();
        ASSERT_TRUE(target.Login()) << log.Utf8();
        EXPECT_EQ(target.CheckMail(Sjis("トルヴェイン"), &host), POP3_OK) << log.Utf8();
        target.Logout();
    }

    ScopedHome home;
    DovecotFixture dovecot;
    LogCollector log;
    RecordingHost host{"トルヴェイン"};
    std::unique_ptr<CAccount> account;
};

TEST_F(TodayMailDovecot, TheListShowsWhatAReaderReads) {
    Check(*account);
    ASSERT_EQ(account->m_mails.size(), std::size(kMails)) << log.Utf8();
    for (size_t i = 0; i < std::size(kMails); ++i) {
        const CMail& mail = *account->m_mails[i];
        const TodayMail& expected = kMails[i];
        EXPECT_EQ(Cp932ToUtf8(mail.m_strSubject), expected.subject) << expected.file;
        EXPECT_EQ(Cp932ToUtf8(mail.m_strFrom), expected.from) << expected.file;
        EXPECT_EQ(FirstLine(mail.m_strBody), expected.firstLine) << expected.file;
        EXPECT_EQ(mail.m_bNotPlain, expected.notPlain) << expected.file;
        EXPECT_EQ(Cp932ToUtf8(mail.m_strBody).find_first_of("<>=\x1b"), std::string::npos)
            << expected.file << ": " << Cp932ToUtf8(mail.m_strBody);
    }
}

// However few lines are fetched, a preview is the start of the whole one: nothing cut
// short shows as garbage, and multiparts whose text has not arrived show nothing. (The
// alternative with HTML first shows its HTML text until the plain text arrives.)
TEST_F(TodayMailDovecot, AFewLinesShowWhatHasArrived) {
    const std::string htmlFirst = Utf8ToCp932("山本様（HTML）\r\n発表会にご招待します。");
    Check(*account);
    ASSERT_EQ(account->m_mails.size(), std::size(kMails)) << log.Utf8();
    std::vector<std::string> whole;
    for (const auto& mail : account->m_mails) {
        whole.push_back(mail->m_strBody);
    }
    for (int32_t lines : {0, 1, 2, 4, 7}) {
        account->m_nReceiveCount = lines;
        Check(*account);
        ASSERT_EQ(account->m_mails.size(), whole.size());
        for (size_t i = 0; i < whole.size(); ++i) {
            const std::string& preview = account->m_mails[i]->m_strBody;
            const bool htmlPart = i == 4 && htmlFirst.compare(0, preview.size(), preview) == 0;
            EXPECT_TRUE(htmlPart || whole[i].compare(0, preview.size(), preview) == 0)
                << kMails[i].file << " with " << lines << " lines: " << Cp932ToUtf8(preview);
        }
        // The nested multipart's text starts at its tenth line.
        EXPECT_EQ(account->m_mails[8]->m_strBody, "") << lines;
    }
}

TEST_F(TodayMailDovecot, TheStoreKeepsTheDecodedTexts) {
    account->m_bNewMailOnly = 1;
    Check(*account);
    ASSERT_EQ(account->m_mails.size(), std::size(kMails)) << log.Utf8();
    account->StoreMails(true);

    CAccount again(nullptr, nullptr);
    again.m_strName = "pop";
    again.m_bNewMailOnly = 1;
    again.StoreMails(false);
    ASSERT_EQ(again.m_mails.size(), account->m_mails.size());
    for (size_t i = 0; i < again.m_mails.size(); ++i) {
        const CMail& stored = *again.m_mails[i];
        const CMail& checked = *account->m_mails[i];
        EXPECT_EQ(stored.m_strSubject, checked.m_strSubject);
        EXPECT_EQ(stored.m_strFrom, checked.m_strFrom);
        EXPECT_EQ(stored.m_strBody, checked.m_strBody);
        EXPECT_EQ(stored.m_bNotPlain, checked.m_bNotPlain);
    }
}

} // namespace
} // namespace tolvane::test
