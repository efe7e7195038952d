// CPop3Socket against the fake server (and a raw peer for the exact bytes sent).
#include "engine/Pop3Socket.h"
#include "tests/support/FakePop3Server.h"
#include "tests/support/RunningOperation.h"
#include "tests/support/TestTime.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace tolvane {
namespace {

using namespace std::chrono_literals;
using test::FakeMessage;
using test::FakePop3Server;
using test::FakeReply;
using test::ManualMonotonicClock;
using test::Running;
using test::UnusedPort;

class Pop3SocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.SetMessages({{"UID1", "Subject: one\r\n\r\nbody\r\n"}});
        socket.m_nTimeout = 10;
        socket.SetTimeSource(&clock);
    }

    // Waits until the socket went to sleep count more times than it had before.
    void WaitUntilAsleep(size_t before, size_t count = 1) {
        ASSERT_TRUE(clock.WaitForSleeps(before + count));
    }

    // Connects and logs in.
    void Open() {
        std::string greeting;
        ASSERT_EQ(socket.ConnectServer("127.0.0.1", server.Port(), greeting), POP3_OK);
        ASSERT_EQ(greeting, "+OK fake POP3 ready\r\n");
        ASSERT_EQ(socket.CmdUser("taro", greeting), POP3_OK);
        ASSERT_EQ(socket.CmdPass("secret", greeting), POP3_OK);
    }

    ManualMonotonicClock clock{1500}; // half-way through a second
    FakePop3Server server;
    CPop3Socket socket;
    std::string reply;
};

TEST_F(Pop3SocketTest, DialogueWithTheDefaultMailbox) {
    Open();
    EXPECT_EQ(socket.CmdStat(reply), POP3_OK);
    EXPECT_EQ(reply, "+OK 1 22\r\n");
    EXPECT_EQ(socket.CmdUidlAll(reply), POP3_OK);
    EXPECT_EQ(reply, "+OK\r\n1 UID1\r\n.\r\n");
    EXPECT_EQ(socket.CmdTop(1, 0, reply), POP3_OK);
    EXPECT_EQ(reply, "+OK\r\nSubject: one\r\n\r\n.\r\n");
    EXPECT_EQ(socket.CmdQuit(reply), POP3_OK);
    EXPECT_EQ(server.Commands(), (std::vector<std::string>{"USER taro", "PASS secret", "STAT",
                                                           "UIDL", "TOP 1 0", "QUIT"}));
}

TEST_F(Pop3SocketTest, NotConnectedGivesErrorWithoutWaiting) {
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_EQ(socket.CmdStat(reply), POP3_ERROR);
    EXPECT_EQ(socket.WaitReadable(true), POP3_ERROR);
    EXPECT_EQ(socket.CmdQuit(reply), POP3_ERROR);
}

TEST_F(Pop3SocketTest, TimeoutOfZeroEndsTheFirstEmptyWait) {
    Open();
    socket.m_nTimeout = 0;
    server.Script("STAT", FakeReply::Silence());
    errno = 0;
    EXPECT_EQ(socket.CmdStat(reply), POP3_TIMEOUT);
    EXPECT_EQ(errno, ETIMEDOUT);
    EXPECT_EQ(reply, "");
}

// Whole seconds are counted: the silence that began at 1.5 s ends a time-out of 2 at 3.0 s.
TEST_F(Pop3SocketTest, SilenceEndsWhenTheWholeSecondsReachTheTimeout) {
    Open();
    socket.m_nTimeout = 2;
    server.Script("STAT", FakeReply::Silence());
    const size_t before = clock.Sleeps();
    Running stat(clock, [&] { return socket.CmdStat(reply); });
    WaitUntilAsleep(before);
    clock.Advance(1499); // 2.999 s
    WaitUntilAsleep(before, 2);
    EXPECT_FALSE(stat.Ended());
    clock.Advance(1);
    EXPECT_EQ(stat.Code(), POP3_TIMEOUT);
    EXPECT_EQ(reply, "");
}

TEST_F(Pop3SocketTest, SlowReplyWithShortPausesNeverTimesOut) {
    Open();
    socket.m_nTimeout = 2; // every pause is a second shorter; the whole takes four seconds
    server.Script("TOP 1", FakeReply::Text("+OK\r\n"));
    const size_t before = clock.Sleeps();
    Running top(clock, [&] { return socket.CmdTop(1, 0, reply); });
    // Asleep with every byte sent so far read: the status line after two waits, and then
    // one wait more for every pause and for every piece.
    size_t sleeps = before + 2;
    ASSERT_TRUE(clock.WaitForSleeps(sleeps));
    for (const std::string piece : {"Subject: one\r\n", "\r\n", "."}) {
        clock.Advance(1000);
        ASSERT_TRUE(clock.WaitForSleeps(++sleeps));
        server.Send(piece);
        ASSERT_TRUE(clock.WaitForSleeps(++sleeps));
    }
    clock.Advance(1000);
    ASSERT_TRUE(clock.WaitForSleeps(++sleeps));
    server.Send("\r\n");
    EXPECT_EQ(top.Code(), POP3_OK);
    EXPECT_EQ(reply, "+OK\r\nSubject: one\r\n\r\n.\r\n");
}

// A server that sends a byte a second for ever: each pause is well within the time-out,
// but the reply as a whole ends at ten time-outs, and never before 30 seconds.
struct TrickleCase {
    int32_t timeout;
    int64_t limitSeconds;
};

class TrickleTest : public Pop3SocketTest, public ::testing::WithParamInterface<TrickleCase> {};

TEST_P(TrickleTest, ReplyEndsAtItsTotalLimit) {
    Open();
    socket.m_nTimeout = GetParam().timeout;
    ASSERT_EQ(CPop3Socket::ReplyLimitMs(socket.m_nTimeout), GetParam().limitSeconds * 1000);
    server.Script("TOP 1", FakeReply::Text("+OK\r\n"));
    size_t sleeps = clock.Sleeps() + 2; // the status line read (see the test above)
    Running top(clock, [&] { return socket.CmdTop(1, 0, reply); });
    ASSERT_TRUE(clock.WaitForSleeps(sleeps));
    for (int64_t second = 1; second < GetParam().limitSeconds; ++second) {
        clock.Advance(1000);
        ASSERT_TRUE(clock.WaitForSleeps(++sleeps));
        server.Send("x");
        ASSERT_TRUE(clock.WaitForSleeps(++sleeps));
    }
    EXPECT_FALSE(top.Ended());
    clock.Advance(1000);
    EXPECT_EQ(top.Code(), POP3_TIMEOUT);
}

INSTANTIATE_TEST_SUITE_P(Timeouts, TrickleTest,
                         ::testing::Values(TrickleCase{2, 30}, TrickleCase{5, 50}));

TEST_F(Pop3SocketTest, CancelWhileWaitingForTopReturnsAtOnce) {
    Open();
    socket.m_nTimeout = 30;
    server.Script("TOP 1", FakeReply::Silence());
    const size_t before = clock.Sleeps();
    Running top(clock, [&] { return socket.CmdTop(1, 5, reply); });
    ASSERT_TRUE(server.WaitForCommand("TOP 1", 10s));
    WaitUntilAsleep(before);
    socket.RequestCancel(); // the clock stands still: only the cancel can end the wait
    EXPECT_EQ(top.Code(), POP3_CANCELLED);
    // The request stays until the next connection: later cancellable commands stop at once,
    // once the reply the cancelled command still owes has come and been dropped.
    EXPECT_EQ(socket.Owed(), 1u);
    server.Send("+OK\r\n.\r\n");
    EXPECT_EQ(socket.CmdStat(reply), POP3_CANCELLED);
    EXPECT_EQ(socket.GetCancel(), 1);
}

TEST_F(Pop3SocketTest, PendingCancelWinsOverArrivedData) {
    Open();
    socket.RequestCancel();
    EXPECT_EQ(socket.CmdStat(reply), POP3_CANCELLED);
    ASSERT_TRUE(server.WaitForCommand("STAT", 5s)); // it was sent all the same
}

TEST_F(Pop3SocketTest, ConnectClearsTheCancelRequest) {
    socket.RequestCancel();
    Open();
    EXPECT_EQ(socket.GetCancel(), 0);
    EXPECT_EQ(socket.CmdStat(reply), POP3_OK);
}

TEST_F(Pop3SocketTest, CancelAfterTheFirstBytesWaitsForTheNextCommand) {
    Open();
    server.Script("TOP 1", FakeReply::Text("+OK\r\nSubject: one\r\n"));
    const size_t before = clock.Sleeps();
    Running top(clock, [&] { return socket.CmdTop(1, 0, reply); });
    WaitUntilAsleep(before, 2); // the first bytes were read; it waits for the rest
    socket.RequestCancel();
    server.Send("\r\n.\r\n");
    EXPECT_EQ(top.Code(), POP3_OK);
    EXPECT_EQ(reply, "+OK\r\nSubject: one\r\n\r\n.\r\n");
    EXPECT_EQ(socket.CmdStat(reply), POP3_CANCELLED);
    EXPECT_EQ(socket.CmdQuit(reply), POP3_OK); // QUIT is never cancelled
}

// The program is ending: even the waits a plain cancel leaves alone (QUIT's, a begun
// reply's) stop, so a silent server cannot hold up the end for its time-out.
TEST_F(Pop3SocketTest, AbandonStopsEveryWait) {
    Open();
    socket.m_nTimeout = 3600;
    server.Script("QUIT", FakeReply::Silence());
    socket.RequestCancel(CPop3Socket::kCancelAbandon);
    EXPECT_EQ(socket.CmdQuit(reply), POP3_CANCELLED);

    Open();
    socket.m_nTimeout = 3600;
    server.Script("TOP 1", FakeReply::Text("+OK\r\nSubject: one\r\n").Then("\r\n.\r\n", 3600s));
    std::thread canceller([&] {
        ASSERT_TRUE(server.WaitForCommand("TOP 1", 10s));
        socket.RequestCancel(CPop3Socket::kCancelAbandon);
    });
    const int code = socket.CmdTop(1, 0, reply);
    canceller.join();
    EXPECT_EQ(code, POP3_CANCELLED);
}

TEST_F(Pop3SocketTest, EmptyListingIsComplete) {
    Open();
    server.Script("UIDL", FakeReply::Text("+OK\r\n.\r\n"));
    EXPECT_EQ(socket.CmdUidlAll(reply), POP3_OK);
    EXPECT_EQ(reply, "+OK\r\n.\r\n");
}

TEST_F(Pop3SocketTest, StatusSplitBeforeThreeBytesIsStillPositive) {
    Open();
    server.Script("STAT", FakeReply::Text("+O"));
    const size_t before = clock.Sleeps();
    Running stat(clock, [&] { return socket.CmdStat(reply); });
    WaitUntilAsleep(before, 2);
    server.Send("K 1 24\r\n");
    EXPECT_EQ(stat.Code(), POP3_OK);
    EXPECT_EQ(reply, "+OK 1 24\r\n");
}

TEST_F(Pop3SocketTest, BareLineEndIsNotPositive) {
    Open();
    server.Script("STAT", FakeReply::Text("\r\n"));
    EXPECT_EQ(socket.CmdStat(reply), POP3_NEGATIVE);
    EXPECT_EQ(reply, "\r\n");
}

TEST_F(Pop3SocketTest, NegativeReplyKeepsTheServersText) {
    Open();
    server.Script("DELE 1", FakeReply::Err("-ERR [SYS/TEMP] try later"));
    EXPECT_EQ(socket.CmdDele(1, reply), POP3_NEGATIVE);
    EXPECT_EQ(reply, "-ERR [SYS/TEMP] try later\r\n");
    // A multi-line command's -ERR is a single line: no wait for a terminator.
    socket.m_nTimeout = 30;
    server.Script("TOP 1", FakeReply::Err("-ERR no such message"));
    Running top(clock, [&] { return socket.CmdTop(1, 3, reply); });
    EXPECT_EQ(top.Code(), POP3_NEGATIVE);
    EXPECT_EQ(reply, "-ERR no such message\r\n");
}

TEST_F(Pop3SocketTest, ZeroBytesAreDroppedAndTheRestKept) {
    Open();
    server.Script("STAT", FakeReply::Text(std::string("+OK 1\0 2\0\0\r\n", 12)));
    EXPECT_EQ(socket.CmdStat(reply), POP3_OK);
    EXPECT_EQ(reply, "+OK 1 2\r\n");
}

TEST_F(Pop3SocketTest, OversizedReplyIsRefusedAndTheConnectionClosed) {
    Open();
    std::string huge = "+OK\r\n";
    const std::string line(98, 'x');
    while (huge.size() <= CPop3Socket::kMaxReplyBytes + 1024 * 1024) {
        huge += line + "\r\n";
    }
    huge += ".\r\n";
    server.Script("TOP 1", FakeReply::Text(std::move(huge)));
    EXPECT_EQ(socket.CmdTop(1, 100000000, reply), POP3_ERROR);
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_EQ(reply, "");
}

// The terminator of a listing split between two reads, at every position.
class SplitTerminatorTest : public Pop3SocketTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(SplitTerminatorTest, CompleteOnlyAfterTheSecondPart) {
    Open();
    const std::string whole = "+OK\r\n1 AAA\r\n2 BBB\r\n.\r\n";
    const size_t cut = whole.size() - GetParam();
    server.Script("UIDL", FakeReply::Text(whole.substr(0, cut)));
    const size_t before = clock.Sleeps();
    Running uidl(clock, [&] { return socket.CmdUidlAll(reply); });
    WaitUntilAsleep(before, 2); // the first part was read and found incomplete
    server.Send(whole.substr(cut));
    EXPECT_EQ(uidl.Code(), POP3_OK);
    EXPECT_EQ(reply, whole);
}

INSTANTIATE_TEST_SUITE_P(Cuts, SplitTerminatorTest, ::testing::Values(1, 2, 3, 4, 5, 6));

// A server that goes away before its reply is complete ends the exchange at once.
struct BrokenCase {
    const char* name;
    FakeReply reply;
};

class BrokenServerTest : public Pop3SocketTest, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenServerTest, ErrorWithoutWaitingForTheTimeout) {
    Open();
    socket.m_nTimeout = 30;
    server.Script("TOP 1", GetParam().reply);
    Running top(clock, [&] { return socket.CmdTop(1, 5, reply); });
    EXPECT_EQ(top.Code(), POP3_ERROR); // the clock stands still: a wait would never end
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenServerTest,
    ::testing::Values(BrokenCase{"CloseMidReply",
                                 FakeReply::Text("+OK\r\nSubject: one\r\n").AndClose()},
                      BrokenCase{"CloseAtOnce", FakeReply::CloseNow()},
                      BrokenCase{"ResetMidReply",
                                 [] {
                                     FakeReply r = FakeReply::Text("+OK\r\nSubject");
                                     r.after = FakeReply::After::Reset;
                                     return r;
                                 }()},
                      BrokenCase{"ResetAtOnce",
                                 [] {
                                     FakeReply r;
                                     r.after = FakeReply::After::Reset;
                                     return r;
                                 }()}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(Pop3SocketConnect, RefusedPortGivesErrorWithoutWaiting) {
    ManualMonotonicClock clock;
    CPop3Socket socket;
    socket.m_nTimeout = 30;
    socket.SetTimeSource(&clock);
    std::string reply;
    Running connect(clock, [&] { return socket.ConnectServer("127.0.0.1", UnusedPort(), reply); });
    EXPECT_EQ(connect.Code(), POP3_ERROR);
    EXPECT_FALSE(socket.IsConnected());
}

TEST(Pop3SocketConnect, HostNameLocalhost) {
    FakePop3Server server; // listens on 127.0.0.1 only
    CPop3Socket socket;
    std::string reply;
    EXPECT_EQ(socket.ConnectServer("localhost", server.Port(), reply), POP3_OK);
    EXPECT_EQ(reply, "+OK fake POP3 ready\r\n");
}

TEST(Pop3SocketConnect, NegativeGreeting) {
    FakePop3Server server;
    server.SetGreeting(FakeReply::Err("-ERR too many connections"));
    CPop3Socket socket;
    std::string reply;
    EXPECT_EQ(socket.ConnectServer("127.0.0.1", server.Port(), reply), POP3_NEGATIVE);
    EXPECT_EQ(reply, "-ERR too many connections\r\n");
}

TEST(Pop3SocketConnect, CancelWhileWaitingForTheGreeting) {
    FakePop3Server server;
    server.SetGreeting(FakeReply::Silence());
    CPop3Socket socket;
    socket.m_nTimeout = 30;
    std::thread canceller([&] {
        ASSERT_TRUE(server.WaitForConnections(1, 10s));
        socket.RequestCancel();
    });
    std::string reply;
    EXPECT_EQ(socket.ConnectServer("127.0.0.1", server.Port(), reply), POP3_CANCELLED);
    canceller.join();
}

// A reply after its time-out: the connection is closed, so the late bytes meet nothing.
TEST_F(Pop3SocketTest, AReplyThatTimedOutIsNeverReadForTheNextCommand) {
    Open();
    server.Script("UIDL", FakeReply::Silence());
    const size_t before = clock.Sleeps();
    Running uidl(clock, [&] { return socket.CmdUidlAll(reply); });
    WaitUntilAsleep(before);
    clock.Advance(11000);
    EXPECT_EQ(uidl.Code(), POP3_TIMEOUT);
    EXPECT_FALSE(socket.IsConnected());
    server.Send("+OK\r\n1 UID1\r\n.\r\n");
    EXPECT_EQ(socket.CmdList(1, reply), POP3_ERROR);
}

// One at a time, a reply with another one behind it is out of step with the commands.
TEST_F(Pop3SocketTest, TwoRepliesForOneCommandCloseTheConnection) {
    Open();
    server.Script("LIST 1", FakeReply::Text("+OK 1 22\r\n+OK 1 22\r\n"));
    EXPECT_EQ(socket.CmdList(1, reply), POP3_ERROR);
    EXPECT_TRUE(socket.OutOfStep());
    EXPECT_FALSE(socket.IsConnected());
}

// A name server that does not answer holds up neither a cancel nor the time-out: the
// lookup is left to end on its own.
std::mutex g_lookupLock;
std::condition_variable g_lookupReleased;
bool g_lookupRelease = false;
int g_lookupsEnded = 0;

int StalledLookup(const char* host, const char* service, const addrinfo* hints, addrinfo** result) {
    std::unique_lock lock(g_lookupLock);
    g_lookupReleased.wait(lock, [] { return g_lookupRelease; });
    ++g_lookupsEnded;
    g_lookupReleased.notify_all();
    lock.unlock();
    (void)host; // a name that needs no name server, once released
    return ::getaddrinfo("127.0.0.1", service, hints, result);
}

TEST(Pop3SocketConnect, ASlowNameLookupIsAbandonedByCancelAndTimeOut) {
    g_lookupRelease = false;
    g_lookupsEnded = 0;
    ManualMonotonicClock clock{1500};
    CPop3Socket socket;
    socket.m_nTimeout = 10;
    socket.SetTimeSource(&clock);
    socket.SetResolver(&StalledLookup);
    std::string reply;
    {
        const size_t before = clock.Sleeps();
        Running connect(clock, [&] { return socket.ConnectServer("mail.invalid", 110, reply); });
        ASSERT_TRUE(clock.WaitForSleeps(before + 1));
        socket.RequestCancel();
        EXPECT_EQ(connect.Code(), POP3_CANCELLED);
    }
    {
        const size_t before = clock.Sleeps();
        Running connect(clock, [&] { return socket.ConnectServer("mail.invalid", 110, reply); });
        ASSERT_TRUE(clock.WaitForSleeps(before + 1));
        clock.Advance(11000);
        EXPECT_EQ(connect.Code(), POP3_TIMEOUT);
    }
    std::unique_lock lock(g_lookupLock);
    g_lookupRelease = true;
    g_lookupReleased.notify_all();
    g_lookupReleased.wait(lock, [] { return g_lookupsEnded == 2; }); // they end unattended
}

TEST(Pop3SocketIsPositive, ComparesTheFirstThreeBytes) {
    EXPECT_TRUE(CPop3Socket::IsPositive("+OK"));
    EXPECT_TRUE(CPop3Socket::IsPositive("+OK 2 200\r\n"));
    EXPECT_FALSE(CPop3Socket::IsPositive("+ok\r\n"));
    EXPECT_FALSE(CPop3Socket::IsPositive("-ERR\r\n"));
    EXPECT_FALSE(CPop3Socket::IsPositive("+O"));
    EXPECT_FALSE(CPop3Socket::IsPositive(""));
}

// --- exact bytes on the wire, seen by a raw peer that answers every command with "+OK"
// (and its lone dot, for a multi-line one).
class RawPeer {
public:
    RawPeer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listen, 1);
        socklen_t length = sizeof address;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~RawPeer() {
        if (m_thread.joinable()) {
            m_thread.join();
        }
        ::close(m_listen);
    }
    unsigned Port() const { return m_port; }
    // The bytes of the one command, once the peer has answered it.
    std::string Received() {
        m_thread.join();
        return m_received;
    }

private:
    void Serve() {
        int fd = ::accept(m_listen, nullptr, nullptr);
        const char greeting[] = "+OK\r\n";
        ::send(fd, greeting, sizeof greeting - 1, MSG_NOSIGNAL);
        char buffer[256];
        while (m_received.find('\n') == std::string::npos) {
            ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            m_received.append(buffer, static_cast<size_t>(got));
        }
        // One reply of the command's kind: more would be out of step.
        const bool multiLine = m_received.rfind("TOP ", 0) == 0 || m_received == "UIDL\r\n" ||
                               m_received == "CAPA\r\n";
        const std::string answer = multiLine ? "+OK\r\n.\r\n" : "+OK\r\n";
        ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
        ::close(fd);
    }

    int m_listen = -1;
    unsigned m_port = 0;
    std::thread m_thread;
    std::string m_received;
};

struct WireCase {
    const char* name;
    std::function<int(CPop3Socket&, std::string&)> command;
    std::string bytes;
};

class WireFormTest : public ::testing::TestWithParam<WireCase> {};

TEST_P(WireFormTest, SendsExactlyTheseBytes) {
    RawPeer peer;
    CPop3Socket socket;
    std::string reply;
    ASSERT_EQ(socket.ConnectServer("127.0.0.1", peer.Port(), reply), POP3_OK);
    EXPECT_EQ(GetParam().command(socket, reply), POP3_OK);
    EXPECT_EQ(peer.Received(), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, WireFormTest,
    ::testing::Values(
        WireCase{"User", [](CPop3Socket& s, std::string& r) { return s.CmdUser("taro", r); },
                 "USER taro\r\n"},
        WireCase{"Pass", [](CPop3Socket& s, std::string& r) { return s.CmdPass("se cret", r); },
                 "PASS se cret\r\n"},
        WireCase{"Stat", [](CPop3Socket& s, std::string& r) { return s.CmdStat(r); }, "STAT\r\n"},
        WireCase{"List", [](CPop3Socket& s, std::string& r) { return s.CmdList(7, r); },
                 "LIST 7\r\n"},
        WireCase{"ListLargest",
                 [](CPop3Socket& s, std::string& r) { return s.CmdList(4294967295u, r); },
                 "LIST 4294967295\r\n"},
        WireCase{"Uidl", [](CPop3Socket& s, std::string& r) { return s.CmdUidl(12, r); },
                 "UIDL 12\r\n"},
        WireCase{"UidlAll", [](CPop3Socket& s, std::string& r) { return s.CmdUidlAll(r); },
                 "UIDL\r\n"},
        WireCase{"Stls", [](CPop3Socket& s, std::string& r) { return s.CmdStls(r); }, "STLS\r\n"},
        WireCase{"Top", [](CPop3Socket& s, std::string& r) { return s.CmdTop(3, 0, r); },
                 "TOP 3 0\r\n"},
        WireCase{
            "TopLargest",
            [](CPop3Socket& s, std::string& r) { return s.CmdTop(4294967295u, 4294967295u, r); },
            "TOP 4294967295 4294967295\r\n"},
        WireCase{"Dele", [](CPop3Socket& s, std::string& r) { return s.CmdDele(1, r); },
                 "DELE 1\r\n"},
        WireCase{"Rset", [](CPop3Socket& s, std::string& r) { return s.CmdRset(r); }, "RSET\r\n"},
        WireCase{"Quit", [](CPop3Socket& s, std::string& r) { return s.CmdQuit(r); }, "QUIT\r\n"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

} // namespace
} // namespace tolvane
