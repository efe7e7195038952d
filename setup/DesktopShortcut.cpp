#include "setup/DesktopShortcut.h"

#include "platform/Paths.h"
#include "setup/DesktopEntry.h"
#include "setup/SetupTexts.h"

#include <string>
#include <unistd.h>

namespace tolvane::setup {

namespace fs = std::filesystem;

fs::path DesktopShortcutPath() {
    return DesktopFolder() / (std::string(txt::kDisplayName) + ".desktop");
}

bool CreateDesktopShortcut(const fs::path& programFolder) {
    DesktopEntry entry;
    entry.name = txt::kDisplayName;
    entry.program = programFolder / "Tolvane";
    entry.icon = "tolvane";
    // Desktops launch only executable launchers from the desktop folder.
    return WriteDesktopEntry(DesktopShortcutPath(), entry, 0755);
}

void DeleteDesktopShortcut() {
    ::unlink(DesktopShortcutPath().c_str());
}

} // namespace tolvane::setup
