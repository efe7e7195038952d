#include "engine/Clock.h"

#include <atomic>

namespace tolvane {

namespace {

class SystemClock final : public IClock {
public:
    std::time_t Now() const override { return std::time(nullptr); }
};

const SystemClock g_systemClock;
std::atomic<const IClock*> g_clock{nullptr};

} // namespace

std::tm IClock::ToLocal(std::time_t t) const {
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

std::time_t IClock::FromLocal(std::tm local) const {
    local.tm_isdst = -1;
    return std::mktime(&local);
}

const IClock& Clock() {
    const IClock* clock = g_clock.load();
    return clock ? *clock : g_systemClock;
}

const IClock* SetClock(const IClock* clock) {
    return g_clock.exchange(clock);
}

} // namespace tolvane
