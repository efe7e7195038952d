#include "tests/support/FakeOAuthServer.h"

#include "engine/FormEncode.h"
#include "engine/Pkce.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <curl/curl.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace tolvane::test {

struct FakeOAuthServer::Impl {
    int listenFd = -1;
    int stopPipe[2] = {-1, -1};
    unsigned port = 0;
    std::thread thread;

    mutable std::mutex mutex;
    int64_t lifetime = 3600;
    bool wrongState = false;
    bool denied = false;
    bool revoked = false;
    std::string code, challenge, redirectUri;
    const std::string clientId = kFakeOAuthClient;
    int codes = 0;
    int accessTokens = 0;
    std::string lastAccess;
    int exchanges = 0, refreshes = 0, refusals = 0, introspections = 0;
    std::string user;
    const IMonotonicClock* clock = nullptr;
    struct Issued {
        std::string user;
        int64_t expiresMs = 0; // on the clock; ignored without one
        bool active = true;
    };
    std::map<std::string, Issued> issued;

    void Run();
    void Serve(int fd);
    std::string Authorize(const std::string& query);
    std::string Token(const std::string& body);
    std::string Introspect(const std::string& token);
    std::string Grant(); // under the mutex
};

namespace {

std::string Reply(const std::string& status, const std::string& extra, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\n" + extra + "Content-Type: application/json\r\n" +
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

const char kInvalidGrant[] = R"({"error":"invalid_grant","error_description":"refused"})";

} // namespace

FakeOAuthServer::FakeOAuthServer() : m_impl(new Impl) {
    Impl& s = *m_impl;
    s.listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(s.listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(s.listenFd, 8) != 0 ||
        ::getsockname(s.listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(s.stopPipe, O_CLOEXEC) != 0) {
        std::abort();
    }
    s.port = ntohs(address.sin_port);
    s.thread = std::thread([&s] { s.Run(); });
}

FakeOAuthServer::~FakeOAuthServer() {
    if (::write(m_impl->stopPipe[1], "x", 1) != 1) {
        std::abort();
    }
    m_impl->thread.join();
    ::close(m_impl->listenFd);
    ::close(m_impl->stopPipe[0]);
    ::close(m_impl->stopPipe[1]);
    delete m_impl;
}

void FakeOAuthServer::Impl::Run() {
    for (;;) {
        pollfd fds[2] = {{stopPipe[0], POLLIN, 0}, {listenFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 || (fds[0].revents & POLLIN) != 0) {
            return;
        }
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            Serve(fd);
            ::close(fd);
        }
    }
}

// One request: the head, then as many body bytes as Content-Length says.
void FakeOAuthServer::Impl::Serve(int fd) {
    std::string text;
    size_t headEnd = std::string::npos;
    size_t want = 0;
    char buffer[4096];
    for (;;) {
        if (headEnd == std::string::npos &&
            (headEnd = text.find("\r\n\r\n")) != std::string::npos) {
            const size_t field = text.find("Content-Length: ");
            want = field < headEnd ? std::stoul(text.substr(field + 16)) : 0;
        }
        if (headEnd != std::string::npos && text.size() >= headEnd + 4 + want) {
            break;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    const std::string line = text.substr(0, text.find("\r\n"));
    const std::string body = text.substr(headEnd + 4, want);
    std::string reply;
    if (line.rfind("GET /authorize?", 0) == 0) {
        const size_t end = line.rfind(' ');
        reply = Authorize(line.substr(15, end - 15));
    } else if (line.rfind("POST /token ", 0) == 0) {
        reply = Token(body);
    } else if (line.rfind("POST /introspect ", 0) == 0) {
        std::string token;
        QueryValue(body, "token", token);
        reply = Introspect(token);
    } else {
        reply = Reply("404 Not Found", "", "{}");
    }
    ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
}

std::string FakeOAuthServer::Impl::Authorize(const std::string& query) {
    std::string type, client, redirect, state, method, codeChallenge;
    if (!QueryValue(query, "response_type", type) || type != "code" ||
        !QueryValue(query, "client_id", client) || client != clientId ||
        !QueryValue(query, "redirect_uri", redirect) || !QueryValue(query, "state", state) ||
        !QueryValue(query, "code_challenge", codeChallenge) ||
        !QueryValue(query, "code_challenge_method", method) || method != "S256") {
        return Reply("400 Bad Request", "", "{}");
    }
    std::lock_guard lock(mutex);
    redirectUri = redirect;
    challenge = codeChallenge;
    code = "code-" + std::to_string(++codes);
    const std::string target =
        denied ? redirect + "?error=access_denied&state=" + PercentEncode(state)
               : redirect + "?code=" + code +
                     "&state=" + PercentEncode(wrongState ? state + "x" : state);
    return Reply("302 Found", "Location: " + target + "\r\n", "{}");
}

std::string FakeOAuthServer::Impl::Grant() {
    lastAccess = "access-" + std::to_string(++accessTokens);
    issued[lastAccess] = {user, clock ? clock->NowMs() + lifetime * 1000 : 0, true};
    return R"({"access_token":")" + lastAccess +
           R"(","token_type":"Bearer","refresh_token":"refresh-1","expires_in":)" +
           std::to_string(lifetime) + "}";
}

std::string FakeOAuthServer::Impl::Token(const std::string& body) {
    std::string grant, value, verifier, redirect, client;
    QueryValue(body, "grant_type", grant);
    QueryValue(body, "client_id", client);
    std::lock_guard lock(mutex);
    if (grant == "authorization_code" && QueryValue(body, "code", value) && value == code &&
        !code.empty() && QueryValue(body, "code_verifier", verifier) &&
        CodeChallengeS256(verifier) == challenge && verifier.size() >= 43 &&
        verifier.size() <= 128 && QueryValue(body, "redirect_uri", redirect) &&
        redirect == redirectUri && client == clientId) {
        code.clear(); // a code is good once
        ++exchanges;
        revoked = false;
        return Reply("200 OK", "", Grant());
    }
    if (grant == "refresh_token" && QueryValue(body, "refresh_token", value) &&
        value == "refresh-1" && !revoked && client == clientId) {
        ++refreshes;
        return Reply("200 OK", "", Grant());
    }
    ++refusals;
    return Reply("400 Bad Request", "", kInvalidGrant);
}

std::string FakeOAuthServer::Impl::Introspect(const std::string& token) {
    std::lock_guard lock(mutex);
    ++introspections;
    const auto it = issued.find(token);
    if (it == issued.end() || !it->second.active ||
        (clock && clock->NowMs() >= it->second.expiresMs)) {
        return Reply("200 OK", "", R"({"active":false})");
    }
    std::string name;
    for (const char c : it->second.user) { // JSON string escapes
        if (c == '"' || c == '\\') {
            name += '\\';
        }
        name += c;
    }
    return Reply("200 OK", "",
                 R"({"active":true,"token_type":"Bearer","username":")" + name + "\"}");
}

std::string FakeOAuthServer::AuthorizeUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_impl->port) + "/authorize";
}
std::string FakeOAuthServer::TokenUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_impl->port) + "/token";
}
std::string FakeOAuthServer::IntrospectionUrl() const {
    return "http://127.0.0.1:" + std::to_string(m_impl->port) + "/introspect";
}
void FakeOAuthServer::SetUser(const std::string& user) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->user = user;
}
void FakeOAuthServer::SetClock(const IMonotonicClock* clock) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->clock = clock;
}
void FakeOAuthServer::Deactivate(const std::string& accessToken) {
    std::lock_guard lock(m_impl->mutex);
    const auto it = m_impl->issued.find(accessToken);
    if (it != m_impl->issued.end()) {
        it->second.active = false;
    }
}
void FakeOAuthServer::SetLifetime(int64_t seconds) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->lifetime = seconds;
}
void FakeOAuthServer::SetWrongState(bool wrong) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->wrongState = wrong;
}
void FakeOAuthServer::SetDenied(bool denied) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->denied = denied;
}
void FakeOAuthServer::Revoke() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->revoked = true;
}
std::string FakeOAuthServer::LastAccessToken() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->lastAccess;
}
int FakeOAuthServer::Exchanges() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->exchanges;
}
int FakeOAuthServer::Refreshes() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->refreshes;
}
int FakeOAuthServer::Refusals() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->refusals;
}
int FakeOAuthServer::Introspections() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->introspections;
}

namespace {

size_t Collect(char* data, size_t size, size_t count, void* context) {
    static_cast<std::string*>(context)->append(data, size * count);
    return size * count;
}

} // namespace

FakeOAuthServer::Page FakeOAuthServer::Browse(const std::string& url) {
    Page page;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L); // a bound against a hang only
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &page.body);
    if (curl_easy_perform(curl) == CURLE_OK) {
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &page.status);
    }
    curl_easy_cleanup(curl);
    return page;
}

} // namespace tolvane::test
