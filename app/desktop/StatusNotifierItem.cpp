#include "app/desktop/StatusNotifierItem.h"

#include "app/desktop/ActivationToken.h"
#include "app/desktop/SessionBus.h"
#include "app/desktop/StatusNotifierAdaptor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>

namespace tolvane::gui {

namespace {

constexpr char kWatcherService[] = "org.kde.StatusNotifierWatcher";
constexpr char kWatcherPath[] = "/StatusNotifierWatcher";
constexpr char kItemPath[] = "/StatusNotifierItem";

} // namespace

CStatusNotifierItem::CStatusNotifierItem(QObject* parent) : QObject(parent) {
    m_pAdaptor = new CStatusNotifierAdaptor(this);
    std::optional<QDBusConnection> bus = SessionBus();
    if (bus) {
        m_bExported = bus->registerObject(QString::fromLatin1(kItemPath), this,
                                          QDBusConnection::ExportAdaptors);
    }
    if (!m_bExported) {
        m_bAnswered = true; // known at once: no watcher can be reached
        return;
    }
    m_pWatcher = new QDBusServiceWatcher(QString::fromLatin1(kWatcherService), *bus,
                                         QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_pWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty()) {
                    SetRegistered(false);
                } else {
                    Register(); // a new watcher knows nothing of the item
                }
            });
    Register();
}

CStatusNotifierItem::~CStatusNotifierItem() {
    if (m_bExported) {
        if (std::optional<QDBusConnection> bus = SessionBus()) {
            bus->unregisterObject(QString::fromLatin1(kItemPath));
        }
    }
}

void CStatusNotifierItem::Register() {
    std::optional<QDBusConnection> bus = SessionBus();
    if (!bus) {
        SetRegistered(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kWatcherService), QString::fromLatin1(kWatcherPath),
        QString::fromLatin1(kWatcherService), QStringLiteral("RegisterStatusNotifierItem"));
    call << bus->baseService();
    auto* pending = new QDBusPendingCallWatcher(bus->asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                SetRegistered(!finished->isError());
                finished->deleteLater();
            });
}

void CStatusNotifierItem::SetRegistered(bool bRegistered) {
    if (bRegistered == m_bRegistered && m_bAnswered) {
        return;
    }
    m_bAnswered = true;
    m_bRegistered = bRegistered;
    Q_EMIT registeredChanged(bRegistered);
}

void CStatusNotifierItem::SetIcon(const QIcon& icon) {
    m_icon = icon;
    m_pAdaptor->TellIconChanged();
}

void CStatusNotifierItem::SetToolTip(const QString& title, const QString& text) {
    if (title == m_strTipTitle && text == m_strTipText) {
        return;
    }
    m_strTipTitle = title;
    m_strTipText = text;
    m_pAdaptor->TellToolTipChanged();
}

void CStatusNotifierItem::SetNeedsAttention(bool bNeeds) {
    if (bNeeds == m_bAttention) {
        return;
    }
    m_bAttention = bNeeds;
    m_pAdaptor->TellStatusChanged();
}

void CStatusNotifierItem::OnActivate(QPoint /*point*/) {
    Q_EMIT activated();
}

void CStatusNotifierItem::OnContextMenu(QPoint point) {
    Q_EMIT contextMenuRequested(point);
}

void CStatusNotifierItem::OnActivationToken(const QString& token) {
    AcceptActivationToken(token);
}

} // namespace tolvane::gui
