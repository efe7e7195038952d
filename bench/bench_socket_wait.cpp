// What waiting costs: the CPU time spent while a server stays silent for 5 seconds
// (target: under 10 ms), and the latency from a cancel request to the POP3_CANCELLED
// return (target: under 10 ms).
#include "engine/Pop3Socket.h"
#include "tests/support/FakePop3Server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using tolvane::CPop3Socket;
using tolvane::test::FakePop3Server;
using tolvane::test::FakeReply;
using SteadyClock = std::chrono::steady_clock;

namespace {

double CpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

bool Connect(CPop3Socket& socket, const FakePop3Server& server) {
    std::string reply;
    return socket.ConnectServer("127.0.0.1", server.Port(), reply) == tolvane::POP3_OK &&
           socket.CmdUser("taro", reply) == tolvane::POP3_OK &&
           socket.CmdPass("secret", reply) == tolvane::POP3_OK;
}

} // namespace

int main() {
    FakePop3Server server;
    CPop3Socket socket;
    std::string reply;

    // 1. A silent server for 5 seconds (ended by a cancel): the wait must sleep in the
    // kernel.
    socket.m_nTimeout = 30;
    if (!Connect(socket, server)) {
        std::fprintf(stderr, "cannot reach the fake server\n");
        return 1;
    }
    server.Script("STAT", FakeReply::Silence());
    const double processBefore = CpuMs(RUSAGE_SELF);
    const double threadBefore = CpuMs(RUSAGE_THREAD);
    const auto start = SteadyClock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(5s);
        socket.RequestCancel();
    });
    const int code = socket.CmdStat(reply);
    stopper.join();
    const double waited = std::chrono::duration<double>(SteadyClock::now() - start).count();
    const double threadCpu = CpuMs(RUSAGE_THREAD) - threadBefore;
    const double processCpu = CpuMs(RUSAGE_SELF) - processBefore;
    std::printf("silent server: code %d after %.2f s; CPU %.2f ms (waiting thread %.2f ms); "
                "target < 10 ms\n",
                code, waited, processCpu, threadCpu);

    // 2. Cancel latency while waiting for a reply that never comes.
    socket.m_nTimeout = 30;
    std::vector<double> latencies;
    for (int round = 0; round < 20; ++round) {
        if (!Connect(socket, server)) {
            std::fprintf(stderr, "cannot reach the fake server\n");
            return 1;
        }
        server.Script("TOP 1", FakeReply::Silence());
        SteadyClock::time_point requested;
        std::thread canceller([&] {
            std::this_thread::sleep_for(50ms);
            requested = SteadyClock::now();
            socket.RequestCancel();
        });
        const int cancelled = socket.CmdTop(1, 10, reply);
        const auto returned = SteadyClock::now();
        canceller.join();
        if (cancelled != tolvane::POP3_CANCELLED) {
            std::fprintf(stderr, "round %d: code %d instead of -2\n", round, cancelled);
            return 1;
        }
        latencies.push_back(
            std::chrono::duration<double, std::milli>(returned - requested).count());
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("cancel latency over %zu rounds: median %.3f ms, max %.3f ms; target < 10 ms\n",
                latencies.size(), latencies[latencies.size() / 2], latencies.back());
    return 0;
}
