#include "app/widgets/DecimalRule.h"

#include <algorithm>

namespace tolvane {

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

} // namespace

int32_t DecimalValue(const QString& text) {
    qsizetype pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    constexpr int64_t kHeld = static_cast<int64_t>(INT32_MAX) + 1;
    int64_t value = 0;
    for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
        value = std::min<int64_t>(value * 10 + (text[pos].unicode() - u'0'), kHeld);
    }
    if (negative) {
        return static_cast<int32_t>(-value);
    }
    return static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
}

bool DecimalInRange(const QString& text, uint32_t low, uint32_t high) {
    if (text.isEmpty()) {
        return false;
    }
    const auto value = static_cast<uint32_t>(DecimalValue(text));
    return value >= low && value <= high;
}

} // namespace tolvane
