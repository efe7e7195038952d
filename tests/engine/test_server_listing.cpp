// Listings and per-mail replies read by the numbers the server states, and server text made
// safe for the log.
#include "engine/LogSafe.h"
#include "engine/ServerListing.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tolvane {
namespace {

using Values = std::map<uint32_t, std::string>;

struct ListingCase {
    const char* name;
    const char* reply;
    ListingKind kind;
    unsigned count;
    bool ok;
    Values values;
};

class ListingTest : public ::testing::TestWithParam<ListingCase> {};

TEST_P(ListingTest, ReadsByTheStatedNumbers) {
    const ListingCase& c = GetParam();
    ServerListing listing;
    EXPECT_EQ(ParseServerListing(c.reply, c.kind, c.count, listing), c.ok);
    EXPECT_EQ(listing.values, c.values);
}

constexpr ListingKind U = ListingKind::Uid;
constexpr ListingKind S = ListingKind::Size;

INSTANTIATE_TEST_SUITE_P(
    Listings, ListingTest,
    ::testing::Values(
        ListingCase{
            "InOrder", "+OK\r\n1 AAA\r\n2 BBB\r\n.\r\n", U, 2, true, {{1, "AAA"}, {2, "BBB"}}},
        ListingCase{"Empty", "+OK\r\n.\r\n", U, 0, true, {}},
        ListingCase{
            "OtherOrder", "+OK 2\r\n2 BBB\r\n1 AAA\r\n.\r\n", U, 2, true, {{1, "AAA"}, {2, "BBB"}}},
        ListingCase{"Gap", "+OK\r\n1 AAA\r\n3 CCC\r\n.\r\n", U, 3, true, {{1, "AAA"}, {3, "CCC"}}},
        ListingCase{"Spaces", "+OK\r\n1   AAA  \r\n.\r\n", U, 1, true, {{1, "AAA"}}},
        ListingCase{"Sizes",
                    "+OK\r\n1 0120\r\n2 4294967295\r\n.\r\n",
                    S,
                    2,
                    true,
                    {{1, "0120"}, {2, "4294967295"}}},
        // every fault fails the whole listing
        ListingCase{"BeyondStat", "+OK\r\n1 AAA\r\n3 CCC\r\n.\r\n", U, 2, false, {}},
        ListingCase{"NumberZero", "+OK\r\n0 AAA\r\n.\r\n", U, 2, false, {}},
        ListingCase{"NumberTwice", "+OK\r\n1 AAA\r\n1 BBB\r\n.\r\n", U, 2, false, {}},
        ListingCase{"IdTwice", "+OK\r\n1 AAA\r\n2 AAA\r\n.\r\n", U, 2, false, {}},
        ListingCase{"NoId", "+OK\r\n1\r\n.\r\n", U, 1, false, {}},
        ListingCase{"ThreeWords", "+OK\r\n1 AAA x\r\n.\r\n", U, 1, false, {}},
        ListingCase{"SignedNumber", "+OK\r\n+1 AAA\r\n.\r\n", U, 1, false, {}},
        ListingCase{"ControlInId", "+OK\r\n1 A\tA\r\n.\r\n", U, 1, false, {}},
        ListingCase{"BareLf", "+OK\r\n1 AAA\n2 BBB\r\n.\r\n", U, 2, false, {}},
        ListingCase{"EmptyLine", "+OK\r\n1 AAA\r\n\r\n.\r\n", U, 1, false, {}},
        ListingCase{"CutShort", "+OK\r\n1 AAA\r\n2 BBB", U, 2, false, {}},
        ListingCase{"AfterTheDot", "+OK\r\n1 AAA\r\n.\r\n2 BBB\r\n", U, 2, false, {}},
        ListingCase{"Negative", "-ERR no\r\n", U, 2, false, {}},
        ListingCase{"SizeNotDigits", "+OK\r\n1 12a\r\n.\r\n", S, 1, false, {}},
        ListingCase{"SizeBeyond32Bits", "+OK\r\n1 4294967296\r\n.\r\n", S, 1, false, {}},
        ListingCase{"AnotherReplyInFront", "+OK\r\n+OK 1 119\r\n.\r\n", U, 1, false, {}}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(ServerListing, CompleteAndLookups) {
    ServerListing listing;
    ASSERT_TRUE(ParseServerListing("+OK\r\n2 B\r\n1 A\r\n.\r\n", U, 3, listing));
    EXPECT_FALSE(listing.Complete(3));
    EXPECT_TRUE(listing.Complete(2));
    EXPECT_EQ(listing.NumberOf("B"), 2u);
    EXPECT_EQ(listing.NumberOf(""), 0u);
    EXPECT_EQ(listing.NumberOf("C"), 0u);
    ASSERT_NE(listing.ValueOf(1), nullptr);
    EXPECT_EQ(*listing.ValueOf(1), "A");
    EXPECT_EQ(listing.ValueOf(3), nullptr);
}

struct ReplyCase {
    const char* reply;
    ListingKind kind;
    unsigned number;
    const char* value; // nullptr: refused
};

class NumberedReplyTest : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(NumberedReplyTest, StatesTheNumberAskedFor) {
    const ReplyCase& c = GetParam();
    std::string value = "before";
    EXPECT_EQ(ParseNumberedReply(c.reply, c.kind, c.number, value), c.value != nullptr);
    if (c.value) {
        EXPECT_EQ(value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, NumberedReplyTest,
    ::testing::Values(
        ReplyCase{"+OK 2 uid-2\r\n", U, 2, "uid-2"}, ReplyCase{"+OK 2 119\r\n", S, 2, "119"},
        ReplyCase{"+OK  2  uid-2 \r\n", U, 2, "uid-2"},
        ReplyCase{"+OK 1 uid-1\r\n", U, 2, nullptr},            // another mail's
        ReplyCase{"+OK 2 119\r\n+OK 2 119\r\n", S, 2, nullptr}, // a second reply
        ReplyCase{"+OK 2\r\n", U, 2, nullptr}, ReplyCase{"+OK 2 a b\r\n", U, 2, nullptr},
        ReplyCase{"+OK 2 uid-2", U, 2, nullptr}, ReplyCase{"-ERR 2 x\r\n", U, 2, nullptr},
        ReplyCase{"+OK 2 abc\r\n", S, 2, nullptr}));

TEST(StrayStatus, AReplyInFrontOfAMultiLineOne) {
    EXPECT_TRUE(StartsWithStrayStatus("+OK 1 119\r\n+OK\r\nFrom: a\r\n\r\n.\r\n"));
    EXPECT_TRUE(StartsWithStrayStatus("+OK\r\n-ERR no such message\r\n.\r\n"));
    EXPECT_FALSE(StartsWithStrayStatus("+OK\r\nFrom: a\r\nSubject: +OK\r\n\r\n+OK\r\n.\r\n"));
    EXPECT_FALSE(StartsWithStrayStatus("+OK"));
}

TEST(LogSafe, ControlsBecomeQuestionMarksAndDoubleByteCharactersStay) {
    EXPECT_EQ(LogSafe("a\r\nb\x1b[31mc\x07\x7f\x80"), "a??b?[31mc???");
    // 表 is 0x95 0x5C and ソ 0x83 0x5C: trail bytes below 0x80 are never taken alone.
    EXPECT_EQ(LogSafe("\x95\x5c\x83\x5c\x88\x9f"), "\x95\x5c\x83\x5c\x88\x9f");
    EXPECT_EQ(LogSafe("\x95\n"), "\x95?"); // a lead byte before a control is no character
    EXPECT_EQ(LogSafe("\x95"), "\x95");
}

} // namespace
} // namespace tolvane
