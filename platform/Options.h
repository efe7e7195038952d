// The Option section: one getter and one setter per key, with the defaults of the
// settings table. Getters return the stored value or the default; setters return whether
// the write succeeded (callers show the write-failure message).
#pragma once

#include <cstdint>
#include <string>

namespace tolvane::options {

// The derived default: DataFolder() + "Tolvane.log" (CP932 path).
std::string DefaultLogFile();

// With useDefault set, returns DefaultLogFile() without reading the settings.
std::string GetLogFile(bool useDefault = false);
bool SetLogFile(const std::string& pathCp932);

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
std::string GetSoundFile(); // ""
bool SetSoundFile(const std::string& pathCp932);

} // namespace tolvane::options
