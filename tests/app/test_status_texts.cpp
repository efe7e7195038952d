// The status bar's clock and prompts and the tray tip, as the user reads them.
#include "app/StatusTexts.h"
#include "app/widgets/QtText.h"

#include <gtest/gtest.h>

namespace tolvane::gui {
namespace {

std::tm At(int hour, int minute) {
    std::tm local{};
    local.tm_year = 2001 - 1900;
    local.tm_mon = 10;
    local.tm_mday = 23;
    local.tm_hour = hour;
    local.tm_min = minute;
    return local;
}

TEST(StatusTexts, ClockUsesTheTwelveHourDialWithMorningAndAfternoon) {
    EXPECT_EQ(ClockText(At(0, 5)), QString::fromUtf8(" 2001年 11月 23日  午前 12:05 "));
    EXPECT_EQ(ClockText(At(12, 0)), QString::fromUtf8(" 2001年 11月 23日  午後 12:00 "));
    EXPECT_EQ(ClockText(At(13, 7)), QString::fromUtf8(" 2001年 11月 23日  午後 01:07 "));
    EXPECT_EQ(ClockText(At(14, 58)), QString::fromUtf8(" 2001年 11月 23日  午後 02:58 "));
    EXPECT_EQ(ClockText(At(11, 59)), QString::fromUtf8(" 2001年 11月 23日  午前 11:59 "));
}

TEST(StatusTexts, PromptsCarryTheMailCount) {
    const QString idle = QString::fromUtf8("ﾍﾙﾌﾟを表示するには [F1] を押してください。");
    EXPECT_EQ(CountedPrompt(5, idle), QString::fromUtf8("5通の受信メールがあります。  ") + idle);
    EXPECT_EQ(CountedPrompt(0, idle), QString::fromUtf8("受信メールはありません。  ") + idle);
    const std::string name = Utf8ToCp932("仕事");
    EXPECT_EQ(ToggleAccountPrompt(name, true), QString::fromUtf8("仕事 アカウントを無効にする"));
    EXPECT_EQ(ToggleAccountPrompt(name, false), QString::fromUtf8("仕事 アカウントを有効にする"));
    EXPECT_EQ(CheckAccountPrompt(name), QString::fromUtf8("仕事 アカウントで受信確認を行う"));
    EXPECT_EQ(MailCountTip(3), QString::fromUtf8("3通の受信メールがあります。"));
    EXPECT_EQ(MailCountTip(0), QString::fromUtf8("受信メールはありません。"));
}

// A prompt is never cut: the longest account name the settings allow (255 half-width kana,
// one CP932 byte but three UTF-8 bytes each) in a menu item's prompt, after the count,
// arrives whole.
TEST(StatusTexts, LongAccountNamesReachTheStatusLineWhole) {
    const QString name(255, QChar(0xFF71));
    const QString prompt = CheckAccountPrompt(ToCp932(name));
    EXPECT_EQ(prompt, name + QString::fromUtf8(" アカウントで受信確認を行う"));
    EXPECT_EQ(CountedPrompt(12, prompt),
              QString::fromUtf8("12通の受信メールがあります。  ") + prompt);
}

TEST(StatusTexts, AccountsThatCouldNotBeCheckedFollowTheCount) {
    const QString idle = QString::fromUtf8("ﾍﾙﾌﾟを表示するには [F1] を押してください。");
    EXPECT_EQ(FailurePrompt(0, idle), idle);
    EXPECT_EQ(FailurePrompt(2, idle),
              QString::fromUtf8("2件のアカウントを確認できませんでした。  ") + idle);
    const QString tip = MailCountTip(14, 1);
    EXPECT_EQ(tip,
              QString::fromUtf8("14通の受信メールがあります。\n1件のアカウントを確認できません。"));
    EXPECT_EQ(TrayTipText(tip), tip); // within the tip's 63 bytes
}

// A tip holds 63 bytes of CP932; a double-byte character that would straddle the end is
// left out rather than cut in half.
TEST(StatusTexts, TrayTipKeepsSixtyThreeBytesWithoutHalfCharacters) {
    const QString ascii(70, QLatin1Char('a'));
    EXPECT_EQ(TrayTipText(ascii), QString(63, QLatin1Char('a')));
    const QString kana = QString(1, QLatin1Char('x')) + QString(40, QChar(0x3042)); // 1 + 80 bytes
    const QString tip = TrayTipText(kana);
    EXPECT_EQ(ToCp932(tip).size(), 63u);
    EXPECT_EQ(tip, QString(1, QLatin1Char('x')) + QString(31, QChar(0x3042)));
    const QString even = QString(40, QChar(0x3042)); // 80 bytes: 31 characters fit
    EXPECT_EQ(ToCp932(TrayTipText(even)).size(), 62u);
    EXPECT_EQ(TrayTipText(QString::fromUtf8("受信確認中")), QString::fromUtf8("受信確認中"));
}

} // namespace
} // namespace tolvane::gui
