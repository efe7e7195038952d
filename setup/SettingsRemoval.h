// Removing one company's Tolvane settings: this release's (Orrindale) on uninstall, the
// older release's (Ashcombe) after migrating them.
//
// Order, each step skipped when its key cannot be opened:
// 1. Below Software\<company>\Tolvane: the accounts one by one (always the first sub-key
//    of Account, until enumeration or deletion fails), so that Account itself can be
//    deleted; then the sections Account, Column, Environment, InfoviewFont, the viewer
//    section (ViewerFont for Ashcombe, Viewer for Orrindale), Option and Report.
// 2. Software\<company>\Tolvane itself (with its Version value). Keys this release does
//    not know keep it, and everything above it, in place.
// 3. Software\<company>, when it has no sub-keys left.
// 4. The uninstall entry.
// A deletion that finds nothing to delete, or a key that still has sub-keys, is passed
// over; a failed close ends the removal early.
#pragma once

#include "platform/SettingsTree.h"

namespace tolvane::setup {

enum class Company { Orrindale, Ashcombe };

enum RemovalResult {
    REMOVAL_DONE = 0,
    REMOVAL_ENDED_EARLY = 1,  // a key could not be closed; later steps were not run
    REMOVAL_WRITE_FAILED = 2, // the settings file or the uninstall entry could not be changed
};

// Runs the removal and returns how it went (REMOVAL_WRITE_FAILED wins over the others
// when both happened).
int RemoveSettings(SettingsTree& tree, Company company);

} // namespace tolvane::setup
