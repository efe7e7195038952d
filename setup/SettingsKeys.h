// Where the settings of this release and of the older one live in the settings tree.
#pragma once

namespace tolvane::setup {

inline constexpr char kSettingsRoot[] = "Software\\Orrindale\\Tolvane";
inline constexpr char kOldSettingsRoot[] = "Software\\Ashcombe\\Tolvane";
inline constexpr char kVersionValue[] = "Version";

} // namespace tolvane::setup
