// MIME charsets to CP932: every charset mail names in practice, unknown and unsafe
// names, invalid bytes refused or replaced, text cut at every byte, and the UTF-8 test
// against iconv over every short byte sequence.
#include "engine/Charset.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

struct Conversion {
    const char* name;
    std::string bytes;
    std::string charset;
    std::string cp932;
};

class CharsetTable : public ::testing::TestWithParam<Conversion> {};

TEST_P(CharsetTable, ConvertsToCp932) {
    const Conversion& c = GetParam();
    std::string out;
    ASSERT_TRUE(CharsetToCp932(c.bytes, c.charset, InvalidBytes::Refuse, out));
    EXPECT_EQ(out, c.cp932);
    ASSERT_TRUE(CharsetToCp932(c.bytes, c.charset, InvalidBytes::Replace, out));
    EXPECT_EQ(out, c.cp932);
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, CharsetTable,
    ::testing::Values(
        Conversion{"Utf8", "\xe3\x81\x82\xe3\x81\x84", "UTF-8", "\x82\xa0\x82\xa2"},
        Conversion{"Utf8LowerCaseName", "\xe3\x81\x82", "utf-8", "\x82\xa0"},
        Conversion{"Utf8WithLanguage", "\xe3\x81\x82", "UTF-8*ja", "\x82\xa0"},
        Conversion{"Utf8WithoutDash", "\xe3\x81\x82", "utf8", "\x82\xa0"},
        // A character CP932 cannot hold becomes "?": an emoji, a Latin accent.
        Conversion{"Utf8OutsideCp932",
                   "a\xf0\x9f\x98\x80"
                   "b\xc3\xa9",
                   "UTF-8", "a?b?"},
        Conversion{"Utf8WaveDash", "\xe3\x80\x9c", "UTF-8", "\x81\x60"},
        // Shift_JIS names mean CP932, whose bytes stay exactly as sent: the vendor
        // characters and the backslash included.
        Conversion{"ShiftJis", "\x83\x65\x83\x58\x83\x67", "Shift_JIS", "\x83\x65\x83\x58\x83\x67"},
        Conversion{"ShiftJisNecCircledDigit", "\x87\x40", "shift_jis", "\x87\x40"},
        Conversion{"ShiftJisIbmKanji", "\xfa\x40", "x-sjis", "\xfa\x40"},
        Conversion{"ShiftJisBackslash", "C:\\x", "Shift_JIS", "C:\\x"},
        Conversion{"Windows31J", "\x82\xa0", "Windows-31J", "\x82\xa0"},
        Conversion{"EucJp", "\xa4\xa2\xb4\xc1", "EUC-JP", "\x82\xa0\x8a\xbf"},
        Conversion{"EucJpNecCircledDigit", "\xad\xa1", "euc-jp", "\x87\x40"},
        Conversion{"EucJpHalfWidthKana", "\x8e\xb1", "x-euc-jp", "\xb1"},
        Conversion{"Iso2022Jp", "\x1b$B$H\x1b(B", "ISO-2022-JP", "\x82\xc6"},
        Conversion{"Iso2022JpRowThirteen", "\x1b$B-!\x1b(B", "iso-2022-jp", "\x87\x40"},
        Conversion{"Iso2022Jp2", "\x1b$B$H\x1b(B", "ISO-2022-JP-2", "\x82\xc6"},
        Conversion{"UsAscii", "plain", "US-ASCII", "plain"},
        Conversion{"Latin1OutsideCp932", "caf\xe9 \xa9", "ISO-8859-1", "caf? ?"},
        Conversion{"Windows1252Quotes", "\x93x\x94", "windows-1252", "\x81gx\x81h"},
        Conversion{"Koi8rCyrillic", "\xf0\xd2\xc9\xd7\xc5\xd4", "KOI8-R",
                   "\x84P\x84\x82\x84y\x84r\x84u\x84\x84"},
        Conversion{"Windows1251Cyrillic", "\xcf\xf0\xe8\xe2\xe5\xf2", "windows-1251",
                   "\x84P\x84\x82\x84y\x84r\x84u\x84\x84"},
        Conversion{"Gb2312", "\xd6\xd0\xce\xc4", "GB2312", "\x92\x86\x95\xb6"},
        Conversion{"KoreanAliasHangulOutsideCp932", "\xc7\xd1", "ks_c_5601-1987", "?"},
        Conversion{"Utf16WithByteOrderMark", std::string("\xff\xfe\x42\x30", 4), "UTF-16",
                   "\x82\xa0"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

struct Refusal {
    const char* name;
    std::string bytes;
    std::string charset;
    bool replaced; // whether InvalidBytes::Replace converts it
    std::string cp932;
};

class CharsetRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(CharsetRefusals, RefuseOrReplace) {
    const Refusal& c = GetParam();
    std::string out = "stale";
    EXPECT_FALSE(CharsetToCp932(c.bytes, c.charset, InvalidBytes::Refuse, out));
    EXPECT_EQ(out, "");
    EXPECT_EQ(CharsetToCp932(c.bytes, c.charset, InvalidBytes::Replace, out), c.replaced);
    EXPECT_EQ(out, c.cp932);
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, CharsetRefusals,
    ::testing::Values(Refusal{"UnknownCharset", "abc", "X-NO-SUCH-CHARSET", false, ""},
                      Refusal{"EmptyName", "abc", "", false, ""},
                      // Names are never handed to iconv as they stand when they could ask it for
                      // more than a charset, or reach outside its tables.
                      Refusal{"TransliterationSuffix", "abc", "UTF-8//TRANSLIT", false, ""},
                      Refusal{"PathLikeName", "abc", "../../tmp/x", false, ""},
                      Refusal{"BlankInName", "abc", "UTF 8", false, ""},
                      Refusal{"OverlongName", "abc", std::string(64, 'A'), false, ""},
                      Refusal{"Utf8BadByte",
                              "a\xff"
                              "b",
                              "UTF-8", true, "a?b"},
                      Refusal{"Utf8Overlong", "\xc0\xaf", "UTF-8", true, "??"},
                      Refusal{"Utf8CutAtTheEnd", "a\xe3\x81", "UTF-8", true, "a"},
                      Refusal{"ShiftJisCutAtTheEnd", "a\x82", "Shift_JIS", true, "a"},
                      Refusal{"ShiftJisBadTrail",
                              "\x82\x0d"
                              "a",
                              "Shift_JIS", true, "?\ra"},
                      Refusal{"EucJpCutAtTheEnd", "a\xa4", "EUC-JP", true, "a"},
                      Refusal{"EucJpBadByte",
                              "\xa4"
                              "a",
                              "EUC-JP", true, "?a"},
                      // Mislabelled 8-bit text is raw text: UTF-8 converted, anything else kept.
                      Refusal{"UsAsciiHoldingUtf8", "\xe3\x81\x82", "US-ASCII", true, "\x82\xa0"},
                      Refusal{"UsAsciiHoldingShiftJis", "\x82\xa0", "US-ASCII", true, "\x82\xa0"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

// Text cut at every byte converts to a prefix of the whole text, and never to "?": what
// is cut short is dropped.
TEST(Charset, TextCutAtEveryByteConvertsWhatIsComplete) {
    const std::string utf8 = "今日は晴れ、ｱｲｳ。①";
    struct Encoded {
        std::string charset;
        std::string bytes;
    };
    const Encoded texts[] = {
        {"UTF-8", utf8},
        {"Shift_JIS", Utf8ToCp932(utf8)},
        {"EUC-JP", "\xba\xa3\xc6\xfc\xa4\xcf\xc0\xb2\xa4\xec\xa1\xa2\x8e\xb1\x8e\xb2\x8e\xb3"
                   "\xa1\xa3\xad\xa1"},
    };
    const std::string whole = Utf8ToCp932(utf8);
    for (const Encoded& text : texts) {
        std::string out;
        ASSERT_TRUE(CharsetToCp932(text.bytes, text.charset, InvalidBytes::Refuse, out));
        ASSERT_EQ(out, whole) << text.charset;
        for (size_t cut = 0; cut <= text.bytes.size(); ++cut) {
            ASSERT_TRUE(CharsetToCp932(text.bytes.substr(0, cut), text.charset,
                                       InvalidBytes::Replace, out));
            EXPECT_EQ(whole.compare(0, out.size(), out), 0) << text.charset << " cut " << cut;
            EXPECT_EQ(out.find('?'), std::string::npos) << text.charset << " cut " << cut;
        }
    }
}

TEST(Charset, Iso2022JpKeepsTheTextAroundAZeroByte) {
    std::string out;
    ASSERT_TRUE(CharsetToCp932(std::string("a\0\x1b$B$H\x1b(B", 9), "ISO-2022-JP",
                               InvalidBytes::Replace, out));
    EXPECT_EQ(out, "a\x82\xc6");
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool utf8;
};

class IsUtf8Table : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(IsUtf8Table, Decides) {
    EXPECT_EQ(IsUtf8(GetParam().bytes), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, IsUtf8Table,
    ::testing::Values(Utf8Case{"Empty", "", true}, Utf8Case{"Ascii", "abc", true},
                      Utf8Case{"AllLengths", "\xc3\xa9\xe3\x81\x82\xf0\x9f\x98\x80", true},
                      Utf8Case{"Overlong", "\xc0\xaf", false},
                      Utf8Case{"OverlongThree", "\xe0\x80\xaf", false},
                      Utf8Case{"Surrogate", "\xed\xa0\x80", false},
                      Utf8Case{"AboveUnicode", "\xf4\x90\x80\x80", false},
                      Utf8Case{"Cut", "\xe3\x81", false},
                      Utf8Case{"LoneContinuation", "\x80", false},
                      Utf8Case{"ShiftJisHiragana", "\x82\xa0\x82\xa2", false}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

// IsUtf8 agrees with iconv on every one- and two-byte sequence and on every three- and
// four-byte start around the boundaries of the forbidden ranges, except that iconv also
// takes values above U+10FFFF, which IsUtf8 refuses (AboveUnicode above).
TEST(Charset, IsUtf8AgreesWithIconv) {
    auto agree = [](const std::string& bytes) {
        const auto lead = static_cast<unsigned char>(bytes[0]);
        const auto second = static_cast<unsigned char>(bytes[1]);
        if (lead > 0xF4 || (lead == 0xF4 && second >= 0x90)) {
            EXPECT_FALSE(IsUtf8(bytes)) << testing::PrintToString(bytes);
            return;
        }
        const bool iconvSays = CharsetToUtf8(bytes, "UTF-8", InvalidBytes::Refuse).has_value();
        EXPECT_EQ(IsUtf8(bytes), iconvSays) << testing::PrintToString(bytes);
    };
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            agree({static_cast<char>(a), static_cast<char>(b)});
        }
    }
    for (int lead : {0xE0, 0xE1, 0xED, 0xEF, 0xF0, 0xF4, 0xF5}) {
        for (int b = 0x70; b < 0xC8; ++b) {
            for (int c = 0x70; c < 0xC8; ++c) {
                agree({static_cast<char>(lead), static_cast<char>(b), static_cast<char>(c)});
                agree(
                    {static_cast<char>(lead), static_cast<char>(b), static_cast<char>(c), '\x80'});
            }
        }
    }
}

TEST(Charset, RawTextConvertsOnlyUtf8) {
    // Many short UTF-8 texts are valid CP932 as well; they are still UTF-8.
    EXPECT_EQ(RawTextToCp932("会議のお知らせ"), Utf8ToCp932("会議のお知らせ"));
    EXPECT_EQ(RawTextToCp932(Utf8ToCp932("会議のお知らせ")), Utf8ToCp932("会議のお知らせ"));
    EXPECT_EQ(RawTextToCp932("plain"), "plain");
    EXPECT_EQ(RawTextToCp932("\xe3\x81\x82\xff"), "\xe3\x81\x82\xff");
}

} // namespace
} // namespace tolvane
