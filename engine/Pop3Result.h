// Result codes of every POP3 operation.
#pragma once

namespace tolvane {

enum : int {
    POP3_OK = 0,         // complete positive reply (or readable socket, for WaitReadable)
    POP3_TIMEOUT = -1,   // nothing arrived within the time-out; errno is ETIMEDOUT
    POP3_CANCELLED = -2, // the cancel request was seen
    POP3_ERROR = -3,     // not connected, short send, socket failure, peer closed, reply too big
    POP3_NEGATIVE = -4,  // the reply does not begin with "+OK"
};

} // namespace tolvane
