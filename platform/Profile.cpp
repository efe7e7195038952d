#include "platform/Profile.h"

#include "platform/CodePage.h"
#include "platform/MessageHost.h"
#include "platform/Texts.h"

#include <algorithm>
#include <mutex>
#include <optional>

namespace tolvane {

namespace {

// The registry's name buffer for an account: 255 bytes and the terminating NUL.
constexpr size_t kAccountNameBuffer = 256;

std::mutex g_rootMutex;
std::string g_company = "Orrindale";
std::string g_application = "Tolvane";

// The section's path below HKEY_CURRENT_USER in the tree's UTF-8. Converted whole, so a
// CP932 trail byte 0x5C never splits a name.
std::string SectionPath(const std::string& section) {
    std::string path = ProfileRoot();
    if (!section.empty()) {
        path += '\\';
        path += section;
    }
    return Cp932ToUtf8(path);
}

bool QueryProfileValue(const std::string& section, const std::string& key, SettingsValue& value) {
    SettingsTree& tree = SettingsTree::CurrentUser();
    RegKey sectionKey;
    if (tree.OpenKey(tree.Root(), SectionPath(section), sectionKey) != REG_OK) {
        return false;
    }
    bool found = tree.QueryValue(sectionKey, Cp932ToUtf8(key), value) == REG_OK;
    tree.CloseKey(sectionKey);
    return found;
}

bool QueryProfileText(const std::string& section, const std::string& key, std::string& text) {
    SettingsValue value;
    if (!QueryProfileValue(section, key, value) || value.type != REG_SZ) {
        return false;
    }
    text = std::move(value.text);
    return true;
}

void ShowStop(const char* textUtf8) {
    ShowMessage(Sjis(textUtf8), MsgButtons::Ok, MsgIcon::Stop);
}

bool HasControlCharacter(std::string_view name) {
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
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
    ProfileBatch batch;
    batch.WriteInt(section, key, value);
    return batch.Commit();
}

std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValueCp932) {
    std::string text;
    return QueryProfileText(section, key, text) ? Utf8ToCp932(text) : defaultValueCp932;
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& valueCp932) {
    ProfileBatch batch;
    batch.WriteString(section, key, valueCp932);
    return batch.Commit();
}

std::string GetProfileStringUtf8(const std::string& section, const std::string& key,
                                 const std::string& defaultValueUtf8) {
    std::string text;
    return QueryProfileText(section, key, text) ? text : defaultValueUtf8;
}

bool WriteProfileStringUtf8(const std::string& section, const std::string& key,
                            const std::string& valueUtf8) {
    ProfileBatch batch;
    batch.WriteStringUtf8(section, key, valueUtf8);
    return batch.Commit();
}

void ProfileBatch::WriteInt(const std::string& section, const std::string& key, int32_t value,
                            MissingKey missing) {
    m_batch.SetDword(SectionPath(section), Cp932ToUtf8(key), static_cast<uint32_t>(value), missing);
}

void ProfileBatch::WriteString(const std::string& section, const std::string& key,
                               const std::string& valueCp932, MissingKey missing) {
    WriteStringUtf8(section, key, Cp932ToUtf8(valueCp932), missing);
}

void ProfileBatch::WriteStringUtf8(const std::string& section, const std::string& key,
                                   const std::string& valueUtf8, MissingKey missing) {
    m_batch.SetString(SectionPath(section), Cp932ToUtf8(key), valueUtf8, missing);
}

bool ProfileBatch::Commit() {
    if (m_batch.Empty()) {
        return true;
    }
    SettingsTree& tree = SettingsTree::CurrentUser();
    return tree.Apply(tree.Root(), m_batch) == REG_OK;
}

bool EnumAccountNames(std::vector<std::string>& namesCp932,
                      std::vector<SkippedAccountName>* skipped) {
    namesCp932.clear();
    SettingsTree& tree = SettingsTree::CurrentUser();
    RegKey accountKey;
    if (tree.OpenKey(tree.Root(), SectionPath("Account"), accountKey) != REG_OK) {
        return true; // no accounts yet
    }
    std::string name;
    for (uint32_t index = 0; tree.EnumKey(accountKey, index, name) == REG_OK; ++index) {
        std::string nameCp932 = Utf8ToCp932(name);
        std::optional<AccountNameFault> fault;
        if (HasControlCharacter(name)) {
            fault = AccountNameFault::ControlCharacter;
        } else if (Cp932ToUtf8(nameCp932) != name) {
            fault = AccountNameFault::NotCp932;
        } else if (nameCp932.size() + 1 > kAccountNameBuffer) {
            fault = AccountNameFault::TooLong;
        }
        if (!fault) {
            namesCp932.push_back(std::move(nameCp932));
        } else if (skipped != nullptr) {
            skipped->push_back({name, *fault});
        }
    }
    return tree.CloseKey(accountKey) == REG_OK;
}

bool DeleteAccountKey(const std::string& nameCp932) {
    SettingsTree& tree = SettingsTree::CurrentUser();
    RegKey accountKey;
    if (tree.OpenKey(tree.Root(), SectionPath("Account"), accountKey) != REG_OK) {
        ShowStop(txt::kRegistryReadFailed);
        return false;
    }
    // A name with a backslash would address some other key below Account.
    const std::string name = Cp932ToUtf8(nameCp932);
    bool deleted = !name.empty() && name.find('\\') == std::string::npos &&
                   tree.DeleteKey(accountKey, name) == REG_OK;
    tree.CloseKey(accountKey);
    if (!deleted) {
        ShowStop(txt::kRegistryDeleteFailed);
    }
    return deleted;
}

bool CheckSettingsFile(std::string* messageCp932) {
    return SettingsTree::CurrentUser().CheckFile(messageCp932);
}

std::vector<std::string> TakeSettingsNotices() {
    return SettingsTree::CurrentUser().TakeNotices();
}

} // namespace tolvane
