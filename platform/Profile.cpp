#include "platform/Profile.h"

#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/SettingsTree.h"
#include "platform/Texts.h"

#include <mutex>

namespace tolvane {

namespace {

// The registry's name buffer for an account: 255 bytes and the terminating NUL.
constexpr size_t kAccountNameBuffer = 256;

std::mutex g_rootMutex;
std::string g_company = "Orrindale";
std::string g_application = "Tolvane";

std::string SectionPath(const std::string& section) {
    std::string path = ProfileRoot();
    if (!section.empty()) {
        path += '\\';
        path += section;
    }
    return path;
}

bool QueryProfileValue(const std::string& section, const std::string& key, SettingsValue& value) {
    SettingsTree& tree = SettingsTree::CurrentUser();
    RegKey sectionKey;
    if (tree.OpenKey(tree.Root(), SectionPath(section), sectionKey) != REG_OK) {
        return false;
    }
    bool found = tree.QueryValue(sectionKey, key, value) == REG_OK;
    tree.CloseKey(sectionKey);
    return found;
}

template <typename Setter> bool WriteProfileValue(const std::string& section, Setter set) {
    SettingsTree& tree = SettingsTree::CurrentUser();
    RegKey sectionKey;
    if (tree.CreateKey(tree.Root(), SectionPath(section), sectionKey) != REG_OK) {
        return false;
    }
    bool written = set(tree, sectionKey) == REG_OK;
    tree.CloseKey(sectionKey);
    return written;
}

void ShowStop(const char* textUtf8) {
    ShowMessage(Sjis(textUtf8), MsgButtons::Ok, MsgIcon::Stop);
}

} // namespace

void SetRegistryKey(const std::string& company, const std::string& application) {
    std::lock_guard lock(g_rootMutex);
    g_company = company;
    g_application = application;
}

std::string ProfileRoot() {
    std::lock_guard lock(g_rootMutex);
    return "Software\\" + g_company + "\\" + g_application;
}

int32_t GetProfileInt(const std::string& section, const std::string& key, int32_t defaultValue) {
    SettingsValue value;
    if (!QueryProfileValue(section, key, value) || value.type != REG_DWORD) {
        return defaultValue;
    }
    return value.AsInt();
}

bool WriteProfileInt(const std::string& section, const std::string& key, int32_t value) {
    return WriteProfileValue(section, [&](SettingsTree& tree, const RegKey& sectionKey) {
        return tree.SetDword(sectionKey, key, static_cast<uint32_t>(value));
    });
}

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue) {
    SettingsValue value;
    if (!QueryProfileValue(section, key, value) || value.type != REG_SZ) {
        return defaultValue;
    }
    return value.text;
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value) {
    return WriteProfileValue(section, [&](SettingsTree& tree, const RegKey& sectionKey) {
        return tree.SetString(sectionKey, key, value);
    });
}

bool EnumAccountNames(std::vector<std::string>& names) {
    names.clear();
    SettingsTree& tree = SettingsTree::CurrentUser();
    RegKey accountKey;
    if (tree.OpenKey(tree.Root(), SectionPath("Account"), accountKey) != REG_OK) {
        return true; // no accounts yet
    }
    for (uint32_t index = 0;; ++index) {
        std::string name;
        long result = tree.EnumKey(accountKey, index, name, kAccountNameBuffer);
        if (result == REG_MORE_DATA) {
            continue; // a name no account can have; the others are still listed
        }
        if (result != REG_OK) {
            break;
        }
        names.push_back(std::move(name));
    }
    return tree.CloseKey(accountKey) == REG_OK;
}

bool DeleteAccountKey(const std::string& name) {
    SettingsTree& tree = SettingsTree::CurrentUser();
    RegKey accountKey;
    if (tree.OpenKey(tree.Root(), SectionPath("Account"), accountKey) != REG_OK) {
        ShowStop(txt::kRegistryReadFailed);
        return false;
    }
    // A name with a backslash would address some other key below Account.
    bool deleted = !name.empty() && Cp932Find(name, '\\') == std::string::npos &&
                   tree.DeleteKey(accountKey, name) == REG_OK;
    tree.CloseKey(accountKey);
    if (!deleted) {
        ShowStop(txt::kRegistryDeleteFailed);
    }
    return deleted;
}

} // namespace tolvane
