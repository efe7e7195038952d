// Time under a test's control: the time zone set for a scope, and a clock the engine reads
// instead of the system's while the test holds it.
#pragma once

#include "engine/Clock.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>

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

// The socket's time source under the test's control: the time moves only by Advance, which
// wakes a socket sleeping on it. Sleeps() counts the polls that were to sleep (deadline
// not yet come), so a test waits until the socket is asleep instead of sleeping itself.
class ManualMonotonicClock final : public IMonotonicClock {
public:
    explicit ManualMonotonicClock(int64_t startMs = 0)
        : m_nowMs(startMs), m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~ManualMonotonicClock() override { ::close(m_wakeFd); }
    ManualMonotonicClock(const ManualMonotonicClock&) = delete;
    ManualMonotonicClock& operator=(const ManualMonotonicClock&) = delete;

    int64_t NowMs() const override {
        std::lock_guard lock(m_mutex);
        return m_nowMs;
    }
    int SleepMs(int64_t deadlineMs) const override {
        std::lock_guard lock(m_mutex);
        if (deadlineMs <= m_nowMs) {
            return 0;
        }
        ++m_sleeps;
        m_changed.notify_all();
        return -1; // until the socket's bytes, a cancel or Advance wake it
    }
    int WakeFd() const override { return m_wakeFd; }

    void Advance(int64_t ms) {
        {
            std::lock_guard lock(m_mutex);
            m_nowMs += ms;
        }
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    }
    size_t Sleeps() const {
        std::lock_guard lock(m_mutex);
        return m_sleeps;
    }
    // Blocks until at least n sleeps began (a bound only against a test that would hang).
    bool WaitForSleeps(size_t n) const {
        return WaitForSleepsOr(n, [] { return false; });
    }
    // The same, or until done() holds: tested at every sleep and at every Notify.
    template <class Done> bool WaitForSleepsOr(size_t n, Done done) const {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30),
                                  [&] { return m_sleeps >= n || done(); });
    }
    void Notify() const {
        std::lock_guard lock(m_mutex);
        m_changed.notify_all();
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    int64_t m_nowMs;
    mutable size_t m_sleeps = 0;
    int m_wakeFd;
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
