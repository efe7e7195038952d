// CLoopbackRedirect: the redirect target of a native app's sign-in: a listener on
// 127.0.0.1 (a free port, nothing else bound) that takes the browser's one request back.
//
// Contract:
// - Listen binds and listens; false when no port can be had. RedirectUri() is then
//   "http://127.0.0.1:PORT/".
// - WaitForCode sleeps in the kernel (poll) on the listener, the connection, the cancel
//   event and the clock's wake-up, until deadlineMs of clock. The first request for "/"
//   decides: with the expected state and a code it yields REDIRECT_OK and the code; with
//   another state REDIRECT_WRONG_STATE; with an error parameter (the user declined)
//   REDIRECT_DENIED and the error in detail. The browser gets a short Japanese page
//   saying which. Requests for other paths get 404 and are not counted; connections are
//   read side by side (a browser's idle ones never hold up the real request, 16 at most),
//   and one with more than 16 KiB of head is dropped. REDIRECT_TIMEOUT at the
//   deadline, REDIRECT_CANCELLED once Cancel was called (from any thread), REDIRECT_FAILED
//   when the listener broke.
// - One wait per listener; the port is closed when the object goes.
#pragma once

#include "engine/Clock.h"

#include <cstdint>
#include <string>

namespace tolvane {

enum : int {
    REDIRECT_OK = 0,
    REDIRECT_WRONG_STATE = 1,
    REDIRECT_DENIED = 2,
    REDIRECT_TIMEOUT = 3,
    REDIRECT_CANCELLED = 4,
    REDIRECT_FAILED = 5
};

class CLoopbackRedirect {
public:
    CLoopbackRedirect();
    ~CLoopbackRedirect();
    CLoopbackRedirect(const CLoopbackRedirect&) = delete;
    CLoopbackRedirect& operator=(const CLoopbackRedirect&) = delete;

    bool Listen();
    unsigned Port() const { return m_nPort; }
    std::string RedirectUri() const;
    int WaitForCode(const std::string& state, const IMonotonicClock& clock, int64_t deadlineMs,
                    std::string& code, std::string& detail);
    void Cancel(); // thread-safe

private:
    struct Connection {
        int fd = -1; // -1 once done
        std::string head;
    };
    // Reads what the connection holds; a whole head is answered. decided: the request
    // settled the sign-in (the result is then the wait's).
    int Read(Connection& connection, const std::string& state, std::string& code,
             std::string& detail, bool& decided);
    int Answer(int fd, const std::string& head, const std::string& state, std::string& code,
               std::string& detail, bool& decided);

    int m_hListen = -1;
    int m_hCancel = -1; // eventfd
    unsigned m_nPort = 0;
};

} // namespace tolvane
