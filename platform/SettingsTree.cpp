#include "platform/SettingsTree.h"

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Paths.h"
#include "platform/PrivateFile.h"
#include "platform/Texts.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
        m_fd = OpenPrivateFile(lockPath, O_RDWR, false); // never through a planted link
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

// The file as one read saw it.
struct FileRead {
    int error = 0;          // 0, ENOENT, or why it could not be read
    std::string reasonUtf8; // when error is neither
    bool tooLarge = false;  // past kMaxSettingsFileBytes; bytes then holds only a part
    std::string bytes;
    struct stat st {};
};

std::string ErrorText(int error) {
    return std::strerror(error);
}

// Opened without blocking, so a FIFO planted as the file cannot hang the program; only a
// regular file is read, and never more than the bound allows. fd stays open for the caller
// (it may tighten the file's mode); -1 when the open failed.
FileRead ReadSettingsFile(const fs::path& file, int& fd) {
    FileRead read;
    fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        read.error = errno;
        read.reasonUtf8 = ErrorText(errno);
        return read;
    }
    if (::fstat(fd, &read.st) != 0) {
        read.error = errno;
        read.reasonUtf8 = ErrorText(errno);
        return read;
    }
    if (!S_ISREG(read.st.st_mode)) {
        read.error = S_ISDIR(read.st.st_mode) ? EISDIR : EINVAL;
        read.reasonUtf8 = S_ISDIR(read.st.st_mode) ? ErrorText(EISDIR) : txt::kNotARegularFile;
        return read;
    }
    if (static_cast<uint64_t>(read.st.st_size) > kMaxSettingsFileBytes) {
        read.tooLarge = true;
        return read;
    }
    char buffer[65536];
    while (true) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            read.error = errno;
            read.reasonUtf8 = ErrorText(errno);
            return read;
        }
        if (got == 0) {
            return read;
        }
        read.bytes.append(buffer, static_cast<size_t>(got));
        if (read.bytes.size() > kMaxSettingsFileBytes) {
            read.tooLarge = true; // it grew while being read
            return read;
        }
    }
}

std::string UtcStamp() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

// A name or text as the tree keeps it: up to its first NUL, and UTF-8.
bool Stored(std::string_view given, std::string& stored) {
    stored = std::string(given.substr(0, given.find('\0')));
    return IsValidUtf8(stored);
}

size_t CharacterCount(std::string_view utf8) {
    size_t count = 0;
    for (char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// The key path base + subPath, checked against every bound a key must keep.
long SplitPath(const std::vector<std::string>& base, std::string_view subPath,
               std::vector<std::string>& path) {
    path = base;
    if (subPath.empty()) {
        return REG_OK;
    }
    size_t pathBytes = 0;
    for (const std::string& part : base) {
        pathBytes += part.size() + 1;
    }
    while (true) {
        size_t end = subPath.find('\\');
        std::string_view part = subPath.substr(0, end);
        if (part.empty() || !IsValidUtf8(part) || CharacterCount(part) > kMaxKeyNameLength) {
            return REG_BAD_PARAMETER;
        }
        for (char c : part) {
            if (static_cast<unsigned char>(c) < 0x20) {
                return REG_BAD_PARAMETER; // a header line could not hold it
            }
        }
        pathBytes += part.size() + 1;
        path.emplace_back(part);
        if (path.size() > kMaxKeyDepth || pathBytes > kMaxKeyPathBytes + 1) {
            return REG_BAD_PARAMETER;
        }
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

void SettingsBatch::SetString(std::string_view subPath, std::string_view name,
                              std::string_view text, MissingKey missing) {
    Change change{std::string(subPath), missing, {}};
    change.value.name = std::string(name);
    change.value.type = REG_SZ;
    change.value.text = std::string(text);
    m_changes.push_back(std::move(change));
}

void SettingsBatch::SetDword(std::string_view subPath, std::string_view name, uint32_t value,
                             MissingKey missing) {
    Change change{std::string(subPath), missing, {}};
    change.value.name = std::string(name);
    change.value.type = REG_DWORD;
    change.value.dword = value;
    m_changes.push_back(std::move(change));
}

SettingsTree::SettingsTree(const fs::path& file) : m_locate([file] { return file; }) {}

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

void SettingsTree::SetUnusable(std::string reasonUtf8) {
    m_state = FileState::Unusable;
    m_unusableReason = std::move(reasonUtf8);
}

// The file holds passwords: read or write access for others is taken away, and the log is
// told once.
void SettingsTree::MakePrivate(int fd, struct stat& st) {
    if ((st.st_mode & 077) == 0) {
        return;
    }
    const std::string path = Utf8ToCp932(m_file.string());
    std::string notice;
    if (::fchmod(fd, st.st_mode & 0700) == 0) {
        ::fstat(fd, &st);
        notice = SjisFormat(txt::kSettingsMadePrivate, path.c_str());
    } else {
        notice = SjisFormat(txt::kSettingsNotPrivate, path.c_str(),
                            Utf8ToCp932(ErrorText(errno)).c_str());
    }
    if (m_toldMode.insert(m_file.string()).second && m_notices.size() < kMaxNotices) {
        m_notices.push_back(std::move(notice));
    }
}

void SettingsTree::Load(bool haveFileLock, std::string& message) {
    // A damaged file may be replaced by another process before it is moved aside; then the
    // new file is read instead. Three rounds are plenty for a human-driven program.
    for (int round = 0; round < 3; ++round) {
        int fd = -1;
        FileRead read = ReadSettingsFile(m_file, fd);
        if (fd >= 0) {
            if (read.error == 0) {
                MakePrivate(fd, read.st);
            }
            ::close(fd);
        }
        m_loaded = true;
        m_root = SettingsNode{};
        m_identity = FileIdentity{};
        m_state = FileState::Usable;
        m_unusableReason.clear();
        if (read.error == ENOENT) {
            return;
        }
        if (read.error != 0) {
            // Unreadable is not empty: never replace what could not be read.
            SetUnusable(read.reasonUtf8);
            struct stat st {};
            if (::stat(m_file.c_str(), &st) == 0) {
                m_identity = IdentityOf<FileIdentity>(st);
            } else {
                m_loaded = false;
            }
            return;
        }
        m_identity = IdentityOf<FileIdentity>(read.st);
        SettingsNode parsed;
        if (!read.tooLarge && ParseSettings(read.bytes, parsed)) {
            m_root = std::move(parsed);
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
                SetUnusable(txt::kSettingsDamagedKept);
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
        // It stays where it is, and is kept.
        SetUnusable(std::string(txt::kSettingsDamagedKept) + " (" + ErrorText(errno) + ")");
        m_identity = damaged;
        return;
    }
    m_identity = FileIdentity{};
    if (m_toldDamaged.insert(m_file.string()).second) {
        message = SjisFormat(txt::kSettingsDamaged, Utf8ToCp932(moved.string()).c_str());
    }
}

bool SettingsTree::CheckFile(std::string* messageCp932) {
    std::string message;
    bool usable = true;
    std::string problem;
    {
        std::lock_guard lock(m_mutex);
        Refresh(false, message);
        usable = m_state == FileState::Usable;
        if (!usable) {
            problem = SjisFormat(txt::kSettingsUnreadable, Utf8ToCp932(m_file.string()).c_str(),
                                 Utf8ToCp932(m_unusableReason).c_str());
        }
    }
    if (!message.empty()) {
        ShowMessage(message, MsgButtons::Ok, MsgIcon::Stop);
    }
    if (messageCp932 != nullptr) {
        *messageCp932 = problem;
    }
    return usable;
}

std::vector<std::string> SettingsTree::TakeNotices() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_notices, {});
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
            if (m_state == FileState::Unusable) {
                result = REG_WRITE_FAILED;
            } else {
                SettingsNode next = m_root;
                bool changed = false;
                result = change(next, changed);
                if (result == REG_OK && changed) {
                    result = Replace(std::move(next));
                }
            }
        }
    }
    if (!message.empty()) {
        ShowMessage(message, MsgButtons::Ok, MsgIcon::Stop);
    }
    return result;
}

long SettingsTree::Replace(SettingsNode next) {
    const std::string bytes = SerializeSettings(next);
    if (bytes.size() > kMaxSettingsFileBytes) {
        return REG_WRITE_FAILED; // the next start would have to call it damaged
    }
    if (!WriteFileAtomic(m_file, bytes, 0600)) { // it clears what a killed writer left
        return REG_WRITE_FAILED;
    }
    m_root = std::move(next);
    struct stat st {};
    if (::stat(m_file.c_str(), &st) == 0) {
        m_identity = IdentityOf<FileIdentity>(st);
    } else {
        m_loaded = false;
    }
    return REG_OK;
}

long SettingsTree::CreateKey(const RegKey& parent, std::string_view subPath, RegKey& key,
                             bool* created) {
    if (!CheckHandle(parent)) {
        return REG_BAD_HANDLE;
    }
    std::vector<std::string> path;
    if (long result = SplitPath(parent.m_path, subPath, path); result != REG_OK) {
        return result;
    }
    bool anyCreated = false;
    long result = Write([&](SettingsNode& root, bool& changed) -> long {
        SettingsNode* node = Resolve(root, parent.m_path);
        if (node == nullptr) {
            return REG_KEY_DELETED;
        }
        for (size_t i = parent.m_path.size(); i < path.size(); ++i) {
            bool made = false;
            node = &node->AddChild(path[i], &made);
            anyCreated = anyCreated || made;
        }
        changed = anyCreated;
        return REG_OK;
    });
    if (result == REG_OK) {
        key.m_tree = this;
        key.m_path = std::move(path);
        if (created != nullptr) {
            *created = anyCreated;
        }
    }
    return result;
}

long SettingsTree::OpenKey(const RegKey& parent, std::string_view subPath, RegKey& key) {
    std::vector<std::string> path;
    if (long result = SplitPath(parent.m_path, subPath, path); result != REG_OK) {
        return result;
    }
    long result = Read(parent, [&](const SettingsNode& root) -> long {
        if (Resolve(root, parent.m_path) == nullptr) {
            return REG_KEY_DELETED;
        }
        return Resolve(root, path) != nullptr ? REG_OK : REG_NOT_FOUND;
    });
    if (result == REG_OK) {
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
    SettingsBatch batch;
    batch.SetString("", name, text, MissingKey::Fail);
    return Apply(key, batch);
}

long SettingsTree::SetDword(const RegKey& key, std::string_view name, uint32_t dword) {
    SettingsBatch batch;
    batch.SetDword("", name, dword, MissingKey::Fail);
    return Apply(key, batch);
}

long SettingsTree::Apply(const RegKey& key, const SettingsBatch& batch) {
    if (!CheckHandle(key)) {
        return REG_BAD_HANDLE;
    }
    struct Checked {
        std::vector<std::string> path;
        MissingKey missing;
        SettingsValue value;
    };
    std::vector<Checked> changes;
    for (const SettingsBatch::Change& change : batch.m_changes) {
        Checked checked{{}, change.missing, change.value};
        if (long result = SplitPath(key.m_path, change.subPath, checked.path); result != REG_OK) {
            return result;
        }
        if (!Stored(change.value.name, checked.value.name) ||
            !Stored(change.value.text, checked.value.text)) {
            return REG_BAD_PARAMETER;
        }
        changes.push_back(std::move(checked));
    }
    return Write([&](SettingsNode& root, bool& changed) -> long {
        for (const Checked& change : changes) {
            SettingsNode* node = Resolve(root, key.m_path);
            if (node == nullptr) {
                return REG_KEY_DELETED; // the batch's own key is gone
            }
            for (size_t i = key.m_path.size(); node != nullptr && i < change.path.size(); ++i) {
                node = change.missing == MissingKey::Create ? &node->AddChild(change.path[i])
                                                            : node->FindChild(change.path[i]);
            }
            if (node == nullptr && change.missing == MissingKey::Skip) {
                continue;
            }
            if (node == nullptr) {
                return REG_KEY_DELETED;
            }
            const SettingsValue* old = node->FindValue(change.value.name);
            changed = changed || old == nullptr || old->type != change.value.type ||
                      old->text != change.value.text || old->dword != change.value.dword;
            node->SetValue(change.value);
        }
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
    if (subPath.empty()) {
        return REG_BAD_PARAMETER; // never the open key itself by accident
    }
    std::vector<std::string> path;
    if (long result = SplitPath(parent.m_path, subPath, path); result != REG_OK) {
        return result;
    }
    const std::string last = path.back();
    path.pop_back();
    return Write([&](SettingsNode& root, bool& changed) -> long {
        if (Resolve(root, parent.m_path) == nullptr) {
            return REG_KEY_DELETED;
        }
        SettingsNode* node = Resolve(root, path);
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
