// Header values of today's mail: the examples of RFC 2047, encoded words in each charset
// mail uses, words that stay as written, adjacent and folded words, ISO-2022-JP and UTF-8
// words in one value, raw 8-bit values, and ISO-2022-JP values exactly as the ISO-2022-JP
// decoder gives them.
#include "engine/HeaderDecoder.h"
#include "engine/MailHeaderDecoder.h"
#include "platform/CodePage.h"
#include "tests/support/JapaneseMail.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tolvane {
namespace {

struct HeaderCase {
    const char* name;
    std::string raw;
    std::string utf8; // the decoded value, as UTF-8 for reading
};

class MailHeaderTable : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(MailHeaderTable, Decodes) {
    const std::optional<std::string> decoded = DecodeMailHeader(GetParam().raw);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, Utf8ToCp932(GetParam().utf8));
}

const std::string kJisTo = test::JisWord("\x1b$B$H\x1b(B"); // "と"

INSTANTIATE_TEST_SUITE_P(
    Rfc2047Examples, MailHeaderTable,
    ::testing::Values(
        HeaderCase{"UsAscii", "=?US-ASCII?Q?Keith_Moore?= <moore@cs.utk.edu>",
                   "Keith Moore <moore@cs.utk.edu>"},
        // Letters CP932 cannot hold become "?".
        HeaderCase{"Latin1Q", "=?ISO-8859-1?Q?Keld_J=F8rn_Simonsen?= <keld@dkuug.dk>",
                   "Keld J?rn Simonsen <keld@dkuug.dk>"},
        HeaderCase{"Latin1WordThenText", "=?ISO-8859-1?Q?Andr=E9?= Pirard <PIRARD@vm1.ulg.ac.be>",
                   "Andr? Pirard <PIRARD@vm1.ulg.ac.be>"},
        HeaderCase{"TwoCharsetsBase64",
                   "=?ISO-8859-1?B?SWYgeW91IGNhbiByZWFkIHRoaXMgeW8=?=\r\n"
                   "    =?ISO-8859-2?B?dSB1bmRlcnN0YW5kIHRoZSBleGFtcGxlLg==?=",
                   "If you can read this you understand the example."},
        HeaderCase{"HebrewLowerCase",
                   "Nathaniel Borenstein <nsb@thumper.bellcore.com> "
                   "(=?iso-8859-8?b?7eXs+SDv4SDp7Oj08A==?=)",
                   "Nathaniel Borenstein <nsb@thumper.bellcore.com> (???? ?? ?????"
                   ")"},
        HeaderCase{"OneWord", "(=?ISO-8859-1?Q?a?=)", "(a)"},
        HeaderCase{"WordThenText", "(=?ISO-8859-1?Q?a?= b)", "(a b)"},
        HeaderCase{"AdjacentWords", "(=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=)", "(ab)"},
        HeaderCase{"AdjacentWordsTwoBlanks", "(=?ISO-8859-1?Q?a?=  =?ISO-8859-1?Q?b?=)", "(ab)"},
        HeaderCase{"AdjacentWordsFolded", "(=?ISO-8859-1?Q?a?=\r\n    =?ISO-8859-1?Q?b?=)", "(ab)"},
        HeaderCase{"UnderscoreIsSpace", "(=?ISO-8859-1?Q?a_b?=)", "(a b)"},
        HeaderCase{"AdjacentWordsTwoCharsets", "(=?ISO-8859-1?Q?a?= =?ISO-8859-2?Q?_b?=)",
                   "(a b)"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Charsets, MailHeaderTable,
    ::testing::Values(
        HeaderCase{"Utf8B", "=?UTF-8?B?44GK6KaL56mN44KK44Gu44GU5L6d6aC8?=", "お見積りのご依頼"},
        HeaderCase{"Utf8Q", "=?utf-8?q?=E3=81=8A=E8=A6=8B=E7=A9=8D=E3=82=8A_OK?=", "お見積り OK"},
        HeaderCase{"Utf8Language", "=?UTF-8*ja?B?44GK6KaL56mN44KK?=", "お見積り"},
        HeaderCase{"ShiftJis", "=?Shift_JIS?B?gqiMqZDPgug=?=", "お見積り"},
        HeaderCase{"EucJp", "=?EUC-JP?B?pKq4q8DRpOo=?=", "お見積り"},
        HeaderCase{"Iso2022Jp", kJisTo, "と"},
        HeaderCase{"Iso2022Jp2", "=?ISO-2022-JP-2?B?GyRCJEgbKEI=?=", "と"},
        HeaderCase{"Windows1252", "=?windows-1252?Q?=93Quoted=94?=", "“Quoted”"},
        HeaderCase{"Koi8r", "=?KOI8-R?B?8NLJ18XU?=", "Привет"},
        HeaderCase{"EmojiOutsideCp932", "=?UTF-8?B?6YCa55+lIPCfk6g=?=", "通知 ?"},
        HeaderCase{"CharacterSplitBetweenWords", "=?UTF-8?B?44E=?= =?UTF-8?B?gg==?=", "あ"},
        HeaderCase{"SplitBetweenWordsOfDifferentEncodings",
                   "=?UTF-8?B?44E=?==?UTF-8?Q?=82?=", "あ"},
        HeaderCase{"WordsAmongText", "Re: =?UTF-8?B?44GK6KaL56mN44KK?= [ticket:12]",
                   "Re: お見積り [ticket:12]"},
        HeaderCase{"Iso2022JpAndUtf8", kJisTo + " =?UTF-8?B?44GC?=", "とあ"},
        HeaderCase{"Utf8AndIso2022Jp", "=?UTF-8?B?44GC?=\r\n " + kJisTo + " x", "あと x"},
        HeaderCase{"Iso2022JpWordsKeepTheirBlank",
                   kJisTo + " " + kJisTo + " =?UTF-8?B?44GC?=", "と とあ"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

INSTANTIATE_TEST_SUITE_P(
    KeptAsWritten, MailHeaderTable,
    ::testing::Values(
        HeaderCase{"UnknownCharset", "=?X-UNKNOWN?B?44GC?= a", "=?X-UNKNOWN?B?44GC?= a"},
        HeaderCase{"UnknownEncoding", "=?UTF-8?X?44GC?=", "=?UTF-8?X?44GC?="},
        HeaderCase{"BadBase64", "=?UTF-8?B?44G*?=", "=?UTF-8?B?44G*?="},
        HeaderCase{"Base64OneCharacterOver", "=?UTF-8?B?44GCx?=", "=?UTF-8?B?44GCx?="},
        HeaderCase{"InvalidUtf8Bytes", "=?UTF-8?Q?=FF=FE?=", "=?UTF-8?Q?=FF=FE?="},
        HeaderCase{"BlankInQText", "=?UTF-8?Q?a b?=", "=?UTF-8?Q?a b?="},
        HeaderCase{"BrokenEscapeInQText", "=?UTF-8?Q?a=G1?=", "=?UTF-8?Q?a=G1?="},
        HeaderCase{"EmptyCharset", "=??B?44GC?=", "=??B?44GC?="},
        HeaderCase{"NotClosed", "=?UTF-8?B?44GC", "=?UTF-8?B?44GC"},
        // A word kept as written keeps the blank before the next word too.
        HeaderCase{"BadWordKeepsItsBlank", "=?UTF-8?B?*?= =?UTF-8?B?44GC?=", "=?UTF-8?B?*?= あ"},
        HeaderCase{"CutMidCharacterNotJoined", "=?UTF-8?B?44E=?= x", "=?UTF-8?B?44E=?= x"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

INSTANTIATE_TEST_SUITE_P(
    RawValues, MailHeaderTable,
    ::testing::Values(HeaderCase{"Utf8", "見積書 <mitsumori@example.jp>",
                                 "見積書 <mitsumori@example.jp>"},
                      // Also valid as CP932 byte by byte, yet UTF-8.
                      HeaderCase{"Utf8ThatIsAlsoCp932", "会議のお知らせ", "会議のお知らせ"},
                      HeaderCase{"Utf8WithWord", "件名: =?UTF-8?B?44GC?=", "件名: あ"},
                      HeaderCase{"Ascii", "plain subject", "plain subject"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(MailHeaderDecoder, RawShiftJisPassesAsItIs) {
    const std::string sjis = Utf8ToCp932("見積書");
    EXPECT_EQ(DecodeMailHeader(sjis + " x"), sjis + " x");
}

TEST(MailHeaderDecoder, LineBreaksAndZeroBytesOfAWordNeverReachTheValue) {
    EXPECT_EQ(DecodeMailHeader("=?UTF-8?Q?a=0D=0Ab=00c?="), "a  bc");
    EXPECT_EQ(DecodeMailHeader(std::string("a\0=?UTF-8?B?44GC?=", 18)), "a");
}

// Every value whose only encoded words are ISO-2022-JP comes out exactly as the
// ISO-2022-JP decoder gives it: random values of JIS words, JIS runs, folds, blanks,
// ASCII, and the pieces of broken words.
TEST(MailHeaderDecoder, Iso2022JpValuesAsTheIsoDecoderGivesThem) {
    const std::string pieces[] = {
        kJisTo,
        test::JisWord("\x1b$B$H$H\x1b(B"),
        test::JisWord("\x1b(J\x1b$B$H\x1b(B"),
        "=?iso-2022-jp?q?=1B$B$H=1B(B?=",
        "=?ISO-2022-JP?B?" + std::string(200, 'G') + "?=",
        "\x1b$B$H\x1b(B",
        "\x1b$B$H",
        " ",
        "\t",
        "\r\n ",
        "\n",
        "abc",
        "=?",
        "?=",
        "=?ISO-2022-JP?",
        "=?X-UNKNOWN?B?YQ==?=",
        "=",
        "?",
    };
    std::mt19937 random(13);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    for (int round = 0; round < 3000; ++round) {
        std::string value;
        const int count = static_cast<int>(random() % 8) + 1;
        for (int i = 0; i < count; ++i) {
            value += pieces[pick(random)];
        }
        EXPECT_EQ(DecodeMailHeader(value), DecodeHeaderText(value))
            << testing::PrintToString(value);
    }
}

} // namespace
} // namespace tolvane
