// Uninstalling (the setup program started with "/u").
//
// Refused with a message (stop icon), before anything is deleted:
// - while Tolvane or tolvane-cli runs for the same user, i.e. while another process holds
//   the instance lock; the lock is then held until the uninstallation ends, so that
//   neither can start half-way;
// - when the program folder is not provably an installation (InstallationProof.h): the
//   message names the folder;
// - when the settings file exists but cannot be read: its settings could not be removed,
//   and an uninstall that leaves them must not say it finished.
// Otherwise, in this order:
// 1. "トルヴェインをアンインストールしますか？" (OK / Cancel); anything but OK ends.
// 2. The files of the file table marked FILE_REMOVED are deleted from the program folder
//    (missing or undeletable ones are passed over), then the installation marker.
// 3. The desktop shortcut and the login start's autostart entry are deleted.
// 4. The settings are removed (RemoveSettings for Orrindale), with the uninstall entry.
// Before 2, every password of Tolvane's in the keyring is removed (RemoveAllTolvaneSecrets,
// off the user-interface thread); a keyring that answers but keeps them is said in a stop
// box (the rest goes on) and makes the uninstallation end failed. No keyring is no failure.
// 5. "トルヴェインのアンインストールが完了しました。" (information icon); when the settings
//    file could not be changed, or accounts or sections stay,
//    "レジストリ情報の削除が失敗しました。" (stop icon) instead, naming each key that stays.
// The setup program, the mail stores and the log file stay.
#pragma once

#include "setup/SetupContext.h"
#include "setup/SetupPrompter.h"

namespace tolvane::setup {

// Returns the process exit code (SETUP_EXIT_OK or SETUP_EXIT_FAILED).
int RunUninstallation(const SetupContext& context, ISetupPrompter& prompter);

} // namespace tolvane::setup
