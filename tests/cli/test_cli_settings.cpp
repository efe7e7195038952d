// tolvane-cli and the settings file as a user meets them: a file that cannot be read, a
// damaged one, one other users may read, account names that cannot be accounts,
// credentials CP932 lacks, and the write-back at exit.
#include "engine/JobTexts.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/SettingsTree.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/SettingsFileText.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

// One account's block as a user or another tool writes it. Values: "name"=... lines.
std::string AccountBlock(const std::string& nameUtf8, const std::string& values) {
    return "\n[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account\\" + nameUtf8 + "]\n" +
           values;
}

std::string Values(unsigned port, const std::string& passwordUtf8 = "secret") {
    return "\"Servername\"=\"127.0.0.1\"\n\"Username\"=\"taro\"\n\"Password\"=\"" + passwordUtf8 +
           "\"\n\"PortNo\"=dword:" +
           [&] {
               char hex[16];
               std::snprintf(hex, sizeof hex, "%08x", port);
               return std::string(hex);
           }() +
           "\n\"Timeout\"=dword:00000005\n";
}

std::vector<fs::path> KeptAside(const fs::path& folder) {
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("user.reg.damaged-", 0) == 0) {
            aside.push_back(entry.path());
        }
    }
    return aside;
}

class CliSettingsTest : public ::testing::Test {
protected:
    fs::path File() const { return ConfigFolder() / "user.reg"; }
    void WriteSettings(const std::string& text) { WriteFileBytes(File(), text); }

    ScopedHome home;
    FakePop3Server server;
};

struct UnreadableCase {
    const char* name;
    void (*make)(const fs::path& file);
    const char* reason;
};

class CliUnreadableSettings : public CliSettingsTest,
                              public ::testing::WithParamInterface<UnreadableCase> {};

// Said with the path and the reason, exit status 2, and the file is left as it was.
TEST_P(CliUnreadableSettings, IsASettingsErrorAndIsNeverWritten) {
    WriteSettings("REGEDIT4\n" + AccountBlock("pop", Values(server.Port())));
    GetParam().make(File());
    const fs::file_status before = fs::status(File());
    HandToNobody(home.Path());
    for (const char* command : {"check", "accounts"}) {
        const CliResult result = RunCli({command}, RunAs::Unprivileged);
        EXPECT_EQ(result.status, 2) << command << ": " << result.err;
        EXPECT_NE(result.err.find("設定ファイルを読み込めません"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(File().string()), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(GetParam().reason), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_EQ(fs::status(File()).type(), before.type());
    EXPECT_EQ(fs::status(File()).permissions(), before.permissions());
    EXPECT_TRUE(KeptAside(File().parent_path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Files, CliUnreadableSettings,
                         ::testing::Values(UnreadableCase{"ModeZero",
                                                          [](const fs::path& file) {
                                                              fs::permissions(file,
                                                                              fs::perms::none);
                                                          },
                                                          "Permission denied"},
                                           UnreadableCase{"Folder",
                                                          [](const fs::path& file) {
                                                              fs::remove(file);
                                                              fs::create_directory(file);
                                                          },
                                                          "Is a directory"}),
                         [](const auto& testParam) { return testParam.param.name; });

struct DamagedCase {
    const char* name;
    std::string text;
};

class CliDamagedSettings : public CliSettingsTest,
                           public ::testing::WithParamInterface<DamagedCase> {};

// Moved aside with every byte, the user told where; nothing rewrites a value lossily.
TEST_P(CliDamagedSettings, IsKeptAsideAndTold) {
    WriteSettings(GetParam().text);
    const CliResult result = RunCli({"accounts"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const std::vector<fs::path> aside = KeptAside(File().parent_path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(ReadFileBytes(aside[0]) == GetParam().text);
    EXPECT_NE(result.err.find("設定ファイルが壊れていた"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(aside[0].string()), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(File())); // nothing was written in its place
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliDamagedSettings,
    ::testing::Values(
        DamagedCase{"NotUtf8", "REGEDIT4\n" + AccountBlock("pop", Values(110, "p\xff\xfe\x80w"))},
        DamagedCase{"Nul", "REGEDIT4\n" + AccountBlock("pop", Values(110, std::string("p\0w", 3)))},
        DamagedCase{"FiftyThousandDeep", "REGEDIT4\n[HKEY_CURRENT_USER" +
                                             [] {
                                                 std::string deep;
                                                 for (int i = 0; i < 50000; ++i) {
                                                     deep += "\\k";
                                                 }
                                                 return deep;
                                             }() +
                                             "]\n"}),
    [](const auto& testParam) { return testParam.param.name; });

TEST_F(CliSettingsTest, AFileOthersMayReadIsMadePrivateAndTheLogSaysSo) {
    WriteSettings("REGEDIT4\n" + AccountBlock("pop", Values(server.Port())));
    ::chmod(File().c_str(), 0644);
    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    struct stat st {};
    ASSERT_EQ(::stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const std::string notice =
        OnTerminal(SjisFormat(txt::kSettingsMadePrivate, Utf8ToCp932(File().string()).c_str()));
    EXPECT_NE(result.err.find(notice), std::string::npos) << result.err;
    EXPECT_EQ(RunCli({"check"}).err.find(notice), std::string::npos); // private now
}

// Told on the terminal even with --quiet: the user would otherwise never learn of them.
TEST_F(CliSettingsTest, AccountsSkippedForTheirNamesAreTold) {
    WriteSettings("REGEDIT4\n" + AccountBlock("pop", Values(server.Port())) +
                  AccountBlock("a\tb", Values(server.Port())) +
                  AccountBlock("café", Values(server.Port())));
    for (const bool quiet : {false, true}) {
        const CliResult result = quiet ? RunCli({"check", "--quiet"}) : RunCli({"check"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kAccountNameControl, "a\\x09b"))),
                  std::string::npos)
            << result.err;
        EXPECT_NE(result.err.find(OnTerminal(SjisFormat(txt::kAccountNameNotCp932, "caf?"))),
                  std::string::npos)
            << result.err;
    }
    EXPECT_EQ(server.Connections(), 2); // pop alone, once per run
}

// The user name and password reach the server as written, "é" and "😀" included.
TEST_F(CliSettingsTest, CredentialsReachTheServerAsWritten) {
    server.SetUser("tarō", "pé😀");
    AccountSettings settings;
    settings.port = server.Port();
    settings.user = "tarō";
    settings.password = "pé😀";
    WriteAccount(settings);
    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> commands = server.Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "PASS pé😀"), commands.end());
    EXPECT_NE(RunCli({"accounts", "--json"}).out.find("\"user\": \"tarō\""), std::string::npos);
    EXPECT_NE(ReadFileBytes(File()).find("\"Password\"=\"pé😀\""), std::string::npos);
}

// Another process changes a password and a time-out and removes an account while a check
// runs: the exit keeps all of that.
TEST_F(CliSettingsTest, TheExitKeepsWhatAnotherProcessChanged) {
    AccountSettings pop;
    pop.port = server.Port();
    WriteAccount(pop);
    AccountSettings other = pop;
    other.name = "other";
    other.enable = 0;
    WriteAccount(other);
    const fs::path file = File();
    server.OnCommand([file](const std::string& line) {
        if (line != "STAT") {
            return;
        }
        SettingsTree tree(file); // as another process would
        RegKey account, key;
        tree.OpenKey(tree.Root(), "Software\\Orrindale\\Tolvane\\Account", account);
        tree.OpenKey(account, "pop", key);
        tree.SetString(key, "Password", "changed");
        tree.SetDword(key, "Timeout", 42);
        tree.DeleteKey(account, "other");
    });
    const CliResult result = RunCli({"check"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(GetProfileStringUtf8("Account\\pop", "Password", ""), "changed");
    EXPECT_EQ(GetProfileInt("Account\\pop", "Timeout", 0), 42);
    std::vector<std::string> names;
    ASSERT_TRUE(EnumAccountNames(names));
    EXPECT_EQ(names, std::vector<std::string>{"pop"});
}

// Values left at their defaults are never written: listing many such accounts leaves the
// file untouched (it used to be rewritten once per missing value).
TEST_F(CliSettingsTest, ListingAccountsWithMissingValuesWritesNothing) {
    std::string text = "REGEDIT4\n";
    for (int i = 0; i < 200; ++i) {
        text += AccountBlock("account" + std::to_string(i), Values(110));
    }
    WriteSettings(text);
    FileWriteCounter writes(File());
    const CliResult result = RunCli({"accounts", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\"name\": \"account199\""), std::string::npos);
    EXPECT_EQ(writes.Count(), 0);
    EXPECT_EQ(ReadFileBytes(File()), text);
}

} // namespace
} // namespace tolvane::test
