#include "engine/CommandRun.h"

#include <algorithm>

namespace tolvane {

CCommandRun::CCommandRun(CPop3Socket& socket, bool pipelined, size_t windowCommands,
                         size_t windowBytes)
    : m_socket(socket), m_bPipelined(pipelined),
      m_nWindowCommands(std::max<size_t>(windowCommands, 1)), m_nWindowBytes(windowBytes) {}

void CCommandRun::Add(std::string command, bool multiLine) {
    m_queue.push_back({std::move(command), multiLine});
}

int CCommandRun::Next(std::string& reply) {
    if (!m_bPipelined) {
        if (m_queue.empty()) {
            reply.clear();
            return POP3_ERROR;
        }
        const Queued next = std::move(m_queue.front());
        m_queue.pop_front();
        return m_socket.Command(next.command, reply, next.multiLine, true);
    }
    // Topped up once half the window has been read: fewer, fuller sends.
    if (m_socket.GetCancel() == 0 && !m_queue.empty() &&
        m_flightBytes.size() <= m_nWindowCommands / 2) {
        TopUp();
        if (m_socket.SendAhead() != POP3_OK) {
            Abandon();
            reply.clear();
            return POP3_ERROR;
        }
    }
    if (m_flightBytes.empty()) {
        reply.clear();
        // Nothing to read: a cancel stopped the sending, or nothing was added.
        return m_socket.GetCancel() != 0 ? POP3_CANCELLED : POP3_ERROR;
    }
    const int code = m_socket.ReadAhead(reply);
    if (code == POP3_OK || code == POP3_NEGATIVE) {
        m_nBytesInFlight -= m_flightBytes.front();
        m_flightBytes.pop_front();
    } else if (!m_socket.IsConnected()) {
        Abandon(); // nothing more can be sent or read
    } else {
        m_queue.clear(); // a cancel: what is in flight stays owed to the socket
    }
    return code;
}

void CCommandRun::Abandon() {
    m_queue.clear();
    m_flightBytes.clear();
    m_nBytesInFlight = 0;
}

void CCommandRun::TopUp() {
    while (!m_queue.empty() && m_flightBytes.size() < m_nWindowCommands) {
        const size_t bytes = m_queue.front().command.size();
        if (!m_flightBytes.empty() && m_nBytesInFlight + bytes > m_nWindowBytes) {
            break;
        }
        m_socket.QueueAhead(m_queue.front().command, m_queue.front().multiLine);
        m_flightBytes.push_back(bytes);
        m_nBytesInFlight += bytes;
        m_queue.pop_front();
    }
}

} // namespace tolvane
