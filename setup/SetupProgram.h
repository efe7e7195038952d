// The setup program's run: install, or uninstall when the command line begins with "/u".
//
// The command line is the program's arguments joined by blanks. It uninstalls when it
// begins with the two characters "/u", exactly (what follows is ignored: "/uninstall"
// uninstalls, "/U" installs); anything else installs:
//   file check (Installation.h) → welcome window → its OK or cancel;
// uninstalling is RunUninstallation (Uninstallation.h).
//
// With a scripted prompter (CQtPrompter::IsScripted) the welcome window's buttons are
// pressed from the prompter's answers (IDOK presses OK, anything else キャンセル), one
// after the other while the window stays open; when the answers run out the window is
// abandoned (nothing changed, exit code SETUP_EXIT_FAILED), so an unattended run always
// ends.
#pragma once

#include "platform/Paths.h"
#include "setup/QtPrompter.h"
#include "setup/SetupContext.h"

#include <QStringList>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tolvane::setup {

bool IsUninstallCommand(std::string_view commandLine);

// The arguments after the program name, joined by blanks.
std::string CommandLine(const QStringList& arguments);

// Runs the setup program; returns the process exit code.
int RunSetupProgram(std::string_view commandLine, const SetupContext& context,
                    CQtPrompter& prompter);

// What a run works on, from the setup program's own absolute path: the program folder is
// the path's folder. An empty path (the program's own path could not be read) gives an
// empty folder, which every step refuses rather than falling back to the current folder.
SetupContext MakeSetupContext(const std::filesystem::path& setupProgram, SettingsTree& tree);

// main() of TolvaneSetup, after the QApplication exists: the program folder and path
// from locateProgram (the running executable), the user's settings, the answers of
// TOLVANE_SETUP_ANSWERS (a comma-separated list of "ok" and "cancel") when that variable is
// set.
int SetupMain(const std::function<std::filesystem::path()>& locateProgram = ProgramFile);

} // namespace tolvane::setup
