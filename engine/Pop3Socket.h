// CPop3Socket: the POP3 client socket of one account. Sends one command and reads one
// complete reply at a time, with a time-out in whole seconds and a cancel request.
//
// Contract:
// - Every operation returns a POP3_* code (Pop3Result.h) and writes nothing to any log.
// - A reply is the exact text received: the status line with its CR LF and, for a
//   multi-line reply, every following line and the terminating ".\r\n". Dot-stuffing is
//   not undone. Zero bytes inside a reply are dropped, the rest is kept.
// - Waiting sleeps in the kernel (poll) on the socket and on a cancel event; a cancel
//   request is tested before readability and takes effect at once. The time-out bounds
//   each silence (the clock restarts at every wait) and counts whole seconds of the
//   monotonic time source: a time-out of n ends a silence lasting between n-1 and n
//   seconds; 0 ends the first wait that finds nothing. A reply that times out closes the
//   connection: it may still come, and would then pass for the reply to the next command.
// - One reply as a whole is bounded too: a reply still incomplete ReplyLimitMs after its
//   exchange began ends with POP3_TIMEOUT, so that a server trickling a byte at a time
//   cannot hold the connection (and the user's instance lock) for ever.
// - The server's name is resolved on a lookup that the cancel event and the silence
//   time-out can walk away from (engine/HostLookup.h): closing never waits on a slow name
//   server.
// - Only the wait for the first bytes of a reply is cancellable (QUIT's not at all); once
//   a reply has begun it is read to its end, to a time-out or to an error. A request with
//   kCancelAbandon (the program is ending) ends every wait at once, QUIT's and a begun
//   reply's too, with POP3_CANCELLED.
// - A refused connection, a reset, a peer that closes before the reply is complete, and a
//   reply growing past kMaxReplyBytes end the exchange at once with POP3_ERROR (the
//   socket is closed in the last case).
// - The cancel flag is cleared only by ConnectServer. RequestCancel may be called from
//   any thread (the worker calls it under its lock).
// - Over TLS (POP3S from the first byte, or StartTls after STLS) the replies are the same
//   bytes as over clear text; the handshake waits like a reply (cancellable, the silence
//   time-out and the whole-reply limit). Decrypted bytes already held count as readable.
// - A command is written whole: a send that the kernel takes in parts is finished after
//   waits for writability (not cancellable, bounded like a reply).
// - Commands may also be sent ahead of their replies (QueueAhead, SendAhead): their
//   replies are owed, in order, and ReadAhead takes the oldest, framed by ReplyFraming.h
//   so that bytes of the next replies stay buffered for them. A one-at-a-time command
//   sent while replies are owed (a run that stopped, a command cancelled before its
//   reply) goes out at once behind them; they are read and dropped before its own, so a
//   job that stops in the middle of a run leaves a conversation that RSET and QUIT can
//   still use.
#pragma once

#include "engine/Clock.h"
#include "engine/HostLookup.h"
#include "engine/Pop3Result.h"
#include "engine/Pop3Transport.h"
#include "platform/SecureString.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <netdb.h>
#include <string>

namespace tolvane {

class CPop3Socket {
public:
    static constexpr size_t kChunkBytes = 30000;        // one read at most
    static constexpr size_t kMaxReplyBytes = 64u << 20; // a reply larger is refused
    // A reply may take kReplyTimeFactor time-outs, and never less than kMinReplySeconds:
    // slower than that, it is broken, however short each pause.
    static constexpr int64_t kReplyTimeFactor = 10;
    static constexpr int64_t kMinReplySeconds = 30;
    static int64_t ReplyLimitMs(int32_t timeoutSeconds);

    CPop3Socket();
    virtual ~CPop3Socket();
    CPop3Socket(const CPop3Socket&) = delete;
    CPop3Socket& operator=(const CPop3Socket&) = delete;

    // Clears the cancel flag, creates a non-blocking TCP socket, starts connecting to host
    // (dotted IPv4/IPv6 address or host name, resolved with getaddrinfo; every address is
    // tried in turn until one connects) and port, and reads the greeting (single line,
    // cancellable). The greeting text goes to reply. With bTlsFirst (POP3S) the TLS
    // handshake (as StartTls) comes before the greeting.
    int ConnectServer(const std::string& host, unsigned port, std::string& reply,
                      bool bTlsFirst = false, bool bVerify = true);

    // The TLS handshake on the open connection, host checked as BeginTls says
    // (engine/Pop3Transport.h). POP3_OK, POP3_CANCELLED, POP3_TIMEOUT, or POP3_ERROR with
    // GetTlsFailure() saying why.
    int StartTls(const std::string& host, bool bVerify);
    const TlsFailure& GetTlsFailure() const { return m_transport.Failure(); }
    bool IsTls() const { return m_transport.IsTls(); }
    // True when connected to a loopback address.
    bool IsPeerLoopback() const { return IsLoopbackPeer(m_hSocket); }

    // Waits until the socket is readable: POP3_OK, POP3_TIMEOUT, POP3_CANCELLED (only when
    // cancellable and the flag is set; tested first) or POP3_ERROR.
    int WaitReadable(bool cancellable);

    // Reads one complete reply for a command already sent. reply is emptied first and, on
    // POP3_OK and POP3_NEGATIVE, holds the text received.
    int Exchange(std::string& reply, bool multiLine, bool cancellable);

    // True when text begins with "+OK" (byte for byte).
    static bool IsPositive(const std::string& text);

    // Sends command (with its CR LF) and reads its reply: what every Cmd function does.
    // Replies still owed are read and dropped first; if that fails, its code.
    // A command cancelled before its reply began leaves that reply owed.
    // One at a time, a reply followed by more bytes than it holds (a second reply) ends
    // with POP3_ERROR, the connection closed and OutOfStep() true; reply then holds what
    // came.
    int Command(std::string_view command, std::string& reply, bool multiLine, bool cancellable);
    bool OutOfStep() const { return m_bOutOfStep; }

    // --- commands sent ahead of their replies
    // Adds command to the next SendAhead; its reply is owed from then on.
    void QueueAhead(std::string_view command, bool multiLine);
    // Sends what QueueAhead gathered, with one send: POP3_OK or POP3_ERROR (the
    // connection is then closed).
    int SendAhead();
    // Reads the oldest owed reply, up to its own end; cancellable while nothing of it has
    // arrived (a pending cancel wins even over bytes already buffered), and the reply then
    // stays owed. POP3_TIMEOUT, POP3_ERROR and an abandoning cancel close the connection:
    // the replies behind could no longer be told apart.
    int ReadAhead(std::string& reply);
    size_t Owed() const { return m_owed.size(); }
    // Reads and drops the owed replies but the last keep, not cancellable, each within the
    // time-out: POP3_OK, or the code of the read that failed (the connection is then
    // closed).
    int DiscardOwed(size_t keep = 0);

    int CmdUser(const std::string& user, std::string& reply);
    // The command is built in wiped memory and its bytes overwritten once sent.
    int CmdPass(const CSecureString& password, std::string& reply);
    int CmdPass(std::string_view password, std::string& reply); // through the one above
    int CmdStat(std::string& reply);
    int CmdList(unsigned number, std::string& reply);
    int CmdUidl(unsigned number, std::string& reply);
    int CmdUidlAll(std::string& reply);
    int CmdTop(unsigned number, unsigned lines, std::string& reply);
    int CmdDele(unsigned number, std::string& reply);
    int CmdRset(std::string& reply);
    int CmdQuit(std::string& reply);
    int CmdStls(std::string& reply); // "STLS\r\n", single line, cancellable
    // "CAPA\r\n", multi-line, cancellable. A reply not read to its end after a cancel stays
    // owed: the next command reads and drops it first.
    int CmdCapa(std::string& reply);
    // One line of the AUTH dialogue (command or response, with its CR LF), single-line,
    // cancellable. The reply's status line is read whole before it is judged, since a
    // continuation ("+ " and a challenge) is no "+OK": POP3_NEGATIVE then holds all of it.
    int CmdAuthLine(const std::string& line, std::string& reply);

    // The bytes of a per-mail command: "TOP n lines\r\n" and the like.
    static std::string TopCommand(unsigned number, unsigned lines);
    static std::string NumberCommand(const char* keyword,
                                     unsigned number); // "LIST " -> "LIST n\r\n"

    // Closes the connection (if any); the handle becomes invalid.
    virtual void Close();
    bool IsConnected() const { return m_hSocket >= 0; }

    // The name lookup (getaddrinfo unless a test puts another in). Set before the socket
    // is used.
    void SetResolver(ResolveFn resolve) { m_pfnResolve = resolve; }

    // The time source of the time-outs (nullptr: the system's monotonic clock). Set before
    // the socket is used; the clock must outlive its use.
    void SetTimeSource(const IMonotonicClock* clock);
    const IMonotonicClock& TimeSource() const { return *m_pClock; }
    // The eventfd that RequestCancel makes readable (a wait of another kind, such as a
    // password command's, watches it too).
    int CancelEventFd() const { return m_hCancelEvent; }

    // Sets the cancel flag to value (1, or kCancelAbandon) and wakes a wait in progress.
    // Thread-safe.
    void RequestCancel(int32_t value = 1);
    static constexpr int32_t kCancelAbandon = 2;
    int32_t GetCancel() const { return m_bCancel.load(); }

    int32_t m_nTimeout = 60;           // server time-out in whole seconds
    std::atomic<int32_t> m_bCancel{0}; // cancel request

private:
    int Send(std::string_view command);
    // One reply. framed: it ends at its own boundary and later bytes stay in m_strPending;
    // otherwise (one command at a time) everything received belongs to it.
    // A time-out closes the connection (Receive), so that a late reply is never read as
    // the next command's.
    int Receive(std::string& reply, bool multiLine, bool cancellable, bool framed);
    // The oldest owed reply (ReadAhead, with the cancellability of the command).
    int ReadOwed(std::string& reply, bool cancellable);
    int ReceiveReply(std::string& reply, bool multiLine, bool cancellable, bool framed);
    // The verdict on text so far: kStillOpen, or the reply's code with reply filled in.
    int Judge(std::string& text, bool multiLine, bool framed, bool& statusTested,
              std::string& reply);
    bool Stopped(bool cancellable) const;
    void DrainCancelEvent();
    int ConnectTo(const std::string& host, unsigned port);
    // Waits for events until the silence time-out or replyDeadlineMs, whichever is first.
    int WaitFor(short events, bool cancellable, int64_t replyDeadlineMs);
    // The same wait on any descriptor.
    int PollUntil(int fd, short wanted, bool cancellable, int64_t replyDeadlineMs);
    // Resolves host on a lookup of its own, waited for as a reply's first bytes are.
    int LookUp(const std::string& host, const std::string& service, const addrinfo& hints,
               addrinfo** addresses);
    int ReadChunk(std::string& text, bool& drained);

    std::string m_strPending;  // received bytes of replies not read yet
    std::string m_strAhead;    // queued commands not sent yet
    std::deque<bool> m_owed;   // per reply owed, oldest first: true for a multi-line one
    int m_hSocket = -1;        // invalid handle = not connected
    bool m_bOutOfStep = false; // the last one-at-a-time reply came with another behind it
    int m_hCancelEvent = -1;   // eventfd written by RequestCancel
    const IMonotonicClock* m_pClock = &SystemMonotonicClock();
    ResolveFn m_pfnResolve = &::getaddrinfo;
    CPop3Transport m_transport; // the bytes of m_hSocket, clear or TLS
};

} // namespace tolvane
