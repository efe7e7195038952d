// CHostLookup: one host-name lookup (getaddrinfo) that its caller can walk away from.
//
// Contract:
// - Start runs the lookup on a thread of its own and returns at once; ReadyFd becomes
//   readable when the lookup has ended (poll it beside a cancel event and a time-out).
// - Take, once ReadyFd is readable, gives getaddrinfo's code and hands over the addresses
//   (free them with freeaddrinfo).
// - Destroyed before the lookup ended, the object abandons it: the thread runs on, drops
//   its result and frees what it holds when the lookup finally returns. A lookup cannot be
//   interrupted, but nobody waits for it.
// - Where no thread can be started the lookup runs at once, in the caller.
#pragma once

#include <memory>
#include <string>

struct addrinfo;

namespace tolvane {

using ResolveFn = int (*)(const char* host, const char* service, const addrinfo* hints,
                          addrinfo** result);

class CHostLookup {
public:
    CHostLookup() = default;
    ~CHostLookup();
    CHostLookup(const CHostLookup&) = delete;
    CHostLookup& operator=(const CHostLookup&) = delete;

    // False when no event could be made (nothing was started).
    bool Start(const std::string& host, const std::string& service, const addrinfo& hints,
               ResolveFn resolve);
    int ReadyFd() const;
    int Take(addrinfo** result);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

} // namespace tolvane
