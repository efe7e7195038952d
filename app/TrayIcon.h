// CTrayIcon: the notification-area icon through which the program lives while its window
// is hidden. Its tip tells the mail count; its image shows the mail state (TrayIconImage.h):
// the count of mails waiting, new mail, accounts of the latest checks that could not be
// checked (SetFailed), a check running.
//
// - It exists only where the desktop offers a tray: a StatusNotifierItem
//   (CStatusNotifierItem) while a watcher on the session bus holds it, else an X11 tray
//   icon (QSystemTrayIcon). A watcher that appears or goes switches between them, at any
//   time; an X11 tray that starts after the program (a desktop still starting up) is
//   watched for a while and the icon appears then. Without a tray the tip is still kept
//   (Tip) and nothing is shown. availabilityChanged tells each change but Remove's.
// - Tips are plain text of at most 63 bytes of CP932 (TrayTipText).
// - A single click and a double-click both ask for the show/hide command (once: the
//   click that starts a double-click waits for it); the context menu is menu 143 while the
//   window is minimised or hidden (first item "トルヴェインを表示(&D)"), else menu 144
//   ("トルヴェインを非表示(&N)"), the first item drawn as the default; while busy the
//   check, options, accounts and exit items are greyed. Every item is posted as a
//   command (commandRequested), so its enable rule is checked when it arrives.
// - Tests may replace the desktop's answer to "is there a tray?" (SetTrayProbe).
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include "app/TrayIconImage.h"

#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace tolvane::gui {

class CStatusNotifierItem;

class CTrayIcon final : public QObject {
    Q_OBJECT
public:
    struct State {
        std::function<bool()> windowHidden; // minimised or hidden in the tray
        std::function<bool()> busy;
    };

    CTrayIcon(QObject* parent, State state);
    ~CTrayIcon() override;

    bool IsAvailable() const;
    void SetTip(const QString& text);
    const QString& Tip() const { return m_strTip; }
    void SetFailed(bool bFailed);
    bool IsFailed() const { return m_look.bFailed; }
    void SetMailCount(unsigned nMails);
    void SetNewMail(bool bNew);
    void SetChecking(bool bChecking);
    const TrayLook& Look() const { return m_look; }
    // The image shown (also while there is no tray).
    QIcon Icon() const;
    // Removes the icon (the window is going away).
    void Remove();
    // The context menu, its texts and greying brought up to date.
    QMenu* Menu();
    // Brings texts and greying up to date (the menu also does so when it opens).
    void Refresh();

    static void SetTrayProbe(std::function<bool()> probe);

Q_SIGNALS:
    void commandRequested(int id);
    void availabilityChanged(bool bAvailable);

private:
    void TryCreate();
    void StartWatch();
    void OnItemRegistered(bool bRegistered);
    void OnClicked(bool bDouble);
    void SetLook(const TrayLook& look);
    void ShowLook();
    QAction* AddItem(int id, const char* textUtf8);

    State m_state;
    QString m_strTip;
    QSystemTrayIcon* m_pIcon = nullptr;
    CStatusNotifierItem* m_pItem = nullptr;
    bool m_bItemAnswered = false; // the item's first try to register has its answer
    QTimer* m_pClick = nullptr;   // a single click waiting to see whether it is a double one
    QMenu* m_pMenu = nullptr;
    QAction* m_pShowHide = nullptr;
    QTimer* m_pWatch = nullptr;
    int m_nWatchesLeft = 0;
    bool m_bRemoved = false;
    bool m_bAvailable = false; // as last told by availabilityChanged
    TrayLook m_look;
};

} // namespace tolvane::gui
