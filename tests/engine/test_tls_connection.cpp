// The TLS step against peers that misbehave: a handshake that is cancelled or stalls
// halfway, an STLS answer followed by clear text, an unknown Security value; and the
// clear-text warning, given once per connection to a server that is not on loopback.
#include "engine/JobTexts.h"
#include "engine/Pop3Socket.h"
#include "engine/SaslMechanisms.h"
#include "tests/engine/AccountJobTest.h"
#include "tests/support/RunningOperation.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolvane::test {
namespace {

// A listener on address (IPv4, any port) whose one connection the test drives by hand.
class HandPeer {
public:
    explicit HandPeer(in_addr_t address = htonl(INADDR_LOOPBACK)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = address;
        socklen_t length = sizeof where;
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&where), length) != 0 ||
            ::listen(m_listen, 1) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
            ADD_FAILURE() << "cannot listen";
        }
        m_port = ntohs(where.sin_port);
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &where.sin_addr, text, sizeof text);
        m_address = text;
    }
    ~HandPeer() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        ::close(m_listen);
    }
    unsigned Port() const { return m_port; }
    const std::string& Address() const { return m_address; }
    void Accept() { m_fd = ::accept(m_listen, nullptr, nullptr); }
    // What has arrived within ten seconds, at least one byte (a bound against a hang only).
    std::string Receive() {
        pollfd readable{m_fd, POLLIN, 0};
        char buffer[4096];
        if (::poll(&readable, 1, 10000) != 1) {
            return {};
        }
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
    }
    void Send(const std::string& bytes) { ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

private:
    int m_listen = -1;
    int m_fd = -1;
    unsigned m_port = 0;
    std::string m_address;
};

class TlsHandshake : public ::testing::Test {
protected:
    void SetUp() override {
        socket.m_nTimeout = 2;
        socket.SetTimeSource(&clock);
    }
    // Connects with a greeting, then starts the handshake (as after STLS) and waits until
    // the ClientHello arrived and the handshake sleeps: every sleep from here on is the
    // handshake's.
    std::unique_ptr<Running> StartHandshake() {
        std::thread greeter([this] {
            peer.Accept();
            peer.Send("+OK\r\n");
        });
        EXPECT_EQ(socket.ConnectServer("127.0.0.1", peer.Port(), reply), POP3_OK);
        greeter.join();
        const size_t before = clock.Sleeps();
        auto running =
            std::make_unique<Running>(clock, [this] { return socket.StartTls("localhost", true); });
        const std::string hello = peer.Receive();
        EXPECT_FALSE(hello.empty());
        EXPECT_EQ(hello[0], '\x16'); // a handshake record
        EXPECT_TRUE(clock.WaitForSleeps(before + 1));
        return running;
    }

    ManualMonotonicClock clock{1500};
    HandPeer peer;
    CPop3Socket socket;
    std::string reply;
};

TEST_F(TlsHandshake, CancelEndsTheHandshakeAtOnce) {
    auto running = StartHandshake();
    socket.RequestCancel(); // the clock stands still: only the cancel can end the wait
    EXPECT_EQ(running->Code(), POP3_CANCELLED);
}

TEST_F(TlsHandshake, ServerStallingHalfwayTimesOut) {
    auto running = StartHandshake();
    const size_t before = clock.Sleeps();
    // The head of a ServerHello record and a few of its bytes, then nothing.
    peer.Send(std::string("\x16\x03\x03\x00\x7a\x02\x00\x00", 8));
    ASSERT_TRUE(clock.WaitForSleeps(before + 1)); // read them, waits for the rest
    EXPECT_FALSE(running->Ended());
    clock.Advance(1500); // the silence reaches the two seconds
    EXPECT_EQ(running->Code(), POP3_TIMEOUT);
}

// --- the account's TLS step against the fake server

class TlsStep : public AccountJobTest {};

TEST_F(TlsStep, ClearTextAfterTheStlsAnswerIsRefused) {
    account->m_nSecurity = SECURITY_STLS;
    server.Script("STLS", FakeReply::Text("+OK Begin TLS\r\n+OK injected\r\n"));
    EXPECT_FALSE(account->OpenConnection());
    EXPECT_EQ(log.Texts().back(), LOG_TEXT(txt::kStlsExtraData, "pop"));
    EXPECT_EQ(server.Commands(), (Strings{"STLS"}));
}

TEST_F(TlsStep, UnknownSecurityValueConnectsNowhere) {
    account->m_nSecurity = 7;
    EXPECT_FALSE(account->OpenConnection());
    EXPECT_EQ(log.Texts().back(), LOG_TEXT(txt::kSecurityUnknown, "pop", 7));
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_EQ(account->m_bOpen, 0);
}

// --- the clear-text warning

// An IPv4 address of this machine other than loopback; none on a machine without one.
std::optional<in_addr_t> OutsideAddress() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return std::nullopt;
    }
    std::optional<in_addr_t> found;
    for (ifaddrs* entry = list; entry && !found; entry = entry->ifa_next) {
        if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET) {
            const in_addr_t address =
                reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
            if ((ntohl(address) >> 24) != 127) {
                found = address;
            }
        }
    }
    ::freeifaddrs(list);
    return found;
}

TEST(ClearTextWarning, OncePerConnectionToAServerOffLoopback) {
    const std::optional<in_addr_t> address = OutsideAddress();
    if (!address) {
        GTEST_SKIP() << "this machine has no address but loopback";
    }
    HandPeer peer(*address);
    LogCollector log;
    auto account = LocalAccount(log, peer.Port(), "taro", "secret");
    account->m_strServer = peer.Address();
    std::thread server([&] {
        peer.Accept();
        peer.Send("+OK\r\n");
        for (int answered = 0; answered < 3; ++answered) { // USER, PASS, QUIT
            if (peer.Receive().empty()) {
                break;
            }
            peer.Send("+OK\r\n");
        }
    });
    ASSERT_TRUE(account->OpenConnection()) << log.Utf8();
    EXPECT_TRUE(account->Login()) << log.Utf8();
    EXPECT_TRUE(account->Logout());
    server.join();
    EXPECT_EQ(log.Texts(),
              (Strings{LOG_TEXT(txt::kConnecting, "pop"), LOG_TEXT(txt::kClearTextPassword, "pop"),
                       LOG_TEXT(txt::kConnected, "pop"), LOG_TEXT(txt::kLoggedOut, "pop")}));
}

// An access token never goes in clear text off loopback: the connection ends after the
// greeting, before CAPA.
TEST(ClearTextWarning, OAuthOffLoopbackIsRefused) {
    const std::optional<in_addr_t> address = OutsideAddress();
    if (!address) {
        GTEST_SKIP() << "this machine has no address but loopback";
    }
    HandPeer peer(*address);
    LogCollector log;
    auto account = LocalAccount(log, peer.Port(), "taro", "");
    account->m_strServer = peer.Address();
    account->m_nAuthentication = AUTH_OAUTH2;
    std::string received = "unset";
    std::thread server([&] {
        peer.Accept();
        peer.Send("+OK\r\n");
        received = peer.Receive(); // empty: closed without a command
    });
    ASSERT_TRUE(account->OpenConnection()) << log.Utf8();
    EXPECT_FALSE(account->Login());
    server.join();
    EXPECT_EQ(received, "");
    EXPECT_EQ(log.Texts(),
              (Strings{LOG_TEXT(txt::kConnecting, "pop"), LOG_TEXT(txt::kOAuthNeedsTls, "pop")}));
}

TEST(ClearTextWarning, NotForLoopback) {
    FakePop3Server server;
    LogCollector log;
    auto account = LocalAccount(log, server.Port(), "taro", "secret");
    account->m_strServer = "localhost"; // ::1 or 127.0.0.1, whichever answers
    ASSERT_TRUE(account->OpenConnection());
    EXPECT_TRUE(account->Login());
    EXPECT_TRUE(account->Logout());
    EXPECT_EQ(log.Texts(),
              (Strings{LOG_TEXT(txt::kConnecting, "pop"), LOG_TEXT(txt::kConnected, "pop"),
                       LOG_TEXT(txt::kLoggedOut, "pop")}));
}

} // namespace
} // namespace tolvane::test
