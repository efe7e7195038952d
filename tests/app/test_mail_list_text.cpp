// The mail list saved as text: the bytes of the file, and a write that fails.
#include "app/maillist/MailListText.h"
#include "platform/CodePage.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tolvane::gui {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

const std::string kRule = std::string(79, '-') + "\r\n";

CMail MailWith(const std::string& body) {
    CMail mail;
    mail.m_strSubject = Utf8ToCp932("会議");
    mail.m_strFrom = "taro <taro@example.jp>";
    mail.m_strSize = "1234";
    mail.m_strDate = "2024/02/12 09:30:00";
    mail.m_strAccount = Utf8ToCp932("仕事");
    mail.m_strBody = body;
    return mail;
}

std::string Header(const CMail& mail) {
    return Utf8ToCp932("    タイトル：") + mail.m_strSubject + "\r\n" +
           Utf8ToCp932("      送信者：") + mail.m_strFrom + "\r\n" + Utf8ToCp932("      サイズ：") +
           mail.m_strSize + Utf8ToCp932("バイト") + "\r\n" + Utf8ToCp932("    受信日時：") +
           mail.m_strDate + "\r\n" + Utf8ToCp932("アカウント名：") + mail.m_strAccount + "\r\n";
}

TEST(MailListText, TwoLineBodyIsIndentedAfterAnEmptyLine) {
    const CMail mail = MailWith("A\r\nB");
    EXPECT_EQ(FormatMailListText({&mail}), Utf8ToCp932("1通") + "\r\n" + kRule + Header(mail) +
                                               kRule + "\r\n    A\r\n    B\r\n" + kRule);
}

TEST(MailListText, LabelsEndInOneColumnAndEmptyBodiesWriteNothing) {
    const CMail empty = MailWith("");
    const CMail ending = MailWith("x\r\n\r\ny\r\n"); // a last line end adds no line
    const std::string text = FormatMailListText({&empty, &ending});
    EXPECT_EQ(text, Utf8ToCp932("2通") + "\r\n" + kRule + Header(empty) + kRule + kRule +
                        Header(ending) + kRule + "\r\n    x\r\n    \r\n    y\r\n" + kRule);
    for (const char* label : {"    タイトル：", "      送信者：", "      サイズ：",
                              "    受信日時：", "アカウント名："}) {
        EXPECT_EQ(Utf8ToCp932(label).size(), 12u + 2u) << label; // 12 bytes, then the colon
    }
}

TEST(MailListText, NoMailsWriteTheCountZeroAndOneRule) {
    EXPECT_EQ(FormatMailListText({}), Utf8ToCp932("0通") + "\r\n" + kRule);
}

// Every byte of a record reaches the file, NUL included: nothing passes through printf.
TEST(MailListText, ValuesAreCopiedByteForByte) {
    CMail mail = MailWith(std::string("a\0b", 3));
    mail.m_strSubject = std::string("%s\0%n", 5);
    const std::string text = FormatMailListText({&mail});
    EXPECT_NE(text.find(std::string("%s\0%n", 5)), std::string::npos);
    EXPECT_NE(text.find(std::string("    a\0b\r\n", 9)), std::string::npos);
}

TEST(MailListText, SavingReplacesTheFileWholeOrNotAtAll) {
    TempDir dir;
    const auto path = dir.Path() / "メール.txt";
    WriteFileBytes(path, "old");
    const CMail mail = MailWith("A");
    ASSERT_TRUE(SaveMailListText(path, {&mail}));
    EXPECT_EQ(ReadFileBytes(path), FormatMailListText({&mail}));

    // A folder that cannot be written: the call says so and the old file stays.
    const auto locked = dir.Path() / "locked";
    std::filesystem::create_directory(locked);
    WriteFileBytes(locked / "list.txt", "old");
    ::chmod(locked.c_str(), 0500);
    if (::geteuid() != 0) { // root writes anyway
        EXPECT_FALSE(SaveMailListText(locked / "list.txt", {&mail}));
        EXPECT_EQ(ReadFileBytes(locked / "list.txt"), "old");
    }
    EXPECT_FALSE(SaveMailListText(dir.Path() / "missing" / "list.txt", {&mail}));
}

// The file is the user's: saving over it keeps its mode and a link at its name; a new
// file gets the usual mode, not a private one.
TEST(MailListText, SavingKeepsTheModeAndTheLinkOfTheUsersFile) {
    TempDir dir;
    const CMail mail = MailWith("A");
    const auto mode = [](const std::filesystem::path& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 07777;
    };
    const auto shared = dir.Path() / "shared.txt";
    WriteFileBytes(shared, "old");
    ::chmod(shared.c_str(), 0640);
    ASSERT_TRUE(SaveMailListText(shared, {&mail}));
    EXPECT_EQ(mode(shared), 0640u);
    EXPECT_EQ(ReadFileBytes(shared), FormatMailListText({&mail}));

    const auto link = dir.Path() / "link.txt";
    std::filesystem::create_symlink("shared.txt", link);
    ASSERT_TRUE(SaveMailListText(link, {&mail, &mail}));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(shared), FormatMailListText({&mail, &mail}));
    EXPECT_EQ(mode(shared), 0640u);

    const mode_t mask = ::umask(022);
    ASSERT_TRUE(SaveMailListText(dir.Path() / "new.txt", {&mail}));
    ::umask(mask);
    EXPECT_EQ(mode(dir.Path() / "new.txt"), 0644u);
}

} // namespace
} // namespace tolvane::gui
