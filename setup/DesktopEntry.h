// Desktop entry files (the freedesktop launcher format) that the setup program writes:
// the uninstall entry and the desktop shortcut stand in for the uninstall registry entry
// and the shell link of other systems.
//
// The text is UTF-8. Exec holds the program path as one argument, quoted where the
// launcher format needs it, followed by the arguments as given. A path that the format
// cannot carry (not UTF-8, or holding control characters) makes the entry fail instead
// of writing a launcher that runs something else.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane::setup {

struct DesktopEntry {
    std::string name;              // Name, UTF-8
    std::filesystem::path program; // absolute path: the first word of Exec
    std::string arguments;         // appended to Exec after a blank, "" for none
    std::string icon;              // Icon, a theme icon name; "" for none
    std::string categories;        // Categories ("Settings;"), "" for none
};

// One Exec argument in launcher form: as it is when it holds no reserved character,
// else in double quotes with ", `, $ and \ escaped; % is doubled either way; backslashes
// are then escaped once more for the string value. False when text cannot be carried.
bool QuoteExecArgument(std::string_view utf8, std::string& quoted);

// The file's text; false when the program path or the name cannot be carried.
bool DesktopEntryText(const DesktopEntry& entry, std::string& text);

// Writes the entry atomically with the given mode, creating the folder when it is
// missing. True when the file was written.
bool WriteDesktopEntry(const std::filesystem::path& file, const DesktopEntry& entry, unsigned mode);

} // namespace tolvane::setup
