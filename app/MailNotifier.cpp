#include "app/MailNotifier.h"

#include "app/GuiTexts.h"
#include "app/QtText.h"
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
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath),
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
        Send(nNew, Escaped(lines.join(u'\n')));
    }
    return nNew;
}

void CMailNotifier::Send(int nNew, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    const QStringList actions{QString::fromLatin1(kDefaultAction), Tr(gui::txt::kNotifyShowAction)};
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.orrindale.Tolvane"));
    hints.insert(QStringLiteral("category"), QStringLiteral("email.arrived"));
    call << Tr(gui::txt::kProductTitle) << m_nLastId << QStringLiteral("tolvane")
         << QString::asprintf(gui::txt::kNotifySummary, nNew) << body << actions << hints
         << kServerTimeout;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (!reply.isError()) {
                    m_nLastId = reply.value();
                    Q_EMIT shown(m_nLastId);
                }
                finished->deleteLater();
            });
}

void CMailNotifier::OnActionInvoked(uint id, const QString& action) {
    if (id != 0 && id == m_nLastId && action == QLatin1String(kDefaultAction)) {
        Q_EMIT activated();
    }
}

} // namespace tolvane
