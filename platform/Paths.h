// Where the program's files are.
#pragma once

#include <filesystem>
#include <string_view>

namespace tolvane {

// The running executable (/proc/self/exe), symbolic links resolved.
std::filesystem::path ProgramFile();

// Folder of the running executable: shipped files (help, Readme.txt).
std::filesystem::path ProgramFolder();

// ${XDG_CONFIG_HOME:-~/.config}/tolvane, created 0700 on first use.
std::filesystem::path ConfigFolder();

// ${XDG_DATA_HOME:-~/.local/share}, as it is (never created here): the base of the
// user's application menu and icons as well as of DataFolder().
std::filesystem::path XdgDataHome();

// ${XDG_DATA_HOME:-~/.local/share}/tolvane, created 0700 on first use: the files the
// program writes (mail store NAME.dat, default log Tolvane.log).
std::filesystem::path DataFolder();

// The settings and data folders hold passwords and what the user has seen, so they must be
// the user's own: what one folder was found to be (and made).
enum class FolderState {
    Private,   // a folder of this user that no one else may use (created when missing)
    Tightened, // a folder of this user that others could use: now mode 0700
    NotOwned,  // another user's folder, or another user's link to one: refused
    NotAFolder,
    Unusable, // could not be created, opened or tightened (error says why)
};

// Checks folder (creating it 0700 when missing); error is the errno of Unusable.
FolderState CheckPrivateFolder(const std::filesystem::path& folder, int& error);

// Checks ConfigFolder() and DataFolder(). A folder refused shows a message naming it and
// the reason (stop icon) and gives false: front ends stop before touching either folder.
bool CheckPrivateFolders();

// The desktop folder: `xdg-user-dir DESKTOP`'s answer (read from user-dirs.dirs), else
// ~/Desktop.
std::filesystem::path DesktopFolder();

// File-name form of an account name (CP932): its UTF-8 form with "/", "%" and a leading
// "." percent-encoded (%2F, %25, %2E), so that no name can leave the data folder. A NUL
// byte is encoded too (%00), and the empty name gives "%", so a stem is never empty.
// Every file made from a stem ("NAME.dat.damaged.999" the longest) must fit a file name of
// kMaxFileNameBytes: a longer stem, or a name whose UTF-8 form does not convert back to
// the same bytes, becomes its first whole characters, "%~" and 32 hex digits of the
// SHA-256 of the whole name. "%~" never stands in an encoded name, so two different
// accounts never share a file.
inline constexpr size_t kMaxFileNameBytes = 255;
inline constexpr size_t kMaxStemBytes = kMaxFileNameBytes - sizeof(".dat.damaged.999") + 1;
std::string AccountFileStem(std::string_view accountNameCp932);

// DataFolder() / (AccountFileStem(name) + ".dat").
std::filesystem::path StoreFilePath(std::string_view accountNameCp932);

} // namespace tolvane
