#include "app/desktop/ActivationToken.h"

#include <QByteArray>

#include <algorithm>

namespace tolvane::gui {

namespace {

constexpr qsizetype kMaxTokenLength = 256;

} // namespace

bool AcceptActivationToken(const QString& token) {
    const bool bPrintable = std::all_of(token.begin(), token.end(), [](QChar c) {
        return c.unicode() > u' ' && c.unicode() < 0x7f;
    });
    if (token.isEmpty() || token.size() > kMaxTokenLength || !bPrintable) {
        return false;
    }
    return qputenv("XDG_ACTIVATION_TOKEN", token.toLatin1());
}

} // namespace tolvane::gui
