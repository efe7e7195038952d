#include "app/desktop/MailNotifier.h"

#include "app/GuiTexts.h"
#include "app/desktop/ActivationToken.h"
#include "app/desktop/SessionBus.h"
#include "app/widgets/QtText.h"
#include "platform/Options.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace tolvane {

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
constexpr char kDefaultAction[] = "default";
constexpr char kDeleteAction[] = "delete";
// The body names this many mails; the rest are counted.
constexpr int kBodyMails = 3;
// The server decides how long the notification stays.
constexpr int kServerTimeout = -1;

// Notification servers may read the body as markup.
QString Escaped(const QString& text) {
    QString escaped = text;
    escaped.replace(u'&', QStringLiteral("&amp;"));
    escaped.replace(u'<', QStringLiteral("&lt;"));
    escaped.replace(u'>', QStringLiteral("&gt;"));
    return escaped;
}

} // namespace

std::string CMailNotifier::MailKey(const CMail& mail) {
    if (!mail.m_strUidl.empty()) {
        return mail.m_strUidl;
    }
    return mail.m_strFrom + '\n' + mail.m_strSubject + '\n' + mail.m_strDate;
}

CMailNotifier::CMailNotifier() {
    if (std::optional<QDBusConnection> bus = gui::SessionBus()) {
        bus->connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                     QString::fromLatin1(kInterface), QStringLiteral("ActionInvoked"), this,
                     SLOT(OnActionInvoked(uint, QString)));
        bus->connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                     QString::fromLatin1(kInterface), QStringLiteral("ActivationToken"), this,
                     SLOT(OnActivationToken(uint, QString)));
    }
}

int CMailNotifier::OnCheckComplete(const AccountArray& accounts, bool bOwnSound) {
    std::map<std::string, std::set<std::string>> seen;
    QStringList lines;
    int nNew = 0;
    std::pair<std::string, std::string> first;
    for (const auto& account : accounts) {
        const std::set<std::string>& before = m_seen[account->m_strName];
        std::set<std::string>& now = seen[account->m_strName];
        for (const auto& mail : account->m_mails) {
            const std::string key = MailKey(*mail);
            now.insert(key);
            const bool bMarkedNew = account->m_bNewMailOnly == 0 || mail->m_nState == MAIL_NEW;
            if (bMarkedNew && before.count(key) == 0) {
                if (nNew == 0) {
                    first = {account->m_strName, key};
                }
                ++nNew;
                if (lines.size() < kBodyMails) {
                    lines.append(
                        Tr(gui::txt::kNotifyLine)
                            .arg(FromCp932(mail->m_strFrom), FromCp932(mail->m_strSubject)));
                }
            }
        }
    }
    m_seen = std::move(seen);
    if (nNew > kBodyMails) {
        lines.append(Tr(gui::txt::kNotifyMore).arg(nNew - kBodyMails));
    }
    if (nNew > 0 && options::GetNotify() != 0) {
        m_strFirstAccount = first.first;
        m_strFirstKey = first.second;
        Send({QString::asprintf(gui::txt::kNotifySummary, nNew), Escaped(lines.join(u'\n')),
              "email.arrived", nNew == 1, bOwnSound},
             &m_nLastId);
    }
    return nNew;
}

bool CMailNotifier::OnAccountsFailed(const std::vector<std::string>& namesCp932) {
    if (namesCp932.empty() || options::GetNotify() == 0) {
        return false;
    }
    QStringList lines;
    for (const std::string& name : namesCp932) {
        lines.append(Tr(gui::txt::kNotifyFailedLine).arg(FromCp932(name)));
    }
    Send({Tr(gui::txt::kNotifyFailedSummary), Escaped(lines.join(u'\n')), "network.error"},
         &m_nLastFailedId);
    return true;
}

void CMailNotifier::Send(const Notification& notification, uint* lastId) {
    m_queue.push_back({notification, lastId});
    if (m_queue.size() == 1) {
        SendFirst();
    }
}

void CMailNotifier::SendFirst() {
    std::optional<QDBusConnection> bus = gui::SessionBus();
    if (!bus) {
        m_queue.clear();
        return;
    }
    const QDBusMessage ask = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
        QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus->asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<QStringList> reply = *finished;
                finished->deleteLater();
                const QString error = reply.error().name();
                if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
                    error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
                    SendNext(); // no service: this one is not shown
                    return;
                }
                // A service that cannot say gets the notification without the extra action.
                const bool bActions =
                    !reply.isError() && reply.value().contains(QStringLiteral("actions"));
                Notify(bActions);
            });
}

void CMailNotifier::SendNext() {
    m_queue.pop_front();
    if (!m_queue.empty()) {
        SendFirst();
    }
}

void CMailNotifier::Notify(bool bActions) {
    std::optional<QDBusConnection> bus = gui::SessionBus();
    if (!bus) {
        m_queue.clear();
        return;
    }
    const Notification& notification = m_queue.front().notification;
    uint* lastId = m_queue.front().lastId;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    QStringList actions{QString::fromLatin1(kDefaultAction), Tr(gui::txt::kNotifyShowAction)};
    if (bActions && notification.bDeletable) {
        actions << QString::fromLatin1(kDeleteAction) << Tr(gui::txt::kNotifyDeleteAction);
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.orrindale.Tolvane"));
    hints.insert(QStringLiteral("category"), QString::fromLatin1(notification.category));
    if (notification.bOwnSound) {
        hints.insert(QStringLiteral("suppress-sound"), true);
    }
    // The id of the one before is known here: its answer came before this one was sent.
    call << Tr(gui::txt::kProductTitle) << *lastId << QStringLiteral("tolvane")
         << notification.summary << notification.body << actions << hints << kServerTimeout;
    auto* watcher = new QDBusPendingCallWatcher(bus->asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, lastId](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                finished->deleteLater();
                if (!reply.isError()) {
                    *lastId = reply.value();
                    Q_EMIT shown(*lastId);
                }
                SendNext();
            });
}

void CMailNotifier::OnActionInvoked(uint id, const QString& action) {
    if (id == 0) {
        return;
    }
    if (id == m_nLastFailedId && action == QLatin1String(kDefaultAction)) {
        Q_EMIT activated();
    } else if (id == m_nLastId && action == QLatin1String(kDefaultAction)) {
        Q_EMIT activated();
        Q_EMIT mailChosen(m_strFirstAccount, m_strFirstKey);
    } else if (id == m_nLastId && action == QLatin1String(kDeleteAction)) {
        Q_EMIT deleteRequested(m_strFirstAccount, m_strFirstKey);
    }
}

void CMailNotifier::OnActivationToken(uint id, const QString& token) {
    if (id != 0 && (id == m_nLastId || id == m_nLastFailedId)) {
        gui::AcceptActivationToken(token);
    }
}

} // namespace tolvane
