// Header decoder throughput: MB/s on typical Japanese header values (ISO-2022-JP B-encoded
// subjects, senders with names, plain ASCII), allocations per call, and the time to decode
// sender, subject and body preview of 10,000 TOP-like replies, as the check job does.
// Times are processor time of the decoding thread.
//   bench_decoder [REPLIES]
#include "engine/HeaderDecoder.h"
#include "tests/support/JapaneseMail.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

size_t g_allocations = 0;

} // namespace

void* operator new(size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

// Processor time of this thread: the figures hold on a machine busy with other work.
struct Clock {
    using time_point = double;
    static double now() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
    }
};

class Generator {
public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    // A JIS run of n characters: hiragana, katakana and level-1 kanji.
    std::string JisRun(int n) {
        static const int rows[] = {0x24, 0x24, 0x25, 0x30, 0x33, 0x38, 0x3B, 0x45, 0x4A};
        std::string run = "\x1b$B";
        for (int i = 0; i < n; ++i) {
            run += static_cast<char>(rows[Pick(0, 8)]);
            run += static_cast<char>(Pick(0x21, 0x73));
        }
        return run + "\x1b(B";
    }

    std::string JisWord(int n) { return tolvane::test::JisWord(JisRun(n)); }

    std::string Subject() {
        switch (Pick(0, 3)) {
        case 0:
            return JisWord(Pick(8, 20));
        case 1:
            return "Re: " + JisWord(Pick(10, 14)) + JisWord(Pick(6, 12));
        case 2:
            return "[list:0123] " + JisWord(Pick(10, 18)) + " (" + JisWord(4) + ")";
        default:
            return "Weekly report " + std::to_string(Pick(1, 52)) + ": build status and plans";
        }
    }

    std::string From() {
        if (Pick(0, 3) == 0) {
            return "support@example.jp";
        }
        return JisWord(Pick(2, 5)) + " <user" + std::to_string(Pick(1, 9999)) + "@example.jp>";
    }

    std::string Body(int lines) {
        std::string body;
        for (int i = 0; i < lines; ++i) {
            body += Pick(0, 4) == 0 ? std::string("-- ") : JisRun(Pick(10, 35));
            body += "\r\n";
        }
        return body;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

private:
    std::mt19937 m_random;
};

struct Reply {
    std::string from;
    std::string subject;
    std::string body;
    size_t bytes = 0; // the whole reply as it comes from the server
};

double Seconds(Clock::time_point start) {
    return Clock::now() - start;
}

size_t g_sink = 0; // keeps the results alive so the work is not optimised away

void Keep(const std::optional<std::string>& decoded) {
    g_sink += decoded ? decoded->size() : 0;
}

void Throughput(const char* label, const std::vector<std::string>& values, int rounds) {
    size_t bytes = 0;
    for (const std::string& value : values) {
        bytes += value.size();
    }
    const size_t allocationsBefore = g_allocations;
    const Clock::time_point start = Clock::now();
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& value : values) {
            Keep(tolvane::DecodeHeaderText(value));
        }
    }
    const double seconds = Seconds(start);
    const double calls = static_cast<double>(values.size()) * rounds;
    std::printf("%-34s %8.1f MB/s  %6.0f ns/value  %4.2f allocations/value\n", label,
                static_cast<double>(bytes) * rounds / seconds / 1e6, seconds / calls * 1e9,
                static_cast<double>(g_allocations - allocationsBefore) / calls);
}

} // namespace

int main(int argc, char** argv) {
    const int replyCount = argc > 1 ? std::atoi(argv[1]) : 10000;
    Generator generator(2024);

    std::vector<std::string> subjects;
    std::vector<std::string> senders;
    std::vector<std::string> plain;
    std::vector<std::string> bodies;
    for (int i = 0; i < 2000; ++i) {
        subjects.push_back(generator.Subject());
        senders.push_back(generator.From());
        plain.push_back("Meeting notes for the week " + std::to_string(i) + ", second draft");
        bodies.push_back(generator.Body(10));
    }
    std::printf("header decoder throughput (2000 values each, 50 rounds)\n");
    Throughput("ISO-2022-JP subjects", subjects, 50);
    Throughput("From with names", senders, 50);
    Throughput("plain ASCII subjects", plain, 50);
    Throughput("10-line ISO-2022-JP body previews", bodies, 50);

    std::vector<Reply> replies(static_cast<size_t>(replyCount > 0 ? replyCount : 0));
    const std::string received = "Received: from mx.example.jp (mx.example.jp [192.0.2.1])\r\n"
                                 "\tby pop.example.jp with ESMTP id 0123456789\r\n";
    for (Reply& reply : replies) {
        reply.from = generator.From();
        reply.subject = generator.Subject();
        reply.body = generator.Body(10);
        reply.bytes = 3 * received.size() + reply.from.size() + reply.subject.size() +
                      reply.body.size() + 400; // the other header lines of a typical mail
    }
    size_t replyBytes = 0;
    const size_t allocationsBefore = g_allocations;
    const Clock::time_point start = Clock::now();
    for (const Reply& reply : replies) {
        Keep(tolvane::DecodeHeaderText(reply.from));
        Keep(tolvane::DecodeHeaderText(reply.subject));
        Keep(tolvane::DecodeHeaderText(reply.body));
        replyBytes += reply.bytes;
    }
    const double seconds = Seconds(start);
    std::printf("%d TOP-like replies (%.1f MB): sender, subject and body decoded in %.1f ms "
                "(%.2f us per reply, %.1f allocations per reply)\n",
                replyCount, static_cast<double>(replyBytes) / 1e6, seconds * 1e3,
                replyCount > 0 ? seconds / replyCount * 1e6 : 0.0,
                replyCount > 0 ? static_cast<double>(g_allocations - allocationsBefore) / replyCount
                               : 0.0);
    return g_sink == 0 ? 1 : 0;
}
