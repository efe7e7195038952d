#include "platform/Autostart.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace tolvane {

namespace {

constexpr char kFileName[] = "org.orrindale.Tolvane.desktop";

std::filesystem::path ConfigHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') {
        return config;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "") / ".config";
}

// The path as one quoted Exec argument: reserved characters escaped for the launcher, then
// backslashes once more for the string value; % doubled.
bool QuotedProgram(const std::string& utf8, std::string& quoted) {
    if (!IsValidUtf8(utf8)) {
        return false;
    }
    quoted.assign(1, '"');
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return false;
        }
        if (c == '"' || c == '`' || c == '$') {
            quoted += "\\\\";
        } else if (c == '\\') {
            quoted += "\\\\\\";
        } else if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    quoted += '"';
    return true;
}

} // namespace

std::filesystem::path AutostartFile() {
    return ConfigHome() / "autostart" / kFileName;
}

bool AutostartEntryText(const std::filesystem::path& program, std::string& text) {
    std::string exec;
    if (!QuotedProgram(program.string(), exec)) {
        return false;
    }
    text = "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Tolvane\n"
           "Name[ja]=トルヴェイン\n"
           "Exec=" +
           exec +
           " --minimized\n"
           "Icon=org.orrindale.Tolvane\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
    return true;
}

bool WriteAutostartEntry(const std::filesystem::path& program) {
    std::string text;
    if (!AutostartEntryText(program, text)) {
        errno = EINVAL;
        return false;
    }
    const std::filesystem::path file = AutostartFile();
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) {
        errno = error.value();
        return false;
    }
    return WriteFileAtomic(file, text, 0644);
}

bool RemoveAutostartEntry() {
    std::error_code error;
    std::filesystem::remove(AutostartFile(), error);
    if (error) {
        errno = error.value();
        return false;
    }
    return true;
}

} // namespace tolvane
