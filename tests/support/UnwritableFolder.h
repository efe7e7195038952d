// A folder where the program's writes fail as they do for users: a full disk, or a
// read-only folder.
//
// Full: when the tests run as root (and may mount), a small tmpfs over the folder, filled
// to its last block; otherwise a file-size limit of one byte on this process and the
// programs it starts (SIGXFSZ ignored, so a write fails with EFBIG instead of killing).
// ReadOnly: a tmpfs made read-only when root, else the folder made 0500; root that may
// not mount cannot be refused a write, and Usable() says so (the test skips).
// Either way the data folder folder/tolvane exists. Everything is undone at destruction.
#pragma once

#include <filesystem>

namespace tolvane::test {

class UnwritableFolder {
public:
    enum class Kind { Full, ReadOnly };
    UnwritableFolder(const std::filesystem::path& folder, Kind kind);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    bool Usable() const { return m_bUsable; }
    // Writes succeed again from here on (the filler is removed, the limit lifted).
    void Free();

private:
    std::filesystem::path m_folder;
    bool m_bUsable = false;
    bool m_bMounted = false;
    bool m_bLimited = false;
    bool m_bChmodded = false;
};

} // namespace tolvane::test
