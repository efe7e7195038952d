#include "platform/Options.h"

#include "platform/Paths.h"
#include "platform/Profile.h"

namespace tolvane::options {

namespace {

constexpr char kSection[] = "Option";

int32_t Get(const char* key, int32_t defaultValue) {
    return GetProfileInt(kSection, key, defaultValue);
}
// A 0/1 option: any non-zero value reads as 1.
int32_t GetFlag(const char* key, int32_t defaultValue) {
    return GetProfileFlag(kSection, key, defaultValue);
}
bool Set(const char* key, int32_t value) {
    return WriteProfileInt(kSection, key, value);
}

} // namespace

std::string DefaultLogFilePath() {
    return (DataFolder() / "Tolvane.log").string();
}

std::string GetLogFilePath(bool useDefault) {
    if (useDefault) {
        return DefaultLogFilePath();
    }
    return GetProfileStringUtf8(kSection, "LogFile", DefaultLogFilePath());
}
bool SetLogFilePath(const std::string& pathUtf8) {
    return WriteProfileStringUtf8(kSection, "LogFile", pathUtf8);
}

int32_t GetSaveLog() {
    return GetFlag("SaveLog", 0);
}
bool SetSaveLog(int32_t value) {
    return Set("SaveLog", value);
}
int32_t GetNewSave() {
    return GetFlag("NewSave", 1);
}
bool SetNewSave(int32_t value) {
    return Set("NewSave", value);
}
int32_t GetAutoCheck() {
    return GetFlag("AutoCheck", 0);
}
bool SetAutoCheck(int32_t value) {
    return Set("AutoCheck", value);
}
int32_t GetAutoCheckInterval() {
    return Get("AutoCheckInterval", 30);
}
bool SetAutoCheckInterval(int32_t value) {
    return Set("AutoCheckInterval", value);
}
int32_t GetAutoReport() {
    return GetFlag("AutoReport", 1);
}
bool SetAutoReport(int32_t value) {
    return Set("AutoReport", value);
}
int32_t GetReportDisplayMode() {
    return GetFlag("ReportDisplayMode", 1);
}
bool SetReportDisplayMode(int32_t value) {
    return Set("ReportDisplayMode", value);
}
int32_t GetFirstCheck() {
    return GetFlag("FirstCheck", 0);
}
bool SetFirstCheck(int32_t value) {
    return Set("FirstCheck", value);
}
int32_t GetQuitConfirm() {
    return GetFlag("QuitConfirm", 0);
}
bool SetQuitConfirm(int32_t value) {
    return Set("QuitConfirm", value);
}
int32_t GetAutoHide() {
    return GetFlag("AutoHide", 1);
}
bool SetAutoHide(int32_t value) {
    return Set("AutoHide", value);
}
int32_t GetAutoHideInterval() {
    return Get("AutoHideInterval", 30);
}
bool SetAutoHideInterval(int32_t value) {
    return Set("AutoHideInterval", value);
}
std::string GetSoundFilePath() {
    return GetProfileStringUtf8(kSection, "SoundFile", "");
}
bool SetSoundFilePath(const std::string& pathUtf8) {
    return WriteProfileStringUtf8(kSection, "SoundFile", pathUtf8);
}
int32_t GetNotify() {
    return GetFlag("Notify", 1);
}
bool SetNotify(int32_t value) {
    return Set("Notify", value);
}
int32_t GetAutostart() {
    return GetFlag("Autostart", 0);
}
bool SetAutostart(int32_t value) {
    return Set("Autostart", value);
}
int32_t GetParallelChecks() {
    const int32_t value = Get("ParallelChecks", kDefaultParallelChecks);
    return value >= kMinParallelChecks && value <= kMaxParallelChecks ? value
                                                                      : kDefaultParallelChecks;
}
bool SetParallelChecks(int32_t value) {
    return Set("ParallelChecks", value);
}

} // namespace tolvane::options
