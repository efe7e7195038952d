// Profile operations on the per-user settings tree (user.reg), rooted at
// Software\<company>\<application>. Section and key names are CP932; sub-sections are
// separated by backslashes ("Account\pop"). A missing key yields the caller's default;
// nothing is written merely because a default was used. Writes are durable and atomic and
// report success or failure (they show no message themselves).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

// Fixes the root, as the application object does at start-up (company "Orrindale",
// application "Tolvane"). Until called, the root is Software\Orrindale\Tolvane.
void SetRegistryKey(const std::string& company, const std::string& application);

// "Software\Orrindale\Tolvane" (CP932).
std::string ProfileRoot();

int32_t GetProfileInt(const std::string& section, const std::string& key, int32_t defaultValue);
bool WriteProfileInt(const std::string& section, const std::string& key, int32_t value);
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue);
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value);

// Account list: the sub-key names of <root>\Account in enumeration order (sorted ignoring
// case). A missing Account key is an empty list and success; the result is whether the
// key closed cleanly.
bool EnumAccountNames(std::vector<std::string>& names);

// Deletes <root>\Account\<name> with its values. Shows "レジストリ情報の読み込みが失敗しました。"
// when the Account key cannot be opened and "レジストリ情報の削除が失敗しました。" when the
// sub-key cannot be deleted (stop icon), and returns false then.
bool DeleteAccountKey(const std::string& name);

} // namespace tolvane
