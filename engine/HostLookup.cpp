#include "engine/HostLookup.h"

#include <cstdint>
#include <mutex>
#include <netdb.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace tolvane {

struct CHostLookup::Shared {
    std::mutex lock;
    int readyFd = -1;
    int code = EAI_FAIL;
    addrinfo* addresses = nullptr; // owned until taken
    ~Shared() {
        if (addresses) {
            ::freeaddrinfo(addresses);
        }
        if (readyFd >= 0) {
            ::close(readyFd);
        }
    }
};

CHostLookup::~CHostLookup() = default;

bool CHostLookup::Start(const std::string& host, const std::string& service, const addrinfo& hints,
                        ResolveFn resolve) {
    auto shared = std::make_shared<Shared>();
    shared->readyFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (shared->readyFd < 0) {
        return false;
    }
    m_shared = shared;
    // The thread holds the shared state: an abandoned lookup still has a place to end in.
    auto run = [shared, host, service, hints, resolve] {
        addrinfo* found = nullptr;
        const int code = resolve(host.c_str(), service.c_str(), &hints, &found);
        {
            std::lock_guard guard(shared->lock);
            shared->code = code;
            shared->addresses = code == 0 ? found : nullptr;
        }
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(shared->readyFd, &one, sizeof one);
    };
    try {
        std::thread(run).detach();
    } catch (const std::system_error&) {
        run();
    }
    return true;
}

int CHostLookup::ReadyFd() const {
    return m_shared ? m_shared->readyFd : -1;
}

int CHostLookup::Take(addrinfo** result) {
    *result = nullptr;
    if (!m_shared) {
        return EAI_FAIL;
    }
    std::lock_guard guard(m_shared->lock);
    *result = m_shared->addresses;
    m_shared->addresses = nullptr;
    return m_shared->code;
}

} // namespace tolvane
