// The Secret Service store against a real gnome-keyring-daemon on the test's private bus:
// store, look up, replace, remove, remove all (other schemas' secrets stay), a locked
// keyring without a prompter, a daemon killed between calls, and no session bus at all.
#include "platform/SecretStore.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/KeyringFixture.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tolvane::test {
namespace {

constexpr int kTimeoutMs = 20000;

const SecretKeys kPop{"ぽっぷ", "mail.example.jp", "taro"};
const SecretKeys kOther{"work", "mail.example.jp", "taro"};

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

    EXPECT_EQ(store.Remove(kPop, kTimeoutMs, nullptr), SECRET_OK);
    EXPECT_EQ(Lookup(kPop, secret), SECRET_NOT_FOUND);
    EXPECT_EQ(store.Remove(kPop, kTimeoutMs, nullptr), SECRET_NOT_FOUND);
    ASSERT_EQ(Lookup(kOther, secret), SECRET_OK);
    EXPECT_EQ(secret, "other");
}

TEST_F(SecretServiceTest, RemoveAllTakesEveryTolvaneSecretAndNothingElse) {
    ASSERT_EQ(store.Store(kPop, CSecureString("one"), kTimeoutMs, nullptr), SECRET_OK);
    ASSERT_EQ(store.Store(kOther, CSecureString("two"), kTimeoutMs, nullptr), SECRET_OK);
    // A secret of another program with the same attribute names.
    const ProcessResult foreign =
        RunProcess("/bin/sh", {"-c", "printf keep | secret-tool store --label=foreign account pop "
                                     "server mail.example.jp user taro"});
    ASSERT_EQ(foreign.status, 0) << foreign.err;

    EXPECT_EQ(RemoveAllTolvaneSecrets(), SECRET_OK);
    std::string secret;
    EXPECT_EQ(Lookup(kPop, secret), SECRET_NOT_FOUND);
    EXPECT_EQ(Lookup(kOther, secret), SECRET_NOT_FOUND);
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

} // namespace
} // namespace tolvane::test
