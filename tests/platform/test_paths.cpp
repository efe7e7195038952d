#include "platform/Paths.h"

#include "platform/CodePage.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

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
