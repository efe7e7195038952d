#include "engine/Clock.h"

#include <algorithm>
#include <atomic>
#include <climits>

namespace tolvane {

namespace {

class SystemClock final : public IClock {
public:
    std::time_t Now() const override { return std::time(nullptr); }
};

class SystemMonotonic final : public IMonotonicClock {
public:
    int64_t NowMs() const override {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    }
    int SleepMs(int64_t deadlineMs) const override {
        // Whole milliseconds: a wake-up a fraction early only costs one more poll.
        const int64_t left = deadlineMs - NowMs();
        return static_cast<int>(std::clamp<int64_t>(left, 0, INT_MAX));
    }
};

const SystemClock g_systemClock;
const SystemMonotonic g_systemMonotonic;
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

const IMonotonicClock& SystemMonotonicClock() {
    return g_systemMonotonic;
}

} // namespace tolvane
