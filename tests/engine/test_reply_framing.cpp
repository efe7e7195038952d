// Where a reply ends when the next ones may follow in the same bytes.
#include "engine/ReplyFraming.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

struct FramingCase {
    const char* name;
    std::string text;
    bool multiLine;
    size_t end; // kIncomplete when no whole reply is there yet
};

class Framing : public ::testing::TestWithParam<FramingCase> {};

TEST_P(Framing, FindsTheEndOfTheFirstReply) {
    EXPECT_EQ(FindReplyEnd(GetParam().text, GetParam().multiLine), GetParam().end);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, Framing,
    ::testing::Values(
        FramingCase{"Empty", "", false, kIncomplete},
        FramingCase{"StatusWithoutLineEnd", "+OK 1 24", false, kIncomplete},
        FramingCase{"CrWithoutLf", "+OK 1 24\r", false, kIncomplete},
        FramingCase{"SingleLine", "+OK 1 24\r\n", false, 10},
        FramingCase{"SingleLineThenTheNext", "+OK 1 24\r\n+OK 2 30\r\n", false, 10},
        FramingCase{"BareLineEnd", "\r\n+OK\r\n", false, 2},
        FramingCase{"NegativeSingleLine", "-ERR no such message\r\n+OK\r\n", false, 22},
        // A multi-line command's -ERR is its status line alone.
        FramingCase{"NegativeMultiLine", "-ERR no such message\r\n+OK 2 30\r\n", true, 22},
        FramingCase{"EmptyListing", "+OK\r\n.\r\n+OK 3 1\r\n", true, 8},
        FramingCase{"ListingThenTheNext", "+OK\r\n1 AAA\r\n2 BBB\r\n.\r\n-ERR\r\n", true, 22},
        FramingCase{"TerminatorNotYetWhole", "+OK\r\n1 AAA\r\n.\r", true, kIncomplete},
        FramingCase{"DotStuffedLineDoesNotEnd", "+OK\r\n..\r\n.x\r\nbody\r\n.\r\n", true, 22},
        FramingCase{"DotsInsideLines", "+OK\r\nx.\r\n.y\r\n.\r\n", true, 16},
        FramingCase{"FirstLoneDotEndsIt", "+OK\r\nSubject: a\r\n.\r\nx\r\n.\r\n", true, 20},
        FramingCase{"OnlyTheStatusSoFar", "+OK\r\n", true, kIncomplete},
        FramingCase{"NoBlankBeforeTheDot", "+OK\r\nx\r\n.\r\n", true, 11}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

} // namespace
} // namespace tolvane
