// The setup program's message boxes (QMessageBox), with a "next answer" hook.
//
// Scripted mode (tests, and the TOLVANE_SETUP_ANSWERS variable of an unattended run):
// no box is shown; each box takes the next queued answer instead (a box with OK alone
// always answers OK), and when the queue is empty the answer is Cancel, never a wait.
// The welcome window's button press is taken from the same queue (TakeAnswer). Every
// box is recorded, and in an unattended run also written to standard error.
#pragma once

#include "setup/SetupPrompter.h"

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::setup {

class CQtPrompter final : public ISetupPrompter {
public:
    struct Shown {
        std::string textUtf8;
        std::string captionUtf8;
        MsgButtons buttons;
        MsgIcon icon;
    };

    int Show(const char* textUtf8, const char* captionUtf8, MsgButtons buttons,
             MsgIcon icon) override;
    void RunBlocking(const std::function<void()>& work) override;

    // Enters scripted mode and queues an answer (IDOK, IDCANCEL...).
    void QueueAnswer(int answer);
    // Enters scripted mode with the answers of a comma-separated list of "ok" and
    // "cancel"; false (and nothing queued) when a word is neither.
    bool QueueAnswers(std::string_view list);
    // Writes each box to standard error as well (an unattended run).
    void SetEcho(bool echo) { m_bEcho = echo; }

    bool IsScripted() const { return m_bScripted; }
    bool HasAnswers() const { return !m_answers.empty(); }
    // The next queued answer, IDCANCEL when none is left.
    int TakeAnswer();
    const std::vector<Shown>& ShownBoxes() const { return m_shown; }

private:
    bool m_bScripted = false;
    bool m_bEcho = false;
    std::deque<int> m_answers;
    std::vector<Shown> m_shown;
};

} // namespace tolvane::setup
