#include "platform/Paths.h"

#include "platform/CodePage.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

namespace fs = std::filesystem;

namespace {

fs::path HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/";
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are to
// be ignored), else the fallback under the home folder. Read on every call, as the
// environment may change (tests give every case its own home).
fs::path XdgFolder(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    return HomeFolder() / fallbackUnderHome;
}

// Creates folder and its missing parents with mode 0700 (the settings hold passwords).
void CreatePrivateFolder(const fs::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        return;
    }
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        CreatePrivateFolder(folder.parent_path());
    }
    if (::mkdir(folder.c_str(), 0700) == 0) {
        ::chmod(folder.c_str(), 0700); // the umask may have taken bits away; never add any
    }
}

fs::path PrivateFolder(const char* variable, const char* fallbackUnderHome) {
    fs::path folder = XdgFolder(variable, fallbackUnderHome) / "tolvane";
    CreatePrivateFolder(folder);
    return folder;
}

// The value of XDG_DESKTOP_DIR in user-dirs.dirs: "$HOME/sub" or "/absolute", in quotes.
fs::path DesktopFromUserDirs(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, 16, "XDG_DESKTOP_DIR=") != 0) {
            continue;
        }
        std::string value = line.substr(start + 16);
        while (!value.empty() &&
               (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
            value.pop_back();
        }
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            std::string rest = value.substr(5);
            if (!rest.empty() && rest.front() != '/') {
                continue; // "$HOMEX" is not the home folder
            }
            fs::path home = HomeFolder();
            return rest.size() <= 1 ? home : home / rest.substr(1);
        }
        if (!value.empty() && value.front() == '/') {
            return value;
        }
    }
    return {};
}

char HexDigit(unsigned value) {
    return "0123456789ABCDEF"[value & 0x0F];
}

} // namespace

fs::path ProgramFile() {
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error);
}

fs::path ProgramFolder() {
    const fs::path exe = ProgramFile();
    if (exe.empty()) {
        std::error_code error;
        return fs::current_path(error);
    }
    return exe.parent_path();
}

fs::path ConfigFolder() {
    return PrivateFolder("XDG_CONFIG_HOME", ".config");
}

fs::path XdgDataHome() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

fs::path DataFolder() {
    return PrivateFolder("XDG_DATA_HOME", ".local/share");
}

fs::path DesktopFolder() {
    fs::path desktop =
        DesktopFromUserDirs(XdgFolder("XDG_CONFIG_HOME", ".config") / "user-dirs.dirs");
    return desktop.empty() ? HomeFolder() / "Desktop" : desktop;
}

std::string AccountFileStem(std::string_view accountNameCp932) {
    if (accountNameCp932.empty()) {
        return "%"; // no encoded name is a lone "%", so this cannot meet another account
    }
    std::string utf8 = Cp932ToUtf8(accountNameCp932);
    std::string stem;
    stem.reserve(utf8.size() + 8);
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        // A NUL would cut the name short in every system call; encode it like the others.
        if (c == '/' || c == '%' || c == '\0' || (c == '.' && i == 0)) {
            stem += '%';
            stem += HexDigit(c >> 4);
            stem += HexDigit(c);
        } else {
            stem += static_cast<char>(c);
        }
    }
    return stem;
}

fs::path StoreFilePath(std::string_view accountNameCp932) {
    return DataFolder() / (AccountFileStem(accountNameCp932) + ".dat");
}

} // namespace tolvane
