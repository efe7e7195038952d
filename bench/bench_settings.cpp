// What settings cost: one profile write (lock, re-read check, atomic replace with fsync) and
// a read of every Option key, against a realistic file of ten accounts, in a private home;
// then a document of 2,000 accounts each missing six values created and closed, as
// `tolvane-cli accounts` does, and the same with every account changed (one write).
#include "engine/DocumentCore.h"
#include "platform/Options.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

#include <chrono>
#include <cstdint>
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

class SilentHost final : public tolvane::IHost {
public:
    std::string GetWindowText() override { return {}; }
    void SetWindowText(const std::string&) override {}
    void SetCancelMenuText(const std::string&) override {}
    void PostCommand(int) override {}
    bool Ask(const std::string&) override { return false; }
};

// Six of the twelve values each: the rest take their defaults.
void WriteManyAccounts(const fs::path& file, int count) {
    std::string text = "REGEDIT4\n";
    for (int i = 0; i < count; ++i) {
        text += "\n[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane\\Account\\account" +
                std::to_string(i) +
                "]\n\"Servername\"=\"pop.example.jp\"\n\"Username\"=\"user\"\n"
                "\"Password\"=\"secret\"\n\"PortNo\"=dword:0000006e\n"
                "\"ReceiveCount\"=dword:00000005\n\"Timeout\"=dword:0000003c\n";
    }
    std::FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
}

void BenchManyAccounts() {
    constexpr int kAccounts = 2000;
    const fs::path file = tolvane::ConfigFolder() / "user.reg";
    WriteManyAccounts(file, kAccounts);
    SilentHost host;
    auto start = Clock::now();
    {
        tolvane::CDocumentCore doc(&host);
        doc.Create();
        std::printf("%d accounts loaded:        %10.1f ms\n", doc.GetAccountCount(),
                    MicrosecondsPer(Clock::now() - start, 1000));
        start = Clock::now();
    }
    std::printf("closed, nothing changed:    %10.1f ms\n",
                MicrosecondsPer(Clock::now() - start, 1000));
    {
        tolvane::CDocumentCore doc(&host);
        doc.Create();
        for (int i = 0; i < doc.GetAccountCount(); ++i) {
            doc.GetAccount(i)->m_nReceiveCount = 9;
        }
        start = Clock::now();
    }
    std::printf("closed, every account changed: %7.1f ms (%ju bytes)\n",
                MicrosecondsPer(Clock::now() - start, 1000),
                static_cast<uintmax_t>(fs::file_size(file)));
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

    BenchManyAccounts();

    std::error_code ignored;
    fs::remove_all(home, ignored);
    return 0;
}
