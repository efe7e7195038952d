// The tray icon as a StatusNotifierItem, on a private session bus (tests/CMakeLists.txt runs the
// test on a bus of tests/support/session-bus.conf, without service folders) with a fake
// StatusNotifierWatcher that the test registers itself and that reads the item as a panel would:
// the item registers whether the watcher comes before or after the program and again when the
// watcher comes back; the panel sees the count in its tool tip and a new icon with each state; its
// click shows the window, with the activation token it handed over.
#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/TolvaneDoc.h"
#include "app/TrayIcon.h"
#include "app/desktop/StatusNotifierAdaptor.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/TestEnv.h"
#include "tests/support/gui/AppTest.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace tolvane::test {

// The watcher a panel runs: records every item that registers (with its sender).
class FakeStatusNotifierWatcher final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
public:
    struct Registration {
        QString serviceOrPath;
        QString sender;
    };
    QList<Registration> registrations;

    bool IsHostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& serviceOrPath) {
        registrations.append({serviceOrPath, message().service()});
        Q_EMIT registered();
    }
    void RegisterStatusNotifierHost(const QString& /*service*/) {}

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& service);
    void registered();
};

namespace {

constexpr char kWatcher[] = "org.kde.StatusNotifierWatcher";

class TrayDbusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected())
            << "run on the bus of tests/support/session-bus.conf";
        // No X11 tray: the item is the only tray there is.
        gui::CTrayIcon::SetTrayProbe([] { return false; });
        panel = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("panel"));
        ASSERT_TRUE(panel.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                         QDBusConnection::ExportAllSlots |
                                             QDBusConnection::ExportAllSignals |
                                             QDBusConnection::ExportAllProperties));
    }
    void TearDown() override {
        gui::CTrayIcon::SetTrayProbe(nullptr);
        QDBusConnection::disconnectFromBus(QStringLiteral("panel"));
    }
    bool StartWatcher() { return panel.registerService(QString::fromLatin1(kWatcher)); }
    bool StopWatcher() { return panel.unregisterService(QString::fromLatin1(kWatcher)); }
    bool WaitForRegistrations(int n) {
        QSignalSpy spy(&watcher, &FakeStatusNotifierWatcher::registered);
        while (watcher.registrations.size() < n) {
            if (!spy.wait()) {
                return false;
            }
        }
        return true;
    }
    static bool WaitForTray(RunningApp& app, bool bAvailable) {
        gui::CTrayIcon& tray = app.Frame()->Tray();
        return QTest::qWaitFor([&] { return tray.IsAvailable() == bAvailable; });
    }
    // A call to the item as the panel makes it; the answer arrives while the program runs.
    QDBusMessage CallItem(const QString& interface, const QString& method,
                          const QVariantList& arguments) {
        const Registration& item = watcher.registrations.back();
        QDBusMessage call = QDBusMessage::createMethodCall(
            item.serviceOrPath, QStringLiteral("/StatusNotifierItem"), interface, method);
        call.setArguments(arguments);
        QDBusPendingCallWatcher pending(panel.asyncCall(call));
        QSignalSpy finished(&pending, &QDBusPendingCallWatcher::finished);
        if (!pending.isFinished()) {
            finished.wait();
        }
        return pending.reply();
    }
    template <typename T> T Property(const char* name) {
        const QDBusMessage reply =
            CallItem(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                     {QStringLiteral("org.kde.StatusNotifierItem"), QString::fromLatin1(name)});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        T value{};
        if (!reply.arguments().isEmpty()) {
            const QVariant variant = reply.arguments().at(0).value<QDBusVariant>().variant();
            if (variant.canConvert<QDBusArgument>()) {
                variant.value<QDBusArgument>() >> value;
            } else {
                value = variant.value<T>();
            }
        }
        return value;
    }
    QByteArray IconBytes() {
        QByteArray bytes;
        for (const gui::SniPixmap& pixmap : Property<gui::SniPixmaps>("IconPixmap")) {
            bytes += QByteArray::number(pixmap.nWidth) + pixmap.bytes;
        }
        return bytes;
    }
    using Registration = FakeStatusNotifierWatcher::Registration;

    GuiHome home;
    MessageBoxAnswers boxes;
    FakeStatusNotifierWatcher watcher;
    QDBusConnection panel{QString()};
};

TEST_F(TrayDbusTest, AWatcherThereBeforeTheProgramHoldsItsItemWithTheCountAndEachState) {
    gui::CStatusNotifierAdaptor::RegisterTypes();
    FakePop3Server server;
    server.SetMessages({{"u1", MakeMessage({"From: sato@example.jp", "Subject: one"}, {"1"})},
                        {"u2", MakeMessage({"From: kato@example.jp", "Subject: two"}, {"2"})}});
    WriteAccount({.nameUtf8 = "pop", .port = server.Port()});
    ASSERT_TRUE(StartWatcher());
    RunningApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(WaitForRegistrations(1));
    EXPECT_EQ(watcher.registrations.at(0).serviceOrPath, watcher.registrations.at(0).sender);
    ASSERT_TRUE(WaitForTray(app, true));

    EXPECT_EQ(Property<QString>("Category"), QStringLiteral("Communications"));
    const gui::SniToolTip before = Property<gui::SniToolTip>("ToolTip");
    EXPECT_EQ(before.strText, QString::fromUtf8("受信メールはありません。"));
    EXPECT_EQ(before.strTitle, QString::fromUtf8("トルヴェイン"));
    const QByteArray noMail = IconBytes();
    ASSERT_FALSE(noMail.isEmpty());

    // A check from the hidden window finds two new mails.
    app.Frame()->hide();
    ASSERT_TRUE(app.Trigger(gui::ID_CHECK_ALL) && app.WaitForJob(ID_CHECK_COMPLETE));
    EXPECT_EQ(Property<gui::SniToolTip>("ToolTip").strText,
              QString::fromUtf8("2通の受信メールがあります。"));
    EXPECT_EQ(Property<QString>("Status"), QStringLiteral("NeedsAttention"));
    const QByteArray newMail = IconBytes();
    EXPECT_NE(newMail, noMail);

    // Looked at: the mails wait, no longer new.
    app.Frame()->ShowFromAnotherStart();
    EXPECT_EQ(Property<QString>("Status"), QStringLiteral("Active"));
    const QByteArray waiting = IconBytes();
    EXPECT_NE(waiting, newMail);
    EXPECT_NE(waiting, noMail);

    // A failing account adds its badge.
    app.Doc()->GetAccount(0)->m_strPassword = "wrong";
    ASSERT_TRUE(app.Trigger(gui::ID_CHECK_ALL) && app.WaitForJob(ID_CHECK_COMPLETE));
    EXPECT_TRUE(app.Frame()->Tray().Look().bFailed);
    const QByteArray failed = IconBytes();
    EXPECT_NE(failed, waiting);
    EXPECT_EQ(watcher.registrations.size(), 1);
}

TEST_F(TrayDbusTest, AWatcherAfterTheProgramGetsTheItemAndAgainWhenItComesBack) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    ProcessEvents();
    EXPECT_FALSE(app.Frame()->Tray().IsAvailable()); // no tray of any kind yet
    app.Frame()->showMinimized();
    ProcessEvents();
    EXPECT_FALSE(app.Frame()->isHidden()); // without a tray it stays on the task bar

    ASSERT_TRUE(StartWatcher()); // the panel starts after the program
    ASSERT_TRUE(WaitForRegistrations(1));
    ASSERT_TRUE(WaitForTray(app, true));
    EXPECT_TRUE(QTest::qWaitFor([&] { return app.Frame()->isHidden(); })); // now in the tray

    ASSERT_TRUE(StopWatcher()); // the panel ends (a restart of the desktop shell)
    ASSERT_TRUE(WaitForTray(app, false));
    EXPECT_TRUE(app.Frame()->isMinimized() && app.Frame()->isVisible()); // reachable again

    ASSERT_TRUE(StartWatcher());
    ASSERT_TRUE(WaitForRegistrations(2));
    EXPECT_EQ(watcher.registrations.at(1).sender, watcher.registrations.at(0).sender);
    ASSERT_TRUE(WaitForTray(app, true));
}

TEST_F(TrayDbusTest, AClickOnTheItemShowsOrHidesTheWindowWithThePanelsToken) {
    ASSERT_TRUE(StartWatcher());
    RunningApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(WaitForRegistrations(1));
    ASSERT_TRUE(WaitForTray(app, true));
    app.Frame()->hide();
    qunsetenv("XDG_ACTIVATION_TOKEN");

    const QString item = QStringLiteral("org.kde.StatusNotifierItem");
    // A token with a control character is not passed on; a well-formed one is.
    CallItem(item, QStringLiteral("ProvideXdgActivationToken"), {QStringLiteral("bad\ntoken")});
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));
    CallItem(item, QStringLiteral("ProvideXdgActivationToken"), {QStringLiteral("tok-123_x")});
    EXPECT_EQ(CallItem(item, QStringLiteral("Activate"), {0, 0}).type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.Frame()->isVisible(); }));
    EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), QByteArray("tok-123_x"));

    CallItem(item, QStringLiteral("Activate"), {0, 0});
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.Frame()->isHidden(); }));
    EXPECT_TRUE(boxes.Shown().empty());
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

} // namespace
} // namespace tolvane::test

#include "test_tray_dbus.moc"
