// Opens an address in the user's browser from the terminal: xdg-open, started without a
// shell and left to itself (its output goes nowhere; the address is printed anyway).
#pragma once

#include <string>

namespace tolvane::cli {

// False when xdg-open could not be started.
bool OpenInBrowser(const std::string& url);

} // namespace tolvane::cli
