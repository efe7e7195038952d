// The pure parts of the check job: GetHeader, FormatDate and ParseMail, from tables.
#include "engine/Account.h"

#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tolvane {
namespace {

struct HeaderCase {
    const char* name;
    std::string text;
    std::string key;
    std::string value;
};

class GetHeaderTable : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(GetHeaderTable, FindsTheValue) {
    EXPECT_EQ(CAccount::GetHeader(GetParam().text, GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    HeaderFields, GetHeaderTable,
    ::testing::Values(
        HeaderCase{"Plain", "+OK\r\nSubject: hello\r\nFrom: a\r\n\r\n", "\r\nSubject:", "hello"},
        HeaderCase{"Missing", "+OK\r\nFrom: a\r\n\r\n", "\r\nSubject:", ""},
        HeaderCase{"CaseSensitiveKey", "+OK\r\nsubject: x\r\n\r\n", "\r\nSubject:", ""},
        HeaderCase{"FoldedWithTab", "+OK\r\nSubject: abc\r\n\tdef\r\n\r\n",
                   "\r\nSubject:", "abcdef"},
        HeaderCase{"FoldedManyBlanks", "+OK\r\nSubject: a\r\n  \t b\r\n c\r\nX: y\r\n",
                   "\r\nSubject:", "abc"},
        HeaderCase{"NoSpaceLosesFirstCharacter", "+OK\r\nSubject:hello\r\n",
                   "\r\nSubject:", "ello"},
        HeaderCase{"EmptyValueKeepsItsLineEnd", "+OK\r\nSubject:\r\nFrom: a\r\n\r\n",
                   "\r\nSubject:", ""},
        HeaderCase{"EmptyValueThenFold", "+OK\r\nSubject:\r\n x\r\n\r\n", "\r\nSubject:", "x"},
        HeaderCase{"LoneCarriageReturnDropped", "+OK\r\nSubject: a\rb\r\n", "\r\nSubject:", "ab"},
        HeaderCase{"CarriageReturnBeforeCarriageReturn", "+OK\r\nSubject: a\r\r\n",
                   "\r\nSubject:", "a\r\n"},
        HeaderCase{"ValueAtTheEnd", "+OK\r\nSubject: tail", "\r\nSubject:", "tail"},
        HeaderCase{"KeyAtTheVeryEnd", "+OK\r\nSubject:", "\r\nSubject:", ""},
        HeaderCase{"CarriageReturnAtTheEnd", "+OK\r\nSubject: a\r", "\r\nSubject:", "a"},
        HeaderCase{"KeyOnlyInTheBody", "+OK\r\nTo: b\r\n\r\nquoted:\r\nFrom: c\r\n.\r\n",
                   "\r\nFrom:", "c"},
        HeaderCase{"FirstOccurrenceWins", "+OK\r\nFrom: a\r\nFrom: b\r\n", "\r\nFrom:", "a"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

struct DateCase {
    const char* name;
    std::string value;
    std::string formatted;
};

class FormatDateTable : public ::testing::TestWithParam<DateCase> {};

TEST_P(FormatDateTable, Formats) {
    EXPECT_EQ(CAccount::FormatDate(GetParam().value), GetParam().formatted);
}

INSTANTIATE_TEST_SUITE_P(
    HeaderFields, FormatDateTable,
    ::testing::Values(
        DateCase{"Usual", "Tue, 20 Nov 2001 14:58:44 +0900", "2001/11/20 14:58:44"},
        DateCase{"SingleDigitDay", "Sat, 3 Jan 2004 09:05:00 GMT", "2004/01/03 09:05:00"},
        DateCase{"RunsOfSpaces", "Tue,  20   Dec  2001 01:02:03", "2001/12/20 01:02:03"},
        DateCase{"NoWeekdaySkipsTheDay", "20 Nov 2001 14:58:44 +0900", "14:58:44/00/00 +0900"},
        DateCase{"UnknownMonth", "Tue, 20 Foo 2001 14:58:44", "2001/00/20 14:58:44"},
        DateCase{"PartOfAMonthName", "Tue, 20 ov 2001 1:2:3", "2001/11/20 1:2:3"},
        DateCase{"DayWithTrailingText", "Tue, 7th Mar 2001 10:00", "2001/03/07 10:00"},
        DateCase{"DayWithoutDigits", "Tue, x Mar 2001 10:00", "2001/03/00 10:00"},
        DateCase{"HugeDayDoesNotOverflow", "Tue, 99999999999999 Mar 2001 10:00",
                 "2001/03/999999999 10:00"},
        DateCase{"Empty", "", ""}, DateCase{"OnlySpaces", "   ", "/00/00 "},
        DateCase{"OneWord", "Tue,", "/00/00 "}, DateCase{"TwoWords", "Tue, 20", "/00/20 "},
        DateCase{"ThreeWords", "Tue, 20 Nov", "/11/20 "},
        DateCase{"FourWords", "Tue, 20 Nov 2001", "2001/11/20 "}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

std::unique_ptr<CMail> Parse(const std::string& reply) {
    CAccount account(nullptr, nullptr);
    return std::unique_ptr<CMail>(account.ParseMail(reply));
}

std::string Top(const std::string& headers, const std::string& body = "") {
    return "+OK\r\n" + headers + "\r\n" + body + ".\r\n";
}

struct FromCase {
    const char* name;
    std::string header;
    std::string from;
};

class ParseMailFrom : public ::testing::TestWithParam<FromCase> {};

TEST_P(ParseMailFrom, RemovesQuotesOnlyWhenTheValueStartsWithOne) {
    EXPECT_EQ(Parse(Top(GetParam().header))->m_strFrom, GetParam().from);
}

INSTANTIATE_TEST_SUITE_P(
    HeaderFields, ParseMailFrom,
    ::testing::Values(FromCase{"QuotedName", "From: \"Taro Yamada\" <taro@example.jp>\r\n",
                               "Taro Yamada <taro@example.jp>"},
                      FromCase{"QuoteInside", "From: Taro \"T\" <taro@example.jp>\r\n",
                               "Taro \"T\" <taro@example.jp>"},
                      FromCase{"Missing", "Subject: x\r\n", ""},
                      FromCase{"EncodedName", "From: =?ISO-2022-JP?B?GyRCJEgbKEI=?= <a@b>\r\n",
                               "\x82\xc6 <a@b>"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

struct ContentTypeCase {
    const char* name;
    std::string header;
    uint32_t notPlain;
};

class ParseMailContentType : public ::testing::TestWithParam<ContentTypeCase> {};

TEST_P(ParseMailContentType, SetsTheNotPlainFlag) {
    EXPECT_EQ(Parse(Top("Subject: x\r\n" + GetParam().header))->m_bNotPlain, GetParam().notPlain);
}

INSTANTIATE_TEST_SUITE_P(
    HeaderFields, ParseMailContentType,
    ::testing::Values(
        ContentTypeCase{"MixedCasePlain", "Content-Type: Text/Plain; charset=iso-2022-jp\r\n", 0},
        ContentTypeCase{"PlainWithoutParameters", "Content-Type: text/plain\r\n", 1},
        ContentTypeCase{"Missing", "", 0},
        ContentTypeCase{"Multipart", "Content-Type: multipart/mixed; boundary=x\r\n", 1},
        ContentTypeCase{"FoldedParameters",
                        "Content-Type: text/plain;\r\n\tcharset=\"ISO-2022-JP\"\r\n", 0}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(HeaderFields, ParseMailFillsTheFieldsOfTheHeader) {
    auto mail = Parse(Top("Return-Path: <a@b>\r\nSubject: abc\r\n\tdef\r\nX-UIDL: 0123abc\r\n"
                          "Date: Tue, 20 Nov 2001 14:58:44 +0900\r\n",
                          "body 1\r\nbody 2\r\n"));
    EXPECT_EQ(mail->m_strSubject, "abcdef");
    EXPECT_EQ(mail->m_strUidl, "0123abc");
    EXPECT_EQ(mail->m_strDate, "2001/11/20 14:58:44");
    EXPECT_EQ(mail->m_strBody, "body 1\r\nbody 2"); // the last line end goes with the ".\r\n"
    EXPECT_EQ(mail->m_strSize, "");
    EXPECT_EQ(mail->m_nState, MAIL_NEW);
}

TEST(HeaderFields, SubjectKeepsQuotesAndIsDecoded) {
    auto mail = Parse(Top("Subject: \"=?ISO-2022-JP?B?GyRCJEgbKEI=?=\"\r\n"));
    EXPECT_EQ(mail->m_strSubject, "\"\x82\xc6\"");
}

TEST(HeaderFields, BodyIsDecodedFromIso2022Jp) {
    // "と" in JIS X 0208 is 0x24 0x48.
    auto mail = Parse(Top("Subject: x\r\n", "\x1b$B$H\x1b(B\r\n"));
    EXPECT_EQ(mail->m_strBody, "\x82\xc6");
}

struct BodyCase {
    const char* name;
    std::string reply;
    std::string body;
};

class BodyTable : public ::testing::TestWithParam<BodyCase> {};

TEST_P(BodyTable, TakesTheLinesAfterTheEmptyLine) {
    CMail mail;
    mail.m_strBody = "old";
    CAccount::ReloadBody(&mail, GetParam().reply);
    EXPECT_EQ(mail.m_strBody, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    HeaderFields, BodyTable,
    ::testing::Values(BodyCase{"HeaderOnly", "+OK\r\nSubject: x\r\n\r\n.\r\n", ""},
                      BodyCase{"OneLine", "+OK\r\nSubject: x\r\n\r\nhi\r\n.\r\n", "hi"},
                      BodyCase{"NoEmptyLine", "+OK\r\nSubject: x\r\n.\r\n", ""},
                      BodyCase{"ShortReply", "\r\n\r\n", ""},
                      BodyCase{"StuffedDotStays", "+OK\r\nA: b\r\n\r\n..x\r\n.\r\n", "..x"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

} // namespace
} // namespace tolvane
