// The new-mail notification, sent to a fake notification service on a private session
// bus (tests/support/session-bus.conf: no service folders): one notification for new mail, none for
// mail already announced or with the option off, and the default action asking for the
// main window; and the same from the running program after its checks, where the
// notification's "表示" selects the mail it names and "削除" deletes exactly that mail on
// the real server (the private Dovecot), the activation token reaching the window.
#include "app/desktop/MailNotifier.h"

#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/TolvaneDoc.h"
#include "app/maillist/TolvaneView.h"
#include "platform/CodePage.h"
#include "platform/Options.h"
#include "tests/support/DovecotFixture.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestEnv.h"
#include "tests/support/gui/AppTest.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QSignalSpy>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <memory>

namespace tolvane::test {

// The service a desktop runs: records every Notify call and answers with an id.
class FakeNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        uint replacesId;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Call> calls;
    uint nextId = 41;
    QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body")};

public Q_SLOTS:
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int /*timeout*/) {
        calls.append({appName, replacesId, icon, summary, body, actions, hints});
        Q_EMIT called();
        return ++nextId;
    }
    QStringList GetCapabilities() { return capabilities; }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString& actionKey);
    void ActivationToken(uint id, const QString& token);
    void called();
};

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class MailNotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected())
            << "run on the bus of tests/support/session-bus.conf";
        Register();
    }
    void TearDown() override { QDBusConnection::disconnectFromBus(QStringLiteral("fake")); }
    // The service on a connection of its own, as another program would offer it.
    void Register() {
        service =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake"));
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                                           QDBusConnection::ExportAllSlots |
                                               QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    CMail* AddMail(CAccount& account, const char* uidl, const char* fromUtf8,
                   const char* subjectUtf8, uint32_t state) {
        auto mail = std::make_unique<CMail>();
        mail->m_strUidl = uidl;
        mail->m_strFrom = Utf8ToCp932(fromUtf8);
        mail->m_strSubject = Utf8ToCp932(subjectUtf8);
        mail->m_nState = state;
        account.m_mails.push_back(std::move(mail));
        return account.m_mails.back().get();
    }
    CAccount& AddAccount(const char* name, int32_t newOnly) {
        accounts.push_back(std::make_unique<CAccount>(nullptr, nullptr));
        accounts.back()->m_strName = name;
        accounts.back()->m_bNewMailOnly = newOnly;
        return *accounts.back();
    }
    bool WaitForCalls(QSignalSpy& spy, int n) {
        while (spy.count() < n) {
            if (!spy.wait()) {
                return false;
            }
        }
        return true;
    }

    ScopedHome home;
    FakeNotifications fake;
    QDBusConnection service{QString()};
    CMailNotifier::AccountArray accounts;
};

// The bus is the test's own: no service of the machine can be activated on it, so what the
// tests below find (or do not find) is only what they registered themselves.
TEST_F(MailNotifierTest, TheTestBusActivatesNothingInstalledOnTheMachine) {
    const QDBusReply<QStringList> names =
        QDBusConnection::sessionBus().interface()->activatableServiceNames();
    ASSERT_TRUE(names.isValid());
    EXPECT_EQ(names.value(), QStringList{QStringLiteral("org.freedesktop.DBus")});
}

TEST_F(MailNotifierTest, OneNotificationForNewMailAndNoneForMailAlreadyAnnounced) {
    CMailNotifier notifier;
    QSignalSpy called(&fake, &FakeNotifications::called);
    QSignalSpy shown(&notifier, &CMailNotifier::shown);
    CAccount& work = AddAccount("work", 1);
    AddMail(work, "u1", "佐藤 <sato@example.jp>", "会議", MAIL_KNOWN);
    EXPECT_EQ(notifier.OnCheckComplete(accounts), 0); // nothing new: no call

    AddMail(work, "u2", "鈴木 <suzuki@example.jp>", "見積 <至急> & 確認", MAIL_NEW);
    EXPECT_EQ(notifier.OnCheckComplete(accounts), 1);
    EXPECT_EQ(notifier.OnCheckComplete(accounts), 0); // the same check completing again

    ASSERT_TRUE(WaitForCalls(called, 1));
    const FakeNotifications::Call& call = fake.calls.at(0);
    EXPECT_EQ(call.summary, U("1通の新着メールがあります。"));
    EXPECT_EQ(call.body, U("鈴木 &lt;suzuki@example.jp&gt;：見積 &lt;至急&gt; &amp; 確認"));
    EXPECT_EQ(call.appName, U("トルヴェイン"));
    EXPECT_EQ(call.icon, U("tolvane"));
    EXPECT_EQ(call.replacesId, 0u);
    EXPECT_TRUE(call.actions.contains(QStringLiteral("default")));
    ASSERT_TRUE(WaitForCalls(shown, 1));

    // A normal account: what it holds at the first check, then only what arrived since.
    CAccount& home2 = AddAccount("home", 0);
    for (const char* uidl : {"a", "b", "c", "d", "e"}) {
        AddMail(home2, uidl, "from", uidl, MAIL_KNOWN);
    }
    EXPECT_EQ(notifier.OnCheckComplete(accounts), 5);
    ASSERT_TRUE(WaitForCalls(called, 2));
    EXPECT_EQ(fake.calls.at(1).summary, U("5通の新着メールがあります。"));
    EXPECT_EQ(fake.calls.at(1).body, U("from：a\nfrom：b\nfrom：c\nほか2通"));
    EXPECT_EQ(fake.calls.at(1).replacesId, 42u); // the earlier one is replaced
    EXPECT_EQ(fake.calls.size(), 2);
}

// "削除" only where the service has actions and exactly one new mail is named; the hints
// name the category and the program, and silence the service when the program plays its
// own sound.
TEST_F(MailNotifierTest, DeleteIsOfferedForOneNewMailWhereTheServiceHasActions) {
    CMailNotifier notifier;
    QSignalSpy called(&fake, &FakeNotifications::called);
    CAccount& work = AddAccount("work", 1);
    AddMail(work, "u1", "a", "one", MAIL_NEW);
    notifier.OnCheckComplete(accounts, true);
    AddMail(work, "u2", "b", "two", MAIL_NEW);
    AddMail(work, "u3", "c", "three", MAIL_NEW);
    notifier.OnCheckComplete(accounts);
    ASSERT_TRUE(WaitForCalls(called, 2));
    fake.capabilities = {QStringLiteral("body")};
    AddMail(work, "u4", "d", "four", MAIL_NEW);
    notifier.OnCheckComplete(accounts);
    ASSERT_TRUE(WaitForCalls(called, 3));

    const QStringList showAndDelete{QStringLiteral("default"), U("表示"), QStringLiteral("delete"),
                                    U("削除")};
    EXPECT_EQ(fake.calls.at(0).actions, showAndDelete);
    EXPECT_EQ(fake.calls.at(1).actions, (QStringList{QStringLiteral("default"), U("表示")}));
    EXPECT_EQ(fake.calls.at(2).actions, (QStringList{QStringLiteral("default"), U("表示")}));
    const QVariantMap& hints = fake.calls.at(0).hints;
    EXPECT_EQ(hints.value(QStringLiteral("category")).toString(), U("email.arrived"));
    EXPECT_EQ(hints.value(QStringLiteral("desktop-entry")).toString(), U("org.orrindale.Tolvane"));
    EXPECT_TRUE(hints.value(QStringLiteral("suppress-sound")).toBool());
    EXPECT_FALSE(fake.calls.at(1).hints.contains(QStringLiteral("suppress-sound")));
    // Each replaces the one before.
    EXPECT_EQ(fake.calls.at(1).replacesId, 42u);
    EXPECT_EQ(fake.calls.at(2).replacesId, 43u);
}

TEST_F(MailNotifierTest, TheOptionOffSendsNothing) {
    CMailNotifier notifier;
    QSignalSpy called(&fake, &FakeNotifications::called);
    CAccount& work = AddAccount("work", 1);
    AddMail(work, "u1", "a", "first", MAIL_NEW);
    ASSERT_TRUE(options::SetNotify(0));
    EXPECT_EQ(notifier.OnCheckComplete(accounts), 1);
    ASSERT_TRUE(options::SetNotify(1));
    AddMail(work, "u2", "b", "second", MAIL_NEW);
    EXPECT_EQ(notifier.OnCheckComplete(accounts), 1);
    // Calls arrive in order: had the first been sent, it would be first.
    ASSERT_TRUE(WaitForCalls(called, 1));
    EXPECT_EQ(fake.calls.at(0).body, U("b：second"));
}

TEST_F(MailNotifierTest, ActivatingTheNotificationAsksForTheMainWindow) {
    CMailNotifier notifier;
    QSignalSpy called(&fake, &FakeNotifications::called);
    QSignalSpy activated(&notifier, &CMailNotifier::activated);
    QSignalSpy shown(&notifier, &CMailNotifier::shown);
    CAccount& work = AddAccount("work", 1);
    AddMail(work, "u1", "a", "first", MAIL_NEW);
    notifier.OnCheckComplete(accounts);
    ASSERT_TRUE(WaitForCalls(shown, 1));
    EXPECT_EQ(shown.at(0).at(0).toUInt(), 42u);
    // Another program's notification, then another action of ours: not for us.
    Q_EMIT fake.ActionInvoked(7, QStringLiteral("default"));
    Q_EMIT fake.ActionInvoked(42, QStringLiteral("other"));
    Q_EMIT fake.ActionInvoked(42, QStringLiteral("default"));
    ASSERT_TRUE(activated.wait());
    EXPECT_EQ(activated.count(), 1);
}

TEST_F(MailNotifierTest, WithoutAServiceNothingHappensAndLaterCallsStillWork) {
    CMailNotifier notifier;
    QSignalSpy called(&fake, &FakeNotifications::called);
    ASSERT_TRUE(service.unregisterService(QStringLiteral("org.freedesktop.Notifications")));
    CAccount& work = AddAccount("work", 1);
    AddMail(work, "u1", "a", "first", MAIL_NEW);
    EXPECT_EQ(notifier.OnCheckComplete(accounts), 1);
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
    AddMail(work, "u2", "b", "second", MAIL_NEW);
    notifier.OnCheckComplete(accounts);
    ASSERT_TRUE(WaitForCalls(called, 1));
    EXPECT_EQ(fake.calls.size(), 1);
    EXPECT_EQ(fake.calls.at(0).body, U("b：second"));
}

// The running program: a check that finds mail notifies once, a check that finds the same
// mails again does not, the next new mail does; activating shows the hidden main window.
TEST_F(MailNotifierTest, TheProgramNotifiesAfterChecksThatFindNewMail) {
    GuiHome guiHome;
    MessageBoxAnswers boxes;
    FakePop3Server server;
    server.SetMessages({{"u1", MakeMessage({"From: sato@example.jp", "Subject: one"}, {"1"})},
                        {"u2", MakeMessage({"From: kato@example.jp", "Subject: two"}, {"2"})}});
    WriteAccount({.nameUtf8 = "pop", .port = server.Port()});
    RunningApp app;
    ASSERT_TRUE(app.Start());
    QSignalSpy called(&fake, &FakeNotifications::called);
    QSignalSpy shown(&app.Doc()->Notifier(), &CMailNotifier::shown);
    const auto check = [&app] {
        return app.Trigger(gui::ID_CHECK_ALL) && app.WaitForJob(ID_CHECK_COMPLETE);
    };
    ASSERT_TRUE(check());
    ASSERT_TRUE(check());
    server.SetMessages({{"u1", MakeMessage({"From: sato@example.jp", "Subject: one"}, {"1"})},
                        {"u2", MakeMessage({"From: kato@example.jp", "Subject: two"}, {"2"})},
                        {"u3", MakeMessage({"From: ito@example.jp", "Subject: three"}, {"3"})}});
    ASSERT_TRUE(check());
    // Calls arrive in order: one sent after the second check would come second.
    ASSERT_TRUE(WaitForCalls(called, 2));
    EXPECT_EQ(fake.calls.at(0).summary, U("2通の新着メールがあります。"));
    EXPECT_EQ(fake.calls.at(1).summary, U("1通の新着メールがあります。"));
    EXPECT_EQ(fake.calls.at(1).body, U("ito@example.jp：three"));

    ASSERT_TRUE(WaitForCalls(shown, 2));
    app.Frame()->hide(); // as in the tray
    QSignalSpy activated(&app.Doc()->Notifier(), &CMailNotifier::activated);
    Q_EMIT fake.ActionInvoked(shown.at(1).at(0).toUInt(), QStringLiteral("default"));
    ASSERT_TRUE(activated.wait());
    EXPECT_TRUE(app.Frame()->isVisible());
    EXPECT_EQ(fake.calls.size(), 2);
    EXPECT_TRUE(boxes.Shown().empty());
}

// An account that cannot be checked is named once per failure: not again at every check
// while it keeps failing, and again when it fails after a check that succeeded.
TEST_F(MailNotifierTest, TheProgramTellsOfAFailedAccountOncePerFailure) {
    GuiHome guiHome;
    MessageBoxAnswers boxes;
    FakePop3Server server;
    server.SetMessages({{"u1", MakeMessage({"From: sato@example.jp", "Subject: one"}, {"1"})}});
    WriteAccount({.nameUtf8 = "pop", .port = server.Port(), .password = "wrong"});
    RunningApp app;
    ASSERT_TRUE(app.Start());
    QSignalSpy called(&fake, &FakeNotifications::called);
    const auto check = [&app](const char* password) {
        app.Doc()->GetAccount(0)->m_strPassword = password;
        return app.Trigger(gui::ID_CHECK_ALL) && app.WaitForJob(ID_CHECK_COMPLETE);
    };
    for (const char* password : {"wrong", "wrong", "secret", "wrong"}) {
        ASSERT_TRUE(check(password)) << password;
    }
    // In order: the failure, the mail found by the good check, the second failure.
    ASSERT_TRUE(WaitForCalls(called, 3));
    EXPECT_EQ(fake.calls.at(0).summary, U("受信確認ができませんでした。"));
    EXPECT_EQ(fake.calls.at(0).body, U("popを確認できませんでした。"));
    EXPECT_EQ(fake.calls.at(1).summary, U("1通の新着メールがあります。"));
    EXPECT_EQ(fake.calls.at(2).summary, U("受信確認ができませんでした。"));
    EXPECT_EQ(fake.calls.size(), 3);
}

// The running program against the real server: the notification of one new mail; "表示"
// shows the window with that mail selected and the service's activation token passed on;
// "削除" asks the usual question and deletes exactly that mail on the server.
TEST_F(MailNotifierTest, TheNotificationsActionsShowAndDeleteExactlyTheNamedMail) {
    TOLVANE_REQUIRE_DOVECOT();
    GuiHome guiHome;
    MessageBoxAnswers boxes;
    DovecotFixture dovecot;
    dovecot.AddUser("hanako", "himitsu");
    ASSERT_TRUE(dovecot.Start()) << dovecot.Error();
    const auto message = [](const char* subject) {
        return std::string("From: yamada@example.jp\r\nSubject: ") + subject +
               "\r\nDate: Mon, 12 Feb 2024 09:30:00 +0900\r\n\r\nbody\r\n";
    };
    dovecot.Deliver("hanako", message("first"));
    WriteAccount({.nameUtf8 = "work",
                  .port = dovecot.Port(),
                  .user = "hanako",
                  .password = "himitsu",
                  .timeout = 30});
    RunningApp app;
    ASSERT_TRUE(app.Start());
    QSignalSpy shown(&app.Doc()->Notifier(), &CMailNotifier::shown);
    const auto check = [&app] {
        return app.Trigger(gui::ID_CHECK_ALL) && app.WaitForJob(ID_CHECK_COMPLETE);
    };
    ASSERT_TRUE(check());
    dovecot.Deliver("hanako", message("second"));
    dovecot.Deliver("hanako", message("third"));
    ASSERT_TRUE(check());
    dovecot.Deliver("hanako", message("fourth"));
    ASSERT_TRUE(check());
    ASSERT_TRUE(WaitForCalls(shown, 3));
    const uint id = shown.at(2).at(0).toUInt();
    EXPECT_EQ(fake.calls.at(2).body, U("yamada@example.jp：fourth"));
    EXPECT_TRUE(fake.calls.at(2).actions.contains(QStringLiteral("delete")));

    app.Frame()->hide();
    qunsetenv("XDG_ACTIVATION_TOKEN");
    QSignalSpy activated(&app.Doc()->Notifier(), &CMailNotifier::activated);
    Q_EMIT fake.ActivationToken(id, QStringLiteral("token-from-the-service"));
    Q_EMIT fake.ActionInvoked(id, QStringLiteral("default"));
    ASSERT_TRUE(activated.wait());
    EXPECT_TRUE(app.Frame()->isVisible());
    EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArray("token-from-the-service"));
    const std::vector<CMail*> selected = app.List()->SelectedMails();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0]->m_strSubject, "fourth");

    // Another mark set by hand does not ride along.
    app.List()->SelectMail(0);
    app.List()->MarkSelected(gui::CMailListModel::MARK_DELETE);
    Q_EMIT fake.ActionInvoked(id, QStringLiteral("delete"));
    ASSERT_TRUE(app.WaitForJob(ID_DELETE_COMPLETE));
    ASSERT_EQ(boxes.Shown().size(), 1u); // the usual question
    EXPECT_EQ(boxes.Shown()[0].buttons, MsgButtons::OkCancel);
    const std::vector<std::string> mailbox = dovecot.Mailbox("hanako");
    ASSERT_EQ(mailbox.size(), 3u);
    for (const std::string& kept : mailbox) {
        EXPECT_EQ(kept.find("Subject: fourth"), std::string::npos);
    }
    EXPECT_EQ(app.List()->RowCount(), 3);
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

} // namespace
} // namespace tolvane::test

#include "test_mail_notifier_dbus.moc"
