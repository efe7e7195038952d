#include "engine/ConnectionLog.h"
#include "engine/DocumentCore.h"
#include "platform/CodePage.h"
#include "platform/Options.h"
#include "platform/Profile.h"
#include "platform/Texts.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace tolvane::test {
namespace {

class ConnectionLogTest : public ::testing::Test {
protected:
    ConnectionLogTest() { options::SetLogFilePath(LogPath().string()); }
    std::filesystem::path LogPath() const { return home.Path() / "接続.log"; }

    ScopedHome home;
    RecordingMessageHost messages;
};

struct FileCase {
    const char* text;
    const char* bytes;
};

class LogFileBytes : public ConnectionLogTest, public ::testing::WithParamInterface<FileCase> {};

// The log texts end in CR LF and reach the file exactly; texts without that end keep every
// byte and get one (the width rule would have cut their last two bytes, or gone negative).
TEST_P(LogFileBytes, TextReachesTheFileAsGiven) {
    CConnectionLog log;
    ASSERT_EQ(log.OpenLogFile(true), 1);
    log.AppendLog(GetParam().text);
    ASSERT_EQ(log.CloseLogFile(), 1);
    EXPECT_EQ(ReadFileBytes(LogPath()), GetParam().bytes);
    EXPECT_EQ(log.GetLog(), GetParam().text);
    EXPECT_TRUE(messages.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, LogFileBytes,
                         ::testing::Values(FileCase{"A\r\n", "A\r\n"},
                                           FileCase{"B\r\n\r\n", "B\r\n\r\n"},
                                           FileCase{"\r\n", "\r\n"}, FileCase{"", ""},
                                           FileCase{"A", "A\r\n"}, FileCase{"\n", "\n\r\n"},
                                           FileCase{"AB", "AB\r\n"},
                                           FileCase{"\x82\xa0\r\n", "\x82\xa0\r\n"}));

TEST_F(ConnectionLogTest, OverwriteCutsAndAppendKeeps) {
    WriteFileBytes(LogPath(), "old\r\n");
    {
        CConnectionLog log;
        ASSERT_EQ(log.OpenLogFile(false), 1);
        log.AppendLog("new\r\n");
    }
    EXPECT_EQ(ReadFileBytes(LogPath()), "old\r\nnew\r\n");
    {
        CConnectionLog log;
        ASSERT_EQ(log.OpenLogFile(true), 1);
        log.AppendLog("only\r\n");
    }
    EXPECT_EQ(ReadFileBytes(LogPath()), "only\r\n");
}

// Two runs of the document with NewSave 0 leave both runs' texts, the second after the first.
TEST_F(ConnectionLogTest, NewSaveZeroAppendsAcrossRuns) {
    options::SetSaveLog(1);
    options::SetNewSave(0);
    for (const char* text : {"run 1\r\n", "run 2\r\n\r\n"}) {
        RecordingHost host;
        CDocumentCore doc(&host);
        ASSERT_TRUE(doc.Create());
        EXPECT_EQ(doc.m_log.IsSaving(), 1);
        doc.AppendLog(text);
        doc.Close();
    }
    EXPECT_EQ(ReadFileBytes(LogPath()), "run 1\r\nrun 2\r\n\r\n");
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ConnectionLogTest, NewSaveOneKeepsOnlyTheCurrentRun) {
    options::SetSaveLog(1);
    options::SetNewSave(1);
    for (const char* text : {"run 1\r\n", "run 2\r\n"}) {
        RecordingHost host;
        CDocumentCore doc(&host);
        ASSERT_TRUE(doc.Create());
        doc.AppendLog(text);
    }
    EXPECT_EQ(ReadFileBytes(LogPath()), "run 2\r\n");
}

// The default path under a data folder whose name CP932 lacks ("données") is opened as it is.
TEST(ConnectionLogDefaultPath, KeepsCharactersCp932Lacks) {
    ScopedHome home;
    RecordingMessageHost messages;
    ::setenv("XDG_DATA_HOME", (home.Path() / "données").c_str(), 1);
    ASSERT_TRUE(WriteProfileInt("Option", "SaveLog", 1));
    {
        RecordingHost host;
        CDocumentCore doc(&host);
        ASSERT_TRUE(doc.Create());
        EXPECT_EQ(doc.m_log.IsSaving(), 1);
        doc.AppendLog("text\r\n");
    }
    EXPECT_EQ(ReadFileBytes(home.Path() / "données" / "tolvane" / "Tolvane.log"), "text\r\n");
    EXPECT_EQ(options::GetSaveLog(), 1);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ConnectionLogTest, InvalidPathShowsItOnceAndStoresSaveLogZero) {
    const std::string path = (home.Path() / "no-such-folder" / "x.log").string();
    options::SetLogFilePath(path);
    options::SetSaveLog(1);
    RecordingHost host;
    CDocumentCore doc(&host);
    ASSERT_TRUE(doc.Create());
    doc.AppendLog("text\r\n");

    const auto shown = messages.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].textUtf8,
              Cp932ToUtf8(SjisFormat(txt::kLogPathInvalid, Utf8ToCp932(path).c_str())));
    EXPECT_EQ(shown[0].icon, MsgIcon::Stop);
    EXPECT_EQ(doc.m_log.IsSaving(), 0);
    EXPECT_EQ(options::GetSaveLog(), 0);
    EXPECT_EQ(doc.m_log.GetLog(), "text\r\n");
}

// A full disk: the file is abandoned with one message, the setting stays, the log goes on.
TEST_F(ConnectionLogTest, WriteFailureAbandonsTheFileOnce) {
    options::SetLogFilePath("/dev/full");
    options::SetSaveLog(1);
    CConnectionLog log;
    ASSERT_EQ(log.OpenLogFile(false), 1);
    log.AppendLog("one\r\n");
    log.AppendLog("two\r\n");

    const auto shown = messages.Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].textUtf8, txt::kLogWriteError);
    EXPECT_EQ(shown[0].icon, MsgIcon::Stop);
    EXPECT_EQ(log.IsSaving(), 0);
    EXPECT_EQ(options::GetSaveLog(), 1);
    EXPECT_EQ(log.GetLog(), "one\r\ntwo\r\n");
}

// A link where the log belongs (planted in a folder others may write) is never written
// through, neither truncated nor extended: the log is refused as an invalid path.
class PlantedLog : public ConnectionLogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PlantedLog, IsRefusedAndTheTargetKeptWhole) {
    const std::filesystem::path victim = home.Path() / "victim";
    WriteFileBytes(victim, "precious");
    std::filesystem::create_symlink(victim, LogPath());
    const std::filesystem::path hardLink = home.Path() / "hard.log";
    std::filesystem::create_hard_link(victim, hardLink);
    for (const auto& planted : {LogPath(), hardLink}) {
        options::SetLogFilePath(planted.string());
        CConnectionLog log;
        EXPECT_EQ(log.OpenLogFile(GetParam()), 0) << planted;
        log.AppendLog("text\r\n");
    }
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(LogPath()));
    EXPECT_EQ(messages.Messages().size(), 2u); // the invalid-path message, once per open
}

INSTANTIATE_TEST_SUITE_P(OverwriteOrAppend, PlantedLog, ::testing::Bool());

TEST_F(ConnectionLogTest, ConcurrentAppendsNeverInterleave) {
    CConnectionLog log;
    std::vector<std::string> seen;
    log.SetViewSink([&seen](const std::string& text, bool) { seen.push_back(text); });
    ASSERT_EQ(log.OpenLogFile(true), 1);
    constexpr int kTexts = 2000;
    auto writer = [&log](char tag) {
        for (int i = 0; i < kTexts; ++i) {
            log.AppendLog(std::string(40, tag) + std::to_string(i) + "\r\n");
        }
    };
    std::thread first(writer, 'a');
    std::thread second(writer, 'b');
    first.join();
    second.join();
    ASSERT_EQ(log.CloseLogFile(), 1);

    const std::string text = log.GetLog();
    EXPECT_EQ(ReadFileBytes(LogPath()), text);
    ASSERT_EQ(seen.size(), 2u * kTexts);
    std::string joined;
    int next[2] = {0, 0};
    for (const std::string& piece : seen) {
        joined += piece;
        const int who = piece[0] == 'a' ? 0 : 1;
        ASSERT_EQ(piece, std::string(40, piece[0]) + std::to_string(next[who]) + "\r\n");
        ++next[who];
    }
    EXPECT_EQ(joined, text);
}

// A view that follows the log gets what came before in one piece and every later text
// once; a text that would take it beyond its limit starts the view and the log again.
TEST_F(ConnectionLogTest, FollowingViewSeesEachTextOnceAndRestartsAtItsLimit) {
    CConnectionLog log;
    log.AppendLog("one\r\n");
    std::vector<std::pair<std::string, bool>> seen;
    EXPECT_EQ(
        log.FollowLog(
            [&](const std::string& text, bool bRestart) { seen.emplace_back(text, bRestart); }, 12),
        "one\r\n");
    log.AppendLog("two\r\n");   // 10 bytes: fits
    log.AppendLog("three\r\n"); // 17 bytes: does not
    EXPECT_EQ(log.GetLog(), "three\r\n");
    log.SetViewSink(nullptr);
    log.AppendLog("four\r\n");
    EXPECT_EQ(log.GetLog(), "three\r\nfour\r\n"); // no view, no limit
    EXPECT_EQ(seen,
              (std::vector<std::pair<std::string, bool>>{{"two\r\n", false}, {"three\r\n", true}}));
}

} // namespace
} // namespace tolvane::test
