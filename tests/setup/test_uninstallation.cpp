// Uninstalling: the question, the program files, the shortcut, the settings in their
// order, the uninstall entry; what stays; the refusal while Tolvane runs.
#include "platform/InstanceLock.h"
#include "platform/Texts.h"
#include "setup/DesktopShortcut.h"
#include "setup/SettingsRemoval.h"
#include "setup/SetupTexts.h"
#include "setup/UninstallEntry.h"
#include "setup/Uninstallation.h"
#include "tests/setup/SetupTest.h"

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
        WriteFileBytes(programDir.Path() / "Tolvane.gid", "index");
        WriteFileBytes(StoreFilePath("pop"), "store");
        WriteFileBytes(DataFolder() / "Tolvane.log", "log");
    }
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
    for (const setup::FileTableRow& row : setup::kFileTable) {
        EXPECT_FALSE(fs::exists(programDir.Path() / row.name)) << row.name;
    }
    EXPECT_TRUE(fs::exists(context.setupProgram));
    EXPECT_TRUE(fs::exists(programDir.Path() / "Other.txt"));
    EXPECT_FALSE(fs::exists(setup::DesktopShortcutPath()));
    EXPECT_FALSE(fs::exists(setup::UninstallEntryPath()));
    // Accounts go first, so that Account and then the root can be deleted at all.
    EXPECT_FALSE(KeyExists("Software\\Orrindale"));
    EXPECT_TRUE(KeyExists("Software"));
    EXPECT_EQ(ReadFileBytes(StoreFilePath("pop")), "store");
    EXPECT_EQ(ReadFileBytes(DataFolder() / "Tolvane.log"), "log");
}

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

TEST_F(UninstallTest, AccountWithSubKeysStopsTheAccountLoop) {
    Install();
    PutText(std::string(kRoot) + "\\Account\\home\\Extra", "Name", "x");
    EXPECT_EQ(RemoveSettings(tree, setup::Company::Orrindale), setup::REMOVAL_DONE);
    // "home" is the first account in enumeration order: it cannot go, so neither can the
    // others behind it, Account, or the root; the plain sections are gone.
    EXPECT_TRUE(KeyExists(std::string(kRoot) + "\\Account\\home"));
    EXPECT_TRUE(KeyExists(std::string(kRoot) + "\\Account\\pop"));
    EXPECT_FALSE(KeyExists(std::string(kRoot) + "\\Option"));
}

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
