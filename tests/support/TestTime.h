// Time under a test's control: the time zone set for a scope, and a clock the engine reads
// instead of the system's while the test holds it.
#pragma once

#include "engine/Clock.h"

#include <cstdlib>
#include <ctime>
#include <string>

namespace tolvane::test {

// Installs itself as the engine's clock for its lifetime; Now() is what the test sets.
class SettableClock final : public IClock {
public:
    explicit SettableClock(std::time_t now) : m_now(now) { m_previous = SetClock(this); }
    ~SettableClock() override { SetClock(m_previous); }
    SettableClock(const SettableClock&) = delete;
    SettableClock& operator=(const SettableClock&) = delete;
    std::time_t Now() const override { return m_now; }
    void Set(std::time_t now) { m_now = now; }

private:
    std::time_t m_now;
    const IClock* m_previous = nullptr;
};

// Sets TZ for its lifetime, then restores (or removes) the old value.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        m_hadOld = old != nullptr;
        if (old) {
            m_old = old;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (m_hadOld) {
            ::setenv("TZ", m_old.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_hadOld = false;
    std::string m_old;
};

// Seconds since 1970 of a local calendar moment in the current TZ.
inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second = 0) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

} // namespace tolvane::test
