// The program's own images (resources/tolvane.qrc) live in the tolvane_app library; a
// static library's resources must be registered before their first use.
#pragma once

namespace tolvane::gui {

// Registers the images once; every window that shows one calls it first.
void EnsureResources();

} // namespace tolvane::gui
