#include "setup/InstallationProof.h"

#include <fstream>
#include <string>
#include <system_error>

namespace tolvane::setup {

namespace fs = std::filesystem;

namespace {

bool IsRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(fs::symlink_status(path, error));
}

bool HasMarker(const fs::path& folder) {
    const fs::path marker = folder / kInstallationMarker;
    if (!IsRegularFile(marker)) {
        return false;
    }
    std::ifstream in(marker, std::ios::binary);
    std::string line;
    std::getline(in, line);
    return line == kInstallationMarkerLine;
}

} // namespace

int ProveInstallation(const fs::path& folder) {
    if (folder.empty() || !folder.is_absolute()) {
        return PROOF_NO_FOLDER;
    }
    std::error_code error;
    const fs::path resolved = fs::canonical(folder, error);
    // Both with a trailing separator, so "/opt/x/" and "/opt/x" compare equal.
    const bool same = (resolved / "").lexically_normal() == (folder / "").lexically_normal();
    if (error || !same || !fs::is_directory(resolved, error)) {
        return PROOF_NOT_RESOLVED;
    }
    if (!HasMarker(resolved)) {
        return PROOF_NOT_AN_INSTALLATION;
    }
    return PROOF_INSTALLATION;
}

} // namespace tolvane::setup
