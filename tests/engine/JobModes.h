// Runs one job of an account against a fresh fake server in each way of sending commands:
// one at a time (Pipelining 0), pipelined (a server listing PIPELINING) and with the UIDL
// and LIST listings (a server without it), and compares everything the user and the files
// see: the list, states, log texts, progress titles, questions, store file, server content.
#pragma once

#include "platform/Paths.h"
#include "tests/engine/AccountJobTest.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <future>

namespace tolvane::test {

using namespace std::chrono_literals;

enum class Mode { OneAtATime, Pipelined, Listings };

struct Outcome {
    int code = 0;
    Strings log, titles, questions, uidls, subjects, sizes, bodies, remaining;
    U32s states, numbers, received;
    std::string store;
    Strings commands; // after USER and PASS
    size_t ahead = 0; // the most commands the server had unanswered
};

using Job = std::function<int(CAccount&, RecordingHost&)>;
using Prepare = std::function<void(CAccount&, FakePop3Server&, RecordingHost&)>;

inline int CheckJobOf(CAccount& account, RecordingHost& host) {
    return account.CheckMail(Sjis("トルヴェイン"), &host);
}

inline int DeleteJobOf(CAccount& account, RecordingHost& host) {
    int last = 0;
    return account.DeleteMarked(AllMails(account), Sjis("T"), &host, last, false) ? last : -100;
}

class JobModes : public ::testing::Test {
protected:
    // Runs job between the connection steps on a fresh server holding messages, for an
    // account that prepare sets up. With silent set, that command is never answered: the
    // socket's clock is moved past the time-out at every wait after it arrived.
    Outcome Run(Mode mode, const std::vector<FakeMessage>& messages, const Prepare& prepare,
                const Job& job, const std::string& silent = "") {
        FakePop3Server server;
        server.SetMessages(messages);
        if (mode != Mode::Listings) {
            server.SetCapabilities({"TOP", "UIDL", "PIPELINING"});
        }
        LogCollector log;
        RecordingHost host{"トルヴェイン"};
        ManualMonotonicClock socketClock{1500};
        std::unique_ptr<CAccount> account = LocalAccount(log, server.Port(), "taro", "secret");
        account->m_bPipelining = mode == Mode::OneAtATime ? 0 : 1;
        account->m_socket.SetTimeSource(&socketClock);
        if (!silent.empty()) {
            server.Script(silent, FakeReply::Silence());
        }
        prepare(*account, server, host);

        Outcome out;
        std::atomic<bool> done{false};
        auto running = std::async(std::launch::async, [&] {
            int code = -99;
            if (account->OpenConnection() && account->Login()) {
                code = job(*account, host);
            }
            account->Logout();
            done = true;
            socketClock.Notify();
            return code;
        });
        if (!silent.empty() && server.WaitForCommand(silent, 30s)) {
            // Every reply before the silent one is with the client by now: only the silence
            // can make it wait, and each wait ends at the time-out.
            while (!done) {
                const size_t sleeps = socketClock.Sleeps();
                socketClock.Advance(11000);
                socketClock.WaitForSleepsOr(sleeps + 1, [&] { return done.load(); });
            }
        }
        out.code = running.get();
        account->SetReport(nullptr, nullptr);

        out.log = log.Texts();
        out.titles = host.Titles();
        out.questions = host.Questions();
        out.uidls = Uidls(*account);
        out.states = States(*account);
        out.numbers = Numbers(*account);
        for (const auto& mail : account->m_mails) {
            out.subjects.push_back(mail->m_strSubject);
            out.sizes.push_back(mail->m_strSize);
            out.bodies.push_back(mail->m_strBody);
            out.received.push_back(mail->m_timeReceived);
        }
        EXPECT_EQ(account->StoreMails(true), 0);
        const std::filesystem::path store = StoreFilePath("pop");
        out.store = std::filesystem::exists(store) ? ReadFileBytes(store) : "";
        for (const auto& message : server.Messages()) {
            out.remaining.push_back(message.uidl);
        }
        out.commands = server.Commands();
        if (out.commands.size() >= 2 && out.commands[0].rfind("USER", 0) == 0) {
            out.commands.erase(out.commands.begin(), out.commands.begin() + 2);
        }
        out.ahead = server.MaxCommandsAhead();
        return out;
    }

    // Everything the user and the files see, compared.
    static void ExpectSame(const Outcome& one, const Outcome& other) {
        EXPECT_EQ(other.code, one.code);
        EXPECT_EQ(other.log, one.log);
        EXPECT_EQ(other.titles, one.titles);
        EXPECT_EQ(other.questions, one.questions);
        EXPECT_EQ(other.uidls, one.uidls);
        EXPECT_EQ(other.states, one.states);
        EXPECT_EQ(other.numbers, one.numbers);
        EXPECT_EQ(other.subjects, one.subjects);
        EXPECT_EQ(other.sizes, one.sizes);
        EXPECT_EQ(other.bodies, one.bodies);
        EXPECT_EQ(other.received, one.received);
        EXPECT_EQ(other.store, one.store);
        EXPECT_EQ(other.remaining, one.remaining);
    }

    static size_t Count(const Strings& commands, const std::string& prefix) {
        return static_cast<size_t>(std::count_if(commands.begin(), commands.end(),
                                                 [&](auto& c) { return c.rfind(prefix, 0) == 0; }));
    }

    ScopedHome home;
    ScopedTimeZone zone{"Asia/Tokyo"};
    SettableClock clock{LocalTime(2001, 11, 20, 15, 0)};
    const uint32_t kRecently = static_cast<uint32_t>(LocalTime(2001, 11, 20, 9, 0));
    const uint32_t kLongAgo = static_cast<uint32_t>(LocalTime(2001, 11, 1, 9, 0));
};

// u1 (expired) and u2 are known, "gone" is no longer there; u3 (with X-UIDL) ... u30 are
// new: more per-mail commands than one window holds.
inline std::vector<FakeMessage> Mailbox(int count = 30) {
    std::vector<FakeMessage> messages;
    for (int i = 1; i <= count; ++i) {
        const std::string id = "u" + std::to_string(i);
        messages.push_back(PlainMessage(id, "mail " + std::to_string(i), i == 3,
                                        {"line 1 of " + id, "line 2", "..dot", "line 4"}));
    }
    return messages;
}

} // namespace tolvane::test
