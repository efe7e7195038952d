#include "engine/LoopbackRedirect.h"

#include "engine/FormEncode.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace tolvane {

namespace {

constexpr size_t kMaxHeadBytes = 16 * 1024;
constexpr size_t kMaxConnections = 16;

const char kDonePage[] = "<!DOCTYPE html><html lang=\"ja\"><head><meta charset=\"utf-8\">"
                         "<title>トルヴェイン</title></head><body><p>サインインが完了しました。"
                         "このページを閉じて、トルヴェインに戻ってください。</p></body></html>";
const char kFailedPage[] = "<!DOCTYPE html><html lang=\"ja\"><head><meta charset=\"utf-8\">"
                           "<title>トルヴェイン</title></head><body><p>サインインできませんでした。"
                           "トルヴェインからもう一度サインインしてください。</p></body></html>";

void SendPage(int fd, const char* status, const std::string& page) {
    const std::string reply = std::string("HTTP/1.1 ") + status +
                              "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                              std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page;
    size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return; // the browser went away; the sign-in is decided all the same
        }
        sent += static_cast<size_t>(n);
    }
}

} // namespace

CLoopbackRedirect::CLoopbackRedirect() {
    m_hCancel = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CLoopbackRedirect::~CLoopbackRedirect() {
    if (m_hListen >= 0) {
        ::close(m_hListen);
    }
    if (m_hCancel >= 0) {
        ::close(m_hCancel);
    }
}

bool CLoopbackRedirect::Listen() {
    if (m_hCancel < 0) {
        return false;
    }
    m_hListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_hListen < 0) {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_hListen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_hListen, 4) != 0 ||
        ::getsockname(m_hListen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(m_hListen);
        m_hListen = -1;
        return false;
    }
    m_nPort = ntohs(address.sin_port);
    return true;
}

std::string CLoopbackRedirect::RedirectUri() const {
    return "http://127.0.0.1:" + std::to_string(m_nPort) + "/";
}

void CLoopbackRedirect::Cancel() {
    const uint64_t one = 1;
    if (::write(m_hCancel, &one, sizeof one) < 0) {
        // The counter is full only after 2^64-2 cancels: it is set either way.
    }
}

int CLoopbackRedirect::Answer(int fd, const std::string& head, const std::string& state,
                              std::string& code, std::string& detail, bool& decided) {
    // "GET /?code=...&state=... HTTP/1.1"
    decided = false;
    const size_t lineEnd = head.find("\r\n");
    const std::string line = head.substr(0, lineEnd);
    const size_t target = line.find(' ');
    const size_t version = line.rfind(' ');
    if (line.rfind("GET ", 0) != 0 || target == version) {
        SendPage(fd, "400 Bad Request", kFailedPage);
        return REDIRECT_OK;
    }
    const std::string uri = line.substr(target + 1, version - target - 1);
    const size_t question = uri.find('?');
    if (uri.substr(0, question) != "/") {
        SendPage(fd, "404 Not Found", "");
        return REDIRECT_OK;
    }
    const std::string query = question == std::string::npos ? "" : uri.substr(question + 1);
    decided = true;
    std::string given;
    if (!QueryValue(query, "state", given) || given != state) {
        SendPage(fd, "400 Bad Request", kFailedPage);
        return REDIRECT_WRONG_STATE;
    }
    if (QueryValue(query, "error", detail)) {
        SendPage(fd, "200 OK", kFailedPage);
        return REDIRECT_DENIED;
    }
    if (!QueryValue(query, "code", code) || code.empty()) {
        SendPage(fd, "400 Bad Request", kFailedPage);
        return REDIRECT_FAILED;
    }
    SendPage(fd, "200 OK", kDonePage);
    return REDIRECT_OK;
}

int CLoopbackRedirect::WaitForCode(const std::string& state, const IMonotonicClock& clock,
                                   int64_t deadlineMs, std::string& code, std::string& detail) {
    code.clear();
    detail.clear();
    if (m_hListen < 0) {
        return REDIRECT_FAILED;
    }
    // Browsers open connections ahead that may never carry a request: every connection is
    // read at once, and the first whole request for "/" decides.
    std::vector<Connection> open;
    auto finish = [&open](int result) {
        for (const Connection& connection : open) {
            ::close(connection.fd);
        }
        return result;
    };
    for (;;) {
        std::vector<pollfd> fds{
            {m_hCancel, POLLIN, 0}, {m_hListen, POLLIN, 0}, {clock.WakeFd(), POLLIN, 0}};
        for (const Connection& connection : open) {
            fds.push_back({connection.fd, POLLIN, 0});
        }
        const int timeout = clock.SleepMs(deadlineMs);
        if (timeout == 0) {
            return finish(REDIRECT_TIMEOUT);
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
            return finish(REDIRECT_FAILED);
        }
        if ((fds[0].revents & POLLIN) != 0) {
            return finish(REDIRECT_CANCELLED);
        }
        if ((fds[2].revents & POLLIN) != 0) {
            uint64_t moved = 0;
            if (::read(fds[2].fd, &moved, sizeof moved) < 0) {
                // Emptied by another waiter: the deadline is tested all the same.
            }
        }
        for (size_t i = open.size(); i-- > 0;) {
            if (fds[3 + i].revents == 0) {
                continue;
            }
            bool decided = false;
            const int result = Read(open[i], state, code, detail, decided);
            if (decided) {
                return finish(result);
            }
        }
        std::erase_if(open, [](const Connection& connection) { return connection.fd < 0; });
        if ((fds[1].revents & POLLIN) != 0) {
            const int fd = ::accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0 && open.size() < kMaxConnections) {
                open.push_back({fd, {}});
            } else if (fd >= 0) {
                ::close(fd);
            }
        }
    }
}

int CLoopbackRedirect::Read(Connection& connection, const std::string& state, std::string& code,
                            std::string& detail, bool& decided) {
    decided = false;
    char buffer[4096];
    const ssize_t n = ::recv(connection.fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return REDIRECT_OK;
    }
    if (n > 0 && connection.head.size() + static_cast<size_t>(n) <= kMaxHeadBytes) {
        connection.head.append(buffer, static_cast<size_t>(n));
        if (connection.head.find("\r\n\r\n") == std::string::npos) {
            return REDIRECT_OK;
        }
    }
    int result = REDIRECT_OK;
    if (n > 0 && connection.head.find("\r\n\r\n") != std::string::npos) {
        result = Answer(connection.fd, connection.head, state, code, detail, decided);
    }
    // Answered, closed by the browser, or too long: this connection is done.
    ::close(connection.fd);
    connection.fd = -1;
    return result;
}

} // namespace tolvane
