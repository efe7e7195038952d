#include "cli/Arguments.h"
#include "cli/MailFormat.h"
#include "cli/TerminalHost.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane::cli {
namespace {

struct ArgumentCase {
    std::vector<std::string> args;
    bool ok;
    Command command;
    size_t operands;
};

class ArgumentTable : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(ArgumentTable, Parses) {
    Arguments parsed;
    std::string error;
    const ArgumentCase& c = GetParam();
    ASSERT_EQ(ParseArguments(c.args, parsed, error), c.ok) << error;
    if (c.ok) {
        EXPECT_EQ(parsed.command, c.command);
        EXPECT_EQ(parsed.operands.size(), c.operands);
    } else {
        EXPECT_FALSE(error.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ArgumentTable,
    ::testing::Values(
        ArgumentCase{{"check"}, true, Command::Check, 0},
        ArgumentCase{{"check", "pop", "--json", "--raw", "--quiet"}, true, Command::Check, 1},
        ArgumentCase{{"check", "--json", "pop"}, true, Command::Check, 1},
        ArgumentCase{{"check", "a", "b"}, false, Command::Check, 0},
        ArgumentCase{{"check", "--raw"}, false, Command::Check, 0},
        ArgumentCase{{"check", "--yes"}, true, Command::Check, 0},
        ArgumentCase{{"check", "pop", "--yes", "--quiet"}, true, Command::Check, 1},
        ArgumentCase{{"check", "--bogus"}, false, Command::Check, 0},
        ArgumentCase{{"delete", "u1", "u2", "--yes", "--json"}, true, Command::Delete, 2},
        ArgumentCase{{"delete", "--yes"}, false, Command::Delete, 0},
        ArgumentCase{{"delete", "--", "-odd-uidl"}, true, Command::Delete, 1},
        ArgumentCase{{"delete", "u1", "--raw", "--json"}, false, Command::Delete, 0},
        ArgumentCase{{"accounts", "--json"}, true, Command::Accounts, 0},
        ArgumentCase{{"accounts", "x"}, false, Command::Accounts, 0},
        ArgumentCase{{"password", "pop"}, true, Command::Password, 1},
        ArgumentCase{{"password", "--file", "pop"}, true, Command::Password, 1},
        ArgumentCase{{"password"}, false, Command::Password, 0},
        ArgumentCase{{"password", "a", "b"}, false, Command::Password, 0},
        ArgumentCase{{"password", "pop", "--json"}, false, Command::Password, 0},
        ArgumentCase{{"check", "--file"}, false, Command::Check, 0},
        ArgumentCase{{"check", "--help"}, true, Command::Help, 0},
        ArgumentCase{{"-h"}, true, Command::Help, 0}, ArgumentCase{{}, false, Command::Help, 0},
        ArgumentCase{{"status"}, false, Command::Help, 0}));

TEST(Arguments, OperandsBecomeCp932) {
    Arguments parsed;
    std::string error;
    ASSERT_TRUE(ParseArguments({"check", "仕事"}, parsed, error));
    EXPECT_EQ(parsed.operands[0], Utf8ToCp932("仕事"));
}

TEST(Json, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("\r\n\t\b\f"), "\"\\r\\n\\t\\b\\f\"");
    EXPECT_EQ(JsonString(std::string("\x01\x1b\x1f", 3)), "\"\\u0001\\u001b\\u001f\"");
    EXPECT_EQ(JsonString(std::string("a\0b", 3)), "\"a\\u0000b\"");
    EXPECT_EQ(JsonString("件名 \x7f"), "\"件名 \x7f\"");
}

TEST(Json, MailObjectWithRawBytes) {
    CMail mail;
    mail.m_strAccount = "pop";
    mail.m_nNumber = 3;
    mail.m_nState = MAIL_NEW;
    mail.m_strUidl = "u-3";
    mail.m_strSize = "1234";
    mail.m_strDate = "2001/11/20 14:58:44";
    mail.m_strFrom = Utf8ToCp932("山田 <y@example.com>");
    mail.m_strSubject = Utf8ToCp932("会議\"");
    mail.m_strBody = "line\r\n";
    mail.m_bNotPlain = 1;
    mail.m_timeReceived = 1006235924;
    const std::string json = FormatMailJson({&mail}, true);
    EXPECT_EQ(json,
              "[\n  {\"account\": \"pop\", \"number\": 3, \"state\": \"new\", \"uidl\": \"u-3\", "
              "\"size\": 1234, \"date\": \"2001/11/20 14:58:44\", \"from\": \"山田 "
              "<y@example.com>\", \"subject\": \"会議\\\"\", \"body\": \"line\\r\\n\", "
              "\"not_plain\": true, \"received\": 1006235924, \"from_cp932\": "
              "\"8e529363203c79406578616d706c652e636f6d3e\", \"subject_cp932\": "
              "\"89ef8b6322\", \"body_cp932\": \"6c696e650d0a\"}\n]\n");
    EXPECT_EQ(FormatMailJson({}, false), "[]\n");
}

TEST(Terminal, WidthCountsWideCharactersTwice) {
    EXPECT_EQ(DisplayWidth("abc"), 3);
    EXPECT_EQ(DisplayWidth("新着"), 4);
    EXPECT_EQ(DisplayWidth("ｱｲｳ"), 3); // half-width katakana
    EXPECT_EQ(DisplayWidth("Ａ１"), 4);
    EXPECT_EQ(DisplayWidth(""), 0);
}

TEST(Terminal, ServerTextsCannotDriveTheTerminal) {
    EXPECT_EQ(TerminalSafe("a\x1b[2Jb\tc\x7f", false), "a?[2Jb c?");
    EXPECT_EQ(TerminalSafe("x\xc2\x9b"
                           "1m",
                           false),
              "x?1m"); // C1 CSI
    EXPECT_EQ(TerminalSafe("a\nb", false), "a?b");
    EXPECT_EQ(TerminalSafe("a\nb", true), "a\nb");
    EXPECT_EQ(LogTextForTerminal(Utf8ToCp932("popへ接続中です。\r\n\r\n")),
              "popへ接続中です。\n\n");
}

TEST(Terminal, ListColumnsAlignByDisplayWidth) {
    CMail a;
    a.m_strAccount = "pop";
    a.m_nState = MAIL_NEW;
    a.m_strSize = "98";
    a.m_strDate = "2001/11/20 14:58:44";
    a.m_strFrom = "x@example.com";
    a.m_strSubject = Utf8ToCp932("こんにちは");
    CMail b;
    b.m_strAccount = Utf8ToCp932("仕事");
    b.m_nState = MAIL_EXPIRED;
    b.m_strSize = "12345";
    b.m_strFrom = Utf8ToCp932("山田");
    b.m_strSubject = "hello";
    EXPECT_EQ(FormatMailList({&a, &b}),
              "pop   新着         98  2001/11/20 14:58:44  x@example.com  こんにちは\n"
              "仕事  期限切れ  12345                       山田           hello\n");
}

} // namespace
} // namespace tolvane::cli
