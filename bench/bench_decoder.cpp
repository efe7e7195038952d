// Header decoder throughput: MB/s on typical Japanese header values (ISO-2022-JP B-encoded
// subjects, senders with names, plain ASCII), allocations per call, and the time to decode
// sender, subject and body preview of 10,000 TOP-like replies, as the check job does; the
// same for today's mail (UTF-8 encoded words, base64 and quoted-printable bodies, HTML,
// multipart/alternative) through the decoders of today's mail.
// Times are processor time of the decoding thread.
//   bench_decoder [REPLIES]
#include "engine/BodyPreview.h"
#include "engine/HeaderDecoder.h"
#include "engine/MailHeaderDecoder.h"
#include "tests/support/JapaneseMail.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
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

    // UTF-8 text of n characters: kana and everyday kanji.
    std::string Utf8Text(int n) {
        static const std::string pool =
            "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめも"
            "アイウエオカキクケコサシスセソ会議資料送付連絡確認報告予定変更案内注文"
            "発送請求書見積依頼営業部総務新製品発表今週来月";
        std::string text;
        for (int i = 0; i < n; ++i) {
            text += pool.substr(
                static_cast<size_t>(Pick(0, static_cast<int>(pool.size() / 3) - 1)) * 3, 3);
        }
        return text;
    }

    std::string Utf8Word(int n) { return "=?UTF-8?B?" + tolvane::test::Base64(Utf8Text(n)) + "?="; }

    std::string TodaySubject() {
        switch (Pick(0, 3)) {
        case 0:
            return Utf8Word(Pick(8, 20));
        case 1:
            return "Re: " + Utf8Word(Pick(8, 12)) + "\r\n " + Utf8Word(Pick(6, 12));
        case 2:
            return "[list:0123] " + Utf8Word(Pick(10, 18)) + " (" + Utf8Word(4) + ")";
        default:
            return JisWord(Pick(6, 12)) + " " + Utf8Word(Pick(4, 8));
        }
    }

    std::string TodayFrom() {
        return Utf8Word(Pick(2, 5)) + " <user" + std::to_string(Pick(1, 9999)) + "@example.jp>";
    }

    std::string Utf8Lines(int lines) {
        std::string text;
        for (int i = 0; i < lines; ++i) {
            text += Pick(0, 4) == 0 ? std::string("-- ") : Utf8Text(Pick(10, 35));
            text += "\n";
        }
        return text;
    }

    // Base64 in lines of 76 characters.
    static std::string Base64Lines(const std::string& bytes) {
        const std::string flat = tolvane::test::Base64(bytes);
        std::string lines;
        for (size_t at = 0; at < flat.size(); at += 76) {
            lines += flat.substr(at, 76) + "\r\n";
        }
        return lines;
    }

    static std::string QuotedPrintable(const std::string& bytes) {
        static const char kHex[] = "0123456789ABCDEF";
        std::string out;
        size_t column = 0;
        for (unsigned char c : bytes) {
            if (c == '\n') {
                out += "\r\n";
                column = 0;
                continue;
            }
            if (column >= 72) {
                out += "=\r\n";
                column = 0;
            }
            if (c >= 0x80 || c == '=') {
                out += '=';
                out += kHex[c >> 4];
                out += kHex[c & 15];
                column += 3;
            } else {
                out += static_cast<char>(c);
                ++column;
            }
        }
        return out;
    }

    static std::string Html(const std::string& utf8Lines) {
        std::string html = "<html><head><style>p { margin: 0; }</style></head><body>";
        size_t start = 0;
        for (size_t end = utf8Lines.find('\n'); end != std::string::npos;
             end = utf8Lines.find('\n', start = end + 1)) {
            html += "<p>" + utf8Lines.substr(start, end - start) + "&nbsp;&amp;</p>\n";
        }
        return html + "<script>track();</script></body></html>";
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

using Decoder = std::function<std::optional<std::string>(const std::string&)>;

void Throughput(
    const char* label, const std::vector<std::string>& values, int rounds,
    const Decoder& decode = [](const std::string& value) {
        return tolvane::DecodeHeaderText(value);
    }) {
    size_t bytes = 0;
    for (const std::string& value : values) {
        bytes += value.size();
    }
    const size_t allocationsBefore = g_allocations;
    const Clock::time_point start = Clock::now();
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& value : values) {
            Keep(decode(value));
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

    // Today's mail through the decoders of today's mail; the ISO-2022-JP subjects again
    // for the cost of the new path on the mail of before.
    std::vector<std::string> todaySubjects;
    std::vector<std::string> todaySenders;
    std::vector<std::string> base64Bodies;
    std::vector<std::string> quotedBodies;
    std::vector<std::string> htmlBodies;
    std::vector<std::string> alternativeBodies;
    for (int i = 0; i < 2000; ++i) {
        todaySubjects.push_back(generator.TodaySubject());
        todaySenders.push_back(generator.TodayFrom());
        const std::string lines = generator.Utf8Lines(10);
        base64Bodies.push_back(Generator::Base64Lines(lines));
        quotedBodies.push_back(Generator::QuotedPrintable(lines));
        htmlBodies.push_back(Generator::QuotedPrintable(Generator::Html(lines)));
        alternativeBodies.push_back("\r\n--b\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                                    "Content-Transfer-Encoding: base64\r\n\r\n" +
                                    base64Bodies.back() + "--b\r\nContent-Type: text/html\r\n");
    }
    auto header = [](const std::string& value) { return tolvane::DecodeMailHeader(value); };
    auto body = [](const char* headerText) {
        return [headerText](const std::string& value) {
            return std::optional<std::string>(tolvane::DecodeBodyPreview(headerText, value));
        };
    };
    const char* const base64Header =
        "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n";
    const char* const quotedHeader = "Content-Type: text/plain; charset=UTF-8\r\n"
                                     "Content-Transfer-Encoding: quoted-printable\r\n";
    const char* const htmlHeader = "Content-Type: text/html; charset=UTF-8\r\n"
                                   "Content-Transfer-Encoding: quoted-printable\r\n";
    const char* const alternativeHeader = "Content-Type: multipart/alternative; boundary=b\r\n";
    const char* const jisHeader = "Content-Type: text/plain; charset=ISO-2022-JP\r\n";
    std::printf("today's mail (2000 values each, 50 rounds)\n");
    Throughput("UTF-8 subjects (B words, some JIS)", todaySubjects, 50, header);
    Throughput("UTF-8 From with names", todaySenders, 50, header);
    Throughput("ISO-2022-JP subjects, today's path", subjects, 50, header);
    Throughput("10-line base64 UTF-8 previews", base64Bodies, 50, body(base64Header));
    Throughput("10-line quoted-printable previews", quotedBodies, 50, body(quotedHeader));
    Throughput("10-line HTML-only previews", htmlBodies, 50, body(htmlHeader));
    Throughput("multipart/alternative previews", alternativeBodies, 50, body(alternativeHeader));
    Throughput("10-line ISO-2022-JP, today's path", bodies, 50, body(jisHeader));

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

    // The same count of replies of today's kinds: UTF-8 words, base64 bodies.
    size_t todayBytes = 0;
    for (Reply& reply : replies) {
        reply.from = generator.TodayFrom();
        reply.subject = generator.TodaySubject();
        reply.body = Generator::Base64Lines(generator.Utf8Lines(10));
        reply.bytes = 3 * received.size() + reply.from.size() + reply.subject.size() +
                      reply.body.size() + 400;
    }
    const size_t todayAllocationsBefore = g_allocations;
    const Clock::time_point todayStart = Clock::now();
    for (const Reply& reply : replies) {
        Keep(tolvane::DecodeMailHeader(reply.from));
        Keep(tolvane::DecodeMailHeader(reply.subject));
        g_sink += tolvane::DecodeBodyPreview(base64Header, reply.body).size();
        todayBytes += reply.bytes;
    }
    const double todaySeconds = Seconds(todayStart);
    std::printf("%d TOP-like replies of today's mail (%.1f MB): decoded in %.1f ms "
                "(%.2f us per reply, %.1f allocations per reply)\n",
                replyCount, static_cast<double>(todayBytes) / 1e6, todaySeconds * 1e3,
                replyCount > 0 ? todaySeconds / replyCount * 1e6 : 0.0,
                replyCount > 0
                    ? static_cast<double>(g_allocations - todayAllocationsBefore) / replyCount
                    : 0.0);
    return g_sink == 0 ? 1 : 0;
}
