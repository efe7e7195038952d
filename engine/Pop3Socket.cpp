#include "engine/Pop3Socket.h"

#include "engine/HostLookup.h"
#include "engine/ReplyFraming.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolvane {

namespace {

constexpr int64_t kNoDeadline = INT64_MAX;

// Reads an eventfd empty (it is non-blocking).
void DrainEvent(int fd) {
    uint64_t count = 0;
    while (fd >= 0 && ::read(fd, &count, sizeof count) > 0) {
    }
}

// Appends bytes to text without their zero bytes.
void AppendWithoutZeros(std::string& text, const char* bytes, size_t count) {
    const char* end = bytes + count;
    while (bytes < end) {
        const void* zero = std::memchr(bytes, 0, static_cast<size_t>(end - bytes));
        const char* stop = zero ? static_cast<const char*>(zero) : end;
        text.append(bytes, static_cast<size_t>(stop - bytes));
        bytes = zero ? stop + 1 : end;
    }
}

// Judge's answer while a reply is not complete yet (never a POP3_* code).
constexpr int kStillOpen = 1;

} // namespace

CPop3Socket::CPop3Socket() {
    m_hCancelEvent = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CPop3Socket::~CPop3Socket() {
    CPop3Socket::Close();
    if (m_hCancelEvent >= 0) {
        ::close(m_hCancelEvent);
    }
}

void CPop3Socket::Close() {
    m_transport.Detach();
    if (m_hSocket >= 0) {
        ::close(m_hSocket);
        m_hSocket = -1;
    }
    m_strPending.clear();
    m_strAhead.clear();
    m_owed.clear();
}

void CPop3Socket::RequestCancel(int32_t value) {
    m_bCancel.store(value);
    const uint64_t one = 1;
    if (m_hCancelEvent >= 0) {
        // The counter cannot overflow in practice; a failed write only loses the wake-up
        // of a wait that is not cancellable anyway.
        [[maybe_unused]] ssize_t written = ::write(m_hCancelEvent, &one, sizeof one);
    }
}

void CPop3Socket::DrainCancelEvent() {
    DrainEvent(m_hCancelEvent);
}

void CPop3Socket::SetTimeSource(const IMonotonicClock* clock) {
    m_pClock = clock ? clock : &SystemMonotonicClock();
}

int64_t CPop3Socket::ReplyLimitMs(int32_t timeoutSeconds) {
    return std::max<int64_t>(kReplyTimeFactor * timeoutSeconds, kMinReplySeconds) * 1000;
}

int CPop3Socket::ConnectServer(const std::string& host, unsigned port, std::string& reply,
                               bool bTlsFirst, bool bVerify) {
    // Drained before the flag is cleared: a request racing with this start is either
    // forgotten with the flag or leaves both the flag and the event set.
    DrainCancelEvent();
    m_bCancel.store(0);
    reply.clear();
    Close();
    m_transport.ClearFailure(); // an earlier connection's must not explain this one's end
    int code = ConnectTo(host, port);
    if (code == POP3_OK && bTlsFirst) {
        code = StartTls(host, bVerify);
    }
    if (code != POP3_OK) {
        return code;
    }
    return Exchange(reply, false, true);
}

int CPop3Socket::StartTls(const std::string& host, bool bVerify) {
    if (m_hSocket < 0 || !m_transport.BeginTls(host, bVerify)) {
        return POP3_ERROR;
    }
    const int64_t deadlineMs = m_pClock->NowMs() + ReplyLimitMs(m_nTimeout);
    for (;;) {
        const int io = m_transport.Handshake();
        if (io == IO_DONE) {
            return POP3_OK;
        }
        if (io != IO_WANT) {
            return POP3_ERROR;
        }
        const int code = WaitFor(m_transport.Wants(POLLIN), true, deadlineMs);
        if (code != POP3_OK) {
            return code;
        }
    }
}

// Tries every address of host in turn; a refused or unreachable address falls through to
// the next one at once. Leaves m_hSocket connected on POP3_OK.
int CPop3Socket::ConnectTo(const std::string& host, unsigned port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* addresses = nullptr;
    if (port > 65535) {
        errno = EHOSTUNREACH;
        return POP3_ERROR;
    }
    int code = LookUp(host, std::to_string(port), hints, &addresses);
    if (code != POP3_OK) {
        return code;
    }
    code = POP3_ERROR;
    int lastError = ECONNREFUSED;
    for (addrinfo* address = addresses; address; address = address->ai_next) {
        m_hSocket =
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                     address->ai_protocol);
        if (m_hSocket < 0) {
            lastError = errno;
            continue;
        }
        // Commands are written whole (several at once when pipelined): waiting to merge
        // them with later writes only delays the replies, most of all over TLS.
        const int one = 1;
        ::setsockopt(m_hSocket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(m_hSocket, address->ai_addr, address->ai_addrlen) == 0) {
            code = POP3_OK;
            m_transport.Attach(m_hSocket);
            break;
        }
        if (errno == EINPROGRESS) {
            code = WaitFor(POLLOUT, true, kNoDeadline);
            if (code == POP3_OK) {
                int error = 0;
                socklen_t length = sizeof error;
                if (::getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &error, &length) < 0) {
                    error = errno;
                }
                if (error == 0) {
                    m_transport.Attach(m_hSocket);
                    break;
                }
                errno = error;
                code = POP3_ERROR;
            } else if (code != POP3_ERROR) {
                break; // a time-out or a cancel ends the whole attempt
            }
        }
        lastError = errno;
        Close();
    }
    ::freeaddrinfo(addresses);
    if (code != POP3_OK) {
        Close();
        if (code == POP3_ERROR) {
            errno = lastError;
        }
    }
    return code;
}

// The lookup is waited for like a reply: a cancel or the silence time-out ends the wait,
// and the lookup is left to finish on its own.
int CPop3Socket::LookUp(const std::string& host, const std::string& service, const addrinfo& hints,
                        addrinfo** addresses) {
    CHostLookup lookup;
    if (!lookup.Start(host, service, hints, m_pfnResolve)) {
        return POP3_ERROR;
    }
    const int code = PollUntil(lookup.ReadyFd(), POLLIN, true, kNoDeadline);
    if (code != POP3_OK) {
        return code;
    }
    if (lookup.Take(addresses) != 0) {
        errno = EHOSTUNREACH;
        return POP3_ERROR;
    }
    return POP3_OK;
}

// A plain request stops only cancellable waits; an abandoning one stops every wait.
bool CPop3Socket::Stopped(bool cancellable) const {
    const int32_t flag = m_bCancel.load();
    return flag >= kCancelAbandon || (cancellable && flag != 0);
}

int CPop3Socket::WaitReadable(bool cancellable) {
    return WaitFor(POLLIN, cancellable, kNoDeadline);
}

// Sleeps in poll on the socket, the cancel event and the time source's
// wake-up until the earlier of two moments: the end of the silence (the whole second of
// the start plus the time-out, so that a silence of n-1 to n seconds ends it) and the
// reply's deadline.
int CPop3Socket::WaitFor(short events, bool cancellable, int64_t replyDeadlineMs) {
    if (m_hSocket < 0) {
        return POP3_ERROR;
    }
    // What the transport owes decides the direction (a TLS read may need to write first).
    const short wanted = m_transport.Wants(events);
    if ((wanted & POLLIN) && m_transport.Buffered() && !Stopped(cancellable)) {
        return POP3_OK; // decrypted bytes wait inside the session: poll would not see them
    }
    return PollUntil(m_hSocket, wanted, cancellable, replyDeadlineMs);
}

int CPop3Socket::PollUntil(int fd, short wanted, bool cancellable, int64_t replyDeadlineMs) {
    const IMonotonicClock& clock = *m_pClock;
    const int64_t startSecond = clock.NowMs() / 1000;
    const int64_t silenceEndMs = (startSecond + std::max<int64_t>(m_nTimeout, 0)) * 1000;
    const int64_t deadlineMs = std::min(silenceEndMs, replyDeadlineMs);
    const int wakeFd = clock.WakeFd();
    for (;;) {
        if (Stopped(cancellable)) {
            return POP3_CANCELLED;
        }
        // The cancel event is watched by every wait: an abandoning request must end even
        // QUIT's (a negative descriptor is ignored by poll).
        pollfd fds[3] = {{fd, wanted, 0}, {m_hCancelEvent, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int ready = ::poll(fds, 3, clock.SleepMs(deadlineMs));
        if (Stopped(cancellable)) {
            return POP3_CANCELLED;
        }
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return POP3_ERROR;
        }
        if (fds[0].revents & (wanted | POLLHUP | POLLERR)) {
            return POP3_OK;
        }
        if (fds[0].revents & POLLNVAL) {
            return POP3_ERROR;
        }
        if (fds[1].revents & POLLIN) {
            // A wake-up this wait does not stop for: a cleared request, or a plain one
            // while the wait is not cancellable (the flag stays for the next wait).
            DrainCancelEvent();
        }
        if (fds[2].revents & POLLIN) {
            DrainEvent(wakeFd);
        }
        if (clock.NowMs() >= deadlineMs) {
            errno = ETIMEDOUT;
            return POP3_TIMEOUT;
        }
    }
}

// Reads what is pending (at most one chunk). afterWait: the socket was just found
// readable, so nothing pending means the peer closed or the connection broke.
// Returns POP3_OK with received set when bytes were taken.
int CPop3Socket::ReadChunk(std::string& text, bool& drained) {
    // A non-blocking recv stands in for asking how many bytes are pending: it returns what
    // the kernel holds (up to one chunk), and a short read means nothing more is pending.
    // That saves two system calls per reply, which is most of a check's overhead.
    drained = true;
    char buffer[kChunkBytes];
    size_t got = 0;
    switch (m_transport.Read(buffer, sizeof buffer, got)) {
    case IO_DONE:
        break;
    case IO_WANT:
        return POP3_OK; // nothing pending
    default:
        return POP3_ERROR; // closed by the server before the reply was complete, or broken
    }
    AppendWithoutZeros(text, buffer, got);
    drained = got < sizeof buffer && !m_transport.Buffered();
    return POP3_OK;
}

int CPop3Socket::Exchange(std::string& reply, bool multiLine, bool cancellable) {
    return Receive(reply, multiLine, cancellable, false);
}

// A reply that timed out may still come, and would then be read as the reply to the next
// command: the connection is not used again.
int CPop3Socket::Receive(std::string& reply, bool multiLine, bool cancellable, bool framed) {
    const int code = ReceiveReply(reply, multiLine, cancellable, framed);
    if (code == POP3_TIMEOUT) {
        Close();
        errno = ETIMEDOUT;
    }
    return code;
}

int CPop3Socket::ReceiveReply(std::string& reply, bool multiLine, bool cancellable, bool framed) {
    reply.clear();
    std::string text;
    text.swap(m_strPending);
    bool statusTested = false;
    const int64_t deadlineMs = m_pClock->NowMs() + ReplyLimitMs(m_nTimeout);
    int code = POP3_OK;
    if (text.empty()) {
        code = WaitFor(POLLIN, cancellable, deadlineMs);
        if (code != POP3_OK) {
            return code;
        }
    } else if (Stopped(cancellable)) {
        m_strPending.swap(text); // not begun: the reply stays for a later read
        return POP3_CANCELLED;
    }
    // Bytes that came with an earlier reply are judged before anything is read.
    bool read = text.empty();
    for (;;) {
        bool drained = true;
        if (read) {
            code = ReadChunk(text, drained);
            if (code != POP3_OK) {
                return code;
            }
            if (text.size() > kMaxReplyBytes) {
                Close();
                errno = EMSGSIZE;
                return POP3_ERROR;
            }
        }
        read = true;
        // Framed, every chunk is judged, so that the replies behind never pile up here.
        if (drained || framed) {
            code = Judge(text, multiLine, framed, statusTested, reply);
            if (code != kStillOpen) {
                return code;
            }
        }
        // Tested here as well as in the wait: while a server keeps sending, every wait
        // finds bytes pending at once and never comes to its own deadline test.
        if (m_pClock->NowMs() >= deadlineMs) {
            code = POP3_TIMEOUT;
            errno = ETIMEDOUT;
        } else if (drained) {
            code = WaitFor(POLLIN, false, deadlineMs);
        }
        if (code != POP3_OK && code != kStillOpen) {
            if (framed) {
                m_strPending.swap(text); // the begun reply stays whole for a later read
            }
            return code;
        }
    }
}

int CPop3Socket::Judge(std::string& text, bool multiLine, bool framed, bool& statusTested,
                       std::string& reply) {
    if (framed) {
        const size_t end = FindReplyEnd(text, multiLine);
        if (end == kIncomplete) {
            return kStillOpen;
        }
        m_strPending.assign(text, end, std::string::npos);
        text.resize(end);
    } else {
        if (!statusTested && text.size() >= 3) {
            statusTested = true;
            if (!IsPositive(text)) {
                reply = std::move(text);
                return POP3_NEGATIVE;
            }
        }
        const size_t end = FindReplyEnd(text, multiLine);
        if (end == kIncomplete) {
            return kStillOpen;
        }
        if (end != text.size()) {
            // More than one reply came for one command: the server is out of step with
            // the commands, and no later reply could be matched with its own.
            m_bOutOfStep = true;
            reply = std::move(text);
            Close();
            errno = EPROTO;
            return POP3_ERROR;
        }
    }
    // A complete reply shorter than a status (a bare CR LF) is not positive either.
    const bool positive = IsPositive(text);
    reply = std::move(text);
    return positive ? POP3_OK : POP3_NEGATIVE;
}

void CPop3Socket::QueueAhead(std::string_view command, bool multiLine) {
    m_strAhead += command;
    m_owed.push_back(multiLine);
}

int CPop3Socket::SendAhead() {
    std::string bytes;
    bytes.swap(m_strAhead);
    if (bytes.empty()) {
        return POP3_OK;
    }
    const int code = Send(bytes);
    WipeString(bytes); // a PASS sent behind owed replies passes through here
    if (code != POP3_OK) {
        Close();
        return POP3_ERROR;
    }
    return POP3_OK;
}

int CPop3Socket::ReadAhead(std::string& reply) {
    return ReadOwed(reply, true);
}

int CPop3Socket::ReadOwed(std::string& reply, bool cancellable) {
    reply.clear();
    if (m_owed.empty()) {
        return POP3_ERROR; // nothing was sent ahead
    }
    const int code = Receive(reply, m_owed.front(), cancellable, true);
    if (code == POP3_OK || code == POP3_NEGATIVE) {
        m_owed.pop_front();
    } else if (code != POP3_CANCELLED || m_bCancel.load() >= kCancelAbandon) {
        Close();
    }
    return code;
}

int CPop3Socket::DiscardOwed(size_t keep) {
    std::string reply;
    while (m_owed.size() > keep) {
        const int code = Receive(reply, m_owed.front(), false, true);
        if (code != POP3_OK && code != POP3_NEGATIVE) {
            Close();
            return code;
        }
        m_owed.pop_front();
    }
    return POP3_OK;
}

bool CPop3Socket::IsPositive(const std::string& text) {
    return text.rfind("+OK", 0) == 0;
}

int CPop3Socket::Send(std::string_view command) {
    if (m_hSocket < 0) {
        return POP3_ERROR;
    }
    const int64_t deadlineMs = m_pClock->NowMs() + ReplyLimitMs(m_nTimeout);
    size_t done = 0;
    while (done < command.size()) {
        size_t written = 0;
        const int io = m_transport.Write(command.data() + done, command.size() - done, written);
        done += written;
        // A command sent in part leaves the server with half a line: the connection is
        // no use after that.
        if (io == IO_WANT) {
            const int code = WaitFor(m_transport.Wants(POLLOUT), false, deadlineMs);
            if (code != POP3_OK) {
                Close();
                return code;
            }
        } else if (io != IO_DONE) {
            Close();
            return POP3_ERROR;
        }
    }
    return POP3_OK;
}

int CPop3Socket::Command(std::string_view command, std::string& reply, bool multiLine,
                         bool cancellable) {
    reply.clear();
    m_bOutOfStep = false;
    if (!m_owed.empty()) {
        // Sent at once behind the replies still owed (RSET or QUIT after a stop must not
        // wait for them), which are then read and dropped before this one's.
        QueueAhead(command, multiLine);
        int code = SendAhead();
        if (code == POP3_OK) {
            code = DiscardOwed(1);
        }
        return code == POP3_OK ? ReadOwed(reply, cancellable) : code;
    }
    int code = Send(command);
    if (code != POP3_OK) {
        return code;
    }
    code = Exchange(reply, multiLine, cancellable);
    if (code == POP3_CANCELLED && IsConnected()) {
        // Nothing of the reply was read, but it may still come: the next command reads
        // and drops it first instead of taking it for its own.
        m_owed.push_back(multiLine);
    }
    return code;
}

int CPop3Socket::CmdUser(const std::string& user, std::string& reply) {
    return Command("USER " + user + "\r\n", reply, false, true);
}

int CPop3Socket::CmdPass(const CSecureString& password, std::string& reply) {
    CSecureString command;
    if (!command.Append("PASS ") || !command.Append(password.View()) || !command.Append("\r\n")) {
        return POP3_ERROR; // longer than any password a server takes
    }
    return Command(command.View(), reply, false, true);
}

int CPop3Socket::CmdPass(std::string_view password, std::string& reply) {
    return CmdPass(CSecureString(password), reply);
}

int CPop3Socket::CmdAuthLine(const std::string& line, std::string& reply) {
    if (!m_owed.empty()) {
        return Command(line, reply, false, true); // owed replies are read framed
    }
    reply.clear();
    m_bOutOfStep = false;
    int code = Send(line);
    if (code != POP3_OK) {
        return code;
    }
    code = Receive(reply, false, true, true);
    if (code == POP3_CANCELLED && IsConnected()) {
        m_owed.push_back(false);
    } else if ((code == POP3_OK || code == POP3_NEGATIVE) && !m_strPending.empty()) {
        m_bOutOfStep = true; // a second line for one: no later reply could be matched
        Close();
        errno = EPROTO;
        return POP3_ERROR;
    }
    return code;
}

int CPop3Socket::CmdStat(std::string& reply) {
    return Command("STAT\r\n", reply, false, true);
}

int CPop3Socket::CmdList(unsigned number, std::string& reply) {
    return Command(NumberCommand("LIST ", number), reply, false, true);
}

int CPop3Socket::CmdUidl(unsigned number, std::string& reply) {
    return Command(NumberCommand("UIDL ", number), reply, false, true);
}

int CPop3Socket::CmdUidlAll(std::string& reply) {
    return Command("UIDL\r\n", reply, true, true);
}

int CPop3Socket::CmdTop(unsigned number, unsigned lines, std::string& reply) {
    return Command(TopCommand(number, lines), reply, true, true);
}

// Framed, so that a reply arriving in pieces is never taken for more or less than CAPA's.
int CPop3Socket::CmdCapa(std::string& reply) {
    int code = m_owed.empty() ? POP3_OK : DiscardOwed();
    if (code == POP3_OK) {
        QueueAhead("CAPA\r\n", true);
        code = SendAhead();
    }
    if (code != POP3_OK) {
        return code;
    }
    code = Receive(reply, true, true, true);
    if (code == POP3_OK || code == POP3_NEGATIVE) {
        m_owed.pop_front();
    } else if (code == POP3_ERROR || m_bCancel.load() >= kCancelAbandon) {
        Close();
    }
    return code;
}

std::string CPop3Socket::TopCommand(unsigned number, unsigned lines) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%u %u%s", "TOP ", number, lines, "\r\n");
    return buffer;
}

// "LIST 3\r\n" and its kind: a keyword with its trailing space, a number, CR LF.
std::string CPop3Socket::NumberCommand(const char* keyword, unsigned number) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s%u%s", keyword, number, "\r\n");
    return buffer;
}

int CPop3Socket::CmdDele(unsigned number, std::string& reply) {
    return Command(NumberCommand("DELE ", number), reply, false, true);
}

int CPop3Socket::CmdRset(std::string& reply) {
    return Command("RSET\r\n", reply, false, true);
}

int CPop3Socket::CmdQuit(std::string& reply) {
    return Command("QUIT\r\n", reply, false, false);
}

int CPop3Socket::CmdStls(std::string& reply) {
    return Command("STLS\r\n", reply, false, true);
}

} // namespace tolvane
