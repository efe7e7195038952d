// CTerminalHost: the engine's host and message host on a terminal.
//
// - Titles and cancel-menu texts are not shown (standard error carries the log instead).
// - Completion commands go into a queue that the main thread waits on (WaitCommand).
// - Log texts (WriteLog, the log's view sink) go to standard error as UTF-8 with plain
//   line feeds, unless quiet; server texts in them are made safe for a terminal.
// - Questions (Ask, and message boxes with more than an OK button): with --yes the answer
//   is OK; otherwise, when standard input is a terminal, the question is asked there
//   ("y" answers OK); without a terminal the answer is Cancel.
// - Messages always go to standard error, prefixed with the program's name.
#pragma once

#include "engine/Host.h"
#include "platform/MessageHost.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

namespace tolvane::cli {

class CTerminalHost final : public IHost, public IMessageHost {
public:
    CTerminalHost(bool bYes, bool bQuiet);

    // IHost
    std::string GetWindowText() override;
    void SetWindowText(const std::string& textCp932) override;
    void SetCancelMenuText(const std::string& textCp932) override;
    void PostCommand(int id) override;
    bool Ask(const std::string& textCp932) override;

    // IMessageHost
    int ShowMessage(const std::string& textCp932, MsgButtons buttons, MsgIcon icon) override;

    // Blocks until a completion command arrives and returns it.
    int WaitCommand();
    void WriteLog(const std::string& textCp932);
    // Writes UTF-8 text to standard error, serialised with the log and the questions.
    void WriteError(const std::string& textUtf8);

private:
    bool Answer(const std::string& questionUtf8);

    const bool m_bYes;
    const bool m_bQuiet;
    std::mutex m_terminalLock; // one writer at a time on standard error
    std::mutex m_queueLock;
    std::condition_variable m_queueReady;
    std::deque<int> m_commands;
};

// CR LF -> LF, CP932 -> UTF-8, control characters made safe (line feeds kept).
std::string LogTextForTerminal(const std::string& textCp932);

} // namespace tolvane::cli
