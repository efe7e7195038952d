// The Secret Service store against a real gnome-keyring-daemon on the test's private bus:
// store, look up, replace, remove, remove all (other schemas' secrets stay), a locked
// keyring without a prompter, a daemon killed between calls, and no session bus at all.
#include "platform/SecretStore.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/KeyringFixture.h"
#include "tests/support/TestEnv.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tolvane::test {
namespace {

constexpr int kTimeoutMs = 20000;

const SecretKeys kPop{"ぽっぷ", "mail.example.jp", "taro"};
const SecretKeys kOther{"work", "mail.example.jp", "taro"};
const SecretKeys kPopToken{"ぽっぷ", "", "", kSecretKindRefreshToken};

class SecretServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        TOLVANE_REQUIRE_KEYRING();
        ASSERT_TRUE(keyring.Start()) << keyring.Error() << keyring.Log();
    }

    int Lookup(const SecretKeys& keys, std::string& secret, std::string* error = nullptr) {
        CSecureString value;
        const int code = store.Lookup(keys, value, kTimeoutMs, error);
        secret = std::string(value.View());
        return code;
    }

    ScopedHome home;
    KeyringFixture keyring{home.DataHome()};
    ISecretStore& store = SecretServiceStore();
};

TEST_F(SecretServiceTest, StoresLooksUpReplacesAndRemovesBySchemaAndAttributes) {
    std::string secret;
    EXPECT_EQ(Lookup(kPop, secret), SECRET_NOT_FOUND);
    ASSERT_EQ(store.Store(kPop, CSecureString("é😀 \"pa ss\""), kTimeoutMs, nullptr), SECRET_OK);
    ASSERT_EQ(store.Store(kOther, CSecureString("other"), kTimeoutMs, nullptr), SECRET_OK);
    ASSERT_EQ(Lookup(kPop, secret), SECRET_OK);
    EXPECT_EQ(secret, "é😀 \"pa ss\"");

    // Every attribute counts: another user or server is another secret.
    EXPECT_EQ(Lookup({kPop.accountUtf8, kPop.serverUtf8, "hanako"}, secret), SECRET_NOT_FOUND);
    EXPECT_EQ(Lookup({kPop.accountUtf8, "other.example.jp", kPop.userUtf8}, secret),
              SECRET_NOT_FOUND);

    ASSERT_EQ(store.Store(kPop, CSecureString("new"), kTimeoutMs, nullptr), SECRET_OK);
    ASSERT_EQ(Lookup(kPop, secret), SECRET_OK);
    EXPECT_EQ(secret, "new"); // replaced, not added beside

    // The account's refresh token is a secret of its own: no password lookup finds it.
    ASSERT_EQ(store.Store(kPopToken, CSecureString("refresh"), kTimeoutMs, nullptr), SECRET_OK);
    ASSERT_EQ(Lookup(kPop, secret), SECRET_OK);
    EXPECT_EQ(secret, "new");
    ASSERT_EQ(Lookup(kPopToken, secret), SECRET_OK);
    EXPECT_EQ(secret, "refresh");

    EXPECT_EQ(store.Remove(kPop, kTimeoutMs, nullptr), SECRET_OK);
    EXPECT_EQ(Lookup(kPop, secret), SECRET_NOT_FOUND);
    EXPECT_EQ(Lookup(kPopToken, secret), SECRET_OK);
    EXPECT_EQ(store.Remove(kPopToken, kTimeoutMs, nullptr), SECRET_OK);
    EXPECT_EQ(store.Remove(kPop, kTimeoutMs, nullptr), SECRET_NOT_FOUND);
    ASSERT_EQ(Lookup(kOther, secret), SECRET_OK);
    EXPECT_EQ(secret, "other");
}

TEST_F(SecretServiceTest, RemoveAllTakesEveryTolvaneSecretAndNothingElse) {
    ASSERT_EQ(store.Store(kPop, CSecureString("one"), kTimeoutMs, nullptr), SECRET_OK);
    ASSERT_EQ(store.Store(kOther, CSecureString("two"), kTimeoutMs, nullptr), SECRET_OK);
    ASSERT_EQ(store.Store(kPopToken, CSecureString("three"), kTimeoutMs, nullptr), SECRET_OK);
    // A secret of another program with the same attribute names.
    const ProcessResult foreign =
        RunProcess("/bin/sh", {"-c", "printf keep | secret-tool store --label=foreign account pop "
                                     "server mail.example.jp user taro"});
    ASSERT_EQ(foreign.status, 0) << foreign.err;

    EXPECT_EQ(RemoveAllTolvaneSecrets(), SECRET_OK);
    std::string secret;
    EXPECT_EQ(Lookup(kPop, secret), SECRET_NOT_FOUND);
    EXPECT_EQ(Lookup(kOther, secret), SECRET_NOT_FOUND);
    EXPECT_EQ(Lookup(kPopToken, secret), SECRET_NOT_FOUND);
    const ProcessResult kept = RunProcess(
        "/usr/bin/secret-tool", {"lookup", "account", "pop", "server", "mail.example.jp"});
    EXPECT_EQ(kept.out, "keep");
    EXPECT_EQ(RemoveAllTolvaneSecrets(), SECRET_OK); // nothing left is no failure
}

TEST_F(SecretServiceTest, LockedKeyringWithoutAPrompterFailsAsLocked) {
    ASSERT_EQ(store.Store(kPop, CSecureString("secret"), kTimeoutMs, nullptr), SECRET_OK);
    ASSERT_TRUE(keyring.Lock()) << keyring.Error();
    std::string secret;
    std::string error;
    EXPECT_EQ(Lookup(kPop, secret, &error), SECRET_LOCKED) << error;
    EXPECT_EQ(secret, "");
    EXPECT_EQ(store.Store(kPop, CSecureString("changed"), kTimeoutMs, &error), SECRET_LOCKED)
        << error;
}

TEST_F(SecretServiceTest, KilledDaemonIsNoServiceAndANewOneServesAgain) {
    ASSERT_EQ(store.Store(kPop, CSecureString("secret"), kTimeoutMs, nullptr), SECRET_OK);
    ASSERT_TRUE(keyring.Kill()) << keyring.Error();
    std::string secret;
    std::string error;
    EXPECT_EQ(Lookup(kPop, secret, &error), SECRET_NO_SERVICE) << error;
    EXPECT_EQ(store.Store(kPop, CSecureString("x"), kTimeoutMs, nullptr), SECRET_NO_SERVICE);

    // The keyring file keeps the secret; the restarted daemon unlocks it with its password.
    ASSERT_TRUE(keyring.Start()) << keyring.Error();
    ASSERT_EQ(Lookup(kPop, secret, &error), SECRET_OK) << error;
    EXPECT_EQ(secret, "secret");
}

TEST_F(SecretServiceTest, NoSessionBusIsNoService) {
    TempDir runtime; // no bus socket in it
    ScopedVariable noAddress("DBUS_SESSION_BUS_ADDRESS", nullptr);
    ScopedVariable runtimeDir("XDG_RUNTIME_DIR", runtime.Path().c_str());
    std::string secret;
    std::string error;
    EXPECT_EQ(Lookup(kPop, secret, &error), SECRET_NO_SERVICE);
    EXPECT_EQ(error, "セッションバスがありません");
    EXPECT_EQ(store.Store(kPop, CSecureString("x"), kTimeoutMs, nullptr), SECRET_NO_SERVICE);
    EXPECT_EQ(RemoveAllTolvaneSecrets(), SECRET_NO_SERVICE);
    {
        ScopedVariable nowhere("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        EXPECT_EQ(Lookup(kPop, secret), SECRET_NO_SERVICE);
    }
}

// A service that takes the Secret Service's name and never answers (its calls wait on a
// context nobody runs): every call still ends at its deadline, and at once on a cancel.
class HangingService {
public:
    HangingService() {
        GError* error = nullptr;
        m_bus = g_dbus_connection_new_for_address_sync(
            std::getenv("DBUS_SESSION_BUS_ADDRESS"),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        if (m_bus == nullptr) {
            ADD_FAILURE() << error->message;
            g_error_free(error);
            return;
        }
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
            "<node><interface name='org.freedesktop.Secret.Service'>"
            "<method name='OpenSession'><arg type='s' direction='in'/>"
            "<arg type='v' direction='in'/><arg type='v' direction='out'/>"
            "<arg type='o' direction='out'/></method></interface></node>",
            nullptr);
        static const GDBusInterfaceVTable vtable = {[](GDBusConnection*, const gchar*, const gchar*,
                                                       const gchar*, const gchar*, GVariant*,
                                                       GDBusMethodInvocation*, gpointer) {},
                                                    nullptr,
                                                    nullptr,
                                                    {}};
        g_main_context_push_thread_default(m_silent); // where its calls would be answered
        m_object = g_dbus_connection_register_object(m_bus, "/org/freedesktop/secrets",
                                                     node->interfaces[0], &vtable, nullptr, nullptr,
                                                     nullptr);
        g_main_context_pop_thread_default(m_silent);
        g_dbus_node_info_unref(node);
        GVariant* reply = g_dbus_connection_call_sync(
            m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", "org.freedesktop.secrets", 4u),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
        if (reply == nullptr) {
            ADD_FAILURE() << error->message;
            g_error_free(error);
            return;
        }
        g_variant_unref(reply);
    }
    ~HangingService() {
        if (m_bus != nullptr) {
            g_dbus_connection_unregister_object(m_bus, m_object);
            g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
            g_object_unref(m_bus);
        }
        g_main_context_unref(m_silent);
    }
    HangingService(const HangingService&) = delete;
    HangingService& operator=(const HangingService&) = delete;

private:
    GMainContext* m_silent = g_main_context_new();
    GDBusConnection* m_bus = nullptr;
    guint m_object = 0;
};

TEST(SecretServiceBounds, ASilentServiceTimesOutAndACancelEndsTheWait) {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        GTEST_SKIP() << "no test bus";
    }
    HangingService silent;
    ISecretStore& store = SecretServiceStore();
    CSecureString secret;
    std::string error;
    EXPECT_EQ(store.Lookup(kPop, secret, 300, &error), SECRET_TIMEOUT) << error;
    EXPECT_EQ(store.Store(kPop, CSecureString("x"), 300, &error), SECRET_TIMEOUT) << error;

    const int cancel = ::eventfd(1, EFD_CLOEXEC); // readable from the start: already asked
    EXPECT_EQ(store.Lookup(kPop, secret, 60000, &error, cancel), SECRET_CANCELLED);
    ::close(cancel);
}

} // namespace
} // namespace tolvane::test
