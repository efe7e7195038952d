// The GUI's string table: menu texts, dialog texts and messages of Tolvane's windows, in
// UTF-8 source form. Widgets take them through Tr() (app/QtText.h); texts that reach the
// engine or the message interface are converted to CP932 there.
//
// Grouped by window; each window's texts live in its own block.
#pragma once

namespace tolvane::gui::txt {

// Application.
inline constexpr char kAppName[] = "Tolvane";
inline constexpr char kProductTitle[] = "トルヴェイン";
inline constexpr char kMessageCaption[] = "トルヴェイン";

} // namespace tolvane::gui::txt
