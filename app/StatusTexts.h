// The texts of the main window's status bar and tray icon, as pure functions of their
// inputs so they can be tested without a window.
#pragma once

#include <QString>

#include <ctime>
#include <string>

namespace tolvane::gui {

// The clock pane: " %u年 %u月 %u日  %s %02d:%02.2d " with 午前 before noon and 午後 from
// noon, the hour on the 12-hour dial (0 shows as 12).
QString ClockText(const std::tm& local);

// The status line: the mail count sentence, two blanks and the command's prompt.
QString CountedPrompt(unsigned mailCount, const QString& prompt);

// Prompts of the per-account items (account name in CP932).
QString ToggleAccountPrompt(const std::string& nameCp932, bool bEnabled);
QString CheckAccountPrompt(const std::string& nameCp932);

// The tray tip after a refill: the count, or that there is no mail; then, on a line of its
// own, how many accounts the latest checks could not check (when any).
QString MailCountTip(int count, int failedAccounts = 0);

// The prompt of the status line, after the count: how many accounts could not be checked
// (when any), two blanks, then prompt.
QString FailurePrompt(int failedAccounts, const QString& prompt);

// A tray tip holds at most 63 bytes of CP932. The cut never splits a double-byte
// character: half a character would show as a stray sign.
QString TrayTipText(const QString& text);
inline constexpr size_t kTrayTipBytes = 63;

} // namespace tolvane::gui
