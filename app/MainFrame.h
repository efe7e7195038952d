// CMainFrame: the program's only top-level window: menus and tool bar (CMainMenus), a
// status bar with the mail count prompt and the clock, the list above the information
// pane, and the tray icon (CTrayIcon) through which it lives while hidden.
//
// - Commands from the menus, the tool bar, the accelerators, the tray, the list's
//   context menu, the timers and the worker all pass through OnCommand, which runs one
//   only if its rule holds at that moment, then brings every action's state up to date.
//   PostCommand queues one (the timer, the tray, the worker): its rule is checked when it
//   arrives.
// - Window layout lives in the Environment section: read by RestoreAndShow, written by
//   SaveLayout (each failed write shows the write-failure message).
// - Minimising hides the window in the tray, only where a tray exists; otherwise the
//   window stays minimised on the task bar and can always be brought back.
// - The close box asks the application to quit (exitRequested) unless a job runs; the
//   frame itself never closes.
// - The clock reads the engine's clock (tests and screenshots set it).
#pragma once

#include "app/WorkerBridge.h"

#include <QMainWindow>
#include <QTimer>

class QLabel;
class QShortcut;
class QSplitter;

namespace tolvane::gui {

class CInformationView;
class CMainMenus;
class CTolvaneDoc;
class CTolvaneView;
class CTrayIcon;

class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;

    CWorkerBridge& Bridge() { return m_bridge; }
    CMainMenus& Menus() { return *m_pMenus; }
    CTrayIcon& Tray() { return *m_pTray; }
    CTolvaneView* ListView() const { return m_pList; }
    CInformationView* InfoView() const { return m_pInfo; }
    QSplitter* Splitter() const { return m_pSplitter; }
    QTimer& CheckTimer() { return m_checkTimer; }

    void SetDocument(CTolvaneDoc* doc);
    // bShowRequested: another start asked to see the window meanwhile; it is not left
    // minimised or in the tray then. bMinimized: started so (at login), whatever the layout
    // says.
    void RestoreAndShow(bool bShowRequested = false, bool bMinimized = false);
    void SaveLayout();

    void OnCommand(int id);
    void PostCommand(int id);
    bool IsCommandEnabled(int id, bool bArriving) const;
    // The one place every action's enabled and checked state is set from the rules; run
    // after every command, busy change, worker step, list change and menu opening.
    void UpdateCommands();

    void SetCheckTimer(int milliseconds); // 0 stops it
    void SetTrayTip(const QString& text);
    // A check found mail not seen before (bNew) or none: the tray icon shows it while the
    // window is not in front, until the window is shown.
    void SetNewMail(bool bNew);
    void ShowIdlePrompt();
    void SetBusyWindow(bool bBusy);
    void ShowFromAnotherStart();
    void DrawClock();

    QString MessagePaneText() const;
    QString ClockPaneText() const;

Q_SIGNALS:
    void exitRequested();
    void aboutRequested();
    void helpRequested(int id);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsFrameCommand(int id) const;
    void OnFrameCommand(int id);
    bool IsFrameCommandChecked(int id, bool& bChecked) const;
    void OnWorkerStep();
    void ShowPrompt(const QString& prompt);
    bool HasNoAccount() const;
    void ToggleInfoPane();
    void ShowOrHide();
    void ShowRestored();
    void OnTrayAvailability(bool bAvailable);
    void FocusOtherPane();
    void ApplyViewHeight();
    void RestorePlacement();
    QRect ReachablePlacement(QRect rect) const;
    int ViewHeight() const;

    CWorkerBridge m_bridge;
    CMainMenus* m_pMenus = nullptr;
    CTrayIcon* m_pTray = nullptr;
    QSplitter* m_pSplitter = nullptr;
    CTolvaneView* m_pList = nullptr;
    CInformationView* m_pInfo = nullptr;
    QLabel* m_pMessage = nullptr;
    QLabel* m_pClock = nullptr;
    QShortcut* m_pNoAccountKey = nullptr; // Ctrl+N without an account
    QTimer m_clockTimer;
    QTimer m_checkTimer;
    CTolvaneDoc* m_pDoc = nullptr;
    int m_nPendingViewHeight = -1; // ViewHeight until the panes have their real size
    bool m_bCloseDisabled = false;
};

} // namespace tolvane::gui
