// The login start's autostart entry: where it goes, its Exec line for program paths the
// launcher format must quote (each one a valid entry), paths it cannot carry, and its
// removal.
#include "platform/Autostart.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

std::string ExecLine(const std::string& text) {
    const size_t start = text.find("\nExec=");
    return start == std::string::npos
               ? ""
               : text.substr(start + 6, text.find('\n', start + 1) - start - 6);
}

TEST(Autostart, TheEntryQuotesTheProgramAndIsValidForTheDesktop) {
    ScopedHome home;
    EXPECT_EQ(AutostartFile(), home.ConfigHome() / "autostart" / "org.orrindale.Tolvane.desktop");
    const struct {
        const char* program;
        const char* exec;
    } cases[] = {
        {"/opt/tolvane/Tolvane", R"("/opt/tolvane/Tolvane" --minimized)"},
        {"/home/taro/My Apps/Tolvane", R"("/home/taro/My Apps/Tolvane" --minimized)"},
        {"/x/100%/$HOME/Tolvane", R"("/x/100%%/\\$HOME/Tolvane" --minimized)"},
        {"/x/a\"b`c\\d/Tolvane", R"("/x/a\\"b\\`c\\\\d/Tolvane" --minimized)"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteAutostartEntry(c.program)) << c.program;
        const std::string text = ReadFileBytes(AutostartFile());
        EXPECT_EQ(ExecLine(text), c.exec) << c.program;
        const ProcessResult valid =
            RunProcess("/usr/bin/desktop-file-validate", {AutostartFile().string()});
        EXPECT_EQ(valid.status, 0) << c.program << ": " << valid.out << valid.err;
    }
    std::string text;
    EXPECT_FALSE(AutostartEntryText("/x/new\nline", text));
    EXPECT_FALSE(AutostartEntryText("/x/\xff\xfe", text));
    EXPECT_FALSE(WriteAutostartEntry("/x/new\nline"));
    EXPECT_TRUE(fs::exists(AutostartFile())); // the entry before is left as it was

    EXPECT_TRUE(RemoveAutostartEntry());
    EXPECT_FALSE(fs::exists(AutostartFile()));
    EXPECT_TRUE(RemoveAutostartEntry()); // none is no failure
}

} // namespace
} // namespace tolvane::test
