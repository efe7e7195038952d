// The host: whoever drives the engine (the GUI's main window, the command-line program,
// a test). The worker and the jobs talk to it from the worker thread; an implementation
// must be thread-safe and must not block the worker except in Ask.
#pragma once

#include <string>

namespace tolvane {

// Completion commands posted by the worker.
enum : int {
    ID_CHECK_COMPLETE = 32806,
    ID_DELETE_COMPLETE = 32807,
    ID_RELOAD_COMPLETE = 32836,
    ID_CHECK_CANCEL = 32839,    // the cancel command whose menu text the worker changes
    ID_PASSWORDS_MOVED = 32840, // the move of the file's passwords into the keyring ended
};

class IHost {
public:
    virtual ~IHost() = default;
    // The main window's title (CP932): read once when the worker starts, then set with the
    // progress of every job and restored at its end.
    virtual std::string GetWindowText() = 0;
    virtual void SetWindowText(const std::string& textCp932) = 0;
    // The text of the cancel command ID_CHECK_CANCEL ("受信確認を中止する(&Q)\tCtrl+B").
    virtual void SetCancelMenuText(const std::string& textCp932) = 0;
    // A completion command (ID_CHECK_COMPLETE, ...), delivered to the UI side in order.
    virtual void PostCommand(int id) = 0;
    // A question with OK and Cancel and the question icon; true when the answer is OK.
    // Blocks the worker until answered.
    virtual bool Ask(const std::string& textCp932) = 0;
};

} // namespace tolvane
