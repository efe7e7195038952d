// The desktop's session bus, only where one exists. Asking Qt for the session bus without
// an address makes D-Bus autolaunch a bus daemon of its own, which outlives the program;
// so a program without DBUS_SESSION_BUS_ADDRESS, and without the user's bus socket
// $XDG_RUNTIME_DIR/bus, goes without desktop services instead.
#pragma once

#include <QDBusConnection>

#include <optional>

namespace tolvane::gui {

// True when DBUS_SESSION_BUS_ADDRESS is set (not empty) or $XDG_RUNTIME_DIR/bus is a socket.
bool SessionBusExists();

// The connected session bus, or nothing when none exists or it cannot be reached.
std::optional<QDBusConnection> SessionBus();

} // namespace tolvane::gui
