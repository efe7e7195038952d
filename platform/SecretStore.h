// The desktop's keyring (the Secret Service, through libsecret), where account passwords
// live when the settings file says so. Both programs reach it only through ISecretStore,
// so tests put a store of their own in (SetSecretStore).
//
// Contract:
// - An account's password is found by three attributes, all UTF-8: account (the account's
//   name), server and user; schema kSecretSchema; label "トルヴェイン: ACCOUNT".
// - Its OAuth 2.0 refresh token by account and kind ("refresh-token"), under a schema of its
//   own (kSecretTokenSchema), so that no password lookup ever finds a token; label
//   "トルヴェイン: ACCOUNT (OAuth 2.0)".
// - Every call returns a SECRET_* code and ends within timeoutMs (a prompt left unanswered,
//   a keyring that hangs and a wait for another call included): nothing ever waits longer.
// - error, when given, receives the service's own words (UTF-8) for SECRET_ERROR and a
//   short reason for the other failures; it never holds a secret.
// - Calls block: never call them on the GUI thread. They may come from any other thread;
//   the default store runs one at a time.
// - No session bus (no DBUS_SESSION_BUS_ADDRESS and no $XDG_RUNTIME_DIR/bus socket), a bus
//   that cannot be reached and a bus without the Secret Service are all SECRET_NO_SERVICE:
//   the program goes on without a keyring. A bus is never started for it.
#pragma once

#include "platform/SecureString.h"

#include <string>
#include <utility>

namespace tolvane {

enum SecretResult : int {
    SECRET_OK = 0,
    SECRET_NO_SERVICE = -1, // no session bus, or no Secret Service on it
    SECRET_LOCKED = -2,     // the keyring is locked and stayed locked (prompt dismissed or none)
    SECRET_NOT_FOUND = -3,  // no secret under these attributes
    SECRET_TIMEOUT = -4,    // no answer within the time allowed (an unanswered prompt, a hang)
    SECRET_ERROR = -5,      // anything else; error says what
    SECRET_CANCELLED = -6,  // the caller's cancel event fired (Lookup's cancelFd)
};

inline constexpr char kSecretSchema[] = "org.orrindale.Tolvane.Password";
inline constexpr char kSecretTokenSchema[] = "org.orrindale.Tolvane.Token";
inline constexpr char kSecretKindRefreshToken[] = "refresh-token";
// A call's bound where no account time-out applies (uninstall, tolvane-cli password).
inline constexpr int kSecretTimeoutMs = 60000;

struct SecretKeys {
    SecretKeys() = default;
    SecretKeys(std::string account, std::string server, std::string user,
               std::string kind = std::string())
        : accountUtf8(std::move(account)), serverUtf8(std::move(server)), userUtf8(std::move(user)),
          kindUtf8(std::move(kind)) {}

    std::string accountUtf8;
    std::string serverUtf8;
    std::string userUtf8;
    // Empty for the password; kSecretKindRefreshToken for the token (server and user unused).
    std::string kindUtf8;
    bool operator==(const SecretKeys&) const = default;
};

// "トルヴェイン: ACCOUNT", a token's with " (OAuth 2.0)" (UTF-8).
std::string SecretLabel(const SecretKeys& keys);

class ISecretStore {
public:
    virtual ~ISecretStore() = default;
    // Creates or replaces the secret under keys (in the default collection).
    virtual int Store(const SecretKeys& keys, const CSecureString& secret, int timeoutMs,
                      std::string* error) = 0;
    // secret receives the stored bytes on SECRET_OK and is empty otherwise. cancelFd, when
    // not -1, is an eventfd whose turning readable ends the call (an unlock prompt
    // included) with SECRET_CANCELLED: the login's lookup stops with its account.
    virtual int Lookup(const SecretKeys& keys, CSecureString& secret, int timeoutMs,
                       std::string* error, int cancelFd = -1) = 0;
    // SECRET_NOT_FOUND when there was nothing to remove.
    virtual int Remove(const SecretKeys& keys, int timeoutMs, std::string* error) = 0;
    // Every secret of kSecretSchema and kSecretTokenSchema, whatever its attributes;
    // SECRET_OK also when there was none. Secrets of other schemas stay.
    virtual int RemoveAll(int timeoutMs, std::string* error) = 0;
};

// The store in use: the Secret Service unless a test installed another.
ISecretStore& SecretStore();
// Installs a store (nullptr restores the Secret Service); returns the previous one.
ISecretStore* SetSecretStore(ISecretStore* store);

// What uninstalling does to the keyring: every secret of Tolvane's schemas goes (bounded by
// kSecretTimeoutMs). Blocks; call it off the GUI thread. SECRET_NO_SERVICE means there was
// no keyring to clean.
int RemoveAllTolvaneSecrets(std::string* error = nullptr);

// The Secret Service through libsecret, on a D-Bus connection of its own for each call.
ISecretStore& SecretServiceStore();

} // namespace tolvane
