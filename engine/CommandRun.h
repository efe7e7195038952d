// CCommandRun: a run of per-mail commands (TOP, LIST n, UIDL n, DELE) on one connection,
// their replies handed back one by one, in the order the commands were added.
//
// Contract:
// - One at a time (pipelined false): Next sends the oldest command added and reads its
//   reply, exactly as the socket's Cmd functions do; the bytes on the wire are those of
//   the one-at-a-time dialogue.
// - Pipelined: Next first tops up what is in flight (commands sent whose replies are not
//   read yet), in one send, while both windows allow: at most kWindowCommands commands
//   and kWindowBytes bytes of commands in flight. Our sends therefore always fit the
//   kernel's buffers and never wait, and every reply is read before more is sent past the
//   window, so neither side can block on a full buffer.
// - Next returns the reply's code (Pop3Result.h) with the reply text, as the one-at-a-time
//   command would: POP3_CANCELLED at the wait for a reply's first bytes once a cancel is
//   requested (and then nothing more is sent), POP3_TIMEOUT per reply. After a cancel or a
//   failure the job simply stops calling Next: the socket reads and drops what is still in
//   flight before its next command (RSET, QUIT), and drops the connection when the server
//   stops answering. Next with nothing added and nothing in flight is POP3_ERROR.
#pragma once

#include "engine/Pop3Socket.h"

#include <cstddef>
#include <deque>
#include <string>

namespace tolvane {

class CCommandRun {
public:
    static constexpr size_t kWindowCommands = 64;
    static constexpr size_t kWindowBytes = 2048;

    CCommandRun(CPop3Socket& socket, bool pipelined, size_t windowCommands = kWindowCommands,
                size_t windowBytes = kWindowBytes);

    // command: its bytes with CR LF (CPop3Socket::TopCommand, NumberCommand).
    void Add(std::string command, bool multiLine);
    int Next(std::string& reply);
    bool Pipelined() const { return m_bPipelined; }

private:
    struct Queued {
        std::string command;
        bool multiLine;
    };
    void TopUp();
    void Abandon(); // the connection is gone: forgets what was added and what is in flight

    CPop3Socket& m_socket;
    bool m_bPipelined;
    size_t m_nWindowCommands;
    size_t m_nWindowBytes;
    std::deque<Queued> m_queue;       // added, not sent
    std::deque<size_t> m_flightBytes; // per command in flight, oldest first
    size_t m_nBytesInFlight = 0;
};

} // namespace tolvane
