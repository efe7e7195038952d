// Copying and deleting whole branches of the settings tree, for the migration of an older
// release's settings.
//
// The copy runs depth first: first the source's values in enumeration order, each written
// to the destination with the same name, type and data, then every sub-key, created under
// the destination and copied the same way. It stops at the first failure and leaves what
// was copied so far. A value's name and a sub-key's name must fit kCopyNameRoom bytes and
// a text value kCopyDataRoom bytes, each with a terminating NUL, as older releases'
// settings always did; a larger one stops the copy with REG_MORE_DATA.
#pragma once

#include "platform/SettingsTree.h"

#include <cstddef>
#include <string_view>

namespace tolvane::setup {

inline constexpr size_t kCopyNameRoom = 1024;
inline constexpr size_t kCopyDataRoom = 1024;

// Copies everything below source into destination (both open). REG_OK when all was
// copied, REG_MORE_DATA when a name or text did not fit, else the failing operation's
// code.
long CopySettingsTree(SettingsTree& tree, const RegKey& source, const RegKey& destination);

// Deletes parent\subKey with everything below it. REG_OK, or the first failing code.
long DeleteSettingsTree(SettingsTree& tree, const RegKey& parent, std::string_view subKey);

} // namespace tolvane::setup
