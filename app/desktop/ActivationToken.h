// The activation token a desktop hands over with a click on the tray icon or a notification
// (xdg-activation): on Wayland a window may come to the front only with one. Qt's Wayland
// platform takes the token from XDG_ACTIVATION_TOKEN when the window is activated next.
#pragma once

#include <QString>

namespace tolvane::gui {

// Puts the token where the next activation finds it. A token from the bus is untrusted: one
// that is empty, over 256 characters or holds other than printable ASCII is ignored (false).
bool AcceptActivationToken(const QString& token);

} // namespace tolvane::gui
