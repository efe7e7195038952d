// The Decode switch of an account: with 1 (the default) the check and the reload decode
// today's mail; with 0 sender, subject and body come out exactly as the ISO-2022-JP
// decoder gives them, whatever the mail.
#include "engine/HeaderDecoder.h"
#include "tests/engine/AccountJobTest.h"
#include "tests/support/JapaneseMail.h"

namespace tolvane::test {
namespace {

const std::string kSubjectWord = "=?UTF-8?B?44GK6KaL56mN44KK44Gu44GU5L6d6aC8?=";
const std::string kFromWord = "=?UTF-8?Q?=E5=B1=B1=E7=94=B0?= <yamada@example.jp>";
const std::string kBodyBase64 = Base64("お世話になっております。\n見積書をお送りします。\n");

FakeMessage TodaysMessage(const std::string& uidl) {
    return {uidl, MakeMessage({"From: " + kFromWord, "Subject: " + kSubjectWord,
                               "Date: Tue, 20 Nov 2001 14:58:44 +0900",
                               "Content-Type: text/plain; charset=UTF-8",
                               "Content-Transfer-Encoding: base64"},
                              {kBodyBase64})};
}

class DecodeSwitch : public AccountJobTest {
protected:
    DecodeSwitch() { server.SetMessages({TodaysMessage("u1")}); }
};

TEST_F(DecodeSwitch, OnTheCheckShowsWhatAReaderReads) {
    ASSERT_EQ(account->m_bDecode, 1);
    Check();
    ASSERT_EQ(account->m_mails.size(), 1u) << log.Utf8();
    const CMail& mail = *account->m_mails[0];
    EXPECT_EQ(Cp932ToUtf8(mail.m_strSubject), "お見積りのご依頼");
    EXPECT_EQ(Cp932ToUtf8(mail.m_strFrom), "山田 <yamada@example.jp>");
    EXPECT_EQ(Cp932ToUtf8(mail.m_strBody), "お世話になっております。\r\n見積書をお送りします。");
    EXPECT_EQ(mail.m_bNotPlain, 0u); // the flag keeps its meaning
}

TEST_F(DecodeSwitch, OffTheCheckKeepsTheIsoDecoderBytes) {
    account->m_bDecode = 0;
    Check();
    ASSERT_EQ(account->m_mails.size(), 1u) << log.Utf8();
    const CMail& mail = *account->m_mails[0];
    EXPECT_EQ(mail.m_strSubject, kSubjectWord);
    EXPECT_EQ(mail.m_strFrom, kFromWord);
    EXPECT_EQ(mail.m_strBody, kBodyBase64);
}

TEST_F(DecodeSwitch, ReloadDecodesAsTheAccountAsks) {
    Add(KnownMail("u1", "s1", 1));
    Connect();
    ASSERT_TRUE(account->ReloadMails(AllMails(*account), 10, "", &host));
    EXPECT_EQ(Cp932ToUtf8(account->m_mails[0]->m_strBody),
              "お世話になっております。\r\n見積書をお送りします。");
    account->m_bDecode = 0;
    ASSERT_TRUE(account->ReloadMails(AllMails(*account), 10, "", &host));
    account->Logout();
    EXPECT_EQ(account->m_mails[0]->m_strBody, kBodyBase64);
}

// Switched off, every field is the ISO-2022-JP decoder's, byte for byte, for mail of
// every kind; ISO-2022-JP mail gives the same with the switch on.
TEST(DecodeSwitchParse, OffIsTheIsoDecoderForEveryKindOfMail) {
    const std::string jisSubject = JisWord("\x1b$B$H\x1b(B");
    const std::vector<std::pair<std::vector<std::string>, std::string>> mails = {
        {{"From: " + kFromWord, "Subject: " + kSubjectWord,
          "Content-Type: text/plain; charset=UTF-8", "Content-Transfer-Encoding: base64"},
         kBodyBase64},
        {{"From: \xe5\xb1\xb1\xe7\x94\xb0 <a@b>", "Subject: \xe4\xbb\xb6",
          "Content-Type: text/html; charset=UTF-8"},
         "<p>\xe6\x9c\xac</p>"},
        {{"From: " + jisSubject + " <a@b>", "Subject: " + jisSubject,
          "Content-Type: text/plain; charset=ISO-2022-JP"},
         "\x1b$B$H\x1b(B\r\n=?ISO-2022-JP?B?GyRCJEgbKEI=?="},
    };
    for (const auto& [headers, body] : mails) {
        const std::string reply = "+OK\r\n" + MakeMessage(headers, {body}) + ".\r\n";
        CAccount seed(nullptr, nullptr);
        seed.m_bDecode = 0;
        std::unique_ptr<CMail> mail(seed.ParseMail(reply));
        EXPECT_EQ(mail->m_strSubject, DecodeHeaderText(CAccount::GetHeader(reply, "\r\nSubject:")));
        EXPECT_EQ(mail->m_strFrom, DecodeHeaderText(CAccount::GetHeader(reply, "\r\nFrom:")));
        EXPECT_EQ(mail->m_strBody, DecodeHeaderText(body));
    }
    const std::string jisReply =
        "+OK\r\n" + MakeMessage(mails[2].first, {mails[2].second}) + ".\r\n";
    CAccount today(nullptr, nullptr);
    std::unique_ptr<CMail> decoded(today.ParseMail(jisReply));
    EXPECT_EQ(decoded->m_strSubject, "\x82\xc6");
    EXPECT_EQ(decoded->m_strBody, DecodeHeaderText(mails[2].second));
}

} // namespace
} // namespace tolvane::test
