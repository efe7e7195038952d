// A socket operation on a thread of its own, against a clock that moves only when the test
// says. Code() collects its result; an operation that wrongly waits on is ended by moving
// the clock past every deadline, so the test fails on its code instead of hanging.
#pragma once

#include "tests/support/TestTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>

namespace tolvane::test {

class Running {
public:
    Running(ManualMonotonicClock& clock, std::function<int()> operation)
        : m_clock(clock), m_result(std::async(std::launch::async, std::move(operation))) {}
    ~Running() {
        if (m_result.valid()) {
            Code();
        }
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    bool Ended() { return m_result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }
    int Code() {
        if (m_result.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            ADD_FAILURE() << "the operation was still waiting";
            m_clock.Advance(int64_t{1} << 40);
        }
        return m_result.get();
    }

private:
    ManualMonotonicClock& m_clock;
    std::future<int> m_result;
};

} // namespace tolvane::test
