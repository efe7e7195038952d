#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tolvane {
namespace {

struct RoundTrip {
    const char* name;
    std::string cp932;
    std::string utf8;
};

class CodePageRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(CodePageRoundTrip, Utf8AndUtf16BothWays) {
    const RoundTrip& c = GetParam();
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
    std::u16string utf16 = Cp932ToUtf16(c.cp932);
    EXPECT_EQ(Utf16ToCp932(utf16), c.cp932);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CodePageRoundTrip,
    ::testing::Values(RoundTrip{"Empty", "", ""}, RoundTrip{"Ascii", "From: taro", "From: taro"},
                      RoundTrip{"BackslashAndTilde", "C:\\~x", "C:\\~x"},
                      RoundTrip{"Hiragana", "\x82\xa0\x82\xa2", "あい"},
                      RoundTrip{"KatakanaWithAsciiTrail", "\x83\x41\x83\x5a", "アセ"},
                      RoundTrip{"HalfWidthKana", "\xb1\xdd", "ｱﾝ"},
                      RoundTrip{"NecCircledDigit", "\x87\x40", "①"},
                      RoundTrip{"WaveDash", "\x81\x60", "～"},
                      RoundTrip{"EmbeddedNul", std::string("a\0b", 3), std::string("a\0b", 3)}),
    [](const auto& testParam) { return testParam.param.name; });

struct Lossy {
    const char* name;
    std::string input;
    std::string expected;
};

class Cp932ToUtf8Invalid : public ::testing::TestWithParam<Lossy> {};

TEST_P(Cp932ToUtf8Invalid, BecomesQuestionMarkAndGoesOn) {
    EXPECT_EQ(Cp932ToUtf8(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Cp932ToUtf8Invalid,
    ::testing::Values(Lossy{"UnassignedPairIsOneCharacter", "a\x85\x40z", "a?z"},
                      Lossy{"LoneLeadAtEnd", "ab\x82", "ab?"},
                      Lossy{"LeadWithImpossibleTrail", "\x81\x39x", "?9x"},
                      Lossy{"UndefinedSingleBytes", "\x80\xa0\xfd\xfe\xff", "?????"}),
    [](const auto& testParam) { return testParam.param.name; });

class Utf8ToCp932Invalid : public ::testing::TestWithParam<Lossy> {};

TEST_P(Utf8ToCp932Invalid, BecomesQuestionMarkAndGoesOn) {
    EXPECT_EQ(Utf8ToCp932(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Bytes, Utf8ToCp932Invalid,
                         ::testing::Values(Lossy{"Emoji", "a\xf0\x9f\x98\x80z", "a?z"},
                                           Lossy{"Hangul", "\xed\x95\x9c", "?"},
                                           Lossy{"StrayContinuation", "a\x80z", "a?z"},
                                           Lossy{"TruncatedAtEnd", "a\xe3\x81", "a??"},
                                           Lossy{"Overlong", "\xc0\xafz", "??z"}),
                         [](const auto& testParam) { return testParam.param.name; });

TEST(CodePageUtf16, UnmappableAndUnpairedSurrogatesBecomeQuestionMarks) {
    EXPECT_EQ(Utf16ToCp932(u"a\U0001F600b"), "a?b");
    EXPECT_EQ(Utf16ToCp932(std::u16string(u"x") + char16_t(0xD800) + u"y"), "x?y");
    EXPECT_EQ(Cp932ToUtf16("\x85\x40!"), u"?!");
}

TEST(CodePageLower, FoldsAsciiAndFullWidthCapitalsOnly) {
    EXPECT_EQ(Cp932Lower("ABC xyz 09"), "abc xyz 09");
    EXPECT_EQ(Cp932Lower("\x82\x60\x82\x79"), "\x82\x81\x82\x9a"); // ＡＺ -> ａｚ
    // Trail bytes that look like capitals stay: ア (83 41), セ (83 5A), 表 (95 5C).
    EXPECT_EQ(Cp932Lower("\x83\x41\x83\x5a\x95\x5c"), "\x83\x41\x83\x5a\x95\x5c");
    // A full-width-capital-looking trail byte after another lead byte is not folded.
    EXPECT_EQ(Cp932Lower("\x83\x60"), "\x83\x60");
    EXPECT_EQ(Cp932Lower("A\x83"), "a\x83");
    EXPECT_EQ(Cp932Lower("\xb1"
                         "A"),
              "\xb1"
              "a"); // half-width kana is a single byte
}

TEST(CodePageCompare, IgnoresCaseButNeverTrailBytes) {
    EXPECT_EQ(Cp932CompareNoCase("Account", "ACCOUNT"), 0);
    EXPECT_EQ(Cp932CompareNoCase("\x82\x60", "\x82\x81"), 0); // Ａ = ａ
    EXPECT_NE(Cp932CompareNoCase("\x83\x41", "\x83\x61"), 0); // ア != ッ
    EXPECT_NE(Cp932CompareNoCase("\x83\x41"
                                 "B",
                                 "\x83\x61"
                                 "b"),
              0); // after a trail byte
    EXPECT_TRUE(Cp932EqualNoCase("\x83\x41"
                                 "B",
                                 "\x83\x41"
                                 "b"));
    EXPECT_LT(Cp932CompareNoCase("alpha", "Beta"), 0);
    EXPECT_GT(Cp932CompareNoCase("Beta", "alpha"), 0);
    EXPECT_LT(Cp932CompareNoCase("pop", "POP3"), 0);
    EXPECT_EQ(Cp932CompareNoCase("", ""), 0);
}

TEST(CodePageFind, FindsSingleByteCharactersOnly) {
    const std::string path = "Account\\\x95\x5C\x8E\xA6\\x"; // Account\表示\x
    EXPECT_EQ(Cp932Find(path, '\\'), 7u);
    EXPECT_EQ(Cp932Find(path, '\\', 8), 12u); // not the trail byte of 表 at 9
    EXPECT_EQ(Cp932Find("\x95\x5C", '\\'), std::string::npos);
    EXPECT_EQ(Cp932Find("\x83\x41"
                        "A",
                        'A'),
              2u); // ア's trail byte looks like "A"
    EXPECT_EQ(Cp932Find("", '\\'), std::string::npos);
}

TEST(CodePageUtf8, CompareFoldsAsciiAndFullWidthCapitalsOnly) {
    EXPECT_TRUE(Utf8EqualNoCase("Account", "aCCOUNT"));
    EXPECT_TRUE(Utf8EqualNoCase("Ｍａｉｌ", "ｍＡＩＬ"));
    EXPECT_FALSE(Utf8EqualNoCase("É", "é"));
    EXPECT_FALSE(Utf8EqualNoCase("Ｍａｉｌ", "Mail"));
    EXPECT_LT(Utf8CompareNoCase("alpha", "Beta"), 0);
    EXPECT_LT(Utf8CompareNoCase("pop", "POP3"), 0);
    EXPECT_LT(Utf8CompareNoCase("Ｚ", "ｚａ"), 0);
    EXPECT_LT(Utf8CompareNoCase("zz", "あ"), 0);             // code-point order
    EXPECT_EQ(Utf8CompareNoCase("\xBC\xA1", "\xBC\xA1"), 0); // stray bytes are safe
}

TEST(CodePageUtf8, ValidationRefusesEveryMalformedForm) {
    for (const std::string& good :
         {std::string(""), std::string("ascii"), std::string("é"), std::string("あ"),
          std::string("😀"), std::string("a\0b", 3), std::string("\xF4\x8F\xBF\xBF")}) {
        EXPECT_TRUE(IsValidUtf8(good)) << good;
    }
    for (const char* bad :
         {"\x80", "p\xff\xfe\x80w", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80",
          "\xF0\x80\x80\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE3\x81",
          "\xE3\x81"
          "a",
          "\x83\x5c"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    }
}

TEST(CodePageThreads, ConcurrentConversionsAgree) {
    const std::string cp932 = "\x83\x81\x81\x5b\x83\x8b from \x91\xbe\x98\x59";
    const std::string utf8 = Cp932ToUtf8(cp932);
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (Cp932ToUtf8(cp932) != utf8 || Utf8ToCp932(utf8) != cp932) {
                    ++failures[static_cast<size_t>(t)];
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

} // namespace
} // namespace tolvane
