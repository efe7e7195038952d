// Registering an installation in the user's settings.
//
// 1. Migration (MigrateOldSettings): when the older release's root
//    Software\Ashcombe\Tolvane exists and Software\Orrindale\Tolvane does not, the new root
//    is created, the old tree copied into it (CopySettingsTree) and its ViewerFont section,
//    which this release does not use, deleted. When both exist, nothing is copied. Either
//    way the old tree is then removed (RemoveSettings for Ashcombe). If the copy fails the
//    partly copied new root is deleted again and the old tree is kept, so that no setting
//    is lost; the registration then fails.
// 2. Software\Orrindale\Tolvane is created or opened.
// 3. When its Version text begins with "3.0.1", the user is asked whether to install again
//    ("インストール確認", OK / Cancel); anything but OK declines.
// 4. Version is set to "3.0.1".
// 5. The uninstall entry is written for the setup program.
#pragma once

#include "setup/SetupContext.h"
#include "setup/SetupPrompter.h"

namespace tolvane::setup {

enum RegisterResult {
    REGISTER_FAILED = 0,   // a step could not be carried out
    REGISTER_DONE = 1,     // registered
    REGISTER_DECLINED = 2, // installed already, and the user chose not to install again
};

// Step 1 alone. False when old settings exist and could not be carried over (they are
// then kept where they were).
bool MigrateOldSettings(SettingsTree& tree);

// Steps 1 to 5; a RegisterResult.
int RegisterInstallation(const SetupContext& context, ISetupPrompter& prompter);

} // namespace tolvane::setup
