// Launcher files: Exec quoting, the shortcut and the uninstall entry as desktop tools read
// them (desktop-file-validate), and paths a launcher cannot carry.
#include "setup/DesktopEntry.h"
#include "setup/DesktopShortcut.h"
#include "setup/UninstallEntry.h"
#include "tests/setup/ExecWords.h"
#include "tests/setup/SetupTest.h"
#include "tests/support/ChildProcess.h"

#include <sys/stat.h>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;
using setup::QuoteExecArgument;

struct QuoteCase {
    const char* path;
    const char* quoted; // as it stands in the file
};

class ExecQuoting : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(ExecQuoting, QuotesWhatTheLauncherFormatReserves) {
    std::string quoted;
    ASSERT_TRUE(QuoteExecArgument(GetParam().path, quoted));
    EXPECT_EQ(quoted, GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExecQuoting,
    ::testing::Values(QuoteCase{"/usr/lib/tolvane/Tolvane", "/usr/lib/tolvane/Tolvane"},
                      QuoteCase{"/home/太郎/アプリ/Tolvane", "/home/太郎/アプリ/Tolvane"},
                      QuoteCase{"/opt/my apps/Tolvane", "\"/opt/my apps/Tolvane\""},
                      QuoteCase{"/opt/100%/Tolvane", "/opt/100%%/Tolvane"},
                      QuoteCase{"/opt/a\"b$c`d/T", "\"/opt/a\\\\\"b\\\\$c\\\\`d/T\""},
                      QuoteCase{"/opt/back\\slash/T", "\"/opt/back\\\\\\\\slash/T\""},
                      QuoteCase{"/opt/it's (new)/T", "\"/opt/it's (new)/T\""}));

TEST(ExecQuotingRefuses, PathsNoLauncherCanCarry) {
    std::string quoted;
    EXPECT_FALSE(QuoteExecArgument("/opt/new\nline/T", quoted));
    EXPECT_FALSE(QuoteExecArgument("/opt/\x01/T", quoted));
    EXPECT_FALSE(QuoteExecArgument("/opt/\xff\xfe/T", quoted)) << "not UTF-8";
    EXPECT_FALSE(QuoteExecArgument("", quoted));
}

// Runs desktop-file-validate on a file; "" when it is valid, else its complaint.
std::string Validate(const fs::path& file) {
    const ProcessResult result = RunProcess("/usr/bin/desktop-file-validate", {file.string()});
    return result.status == 0 && result.out.empty() ? "" : result.out + result.err + "!";
}

class LauncherTest : public SetupTest {};

TEST_F(LauncherTest, ShortcutAndEntryAreValidAtAwkwardPaths) {
    for (const char* folder : {"plain", "with blank", "quote\"dollar$", "100%", "back\\slash"}) {
        SCOPED_TRACE(folder);
        const fs::path program = programDir.Path() / folder;
        fs::create_directories(program);
        ASSERT_TRUE(setup::CreateDesktopShortcut(program));
        ASSERT_TRUE(setup::WriteUninstallEntry(program / "TolvaneSetup"));
        EXPECT_EQ(Validate(setup::DesktopShortcutPath()), "");
        EXPECT_EQ(Validate(setup::UninstallEntryPath()), "");
        EXPECT_EQ(ExecWords(ReadFileBytes(setup::DesktopShortcutPath())),
                  std::vector<std::string>{(program / "Tolvane").string()});
        EXPECT_EQ(ExecWords(ReadFileBytes(setup::UninstallEntryPath())),
                  (std::vector<std::string>{(program / "TolvaneSetup").string(), "/u"}));
    }
}

TEST_F(LauncherTest, ShortcutIsAnExecutableLauncherOfTolvaneInTheDesktopFolder) {
    ASSERT_TRUE(setup::CreateDesktopShortcut(context.programFolder));
    const fs::path shortcut = home.Path() / "Desktop" / "トルヴェイン.desktop";
    ASSERT_EQ(setup::DesktopShortcutPath(), shortcut);
    struct stat st {};
    ASSERT_EQ(::stat(shortcut.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    const std::string text = ReadFileBytes(shortcut);
    EXPECT_NE(text.find("\nExec=" + (context.programFolder / "Tolvane").string() + "\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nName=トルヴェイン\n"), std::string::npos);
}

TEST_F(LauncherTest, ShortcutFollowsTheUsersDesktopFolder) {
    WriteFileBytes(home.ConfigHome() / "user-dirs.dirs",
                   "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n");
    ASSERT_TRUE(setup::CreateDesktopShortcut(context.programFolder));
    EXPECT_TRUE(fs::exists(home.Path() / "デスクトップ" / "トルヴェイン.desktop"));
}

TEST_F(LauncherTest, ProgramPathALauncherCannotCarryWritesNothing) {
    const fs::path odd = programDir.Path() / "new\nline";
    EXPECT_FALSE(setup::CreateDesktopShortcut(odd));
    EXPECT_FALSE(setup::WriteUninstallEntry(odd / "TolvaneSetup"));
    EXPECT_FALSE(fs::exists(setup::DesktopShortcutPath()));
    EXPECT_FALSE(fs::exists(setup::UninstallEntryPath()));
}

} // namespace
} // namespace tolvane::test
