// A TCP proxy that delays every byte by a fixed time in each direction, standing in for a
// far server in bench/check-far: a delay of 25 ms each way makes a 50 ms round trip.
//
//   tool_delay_proxy TARGET-HOST TARGET-PORT DELAY-MS
//
// Listens on 127.0.0.1 and a free port, prints "PORT <n>" on standard output, and relays
// each connection to the target: what arrives from one side leaves to the other DELAY-MS
// later, in order (the bandwidth is not limited). An end of stream is passed on after the
// bytes before it. Serves until standard input reaches its end.
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// One direction of a connection: bytes read from `from`, due to be written to `to`.
struct Lane {
    int from = -1;
    int to = -1;
    struct Piece {
        Clock::time_point due;
        std::string bytes; // an empty piece is the end of the stream
    };
    std::deque<Piece> pieces;
    bool ended = false; // `from` reached its end (or broke)
    bool done = false;  // the end was passed on
};

struct Link {
    Lane lanes[2];
    bool Finished() const { return lanes[0].done && lanes[1].done; }
};

int ConnectTo(const char* host, const char* port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host, port, &hints, &list) != 0) {
        return -1;
    }
    int fd = -1;
    for (addrinfo* ai = list; ai != nullptr && fd < 0; ai = ai->ai_next) {
        fd = socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd >= 0 && connect(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(list);
    return fd;
}

void NoDelay(int fd) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

// Reads what is there into the lane, stamped with its due time.
void Take(Lane& lane, std::chrono::milliseconds delay) {
    char buffer[65536];
    const ssize_t got = recv(lane.from, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) {
        return;
    }
    const Clock::time_point due = Clock::now() + delay;
    if (got <= 0) {
        lane.ended = true;
        lane.pieces.push_back({due, std::string()});
        return;
    }
    lane.pieces.push_back({due, std::string(buffer, static_cast<size_t>(got))});
}

// Writes the pieces that are due (blocking: the far side reads as fast as it can).
void Deliver(Lane& lane) {
    const Clock::time_point now = Clock::now();
    while (!lane.pieces.empty() && lane.pieces.front().due <= now) {
        const std::string& bytes = lane.pieces.front().bytes;
        if (bytes.empty()) {
            shutdown(lane.to, SHUT_WR);
            lane.done = true;
        }
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = send(lane.to, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                lane.done = true; // the other side is gone: drop the rest
                lane.pieces.clear();
                return;
            }
            sent += static_cast<size_t>(n);
        }
        lane.pieces.pop_front();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tool_delay_proxy TARGET-HOST TARGET-PORT DELAY-MS\n");
        return 2;
    }
    const std::chrono::milliseconds delay(std::atol(argv[3]));
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0 ||
        listen(listener, 16) < 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) < 0) {
        std::perror("tool_delay_proxy: listen");
        return 1;
    }
    std::printf("PORT %u\n", ntohs(address.sin_port));
    std::fflush(stdout);

    std::vector<std::unique_ptr<Link>> links;
    for (;;) {
        std::vector<pollfd> fds = {{0, POLLIN, 0}, {listener, POLLIN, 0}};
        std::vector<Lane*> reading;
        Clock::time_point next = Clock::time_point::max();
        for (auto& link : links) {
            for (Lane& lane : link->lanes) {
                if (!lane.ended) {
                    fds.push_back({lane.from, POLLIN, 0});
                    reading.push_back(&lane);
                }
                if (!lane.pieces.empty()) {
                    next = std::min(next, lane.pieces.front().due);
                }
            }
        }
        int timeout = -1;
        if (next != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
            timeout = static_cast<int>(std::max<long long>(left.count(), 0));
        }
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
            std::perror("tool_delay_proxy: poll");
            return 1;
        }
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            char byte;
            if (read(0, &byte, 1) <= 0) {
                return 0;
            }
        }
        if (fds[1].revents & POLLIN) {
            const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            const int server = client >= 0 ? ConnectTo(argv[1], argv[2]) : -1;
            if (server < 0) {
                if (client >= 0) {
                    close(client);
                }
            } else {
                NoDelay(client);
                NoDelay(server);
                auto link = std::make_unique<Link>();
                link->lanes[0].from = client;
                link->lanes[0].to = server;
                link->lanes[1].from = server;
                link->lanes[1].to = client;
                links.push_back(std::move(link));
            }
        }
        for (size_t i = 0; i < reading.size(); ++i) {
            if (fds[i + 2].revents & (POLLIN | POLLHUP | POLLERR)) {
                Take(*reading[i], delay);
            }
        }
        for (auto it = links.begin(); it != links.end();) {
            for (Lane& lane : (*it)->lanes) {
                Deliver(lane);
            }
            if ((*it)->Finished()) {
                close((*it)->lanes[0].from);
                close((*it)->lanes[1].from);
                it = links.erase(it);
            } else {
                ++it;
            }
        }
    }
}
