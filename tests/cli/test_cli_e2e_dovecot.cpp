// tolvane-cli as a program against a real Dovecot POP3 server: decoded Japanese lists,
// the new-only store across runs, deletion checked on the server, a refused login.
#include "cli/MailFormat.h"
#include "engine/JobTexts.h"
#include "platform/CodePage.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/DovecotFixture.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::test {
namespace {

struct JapaneseMail {
    const char* subjectUtf8;
    const char* subjectWord; // the subject as an ISO-2022-JP encoded word
};

const JapaneseMail kMails[] = {
    {"会議のお知らせ", "=?ISO-2022-JP?B?GyRCMnE1RCROJCpDTiRpJDsbKEI=?="},
    {"こんにちは", "=?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?="},
    {"請求書の送付", "=?ISO-2022-JP?B?GyRCQEE1YT1xJE5Bd0lVGyhC?="},
    {"新しいお便り", "=?ISO-2022-JP?B?GyRCPzckNyQkJCpKWCRqGyhC?="},
    {"二通目のお便り", "=?ISO-2022-JP?B?GyRCRnNETExcJE4kKkpYJGobKEI=?="},
};

std::string Mail(const JapaneseMail& mail, int index) {
    return "From: sender" + std::to_string(index) +
           "@example.com\r\n"
           "To: taro@example.com\r\n"
           "Subject: " +
           mail.subjectWord +
           "\r\n"
           "Date: Tue, 20 Nov 2001 14:58:44 +0900\r\n"
           "Message-ID: <m" +
           std::to_string(index) +
           "@example.com>\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
           "\r\n"
           "\x1b$BK\\J8$G$9!#\x1b(B\r\n";
}

size_t Count(const std::string& text, const std::string& needle) {
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

// The string value of key in one line of a --json list ("" when absent).
std::string Field(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\": \"";
    const size_t start = line.find(marker);
    if (start == std::string::npos) {
        return {};
    }
    const size_t from = start + marker.size();
    return line.substr(from, line.find('"', from) - from);
}

// The objects of a --json list, one per line.
std::vector<std::string> Objects(const std::string& json) {
    std::vector<std::string> objects;
    size_t at = 0;
    while (at < json.size()) {
        const size_t end = json.find('\n', at);
        const std::string line = json.substr(at, end == std::string::npos ? end : end - at);
        if (line.rfind("  {", 0) == 0) {
            objects.push_back(line);
        }
        if (end == std::string::npos) {
            break;
        }
        at = end + 1;
    }
    return objects;
}

// (uidl, subject) of every object of a --json list, in order.
std::vector<std::pair<std::string, std::string>> UidlsAndSubjects(const std::string& json) {
    std::vector<std::pair<std::string, std::string>> found;
    for (const std::string& object : Objects(json)) {
        found.emplace_back(Field(object, "uidl"), Field(object, "subject"));
    }
    return found;
}

class CliDovecotTest : public ::testing::Test {
protected:
    void SetUp() override {
        TOLVANE_REQUIRE_DOVECOT();
        dovecot.AddUser("taro", "secret");
        dovecot.AddUser("hanako", "pässwörd😀");
        ASSERT_TRUE(dovecot.Start()) << dovecot.Error();
    }
    void Deliver(int index) { dovecot.Deliver("taro", Mail(kMails[index], index)); }
    AccountSettings Settings() const {
        AccountSettings settings;
        settings.port = dovecot.Port();
        return settings;
    }

    ScopedHome home;
    DovecotFixture dovecot;
};

TEST_F(CliDovecotTest, CheckPrintsDecodedJapaneseSubjects) {
    Deliver(0);
    Deliver(1);
    WriteAccount(Settings());
    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Count(result.out, "\n"), 2u) << result.out;
    EXPECT_NE(result.out.find("会議のお知らせ\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("こんにちは\n"), std::string::npos);
    EXPECT_NE(result.out.find("2001/11/20 14:58:44"), std::string::npos);

    const CliResult json = RunCli({"check", "--json", "--raw"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"body\": \"本文です。\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"subject_cp932\": \"" + cli::HexBytes(Utf8ToCp932("会議のお知らせ")) +
                            "\""),
              std::string::npos);
}

TEST_F(CliDovecotTest, NewOnlyAccountCarriesWhatItSawAcrossRuns) {
    AccountSettings settings = Settings();
    settings.newOnly = 1;
    WriteAccount(settings);
    Deliver(0);
    Deliver(1);

    const CliResult first = RunCli({"check", "--json"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(Count(first.out, "\"state\": \"new\""), 2u) << first.out;

    const CliResult second = RunCli({"check", "--json"});
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(Count(second.out, "\"state\": \"new\""), 0u) << second.out;
    EXPECT_EQ(Count(second.out, "\"state\": \"known\""), 2u);
    EXPECT_NE(second.err.find(OnTerminal(SjisFormat(txt::kNoNewMail, "pop"))), std::string::npos)
        << second.err;

    Deliver(3);
    Deliver(4);
    const CliResult third = RunCli({"check", "--json"});
    EXPECT_EQ(third.status, 0) << third.err;
    EXPECT_EQ(Count(third.out, "\"state\": \"new\""), 2u) << third.out;
    EXPECT_EQ(Count(third.out, "\"state\": \"known\""), 2u);
    std::vector<std::string> subjects;
    for (const std::string& object : Objects(third.out)) {
        if (Field(object, "state") == "new") {
            subjects.push_back(Field(object, "subject"));
        }
    }
    EXPECT_EQ(subjects, (std::vector<std::string>{"新しいお便り", "二通目のお便り"}));
}

TEST_F(CliDovecotTest, DeleteRemovesExactlyThatMessageFromTheServer) {
    for (int i = 0; i < 3; ++i) {
        Deliver(i);
    }
    WriteAccount(Settings());
    const CliResult listed = RunCli({"check", "--json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    const auto before = UidlsAndSubjects(listed.out);
    ASSERT_EQ(before.size(), 3u) << listed.out;
    const std::string victim = before[1].first;

    const CliResult result = RunCli({"delete", victim, "--yes", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    const auto after = UidlsAndSubjects(result.out);
    ASSERT_EQ(after.size(), 2u) << result.out;
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[1], before[2]);

    const auto mailbox = dovecot.Mailbox("taro");
    ASSERT_EQ(mailbox.size(), 2u);
    for (const std::string& message : mailbox) {
        EXPECT_EQ(message.find(kMails[1].subjectWord), std::string::npos);
    }
}

// A password with characters CP932 lacks logs in: it goes on the wire as written.
TEST_F(CliDovecotTest, Utf8PasswordLogsIn) {
    dovecot.Deliver("hanako", Mail(kMails[0], 0));
    AccountSettings settings = Settings();
    settings.user = "hanako";
    settings.password = "pässwörd😀";
    WriteAccount(settings);
    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("会議のお知らせ\n"), std::string::npos) << result.out;
    EXPECT_EQ(GetProfileStringUtf8("Account\\pop", "Password", ""), "pässwörd😀");
}

TEST_F(CliDovecotTest, WrongPasswordExitsOneWithTheLoginText) {
    Deliver(0);
    AccountSettings settings = Settings();
    settings.password = "wrong";
    WriteAccount(settings);
    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kLoginRefused, "pop"))), std::string::npos)
        << result.err;
    EXPECT_EQ(result.out, "");
}

TEST_F(CliDovecotTest, TodaysMailIsDecodedUnlessTheAccountSaysNot) {
    for (const char* file : {"01-utf8-base64.eml", "06-html-only.eml"}) {
        dovecot.Deliver("taro", ReadFileBytes(std::filesystem::path(TOLVANE_SOURCE_DIR) /
                                              "tests/data/today-mail" / file));
    }
    AccountSettings settings = Settings();
    settings.lines = 10;
    WriteAccount(settings);
    const CliResult accounts = RunCli({"accounts", "--json"});
    EXPECT_NE(accounts.out.find("\"decode\": true"), std::string::npos) << accounts.out;

    const CliResult json = RunCli({"check", "--json", "--raw"});
    EXPECT_EQ(json.status, 0) << json.err;
    const std::vector<std::string> objects = Objects(json.out);
    ASSERT_EQ(objects.size(), 2u) << json.out;
    EXPECT_EQ(Field(objects[0], "subject"), "来週の打ち合わせについて");
    EXPECT_EQ(Field(objects[0], "subject_cp932"),
              cli::HexBytes(Utf8ToCp932("来週の打ち合わせについて")));
    EXPECT_EQ(Field(objects[0], "body").substr(0, Field(objects[0], "body").find('\\')),
              "小林さん");
    EXPECT_EQ(Field(objects[1], "subject"), "月刊ほしぞら通信 7月号");
    const std::string hex = cli::HexBytes(Utf8ToCp932("ほしぞら"));
    EXPECT_EQ(Field(objects[1], "body_cp932").substr(0, hex.size()), hex);

    ASSERT_TRUE(WriteProfileInt("Account\\pop", "Decode", 0));
    EXPECT_NE(RunCli({"accounts", "--json"}).out.find("\"decode\": false"), std::string::npos);
    const CliResult seed = RunCli({"check", "--json"});
    EXPECT_EQ(seed.status, 0) << seed.err;
    EXPECT_EQ(Field(Objects(seed.out).at(0), "subject"),
              "=?UTF-8?B?5p2l6YCx44Gu5omT44Gh5ZCI44KP44Gb44Gr44Gk44GE44Gm?=");
}

} // namespace
} // namespace tolvane::test
