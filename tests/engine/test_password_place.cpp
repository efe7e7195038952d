// Where the account dialog and tolvane-cli password put a password (ApplyPasswordEdit) and
// how a secret follows a renamed or removed account, against a fake keyring: the secret is
// in its new place before it leaves its old one, and a keyring failure changes nothing.
#include "engine/PasswordPlace.h"

#include "engine/JobTexts.h"
#include "tests/support/FakeSecretStore.h"

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

using State = FakeSecretStore::State;

const SecretKeys kOld{"pop", "mail.example.jp", "taro"};
const SecretKeys kNew{"pop2", "mail.example.jp", "taro"};
constexpr int kTimeoutMs = 1000;

struct EditCase {
    const char* name;
    State state;
    bool inKeyringBefore; // the old secret exists and PasswordStore was 1
    int32_t wanted;
    bool typed;
    // Expected:
    int code;
    int32_t store;
    std::string filePassword; // "" when the file keeps no password
    std::optional<std::string> oldSecret, newSecret;
};

class PasswordEdits : public ::testing::TestWithParam<EditCase> {
protected:
    FakeSecretStore keyring;
};

TEST_P(PasswordEdits, PutThePasswordWhereAsked) {
    const EditCase& c = GetParam();
    if (c.inKeyringBefore) {
        keyring.Put(kOld, "old");
    }
    keyring.SetState(c.state);
    const CSecureString typed("typed");
    PasswordEdit edit;
    edit.before = kOld;
    edit.nStoreBefore = c.inKeyringBefore ? PASSWORD_IN_KEYRING : PASSWORD_IN_FILE;
    edit.after = kNew;
    edit.nStoreWanted = c.wanted;
    edit.typed = c.typed ? &typed : nullptr;
    const PasswordEditResult result = ApplyPasswordEdit(edit, kTimeoutMs);

    EXPECT_EQ(result.code, c.code) << result.error;
    EXPECT_EQ(result.nStore, c.store);
    EXPECT_EQ(result.bFilePassword, !c.filePassword.empty());
    EXPECT_EQ(std::string(result.filePassword.View()), c.filePassword);
    keyring.SetState(State::Open);
    EXPECT_EQ(keyring.Secret(kOld), c.oldSecret);
    EXPECT_EQ(keyring.Secret(kNew), c.newSecret);
}

const auto kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    PasswordPlace, PasswordEdits,
    ::testing::Values(
        // A new or changed password goes to the keyring where one answers, else the file.
        EditCase{"TypedIntoKeyring", State::Open, false, PASSWORD_IN_KEYRING, true, SECRET_OK,
                 PASSWORD_IN_KEYRING, "", kNone, "typed"},
        EditCase{"TypedWithoutKeyringGoesToTheFile", State::Gone, false, PASSWORD_IN_KEYRING, true,
                 SECRET_NO_SERVICE, PASSWORD_IN_FILE, "typed", kNone, kNone},
        EditCase{"TypedIntoALockedKeyringChangesNothing", State::Locked, true, PASSWORD_IN_KEYRING,
                 true, SECRET_LOCKED, PASSWORD_IN_KEYRING, "", "old", kNone},
        EditCase{"RetypedUnderNewKeysReplacesTheOldSecret", State::Open, true, PASSWORD_IN_KEYRING,
                 true, SECRET_OK, PASSWORD_IN_KEYRING, "", kNone, "typed"},
        // A rename (or new server or user) without a new password moves the secret.
        EditCase{"RenameMovesTheSecret", State::Open, true, PASSWORD_IN_KEYRING, false, SECRET_OK,
                 PASSWORD_IN_KEYRING, "", kNone, "old"},
        EditCase{"RenameWithTheKeyringGoneKeepsItWhereItWas", State::Gone, true,
                 PASSWORD_IN_KEYRING, false, SECRET_NO_SERVICE, PASSWORD_IN_KEYRING, "", "old",
                 kNone},
        EditCase{"KeyringWantedWithoutAnyPassword", State::Open, false, PASSWORD_IN_KEYRING, false,
                 SECRET_ERROR, PASSWORD_IN_FILE, "", kNone, kNone},
        // Back to the file: the typed password, or the one the keyring held.
        EditCase{"KeyringSecretBackToTheFile", State::Open, true, PASSWORD_IN_FILE, false,
                 SECRET_OK, PASSWORD_IN_FILE, "old", kNone, kNone},
        EditCase{"TypedIntoTheFile", State::Open, true, PASSWORD_IN_FILE, true, SECRET_OK,
                 PASSWORD_IN_FILE, "typed", kNone, kNone},
        EditCase{"LockedSecretStaysWhenTheFileIsWanted", State::Locked, true, PASSWORD_IN_FILE,
                 false, SECRET_LOCKED, PASSWORD_IN_KEYRING, "", "old", kNone},
        // A command needs no secret of ours.
        EditCase{"CommandDropsTheSecret", State::Open, true, PASSWORD_BY_COMMAND, false, SECRET_OK,
                 PASSWORD_BY_COMMAND, "", kNone, kNone}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(PasswordPlace, StoredSecretMustReadBackTheSame) {
    FakeSecretStore keyring;
    std::string error;
    EXPECT_EQ(StoreVerifiedSecret(kOld, CSecureString("pw"), kTimeoutMs, &error), SECRET_OK);
    keyring.SetState(State::Corrupting);
    EXPECT_EQ(StoreVerifiedSecret(kOld, CSecureString("pw"), kTimeoutMs, &error), SECRET_ERROR);
    EXPECT_EQ(error, txt::kSecretMismatch);
}

TEST(PasswordPlace, RemovedAccountTakesItsSecretWithIt) {
    FakeSecretStore keyring;
    keyring.Put(kOld, "old");
    keyring.Put(kNew, "other");
    EXPECT_EQ(RemoveSecret(kOld, kTimeoutMs, nullptr), SECRET_OK);
    EXPECT_EQ(keyring.Secret(kOld), std::nullopt);
    EXPECT_EQ(keyring.Secret(kNew), "other");
    EXPECT_EQ(RemoveSecret(kOld, kTimeoutMs, nullptr), SECRET_NOT_FOUND);
}

} // namespace
} // namespace tolvane::test
