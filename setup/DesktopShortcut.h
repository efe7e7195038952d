// The desktop shortcut: "トルヴェイン.desktop" in the desktop folder (DesktopFolder()), an
// executable launcher of the program folder's Tolvane, without arguments, using the
// program's own icon.
#pragma once

#include <filesystem>

namespace tolvane::setup {

std::filesystem::path DesktopShortcutPath();

// Writes (or overwrites) the shortcut to programFolder/Tolvane, creating the desktop
// folder when it is missing. True when it was written.
bool CreateDesktopShortcut(const std::filesystem::path& programFolder);

// Deletes the shortcut; a missing one is no failure.
void DeleteDesktopShortcut();

} // namespace tolvane::setup
