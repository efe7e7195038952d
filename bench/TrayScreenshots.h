// The tray icon's states as scripts/screenshots shows them: one picture with a row per
// state (no mail, mail waiting, new mail, a failed account, checking), each drawn at the
// sizes panels use (22, 32 and 48 pixels) on a light and on a dark panel colour, with the
// state's name beside it.
//
// SaveTrayScreenshot writes the PNG file path atomically; false (the path named on
// standard error) when it could not.
#pragma once

#include <QString>

namespace tolvane {

bool SaveTrayScreenshot(const QString& path);

} // namespace tolvane
