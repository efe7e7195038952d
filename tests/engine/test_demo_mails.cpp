// The bundled demo mailbox (resources/demo/) read the way a check reads it: each file, as
// the server would send it for TOP n 10 (the demo account's lines), goes through ParseMail. Guards
// both the demo files and the decoder against what real mail programs write (several encoded words,
// folded subjects, JIS runs broken by ASCII digits, multipart mail).
#include "engine/Account.h"
#include "platform/CodePage.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace tolvane {
namespace {

struct DemoMail {
    const char* file;
    const char* subject;
    const char* from;
    const char* date;
    uint32_t notPlain;
    const char* uidl;
    const char* firstLine; // first line of the preview
};

const DemoMail kDemoMails[] = {
    {"01-meeting.eml", "【定例】営業会議のお知らせ（6月5日）", "佐藤 花子 <sato@midori.example.jp>",
     "2024/06/03 09:12:05", 0, "", "山田さん"},
    {"02-lunch.eml", "今日のランチ、どうですか？", "鈴木 一郎 <suzuki@midori.example.jp>",
     "2024/06/03 11:41:30", 0, "", "山田さん"},
    {"03-invoice.eml", "5月分ご請求書送付のご案内",
     "青葉印刷株式会社 経理部 <keiri@aoba-print.example.com>", "2024/06/03 15:03:48", 0, "",
     "株式会社みどり工房"},
    {"04-newsletter.eml", "社内報「みどり通信」6月号",
     "みどり通信 編集部 <shanaiho@midori.example.jp>", "2024/06/04 08:30:00", 0, "",
     "みなさん、おはようございます。"},
    {"05-estimate.eml", "お見積書（展示会ブース）を添付します",
     "田中 健太 <tanaka@midori.example.jp>", "2024/06/04 13:27:19", 1, "", "山田さん"},
    {"06-holiday.eml", "夏季休暇の予定提出のお願い", "高橋 美咲 <takahashi@midori.example.jp>",
     "2024/06/04 17:55:02", 0, "", "各位"},
    {"07-maintenance.eml", "【重要】社内サーバー保守作業のお知らせ",
     "情報システム課 <it-info@midori.example.jp>", "2024/06/05 10:02:44", 0, "a3f9c1e0d27b4c58",
     "社員各位"},
    {"08-visitor.eml", "来客のご案内（14時 大和商事様）",
     "受付 中村 さくら <uketsuke@midori.example.jp>", "2024/06/05 13:48:10", 0, "", "山田さん"},
    {"09-expenses.eml", "【経理】6月分経費精算の締め切りについて（6月25日 火曜 17時まで）",
     "経理課 小林 誠 <kobayashi@midori.example.jp>", "2024/06/06 09:20:37", 0, "", "社員各位"},
    {"10-newcomer.eml", "新メンバーのご紹介", "伊藤 浩 <ito@midori.example.jp>",
     "2024/06/06 16:05:12", 0, "", "営業部のみなさん"},
    {"11-delivery.eml", "お荷物お届けのお知らせ（伝票番号 4821-0937-5566）",
     "ひかり運輸 お客様センター <info@hikari-unyu.example.com>", "2024/06/07 08:14:55", 0, "",
     "株式会社みどり工房 山田 太郎 様"},
    {"12-party.eml", "歓送迎会のご案内（6月14日 金曜）", "鈴木 一郎 <suzuki@midori.example.jp>",
     "2024/06/07 12:30:21", 0, "", "営業部のみなさん"},
    {"13-order.eml", "ご注文ありがとうございます（注文番号 AZ-240608-1187）",
     "あおぞら文具オンライン <order@shop.aozora.example.com>", "2024/06/08 07:45:12", 0, "",
     "株式会社みどり工房 山田 太郎 様"},
    {"14-webinar.eml", "【無料ウェビナー】明日から使える業務効率化のコツ",
     "つばさビジネスセミナー <news@seminar.tsubasa.example.com>", "2024/06/10 12:00:00", 1, "",
     "山田 太郎 様"},
    {"15-hello.eml", "初日のごあいさつ", "渡辺 亮 <watanabe@midori.example.jp>",
     "2024/06/10 17:20:45", 1, "", "山田さん"},
};

// The reply to TOP n lines for a stored message: CR LF line ends, the header, the first
// lines of the body, the terminating dot line.
std::string TopReply(const std::string& stored, int lines) {
    std::string crlf;
    for (char c : stored) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    size_t end = crlf.find("\r\n\r\n");
    if (end == std::string::npos) {
        end = crlf.size();
    } else {
        end += 4;
        for (int i = 0; i < lines && end < crlf.size(); ++i) {
            const size_t next = crlf.find("\r\n", end);
            end = next == std::string::npos ? crlf.size() : next + 2;
        }
    }
    return "+OK\r\n" + crlf.substr(0, end) + ".\r\n";
}

class DemoMailTest : public ::testing::TestWithParam<DemoMail> {};

TEST_P(DemoMailTest, ParsesAsACheckReadsIt) {
    const DemoMail& expected = GetParam();
    const std::string stored = test::ReadFileBytes(std::filesystem::path(TOLVANE_SOURCE_DIR) /
                                                   "resources/demo" / expected.file);
    ASSERT_FALSE(stored.empty()) << expected.file;
    for (unsigned char c : stored) {
        ASSERT_LT(c, 0x80) << expected.file << ": mail must be 7-bit";
    }

    CAccount account(nullptr, nullptr);
    std::unique_ptr<CMail> mail(account.ParseMail(TopReply(stored, 10)));
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(Cp932ToUtf8(mail->m_strSubject), expected.subject);
    EXPECT_EQ(Cp932ToUtf8(mail->m_strFrom), expected.from);
    EXPECT_EQ(mail->m_strDate, expected.date);
    EXPECT_EQ(mail->m_bNotPlain, expected.notPlain);
    EXPECT_EQ(mail->m_strUidl, expected.uidl);

    const std::string body = Cp932ToUtf8(mail->m_strBody);
    EXPECT_EQ(body.substr(0, body.find("\r\n")), expected.firstLine);
    EXPECT_EQ(body.find('?'), std::string::npos) << body; // nothing lost in conversion
    EXPECT_EQ(body.find('\x1b'), std::string::npos) << body;
}

INSTANTIATE_TEST_SUITE_P(Mailbox, DemoMailTest, ::testing::ValuesIn(kDemoMails),
                         [](const auto& testParam) {
                             std::string name = testParam.param.file;
                             name = name.substr(0, name.find('.'));
                             for (char& c : name) {
                                 if (c == '-') {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

} // namespace
} // namespace tolvane
