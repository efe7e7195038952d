#include "setup/SettingsRemoval.h"

#include "setup/UninstallEntry.h"

#include <array>
#include <string>

namespace tolvane::setup {

namespace {

// The name buffer older releases enumerated accounts with: a longer name ends the loop.
constexpr size_t kAccountNameRoom = 267;

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

    void Delete(const RegKey& parent, std::string_view subKey) {
        Note(m_tree.DeleteKey(parent, subKey));
    }
    long Note(long result) {
        m_bWriteFailed = m_bWriteFailed || result == REG_WRITE_FAILED;
        return result;
    }
    bool WriteFailed() const { return m_bWriteFailed; }

    // Step 1: false when Account could not be closed.
    bool RemoveSections(const CompanyKeys& keys) {
        RegKey root;
        if (m_tree.OpenKey(m_tree.Root(), keys.root, root) != REG_OK) {
            return true;
        }
        RegKey account;
        if (m_tree.OpenKey(root, "Account", account) == REG_OK) {
            std::string name;
            while (m_tree.EnumKey(account, 0, name, kAccountNameRoom) == REG_OK &&
                   Note(m_tree.DeleteKey(account, name)) == REG_OK) {
            }
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
            Delete(company, "Tolvane");
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
            Delete(software, keys.company);
            if (m_tree.CloseKey(software) != REG_OK) {
                return false;
            }
        }
        return true;
    }

private:
    SettingsTree& m_tree;
    bool m_bWriteFailed = false;
};

} // namespace

int RemoveSettings(SettingsTree& tree, Company company) {
    const CompanyKeys& keys = company == Company::Orrindale ? kOrrindale : kAshcombe;
    Remover remover(tree);
    bool finished = remover.RemoveSections(keys) && remover.RemoveCompany(keys);
    if (finished && !DeleteUninstallEntry()) {
        remover.Note(REG_WRITE_FAILED);
    }
    if (remover.WriteFailed()) {
        return REMOVAL_WRITE_FAILED;
    }
    return finished ? REMOVAL_DONE : REMOVAL_ENDED_EARLY;
}

} // namespace tolvane::setup
