#include "platform/Texts.h"

#include "platform/CodePage.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace tolvane {

std::string Sjis(const char* textUtf8) { return Utf8ToCp932(textUtf8); }

std::string SjisFormat(const char* formatUtf8, ...) {
    const std::string format = Utf8ToCp932(formatUtf8);
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
