// Uninstalling: the question, the program files, the shortcut, the settings in their
// order, the uninstall entry; what stays; the refusal while Tolvane runs.
#include "platform/Autostart.h"
#include "platform/InstanceLock.h"
#include "platform/Texts.h"
#include "setup/DesktopShortcut.h"
#include "setup/SettingsRemoval.h"
#include "setup/SetupProgram.h"
#include "setup/SetupTexts.h"
#include "setup/UninstallEntry.h"
#include "setup/Uninstallation.h"
#include "tests/setup/SetupTest.h"
#include "tests/support/FakeSecretStore.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;
using setup::RemoveSettings;
using setup::RunUninstallation;

constexpr char kRoot[] = "Software\\Orrindale\\Tolvane";

class UninstallTest : public SetupTest {
protected:
    // An installed user: settings with accounts, shortcut, entry, a mail store and a log.
    void Install() {
        for (const std::string& account : {std::string("pop"), std::string("home"),
                                           std::string("work"), std::string("表計算")}) {
            PutText(std::string(kRoot) + "\\Account\\" + account, "Servername", "127.0.0.1");
        }
        for (const char* section :
             {"Column", "Environment", "InfoviewFont", "Viewer", "Option", "Report"}) {
            PutDword(std::string(kRoot) + "\\" + section, "Left", 1);
        }
        PutText(kRoot, "Version", "3.0.1");
        ASSERT_TRUE(setup::WriteUninstallEntry(context.setupProgram));
        ASSERT_TRUE(setup::CreateDesktopShortcut(context.programFolder));
        ASSERT_TRUE(WriteAutostartEntry(context.programFolder / "Tolvane"));
        WriteFileBytes(programDir.Path() / "Tolvane.gid", "index");
        WriteFileBytes(StoreFilePath("pop"), "store");
        WriteFileBytes(DataFolder() / "Tolvane.log", "log");
        keyring.Put({"pop", "127.0.0.1", "u"}, "secret");
        keyring.Put({"表計算", "127.0.0.1", "u"}, "secret");
    }

    FakeSecretStore keyring; // never the user's own keyring
};

TEST_F(UninstallTest, RemovesFilesShortcutSettingsAndEntryAndKeepsTheUsersData) {
    Install();
    WriteFileBytes(programDir.Path() / "Other.txt", "not ours");
    prompter.QueueAnswer(IDOK);
    prompter.QueueAnswer(IDOK);

    EXPECT_EQ(RunUninstallation(context, prompter), setup::SETUP_EXIT_OK);
    EXPECT_EQ(Texts(), (std::vector<std::string>{setup::txt::kUninstallQuestion,
                                                 setup::txt::kUninstallDone}));
    EXPECT_EQ(prompter.ShownBoxes()[1].icon, MsgIcon::Information);
    // The question says what goes besides the program: the accounts and their passwords.
    EXPECT_NE(Texts()[0].find("アカウントとそのパスワード"), std::string::npos);
    for (const setup::FileTableRow& row : setup::kFileTable) {
        EXPECT_FALSE(fs::exists(programDir.Path() / row.name)) << row.name;
    }
    EXPECT_TRUE(fs::exists(context.setupProgram));
    EXPECT_TRUE(fs::exists(programDir.Path() / "Other.txt"));
    EXPECT_FALSE(fs::exists(setup::DesktopShortcutPath()));
    EXPECT_FALSE(fs::exists(AutostartFile()));
    EXPECT_FALSE(fs::exists(setup::UninstallEntryPath()));
    // Accounts go first, so that Account and then the root can be deleted at all.
    EXPECT_FALSE(KeyExists("Software\\Orrindale"));
    EXPECT_TRUE(KeyExists("Software"));
    EXPECT_EQ(ReadFileBytes(StoreFilePath("pop")), "store");
    EXPECT_EQ(ReadFileBytes(DataFolder() / "Tolvane.log"), "log");
    EXPECT_EQ(keyring.Size(), 0u);
}

// A keyring that keeps the passwords is said, with what to do, and the uninstallation ends
// failed; everything else still goes. Without any keyring there is nothing to remove.
class UninstallKeyringTest : public UninstallTest,
                             public ::testing::WithParamInterface<FakeSecretStore::State> {};

TEST_P(UninstallKeyringTest, PasswordsTheKeyringKeepsAreReportedAndNoKeyringIsNoFailure) {
    Install();
    keyring.SetState(GetParam());
    prompter.QueueAnswer(IDOK);
    const bool bKept = GetParam() == FakeSecretStore::State::Locked;
    EXPECT_EQ(RunUninstallation(context, prompter),
              bKept ? setup::SETUP_EXIT_FAILED : setup::SETUP_EXIT_OK);
    const std::string last = Texts().back();
    EXPECT_EQ(last.rfind(setup::txt::kSecretsLeft, 0) == 0, bKept) << last;
    EXPECT_EQ(prompter.ShownBoxes().back().icon, bKept ? MsgIcon::Stop : MsgIcon::Information);
    EXPECT_EQ(keyring.Size(), 2u);
    EXPECT_FALSE(KeyExists("Software\\Orrindale"));
    EXPECT_FALSE(fs::exists(setup::DesktopShortcutPath()));
}

INSTANTIATE_TEST_SUITE_P(Keyrings, UninstallKeyringTest,
                         ::testing::Values(FakeSecretStore::State::Locked,
                                           FakeSecretStore::State::Gone));

TEST_F(UninstallTest, AnswerOtherThanOkChangesNothing) {
    Install();
    const std::string settings = Dump("Software");
    prompter.QueueAnswer(IDCANCEL);
    EXPECT_EQ(RunUninstallation(context, prompter), setup::SETUP_EXIT_OK);
    EXPECT_EQ(Texts(), std::vector<std::string>{setup::txt::kUninstallQuestion});
    EXPECT_EQ(Dump("Software"), settings);
    EXPECT_TRUE(fs::exists(programDir.Path() / "Tolvane"));
    EXPECT_TRUE(fs::exists(setup::DesktopShortcutPath()));
    EXPECT_TRUE(fs::exists(setup::UninstallEntryPath()));
}

TEST_F(UninstallTest, RefusedWhileTolvaneRunsForTheSameUser) {
    Install();
    const std::string settings = Dump("Software");
    CInstanceLock running; // another holder of the lock, as a running Tolvane is
    ASSERT_TRUE(running.TryAcquire());

    EXPECT_EQ(RunUninstallation(context, prompter), setup::SETUP_EXIT_FAILED);
    EXPECT_EQ(Texts(), std::vector<std::string>{setup::txt::kProgramRunning});
    EXPECT_EQ(prompter.ShownBoxes()[0].icon, MsgIcon::Stop);
    EXPECT_EQ(Dump("Software"), settings);
    EXPECT_TRUE(fs::exists(programDir.Path() / "Tolvane"));
}

TEST_F(UninstallTest, MissingFilesShortcutAndEntryAreNoFailure) {
    PutText(kRoot, "Version", "3.0.1");
    for (const setup::FileTableRow& row : setup::kFileTable) {
        fs::remove(programDir.Path() / row.name);
    }
    prompter.QueueAnswer(IDOK);
    EXPECT_EQ(RunUninstallation(context, prompter), setup::SETUP_EXIT_OK);
    EXPECT_EQ(Texts().back(), setup::txt::kUninstallDone);
    EXPECT_FALSE(KeyExists("Software\\Orrindale"));
}

TEST_F(UninstallTest, UnknownKeysKeepTheirRootAndCompany) {
    Install();
    PutText(std::string(kRoot) + "\\Plugins", "Name", "kept");
    EXPECT_EQ(RemoveSettings(tree, setup::Company::Orrindale), setup::REMOVAL_DONE);
    EXPECT_EQ(Dump(kRoot), "Version=3.0.1\n[Plugins]\nPlugins\\Name=kept\n");
    EXPECT_FALSE(fs::exists(setup::UninstallEntryPath()));
}

// A key that stays does not keep the others: every account that can go goes, and each one
// that stays (sub-keys of its own, a name longer than an account's can be) is named.
TEST_F(UninstallTest, EveryAccountThatCanGoGoesAndEachKeyLeftIsReported) {
    Install();
    PutText(std::string(kRoot) + "\\Account\\home\\Extra", "Name", "x");
    std::string tooLong = "a"; // 268 CP932 bytes with its NUL: past the account buffer
    for (int i = 0; i < 133; ++i) {
        tooLong += "字";
    }
    PutKey(std::string(kRoot) + "\\Account\\" + tooLong);
    prompter.QueueAnswer(IDOK);

    EXPECT_EQ(RunUninstallation(context, prompter), setup::SETUP_EXIT_FAILED);
    const std::string account = std::string(kRoot) + "\\Account";
    EXPECT_EQ(Texts().back(), std::string(tolvane::txt::kRegistryDeleteFailed) + "\n" +
                                  setup::txt::kKeysLeft + "\n" + account + "\\" + tooLong + "\n" +
                                  account + "\\home\n" + account);
    EXPECT_EQ(prompter.ShownBoxes().back().icon, MsgIcon::Stop);
    EXPECT_TRUE(KeyExists(std::string(kRoot) + "\\Account\\home"));
    for (const char* gone : {"pop", "work", "表計算"}) {
        EXPECT_FALSE(KeyExists(std::string(kRoot) + "\\Account\\" + gone)) << gone;
    }
    EXPECT_FALSE(KeyExists(std::string(kRoot) + "\\Option"));
}

// The name limit is counted in CP932 bytes, as the settings store counts it: 89 kanji are
// 267 bytes of UTF-8 but 178 of CP932, a valid account name.
TEST_F(UninstallTest, LongJapaneseAccountNamesAreRemovedWithTheOthers) {
    Install();
    std::string name;
    for (int i = 0; i < 120; ++i) {
        name += "漢";
    }
    PutText(std::string(kRoot) + "\\Account\\" + name, "Password", "secret");
    prompter.QueueAnswer(IDOK);
    EXPECT_EQ(RunUninstallation(context, prompter), setup::SETUP_EXIT_OK);
    EXPECT_EQ(Texts().back(), setup::txt::kUninstallDone);
    EXPECT_FALSE(KeyExists("Software\\Orrindale"));
    EXPECT_EQ(ReadFileBytes(ConfigFolder() / "user.reg").find("secret"), std::string::npos);
}

// A settings file that cannot be read cannot be emptied: the uninstall stops before it
// deletes anything and says why.
TEST_F(UninstallTest, UnreadableSettingsFileIsAFailureAndNothingIsDeleted) {
    Install();
    const fs::path file = ConfigFolder() / "user.reg";
    fs::remove(file);
    fs::create_directory(file); // exists, but is no file to read
    prompter.QueueAnswer(IDOK);
    EXPECT_EQ(RunUninstallation(context, prompter), setup::SETUP_EXIT_FAILED);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_NE(Texts()[0].find(file.string()), std::string::npos) << Texts()[0];
    EXPECT_NE(Texts()[0].find(setup::txt::kUninstallStopped), std::string::npos);
    EXPECT_EQ(prompter.ShownBoxes()[0].icon, MsgIcon::Stop);
    EXPECT_TRUE(fs::exists(programDir.Path() / "Tolvane"));
    EXPECT_TRUE(fs::exists(setup::DesktopShortcutPath()));
    EXPECT_TRUE(fs::exists(setup::UninstallEntryPath()));
}

// What a folder must be before anything in it is deleted. Each case turns the fixture's
// installation into something that is not provably one.
struct NotInstalledCase {
    const char* name;
    void (*spoil)(const fs::path& folder, setup::SetupContext& context, TempDir& other);
};

class UninstallRefused : public UninstallTest,
                         public ::testing::WithParamInterface<NotInstalledCase> {};

TEST_P(UninstallRefused, DeletesNothingAndSaysWhichFolder) {
    Install();
    const std::string settings = Dump("Software");
    TempDir other;
    GetParam().spoil(programDir.Path(), context, other);
    const fs::path cwd = fs::current_path();
    fs::current_path(programDir.Path()); // where an empty folder would resolve to
    prompter.QueueAnswer(IDOK);

    EXPECT_EQ(RunUninstallation(context, prompter), setup::SETUP_EXIT_FAILED);
    fs::current_path(cwd);
    ASSERT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Texts()[0].rfind(setup::txt::kNotAnInstallation, 0), 0u) << Texts()[0];
    EXPECT_EQ(prompter.ShownBoxes()[0].icon, MsgIcon::Stop);
    for (const char* kept :
         {"Tolvane", "Tolvane.cnt", "Tolvane.hlp", "Readme.txt", "Tolvane.gid"}) {
        EXPECT_TRUE(fs::exists(programDir.Path() / kept)) << kept;
    }
    EXPECT_EQ(Dump("Software"), settings);
    EXPECT_TRUE(fs::exists(setup::DesktopShortcutPath()));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UninstallRefused,
    ::testing::Values(
        // A copy of the setup program in the user's downloads, beside a read-me and a
        // script of the user's that share the shipped names.
        NotInstalledCase{"NoMarker",
                         [](const fs::path& folder, setup::SetupContext&, TempDir&) {
                             fs::remove(folder / setup::kInstallationMarker);
                         }},
        NotInstalledCase{"MarkerOfSomethingElse",
                         [](const fs::path& folder, setup::SetupContext&, TempDir&) {
                             WriteFileBytes(folder / setup::kInstallationMarker, "notes\n");
                         }},
        NotInstalledCase{"MarkerIsAFolder",
                         [](const fs::path& folder, setup::SetupContext&, TempDir&) {
                             fs::remove(folder / setup::kInstallationMarker);
                             fs::create_directory(folder / setup::kInstallationMarker);
                         }},
        // The program's own path could not be read: no folder at all, never the current.
        NotInstalledCase{"UnknownProgramPath",
                         [](const fs::path&, setup::SetupContext& context, TempDir&) {
                             context = setup::MakeSetupContext({}, *context.tree);
                         }},
        NotInstalledCase{"RelativeFolder", [](const fs::path&, setup::SetupContext& context,
                                              TempDir&) { context.programFolder = "."; }},
        // Reached through a link: the folder checked need not be the folder emptied.
        NotInstalledCase{"ThroughALink",
                         [](const fs::path& folder, setup::SetupContext& context, TempDir& other) {
                             fs::create_directory_symlink(folder, other.Path() / "link");
                             context.programFolder = other.Path() / "link";
                         }}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST_F(UninstallTest, EntryThatCannotBeDeletedIsReported) {
    PutText(kRoot, "Version", "3.0.1");
    fs::create_directories(setup::UninstallEntryPath() / "in-the-way");
    prompter.QueueAnswer(IDOK);
    EXPECT_EQ(RunUninstallation(context, prompter), setup::SETUP_EXIT_FAILED);
    EXPECT_EQ(Texts().back(), tolvane::txt::kRegistryDeleteFailed);
    EXPECT_EQ(prompter.ShownBoxes().back().icon, MsgIcon::Stop);
}

} // namespace
} // namespace tolvane::test
