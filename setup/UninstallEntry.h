// The uninstall entry: a launcher named "トルヴェインのアンインストール" in the user's application
// menu that runs the setup program with "/u", at
// ${XDG_DATA_HOME:-~/.local/share}/applications/tolvane-uninstall.desktop.
#pragma once

#include <filesystem>

namespace tolvane::setup {

std::filesystem::path UninstallEntryPath();

// Writes the entry for this setup program (an absolute path). True when it was written.
bool WriteUninstallEntry(const std::filesystem::path& setupProgram);

// Deletes the entry; true when it is gone (also when there was none).
bool DeleteUninstallEntry();

} // namespace tolvane::setup
