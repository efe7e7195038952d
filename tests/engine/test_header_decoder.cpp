// Header decoder: encoded words, the joining of adjacent ISO-2022-JP words, JIS to CP932,
// base64 and quoted text, over-long words, and every byte value through each stage.
#include "engine/HeaderDecoder.h"
#include "tests/support/JapaneseMail.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using namespace std::string_literals;
using test::JisWord;

const std::string kKanjiIn = "\x1b$B";   // ESC $ B
const std::string kKanjiIn78 = "\x1b$@"; // ESC $ @
const std::string kAsciiIn = "\x1b(B";   // ESC ( B
const std::string kRomanIn = "\x1b(J";   // ESC ( J
const std::string kKanaIn = "\x1b(I";    // ESC ( I
const std::string kTo = "$H";            // JIS 0x2448, CP932 0x82 0xC6
const std::string kToSjis = "\x82\xC6";

std::string AsciiWord(const std::string& q) {
    return "=?US-ASCII?Q?" + q + "?=";
}

// Stage one, measured then written into a buffer of exactly the measured size with a
// guard after it; also written with a short limit, which must leave the rest untouched.
std::string StageOne(const std::string& input) {
    const size_t size = DecodeEncodedWords(input, nullptr, 0);
    std::string buffer(size + 8, '#');
    EXPECT_EQ(DecodeEncodedWords(input, buffer.data(), size), size);
    EXPECT_EQ(buffer.substr(size), std::string(8, '#')) << "written past the limit";
    if (size > 0) {
        std::string shortBuffer(size, '#');
        EXPECT_EQ(DecodeEncodedWords(input, shortBuffer.data(), size / 2), size);
        EXPECT_EQ(shortBuffer.substr(size / 2), std::string(size - size / 2, '#'));
        EXPECT_EQ(shortBuffer.substr(0, size / 2), buffer.substr(0, size / 2));
    }
    return buffer.substr(0, size);
}

std::string StageTwo(const std::string& input) {
    const size_t size = JisToSjis(input, nullptr, 0);
    std::string buffer(size + 8, '#');
    EXPECT_EQ(JisToSjis(input, buffer.data(), size), size);
    EXPECT_EQ(buffer.substr(size), std::string(8, '#')) << "written past the limit";
    return buffer.substr(0, size);
}

struct Case {
    const char* name;
    std::string input;
    std::string expected;
};

std::string CaseName(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

// The whole decoder.
class DecodeHeaderTextTest : public testing::TestWithParam<Case> {};

TEST_P(DecodeHeaderTextTest, Decodes) {
    const Case& c = GetParam();
    const std::optional<std::string> result = DecodeHeaderText(c.input);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, c.expected);
    EXPECT_EQ(*result, StageTwo(StageOne(c.input)));
}

INSTANTIATE_TEST_SUITE_P(
    HeaderDecoder, DecodeHeaderTextTest,
    testing::Values(
        Case{"IsoWordToSjisPair", "=?ISO-2022-JP?B?GyRCJEgbKEI=?=", kToSjis},
        Case{"AdjacentWordsOneRun",
             "=?ISO-2022-JP?B?GyRCJEgbKEI=?==?ISO-2022-JP?B?GyRCJEgbKEI=?=", kToSjis + kToSjis},
        Case{"LowerCaseCharsetAndEncoding", "=?iso-2022-jp?b?GyRCJEgbKEI=?=", kToSjis},
        Case{"QuotedUnderscoreStays", "=?US-ASCII?Q?a_b=3Dc?=", "a_b=c"},
        Case{"OtherCharsetUnchanged", "=?ISO-8859-1?Q?Andr=E9?= Pirard",
             "=?ISO-8859-1?Q?Andr=E9?= Pirard"},
        Case{"NoEncodedWordsUnchanged", "Re: meeting at 10:00 (a=b?c)",
             "Re: meeting at 10:00 (a=b?c)"},
        Case{"EmptyInput", "", ""}, Case{"EndsAtZeroByte", "ab\0=?US-ASCII?Q?c?="s, "ab"},
        Case{"EmptyLineEndsWordsButNotJis",
             "=?US-ASCII?Q?a?=\n\n=?US-ASCII?Q?b?= " + kKanjiIn + kTo + kAsciiIn,
             "a\n\n=?US-ASCII?Q?b?= " + kToSjis},
        Case{"CrLfEmptyLineDecodesOn", "=?US-ASCII?Q?a?=\r\n\r\n=?US-ASCII?Q?b?=", "a\r\n\r\nb"},
        Case{"JisLineWithoutReturnEscape", kKanjiIn + kTo + "\r\nabc", kToSjis + "\r\nabc"},
        Case{"Base64PartialGroupLost", "=?US-ASCII?B?YWJjZA?=", "abc"},
        Case{"RawShiftJisPassesThrough", "\x82\xA0\x82\xA2 abc", "\x82\xA0\x82\xA2 abc"},
        Case{"HalfWidthKatakana", kKanaIn + "123" + kAsciiIn + "x", "\xB1\xB2\xB3x"},
        Case{"SubjectWithPrefix", "Re: " + JisWord(kKanjiIn + "$3$s$K$A$O" + kAsciiIn),
             "Re: \x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD"},
        Case{"FromWithName", JisWord(kKanjiIn + ";3ED" + kAsciiIn) + " <taro@example.jp>",
             "\x8E\x52\x93\x63 <taro@example.jp>"},
        Case{"OverLongWordCopied", JisWord(kKanjiIn + std::string(120, '$') + kAsciiIn),
             JisWord(kKanjiIn + std::string(120, '$') + kAsciiIn)}),
    CaseName);

// RFC 2047 section 8, as far as this decoder's charsets go: US-ASCII words are decoded,
// ISO-8859 words stay as written. Underscores stay underscores, and the blank between two
// words stays.
INSTANTIATE_TEST_SUITE_P(
    Rfc2047Examples, DecodeHeaderTextTest,
    testing::Values(
        Case{"KeithMoore", "=?US-ASCII?Q?Keith_Moore?= <moore@cs.utk.edu>",
             "Keith_Moore <moore@cs.utk.edu>"},
        Case{"KeldJornSimonsen", "=?ISO-8859-1?Q?Keld_J=F8rn_Simonsen?= <keld@dkuug.dk>",
             "=?ISO-8859-1?Q?Keld_J=F8rn_Simonsen?= <keld@dkuug.dk>"},
        Case{"TwoCharsetsSubject",
             "=?ISO-8859-1?B?SWYgeW91IGNhbiByZWFkIHRoaXMgeW8=?=\r\n "
             "=?ISO-8859-2?B?dSB1bmRlcnN0YW5kIHRoZSBleGFtcGxlLg==?=",
             "=?ISO-8859-1?B?SWYgeW91IGNhbiByZWFkIHRoaXMgeW8=?=\r\n "
             "=?ISO-8859-2?B?dSB1bmRlcnN0YW5kIHRoZSBleGFtcGxlLg==?="},
        Case{"HebrewComment",
             "Nathaniel Borenstein <nsb@thumper.bellcore.com> "
             "(=?iso-8859-8?b?7eXs+SDv4SDp7Oj08A==?=)",
             "Nathaniel Borenstein <nsb@thumper.bellcore.com> "
             "(=?iso-8859-8?b?7eXs+SDv4SDp7Oj08A==?=)"},
        Case{"OneWord", "(=?US-ASCII?Q?a?=)", "(a)"},
        Case{"WordThenText", "(=?US-ASCII?Q?a?= b)", "(a b)"},
        Case{"TwoWordsBlank", "(=?US-ASCII?Q?a?= =?US-ASCII?Q?b?=)", "(a b)"},
        Case{"TwoWordsFoldedBareLineFeed", "(=?US-ASCII?Q?a?=\n =?US-ASCII?Q?b?=)", "(a b)"},
        Case{"TwoWordsFoldedCrLf", "(=?US-ASCII?Q?a?=\r\n    =?US-ASCII?Q?b?=)", "(a\r\n    b)"},
        Case{"UnderscoreInWord", "(=?US-ASCII?Q?a_b?=)", "(a_b)"},
        Case{"Base64Word",
             "=?US-ASCII?B?SWYgeW91IGNhbiByZWFkIHRoaXMgeW8=?=", "If you can read this yo"}),
    CaseName);

// Stage one alone: the joining rules, double escapes, folds, line feeds and bad words.
class EncodedWordsTest : public testing::TestWithParam<Case> {};

TEST_P(EncodedWordsTest, Decodes) {
    EXPECT_EQ(StageOne(GetParam().input), GetParam().expected);
}

const std::string kJisTo = kKanjiIn + kTo + kAsciiIn;

INSTANTIATE_TEST_SUITE_P(
    HeaderDecoder, EncodedWordsTest,
    testing::Values(
        Case{"SingleWord", JisWord(kJisTo), kJisTo},
        Case{"ThreeWordsJoined", JisWord(kJisTo) + JisWord(kJisTo) + JisWord(kJisTo),
             kKanjiIn + kTo + kTo + kTo + kAsciiIn},
        Case{"JoinAfterRomanEscape", JisWord(kKanjiIn + kTo + kRomanIn) + JisWord(kJisTo),
             kKanjiIn + kTo + kTo + kAsciiIn},
        Case{"BlankBetweenWordsStays", JisWord(kJisTo) + " " + JisWord(kJisTo),
             kJisTo + " " + kJisTo},
        Case{"FoldAfterWordKeepsBlank", JisWord(kJisTo) + "\n " + JisWord(kJisTo),
             kJisTo + " " + kJisTo},
        Case{"JoinEatsThreeBytesOfAnyWord", JisWord(kJisTo) + AsciiWord("abcdef"),
             kKanjiIn + kTo + "def"},
        Case{"Mark1SkipsBlankAfter", "a " + JisWord(kKanjiIn + kJisTo) + " b", "a " + kJisTo + "b"},
        Case{"Mark1FoldedWordsJoin",
             JisWord(kKanjiIn + kJisTo) + "\n " + JisWord(kKanjiIn + kJisTo),
             kKanjiIn + kTo + kTo + kAsciiIn},
        Case{"Mark2RemovesBlankBefore", "a " + JisWord(kKanjiIn78 + kJisTo) + " b",
             "a" + kJisTo + " b"},
        Case{"Mark3RemovesBlankBeforeAndAfter", "a\t" + JisWord(kRomanIn + kJisTo) + "\tb",
             "a" + kJisTo + "b"},
        Case{"NoMarkWithoutSecondEscape", "a " + JisWord(kRomanIn + "xyz" + kJisTo),
             "a " + kRomanIn + "xyz" + kJisTo},
        Case{"FoldRemovedBeforeWord", "a\n " + AsciiWord("b"), "ab"},
        Case{"FoldRemovedTabCrLf", "a\r\n\t" + AsciiWord("b"), "a\rb"},
        // The byte before a removed fold is never taken as well.
        Case{"FoldThenMark2KeepsByte", "ab\n " + JisWord(kKanjiIn78 + kJisTo), "ab" + kJisTo},
        // An empty word after a JIS word must not remove the output a second time.
        Case{"EmptyWordRemovesOnce", JisWord(kJisTo) + AsciiWord("") + AsciiWord("x"),
             kKanjiIn + kTo + "x"},
        Case{"EmptyWordsAfterFold", "ab\n " + AsciiWord("") + AsciiWord("") + AsciiWord("c"),
             "abc"},
        Case{"LineFeedBlankAfterWordConsumed", AsciiWord("a") + "\n b", "a b"},
        Case{"LineFeedAfterWordStays", AsciiWord("a") + "\nb", "a\nb"},
        Case{"EmptyLineStopsDecoding", AsciiWord("a") + "\n\n" + AsciiWord("b") + "\n",
             "a\n\n" + AsciiWord("b") + "\n"},
        Case{"EmptyLineAfterText", "x\n\n" + AsciiWord("b"), "x\n\n" + AsciiWord("b")},
        Case{"UnsupportedEncoding", "=?US-ASCII?X?abc?=\n d", "=?US-ASCII?X?abc?=\n d"},
        Case{"UnsupportedWordNoFoldRemoval", "a\n =?KOI8-R?Q?b?=", "a\n =?KOI8-R?Q?b?="},
        Case{"EmptyCharsetUnsupported", "=??Q?a?=", "=??Q?a?="},
        Case{"UnclosedWord", "=?US-ASCII?Q?abc", "=?US-ASCII?Q?abc"},
        Case{"LineFeedInText", "=?US-ASCII?Q?a\nb?=", "=?US-ASCII?Q?a\nb?="},
        Case{"LineFeedInCharset", "=?US\n-ASCII?Q?a?=", "=?US\n-ASCII?Q?a?="},
        Case{"QuestionMarkInText", "=?US-ASCII?Q?a?b?=", "a?b"},
        // The text runs to the first "?=": here "a =?US-ASCII?Q?b", whose "=?U" is one bad escape.
        Case{"TextRunsToFirstClose", "=?US-ASCII?Q?a =?US-ASCII?Q?b?=", "a \xFFS-ASCII?Q?b"},
        Case{"QuotedZeroEndsWord", AsciiWord("a=00b") + "c", "ac"},
        Case{"QuotedEqualsAtEnd", AsciiWord("a=") + AsciiWord("b=4"), "a=b=4"},
        Case{"QuotedBadHex", AsciiWord("=4G=G4=zz"), "\xFF\xF4\xFF"},
        Case{"Base64BlanksSkipped", "=?US-ASCII?B?YW\tJj ZGVm?=", "abcdef"},
        Case{"Base64PaddingEndsEarly", "=?US-ASCII?B?YQ==YWJj?=", "a"},
        Case{"Base64BadBytes", "=?US-ASCII?B?*A==?=", "\xFC"},
        Case{"TextOf155Decoded", AsciiWord(std::string(155, 'x')), std::string(155, 'x')},
        Case{"TextOf156Copied", AsciiWord(std::string(156, 'x')), AsciiWord(std::string(156, 'x'))},
        // The whole over-long word is copied: a word inside its text is not decoded.
        Case{"OverLongWordHidesInnerWord", AsciiWord(std::string(160, 'x') + "=?US-ASCII?Q?in"),
             AsciiWord(std::string(160, 'x') + "=?US-ASCII?Q?in")},
        Case{"LongNamesCopied", "=?" + std::string(150, 'C') + "?Q?a?= " + AsciiWord("b"),
             "=?" + std::string(150, 'C') + "?Q?a?= b"},
        Case{"LongUnsupportedWordCopied", "=?ISO-8859-1?Q?" + std::string(200, 'y') + "?=",
             "=?ISO-8859-1?Q?" + std::string(200, 'y') + "?="}),
    CaseName);

// Stage two alone.
class JisToSjisTest : public testing::TestWithParam<Case> {};

TEST_P(JisToSjisTest, Converts) {
    EXPECT_EQ(StageTwo(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    HeaderDecoder, JisToSjisTest,
    testing::Values(
        Case{"Ascii", "abc ~\\", "abc ~\\"},
        Case{"KanjiRun", kKanjiIn + "$3$s" + kAsciiIn + "!", "\x82\xB1\x82\xF1!"},
        Case{"OldKanjiEscapeFromAscii", kKanjiIn78 + kTo + kAsciiIn, kToSjis},
        Case{"OldKanjiEscapeInKanjiCopied", kKanjiIn + kKanjiIn78 + kTo, kKanjiIn78 + kToSjis},
        Case{"RomanEscapeInAsciiCopied", kRomanIn + "a", kRomanIn + "a"},
        Case{"RomanEscapeEndsKanji", kKanjiIn + kTo + kRomanIn + "a", kToSjis + "a"},
        Case{"JisHEscapesInKanji", kKanjiIn + "\x1b$H" + kTo + "\x1b(Ha", kToSjis + "a"},
        Case{"KanjiEscapeJInAsciiCopied", "\x1b$J" + kTo, "\x1b$J" + kTo},
        Case{"AsciiAtEscapeFromAscii", "\x1b(@a", "a"},
        Case{"OtherEscapeCopied", "\x1bxa" + kKanjiIn + "\x1bx" + kTo, "\x1bxa\x1bx" + kToSjis},
        Case{"UnknownThreeByteEscapeCopied", "\x1b$Z\x1b(Z" + kKanjiIn + "\x1b(Z" + kTo,
             "\x1b$Z\x1b(Z\x1b(Z" + kToSjis},
        Case{"EscapeAtEndDropped", "a\x1b", "a"}, Case{"CutEscapeAtEndDropped", "a\x1b$", "a"},
        Case{"LoneKanjiByteDropped", kKanjiIn + kTo + "$", kToSjis},
        Case{"ControlAfterKanjiByte", kKanjiIn + "$\nab", "$\nab"},
        Case{"BlankReturnsToAscii", kKanjiIn + kTo + " " + kTo, kToSjis + " " + kTo},
        Case{"KanaByEitherEscape", kKanaIn + "1" + "\x1b$I" + "_" + kAsciiIn + "1",
             "\xB1\xDF"
             "1"},
        Case{"KanaToKanji", kKanaIn + "1" + kKanjiIn + kTo, "\xB1" + kToSjis},
        Case{"KanaEndsAtLineEnd", kKanaIn + "1\r\n1", "\xB1\r\n1"},
        // Bytes of 0x80 and above are not JIS: unchanged in every mode, never a zero byte.
        Case{"EightBitInKanji", kKanjiIn + "\x82\xA0" + kTo, "\x82\xA0" + kToSjis},
        Case{"EightBitSecondByte", kKanjiIn + "$\x82", "$\x82"},
        Case{"EightBitInKana", kKanaIn + "\x80\xFF", "\x80\xFF"}),
    CaseName);

struct PairCase {
    unsigned char j1, j2, s1, s2;
};

class JisPairTest : public testing::TestWithParam<PairCase> {};

TEST_P(JisPairTest, Converts) {
    const PairCase& c = GetParam();
    unsigned char s1 = 0;
    unsigned char s2 = 0;
    JisPairToSjis(c.j1, c.j2, s1, s2);
    EXPECT_EQ(s1, c.s1);
    EXPECT_EQ(s2, c.s2);
}

INSTANTIATE_TEST_SUITE_P(HeaderDecoder, JisPairTest,
                         testing::Values(PairCase{0x21, 0x21, 0x81, 0x40},   // ideographic space
                                         PairCase{0x21, 0x5F, 0x81, 0x7E},   // below the gap
                                         PairCase{0x21, 0x60, 0x81, 0x80},   // over the gap
                                         PairCase{0x24, 0x22, 0x82, 0xA0},   // hiragana a
                                         PairCase{0x30, 0x21, 0x88, 0x9F},   // first level 1
                                         PairCase{0x5E, 0x7E, 0x9F, 0xFC},   // last before E0
                                         PairCase{0x5F, 0x21, 0xE0, 0x40},   // first after 9F
                                         PairCase{0x74, 0x26, 0xEA, 0xA4})); // last level 2

TEST(HeaderDecoder, ParseEncodedWordGivesPartsAndLength) {
    EncodedWord word;
    const std::string input = "x =?iso-2022-jp?B?GyRC?= y";
    EXPECT_EQ(ParseEncodedWord(input, 2, word), 22u);
    EXPECT_EQ(word.charset, "iso-2022-jp");
    EXPECT_EQ(word.encoding, "B");
    EXPECT_EQ(word.text, "GyRC");
    EXPECT_TRUE(word.fits);
    EXPECT_EQ(ParseEncodedWord(input, 0, word), 0u);
    EXPECT_EQ(ParseEncodedWord("=?a?b?", 0, word), 0u);
    EXPECT_EQ(ParseEncodedWord("=?a?b?\?=", 0, word), 8u);
    EXPECT_EQ(word.text, "");
    EXPECT_EQ(ParseEncodedWord("=?a?b?c\0?="s, 0, word), 0u);
    // 2 + 149 name bytes + the "?" after the charset reach the counter limit.
    EXPECT_TRUE(ParseEncodedWord("=?" + std::string(147, 'c') + "?e?t?=", 0, word) > 0);
    EXPECT_TRUE(word.fits);
    EXPECT_TRUE(ParseEncodedWord("=?" + std::string(148, 'c') + "?e?t?=", 0, word) > 0);
    EXPECT_FALSE(word.fits);
}

TEST(HeaderDecoder, DecodersWriteNoMoreThanTheirRoom) {
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(DecodeBase64("YWJjZGVm", buffer, 3), 2u);
    EXPECT_EQ(std::string(buffer, 4), "ab\0#"s);
    EXPECT_EQ(DecodeQuoted("=41=42=43", buffer, 3), 2u);
    EXPECT_EQ(std::string(buffer, 4), "AB\0#"s);
    EXPECT_EQ(DecodeBase64("AAAA"), std::string(3, '\0'));
}

// Every byte value, in every place where a decoder looks at it: no crash, both passes
// agree, the result holds no zero byte and is never longer than the input.
TEST(HeaderDecoder, EveryByteValueInEveryStage) {
    for (int value = 0; value < 256; ++value) {
        const std::string b(1, static_cast<char>(value));
        const std::vector<std::string> inputs = {
            b,
            b + b + b + b,
            AsciiWord(b),
            AsciiWord("=" + b + "0") + AsciiWord("=0" + b),
            "=?US-ASCII?B?" + b + "AAA?=",
            "=?US-ASCII?B?QUF" + b + "?=",
            JisWord(kKanjiIn + b + b + kAsciiIn) + JisWord(b + b + b),
            JisWord(kKanjiIn78 + kKanjiIn + b) + " " + b,
            kKanjiIn + b + b + kAsciiIn,
            kKanjiIn + "$" + b,
            kKanaIn + b,
            "\x1b" + b + "B",
            "\x1b$" + b,
            "\x1b(" + b,
            "=?" + b + "?" + b + "?" + b + "?=",
            "\n" + b + "\n " + AsciiWord("x") + "\n" + b,
        };
        for (const std::string& input : inputs) {
            const std::optional<std::string> result = DecodeHeaderText(input);
            ASSERT_TRUE(result.has_value());
            EXPECT_EQ(*result, StageTwo(StageOne(input))) << "byte " << value;
            EXPECT_EQ(result->find('\0'), std::string::npos) << "byte " << value;
            EXPECT_LE(result->size(), input.size());
        }
        EXPECT_LE(DecodeBase64(b + b + b + b).size(), 3u);
        EXPECT_LE(DecodeQuoted("=" + b + b).size(), 1u);
    }
}

// Random text made of the pieces the decoder reacts to; the same checks as above.
TEST(HeaderDecoder, RandomPiecesKeepTheInvariants) {
    const std::vector<std::string> pieces = {
        "=?",
        "?=",
        "?",
        "=",
        "ISO-2022-JP",
        "US-ASCII",
        "?B?",
        "?Q?",
        "?q?",
        "GyRC",
        "GyhC",
        "GyhK",
        "GyRA",
        "JEg",
        "=3D",
        "=1B",
        "_",
        " ",
        "\t",
        "\n",
        "\r\n",
        kKanjiIn,
        kKanjiIn78,
        kAsciiIn,
        kRomanIn,
        kKanaIn,
        "\x1b",
        "$H",
        "\x82\xA0",
        "\x80",
        JisWord(kJisTo),
        AsciiWord("a"),
        "\n\n",
        "x",
    };
    std::mt19937 random(20240611);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 5000; ++round) {
        std::string input;
        for (int n = length(random); n > 0; --n) {
            input += pieces[pick(random)];
        }
        const std::optional<std::string> result = DecodeHeaderText(input);
        ASSERT_TRUE(result.has_value());
        ASSERT_EQ(*result, StageTwo(StageOne(input))) << input;
        ASSERT_EQ(result->find('\0'), std::string::npos) << input;
        ASSERT_LE(result->size(), input.size()) << input;
    }
}

} // namespace
} // namespace tolvane
