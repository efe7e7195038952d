// The engine's clock: now, and the local calendar. Tests install their own so that
// expiry after N days and time-stamps are tested without waiting.
#pragma once

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

} // namespace tolvane
