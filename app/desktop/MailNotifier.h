// CMailNotifier: one desktop notification after a check that found new mail, through the
// session bus service org.freedesktop.Notifications. Many desktops show no tray, so the
// tray tip alone can go unseen.
//
// - OnCheckComplete looks at every account's mails. A mail is new when it was not among
//   the mails of the previous call and, in a new-mail-only account, the check marked it
//   new; so a mail is announced once, however often the call is repeated for one check.
//   The first call of a run announces what a normal account holds.
// - With the Notify option on and at least one new mail, one notification is sent: the
//   summary "%d通の新着メールがあります。", the first few senders and subjects as its body,
//   the program's icon, and a default action. The call is asynchronous: nothing waits for
//   the service, and without a session bus (SessionBus.h: none is ever autolaunched) or a
//   notification service nothing happens.
// - OnAccountsFailed, with the accounts that have newly failed a check (CCheckFailures
//   gives each once per failure), sends "受信確認ができませんでした。" naming them, as its
//   own notification (the Notify option on, at least one name).
// - When the user activates the notification, activated() is emitted (the program shows
//   its main window then).
#pragma once

#include "engine/Account.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tolvane {

class CMailNotifier final : public QObject {
    Q_OBJECT
public:
    using AccountArray = std::vector<std::unique_ptr<CAccount>>;

    CMailNotifier();

    // Returns the number of new mails found (whether or not a notification was sent).
    int OnCheckComplete(const AccountArray& accounts);
    // Names CP932; returns whether a notification was sent.
    bool OnAccountsFailed(const std::vector<std::string>& namesCp932);

Q_SIGNALS:
    void activated();
    // The service has shown a notification under this id.
    void shown(uint id);

private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);

private:
    // replacesId 0: a new notification; lastId receives the id the service gave it.
    void Send(const QString& summary, const QString& body, const char* category, uint replacesId,
              uint* lastId);

    std::map<std::string, std::set<std::string>> m_seen; // account name -> mail keys
    uint m_nLastId = 0;                                  // the latest new-mail notification
    uint m_nLastFailedId = 0;                            // the latest failure notification
};

} // namespace tolvane
