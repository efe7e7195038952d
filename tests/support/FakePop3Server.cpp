#include "tests/support/FakePop3Server.h"

#include "engine/Base64Encode.h"
#include "engine/TransferDecode.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <iterator>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolvane::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kReadBytes = 65536;

[[noreturn]] void Die(const char* what) {
    std::fprintf(stderr, "FakePop3Server: %s: %s\n", what, std::strerror(errno));
    std::abort();
}

void SetNonBlocking(int fd) {
    int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        Die("fcntl");
    }
}

bool PatternMatches(const std::string& pattern, const std::string& line) {
    if (line.compare(0, pattern.size(), pattern) != 0) {
        return false;
    }
    return line.size() == pattern.size() || line[pattern.size()] == ' ';
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// Splits a command line into its keyword and the words after it.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string::npos) {
            break;
        }
        size_t end = line.find(' ', start);
        if (end == std::string::npos) {
            end = line.size();
        }
        words.push_back(line.substr(start, end - start));
        pos = end;
    }
    return words;
}

// A strict unsigned decimal; false for anything else.
bool ParseNumber(const std::string& word, unsigned& value) {
    if (word.empty() || word.size() > 9) {
        return false;
    }
    value = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

std::vector<std::string> SplitLines(const std::string& content) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(content.substr(pos));
            break;
        }
        lines.push_back(content.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

void AppendStuffed(std::string& out, const std::string& line) {
    if (!line.empty() && line[0] == '.') {
        out += '.';
    }
    out += line;
    out += "\r\n";
}

} // namespace

FakeReply FakeReply::Text(std::string bytes) {
    FakeReply reply;
    reply.chunks.push_back({std::move(bytes), std::chrono::milliseconds(0)});
    return reply;
}

FakeReply FakeReply::Err(const std::string& text) {
    return Text(text + "\r\n");
}

FakeReply FakeReply::Silence() {
    FakeReply reply;
    reply.after = After::Silent;
    return reply;
}

FakeReply FakeReply::CloseNow() {
    FakeReply reply;
    reply.after = After::Close;
    return reply;
}

FakeReply& FakeReply::Then(std::string bytes, std::chrono::milliseconds delayBefore) {
    chunks.push_back({std::move(bytes), delayBefore});
    return *this;
}

FakeReply& FakeReply::AndClose() {
    after = After::Close;
    return *this;
}

struct FakePop3Server::Impl {
    struct Scripted {
        std::string pattern;
        FakeReply reply;
        bool sticky;
    };

    // --- shared with the test thread, guarded by mutex
    mutable std::mutex mutex;
    std::condition_variable commandArrived;
    std::string user = "taro";
    std::string password = "secret";
    std::vector<FakeMessage> messages;
    FakeReply greeting = FakeReply::Text("+OK fake POP3 ready\r\n");
    std::vector<Scripted> scripts;
    std::function<void(const std::string&)> hook;
    std::vector<std::string> commands;
    std::string received;
    size_t maxAhead = 0;
    std::vector<std::string> capabilities;
    int connections = 0;
    bool stop = false;
    std::string pushed; // bytes of Send, not yet taken by the server thread
    // Session state that concerns the mailbox (guarded too, since Messages() reads it).
    std::vector<bool> deleted;
    bool userGiven = false;
    bool authenticated = false;
    // The AUTH dialogue: the mechanism named, and what the next line must be.
    enum class SaslStep { None, Response, Abort };
    std::string saslMechanism;
    SaslStep saslStep = SaslStep::None;
    std::string accessToken = "fake-access-token";
    unsigned port = 0;
    FakeReply SaslReply(const std::string& line);
    bool SaslOffered(const std::string& mechanism) const;

    // --- server thread only
    int listenFd = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    int clientFd = -1;
    std::string input;
    std::string output;
    size_t outputSent = 0; // bytes of output already written
    std::deque<FakeReply::Chunk> chunks;
    FakeReply::After after = FakeReply::After::Keep;
    bool replying = false;   // a reply (chunks, then its after-action) is under way
    bool delayArmed = false; // the next chunk waits for chunkDue
    Clock::time_point chunkDue;
    bool silent = false;
    std::thread thread;

    void Run();
    void Accept();
    void DropClient(bool reset);
    void ReadClient();
    void WriteClient();
    void Pump();
    void StartReply(FakeReply reply);
    void HandleLine(const std::string& line);
    FakeReply DefaultReply(const std::string& line);
    bool Valid(unsigned number) const;
    int PollTimeoutMs() const;
};

FakePop3Server::FakePop3Server() : m_impl(new Impl) {
    Impl& s = *m_impl;
    s.listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s.listenFd < 0) {
        Die("socket");
    }
    int one = 1;
    ::setsockopt(s.listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(s.listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0 ||
        ::listen(s.listenFd, 16) < 0) {
        Die("bind/listen");
    }
    socklen_t length = sizeof address;
    if (::getsockname(s.listenFd, reinterpret_cast<sockaddr*>(&address), &length) < 0) {
        Die("getsockname");
    }
    m_port = ntohs(address.sin_port);
    m_impl->port = m_port;
    SetNonBlocking(s.listenFd);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) < 0) {
        Die("pipe2");
    }
    s.wakeRead = pipeFds[0];
    s.wakeWrite = pipeFds[1];
    s.thread = std::thread([&s] { s.Run(); });
}

FakePop3Server::~FakePop3Server() {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->stop = true;
    }
    char byte = 1;
    while (::write(m_impl->wakeWrite, &byte, 1) < 0 && errno == EINTR) {
    }
    m_impl->thread.join();
    if (m_impl->clientFd >= 0) {
        ::close(m_impl->clientFd);
    }
    ::close(m_impl->listenFd);
    ::close(m_impl->wakeRead);
    ::close(m_impl->wakeWrite);
    delete m_impl;
}

void FakePop3Server::SetUser(const std::string& user, const std::string& password) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->user = user;
    m_impl->password = password;
}

void FakePop3Server::SetMessages(std::vector<FakeMessage> messages) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->messages = std::move(messages);
    m_impl->deleted.clear();
}

void FakePop3Server::AddMessage(FakeMessage message) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->messages.push_back(std::move(message));
}

std::vector<FakeMessage> FakePop3Server::Messages() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->messages;
}

void FakePop3Server::SetGreeting(FakeReply greeting) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->greeting = std::move(greeting);
}

void FakePop3Server::Script(const std::string& pattern, FakeReply reply, bool sticky) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->scripts.push_back({pattern, std::move(reply), sticky});
}

void FakePop3Server::OnCommand(std::function<void(const std::string& line)> hook) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->hook = std::move(hook);
}

std::vector<std::string> FakePop3Server::Commands() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->commands;
}

std::string FakePop3Server::Received() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->received;
}

size_t FakePop3Server::MaxCommandsAhead() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->maxAhead;
}

void FakePop3Server::SetAccessToken(const std::string& token) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->accessToken = token;
}

void FakePop3Server::SetCapabilities(std::vector<std::string> capabilities) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->capabilities = std::move(capabilities);
}

void FakePop3Server::ClearCommands() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->commands.clear();
    m_impl->received.clear();
    m_impl->maxAhead = 0;
}

bool FakePop3Server::WaitForCommand(const std::string& pattern, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_impl->mutex);
    return m_impl->commandArrived.wait_for(lock, timeout, [&] {
        for (const auto& line : m_impl->commands) {
            if (PatternMatches(pattern, line)) {
                return true;
            }
        }
        return false;
    });
}

int FakePop3Server::Connections() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->connections;
}

bool FakePop3Server::WaitForConnections(int n, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_impl->mutex);
    return m_impl->commandArrived.wait_for(lock, timeout, [&] { return m_impl->connections >= n; });
}

void FakePop3Server::Send(std::string bytes) {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->pushed += bytes;
    }
    char byte = 1;
    while (::write(m_impl->wakeWrite, &byte, 1) < 0 && errno == EINTR) {
    }
}

// --- the server thread

int FakePop3Server::Impl::PollTimeoutMs() const {
    if (!delayArmed) {
        return -1;
    }
    auto left = std::chrono::ceil<std::chrono::milliseconds>(chunkDue - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

void FakePop3Server::Impl::Run() {
    for (;;) {
        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = {wakeRead, POLLIN, 0};
        fds[count++] = {listenFd, POLLIN, 0};
        if (clientFd >= 0) {
            short events = POLLIN;
            if (!output.empty()) {
                events |= POLLOUT;
            }
            fds[count++] = {clientFd, events, 0};
        }
        int ready = ::poll(fds, count, PollTimeoutMs());
        if (ready < 0 && errno != EINTR) {
            Die("poll");
        }
        {
            std::lock_guard lock(mutex);
            if (stop) {
                return;
            }
            if (fds[0].revents & POLLIN) {
                char drain[64];
                while (::read(wakeRead, drain, sizeof drain) > 0) {
                }
            }
            if (clientFd >= 0) {
                output += pushed; // written as soon as the client can take it
            }
            pushed.clear();
        }
        if (ready > 0) {
            if (fds[1].revents & POLLIN) {
                Accept();
            } else if (count == 3 && fds[2].fd == clientFd) {
                if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) {
                    ReadClient();
                }
                if (clientFd >= 0 && (fds[2].revents & POLLOUT)) {
                    WriteClient();
                }
            }
        }
        Pump();
    }
}

void FakePop3Server::Impl::Accept() {
    int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        return;
    }
    if (clientFd >= 0) {
        DropClient(false); // one client at a time: the newest wins
    }
    clientFd = fd;
    // Each reply leaves at once, as a real server's do: otherwise the second of two small
    // replies waits for the client's delayed acknowledgement of the first.
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    input.clear();
    silent = false;
    FakeReply greetingCopy;
    {
        std::lock_guard lock(mutex);
        ++connections;
        commandArrived.notify_all();
        deleted.clear();
        userGiven = false;
        authenticated = false;
        saslMechanism.clear();
        saslStep = SaslStep::None;
        greetingCopy = greeting;
    }
    StartReply(std::move(greetingCopy));
}

void FakePop3Server::Impl::DropClient(bool reset) {
    if (reset) {
        linger hard{1, 0};
        ::setsockopt(clientFd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    ::close(clientFd);
    clientFd = -1;
    input.clear();
    output.clear();
    outputSent = 0;
    chunks.clear();
    replying = false;
    delayArmed = false;
    silent = false;
}

void FakePop3Server::Impl::ReadClient() {
    char buffer[kReadBytes];
    for (;;) {
        ssize_t got = ::recv(clientFd, buffer, sizeof buffer, 0);
        if (got > 0) {
            input.append(buffer, static_cast<size_t>(got));
            std::lock_guard lock(mutex);
            received.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Every line waiting here, and the one being answered, arrived unanswered.
            const size_t ahead = static_cast<size_t>(std::count(input.begin(), input.end(), '\n')) +
                                 (replying ? 1 : 0);
            std::lock_guard lock(mutex);
            maxAhead = std::max(maxAhead, ahead);
            return;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // Closed by the client, or broken: lines that arrived before still count (a
        // client may send QUIT and close without waiting).
        for (size_t end = input.find('\n'); end != std::string::npos && !silent;
             end = input.find('\n')) {
            std::string line = input.substr(0, end);
            input.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            HandleLine(line);
        }
        DropClient(false);
        return;
    }
}

void FakePop3Server::Impl::WriteClient() {
    while (!output.empty()) {
        ssize_t sent =
            ::send(clientFd, output.data() + outputSent, output.size() - outputSent, MSG_NOSIGNAL);
        if (sent > 0) {
            outputSent += static_cast<size_t>(sent);
            if (outputSent == output.size()) {
                output.clear();
                outputSent = 0;
            }
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        DropClient(false);
        return;
    }
}

void FakePop3Server::Impl::StartReply(FakeReply reply) {
    chunks.assign(std::make_move_iterator(reply.chunks.begin()),
                  std::make_move_iterator(reply.chunks.end()));
    after = reply.after;
    replying = true;
    delayArmed = false;
}

// Moves the reply under way forward and, when none is, answers the next command line.
void FakePop3Server::Impl::Pump() {
    while (clientFd >= 0) {
        if (replying) {
            if (!output.empty()) {
                WriteClient();
                if (clientFd < 0 || !output.empty()) {
                    return; // wait for POLLOUT
                }
            }
            if (!chunks.empty()) {
                if (!delayArmed) {
                    chunkDue = Clock::now() + chunks.front().delayBefore;
                    delayArmed = true;
                }
                if (Clock::now() < chunkDue) {
                    return; // poll sleeps until it is due
                }
                delayArmed = false;
                output = std::move(chunks.front().bytes); // output is empty here
                chunks.pop_front();
                continue;
            }
            replying = false;
            switch (after) {
            case FakeReply::After::Keep:
                break;
            case FakeReply::After::Close:
                DropClient(false);
                return;
            case FakeReply::After::Reset:
                DropClient(true);
                return;
            case FakeReply::After::Silent:
                silent = true;
                break;
            }
        }
        if (silent) {
            return;
        }
        size_t end = input.find('\n');
        if (end == std::string::npos) {
            return;
        }
        std::string line = input.substr(0, end);
        input.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        HandleLine(line);
    }
}

void FakePop3Server::Impl::HandleLine(const std::string& line) {
    std::function<void(const std::string&)> hookCopy;
    {
        std::lock_guard lock(mutex);
        commands.push_back(line);
        hookCopy = hook;
    }
    commandArrived.notify_all();
    if (hookCopy) {
        hookCopy(line);
    }
    FakeReply reply;
    {
        std::lock_guard lock(mutex);
        bool scripted = false;
        for (auto it = scripts.begin(); it != scripts.end(); ++it) {
            if (PatternMatches(it->pattern, line)) {
                if (it->sticky) {
                    reply = it->reply;
                } else {
                    reply = std::move(it->reply); // huge replies are not copied twice
                    scripts.erase(it);
                }
                scripted = true;
                break;
            }
        }
        if (scripted) {
            // A scripted reply replaces the command's handling; only the login state
            // follows it, so that a scripted PASS "+OK" still opens the mailbox.
            const std::vector<std::string> words = Words(line);
            const std::string keyword = words.empty() ? "" : Upper(words[0]);
            bool positive = !reply.chunks.empty() && reply.chunks[0].bytes.rfind("+OK", 0) == 0;
            if (keyword == "USER") {
                userGiven = positive;
            } else if (keyword == "PASS" && positive) {
                authenticated = true;
            }
        } else {
            reply = DefaultReply(line);
        }
    }
    StartReply(std::move(reply));
}

bool FakePop3Server::Impl::SaslOffered(const std::string& mechanism) const {
    for (const auto& capability : capabilities) {
        std::vector<std::string> words = Words(capability);
        for (std::string& word : words) {
            word = Upper(word);
            if (!word.empty() && word.back() == '\r') {
                word.pop_back();
            }
        }
        if (!words.empty() && words[0] == "SASL" &&
            std::find(words.begin() + 1, words.end(), mechanism) != words.end()) {
            return true;
        }
    }
    return false;
}

// The server half of PLAIN, XOAUTH2 and OAUTHBEARER in their two-step form, as the
// large providers answer: a wrong token gets a base64 JSON error challenge, which the
// client must answer before the final -ERR.
FakeReply FakePop3Server::Impl::SaslReply(const std::string& line) {
    if (saslStep == SaslStep::None) {
        const std::vector<std::string> words = Words(line);
        if (words.size() != 2 || !SaslOffered(Upper(words[1]))) {
            return FakeReply::Err("-ERR unsupported authentication mechanism");
        }
        saslMechanism = Upper(words[1]);
        saslStep = SaslStep::Response;
        return FakeReply::Text("+ \r\n");
    }
    if (saslStep == SaslStep::Abort) {
        const bool answered = saslMechanism == "OAUTHBEARER" ? line == "AQ==" : line.empty();
        saslStep = SaslStep::None;
        return FakeReply::Err(answered ? "-ERR authentication failed" : "-ERR protocol error");
    }
    const std::string given = DecodeBase64Text(line);
    std::string expected;
    if (saslMechanism == "PLAIN") {
        expected = std::string(1, '\0') + user + std::string(1, '\0') + password;
    } else if (saslMechanism == "XOAUTH2") {
        expected = "user=" + user + "\x01" + "auth=Bearer " + accessToken + "\x01\x01";
    } else {
        expected = "n,a=" + user + ",\x01" + "host=127.0.0.1\x01" + "port=" + std::to_string(port) +
                   "\x01" + "auth=Bearer " + accessToken + "\x01\x01";
    }
    if (given == expected) {
        saslStep = SaslStep::None;
        authenticated = true;
        return FakeReply::Text("+OK logged in\r\n");
    }
    if (saslMechanism == "PLAIN") {
        saslStep = SaslStep::None;
        return FakeReply::Err("-ERR [AUTH] authentication failed");
    }
    saslStep = SaslStep::Abort;
    return FakeReply::Text("+ " + EncodeBase64(R"({"status":"invalid_token","scope":"mail"})") +
                           "\r\n");
}

bool FakePop3Server::Impl::Valid(unsigned number) const {
    return number >= 1 && number <= messages.size() &&
           !(number <= deleted.size() && deleted[number - 1]);
}

// The faithful behaviour of a POP3 server over the mailbox (called under the mutex).
FakeReply FakePop3Server::Impl::DefaultReply(const std::string& line) {
    const std::vector<std::string> words = Words(line);
    const std::string keyword = words.empty() ? "" : Upper(words[0]);
    auto number = [&](size_t index, unsigned& value) {
        return words.size() > index && ParseNumber(words[index], value);
    };
    if (deleted.size() < messages.size()) {
        deleted.resize(messages.size(), false);
    }

    if (keyword == "CAPA") {
        if (capabilities.empty()) {
            return FakeReply::Err("-ERR unknown command");
        }
        std::string text = "+OK capability list follows\r\n";
        for (const auto& capability : capabilities) {
            text += capability + "\r\n";
        }
        return FakeReply::Text(text + ".\r\n");
    }
    if (keyword == "QUIT") {
        if (authenticated) {
            std::vector<FakeMessage> kept;
            for (size_t i = 0; i < messages.size(); ++i) {
                if (!deleted[i]) {
                    kept.push_back(std::move(messages[i]));
                }
            }
            messages = std::move(kept);
            deleted.assign(messages.size(), false);
            authenticated = false;
        }
        return FakeReply::Text("+OK bye\r\n").AndClose();
    }
    if (!authenticated && (saslStep != SaslStep::None || keyword == "AUTH")) {
        return SaslReply(line);
    }
    if (!authenticated) {
        if (keyword == "USER" && words.size() >= 2) {
            userGiven = true;
            return FakeReply::Text("+OK\r\n");
        }
        if (keyword == "PASS") {
            if (!userGiven) {
                return FakeReply::Err("-ERR USER first");
            }
            std::string given = line.size() > 5 ? line.substr(5) : "";
            if (given == password) {
                authenticated = true;
                return FakeReply::Text("+OK logged in\r\n");
            }
            userGiven = false;
            return FakeReply::Err("-ERR invalid password");
        }
        if (keyword == "NOOP" || keyword == "RSET" || keyword == "STAT" || keyword == "LIST" ||
            keyword == "UIDL" || keyword == "TOP" || keyword == "RETR" || keyword == "DELE") {
            return FakeReply::Err("-ERR not logged in");
        }
        return FakeReply::Err("-ERR unknown command");
    }

    unsigned n = 0;
    unsigned lines = 0;
    if (keyword == "STAT") {
        size_t count = 0, octets = 0;
        for (size_t i = 0; i < messages.size(); ++i) {
            if (!deleted[i]) {
                ++count;
                octets += messages[i].content.size();
            }
        }
        return FakeReply::Text("+OK " + std::to_string(count) + " " + std::to_string(octets) +
                               "\r\n");
    }
    if (keyword == "LIST" || keyword == "UIDL") {
        const bool list = keyword == "LIST";
        auto field = [&](size_t i) {
            return list ? std::to_string(messages[i].content.size()) : messages[i].uidl;
        };
        if (words.size() == 1) {
            std::string text = "+OK\r\n";
            for (size_t i = 0; i < messages.size(); ++i) {
                if (!deleted[i]) {
                    text += std::to_string(i + 1) + " " + field(i) + "\r\n";
                }
            }
            return FakeReply::Text(text + ".\r\n");
        }
        if (!number(1, n) || !Valid(n)) {
            return FakeReply::Err("-ERR no such message");
        }
        return FakeReply::Text("+OK " + std::to_string(n) + " " + field(n - 1) + "\r\n");
    }
    if (keyword == "TOP" || keyword == "RETR") {
        const bool top = keyword == "TOP";
        if (!number(1, n) || (top && !number(2, lines))) {
            return FakeReply::Err("-ERR syntax error");
        }
        if (!Valid(n)) {
            return FakeReply::Err("-ERR no such message");
        }
        std::string text = "+OK\r\n";
        bool inBody = false;
        unsigned bodyLines = 0;
        for (const auto& textLine : SplitLines(messages[n - 1].content)) {
            if (inBody && top && bodyLines++ >= lines) {
                break;
            }
            AppendStuffed(text, textLine);
            if (!inBody && textLine.empty()) {
                inBody = true;
            }
        }
        return FakeReply::Text(text + ".\r\n");
    }
    if (keyword == "DELE") {
        if (!number(1, n) || !Valid(n)) {
            return FakeReply::Err("-ERR no such message");
        }
        deleted[n - 1] = true;
        return FakeReply::Text("+OK message " + std::to_string(n) + " deleted\r\n");
    }
    if (keyword == "RSET") {
        deleted.assign(messages.size(), false);
        return FakeReply::Text("+OK\r\n");
    }
    if (keyword == "NOOP") {
        return FakeReply::Text("+OK\r\n");
    }
    return FakeReply::Err("-ERR unknown command");
}

std::string MakeMessage(const std::vector<std::string>& headers,
                        const std::vector<std::string>& bodyLines) {
    std::string text;
    for (const auto& header : headers) {
        text += header + "\r\n";
    }
    text += "\r\n";
    for (const auto& line : bodyLines) {
        text += line + "\r\n";
    }
    return text;
}

unsigned UnusedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace tolvane::test
