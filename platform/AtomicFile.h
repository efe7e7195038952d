// Atomic replacement of a file the program writes for the user: the bytes go to a
// temporary file beside the target, are flushed with fsync, and the temporary file is
// renamed over the target (then the folder is synced). A crash or a full disk leaves
// either the old file or the new one, never a mixture.
#pragma once

#include <filesystem>
#include <string_view>

namespace tolvane {

// Writes bytes to path atomically with the given file mode. Returns true on success;
// on failure the target is unchanged, the temporary file is removed and errno is set.
// The temporary file (path + ".tmp-XXXXXX") is locked (flock) until it has its final
// name; the temporaries of path that a killed save left behind are removed first.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                     unsigned mode = 0600);

// Removes path's temporary files whose writer is gone (no lock held on them); returns how
// many. Never follows a link.
size_t RemoveStaleTemporaries(const std::filesystem::path& path);

// Moves a damaged file aside under a new name that does not exist yet: base + suffix,
// or base + suffix + ".N" when that is taken. Returns the new path, or an empty path
// when the rename failed (the file then stays where it was, untouched).
std::filesystem::path MoveAside(const std::filesystem::path& path, std::string_view suffix);

} // namespace tolvane
