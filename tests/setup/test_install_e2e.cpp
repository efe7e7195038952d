// The install layout end to end: `cmake --install` into a temporary prefix, the installed
// TolvaneSetup run there unattended (offscreen, its answers given through
// TOLVANE_SETUP_ANSWERS), then the uninstall entry's own command.
//
// Files that are not part of the build yet (the GUI program, the help and the read-me)
// are demanded as soon as they exist; until then the test puts stand-ins into the
// installed program folder itself.
#include "platform/SettingsTree.h"
#include "setup/FileTable.h"
#include "setup/SetupTexts.h"
#include "tests/setup/ExecWords.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

std::string Validate(const char* tool, const std::vector<std::string>& args) {
    const ProcessResult result = RunProcess(tool, args);
    return result.status == 0 ? "" : result.out + result.err + "!";
}

bool IsExecutableFile(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
}

class InstallEndToEnd : public ::testing::Test {
protected:
    // Installs the build into target. The build's install manifest is kept as it was: it
    // tells the user what a real install put where.
    void InstallInto(const fs::path& target) {
        const fs::path manifest = fs::path(TOLVANE_BINARY_DIR) / "install_manifest.txt";
        const bool hadManifest = fs::exists(manifest);
        const std::string saved = ReadFileBytes(manifest);
        const ProcessResult result = RunProcess(
            TOLVANE_CMAKE_COMMAND, {"--install", TOLVANE_BINARY_DIR, "--prefix", target.string()});
        if (hadManifest) {
            WriteFileBytes(manifest, saved);
        } else {
            fs::remove(manifest);
        }
        ASSERT_EQ(result.status, 0) << result.out << result.err;
    }

    void ExpectCompleteValidLayout() {
        EXPECT_TRUE(IsExecutableFile(programFolder / "TolvaneSetup"));
        EXPECT_TRUE(IsExecutableFile(programFolder / "tolvane-cli"));
        EXPECT_EQ(fs::read_symlink(prefix / "bin" / "tolvane-cli"), "../lib/tolvane/tolvane-cli");
        if (TOLVANE_HAVE_GUI_PROGRAM) {
            EXPECT_TRUE(IsExecutableFile(programFolder / "Tolvane"));
            EXPECT_EQ(fs::read_symlink(prefix / "bin" / "Tolvane"), "../lib/tolvane/Tolvane");
        }
        for (const char* shipped : {"help/Tolvane.hlp", "help/Tolvane.cnt", "Readme.txt"}) {
            const fs::path source = fs::path(TOLVANE_SOURCE_DIR) / "resources" / shipped;
            if (fs::exists(source)) {
                EXPECT_TRUE(fs::exists(programFolder / source.filename())) << shipped;
            }
        }

        const fs::path share = prefix / "share";
        const fs::path entry = share / "applications" / (TOLVANE_DESKTOP_ID ".desktop");
        EXPECT_EQ(Validate("/usr/bin/desktop-file-validate", {entry.string()}), "");
        const std::vector<std::string> exec = ExecWords(ReadFileBytes(entry));
        EXPECT_EQ(exec, std::vector<std::string>{(programFolder / "Tolvane").string()});
        EXPECT_NE(ReadFileBytes(entry).find("Categories=Network;Email;Qt;\n"), std::string::npos);
        EXPECT_EQ(Validate("/usr/bin/appstreamcli",
                           {"validate", "--no-net",
                            (share / "metainfo" / (TOLVANE_DESKTOP_ID ".metainfo.xml")).string()}),
                  "");
        EXPECT_TRUE(fs::exists(share / "icons/hicolor/scalable/apps/tolvane.svg"));
        for (const char* size : {"16x16", "32x32", "48x48", "256x256"}) {
            EXPECT_TRUE(fs::exists(share / "icons/hicolor" / size / "apps/tolvane.png")) << size;
        }
    }

    TempDir prefixDir;
    fs::path prefix = prefixDir.Path() / "my prefix"; // a blank on the way, on purpose
    fs::path programFolder = prefix / "lib" / "tolvane";
};

// One test, so that no two installs of the same build run at once.
TEST_F(InstallEndToEnd, LayoutIsValidAndItsSetupInstallsAndUninstalls) {
    InstallInto(prefix);
    ExpectCompleteValidLayout();
    // Stand-ins for what the build does not ship yet.
    for (const setup::FileTableRow& row : setup::kFileTable) {
        const fs::path file = programFolder / row.name;
        if ((row.flags & setup::FILE_REQUIRED) != 0 && !fs::exists(file)) {
            ASSERT_FALSE(std::string(row.name) == "Tolvane" && TOLVANE_HAVE_GUI_PROGRAM);
            WriteFileBytes(file, "stand-in");
        }
    }
    ScopedHome home;
    const std::vector<std::string> answers = {"TOLVANE_SETUP_ANSWERS=ok,ok",
                                              "QT_QPA_PLATFORM=offscreen"};

    const ProcessResult installed =
        RunProcess((programFolder / "TolvaneSetup").string(), {}, answers);
    ASSERT_EQ(installed.status, 0) << installed.err;
    EXPECT_NE(installed.err.find(setup::txt::kInstallDone), std::string::npos) << installed.err;

    const fs::path shortcut = home.Path() / "Desktop" / "トルヴェイン.desktop";
    const fs::path entry = home.DataHome() / "applications" / "tolvane-uninstall.desktop";
    EXPECT_TRUE(IsExecutableFile(shortcut));
    EXPECT_EQ(Validate("/usr/bin/desktop-file-validate", {shortcut.string()}), "");
    EXPECT_EQ(ExecWords(ReadFileBytes(shortcut)),
              std::vector<std::string>{(programFolder / "Tolvane").string()});
    EXPECT_EQ(Validate("/usr/bin/desktop-file-validate", {entry.string()}), "");
    SettingsTree tree(home.ConfigHome() / "tolvane" / "user.reg");
    RegKey root;
    ASSERT_EQ(tree.OpenKey(tree.Root(), "Software\\Orrindale\\Tolvane", root), REG_OK);

    // The entry's command, as the desktop runs it.
    const std::vector<std::string> command = ExecWords(ReadFileBytes(entry));
    ASSERT_EQ(command.size(), 2u);
    EXPECT_EQ(command[0], (programFolder / "TolvaneSetup").string());
    EXPECT_EQ(command[1], "/u");
    const ProcessResult removed = RunProcess(command[0], {command[1]}, answers);
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_NE(removed.err.find(setup::txt::kUninstallDone), std::string::npos) << removed.err;

    EXPECT_EQ(tree.OpenKey(tree.Root(), "Software\\Orrindale", root), REG_NOT_FOUND);
    EXPECT_FALSE(fs::exists(shortcut));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(fs::exists(programFolder / "Tolvane"));
    EXPECT_FALSE(fs::exists(programFolder / "Readme.txt"));
    EXPECT_TRUE(fs::exists(programFolder / "TolvaneSetup"));
}

} // namespace
} // namespace tolvane::test
