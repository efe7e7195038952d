#include "cli/TerminalHost.h"

#include "cli/CliTexts.h"
#include "cli/MailFormat.h"
#include "engine/JobTexts.h"
#include "platform/CodePage.h"

#include <cstdio>
#include <unistd.h>

namespace tolvane::cli {

std::string LogTextForTerminal(const std::string& textCp932) {
    std::string utf8 = Cp932ToUtf8(textCp932);
    std::string plain;
    plain.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
            continue;
        }
        plain += utf8[i];
    }
    return TerminalSafe(plain, true);
}

CTerminalHost::CTerminalHost(bool bYes, bool bQuiet) : m_bYes(bYes), m_bQuiet(bQuiet) {}

std::string CTerminalHost::GetWindowText() {
    return Sjis("トルヴェイン");
}

void CTerminalHost::SetWindowText(const std::string& /*textCp932*/) {}

void CTerminalHost::SetCancelMenuText(const std::string& /*textCp932*/) {}

void CTerminalHost::PostCommand(int id) {
    {
        std::lock_guard lock(m_queueLock);
        m_commands.push_back(id);
    }
    m_queueReady.notify_all();
}

int CTerminalHost::WaitCommand() {
    std::unique_lock lock(m_queueLock);
    m_queueReady.wait(lock, [this] { return !m_commands.empty(); });
    const int id = m_commands.front();
    m_commands.pop_front();
    return id;
}

void CTerminalHost::WriteError(const std::string& textUtf8) {
    std::lock_guard lock(m_terminalLock);
    std::fwrite(textUtf8.data(), 1, textUtf8.size(), stderr);
    std::fflush(stderr);
}

void CTerminalHost::WriteLog(const std::string& textCp932) {
    if (!m_bQuiet) {
        WriteError(LogTextForTerminal(textCp932));
    }
}

bool CTerminalHost::Answer(const std::string& questionUtf8) {
    const std::string question = TerminalSafe(questionUtf8, true) + "\n";
    if (m_bYes) {
        if (!m_bQuiet) {
            WriteError(question + txt::kAnsweredYes);
        }
        return true;
    }
    if (!::isatty(STDIN_FILENO)) {
        WriteError(question + txt::kAnsweredNoTerminal);
        return false;
    }
    WriteError(question + txt::kAnswerPrompt);
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got <= 0 || c == '\n') {
            break;
        }
        line += c;
    }
    return line == "y" || line == "Y" || line == "yes" || line == "ok" || line == "OK";
}

bool CTerminalHost::Ask(const std::string& textCp932) {
    return Answer(Cp932ToUtf8(textCp932));
}

int CTerminalHost::ShowMessage(const std::string& textCp932, MsgButtons buttons, MsgIcon /*icon*/) {
    const std::string text = std::string(txt::kMessagePrefix) + Cp932ToUtf8(textCp932);
    switch (buttons) {
    case MsgButtons::Ok:
        WriteError(TerminalSafe(text, true) + "\n");
        return IDOK;
    case MsgButtons::OkCancel:
        return Answer(text) ? IDOK : IDCANCEL;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return Answer(text) ? IDYES : IDNO;
    case MsgButtons::RetryCancel:
        return Answer(text) ? IDRETRY : IDCANCEL;
    case MsgButtons::AbortRetryIgnore:
        WriteError(TerminalSafe(text, true) + "\n");
        return IDABORT;
    }
    return IDOK;
}

} // namespace tolvane::cli
