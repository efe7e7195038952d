// CTolvaneApp: the program Tolvane: the single instance, the message boxes, the start-up
// in its order and the end.
//
// Start-up: InitApplication first (single instance, then the per-user instance lock that
// tolvane-cli also takes); then InitInstance: the settings root (a settings file that
// exists but cannot be read is told, with its path and reason, and ends the start: the
// program never runs on defaults over it), the main window created hidden, the document (accounts,
// options, log file), the views' settings and the list, then the window's layout restored and the
// window shown (or left in the tray). The program's sound player (CSoundEffectPlayer) is
// installed for the run unless one is installed already (tests install a recorder).
//
// The About command runs the About box over the main window; the help commands and the
// help keys go to CHelpCommands, which reads the help beside the program.
//
// Ending: the exit command and the close box ask first (the document's quit question);
// SIGTERM, SIGINT and SIGHUP do not. Both answer every pending question of the worker
// "not OK", close what modal windows are open, and then, from the event loop, close the
// document (worker joined, accounts and stores written, log closed), save the window
// layout, hide the window and emit finished; main() then leaves the event loop. The
// destructor does the same if that has not happened.
#pragma once

#include "app/MessageBoxHost.h"
#include "platform/InstanceLock.h"

#include <QObject>

#include <memory>

namespace tolvane {
class CHelpCommands;
class CSoundEffectPlayer;
} // namespace tolvane

namespace tolvane::gui {

class CMainFrame;
class CQuitSignals;
class CSingleInstance;
class CTolvaneDoc;

class CTolvaneApp final : public QObject {
    Q_OBJECT
public:
    enum class StartResult {
        First,     // go on with InitInstance
        OtherRuns, // another instance was asked to show itself: end quietly
        Refused,   // the instance lock is held by another program (or unusable): told so
    };

    CTolvaneApp();
    ~CTolvaneApp() override;

    StartResult InitApplication();
    bool InitInstance();
    // Before InitInstance: the window starts minimised (in the tray where there is one), as
    // the login start asks with --minimized.
    void SetStartMinimized(bool bMinimized) { m_bStartMinimized = bMinimized; }

    CMainFrame* Frame() const { return m_pFrame.get(); }
    CTolvaneDoc* Document() const { return m_pDoc.get(); }
    CMessageBoxHost& Messages() { return m_messages; }
    CHelpCommands* Help() const { return m_pHelp.get(); }
    bool IsFinished() const { return m_bFinished; }

    // The exit command and the close box: the quit question, then the end.
    void RequestQuit();
    // Signals and session end: the end without a question.
    void QuitWithoutQuestion();

Q_SIGNALS:
    void finished();

private:
    // The document's signals to the windows that show them, and its views and dialog owner.
    void ConnectDocument();
    void BeginQuit();
    void FinishQuit();
    static bool CloseModalWindows();
    void RunAboutBox();
    void RunHelp(int id);

    CMessageBoxHost m_messages;
    CInstanceLock m_instanceLock;
    std::unique_ptr<CSingleInstance> m_pSingle;
    std::unique_ptr<CQuitSignals> m_pSignals;
    std::unique_ptr<CMainFrame> m_pFrame;
    std::unique_ptr<CTolvaneDoc> m_pDoc;
    std::unique_ptr<CHelpCommands> m_pHelp;
    std::unique_ptr<CSoundEffectPlayer> m_pSound;
    bool m_bStarted = false;
    bool m_bStartMinimized = false;
    bool m_bQuitting = false;
    bool m_bFinished = false;
    int m_nFinishAttempts = 0;
};

} // namespace tolvane::gui
