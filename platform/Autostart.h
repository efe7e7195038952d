// Start at login: the desktop's autostart entry for the program,
// ${XDG_CONFIG_HOME:-~/.config}/autostart/org.orrindale.Tolvane.desktop. It starts the
// program with --minimized (in the tray where the desktop has one, else minimised on the
// task bar), so a login does not open the window.
//
// - WriteAutostartEntry writes the entry atomically (0644), creating the folder when it
//   is missing; false (errno set) when it could not, or (EINVAL) when the program path
//   cannot be carried in a launcher's Exec line (not UTF-8, control characters).
// - RemoveAutostartEntry removes it; true also when there was none.
#pragma once

#include <filesystem>
#include <string>

namespace tolvane {

std::filesystem::path AutostartFile();
// The entry's text for the program at path; false when path cannot be carried.
bool AutostartEntryText(const std::filesystem::path& program, std::string& text);
bool WriteAutostartEntry(const std::filesystem::path& program);
bool RemoveAutostartEntry();

} // namespace tolvane
