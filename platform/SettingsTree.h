// The per-user settings tree: the stand-in for the current user's registry, kept in one
// text file (SettingsFormat.h), ${XDG_CONFIG_HOME:-~/.config}/tolvane/user.reg.
//
// Operations follow the registry's: keys are opened by backslash paths relative to an
// open key (Root() is HKEY_CURRENT_USER), names compare ignoring letter case and keep the
// case they were created with, sub-keys enumerate sorted ignoring case, values in creation
// order. Names and texts are CP932. Every operation returns a result code below.
//
// Files and processes:
// - Every change takes an exclusive flock on "<file>.lock", re-reads the file when another
//   process changed it, applies the change and replaces the file atomically (mode 0600).
//   Nothing changes in memory unless the file was written.
// - Every operation first checks (stat) whether the file changed and re-reads it then, so
//   readers see other processes' writes.
// - A file that cannot be parsed is moved aside as "<file>.damaged-<UTC time>" (under the
//   lock, never overwritten), the user is told once per process and file through
//   ShowMessage (stop icon), and the tree goes on empty. A file that exists but cannot be
//   read, or cannot be moved aside, is never overwritten: reads see an empty tree and every
//   change fails with REG_WRITE_FAILED.
// - A text CP932 cannot carry exactly (a byte sequence with no character) is stored as it
//   will read back from the file ("?"), so memory and file always agree.
//
// Thread-safe: one mutex guards the tree; messages are shown after it is released.
#pragma once

#include "platform/SettingsFormat.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Result codes, numbered as the registry's.
enum RegResult : long {
    REG_OK = 0,
    REG_NOT_FOUND = 2,      // no such key or value
    REG_DENIED = 5,         // deleting a key that still has sub-keys
    REG_BAD_HANDLE = 6,     // a closed key, or a key of another tree
    REG_BAD_PARAMETER = 87, // empty path component, a key name over 255 bytes or with control bytes
    REG_MORE_DATA = 234,    // a name longer than the caller's buffer
    REG_NO_MORE_ITEMS = 259, // enumeration index past the end
    REG_WRITE_FAILED = 1013, // the file could not be written (or must not be overwritten)
    REG_KEY_DELETED = 1018,  // the open key was deleted meanwhile
};

inline constexpr size_t kMaxKeyNameLength = 255;

class SettingsTree;

// An open key: a path in one tree. Closed by CloseKey or on destruction.
class RegKey {
public:
    RegKey() = default;
    bool IsOpen() const { return m_tree != nullptr; }
    // Backslash path from HKEY_CURRENT_USER, in the case the key was opened with.
    std::string Path() const;

private:
    friend class SettingsTree;
    SettingsTree* m_tree = nullptr;
    std::vector<std::string> m_path;
};

class SettingsTree {
public:
    // A tree kept in this file; its folder must exist.
    explicit SettingsTree(std::filesystem::path file);
    // A tree whose file is located anew by every operation (the environment may change).
    explicit SettingsTree(std::function<std::filesystem::path()> locateFile);
    SettingsTree(const SettingsTree&) = delete;
    SettingsTree& operator=(const SettingsTree&) = delete;

    // The current user's tree: ConfigFolder() / "user.reg".
    static SettingsTree& CurrentUser();

    // HKEY_CURRENT_USER, always open.
    RegKey Root();

    // Opens subPath below parent, creating the missing keys ("" opens parent again).
    long CreateKey(const RegKey& parent, std::string_view subPath, RegKey& key,
                   bool* created = nullptr);
    // Opens an existing key; REG_NOT_FOUND when any part of subPath is missing.
    long OpenKey(const RegKey& parent, std::string_view subPath, RegKey& key);
    long CloseKey(RegKey& key);

    // The name of sub-key number index. bufferSize counts the terminating NUL as the
    // registry's does (0 = no limit): a longer name gives REG_MORE_DATA.
    long EnumKey(const RegKey& key, uint32_t index, std::string& name, size_t bufferSize = 0);
    long EnumValue(const RegKey& key, uint32_t index, SettingsValue& value);
    long QueryValue(const RegKey& key, std::string_view name, SettingsValue& value);
    long QueryInfo(const RegKey& key, uint32_t* subKeyCount, uint32_t* valueCount);

    // A string is stored up to its first NUL, as the registry's REG_SZ is.
    long SetString(const RegKey& key, std::string_view name, std::string_view text);
    long SetDword(const RegKey& key, std::string_view name, uint32_t value);
    long DeleteValue(const RegKey& key, std::string_view name);
    // Deletes the key at subPath (not empty) with its values; REG_DENIED while it has
    // sub-keys.
    long DeleteKey(const RegKey& parent, std::string_view subPath);

    // The file as last located.
    std::filesystem::path FilePath();

private:
    struct FileIdentity {
        bool exists = false;
        uint64_t device = 0, inode = 0, size = 0;
        int64_t mtimeNs = 0, ctimeNs = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    enum class FileState { Usable, Unwritable };

    using Change = std::function<long(SettingsNode& root, bool& changed)>;
    using Query = std::function<long(const SettingsNode& root)>;

    long Read(const RegKey& key, const Query& query);
    long Write(const Change& change);
    void Refresh(bool haveFileLock, std::string& message);
    void Load(bool haveFileLock, std::string& message);
    void MoveDamagedAside(const FileIdentity& damaged, std::string& message);
    bool CheckHandle(const RegKey& key) const;

    std::function<std::filesystem::path()> m_locate;
    std::mutex m_mutex;
    std::filesystem::path m_file;
    bool m_loaded = false;
    FileIdentity m_identity;
    FileState m_state = FileState::Usable;
    SettingsNode m_root;
    std::set<std::string> m_toldDamaged;
};

} // namespace tolvane
