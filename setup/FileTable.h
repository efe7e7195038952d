// The files the setup program expects beside itself (the program folder), and which of
// them it deletes on uninstall. The table is fixed; the setup program itself is not in it
// and is never deleted.
#pragma once

#include <array>
#include <filesystem>
#include <string>

namespace tolvane::setup {

enum FileFlags : unsigned {
    FILE_REQUIRED = 1, // must be present for installation
    FILE_REMOVED = 2,  // deleted on uninstall
};

struct FileTableRow {
    const char* name;
    unsigned flags;
};

inline constexpr std::array<FileTableRow, 5> kFileTable = {{
    {"Tolvane", FILE_REQUIRED | FILE_REMOVED},
    {"Tolvane.cnt", FILE_REQUIRED | FILE_REMOVED},
    {"Tolvane.hlp", FILE_REQUIRED | FILE_REMOVED},
    {"Readme.txt", FILE_REQUIRED | FILE_REMOVED},
    {"Tolvane.gid", FILE_REMOVED}, // help index: deleted when present
}};

// The name of the first required row that cannot be opened for reading as a regular file
// in programFolder, in table order; "" when every one can.
std::string FindMissingFile(const std::filesystem::path& programFolder);

// Deletes every row with FILE_REMOVED from programFolder. Missing files, and files that
// cannot be deleted (a read-only system folder), are passed over.
void DeleteProgramFiles(const std::filesystem::path& programFolder);

} // namespace tolvane::setup
