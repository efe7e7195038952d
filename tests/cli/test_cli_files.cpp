// tolvane-cli and the files it keeps: mail stores that cannot be saved or whose names are
// long, and data folders where others could plant links.
#include "engine/JobTexts.h"
#include "platform/CodePage.h"
#include "platform/InstanceLock.h"
#include "platform/Paths.h"
#include "platform/Texts.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestEnv.h"
#include "tests/support/UnwritableFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

unsigned ModeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

class CliFilesTest : public ::testing::Test {
protected:
    CliFilesTest() {
        server.SetMessages({{"u1", MakeMessage({"Subject: one"}, {"1"})},
                            {"u2", MakeMessage({"Subject: two"}, {"2"})}});
    }

    ScopedHome home;
    FakePop3Server server;
};

// Seen mails that cannot be remembered are told, and the run does not end as a success.
TEST_F(CliFilesTest, StoreThatCannotBeSavedIsToldAndFailsTheRun) {
    WriteNewOnlyAccount(server.Port());
    UnwritableFolder full(home.DataHome(), UnwritableFolder::Kind::Full);
    ASSERT_TRUE(full.Usable());
    const std::string told = "受信済みメールの情報をファイル[";
    for (const bool quiet : {false, true}) {
        const CliResult result = quiet ? RunCli({"check", "--quiet"}) : RunCli({"check"});
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.err.find(told), std::string::npos) << result.err;
        EXPECT_NE(result.out.find("pop  新着"), std::string::npos) << result.out; // still listed
    }
}

// Names whose file names would pass 255 bytes (with the temporary and damaged suffixes)
// are remembered all the same, each in a file of its own.
TEST_F(CliFilesTest, LongAccountNamesAreRemembered) {
    const std::vector<std::string> names = {std::string(250, 'a'), std::string(251, 'a'),
                                            Repeated("あ", 90)};
    for (const std::string& name : names) {
        WriteNewOnlyAccount(server.Port(), Utf8ToCp932(name));
    }
    CliResult result = RunCli({"check"});
    ASSERT_EQ(result.status, 0) << result.err;
    result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find("新着"), std::string::npos) << result.out; // all seen before
    size_t stores = 0;
    for (const auto& entry : fs::directory_iterator(DataFolder())) {
        stores += entry.path().extension() == ".dat" ? 1 : 0;
    }
    EXPECT_EQ(stores, names.size());
}

// A data folder that others can write: made private before use, and the links planted in
// it are never followed.
TEST_F(CliFilesTest, PlantedLogLinkIsNeverWrittenThrough) {
    AccountSettings settings;
    settings.port = server.Port();
    WriteAccount(settings);
    ASSERT_TRUE(WriteProfileInt("Option", "SaveLog", 1));
    fs::create_directories(DataFolder());
    ASSERT_EQ(::chmod(DataFolder().c_str(), 0777), 0);
    const fs::path victim = home.Path() / "victim";
    WriteFileBytes(victim, "precious");
    fs::create_symlink(victim, DataFolder() / "Tolvane.log");

    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    EXPECT_EQ(ModeOf(DataFolder()), 0700u);
    EXPECT_NE(result.err.find("ログファイルに指定したパスが不正です。"), std::string::npos)
        << result.err;
}

TEST_F(CliFilesTest, PlantedLockLinkIsRefusedAndItsTargetNeverCreated) {
    AccountSettings settings;
    settings.port = server.Port();
    WriteAccount(settings);
    const fs::path target = home.Path() / "created-through-the-link";
    fs::create_symlink(target, CInstanceLock::LockPath());

    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(CInstanceLock::LockPath().string()), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(CliFilesTest, AnotherUsersDataFolderIsRefused) {
    if (!RunningAsRoot()) {
        GTEST_SKIP() << "giving a folder to another user needs root";
    }
    AccountSettings settings;
    settings.port = server.Port();
    WriteAccount(settings);
    ASSERT_EQ(::chown(DataFolder().c_str(), kNobodyId, kNobodyId), 0);

    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(
                  Cp932ToUtf8(SjisFormat(txt::kFolderNotOwned, DataFolder().string().c_str()))),
              std::string::npos)
        << result.err;
    EXPECT_EQ(server.Connections(), 0);
}

} // namespace
} // namespace tolvane::test
