// Removing one company's Tolvane settings: this release's (Orrindale) on uninstall, the
// older release's (Ashcombe) after migrating them.
//
// Order, each step skipped when its key cannot be opened:
// 1. Below Software\<company>\Tolvane: every account, so that Account itself can be
//    deleted; then the sections Account, Column, Environment, InfoviewFont, the viewer
//    section (ViewerFont for Ashcombe, Viewer for Orrindale), Option and Report. An account
//    that cannot be deleted (it has sub-keys of its own) does not stop the others; neither
//    does a sub-key of Account whose name is longer than an account name can be
//    (kAccountNameRoom counted in CP932 bytes, as the settings store counts them): it is
//    not provably an account and stays.
// 2. Software\<company>\Tolvane itself (with its Version value). Keys this release does
//    not know keep it, and everything above it, in place.
// 3. Software\<company>, when it has no sub-keys left.
// 4. The uninstall entry.
// A deletion that finds nothing to delete is passed over; an account or section that stays
// is named in leftKeys; a failed close ends the removal early.
#pragma once

#include "platform/SettingsTree.h"

#include <string>
#include <vector>

namespace tolvane::setup {

enum class Company { Orrindale, Ashcombe };

enum RemovalResult {
    REMOVAL_DONE = 0,
    REMOVAL_ENDED_EARLY = 1,  // a key could not be closed; later steps were not run
    REMOVAL_WRITE_FAILED = 2, // the settings file or the uninstall entry could not be changed
    REMOVAL_KEYS_LEFT = 3,    // accounts or sections stay (named in leftKeys)
};

// The name buffer of the account loop, with its terminating NUL, in CP932 bytes.
inline constexpr size_t kAccountNameRoom = 267;

// Runs the removal and returns how it went: REMOVAL_WRITE_FAILED wins over
// REMOVAL_KEYS_LEFT, which wins over REMOVAL_ENDED_EARLY. leftKeys, when given, receives
// the full path (UTF-8, from HKEY_CURRENT_USER) of every account and section that stays.
int RemoveSettings(SettingsTree& tree, Company company,
                   std::vector<std::string>* leftKeys = nullptr);

} // namespace tolvane::setup
