// Opening a web or mail address with the user's default programs (the browser, the mail
// program). Tests replace the opener with a recorder, so nothing is started.
#pragma once

#include <QUrl>

#include <functional>

namespace tolvane {

// Returns whether the address was handed over; callers give no feedback on failure.
using UrlOpener = std::function<bool(const QUrl& url)>;

bool OpenUrl(const QUrl& url);

// Replaces the opener (an empty function restores QDesktopServices::openUrl).
void SetUrlOpener(UrlOpener opener);

} // namespace tolvane
