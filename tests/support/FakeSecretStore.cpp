#include "tests/support/FakeSecretStore.h"

namespace tolvane::test {

FakeSecretStore::FakeSecretStore() {
    m_previous = SetSecretStore(this);
}

FakeSecretStore::~FakeSecretStore() {
    SetSecretStore(m_previous);
}

void FakeSecretStore::SetState(State state) {
    std::lock_guard lock(m_mutex);
    m_state = state;
}

void FakeSecretStore::ChangeAfter(int calls, State later) {
    std::lock_guard lock(m_mutex);
    m_nCallsBeforeChange = calls;
    m_later = later;
}

void FakeSecretStore::Put(const SecretKeys& keys, const std::string& secret) {
    std::lock_guard lock(m_mutex);
    m_secrets[KeyOf(keys)] = secret;
}

std::optional<std::string> FakeSecretStore::Secret(const SecretKeys& keys) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_secrets.find(KeyOf(keys));
    if (found == m_secrets.end()) {
        return std::nullopt;
    }
    return found->second;
}

size_t FakeSecretStore::Size() const {
    std::lock_guard lock(m_mutex);
    return m_secrets.size();
}

std::vector<std::string> FakeSecretStore::Calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

int FakeSecretStore::Meet(const char* call, const SecretKeys* keys, std::string* error) {
    m_calls.push_back(std::string(call) + (keys != nullptr ? " " + keys->accountUtf8 : ""));
    if (m_nCallsBeforeChange == 0) {
        m_state = m_later;
        m_nCallsBeforeChange = -1;
    } else if (m_nCallsBeforeChange > 0) {
        --m_nCallsBeforeChange;
    }
    const auto fail = [error](int code, const char* words) {
        if (error != nullptr) {
            *error = words;
        }
        return code;
    };
    switch (m_state) {
    case State::Locked:
        return fail(SECRET_LOCKED, "locked");
    case State::Gone:
        return fail(SECRET_NO_SERVICE, "The name org.freedesktop.secrets was not provided");
    case State::Silent:
        return fail(SECRET_TIMEOUT, "no answer");
    default:
        return SECRET_OK;
    }
}

int FakeSecretStore::Store(const SecretKeys& keys, const CSecureString& secret, int /*timeoutMs*/,
                           std::string* error) {
    std::lock_guard lock(m_mutex);
    const int code = Meet("Store", &keys, error);
    if (code == SECRET_OK) {
        m_secrets[KeyOf(keys)] = std::string(secret.View());
        if (m_state == State::Corrupting) {
            m_secrets[KeyOf(keys)] += "?"; // what a broken keyring gives back
        }
    }
    return code;
}

int FakeSecretStore::Lookup(const SecretKeys& keys, CSecureString& secret, int /*timeoutMs*/,
                            std::string* error, int /*cancelFd*/) {
    std::lock_guard lock(m_mutex);
    secret.Clear();
    const int code = Meet("Lookup", &keys, error);
    if (code != SECRET_OK) {
        return code;
    }
    const auto found = m_secrets.find(KeyOf(keys));
    if (found == m_secrets.end()) {
        if (error != nullptr) {
            *error = "not found";
        }
        return SECRET_NOT_FOUND;
    }
    secret.Append(found->second);
    return SECRET_OK;
}

int FakeSecretStore::Remove(const SecretKeys& keys, int /*timeoutMs*/, std::string* error) {
    std::lock_guard lock(m_mutex);
    const int code = Meet("Remove", &keys, error);
    if (code != SECRET_OK) {
        return code;
    }
    return m_secrets.erase(KeyOf(keys)) != 0 ? SECRET_OK : SECRET_NOT_FOUND;
}

int FakeSecretStore::RemoveAll(int /*timeoutMs*/, std::string* error) {
    std::lock_guard lock(m_mutex);
    const int code = Meet("RemoveAll", nullptr, error);
    if (code == SECRET_OK) {
        m_secrets.clear();
    }
    return code;
}

} // namespace tolvane::test
