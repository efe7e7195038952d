// Message interface: how engine and platform code tell the user something.
//
// The GUI implements it with message boxes (caption "トルヴェイン"), the command-line
// program on the terminal, and tests with a recorder. Texts are CP932 bytes.
// With no host installed, messages go to standard error (converted to UTF-8) and the
// answer is the first button of the set (OK, Yes, Abort, Retry).
#pragma once

#include <string>

namespace tolvane {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };

// Default means "no icon named by the caller": the host applies the rule that OK,
// OK/Cancel, Yes/No and Yes/No/Cancel get the exclamation icon and the others none.
enum class MsgIcon { Default, Stop, Question, Exclamation, Information };

// Button results, numbered as the Windows ones so that stored or logged values agree.
enum MsgResult : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7
};

class IMessageHost {
public:
    virtual ~IMessageHost() = default;
    // Shows textCp932 and returns the button pressed (a MsgResult).
    virtual int ShowMessage(const std::string& textCp932, MsgButtons buttons, MsgIcon icon) = 0;
};

// Installs the process-wide host (nullptr restores the standard-error fallback).
// Returns the host that was installed before.
IMessageHost* SetMessageHost(IMessageHost* host);

// Shows a message through the installed host. Safe to call from any thread; the host
// decides how a call from a non-UI thread reaches the user.
int ShowMessage(const std::string& textCp932, MsgButtons buttons = MsgButtons::Ok,
                MsgIcon icon = MsgIcon::Default);

// Shows a UTF-8 literal (the string tables are kept in UTF-8 source) after converting it
// to CP932.
int ShowMessageUtf8(const char* textUtf8, MsgButtons buttons = MsgButtons::Ok,
                    MsgIcon icon = MsgIcon::Default);

// The icon a box with these buttons gets when the caller names none.
MsgIcon DefaultIconFor(MsgButtons buttons);

} // namespace tolvane
