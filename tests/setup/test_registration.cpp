// Registration in the user's settings: migration of the older release's root, the
// reinstall question, Version and the uninstall entry.
#include "platform/Texts.h"
#include "setup/Registration.h"
#include "setup/SettingsCopy.h"
#include "setup/SetupTexts.h"
#include "setup/UninstallEntry.h"
#include "tests/setup/SetupTest.h"

#include <sstream>

namespace tolvane::test {
namespace {

using setup::REGISTER_DECLINED;
using setup::REGISTER_DONE;
using setup::REGISTER_FAILED;
using setup::RegisterInstallation;

constexpr char kOld[] = "Software\\Ashcombe\\Tolvane";
constexpr char kNew[] = "Software\\Orrindale\\Tolvane";

// text without its lines that contain needle.
std::string WithoutLines(const std::string& text, const std::string& needle) {
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        if (line.find(needle) == std::string::npos) {
            out += line + "\n";
        }
    }
    return out;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

class RegistrationTest : public SetupTest {
protected:
    // An older release's settings: two accounts, sections and the dropped ViewerFont.
    void WriteOldRelease() {
        PutText(std::string(kOld) + "\\Account\\pop", "Servername", "pop.example.jp");
        PutDword(std::string(kOld) + "\\Account\\pop", "PortNo", 110);
        PutText(std::string(kOld) + "\\Account\\仕事", "Password", "se\"cret");
        // 表 ends in the byte of a backslash in CP932: still one key name.
        PutDword(std::string(kOld) + "\\Account\\表計算", "Timeout", 60);
        PutDword(std::string(kOld) + "\\Column", "Width1", 120);
        PutText(std::string(kOld) + "\\Option", "LogFile", "/home/taro/Tolvane.log");
        PutDword(std::string(kOld) + "\\ViewerFont", "Fontsize", 12);
        PutText(kOld, "Version", "2.5.0");
    }
};

TEST_F(RegistrationTest, OnlyTheOldRootIsCopiedWholeWithoutViewerFontAndRemoved) {
    WriteOldRelease();
    const std::string old = Dump(kOld);
    ASSERT_NE(old.find("ViewerFont"), std::string::npos);

    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_DONE);
    // Version is rewritten in its place; everything else is as the old release left it.
    EXPECT_EQ(Dump(kNew),
              Replaced(WithoutLines(old, "ViewerFont"), "Version=2.5.0", "Version=3.0.1"));
    EXPECT_FALSE(KeyExists(kOld));
    EXPECT_FALSE(KeyExists("Software\\Ashcombe")) << "an empty company key is removed";
    EXPECT_TRUE(Texts().empty());
}

TEST_F(RegistrationTest, OldCompanyKeyStaysWhileItHoldsOtherPrograms) {
    WriteOldRelease();
    PutText("Software\\Ashcombe\\Other", "Name", "kept");
    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_DONE);
    EXPECT_FALSE(KeyExists(kOld));
    EXPECT_EQ(Text("Software\\Ashcombe\\Other", "Name"), "kept");
}

TEST_F(RegistrationTest, WithBothRootsTheNewOneIsKeptAndTheOldRemoved) {
    WriteOldRelease();
    PutText(std::string(kNew) + "\\Account\\home", "Servername", "127.0.0.1");
    PutText(kNew, "Version", "3.0.0");
    const std::string before = Dump(kNew);

    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_DONE);
    EXPECT_EQ(Dump(kNew), Replaced(before, "Version=3.0.0", "Version=3.0.1"));
    EXPECT_FALSE(KeyExists(kOld));
    EXPECT_TRUE(Texts().empty()) << "3.0.0 is another version: no question";
}

TEST_F(RegistrationTest, OldSettingsThatDoNotFitAreKeptAndRegistrationFails) {
    WriteOldRelease();
    PutText(std::string(kOld) + "\\Option", "SoundFile",
            std::string(setup::kCopyDataRoom, 'x')); // one byte too long with its NUL
    const std::string before = Dump(kOld);

    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_FAILED);
    EXPECT_EQ(Dump(kOld), before) << "nothing of the old release is lost";
    EXPECT_FALSE(KeyExists(kNew)) << "the partial copy is taken back";
    EXPECT_FALSE(std::filesystem::exists(setup::UninstallEntryPath()));

    // At the limit itself the copy goes through.
    PutText(std::string(kOld) + "\\Option", "SoundFile",
            std::string(setup::kCopyDataRoom - 1, 'x'));
    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_DONE);
    EXPECT_EQ(Text(std::string(kNew) + "\\Option", "SoundFile").size(), setup::kCopyDataRoom - 1);
}

TEST_F(RegistrationTest, ReinstallOverThisVersionAsksFirst) {
    PutText(kNew, "Version", "3.0.1");
    prompter.QueueAnswer(IDCANCEL);
    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_DECLINED);
    ASSERT_EQ(Texts(), std::vector<std::string>{setup::txt::kReinstallQuestion});
    EXPECT_EQ(prompter.ShownBoxes()[0].captionUtf8, setup::txt::kReinstallCaption);
    EXPECT_EQ(prompter.ShownBoxes()[0].buttons, MsgButtons::OkCancel);
    EXPECT_FALSE(std::filesystem::exists(setup::UninstallEntryPath()));

    prompter.QueueAnswer(IDOK);
    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_DONE);
    EXPECT_TRUE(std::filesystem::exists(setup::UninstallEntryPath()));
}

TEST_F(RegistrationTest, OnlyTheFirstFiveBytesOfVersionDecideTheQuestion) {
    PutText(kNew, "Version", "3.0.1-beta");
    prompter.QueueAnswer(IDOK);
    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_DONE);
    EXPECT_EQ(Texts().size(), 1u);
    EXPECT_EQ(Text(kNew, "Version"), "3.0.1");

    PutText(kNew, "Version", "3.0");
    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_DONE);
    EXPECT_EQ(Texts().size(), 1u) << "a shorter version is another one";
}

TEST_F(RegistrationTest, FreshUserGetsVersionAndUninstallEntry) {
    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_DONE);
    EXPECT_EQ(Text(kNew, "Version"), "3.0.1");
    EXPECT_EQ(ReadFileBytes(setup::UninstallEntryPath()),
              "[Desktop "
              "Entry]\nType=Application\nVersion=1.4\nName=トルヴェインのアンインストール\nExec=" +
                  context.setupProgram.string() +
                  " /u\nTerminal=false\nIcon=tolvane\nCategories=Settings;\n");
}

TEST_F(RegistrationTest, UnwritableUninstallEntryFailsTheRegistration) {
    // A folder where the entry belongs cannot be replaced by a file.
    std::filesystem::create_directories(setup::UninstallEntryPath() / "in-the-way");
    EXPECT_EQ(RegisterInstallation(context, prompter), REGISTER_FAILED);
}

} // namespace
} // namespace tolvane::test
