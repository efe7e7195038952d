// The engine's clock: now, and the local calendar. Tests install their own so that
// expiry after N days and time-stamps are tested without waiting.
#pragma once

#include <cstdint>
#include <ctime>

namespace tolvane {

class IClock {
public:
    virtual ~IClock() = default;
    virtual std::time_t Now() const = 0;
    // Local calendar of a moment, and back (tm_isdst -1: daylight saving worked out for
    // that date). The system clock uses the process time zone (TZ).
    virtual std::tm ToLocal(std::time_t t) const;
    virtual std::time_t FromLocal(std::tm local) const;
};

// The clock in use: the system clock unless a test installed another.
const IClock& Clock();

// Installs a clock (nullptr restores the system clock); returns the previous one.
const IClock* SetClock(const IClock* clock);

// The clock of the socket's time-outs: milliseconds that never go back (the wall clock may
// jump), and how a wait sleeps in the kernel until a moment on it. A test clock moves only
// when the test says, and wakes a sleeping wait through WakeFd when it does.
class IMonotonicClock {
public:
    virtual ~IMonotonicClock() = default;
    virtual int64_t NowMs() const = 0;
    // The poll time-out (ms) of a wait that must wake by deadlineMs at the latest: 0 once
    // the deadline has come, -1 for "until WakeFd turns readable". Called once per poll.
    virtual int SleepMs(int64_t deadlineMs) const = 0;
    // An eventfd that turns readable when the time moved on (the waiter reads it empty),
    // or -1 when the clock needs no wake-up.
    virtual int WakeFd() const { return -1; }
};

// CLOCK_MONOTONIC.
const IMonotonicClock& SystemMonotonicClock();

} // namespace tolvane
