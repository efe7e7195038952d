#include "platform/SessionBusAddress.h"

#include <cstdlib>
#include <sys/stat.h>

namespace tolvane {

namespace {

// A value inside a D-Bus address: bytes other than [-0-9A-Za-z_/.\\*] as %XX.
std::string EscapedValue(const std::string& value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= 'a' && byte <= 'z') || byte == '-' || byte == '_' ||
                           byte == '/' || byte == '.' || byte == '\\' || byte == '*';
        if (plain) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        }
    }
    return escaped;
}

} // namespace

std::string SessionBusAddress() {
    const char* given = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (given != nullptr && *given != '\0') {
        return given;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') {
        return {};
    }
    const std::string socket = std::string(runtime) + "/bus";
    struct stat st {};
    if (::stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) {
        return {};
    }
    return "unix:path=" + EscapedValue(socket);
}

} // namespace tolvane
