#include "platform/SecretStore.h"

#include <atomic>

namespace tolvane {

namespace {

std::atomic<ISecretStore*> g_store{nullptr};

} // namespace

std::string SecretLabel(const SecretKeys& keys) {
    std::string label = "トルヴェイン: " + keys.accountUtf8;
    if (!keys.kindUtf8.empty()) {
        label += " (OAuth 2.0)";
    }
    return label;
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
