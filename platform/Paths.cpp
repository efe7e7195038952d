#include "platform/Paths.h"

#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Sha256.h"
#include "platform/Texts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// Shows why folder cannot be used (stop icon).
void ShowRefusal(const fs::path& folder, FolderState state, int error) {
    const std::string path = Utf8ToCp932(folder.string());
    std::string text;
    switch (state) {
    case FolderState::NotOwned:
        text = SjisFormat(txt::kFolderNotOwned, path.c_str());
        break;
    case FolderState::NotAFolder:
        text = SjisFormat(txt::kFolderNotAFolder, path.c_str());
        break;
    default:
        text = SjisFormat(txt::kFolderUnusable, path.c_str(),
                          Utf8ToCp932(std::strerror(error)).c_str());
        break;
    }
    ShowMessage(text, MsgButtons::Ok, MsgIcon::Stop);
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

FolderState CheckPrivateFolder(const fs::path& folder, int& error) {
    error = 0;
    CreatePrivateFolder(folder);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        error = errno;
        return FolderState::Unusable;
    }
    const bool bLink = S_ISLNK(st.st_mode);
    if (bLink && st.st_uid != ::geteuid()) {
        return FolderState::NotOwned; // planted: whatever it points at is not ours to use
    }
    // Checked and tightened through one descriptor, so that what is checked is what is
    // changed. A link of the user's own (the folder moved elsewhere) is followed.
    const int fd =
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (bLink ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        error = errno;
        return error == ENOTDIR ? FolderState::NotAFolder : FolderState::Unusable;
    }
    FolderState state = FolderState::Private;
    if (::fstat(fd, &st) != 0) {
        error = errno;
        state = FolderState::Unusable;
    } else if (st.st_uid != ::geteuid()) {
        state = FolderState::NotOwned;
    } else if ((st.st_mode & 0077) != 0) {
        state = ::fchmod(fd, 0700) == 0 ? FolderState::Tightened : FolderState::Unusable;
        error = state == FolderState::Unusable ? errno : 0;
    }
    ::close(fd);
    return state;
}

bool CheckPrivateFolders() {
    for (const fs::path& folder : {ConfigFolder(), DataFolder()}) {
        int error = 0;
        const FolderState state = CheckPrivateFolder(folder, error);
        if (state != FolderState::Private && state != FolderState::Tightened) {
            ShowRefusal(folder, state, error);
            return false;
        }
    }
    return true;
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
    const std::string utf8 = Cp932ToUtf8(accountNameCp932);
    std::string stem;
    stem.reserve(utf8.size() + 8);
    std::vector<size_t> starts; // where each whole character or escape begins in stem
    for (size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xC0) != 0x80) {
            starts.push_back(stem.size());
        }
        // A NUL would cut the name short in every system call; encode it like the others.
        if (c == '/' || c == '%' || c == '\0' || (c == '.' && i == 0)) {
            stem += '%';
            stem += HexDigit(c >> 4);
            stem += HexDigit(c);
        } else {
            stem += static_cast<char>(c);
        }
    }
    if (stem.size() <= kMaxStemBytes && Utf8ToCp932(utf8) == accountNameCp932) {
        return stem;
    }
    // Shortened (or not convertible both ways): whole characters, then the whole name's
    // digest, which tells apart names alike in their first characters or their "?"s.
    constexpr size_t kDigestHex = 32;
    constexpr size_t kPrefixBytes = kMaxStemBytes - 2 - kDigestHex;
    size_t cut = 0;
    for (size_t start : starts) {
        if (start > kPrefixBytes) {
            break;
        }
        cut = start;
    }
    if (stem.size() <= kPrefixBytes) {
        cut = stem.size();
    }
    stem.resize(cut);
    return stem + "%~" + Sha256Hex(accountNameCp932).substr(0, kDigestHex);
}

fs::path StoreFilePath(std::string_view accountNameCp932) {
    return DataFolder() / (AccountFileStem(accountNameCp932) + ".dat");
}

} // namespace tolvane
