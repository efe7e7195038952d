// How the setup program asks and tells the user: one message box at a time, with its own
// caption (the setup program's boxes do not share Tolvane's caption rule). The Qt
// implementation shows a QMessageBox; tests and the end-to-end run answer from a script.
#pragma once

#include "platform/MessageHost.h"

#include <functional>

namespace tolvane::setup {

class ISetupPrompter {
public:
    virtual ~ISetupPrompter() = default;
    // Shows textUtf8 under captionUtf8 and returns the button pressed (IDOK, IDCANCEL...).
    // A box with OK alone always returns IDOK. MsgIcon::Default shows no icon: the setup
    // program's questions carry none.
    virtual int Show(const char* textUtf8, const char* captionUtf8, MsgButtons buttons,
                     MsgIcon icon) = 0;
    // Runs work, which may block (the keyring), and returns when it has ended. The Qt
    // implementation runs it on a thread of its own while the user interface goes on;
    // this one runs it here.
    virtual void RunBlocking(const std::function<void()>& work) { work(); }
};

} // namespace tolvane::setup
