#include "platform/Paths.h"

#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Texts.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

unsigned ModeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

TEST(Paths, FoldersFollowTheEnvironmentAndArePrivate) {
    test::ScopedHome home;
    EXPECT_EQ(ConfigFolder(), home.ConfigHome() / "tolvane");
    EXPECT_EQ(DataFolder(), home.DataHome() / "tolvane");
    EXPECT_EQ(ModeOf(ConfigFolder()), 0700u);
    EXPECT_EQ(ModeOf(DataFolder()), 0700u);

    // Unset or relative XDG variables fall back to the home folder.
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(ConfigFolder(), home.Path() / ".config" / "tolvane");
    EXPECT_EQ(DataFolder(), home.Path() / ".local" / "share" / "tolvane");
    EXPECT_TRUE(fs::is_directory(home.Path() / ".local" / "share" / "tolvane"));
    EXPECT_FALSE(fs::exists("relative"));
}

TEST(Paths, ProgramFolderHoldsTheRunningProgram) {
    fs::path exe = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(ProgramFolder(), exe.parent_path());
}

TEST(Paths, DesktopFolderFromUserDirs) {
    test::ScopedHome home;
    EXPECT_EQ(DesktopFolder(), home.Path() / "Desktop");
    fs::create_directories(home.ConfigHome());
    const fs::path dirs = home.ConfigHome() / "user-dirs.dirs";
    test::WriteFileBytes(dirs, "# written by xdg-user-dirs-update\n"
                               "XDG_DOWNLOAD_DIR=\"$HOME/ダウンロード\"\n"
                               "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n");
    EXPECT_EQ(DesktopFolder(), home.Path() / "デスクトップ");
    test::WriteFileBytes(dirs, "XDG_DESKTOP_DIR=\"/srv/desk\"\n");
    EXPECT_EQ(DesktopFolder(), fs::path("/srv/desk"));
    test::WriteFileBytes(dirs, "XDG_DESKTOP_DIR=\"$HOME/\"\n");
    EXPECT_EQ(DesktopFolder(), home.Path());
}

// --- the settings and data folders must be the user's own

TEST(PrivateFolders, OursAreCreatedOrTightened) {
    test::ScopedHome home;
    int error = 0;
    const fs::path fresh = home.Path() / "fresh" / "tolvane";
    EXPECT_EQ(CheckPrivateFolder(fresh, error), FolderState::Private);
    EXPECT_EQ(ModeOf(fresh), 0700u);

    const fs::path open = home.Path() / "open";
    fs::create_directory(open);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    EXPECT_EQ(CheckPrivateFolder(open, error), FolderState::Tightened);
    EXPECT_EQ(ModeOf(open), 0700u);
    EXPECT_EQ(CheckPrivateFolder(open, error), FolderState::Private);

    // The user's own link to a folder moved elsewhere is followed.
    fs::create_directory_symlink(open, home.Path() / "moved");
    EXPECT_EQ(CheckPrivateFolder(home.Path() / "moved", error), FolderState::Private);
}

TEST(PrivateFolders, AFileInThePlaceOfTheFolderIsRefusedByName) {
    test::ScopedHome home;
    test::RecordingMessageHost messages;
    fs::create_directories(home.DataHome());
    test::WriteFileBytes(home.DataHome() / "tolvane", "not a folder");
    int error = 0;
    EXPECT_EQ(CheckPrivateFolder(home.DataHome() / "tolvane", error), FolderState::NotAFolder);
    EXPECT_FALSE(CheckPrivateFolders());
    const auto shown = messages.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].textUtf8.find((home.DataHome() / "tolvane").string()), std::string::npos);
    EXPECT_EQ(shown[0].icon, MsgIcon::Stop);
    EXPECT_EQ(test::ReadFileBytes(home.DataHome() / "tolvane"), "not a folder");
}

// Another user's folder, or another user's link (planted in a folder anyone may write),
// is never used, and never changed.
TEST(PrivateFolders, AnotherUsersFolderOrLinkIsRefused) {
    if (!test::RunningAsRoot()) {
        GTEST_SKIP() << "giving a folder to another user needs root";
    }
    test::ScopedHome home;
    test::RecordingMessageHost messages;
    const uid_t nobody = test::kNobodyId;
    const fs::path theirs = home.DataHome() / "tolvane";
    fs::create_directories(theirs);
    ASSERT_EQ(::chmod(theirs.c_str(), 0777), 0);
    ASSERT_EQ(::chown(theirs.c_str(), nobody, nobody), 0);
    int error = 0;
    EXPECT_EQ(CheckPrivateFolder(theirs, error), FolderState::NotOwned);
    EXPECT_EQ(ModeOf(theirs), 0777u);
    EXPECT_FALSE(CheckPrivateFolders());
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].textUtf8,
              Cp932ToUtf8(SjisFormat(txt::kFolderNotOwned, theirs.string().c_str())));

    const fs::path mine = home.Path() / "mine";
    fs::create_directory(mine);
    const fs::path planted = home.Path() / "planted";
    fs::create_directory_symlink(mine, planted);
    ASSERT_EQ(::lchown(planted.c_str(), nobody, nobody), 0);
    EXPECT_EQ(CheckPrivateFolder(planted, error), FolderState::NotOwned);
}

struct Stem {
    const char* name;
    std::string accountUtf8;
    std::string stem;
};

class AccountFileStemTest : public ::testing::TestWithParam<Stem> {};

TEST_P(AccountFileStemTest, Encodes) {
    EXPECT_EQ(AccountFileStem(Utf8ToCp932(GetParam().accountUtf8)), GetParam().stem);
}

INSTANTIATE_TEST_SUITE_P(
    Names, AccountFileStemTest,
    ::testing::Values(Stem{"Plain", "pop", "pop"}, Stem{"Japanese", "会社メール", "会社メール"},
                      Stem{"Slash", "a/b", "a%2Fb"}, Stem{"Percent", "100%", "100%25"},
                      Stem{"EncodedLookalike", "a%2Fb", "a%252Fb"},
                      Stem{"LeadingDot", ".hidden", "%2Ehidden"}, Stem{"DotDot", "..", "%2E."},
                      Stem{"Traversal", "../../etc/x", "%2E.%2F..%2Fetc%2Fx"},
                      Stem{"InnerDot", "mail.example", "mail.example"},
                      Stem{"Nul", std::string("a\0b", 3), "a%00b"}),
    [](const auto& testParam) { return testParam.param.name; });

// Every file made from a stem must fit a file name (the longest is NAME.dat.damaged.999):
// a long name is shortened, with the digest of the whole name, so no two names meet.
TEST(AccountFileStem, LongNamesFitAndStayApart) {
    const std::string a250(250, 'a');
    const std::string hiragana90 = test::Repeated("あ", 90);
    const std::vector<std::string> names = {
        a250,       a250 + "b",        std::string(239, 'a'), std::string(240, 'a'),
        hiragana90, hiragana90 + "い", std::string(300, '/'), std::string(300, '%')};
    std::set<std::string> stems;
    for (const std::string& utf8 : names) {
        const std::string stem = AccountFileStem(Utf8ToCp932(utf8));
        EXPECT_LE(stem.size() + sizeof(".dat.damaged.999") - 1, kMaxFileNameBytes) << utf8;
        EXPECT_TRUE(stems.insert(stem).second) << "shared: " << stem;
        EXPECT_EQ(stem.find('/'), std::string::npos);
    }
    EXPECT_EQ(AccountFileStem(std::string(239, 'a')), std::string(239, 'a')); // fits as it is
    // Shortened at whole characters, then the digest of the whole (CP932) name.
    const std::string stem = AccountFileStem(Utf8ToCp932(hiragana90));
    // 68 kana of three bytes fit the 205 bytes before "%~" and the 32 digits.
    EXPECT_EQ(stem, test::Repeated("あ", 68) + "%~4030f57c121e3774f3ea693027c836ec");
    // An escape is never cut apart.
    EXPECT_EQ(AccountFileStem(std::string(300, '/')).substr(0, 68 * 3 + 2),
              test::Repeated("%2F", 68) + "%~");
}

// A name whose UTF-8 form does not convert back (bytes that are no CP932 character all
// become "?") must not share the file of the name that really is "?".
TEST(AccountFileStem, NamesThatDoNotConvertBackAreKeptApart) {
    const std::string stray = "\x81"; // a lead byte without its trail byte
    EXPECT_NE(AccountFileStem(stray), AccountFileStem("?"));
    EXPECT_NE(AccountFileStem(stray), AccountFileStem("\x82"));
    EXPECT_EQ(AccountFileStem("?"), "?");
}

TEST(AccountFileStem, NoNameLeavesTheDataFolder) {
    test::ScopedHome home;
    std::vector<std::string> names = {"", ".", "/", "%", ".."};
    for (int c = 0; c < 256; ++c) {
        names.push_back(std::string(1, static_cast<char>(c)));
        names.push_back("." + std::string(1, static_cast<char>(c)));
    }
    for (const std::string& name : names) {
        std::string stem = AccountFileStem(name);
        EXPECT_FALSE(stem.empty());
        EXPECT_EQ(stem.find('/'), std::string::npos);
        EXPECT_NE(stem.front(), '.');
        EXPECT_EQ(StoreFilePath(name).parent_path(), DataFolder());
    }
    EXPECT_EQ(StoreFilePath("pop").filename(), "pop.dat");
}

} // namespace
} // namespace tolvane
