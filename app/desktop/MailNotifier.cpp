#include "app/desktop/MailNotifier.h"

#include "app/GuiTexts.h"
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
// The body names this many mails; the rest are counted.
constexpr int kBodyMails = 3;
// The server decides how long the notification stays.
constexpr int kServerTimeout = -1;

// What tells two mails of one account apart from one check to the next.
std::string MailKey(const CMail& mail) {
    if (!mail.m_strUidl.empty()) {
        return mail.m_strUidl;
    }
    return mail.m_strFrom + '\n' + mail.m_strSubject + '\n' + mail.m_strDate;
}

// Notification servers may read the body as markup.
QString Escaped(const QString& text) {
    QString escaped = text;
    escaped.replace(u'&', QStringLiteral("&amp;"));
    escaped.replace(u'<', QStringLiteral("&lt;"));
    escaped.replace(u'>', QStringLiteral("&gt;"));
    return escaped;
}

} // namespace

CMailNotifier::CMailNotifier() {
    if (std::optional<QDBusConnection> bus = gui::SessionBus()) {
        bus->connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                     QString::fromLatin1(kInterface), QStringLiteral("ActionInvoked"), this,
                     SLOT(OnActionInvoked(uint, QString)));
    }
}

int CMailNotifier::OnCheckComplete(const AccountArray& accounts) {
    std::map<std::string, std::set<std::string>> seen;
    QStringList lines;
    int nNew = 0;
    for (const auto& account : accounts) {
        const std::set<std::string>& before = m_seen[account->m_strName];
        std::set<std::string>& now = seen[account->m_strName];
        for (const auto& mail : account->m_mails) {
            const std::string key = MailKey(*mail);
            now.insert(key);
            const bool bMarkedNew = account->m_bNewMailOnly == 0 || mail->m_nState == MAIL_NEW;
            if (bMarkedNew && before.count(key) == 0) {
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
        Send(QString::asprintf(gui::txt::kNotifySummary, nNew), Escaped(lines.join(u'\n')),
             "email.arrived", m_nLastId, &m_nLastId);
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
    Send(Tr(gui::txt::kNotifyFailedSummary), Escaped(lines.join(u'\n')), "network.error",
         m_nLastFailedId, &m_nLastFailedId);
    return true;
}

void CMailNotifier::Send(const QString& summary, const QString& body, const char* category,
                         uint replacesId, uint* lastId) {
    std::optional<QDBusConnection> bus = gui::SessionBus();
    if (!bus) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    const QStringList actions{QString::fromLatin1(kDefaultAction), Tr(gui::txt::kNotifyShowAction)};
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.orrindale.Tolvane"));
    hints.insert(QStringLiteral("category"), QString::fromLatin1(category));
    call << Tr(gui::txt::kProductTitle) << replacesId << QStringLiteral("tolvane") << summary
         << body << actions << hints << kServerTimeout;
    auto* watcher = new QDBusPendingCallWatcher(bus->asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, lastId](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (!reply.isError()) {
                    *lastId = reply.value();
                    Q_EMIT shown(*lastId);
                }
                finished->deleteLater();
            });
}

void CMailNotifier::OnActionInvoked(uint id, const QString& action) {
    if (id != 0 && (id == m_nLastId || id == m_nLastFailedId) &&
        action == QLatin1String(kDefaultAction)) {
        Q_EMIT activated();
    }
}

} // namespace tolvane
