#include "app/widgets/UrlOpener.h"

#include <QDesktopServices>

namespace tolvane {

namespace {

UrlOpener& Hook() {
    static UrlOpener hook;
    return hook;
}

} // namespace

bool OpenUrl(const QUrl& url) {
    if (Hook()) {
        return Hook()(url);
    }
    return QDesktopServices::openUrl(url);
}

void SetUrlOpener(UrlOpener opener) {
    Hook() = std::move(opener);
}

} // namespace tolvane
