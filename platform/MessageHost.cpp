#include "platform/MessageHost.h"

#include "platform/CodePage.h"

#include <atomic>
#include <cstdio>

namespace tolvane {

namespace {

std::atomic<IMessageHost*> g_host{nullptr};

int FirstButton(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return IDYES;
    case MsgButtons::AbortRetryIgnore:
        return IDABORT;
    case MsgButtons::RetryCancel:
        return IDRETRY;
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
        break;
    }
    return IDOK;
}

} // namespace

IMessageHost* SetMessageHost(IMessageHost* host) {
    return g_host.exchange(host);
}

MsgIcon DefaultIconFor(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgIcon::Exclamation;
    case MsgButtons::AbortRetryIgnore:
    case MsgButtons::RetryCancel:
        break;
    }
    return MsgIcon::Default;
}

int ShowMessage(const std::string& textCp932, MsgButtons buttons, MsgIcon icon) {
    if (IMessageHost* host = g_host.load()) {
        return host->ShowMessage(textCp932, buttons, icon);
    }
    std::string utf8 = Cp932ToUtf8(textCp932);
    std::fprintf(stderr, "%s\n", utf8.c_str());
    return FirstButton(buttons);
}

int ShowMessageUtf8(const char* textUtf8, MsgButtons buttons, MsgIcon icon) {
    return ShowMessage(Utf8ToCp932(textUtf8), buttons, icon);
}

} // namespace tolvane
