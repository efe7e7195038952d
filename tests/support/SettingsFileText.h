// How every settings file the program writes begins: the header line, then the keys down
// to the program's own key, each after a blank line. The program's own values come next.
#pragma once

#include <cstddef>
#include <string>

namespace tolvane::test {

inline constexpr char kSettingsFileStart[] = "REGEDIT4\n"
                                             "\n"
                                             "[HKEY_CURRENT_USER\\Software]\n"
                                             "\n"
                                             "[HKEY_CURRENT_USER\\Software\\Orrindale]\n"
                                             "\n"
                                             "[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane]\n";

// A settings file of one key `levels` levels below HKEY_CURRENT_USER, all in one header line.
inline std::string KeyFileOfDepth(size_t levels) {
    std::string text = "REGEDIT4\n[HKEY_CURRENT_USER";
    for (size_t level = 0; level < levels; ++level) {
        text += "\\k";
    }
    return text + "]\n";
}

} // namespace tolvane::test
