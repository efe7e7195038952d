// The per-user settings tree: the stand-in for the current user's registry, kept in one
// text file (SettingsFormat.h), ${XDG_CONFIG_HOME:-~/.config}/tolvane/user.reg.
//
// Operations follow the registry's: keys are opened by backslash paths relative to an
// open key (Root() is HKEY_CURRENT_USER), names compare ignoring letter case and keep the
// case they were created with, sub-keys enumerate sorted ignoring case, values in creation
// order. Every operation returns a result code below.
//
// Names and texts are UTF-8, held exactly as the file holds them: what is read is what is
// written back, byte for byte. A name or text given that is not UTF-8 is refused
// (REG_BAD_PARAMETER), so the tree never writes a file it would later call damaged. A key
// name is 1 to kMaxKeyNameLength characters without control bytes; a key lies at most
// kMaxKeyDepth levels and kMaxKeyPathBytes below the root (SettingsFormat.h); a change that
// would make the file larger than kMaxSettingsFileBytes fails with REG_WRITE_FAILED.
//
// Files and processes:
// - Every change takes an exclusive flock on "<file>.lock", re-reads the file when another
//   process changed it, applies the change and replaces the file atomically (mode 0600).
//   Nothing changes in memory unless the file was written. A batch (Apply) is one change:
//   all of it reaches the file in one write, or none of it does.
// - Every operation first checks (stat) whether the file changed and re-reads it then, so
//   readers see other processes' writes.
// - A file that cannot be parsed (SettingsFormat.h: not UTF-8, a NUL byte, past a bound)
//   or is larger than kMaxSettingsFileBytes is moved aside as "<file>.damaged-<UTC time>"
//   with its bytes (under the lock, never overwritten), the user is told once per process
//   and file through ShowMessage (stop icon), and the tree goes on empty.
// - A file that exists but cannot be read (no permission, a folder, not a regular file), or
//   is damaged and cannot be moved aside, is never overwritten: reads see an empty tree,
//   every change fails with REG_WRITE_FAILED, and CheckFile says which file and why.
// - A file that other users may read or write (it holds passwords) loses those permissions
//   when it is read; TakeNotices gives the log text that says so, once per process and file.
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

struct stat;

namespace tolvane {

// Result codes, numbered as the registry's.
enum RegResult : long {
    REG_OK = 0,
    REG_NOT_FOUND = 2,       // no such key or value
    REG_DENIED = 5,          // deleting a key that still has sub-keys
    REG_BAD_HANDLE = 6,      // a closed key, or a key of another tree
    REG_BAD_PARAMETER = 87,  // not UTF-8, an empty path component, a key name too long or with
                             // control bytes, a path too deep or too long
    REG_MORE_DATA = 234,     // a name longer than the caller's buffer
    REG_NO_MORE_ITEMS = 259, // enumeration index past the end
    REG_WRITE_FAILED = 1013, // the file could not be written, must not be overwritten, or
                             // would grow past kMaxSettingsFileBytes
    REG_KEY_DELETED = 1018,  // the open key was deleted meanwhile
};

// The registry's bound of a key name, in characters (code points).
inline constexpr size_t kMaxKeyNameLength = 255;

class SettingsTree;

// How a change of a batch treats a key (the batch's key plus the change's sub-path) that
// does not exist.
enum class MissingKey {
    Create, // creates it with its missing parents
    Skip,   // leaves the change out: a key removed meanwhile stays removed
    Fail,   // fails the whole batch with REG_KEY_DELETED
};

// Changes that SettingsTree::Apply makes together. Sub-paths are relative to the key the
// batch is applied to ("" is that key itself).
class SettingsBatch {
public:
    void SetString(std::string_view subPath, std::string_view name, std::string_view text,
                   MissingKey missing = MissingKey::Create);
    void SetDword(std::string_view subPath, std::string_view name, uint32_t value,
                  MissingKey missing = MissingKey::Create);
    bool Empty() const { return m_changes.empty(); }

private:
    friend class SettingsTree;
    struct Change {
        std::string subPath;
        MissingKey missing;
        SettingsValue value;
    };
    std::vector<Change> m_changes;
};

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
    explicit SettingsTree(const std::filesystem::path& file);
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

    // A string (and a value name) is stored up to its first NUL, as the registry's REG_SZ
    // is. The key must exist (REG_KEY_DELETED otherwise).
    long SetString(const RegKey& key, std::string_view name, std::string_view text);
    long SetDword(const RegKey& key, std::string_view name, uint32_t value);
    // Every change of the batch under one lock and in one file write, or none of them (the
    // first failing change's code). A batch that changes nothing writes nothing.
    long Apply(const RegKey& key, const SettingsBatch& batch);
    long DeleteValue(const RegKey& key, std::string_view name);
    // Deletes the key at subPath (not empty) with its values; REG_DENIED while it has
    // sub-keys.
    long DeleteKey(const RegKey& parent, std::string_view subPath);

    // The file as last located.
    std::filesystem::path FilePath();

    // Re-reads the file if it changed; true when it can be used. False when it exists but
    // cannot be read, or is damaged and could not be moved aside; messageCp932 then gets
    // the text for the user with the file's path and the reason.
    bool CheckFile(std::string* messageCp932 = nullptr);
    // Log texts (CP932, ending in CR LF) about the file gathered since the last call.
    std::vector<std::string> TakeNotices();

private:
    struct FileIdentity {
        bool exists = false;
        uint64_t device = 0, inode = 0, size = 0;
        int64_t mtimeNs = 0, ctimeNs = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    enum class FileState { Usable, Unusable };

    using Change = std::function<long(SettingsNode& root, bool& changed)>;
    using Query = std::function<long(const SettingsNode& root)>;

    long Read(const RegKey& key, const Query& query);
    long Write(const Change& change);
    void Refresh(bool haveFileLock, std::string& message);
    void Load(bool haveFileLock, std::string& message);
    void MoveDamagedAside(const FileIdentity& damaged, std::string& message);
    void MakePrivate(int fd, struct stat& st);
    long Replace(SettingsNode next);
    void SetUnusable(std::string reasonUtf8);
    bool CheckHandle(const RegKey& key) const;

    std::function<std::filesystem::path()> m_locate;
    std::mutex m_mutex;
    std::filesystem::path m_file;
    bool m_loaded = false;
    FileIdentity m_identity;
    FileState m_state = FileState::Usable;
    std::string m_unusableReason; // UTF-8, while Unusable
    SettingsNode m_root;
    std::set<std::string> m_toldDamaged;
    std::set<std::string> m_toldMode;
    std::vector<std::string> m_notices; // at most kMaxNotices, until taken
    static constexpr size_t kMaxNotices = 16;
};

} // namespace tolvane
