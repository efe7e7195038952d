// How every settings file the program writes begins: the header line, then the keys down
// to the program's own key, each after a blank line. The program's own values come next.
#pragma once

namespace tolvane::test {

inline constexpr char kSettingsFileStart[] = "REGEDIT4\n"
                                             "\n"
                                             "[HKEY_CURRENT_USER\\Software]\n"
                                             "\n"
                                             "[HKEY_CURRENT_USER\\Software\\Orrindale]\n"
                                             "\n"
                                             "[HKEY_CURRENT_USER\\Software\\Orrindale\\Tolvane]\n";

} // namespace tolvane::test
