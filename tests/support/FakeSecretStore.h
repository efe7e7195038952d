// An in-memory keyring for the unit tests, installed as the secret store for its lifetime.
// The test sets how it answers (open, locked, gone, hanging until the call's time-out, or
// reading back other bytes than stored) and may have it change after a number of calls
// (a keyring that vanishes in the middle of a run). Every call is recorded.
#pragma once

#include "platform/SecretStore.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace tolvane::test {

class FakeSecretStore final : public ISecretStore {
public:
    enum class State { Open, Locked, Gone, Silent, Corrupting };

    FakeSecretStore();
    ~FakeSecretStore() override;
    FakeSecretStore(const FakeSecretStore&) = delete;
    FakeSecretStore& operator=(const FakeSecretStore&) = delete;

    void SetState(State state);
    // After that many more calls, the state becomes later.
    void ChangeAfter(int calls, State later);
    void Put(const SecretKeys& keys, const std::string& secret);
    std::optional<std::string> Secret(const SecretKeys& keys) const;
    size_t Size() const;
    // "Store", "Lookup", "Remove", "RemoveAll" with the account, in order.
    std::vector<std::string> Calls() const;

    int Store(const SecretKeys& keys, const CSecureString& secret, int timeoutMs,
              std::string* error) override;
    int Lookup(const SecretKeys& keys, CSecureString& secret, int timeoutMs, std::string* error,
               int cancelFd) override;
    int Remove(const SecretKeys& keys, int timeoutMs, std::string* error) override;
    int RemoveAll(int timeoutMs, std::string* error) override;

private:
    using Key = std::tuple<std::string, std::string, std::string, std::string>;
    static Key KeyOf(const SecretKeys& keys) {
        return {keys.accountUtf8, keys.serverUtf8, keys.userUtf8, keys.kindUtf8};
    }
    // The state this call meets (counting it); SECRET_OK or the failure it makes.
    int Meet(const char* call, const SecretKeys* keys, std::string* error);

    mutable std::mutex m_mutex;
    std::map<Key, std::string> m_secrets;
    std::vector<std::string> m_calls;
    State m_state = State::Open;
    int m_nCallsBeforeChange = -1;
    State m_later = State::Open;
    ISecretStore* m_previous = nullptr;
};

} // namespace tolvane::test
