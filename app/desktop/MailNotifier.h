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
//   the program's icon, and a default action. The calls are asynchronous, one
//   notification at a time and in order: nothing waits for the service, and without a
//   session bus (SessionBus.h: none is ever autolaunched) or a notification service
//   nothing happens. Each new-mail notification replaces the one before (replaces_id),
//   with the hints category "email.arrived", desktop-entry, and suppress-sound when the
//   program plays its own sound (bOwnSound).
// - Actions: the default one, "表示"; and "削除" when the service offers actions
//   (GetCapabilities, asked before each notification) and exactly one new mail is named.
//   The first new mail of the latest notification is the one they are about.
// - OnAccountsFailed, with the accounts that have newly failed a check (CCheckFailures
//   gives each once per failure), sends "受信確認ができませんでした。" naming them, as its
//   own notification (the Notify option on, at least one name).
// - When the user activates the notification, activated() is emitted (the program shows
//   its main window then) and mailChosen names the first new mail; "削除" emits
//   deleteRequested with that mail. An ActivationToken the service sends for our
//   notification is passed on (ActivationToken.h) before the action arrives.
#pragma once

#include "engine/Account.h"

#include <QObject>
#include <QString>

#include <deque>
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
    int OnCheckComplete(const AccountArray& accounts, bool bOwnSound = false);
    // Names CP932; returns whether a notification was sent.
    bool OnAccountsFailed(const std::vector<std::string>& namesCp932);

    // What tells two mails of one account apart from one check to the next.
    static std::string MailKey(const CMail& mail);

Q_SIGNALS:
    void activated();
    // Account name (CP932) and MailKey of the mail the notification is about.
    void mailChosen(const std::string& accountCp932, const std::string& key);
    void deleteRequested(const std::string& accountCp932, const std::string& key);
    // The service has shown a notification under this id.
    void shown(uint id);

private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);
    void OnActivationToken(uint id, const QString& token);

private:
    struct Notification {
        QString summary;
        QString body;
        const char* category = "";
        bool bDeletable = false; // offer "削除" where the service has actions
        bool bOwnSound = false;
    };
    struct Pending {
        Notification notification;
        uint* lastId; // receives the id the service gave (0 before: a new one)
    };
    // One notification at a time, in order: each asks the service what it offers, then
    // sends, replacing the one before under lastId once its id is known.
    void Send(const Notification& notification, uint* lastId);
    void SendFirst();
    void SendNext();
    void Notify(bool bActions);

    std::map<std::string, std::set<std::string>> m_seen; // account name -> mail keys
    uint m_nLastId = 0;                                  // the latest new-mail notification
    uint m_nLastFailedId = 0;                            // the latest failure notification
    std::string m_strFirstAccount;                       // the first new mail announced
    std::string m_strFirstKey;
    std::deque<Pending> m_queue; // the front one is on its way
};

} // namespace tolvane
