#include "engine/LogSafe.h"

#include "platform/CodePage.h"

namespace tolvane {

namespace {

bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == 0x80;
}

} // namespace

std::string LogSafe(std::string_view cp932) {
    std::string safe(cp932);
    for (size_t i = 0; i < safe.size(); ++i) {
        const auto c = static_cast<unsigned char>(safe[i]);
        if (IsCp932LeadByte(c) && i + 1 < safe.size() &&
            IsTrailByte(static_cast<unsigned char>(safe[i + 1]))) {
            ++i;
        } else if (IsControl(c)) {
            safe[i] = '?';
        }
    }
    return safe;
}

} // namespace tolvane
