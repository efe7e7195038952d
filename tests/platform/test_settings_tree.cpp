#include "platform/SettingsTree.h"

#include "platform/CodePage.h"
#include "tests/support/SettingsFileText.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

const char kRoot[] = "Software\\Orrindale\\Tolvane";

class SettingsTreeTest : public ::testing::Test {
protected:
    fs::path File() const { return m_dir.Path() / "user.reg"; }

    std::vector<std::string> SubKeys(SettingsTree& tree, const RegKey& key) {
        std::vector<std::string> names;
        std::string name;
        for (uint32_t i = 0; tree.EnumKey(key, i, name) == REG_OK; ++i) {
            names.push_back(name);
        }
        return names;
    }

    test::TempDir m_dir;
    test::RecordingMessageHost m_messages;
};

TEST_F(SettingsTreeTest, WritesTheFileByteForByte) {
    SettingsTree tree(File());
    RegKey root, pop, japanese, column;
    ASSERT_EQ(tree.CreateKey(tree.Root(), kRoot, root), REG_OK);
    ASSERT_EQ(tree.SetString(root, "Version", "3.0.1"), REG_OK);
    ASSERT_EQ(tree.CreateKey(root, "Account\\pop", pop), REG_OK);
    ASSERT_EQ(tree.SetString(pop, "Servername", "127.0.0.1"), REG_OK);
    ASSERT_EQ(tree.SetString(pop, "Password", "se\"cret\\path\n\r\t"), REG_OK);
    ASSERT_EQ(tree.SetDword(pop, "PortNo", 110), REG_OK);
    ASSERT_EQ(tree.SetDword(pop, "Offset", static_cast<uint32_t>(-1)), REG_OK);
    ASSERT_EQ(tree.CreateKey(root, "Account\\メール", japanese), REG_OK);
    ASSERT_EQ(tree.SetString(japanese, "Username", "太郎"), REG_OK);
    ASSERT_EQ(tree.CreateKey(root, "Column", column), REG_OK);

    const std::string expected =
        std::string(test::kSettingsFileStart) +
        "\"Version\"=\"3.0.1\"\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account]\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account\\pop]\n"
        "\"Servername\"=\"127.0.0.1\"\n"
        "\"Password\"=\"se\\\"cret\\\\path\\n\\r\\t\"\n"
        "\"PortNo\"=dword:0000006e\n"
        "\"Offset\"=dword:ffffffff\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account\\メール]\n"
        "\"Username\"=\"太郎\"\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Column]\n";
    EXPECT_EQ(ReadFileBytes(File()), expected);

    // Another tree on the same file (as another process would) reads it all back.
    SettingsTree other(File());
    RegKey again;
    ASSERT_EQ(other.OpenKey(other.Root(), std::string(kRoot) + "\\Account\\pop", again), REG_OK);
    SettingsValue value;
    ASSERT_EQ(other.QueryValue(again, "Password", value), REG_OK);
    EXPECT_EQ(value.text, "se\"cret\\path\n\r\t");
    ASSERT_EQ(other.QueryValue(again, "Offset", value), REG_OK);
    EXPECT_EQ(value.type, REG_DWORD);
    EXPECT_EQ(value.AsInt(), -1);
    RegKey emptyKey;
    EXPECT_EQ(other.OpenKey(other.Root(), std::string(kRoot) + "\\Column", emptyKey), REG_OK);
    EXPECT_EQ(SubKeys(other,
                      [&] {
                          RegKey account;
                          other.OpenKey(other.Root(), std::string(kRoot) + "\\Account", account);
                          return account;
                      }()),
              (std::vector<std::string>{"pop", "メール"}));

    struct stat st {};
    ASSERT_EQ(::stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SettingsTreeTest, NamesIgnoreCaseAndKeepTheirCase) {
    SettingsTree tree(File());
    RegKey account, key;
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software\\Account", account), REG_OK);
    for (const char* name : {"gamma", "Beta", "alpha", "Delta"}) {
        ASSERT_EQ(tree.CreateKey(account, name, key), REG_OK);
    }
    bool created = true;
    ASSERT_EQ(tree.CreateKey(account, "ALPHA", key, &created), REG_OK);
    EXPECT_FALSE(created);
    // Ｍａｉｌ and ｍＡＩＬ are one key as well.
    ASSERT_EQ(tree.CreateKey(account, "Ｍａｉｌ", key), REG_OK);
    ASSERT_EQ(tree.CreateKey(account, "ｍＡＩＬ", key, &created), REG_OK);
    EXPECT_FALSE(created);
    EXPECT_EQ(SubKeys(tree, account),
              (std::vector<std::string>{"alpha", "Beta", "Delta", "gamma", "Ｍａｉｌ"}));

    RegKey upper;
    ASSERT_EQ(tree.OpenKey(tree.Root(), "SOFTWARE\\account\\BETA", upper), REG_OK);
    ASSERT_EQ(tree.SetString(upper, "PortNo", "x"), REG_OK);
    ASSERT_EQ(tree.SetDword(upper, "PORTNO", 7), REG_OK);
    SettingsValue value;
    ASSERT_EQ(tree.EnumValue(upper, 0, value), REG_OK);
    EXPECT_EQ(value.name, "PortNo");
    EXPECT_EQ(value.type, REG_DWORD);
    EXPECT_EQ(tree.EnumValue(upper, 1, value), REG_NO_MORE_ITEMS);
    EXPECT_NE(ReadFileBytes(File()).find("[HKEY_CURRENT_USER\\Software\\Account\\Beta]\n"
                                         "\"PortNo\"=dword:00000007\n"),
              std::string::npos);
}

TEST_F(SettingsTreeTest, DeletingAKeyWithSubKeysFailsAndALeafGoesWithItsValues) {
    SettingsTree tree(File());
    RegKey account, pop, nested;
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software\\Account", account), REG_OK);
    ASSERT_EQ(tree.CreateKey(account, "pop", pop), REG_OK);
    ASSERT_EQ(tree.SetString(pop, "Servername", "host"), REG_OK);
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software\\Account\\nest\\inner", nested), REG_OK);

    EXPECT_EQ(tree.DeleteKey(tree.Root(), "Software\\Account"), REG_DENIED);
    EXPECT_EQ(tree.DeleteKey(account, "nest"), REG_DENIED);
    EXPECT_EQ(tree.DeleteKey(account, ""), REG_BAD_PARAMETER);
    EXPECT_EQ(tree.DeleteKey(account, "missing"), REG_NOT_FOUND);

    EXPECT_EQ(tree.DeleteKey(account, "POP"), REG_OK);
    SettingsValue value;
    EXPECT_EQ(tree.QueryValue(pop, "Servername", value), REG_KEY_DELETED);
    ASSERT_EQ(tree.CreateKey(account, "pop", pop), REG_OK);
    EXPECT_EQ(tree.QueryValue(pop, "Servername", value), REG_NOT_FOUND);
    uint32_t subKeys = 9, values = 9;
    ASSERT_EQ(tree.QueryInfo(account, &subKeys, &values), REG_OK);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(ReadFileBytes(File()).find("Servername"), std::string::npos);
}

TEST_F(SettingsTreeTest, HandlesAndParametersAreChecked) {
    SettingsTree tree(File());
    SettingsTree other(m_dir.Path() / "other.reg");
    RegKey key, closed;
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software", key), REG_OK);
    SettingsValue value;
    EXPECT_EQ(tree.QueryValue(closed, "x", value), REG_BAD_HANDLE);
    EXPECT_EQ(other.SetDword(key, "x", 1), REG_BAD_HANDLE);
    EXPECT_EQ(tree.CloseKey(key), REG_OK);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(tree.CloseKey(key), REG_BAD_HANDLE);

    RegKey out;
    EXPECT_EQ(tree.CreateKey(tree.Root(), "a\\\\b", out), REG_BAD_PARAMETER);
    EXPECT_EQ(tree.CreateKey(tree.Root(), "\\a", out), REG_BAD_PARAMETER);
    EXPECT_EQ(tree.CreateKey(tree.Root(), "line\nbreak", out), REG_BAD_PARAMETER);
    EXPECT_EQ(tree.CreateKey(tree.Root(), std::string(256, 'n'), out), REG_BAD_PARAMETER);
    EXPECT_EQ(tree.OpenKey(tree.Root(), "Software\\missing", out), REG_NOT_FOUND);

    std::string longest(255, 'n');
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software\\" + longest, out), REG_OK);
    RegKey software;
    ASSERT_EQ(tree.OpenKey(tree.Root(), "Software", software), REG_OK);
    std::string name;
    EXPECT_EQ(tree.EnumKey(software, 0, name, 255), REG_MORE_DATA);
    EXPECT_EQ(tree.EnumKey(software, 0, name, 256), REG_OK);
    EXPECT_EQ(name, longest);
    EXPECT_EQ(tree.EnumKey(software, 1, name, 256), REG_NO_MORE_ITEMS);
}

// What is stored is read back exactly, by this tree and by another on the same file;
// bytes that are no UTF-8 never reach the file, which would then be damaged.
TEST_F(SettingsTreeTest, KeepsTextsExactlyAndRefusesWhatIsNotUtf8) {
    SettingsTree tree(File());
    RegKey key;
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software\\café😀", key), REG_OK);
    ASSERT_EQ(tree.SetString(key, "Password", "pé😀\x01w"), REG_OK);
    ASSERT_EQ(tree.SetString(key, "Nul", std::string("before\0after", 12)), REG_OK);
    EXPECT_EQ(tree.SetString(key, "Bad", "p\xff\xfe\x80w"), REG_BAD_PARAMETER);
    EXPECT_EQ(tree.SetString(key, "a\x85\x40", "x"), REG_BAD_PARAMETER); // CP932, not UTF-8
    RegKey bad;
    EXPECT_EQ(tree.CreateKey(tree.Root(), "Software\\\x83\x5c", bad), REG_BAD_PARAMETER);
    // ぁ ends in 0x81, a CP932 lead byte: in UTF-8 it never hides the separator after it.
    RegKey small;
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software\\ぁ\\x", small), REG_OK);
    EXPECT_EQ(tree.OpenKey(tree.Root(), "Software\\ぁ", small), REG_OK);

    SettingsTree other(File());
    RegKey again;
    ASSERT_EQ(other.OpenKey(other.Root(), "SOFTWARE\\CAFÉ😀", again),
              REG_NOT_FOUND); // É is no capital here
    ASSERT_EQ(other.OpenKey(other.Root(), "SOFTWARE\\café😀", again), REG_OK);
    SettingsValue value;
    ASSERT_EQ(other.QueryValue(again, "Password", value), REG_OK);
    EXPECT_EQ(value.text, "pé😀\x01w");
    ASSERT_EQ(other.QueryValue(again, "Nul", value), REG_OK);
    EXPECT_EQ(value.text, "before");
    EXPECT_EQ(other.QueryValue(again, "Bad", value), REG_NOT_FOUND);
    SettingsNode parsed;
    EXPECT_TRUE(ParseSettings(ReadFileBytes(File()), parsed));
}

TEST_F(SettingsTreeTest, KeysKeepTheirBounds) {
    SettingsTree tree(File());
    RegKey key;
    std::string deepest;
    for (size_t level = 0; level < kMaxKeyDepth; ++level) {
        deepest += (level == 0 ? "" : "\\") + std::string("k");
    }
    ASSERT_EQ(tree.CreateKey(tree.Root(), deepest, key), REG_OK);
    RegKey deeper;
    EXPECT_EQ(tree.CreateKey(key, "one", deeper), REG_BAD_PARAMETER);
    EXPECT_EQ(tree.OpenKey(key, "one", deeper), REG_BAD_PARAMETER);
    SettingsBatch batch;
    batch.SetDword("one", "x", 1);
    EXPECT_EQ(tree.Apply(key, batch), REG_BAD_PARAMETER);

    std::string longest;
    for (size_t i = 0; i < kMaxKeyNameLength; ++i) {
        longest += "あ"; // 255 characters, 765 bytes
    }
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software\\" + longest, key), REG_OK);
    EXPECT_EQ(tree.CreateKey(tree.Root(), "Software\\" + longest + "あ", key), REG_BAD_PARAMETER);
    EXPECT_EQ(tree.CreateKey(tree.Root(), longest + "\\" + longest + "\\" + longest, key),
              REG_BAD_PARAMETER); // past kMaxKeyPathBytes

    // A change that would make the file too large to be read again is refused.
    const std::string before = ReadFileBytes(File());
    EXPECT_EQ(tree.SetString(key, "Huge", std::string(kMaxSettingsFileBytes, 'h')),
              REG_WRITE_FAILED);
    EXPECT_EQ(ReadFileBytes(File()), before);
}

TEST_F(SettingsTreeTest, ABatchIsOneWriteOrNone) {
    SettingsTree tree(File());
    RegKey software;
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software", software), REG_OK);
    ASSERT_EQ(tree.CreateKey(software, "kept", software), REG_OK);
    ASSERT_EQ(tree.OpenKey(tree.Root(), "Software", software), REG_OK);
    test::FileWriteCounter writes(File());

    SettingsBatch batch;
    batch.SetString("new\\sub", "Text", "é");
    batch.SetDword("new\\sub", "Number", 7);
    batch.SetDword("kept", "Number", 8, MissingKey::Fail);
    batch.SetDword("removed", "Number", 9, MissingKey::Skip);
    ASSERT_EQ(tree.Apply(software, batch), REG_OK);
    EXPECT_EQ(writes.Count(), 1);
    RegKey key;
    EXPECT_EQ(tree.OpenKey(software, "removed", key), REG_NOT_FOUND); // never re-created
    ASSERT_EQ(tree.OpenKey(software, "new\\sub", key), REG_OK);
    SettingsValue value;
    ASSERT_EQ(tree.QueryValue(key, "Number", value), REG_OK);
    EXPECT_EQ(value.AsInt(), 7);

    EXPECT_EQ(tree.Apply(software, batch), REG_OK); // nothing differs: no write
    EXPECT_EQ(writes.Count(), 1);

    SettingsBatch failing;
    failing.SetDword("kept", "Number", 10);
    failing.SetDword("removed", "Number", 11, MissingKey::Fail);
    EXPECT_EQ(tree.Apply(software, failing), REG_KEY_DELETED);
    EXPECT_EQ(writes.Count(), 1);
    ASSERT_EQ(tree.OpenKey(software, "kept", key), REG_OK);
    ASSERT_EQ(tree.QueryValue(key, "Number", value), REG_OK);
    EXPECT_EQ(value.AsInt(), 8);
}

TEST_F(SettingsTreeTest, SeesAndKeepsWritesOfAnotherWriter) {
    SettingsTree first(File());
    SettingsTree second(File());
    RegKey a, b;
    ASSERT_EQ(first.CreateKey(first.Root(), "Software", a), REG_OK);
    ASSERT_EQ(first.SetDword(a, "One", 1), REG_OK);
    ASSERT_EQ(second.CreateKey(second.Root(), "Software", b), REG_OK);
    ASSERT_EQ(second.SetDword(b, "Two", 2), REG_OK);
    ASSERT_EQ(first.SetDword(a, "Three", 3), REG_OK); // must not lose "Two"
    SettingsValue value;
    ASSERT_EQ(second.QueryValue(b, "Three", value), REG_OK);
    EXPECT_EQ(value.AsInt(), 3);
    ASSERT_EQ(first.QueryValue(a, "Two", value), REG_OK);
    EXPECT_EQ(value.AsInt(), 2);
}

TEST_F(SettingsTreeTest, ThreadsWritingAtOnceLoseNothing) {
    SettingsTree tree(File());
    RegKey key;
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software", key), REG_OK);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                tree.SetDword(key, "t" + std::to_string(t) + "_" + std::to_string(i),
                              static_cast<uint32_t>(i));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    uint32_t values = 0;
    ASSERT_EQ(tree.QueryInfo(key, nullptr, &values), REG_OK);
    EXPECT_EQ(values, 100u);
}

// Each child writes its own values through its own tree, as another process would.
pid_t ForkWriter(const fs::path& file, const std::string& prefix, int count, int readyFd) {
    pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    SettingsTree tree(file);
    RegKey key;
    int failures = tree.CreateKey(tree.Root(), "Software\\Shared", key) == REG_OK ? 0 : 1;
    for (int i = 0; count < 0 || i < count; ++i) {
        std::string name = prefix + std::to_string(i);
        failures += tree.SetString(key, name, std::string(64, 'x') + name) == REG_OK ? 0 : 1;
        if (i == 0 && readyFd >= 0) {
            char ready = 'r';
            (void)!::write(readyFd, &ready, 1);
        }
    }
    ::_exit(failures == 0 ? 0 : 1);
}

TEST_F(SettingsTreeTest, TwoProcessesWritingAtOnceLeaveAllValues) {
    pid_t first = ForkWriter(File(), "first", 200, -1);
    pid_t second = ForkWriter(File(), "second", 200, -1);
    for (pid_t pid : {first, second}) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsTree tree(File());
    RegKey key;
    ASSERT_EQ(tree.OpenKey(tree.Root(), "Software\\Shared", key), REG_OK);
    uint32_t values = 0;
    ASSERT_EQ(tree.QueryInfo(key, nullptr, &values), REG_OK);
    EXPECT_EQ(values, 400u);
    SettingsValue value;
    EXPECT_EQ(tree.QueryValue(key, "second199", value), REG_OK);
    EXPECT_EQ(tree.QueryValue(key, "first0", value), REG_OK);
}

// The lock file beside the settings: a link planted in its place fails the write, and its
// target is never created.
TEST_F(SettingsTreeTest, PlantedLockLinkFailsTheWriteAndCreatesNothing) {
    const fs::path target = m_dir.Path() / "created-through-the-link";
    fs::create_symlink(target, File().string() + ".lock");
    SettingsTree tree(File());
    RegKey key;
    EXPECT_NE(tree.CreateKey(tree.Root(), "Software", key), REG_OK);
    EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
    EXPECT_FALSE(fs::exists(File()));
}

TEST_F(SettingsTreeTest, AWriterKilledMidWriteNeverLeavesADamagedFile) {
    for (int round = 0; round < 8; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        pid_t writer = ForkWriter(File(), "r" + std::to_string(round) + "_", -1, ready[1]);
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(1000 + round * 3000));
        ::kill(writer, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFSIGNALED(status));

        SettingsNode parsed;
        size_t line = 0;
        ASSERT_TRUE(ParseSettings(ReadFileBytes(File()), parsed, &line))
            << "round " << round << ", line " << line;
    }
    // The next writer clears what the killed ones left half-way.
    SettingsTree tree(File());
    RegKey key;
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software", key), REG_OK);
    ASSERT_EQ(tree.SetDword(key, "After", 1), REG_OK);
    for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
            << entry.path();
    }
    EXPECT_TRUE(m_messages.Messages().empty());
}

TEST_F(SettingsTreeTest, ADamagedFileIsMovedAsideKeptAndReportedOnce) {
    const std::string damaged = "REGEDIT4\n[HKEY_CURRENT_USER\\Software]\n\"Password\"=\"unfinish";
    WriteFileBytes(File(), damaged);
    SettingsTree tree(File());
    RegKey key;
    EXPECT_EQ(tree.OpenKey(tree.Root(), "Software", key), REG_NOT_FOUND);

    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
        if (entry.path().filename().string().rfind("user.reg.damaged-", 0) == 0) {
            aside.push_back(entry.path());
        }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFileBytes(aside[0]), damaged);
    EXPECT_FALSE(fs::exists(File()));
    // user.reg.damaged-YYYYMMDDTHHMMSSZ
    std::string stamp = aside[0].filename().string().substr(17);
    EXPECT_EQ(stamp.size(), 16u);
    EXPECT_EQ(stamp[8], 'T');
    EXPECT_EQ(stamp.back(), 'Z');

    auto messages = m_messages.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, MsgIcon::Stop);
    EXPECT_EQ(messages[0].buttons, MsgButtons::Ok);
    EXPECT_NE(messages[0].textUtf8.find("設定ファイルが壊れていた"), std::string::npos);
    EXPECT_NE(messages[0].textUtf8.find(aside[0].string()), std::string::npos);

    // The program goes on with an empty tree and writes a fresh file.
    ASSERT_EQ(tree.CreateKey(tree.Root(), "Software", key), REG_OK);
    ASSERT_EQ(tree.SetDword(key, "Fresh", 1), REG_OK);
    SettingsNode parsed;
    EXPECT_TRUE(ParseSettings(ReadFileBytes(File()), parsed));

    // Damaged again: moved aside under another name, the first one kept, no second message.
    WriteFileBytes(File(), "garbage");
    SettingsValue value;
    EXPECT_EQ(tree.QueryValue(key, "Fresh", value), REG_KEY_DELETED);
    size_t kept = 0;
    for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
        kept += entry.path().filename().string().rfind("user.reg.damaged-", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(kept, 2u);
    EXPECT_EQ(ReadFileBytes(aside[0]), damaged);
    EXPECT_EQ(m_messages.Messages().size(), 1u);
}

const std::string kAccountHead =
    std::string(test::kSettingsFileStart) +
    "\n[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account\\pop]\n";

// Too large to be read whole (bytes that are not UTF-8, NUL and deep keys are the parser's
// and tolvane-cli's tests): kept aside with every byte, never read in part.
TEST_F(SettingsTreeTest, AFileTooLargeIsMovedAsideWithItsBytes) {
    const std::string bytes =
        kAccountHead + "\"Password\"=\"" + std::string(kMaxSettingsFileBytes, 'p') + "\"\n";
    WriteFileBytes(File(), bytes);
    SettingsTree tree(File());
    RegKey key;
    EXPECT_EQ(tree.OpenKey(tree.Root(), "Software", key), REG_NOT_FOUND);
    EXPECT_TRUE(tree.CheckFile());
    EXPECT_FALSE(fs::exists(File()));
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
        if (entry.path().filename().string().rfind("user.reg.damaged-", 0) == 0) {
            aside.push_back(entry.path());
        }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(ReadFileBytes(aside[0]) == bytes);
    EXPECT_EQ(m_messages.Messages().size(), 1u);
}

struct UnreadableCase {
    const char* name;
    void (*make)(const fs::path& file);
};

class SettingsTreeUnreadable : public SettingsTreeTest,
                               public ::testing::WithParamInterface<UnreadableCase> {};

// Reads see nothing, writes fail, nothing is replaced, no wait, and CheckFile says so with
// the path (modes and folders are tolvane-cli's tests).
TEST_P(SettingsTreeUnreadable, IsToldAndNeverReplaced) {
    GetParam().make(File());
    const fs::file_type before = fs::symlink_status(File()).type();
    SettingsTree tree(File());
    std::string message;
    EXPECT_FALSE(tree.CheckFile(&message));
    EXPECT_NE(Cp932ToUtf8(message).find(File().string()), std::string::npos);
    RegKey key;
    EXPECT_EQ(tree.OpenKey(tree.Root(), "Software", key), REG_NOT_FOUND);
    EXPECT_EQ(tree.CreateKey(tree.Root(), "Software", key), REG_WRITE_FAILED);
    EXPECT_EQ(fs::symlink_status(File()).type(), before);
    EXPECT_TRUE(m_messages.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsTreeUnreadable,
    ::testing::Values(
        UnreadableCase{"LinkLoop",
                       [](const fs::path& file) { fs::create_symlink(file.filename(), file); }},
        // Opening a FIFO for reading would wait for a writer forever.
        UnreadableCase{"Fifo", [](const fs::path& file) { ::mkfifo(file.c_str(), 0600); }}),
    [](const auto& testParam) { return testParam.param.name; });

// The file holds passwords: a mode that lets others read it is tightened when it is read,
// and the log is told once.
TEST_F(SettingsTreeTest, AFileOthersMayReadIsMadePrivateOnce) {
    WriteFileBytes(File(), kAccountHead + "\"Password\"=\"secret\"\n");
    ::chmod(File().c_str(), 0644);
    SettingsTree tree(File());
    RegKey key;
    ASSERT_EQ(tree.OpenKey(tree.Root(), "Software", key), REG_OK);
    struct stat st {};
    ASSERT_EQ(::stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const std::vector<std::string> notices = tree.TakeNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(Cp932ToUtf8(notices[0]).find(File().string()), std::string::npos);
    EXPECT_EQ(notices[0].substr(notices[0].size() - 2), "\r\n");
    EXPECT_TRUE(tree.TakeNotices().empty());

    ::chmod(File().c_str(), 0660); // loosened again: tightened again, told no more
    ASSERT_EQ(tree.OpenKey(tree.Root(), "Software", key), REG_OK);
    ASSERT_EQ(::stat(File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(tree.TakeNotices().empty());
    EXPECT_TRUE(m_messages.Messages().empty());

    // A damaged file is made private before it is kept aside.
    WriteFileBytes(File(), "garbage");
    ::chmod(File().c_str(), 0644);
    SettingsTree other(File());
    EXPECT_EQ(other.OpenKey(other.Root(), "Software", key), REG_NOT_FOUND);
    for (const auto& entry : fs::directory_iterator(m_dir.Path())) {
        ASSERT_EQ(::stat(entry.path().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 077, 0u) << entry.path();
    }
}

} // namespace
} // namespace tolvane
