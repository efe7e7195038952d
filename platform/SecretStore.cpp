#include "platform/SecretStore.h"

#include <atomic>

namespace tolvane {

namespace {

std::atomic<ISecretStore*> g_store{nullptr};

} // namespace

std::string SecretLabel(const SecretKeys& keys) {
    return "トルヴェイン: " + keys.accountUtf8;
}

ISecretStore& SecretStore() {
    ISecretStore* store = g_store.load();
    return store != nullptr ? *store : SecretServiceStore();
}

ISecretStore* SetSecretStore(ISecretStore* store) {
    return g_store.exchange(store);
}

int RemoveAllTolvaneSecrets(std::string* error) {
    return SecretStore().RemoveAll(kSecretTimeoutMs, error);
}

} // namespace tolvane
