// The address of the desktop's session bus, only where one exists: DBUS_SESSION_BUS_ADDRESS
// when set (and not empty), else the user's bus socket $XDG_RUNTIME_DIR/bus. Never a bus
// autolaunched for the program (a daemon that would outlive it).
#pragma once

#include <string>

namespace tolvane {

// The address, or "" when the session has no bus.
std::string SessionBusAddress();

} // namespace tolvane
