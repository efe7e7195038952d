// Whether a folder is an installation of Tolvane that the uninstaller may empty. It deletes
// files, so it accepts only what it can prove: a user's folder that happens to hold a
// "Readme.txt" or a script named "Tolvane" must never qualify.
//
// The folder is an installation when it is
// - absolute and already resolved (equal to its canonical form: no symbolic link, "." or
//   ".." on the way, so the files deleted are the files checked), and a folder;
// - the home of the installation marker kInstallationMarker, a regular file whose first
//   line is kInstallationMarkerLine (the install and the package write it; the setup
//   program never does). The shipped files themselves need not all be there: an
//   installation the user has partly removed can still be uninstalled.
#pragma once

#include <filesystem>

namespace tolvane::setup {

inline constexpr char kInstallationMarker[] = "Tolvane.installation";
inline constexpr char kInstallationMarkerLine[] = "Tolvane installation";

enum InstallationProof {
    PROOF_INSTALLATION = 0,
    PROOF_NO_FOLDER = 1,           // empty or relative: the program's own path is unknown
    PROOF_NOT_RESOLVED = 2,        // missing, not a folder, or reached through a link
    PROOF_NOT_AN_INSTALLATION = 3, // no marker
};

int ProveInstallation(const std::filesystem::path& folder);

} // namespace tolvane::setup
