#include "platform/Texts.h"

#include "platform/CodePage.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace tolvane {

namespace {

// The string table's formats are few and are converted again for every progress title of
// a check (thousands per mailbox), so their CP932 forms are kept. Keyed by content, so a
// format that is not a literal is still safe; bounded so it can never grow without end.
std::string CachedCp932(const char* formatUtf8) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::string> cache;
    constexpr size_t kMaxEntries = 512;
    std::lock_guard lock(mutex);
    auto found = cache.find(formatUtf8);
    if (found != cache.end()) {
        return found->second;
    }
    if (cache.size() >= kMaxEntries) {
        cache.clear();
    }
    return cache.emplace(formatUtf8, Utf8ToCp932(formatUtf8)).first->second;
}

} // namespace

std::string Sjis(const char* textUtf8) {
    return CachedCp932(textUtf8);
}

std::string SjisFormat(const char* formatUtf8, ...) {
    const std::string format = CachedCp932(formatUtf8);
    va_list args;
    va_start(args, formatUtf8);
    va_list measure;
    va_copy(measure, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::vsnprintf(nullptr, 0, format.c_str(), measure);
    va_end(measure);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(result.data(), result.size(), format.c_str(), args);
        result.resize(static_cast<size_t>(length));
    }
#pragma GCC diagnostic pop
    va_end(args);
    return result;
}

} // namespace tolvane
