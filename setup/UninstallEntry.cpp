#include "setup/UninstallEntry.h"

#include "platform/Paths.h"
#include "setup/DesktopEntry.h"
#include "setup/SetupTexts.h"

#include <cerrno>
#include <unistd.h>

namespace tolvane::setup {

namespace fs = std::filesystem;

fs::path UninstallEntryPath() {
    return XdgDataHome() / "applications" / "tolvane-uninstall.desktop";
}

bool WriteUninstallEntry(const fs::path& setupProgram) {
    DesktopEntry entry;
    entry.name = txt::kUninstallEntryName;
    entry.program = setupProgram;
    entry.arguments = "/u";
    entry.icon = "tolvane";
    entry.categories = "Settings;";
    return WriteDesktopEntry(UninstallEntryPath(), entry, 0644);
}

bool DeleteUninstallEntry() {
    return ::unlink(UninstallEntryPath().c_str()) == 0 || errno == ENOENT;
}

} // namespace tolvane::setup
