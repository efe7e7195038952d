// CStatusNotifierItem: the tray icon as a StatusNotifierItem on the session bus, the way
// panels without an X11 tray (KDE Plasma, GNOME with its AppIndicator extension, Wayland
// sessions) hold icons. Qt's own tray decides once per process whether such a panel exists,
// so a panel that starts after the program would never get the icon from it; this item
// follows the org.kde.StatusNotifierWatcher service instead, for as long as it runs.
//
// - The item is the object /StatusNotifierItem on the program's session-bus connection,
//   registered with the watcher under the connection's unique name. Every call to the bus
//   is asynchronous: nothing waits for the watcher or the panel.
// - registeredChanged(true) once the watcher has taken the item; registeredChanged(false)
//   when it refused it, is not there (also the answer to the first try at start-up, so
//   the owner can fall back on another tray) or goes away. When a watcher appears, the
//   item registers again. HasAnswer: the first try has been answered (at once, without
//   a session bus: no signal then).
// - Activate (a click on the icon) emits activated(); ContextMenu emits
//   contextMenuRequested with the point the panel gave; an activation token the panel
//   provides (ProvideXdgActivationToken) is put into XDG_ACTIVATION_TOKEN, where Qt takes
//   it when the window is activated next, so the window may come to the front on Wayland.
// - SetIcon, SetToolTip and SetNeedsAttention tell the panel of each change by signal.
// - Without a session bus the item does nothing.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>

class QDBusServiceWatcher;

namespace tolvane::gui {

class CStatusNotifierAdaptor;

class CStatusNotifierItem final : public QObject {
    Q_OBJECT
public:
    explicit CStatusNotifierItem(QObject* parent);
    ~CStatusNotifierItem() override;

    bool IsRegistered() const { return m_bRegistered; }
    bool HasAnswer() const { return m_bAnswered; }
    void SetIcon(const QIcon& icon);
    void SetToolTip(const QString& title, const QString& text);
    void SetNeedsAttention(bool bNeeds);

    // What the adaptor serves.
    const QIcon& Icon() const { return m_icon; }
    const QString& ToolTipTitle() const { return m_strTipTitle; }
    const QString& ToolTipText() const { return m_strTipText; }
    bool NeedsAttention() const { return m_bAttention; }
    void OnActivate(QPoint point);
    void OnContextMenu(QPoint point);
    void OnActivationToken(const QString& token);

Q_SIGNALS:
    void registeredChanged(bool bRegistered);
    void activated();
    void contextMenuRequested(QPoint point);

private:
    void Register();
    void SetRegistered(bool bRegistered);

    CStatusNotifierAdaptor* m_pAdaptor = nullptr;
    QDBusServiceWatcher* m_pWatcher = nullptr;
    QIcon m_icon;
    QString m_strTipTitle;
    QString m_strTipText;
    bool m_bAttention = false;
    bool m_bExported = false;
    bool m_bRegistered = false;
    bool m_bAnswered = false; // the first try has its answer
};

} // namespace tolvane::gui
