// The yardstick of bench/check-throughput: the dialogue of one check in normal mode (USER,
// PASS, STAT, then TOP n LINES, LIST n and, when the header has no X-UIDL, UIDL n for each
// message, then QUIT) with blocking sockets and no decoding at all. It keeps nothing but
// byte counts, so its time is what the server and the network cost.
//
//   tool_reference_client HOST PORT USER PASSWORD LINES
//
// Prints "<messages> messages, <bytes> bytes" on standard output; exit status 0, or 1 with
// a reason on standard error when a step fails.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class Connection {
public:
    ~Connection() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }

    bool Open(const char* host, const char* port) {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (getaddrinfo(host, port, &hints, &list) != 0) {
            return false;
        }
        for (addrinfo* ai = list; ai != nullptr && m_fd < 0; ai = ai->ai_next) {
            m_fd = socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
            if (m_fd >= 0 && connect(m_fd, ai->ai_addr, ai->ai_addrlen) != 0) {
                close(m_fd);
                m_fd = -1;
            }
        }
        freeaddrinfo(list);
        return m_fd >= 0;
    }

    bool Send(const std::string& command) {
        const std::string line = command + "\r\n";
        size_t sent = 0;
        while (sent < line.size()) {
            const ssize_t n = send(m_fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            sent += static_cast<size_t>(n);
        }
        return true;
    }

    // One reply: a single line, or (multiLine and "+OK") everything up to "\r\n.\r\n".
    // False when the connection fails or the reply is not "+OK".
    bool Reply(bool multiLine, std::string& reply) {
        reply.clear();
        size_t scanned = 0;
        for (;;) {
            const size_t lineEnd = reply.find("\r\n");
            if (lineEnd != std::string::npos) {
                if (!reply.starts_with("+OK")) {
                    return false;
                }
                if (!multiLine) {
                    return true;
                }
                const size_t from = scanned > 4 ? scanned - 4 : 0;
                if (reply.find("\r\n.\r\n", std::max(from, lineEnd)) != std::string::npos) {
                    return true;
                }
                scanned = reply.size();
            }
            char buffer[65536];
            const ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            reply.append(buffer, static_cast<size_t>(n));
            m_received += static_cast<unsigned long long>(n);
        }
    }

    bool Command(const std::string& command, bool multiLine, std::string& reply) {
        return Send(command) && Reply(multiLine, reply);
    }

    unsigned long long Received() const { return m_received; }

private:
    int m_fd = -1;
    unsigned long long m_received = 0;
};

bool Fail(const char* step, const std::string& reply) {
    std::fprintf(stderr, "tool_reference_client: %s failed: %.*s\n", step,
                 static_cast<int>(std::min<size_t>(reply.size(), 200)), reply.c_str());
    return false;
}

bool Check(Connection& pop, const char* user, const char* password, long lines,
           unsigned long& messages) {
    std::string reply;
    if (!pop.Reply(false, reply)) {
        return Fail("greeting", reply);
    }
    if (!pop.Command(std::string("USER ") + user, false, reply)) {
        return Fail("USER", reply);
    }
    if (!pop.Command(std::string("PASS ") + password, false, reply)) {
        return Fail("PASS", reply);
    }
    if (!pop.Command("STAT", false, reply)) {
        return Fail("STAT", reply);
    }
    messages = std::strtoul(reply.c_str() + 3, nullptr, 10);
    for (unsigned long n = 1; n <= messages; ++n) {
        const std::string number = std::to_string(n);
        if (!pop.Command("TOP " + number + " " + std::to_string(lines), true, reply)) {
            return Fail("TOP", reply);
        }
        const bool hasUidl = reply.find("\r\nX-UIDL:") != std::string::npos; // as the check looks
        if (!pop.Command("LIST " + number, false, reply)) {
            return Fail("LIST", reply);
        }
        if (!hasUidl && !pop.Command("UIDL " + number, false, reply)) {
            return Fail("UIDL", reply);
        }
    }
    if (!pop.Command("QUIT", false, reply)) {
        return Fail("QUIT", reply);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: tool_reference_client HOST PORT USER PASSWORD LINES\n");
        return 2;
    }
    Connection pop;
    if (!pop.Open(argv[1], argv[2])) {
        std::fprintf(stderr, "tool_reference_client: cannot connect to %s:%s\n", argv[1], argv[2]);
        return 1;
    }
    unsigned long messages = 0;
    if (!Check(pop, argv[3], argv[4], std::strtol(argv[5], nullptr, 10), messages)) {
        return 1;
    }
    std::printf("%lu messages, %llu bytes\n", messages, pop.Received());
    return 0;
}
