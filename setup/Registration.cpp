#include "setup/Registration.h"

#include "setup/SettingsCopy.h"
#include "setup/SettingsKeys.h"
#include "setup/SettingsRemoval.h"
#include "setup/SetupTexts.h"
#include "setup/UninstallEntry.h"

#include <string_view>

namespace tolvane::setup {

namespace {

// Copies the old root into a new root that did not exist; false (and no new root) when
// that could not be done completely.
bool CopyOldRoot(SettingsTree& tree) {
    RegKey oldRoot;
    RegKey newRoot;
    if (tree.OpenKey(tree.Root(), kOldSettingsRoot, oldRoot) != REG_OK) {
        return false;
    }
    long result = tree.CreateKey(tree.Root(), kSettingsRoot, newRoot);
    if (result == REG_OK) {
        result = CopySettingsTree(tree, oldRoot, newRoot);
    }
    if (result == REG_OK) {
        const long deleted = tree.DeleteKey(newRoot, "ViewerFont");
        result = deleted == REG_NOT_FOUND ? REG_OK : deleted;
    }
    tree.CloseKey(newRoot);
    tree.CloseKey(oldRoot);
    if (result != REG_OK) {
        RegKey company;
        if (tree.OpenKey(tree.Root(), "Software\\Orrindale", company) == REG_OK) {
            DeleteSettingsTree(tree, company, "Tolvane");
            tree.CloseKey(company);
        }
        return false;
    }
    return true;
}

bool IsThisVersion(SettingsTree& tree, const RegKey& root) {
    SettingsValue version;
    const std::string_view expected = txt::kVersion;
    return tree.QueryValue(root, kVersionValue, version) == REG_OK && version.type == REG_SZ &&
           std::string_view(version.text).substr(0, expected.size()) == expected;
}

} // namespace

bool MigrateOldSettings(SettingsTree& tree) {
    RegKey key;
    if (tree.OpenKey(tree.Root(), kOldSettingsRoot, key) != REG_OK) {
        return true;
    }
    tree.CloseKey(key);
    if (tree.OpenKey(tree.Root(), kSettingsRoot, key) == REG_OK) {
        tree.CloseKey(key);
    } else if (!CopyOldRoot(tree)) {
        return false;
    }
    RemoveSettings(tree, Company::Ashcombe);
    return true;
}

int RegisterInstallation(const SetupContext& context, ISetupPrompter& prompter) {
    SettingsTree& tree = *context.tree;
    if (!MigrateOldSettings(tree)) {
        return REGISTER_FAILED;
    }
    RegKey root;
    if (tree.CreateKey(tree.Root(), kSettingsRoot, root) != REG_OK) {
        return REGISTER_FAILED;
    }
    if (IsThisVersion(tree, root) &&
        prompter.Show(txt::kReinstallQuestion, txt::kReinstallCaption, MsgButtons::OkCancel,
                      MsgIcon::Default) != IDOK) {
        tree.CloseKey(root);
        return REGISTER_DECLINED;
    }
    const long written = tree.SetString(root, kVersionValue, txt::kVersion);
    tree.CloseKey(root);
    if (written != REG_OK || !WriteUninstallEntry(context.setupProgram)) {
        return REGISTER_FAILED;
    }
    return REGISTER_DONE;
}

} // namespace tolvane::setup
