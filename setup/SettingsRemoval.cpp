#include "setup/SettingsRemoval.h"

#include "platform/CodePage.h"
#include "setup/UninstallEntry.h"

#include <array>
#include <string>

namespace tolvane::setup {

namespace {

struct CompanyKeys {
    const char* company;
    const char* companyKey;
    const char* root;
    std::array<const char*, 7> sections;
};

constexpr CompanyKeys kOrrindale = {
    "Orrindale",
    "Software\\Orrindale",
    "Software\\Orrindale\\Tolvane",
    {"Account", "Column", "Environment", "InfoviewFont", "Viewer", "Option", "Report"}};
constexpr CompanyKeys kAshcombe = {
    "Ashcombe",
    "Software\\Ashcombe",
    "Software\\Ashcombe\\Tolvane",
    {"Account", "Column", "Environment", "InfoviewFont", "ViewerFont", "Option", "Report"}};

// Deletions whose failure is passed over, except that a file that could not be written is
// remembered: the user must not be told everything was removed.
class Remover {
public:
    explicit Remover(SettingsTree& tree) : m_tree(tree) {}

    // An account or section of ours: one that stays is named to the user.
    void Delete(const RegKey& parent, std::string_view subKey) {
        const long result = Note(m_tree.DeleteKey(parent, subKey));
        if (result != REG_OK && result != REG_NOT_FOUND) {
            m_leftKeys.push_back(parent.Path() + "\\" + std::string(subKey));
        }
    }
    // The root and the company key, which stay rightly while keys of others are below them.
    void DeleteIfEmpty(const RegKey& parent, std::string_view subKey) {
        Note(m_tree.DeleteKey(parent, subKey));
    }
    long Note(long result) {
        m_bWriteFailed = m_bWriteFailed || result == REG_WRITE_FAILED;
        return result;
    }
    bool WriteFailed() const { return m_bWriteFailed; }
    const std::vector<std::string>& LeftKeys() const { return m_leftKeys; }

    // Step 1: false when Account could not be closed.
    bool RemoveSections(const CompanyKeys& keys) {
        RegKey root;
        if (m_tree.OpenKey(m_tree.Root(), keys.root, root) != REG_OK) {
            return true;
        }
        RegKey account;
        if (m_tree.OpenKey(root, "Account", account) == REG_OK) {
            RemoveAccounts(account);
            if (m_tree.CloseKey(account) != REG_OK) {
                return false;
            }
        }
        for (const char* section : keys.sections) {
            Delete(root, section);
        }
        m_tree.CloseKey(root);
        return true;
    }

    // Steps 2 and 3: false when a key could not be closed.
    bool RemoveCompany(const CompanyKeys& keys) {
        RegKey company;
        if (m_tree.OpenKey(m_tree.Root(), keys.companyKey, company) == REG_OK) {
            DeleteIfEmpty(company, "Tolvane");
            m_tree.CloseKey(company);
        }
        if (m_tree.OpenKey(m_tree.Root(), keys.companyKey, company) != REG_OK) {
            return true;
        }
        uint32_t subKeys = 0;
        const bool counted = m_tree.QueryInfo(company, &subKeys, nullptr) == REG_OK;
        if (m_tree.CloseKey(company) != REG_OK) {
            return false;
        }
        RegKey software;
        if (counted && subKeys == 0 &&
            m_tree.OpenKey(m_tree.Root(), "Software", software) == REG_OK) {
            DeleteIfEmpty(software, keys.company);
            if (m_tree.CloseKey(software) != REG_OK) {
                return false;
            }
        }
        return true;
    }

private:
    // Every account name first, then the deletions: a key that stays must not hide the
    // ones enumerated after it.
    void RemoveAccounts(const RegKey& account) {
        std::vector<std::string> names;
        std::string name;
        for (uint32_t index = 0; m_tree.EnumKey(account, index, name) == REG_OK; ++index) {
            names.push_back(name);
        }
        for (const std::string& each : names) {
            if (Utf8ToCp932(each).size() + 1 > kAccountNameRoom) {
                m_leftKeys.push_back(account.Path() + "\\" + each);
                continue;
            }
            Delete(account, each);
        }
    }

    SettingsTree& m_tree;
    bool m_bWriteFailed = false;
    std::vector<std::string> m_leftKeys;
};

} // namespace

int RemoveSettings(SettingsTree& tree, Company company, std::vector<std::string>* leftKeys) {
    const CompanyKeys& keys = company == Company::Orrindale ? kOrrindale : kAshcombe;
    Remover remover(tree);
    bool finished = remover.RemoveSections(keys) && remover.RemoveCompany(keys);
    if (finished && !DeleteUninstallEntry()) {
        remover.Note(REG_WRITE_FAILED);
    }
    if (leftKeys != nullptr) {
        *leftKeys = remover.LeftKeys();
    }
    if (remover.WriteFailed()) {
        return REMOVAL_WRITE_FAILED;
    }
    if (!remover.LeftKeys().empty()) {
        return REMOVAL_KEYS_LEFT;
    }
    return finished ? REMOVAL_DONE : REMOVAL_ENDED_EARLY;
}

} // namespace tolvane::setup
