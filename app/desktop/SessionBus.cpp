#include "app/desktop/SessionBus.h"

#include <sys/stat.h>

#include <string>

namespace tolvane::gui {

bool SessionBusExists() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return true;
    }
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) {
        return false;
    }
    const std::string socket = runtime.toStdString() + "/bus";
    struct stat st {};
    return ::stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

std::optional<QDBusConnection> SessionBus() {
    if (!SessionBusExists()) {
        return std::nullopt;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return std::nullopt;
    }
    return bus;
}

} // namespace tolvane::gui
