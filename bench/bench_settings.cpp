// What settings cost: one profile write (lock, re-read check, atomic replace with fsync) and
// a read of every Option key, against a realistic file of ten accounts, in a private home.
#include "platform/Options.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double MicrosecondsPer(Clock::duration total, int count) {
    return std::chrono::duration<double, std::micro>(total).count() / count;
}

void WriteRealisticSettings() {
    for (int i = 0; i < 10; ++i) {
        std::string section = "Account\\account" + std::to_string(i);
        tolvane::WriteProfileString(section, "Servername",
                                    "pop" + std::to_string(i) + ".example.jp");
        tolvane::WriteProfileString(section, "Username", "user" + std::to_string(i));
        tolvane::WriteProfileString(section, "Password", "secret");
        for (const char* key :
             {"PortNo", "ReceiveCount", "Timeout", "SimpleDelete", "Enable", "ReceiveNewMailOnly",
              "LimitDelete", "LimitDays", "ConfLimitDelete"}) {
            tolvane::WriteProfileInt(section, key, 1);
        }
    }
    for (int i = 1; i <= 5; ++i) {
        tolvane::WriteProfileInt("Column", "Width" + std::to_string(i), 100);
        tolvane::WriteProfileInt("Column", "Order" + std::to_string(i), i - 1);
    }
    for (const char* key : {"Left", "Top", "Right", "Bottom", "ViewHeight"}) {
        tolvane::WriteProfileInt("Environment", key, 300);
    }
    tolvane::options::SetSaveLog(1);
    tolvane::options::SetAutoCheck(1);
    tolvane::options::SetSoundFilePath("/usr/share/sounds/new.wav");
}

int ReadEveryOption() {
    namespace o = tolvane::options;
    int sum = static_cast<int>(o::GetLogFilePath().size() + o::GetSoundFilePath().size());
    sum += o::GetSaveLog() + o::GetNewSave() + o::GetAutoCheck() + o::GetAutoCheckInterval() +
           o::GetAutoReport() + o::GetReportDisplayMode() + o::GetFirstCheck() +
           o::GetQuitConfirm() + o::GetAutoHide() + o::GetAutoHideInterval();
    return sum;
}

} // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "tolvane-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path home = pattern;
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);

    WriteRealisticSettings();
    std::printf("settings file: %ju bytes\n",
                static_cast<uintmax_t>(fs::file_size(tolvane::ConfigFolder() / "user.reg")));

    constexpr int kWrites = 100;
    auto start = Clock::now();
    for (int i = 0; i < kWrites; ++i) {
        tolvane::WriteProfileInt("Option", "AutoCheckInterval", 10 + i % 50);
    }
    std::printf("one profile write:          %10.1f us\n",
                MicrosecondsPer(Clock::now() - start, kWrites));

    constexpr int kReads = 2000;
    int sink = 0;
    start = Clock::now();
    for (int i = 0; i < kReads; ++i) {
        sink += ReadEveryOption();
    }
    std::printf("reading all 12 Option keys: %10.1f us (sink %d)\n",
                MicrosecondsPer(Clock::now() - start, kReads), sink % 10);

    std::vector<std::string> names;
    start = Clock::now();
    for (int i = 0; i < kReads; ++i) {
        tolvane::EnumAccountNames(names);
    }
    std::printf("listing 10 accounts:        %10.1f us\n",
                MicrosecondsPer(Clock::now() - start, kReads));

    std::error_code ignored;
    fs::remove_all(home, ignored);
    return 0;
}
