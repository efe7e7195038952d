// What every step of the setup program works on: where it is, and whose settings.
#pragma once

#include "platform/SettingsTree.h"

#include <filesystem>

namespace tolvane::setup {

// Process exit codes: 0 when the user's choice was carried out (installed, uninstalled
// or cancelled by the user), 1 when something failed or was refused.
enum SetupExit : int { SETUP_EXIT_OK = 0, SETUP_EXIT_FAILED = 1 };

struct SetupContext {
    std::filesystem::path programFolder; // the shipped files: the setup program's folder
    std::filesystem::path setupProgram;  // its own absolute path, for the uninstall entry
    SettingsTree* tree = nullptr;        // the user's settings (never null)
};

} // namespace tolvane::setup
