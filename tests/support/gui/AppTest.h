// Support for the GUI tests of Tolvane: a private home with its own runtime folder, the
// message boxes answered from a script (through the real message-box hook, so caption and
// icon are those a user would see), accounts written into the settings, and the program
// started as main() starts it.
#pragma once

#include "app/MessageBoxHost.h"
#include "app/TolvaneApp.h"
#include "tests/support/TestEnv.h"

#include <QString>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace tolvane::gui {
class CMainFrame;
class CTolvaneDoc;
class CTolvaneView;
} // namespace tolvane::gui

namespace tolvane::test {

// ScopedHome plus XDG_RUNTIME_DIR, so that no test meets the user's own Tolvane.
class GuiHome : public ScopedHome {
public:
    GuiHome();
    ~GuiHome();

private:
    std::string m_savedRuntime;
    bool m_bHadRuntime = false;
};

// Answers every message box in place of the user and keeps what was shown. Answers come
// from the queue, else OK (Yes for Yes/No boxes).
class MessageBoxAnswers {
public:
    MessageBoxAnswers();
    ~MessageBoxAnswers();
    void Queue(int answer);
    std::vector<gui::MessageBoxRequest> Shown() const;
    std::vector<std::string> TextsUtf8() const;

private:
    std::vector<gui::MessageBoxRequest> m_shown;
    std::deque<int> m_answers;
};

struct AccountSettings {
    std::string nameUtf8;
    unsigned port = 110;
    std::string user = "taro";
    std::string password = "secret";
    int timeout = 5;
    int newMailOnly = 0;
    int enable = 1;
    int receiveCount = 3;
};
void WriteAccount(const AccountSettings& account);

// Tolvane started as main() starts it, ended (as a quit without question) when destroyed.
class RunningApp {
public:
    RunningApp();
    ~RunningApp();
    // Also waits for the move of the file's passwords that a start may begin.
    bool Start();
    // Waits until the document has handled a completion command (any, or id).
    bool WaitForJob(int id = 0, int timeoutMs = 60000);
    // Ends the program as a signal would and waits until it has.
    bool Quit();
    // Chooses command id as the user does, through its menu or tool-bar action, which must
    // exist and be enabled (otherwise a failure is recorded and false returned).
    bool Trigger(int id);

    gui::CTolvaneApp& App() { return *m_pApp; }
    gui::CMainFrame* Frame() const;
    gui::CTolvaneDoc* Doc() const;
    gui::CTolvaneView* List() const;

private:
    std::unique_ptr<gui::CTolvaneApp> m_pApp;
    std::vector<int> m_completed;
};

// Lets posted events (queued commands, the worker's texts) run.
void ProcessEvents();

} // namespace tolvane::test
