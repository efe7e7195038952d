// The installation's two halves around the welcome window.
//
// CheckShippedFiles runs before the window: when a required file of the file table is
// missing, or the program folder is unknown (not an absolute path), it shows
// "必要なファイルが無いため…" (stop icon) and the installation ends with nothing changed.
//
// FinishInstallation runs when the user presses OK: the registration (Registration.h);
// when it succeeded and the shortcut box is checked, the desktop shortcut; then
// "トルヴェインのインストールが完了しました。" ("インストール終了"). When the user declined
// to install again, the shortcut is skipped and the completion message still shown. A
// registration that failed is reported as such (stop icon) instead of the completion
// message, and a shortcut that could not be written is reported before it. Likewise the
// login start when asked for: the autostart entry (platform/Autostart.h) and the Option
// key Autostart = 1, so the options sheet shows it ticked.
#pragma once

#include "setup/SetupContext.h"
#include "setup/SetupPrompter.h"

namespace tolvane::setup {

// True when every required file is present; otherwise the user has been told.
bool CheckShippedFiles(const SetupContext& context, ISetupPrompter& prompter);

enum class Shortcut { Skip, Create };
enum class LoginStart { Skip, Create };

// Returns the process exit code (SETUP_EXIT_OK or SETUP_EXIT_FAILED).
int FinishInstallation(const SetupContext& context, Shortcut shortcut, ISetupPrompter& prompter,
                       LoginStart loginStart = LoginStart::Skip);

} // namespace tolvane::setup
