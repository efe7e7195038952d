#include "platform/Options.h"

#include "platform/Paths.h"
#include "platform/Profile.h"

namespace tolvane::options {

namespace {

constexpr char kSection[] = "Option";

int32_t Get(const char* key, int32_t defaultValue) {
    return GetProfileInt(kSection, key, defaultValue);
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
    return Get("SaveLog", 0);
}
bool SetSaveLog(int32_t value) {
    return Set("SaveLog", value);
}
int32_t GetNewSave() {
    return Get("NewSave", 1);
}
bool SetNewSave(int32_t value) {
    return Set("NewSave", value);
}
int32_t GetAutoCheck() {
    return Get("AutoCheck", 0);
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
    return Get("AutoReport", 1);
}
bool SetAutoReport(int32_t value) {
    return Set("AutoReport", value);
}
int32_t GetReportDisplayMode() {
    return Get("ReportDisplayMode", 1);
}
bool SetReportDisplayMode(int32_t value) {
    return Set("ReportDisplayMode", value);
}
int32_t GetFirstCheck() {
    return Get("FirstCheck", 0);
}
bool SetFirstCheck(int32_t value) {
    return Set("FirstCheck", value);
}
int32_t GetQuitConfirm() {
    return Get("QuitConfirm", 0);
}
bool SetQuitConfirm(int32_t value) {
    return Set("QuitConfirm", value);
}
int32_t GetAutoHide() {
    return Get("AutoHide", 1);
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

} // namespace tolvane::options
