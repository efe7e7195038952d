// Base64 and quoted-printable of bodies and encoded words: the RFC's own examples,
// padding, line breaks and stray bytes, soft line breaks, and text cut at every byte.
#include "engine/TransferDecode.h"
#include "tests/support/JapaneseMail.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

struct Decoding {
    const char* name;
    std::string text;
    std::string bytes;
};

class Base64Table : public ::testing::TestWithParam<Decoding> {};

TEST_P(Base64Table, Decodes) {
    EXPECT_EQ(DecodeBase64Text(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(TransferDecode, Base64Table,
                         ::testing::Values(
                             // The test vectors of RFC 4648, section 10.
                             Decoding{"Rfc4648Empty", "", ""}, Decoding{"Rfc4648F", "Zg==", "f"},
                             Decoding{"Rfc4648Fo", "Zm8=", "fo"},
                             Decoding{"Rfc4648Foo", "Zm9v", "foo"},
                             Decoding{"Rfc4648Foob", "Zm9vYg==", "foob"},
                             Decoding{"Rfc4648Fooba", "Zm9vYmE=", "fooba"},
                             Decoding{"Rfc4648Foobar", "Zm9vYmFy", "foobar"},
                             Decoding{"LineBreaksAndBlanks", "Zm9v\r\nYm\r\n Fy\t", "foobar"},
                             Decoding{"StrayBytesSkipped",
                                      "Zm9v*Ym\x80"
                                      "Fy",
                                      "foobar"},
                             Decoding{"MissingPadding", "Zm9vYg", "foob"},
                             Decoding{"CutAfterOneCharacter", "Zm9vY", "foo"},
                             Decoding{"PaddedGroupsOneAfterAnother", "Zg==Zm8=", "ffo"},
                             Decoding{"ZeroBytesKept", "AAE=", std::string("\0\1", 2)}),
                         [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(TransferDecode, Base64CutAtEveryByteGivesAPrefix) {
    const std::string bytes = "\xe4\xbb\x8a\xe6\x97\xa5\xe3\x81\xaf\xe6\x99\xb4\xe3\x82\x8c";
    const std::string text = test::Base64(bytes);
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        const std::string decoded = DecodeBase64Text(text.substr(0, cut));
        EXPECT_EQ(decoded, bytes.substr(0, cut * 3 / 4)) << "cut " << cut;
    }
}

struct WordCase {
    const char* name;
    std::string text;
    bool valid;
};

class Base64WordTable : public ::testing::TestWithParam<WordCase> {};

TEST_P(Base64WordTable, Validates) {
    EXPECT_EQ(IsBase64Word(GetParam().text), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    TransferDecode, Base64WordTable,
    ::testing::Values(WordCase{"Padded", "Zm8=", true}, WordCase{"TwoPads", "Zg==", true},
                      WordCase{"Unpadded", "Zm8", true}, WordCase{"Empty", "", true},
                      WordCase{"OneCharacterOver", "Zm9vY", false},
                      WordCase{"ThreePads", "Z===", false},
                      WordCase{"PadInTheMiddle", "Zg==Zm8=", false},
                      WordCase{"WrongPadLength", "Zm8==", false}, WordCase{"Blank", "Zm 8=", false},
                      WordCase{"Punctuation", "Zm8!", false}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

class QuotedPrintableTable : public ::testing::TestWithParam<Decoding> {};

TEST_P(QuotedPrintableTable, DecodesBodies) {
    EXPECT_EQ(DecodeQuotedPrintable(GetParam().text, Underscore::Literal), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    TransferDecode, QuotedPrintableTable,
    ::testing::Values(Decoding{"Escapes", "=E3=81=82=e3=81=84", "\xe3\x81\x82\xe3\x81\x84"},
                      Decoding{"SoftLineBreak", "abc=\r\ndef\r\n", "abcdef\r\n"},
                      Decoding{"SoftLineBreakWithBlanks", "abc= \t\r\ndef", "abcdef"},
                      Decoding{"SoftLineBreakLf", "abc=\ndef", "abcdef"},
                      Decoding{"TrailingBlanksGo", "abc  \r\ndef\t\nx", "abc\r\ndef\nx"},
                      Decoding{"InnerBlanksStay", "a  b", "a  b"},
                      Decoding{"UnderscoreIsItself", "a_b", "a_b"},
                      Decoding{"EqualsWithoutHexStays", "a=ZZb", "a=ZZb"},
                      Decoding{"CutAfterEquals", "abc=", "abc"},
                      Decoding{"CutAfterOneHexDigit", "abc=E", "abc"},
                      Decoding{"CutAfterEqualsAndBlank", "abc= ", "abc"},
                      Decoding{"EqualsBeforeOneNonHex", "a=Zb", "a=Zb"},
                      Decoding{"ZeroByte", "a=00b", std::string("a\0b", 3)}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(TransferDecode, QEncodingOfWordsReadsUnderscoreAsSpace) {
    // RFC 2047, section 8: "=?ISO-8859-1?Q?a_b?=" is "a b".
    EXPECT_EQ(DecodeQuotedPrintable("a_b", Underscore::Space), "a b");
    EXPECT_EQ(DecodeQuotedPrintable("Keith_Moore", Underscore::Space), "Keith Moore");
    EXPECT_EQ(DecodeQuotedPrintable("Andr=E9", Underscore::Space), "Andr\xe9");
    EXPECT_EQ(DecodeQuotedPrintable("=5F", Underscore::Space), "_");
}

TEST(TransferDecode, QuotedPrintableCutAtEveryByteGivesAPrefix) {
    const std::string text = "=E4=BB=8A=E6=97=A5 is=\r\n fine=3D\r\n";
    const std::string whole = DecodeQuotedPrintable(text, Underscore::Literal);
    ASSERT_EQ(whole, "\xe4\xbb\x8a\xe6\x97\xa5 is fine=\r\n");
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        const std::string decoded = DecodeQuotedPrintable(text.substr(0, cut), Underscore::Literal);
        EXPECT_EQ(whole.compare(0, decoded.size(), decoded), 0) << "cut " << cut << ": " << decoded;
    }
}

} // namespace
} // namespace tolvane
