#include "setup/SettingsCopy.h"

#include <string>

namespace tolvane::setup {

namespace {

long CopyValues(SettingsTree& tree, const RegKey& source, const RegKey& destination) {
    SettingsValue value;
    for (uint32_t index = 0;; ++index) {
        long result = tree.EnumValue(source, index, value);
        if (result == REG_NO_MORE_ITEMS) {
            return REG_OK;
        }
        if (result != REG_OK) {
            return result;
        }
        if (value.name.size() + 1 > kCopyNameRoom ||
            (value.type == REG_SZ && value.text.size() + 1 > kCopyDataRoom)) {
            return REG_MORE_DATA;
        }
        if (value.type == REG_SZ) {
            result = tree.SetString(destination, value.name, value.text);
        } else if (value.type == REG_DWORD) {
            result = tree.SetDword(destination, value.name, value.dword);
        } else {
            result = REG_BAD_PARAMETER;
        }
        if (result != REG_OK) {
            return result;
        }
    }
}

long CopySubKey(SettingsTree& tree, const RegKey& source, const RegKey& destination,
                const std::string& name) {
    RegKey from;
    long result = tree.OpenKey(source, name, from);
    if (result != REG_OK) {
        return result;
    }
    RegKey to;
    result = tree.CreateKey(destination, name, to);
    if (result == REG_OK) {
        result = CopySettingsTree(tree, from, to);
        tree.CloseKey(to);
    }
    tree.CloseKey(from);
    return result;
}

} // namespace

long CopySettingsTree(SettingsTree& tree, const RegKey& source, const RegKey& destination) {
    long result = CopyValues(tree, source, destination);
    std::string name;
    for (uint32_t index = 0; result == REG_OK; ++index) {
        result = tree.EnumKey(source, index, name, kCopyNameRoom);
        if (result == REG_NO_MORE_ITEMS) {
            return REG_OK;
        }
        if (result == REG_OK) {
            result = CopySubKey(tree, source, destination, name);
        }
    }
    return result;
}

long DeleteSettingsTree(SettingsTree& tree, const RegKey& parent, std::string_view subKey) {
    RegKey key;
    long result = tree.OpenKey(parent, subKey, key);
    if (result != REG_OK) {
        return result;
    }
    std::string name;
    while (result == REG_OK && tree.EnumKey(key, 0, name) == REG_OK) {
        result = DeleteSettingsTree(tree, key, name);
    }
    tree.CloseKey(key);
    return result == REG_OK ? tree.DeleteKey(parent, subKey) : result;
}

} // namespace tolvane::setup
