// The Option section: one getter and one setter per key, with the defaults of the
// settings table. Getters return the stored value or the default (the 0/1 options read any
// non-zero value as 1); setters return whether
// the write succeeded (callers show the write-failure message).
//
// The two file paths (LogFile, SoundFile) are the exact bytes of the file name, UTF-8 as
// the settings file holds them, never CP932: a folder named "données" must stay
// reachable. Convert one to CP932 only to show it.
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::options {

// The derived default: DataFolder() + "Tolvane.log".
std::string DefaultLogFilePath();

// With useDefault set, returns DefaultLogFilePath() without reading the settings.
std::string GetLogFilePath(bool useDefault = false);
bool SetLogFilePath(const std::string& pathUtf8);

int32_t GetSaveLog(); // 0
bool SetSaveLog(int32_t value);
int32_t GetNewSave(); // 1
bool SetNewSave(int32_t value);
int32_t GetAutoCheck(); // 0
bool SetAutoCheck(int32_t value);
int32_t GetAutoCheckInterval(); // 30
bool SetAutoCheckInterval(int32_t value);
int32_t GetAutoReport(); // 1
bool SetAutoReport(int32_t value);
int32_t GetReportDisplayMode(); // 1
bool SetReportDisplayMode(int32_t value);
int32_t GetFirstCheck(); // 0
bool SetFirstCheck(int32_t value);
int32_t GetQuitConfirm(); // 0
bool SetQuitConfirm(int32_t value);
int32_t GetAutoHide(); // 1
bool SetAutoHide(int32_t value);
int32_t GetAutoHideInterval(); // 30
bool SetAutoHideInterval(int32_t value);
std::string GetSoundFilePath(); // ""
bool SetSoundFilePath(const std::string& pathUtf8);
// 1 = a desktop notification after a check that found new mail.
int32_t GetNotify(); // 1
bool SetNotify(int32_t value);
// 1 = the program starts at login (its autostart entry, platform/Autostart.h, exists).
int32_t GetAutostart(); // 0
bool SetAutostart(int32_t value);
// How many accounts a check of all accounts connects to at once (1: one after the other).
// A stored value outside kMinParallelChecks..kMaxParallelChecks reads as the default; the
// file keeps it as it is.
inline constexpr int32_t kDefaultParallelChecks = 4;
inline constexpr int32_t kMinParallelChecks = 1;
inline constexpr int32_t kMaxParallelChecks = 16; // connections at once from one desktop
int32_t GetParallelChecks();                      // 4
bool SetParallelChecks(int32_t value);

} // namespace tolvane::options
