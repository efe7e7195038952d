#include "platform/SettingsTree.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Paths.h"
#include "platform/Texts.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// The exclusive lock every writer of one settings file holds while it reads, changes and
// replaces the file. It is taken on a file of its own, since the settings file itself is
// replaced by every write. Opened per use, so that a forked child never shares it.
class FileLock {
public:
    explicit FileLock(const fs::path& settingsFile) {
        std::string lockPath = settingsFile.string() + ".lock";
        m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~FileLock() {
        if (m_fd >= 0) {
            ::close(m_fd); // releases the lock
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

int64_t Nanoseconds(const timespec& time) {
    return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

template <typename Identity> Identity IdentityOf(const struct stat& st) {
    Identity identity;
    identity.exists = true;
    identity.device = st.st_dev;
    identity.inode = st.st_ino;
    identity.size = static_cast<uint64_t>(st.st_size);
    identity.mtimeNs = Nanoseconds(st.st_mtim);
    identity.ctimeNs = Nanoseconds(st.st_ctim);
    return identity;
}

// Reads the whole file; 0, ENOENT or another errno.
int ReadWholeFile(const fs::path& file, std::string& bytes, struct stat& st) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    int error = 0;
    if (::fstat(fd, &st) != 0) {
        error = errno;
    }
    char buffer[65536];
    while (error == 0) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno != EINTR) {
                error = errno;
            }
            continue;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return error;
}

std::string UtcStamp() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

// Temporary files of writers that died before their rename. Only called under the lock,
// when no other writer of this file can be half-way.
void RemoveStaleTemporaries(const fs::path& file) {
    std::string prefix = file.filename().string() + ".tmp-";
    std::error_code error;
    for (fs::directory_iterator it(file.parent_path(), error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename().string().rfind(prefix, 0) == 0) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

// What the file will give back: CP932 -> UTF-8 -> CP932.
std::string AsStored(std::string_view cp932) {
    cp932 = cp932.substr(0, cp932.find('\0'));
    bool ascii = true;
    for (char c : cp932) {
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    if (ascii) {
        return std::string(cp932); // the common case needs no round trip
    }
    return Utf8ToCp932(Cp932ToUtf8(cp932.substr(0, cp932.find('\0'))));
}

long SplitPath(std::string_view subPath, std::vector<std::string>& parts) {
    parts.clear();
    if (subPath.empty()) {
        return REG_OK;
    }
    while (true) {
        size_t end = Cp932Find(subPath, '\\');
        std::string_view part = subPath.substr(0, end);
        if (part.empty() || part.size() > kMaxKeyNameLength || part.find('\0') != part.npos) {
            return REG_BAD_PARAMETER;
        }
        for (char c : part) {
            if (static_cast<unsigned char>(c) < 0x20) {
                return REG_BAD_PARAMETER; // a header line could not hold it
            }
        }
        parts.push_back(AsStored(part));
        if (end == std::string_view::npos) {
            return REG_OK;
        }
        subPath.remove_prefix(end + 1);
    }
}

SettingsNode* Resolve(SettingsNode& root, const std::vector<std::string>& path) {
    SettingsNode* node = &root;
    for (const std::string& part : path) {
        node = node->FindChild(part);
        if (node == nullptr) {
            return nullptr;
        }
    }
    return node;
}

const SettingsNode* Resolve(const SettingsNode& root, const std::vector<std::string>& path) {
    return Resolve(const_cast<SettingsNode&>(root), path);
}

} // namespace

std::string RegKey::Path() const {
    std::string path;
    for (const std::string& part : m_path) {
        if (!path.empty()) {
            path += '\\';
        }
        path += part;
    }
    return path;
}

SettingsTree::SettingsTree(fs::path file) : m_locate([file] { return file; }) {}

SettingsTree::SettingsTree(std::function<fs::path()> locateFile)
    : m_locate(std::move(locateFile)) {}

SettingsTree& SettingsTree::CurrentUser() {
    static SettingsTree tree([] { return ConfigFolder() / "user.reg"; });
    return tree;
}

RegKey SettingsTree::Root() {
    RegKey key;
    key.m_tree = this;
    return key;
}

fs::path SettingsTree::FilePath() {
    std::lock_guard lock(m_mutex);
    return m_file.empty() ? m_locate() : m_file;
}

bool SettingsTree::CheckHandle(const RegKey& key) const {
    return key.m_tree == this;
}

void SettingsTree::Refresh(bool haveFileLock, std::string& message) {
    fs::path file = m_locate();
    if (file != m_file) {
        m_file = std::move(file);
        m_loaded = false;
    }
    if (m_loaded) {
        struct stat st {};
        FileIdentity now;
        if (::stat(m_file.c_str(), &st) == 0) {
            now = IdentityOf<FileIdentity>(st);
        } else if (errno != ENOENT) {
            now.size = UINT64_MAX; // unknown: read again
        }
        if (now == m_identity) {
            return;
        }
    }
    Load(haveFileLock, message);
}

void SettingsTree::Load(bool haveFileLock, std::string& message) {
    // A damaged file may be replaced by another process before it is moved aside; then the
    // new file is read instead. Three rounds are plenty for a human-driven program.
    for (int round = 0; round < 3; ++round) {
        std::string bytes;
        struct stat st {};
        int error = ReadWholeFile(m_file, bytes, st);
        m_loaded = true;
        m_root = SettingsNode{};
        m_identity = FileIdentity{};
        if (error == ENOENT) {
            m_state = FileState::Usable;
            return;
        }
        if (error != 0) {
            // Unreadable is not empty: never replace what could not be read.
            m_state = FileState::Unwritable;
            if (::stat(m_file.c_str(), &st) == 0) {
                m_identity = IdentityOf<FileIdentity>(st);
            } else {
                m_loaded = false;
            }
            return;
        }
        m_identity = IdentityOf<FileIdentity>(st);
        SettingsNode parsed;
        if (ParseSettings(bytes, parsed)) {
            m_root = std::move(parsed);
            m_state = FileState::Usable;
            return;
        }
        std::optional<FileLock> lock;
        if (!haveFileLock) {
            lock.emplace(m_file);
        }
        struct stat again {};
        bool same =
            ::stat(m_file.c_str(), &again) == 0 && IdentityOf<FileIdentity>(again) == m_identity;
        if (same || round == 2) {
            if ((lock && !lock->Held()) || !same) {
                m_state = FileState::Unwritable;
                return;
            }
            MoveDamagedAside(m_identity, message);
            return;
        }
    }
}

void SettingsTree::MoveDamagedAside(const FileIdentity& damaged, std::string& message) {
    fs::path moved = MoveAside(m_file, ".damaged-" + UtcStamp());
    if (moved.empty()) {
        m_state = FileState::Unwritable; // it stays where it is, and is kept
        m_identity = damaged;
        return;
    }
    m_state = FileState::Usable;
    m_identity = FileIdentity{};
    if (m_toldDamaged.insert(m_file.string()).second) {
        message = SjisFormat(txt::kSettingsDamaged, Utf8ToCp932(moved.string()).c_str());
    }
}

long SettingsTree::Read(const RegKey& key, const Query& query) {
    if (!CheckHandle(key)) {
        return REG_BAD_HANDLE;
    }
    std::string message;
    long result = REG_OK;
    {
        std::lock_guard lock(m_mutex);
        Refresh(false, message);
        result = query(m_root);
    }
    if (!message.empty()) {
        ShowMessage(message, MsgButtons::Ok, MsgIcon::Stop);
    }
    return result;
}

long SettingsTree::Write(const Change& change) {
    std::string message;
    long result = REG_OK;
    {
        std::lock_guard lock(m_mutex);
        fs::path file = m_locate();
        if (file != m_file) {
            m_file = std::move(file);
            m_loaded = false;
        }
        FileLock fileLock(m_file);
        if (!fileLock.Held()) {
            result = REG_WRITE_FAILED;
        } else {
            Refresh(true, message);
            if (m_state == FileState::Unwritable) {
                result = REG_WRITE_FAILED;
            } else {
                SettingsNode next = m_root;
                bool changed = false;
                result = change(next, changed);
                if (result == REG_OK && changed) {
                    RemoveStaleTemporaries(m_file);
                    if (WriteFileAtomic(m_file, SerializeSettings(next), 0600)) {
                        m_root = std::move(next);
                        struct stat st {};
                        if (::stat(m_file.c_str(), &st) == 0) {
                            m_identity = IdentityOf<FileIdentity>(st);
                        } else {
                            m_loaded = false;
                        }
                    } else {
                        result = REG_WRITE_FAILED;
                    }
                }
            }
        }
    }
    if (!message.empty()) {
        ShowMessage(message, MsgButtons::Ok, MsgIcon::Stop);
    }
    return result;
}

long SettingsTree::CreateKey(const RegKey& parent, std::string_view subPath, RegKey& key,
                             bool* created) {
    if (!CheckHandle(parent)) {
        return REG_BAD_HANDLE;
    }
    std::vector<std::string> parts;
    if (long result = SplitPath(subPath, parts); result != REG_OK) {
        return result;
    }
    std::vector<std::string> path = parent.m_path;
    bool anyCreated = false;
    long result = Write([&](SettingsNode& root, bool& changed) -> long {
        SettingsNode* node = Resolve(root, path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        for (const std::string& part : parts) {
            bool made = false;
            node = &node->AddChild(part, &made);
            anyCreated = anyCreated || made;
        }
        changed = anyCreated;
        return REG_OK;
    });
    if (result == REG_OK) {
        path.insert(path.end(), parts.begin(), parts.end());
        key.m_tree = this;
        key.m_path = std::move(path);
        if (created != nullptr) {
            *created = anyCreated;
        }
    }
    return result;
}

long SettingsTree::OpenKey(const RegKey& parent, std::string_view subPath, RegKey& key) {
    std::vector<std::string> parts;
    if (long result = SplitPath(subPath, parts); result != REG_OK) {
        return result;
    }
    std::vector<std::string> path = parent.m_path;
    long result = Read(parent, [&](const SettingsNode& root) -> long {
        const SettingsNode* node = Resolve(root, path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        return Resolve(*node, parts) != nullptr ? REG_OK : REG_NOT_FOUND;
    });
    if (result == REG_OK) {
        path.insert(path.end(), parts.begin(), parts.end());
        key.m_tree = this;
        key.m_path = std::move(path);
    }
    return result;
}

long SettingsTree::CloseKey(RegKey& key) {
    if (!CheckHandle(key)) {
        return REG_BAD_HANDLE;
    }
    key = RegKey{};
    return REG_OK;
}

long SettingsTree::EnumKey(const RegKey& key, uint32_t index, std::string& name,
                           size_t bufferSize) {
    return Read(key, [&](const SettingsNode& root) -> long {
        const SettingsNode* node = Resolve(root, key.m_path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        if (index >= node->children.size()) {
            return REG_NO_MORE_ITEMS;
        }
        const std::string& childName = node->children[index].name;
        if (bufferSize != 0 && childName.size() + 1 > bufferSize) {
            return REG_MORE_DATA;
        }
        name = childName;
        return REG_OK;
    });
}

long SettingsTree::EnumValue(const RegKey& key, uint32_t index, SettingsValue& value) {
    return Read(key, [&](const SettingsNode& root) -> long {
        const SettingsNode* node = Resolve(root, key.m_path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        if (index >= node->values.size()) {
            return REG_NO_MORE_ITEMS;
        }
        value = node->values[index];
        return REG_OK;
    });
}

long SettingsTree::QueryValue(const RegKey& key, std::string_view name, SettingsValue& value) {
    return Read(key, [&](const SettingsNode& root) -> long {
        const SettingsNode* node = Resolve(root, key.m_path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        const SettingsValue* found = node->FindValue(name);
        if (found == nullptr) {
            return REG_NOT_FOUND;
        }
        value = *found;
        return REG_OK;
    });
}

long SettingsTree::QueryInfo(const RegKey& key, uint32_t* subKeyCount, uint32_t* valueCount) {
    return Read(key, [&](const SettingsNode& root) -> long {
        const SettingsNode* node = Resolve(root, key.m_path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        if (subKeyCount != nullptr) {
            *subKeyCount = static_cast<uint32_t>(node->children.size());
        }
        if (valueCount != nullptr) {
            *valueCount = static_cast<uint32_t>(node->values.size());
        }
        return REG_OK;
    });
}

long SettingsTree::SetString(const RegKey& key, std::string_view name, std::string_view text) {
    if (!CheckHandle(key)) {
        return REG_BAD_HANDLE;
    }
    SettingsValue value;
    value.name = AsStored(name);
    value.type = REG_SZ;
    value.text = AsStored(text);
    return Write([&](SettingsNode& root, bool& changed) -> long {
        SettingsNode* node = Resolve(root, key.m_path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        const SettingsValue* old = node->FindValue(value.name);
        changed = old == nullptr || old->type != REG_SZ || old->text != value.text;
        node->SetValue(value);
        return REG_OK;
    });
}

long SettingsTree::SetDword(const RegKey& key, std::string_view name, uint32_t dword) {
    if (!CheckHandle(key)) {
        return REG_BAD_HANDLE;
    }
    SettingsValue value;
    value.name = AsStored(name);
    value.type = REG_DWORD;
    value.dword = dword;
    return Write([&](SettingsNode& root, bool& changed) -> long {
        SettingsNode* node = Resolve(root, key.m_path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        const SettingsValue* old = node->FindValue(value.name);
        changed = old == nullptr || old->type != REG_DWORD || old->dword != value.dword;
        node->SetValue(value);
        return REG_OK;
    });
}

long SettingsTree::DeleteValue(const RegKey& key, std::string_view name) {
    if (!CheckHandle(key)) {
        return REG_BAD_HANDLE;
    }
    return Write([&](SettingsNode& root, bool& changed) -> long {
        SettingsNode* node = Resolve(root, key.m_path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        changed = node->RemoveValue(name);
        return changed ? REG_OK : REG_NOT_FOUND;
    });
}

long SettingsTree::DeleteKey(const RegKey& parent, std::string_view subPath) {
    if (!CheckHandle(parent)) {
        return REG_BAD_HANDLE;
    }
    std::vector<std::string> parts;
    if (long result = SplitPath(subPath, parts); result != REG_OK) {
        return result;
    }
    if (parts.empty()) {
        return REG_BAD_PARAMETER; // never the open key itself by accident
    }
    std::string last = parts.back();
    parts.pop_back();
    return Write([&](SettingsNode& root, bool& changed) -> long {
        SettingsNode* node = Resolve(root, parent.m_path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        node = Resolve(*node, parts);
        SettingsNode* target = node != nullptr ? node->FindChild(last) : nullptr;
        if (target == nullptr) {
            return REG_NOT_FOUND;
        }
        if (!target->children.empty()) {
            return REG_DENIED;
        }
        changed = node->RemoveChild(last);
        return REG_OK;
    });
}

} // namespace tolvane
