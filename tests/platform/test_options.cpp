#include "platform/Options.h"

#include "platform/Paths.h"
#include "platform/Profile.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

struct IntOption {
    const char* key;
    int32_t (*get)();
    bool (*set)(int32_t);
    int32_t defaultValue;
    bool flag = true; // a 0/1 option: any non-zero stored value reads as 1
};

class IntOptionTest : public ::testing::TestWithParam<IntOption> {
protected:
    test::ScopedHome m_home;
    test::RecordingMessageHost m_messages;
};

TEST_P(IntOptionTest, DefaultThenStoredValueUnderItsKey) {
    const IntOption& option = GetParam();
    EXPECT_EQ(option.get(), option.defaultValue);
    const int32_t stored = option.defaultValue == 7 ? 8 : 7;
    ASSERT_TRUE(option.set(stored));
    EXPECT_EQ(option.get(), option.flag ? 1 : stored);
    EXPECT_EQ(GetProfileInt("Option", option.key, -99), stored);
    ASSERT_TRUE(option.set(0));
    EXPECT_EQ(option.get(), 0);
    EXPECT_TRUE(m_messages.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, IntOptionTest,
    ::testing::Values(IntOption{"SaveLog", options::GetSaveLog, options::SetSaveLog, 0},
                      IntOption{"NewSave", options::GetNewSave, options::SetNewSave, 1},
                      IntOption{"AutoCheck", options::GetAutoCheck, options::SetAutoCheck, 0},
                      IntOption{"AutoCheckInterval", options::GetAutoCheckInterval,
                                options::SetAutoCheckInterval, 30, false},
                      IntOption{"AutoReport", options::GetAutoReport, options::SetAutoReport, 1},
                      IntOption{"ReportDisplayMode", options::GetReportDisplayMode,
                                options::SetReportDisplayMode, 1},
                      IntOption{"FirstCheck", options::GetFirstCheck, options::SetFirstCheck, 0},
                      IntOption{"QuitConfirm", options::GetQuitConfirm, options::SetQuitConfirm, 0},
                      IntOption{"AutoHide", options::GetAutoHide, options::SetAutoHide, 1},
                      IntOption{"AutoHideInterval", options::GetAutoHideInterval,
                                options::SetAutoHideInterval, 30, false},
                      IntOption{"Notify", options::GetNotify, options::SetNotify, 1}),
    [](const auto& testParam) { return testParam.param.key; });

struct StoredParallelChecks {
    const char* name;
    std::function<bool()> store; // writes the stored value
    int32_t expected;
};

class ParallelChecksTest : public ::testing::TestWithParam<StoredParallelChecks> {
protected:
    test::ScopedHome m_home;
    test::RecordingMessageHost m_messages;
};

// A value outside the range, or not a number, reads as the default and stays in the file.
TEST_P(ParallelChecksTest, StoredValueReadsWithinRange) {
    EXPECT_EQ(options::GetParallelChecks(), options::kDefaultParallelChecks);
    ASSERT_TRUE(GetParam().store());
    const fs::path file = m_home.ConfigHome() / "tolvane" / "user.reg";
    const std::string before = test::ReadFileBytes(file);
    EXPECT_EQ(options::GetParallelChecks(), GetParam().expected);
    EXPECT_EQ(test::ReadFileBytes(file), before);
    EXPECT_TRUE(m_messages.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParallelChecksTest,
    ::testing::Values(
        StoredParallelChecks{"One", [] { return options::SetParallelChecks(1); }, 1},
        StoredParallelChecks{"Sixteen", [] { return options::SetParallelChecks(16); }, 16},
        StoredParallelChecks{"Zero", [] { return options::SetParallelChecks(0); }, 4},
        StoredParallelChecks{"Seventeen", [] { return options::SetParallelChecks(17); }, 4},
        StoredParallelChecks{"Negative", [] { return options::SetParallelChecks(-3); }, 4},
        StoredParallelChecks{
            "Text", [] { return WriteProfileString("Option", "ParallelChecks", "8"); }, 4}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

// Paths are the file names' exact bytes: characters CP932 lacks ("é", "😀") and
// sequences that are no text at all in CP932 come back unchanged.
TEST(StringOptions, PathsKeepEveryByte) {
    test::ScopedHome home;
    test::RecordingMessageHost messages;
    const std::string defaultLog = (home.DataHome() / "tolvane" / "Tolvane.log").string();
    EXPECT_EQ(options::DefaultLogFilePath(), defaultLog);
    EXPECT_EQ(options::GetLogFilePath(), defaultLog);
    EXPECT_EQ(options::GetSoundFilePath(), "");

    const std::string log = "/tmp/données/ログ😀/接続.log";
    ASSERT_TRUE(options::SetLogFilePath(log));
    ASSERT_TRUE(options::SetSoundFilePath("/usr/share/sounds/café.wav"));
    EXPECT_EQ(options::GetLogFilePath(), log);
    EXPECT_EQ(options::GetLogFilePath(true), defaultLog); // the flag never reads the settings
    EXPECT_EQ(options::GetSoundFilePath(), "/usr/share/sounds/café.wav");
    EXPECT_NE(test::ReadFileBytes(home.ConfigHome() / "tolvane" / "user.reg")
                  .find("\"LogFile\"=\"/tmp/données/ログ😀/接続.log\""),
              std::string::npos);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST(StringOptions, AFreshUserWritesNothing) {
    test::ScopedHome home;
    options::GetLogFilePath();
    options::GetAutoCheckInterval();
    EXPECT_FALSE(fs::exists(home.ConfigHome() / "tolvane" / "user.reg"));
}

} // namespace
} // namespace tolvane
