// A scriptable POP3 server inside the test process, on 127.0.0.1 and a free port.
//
// By default it serves a mailbox faithfully (USER/PASS against one user, STAT, LIST n,
// UIDL, UIDL n, TOP n m, DELE n, RSET, QUIT with the usual replies; deletions take effect
// at QUIT). Scripts override the reply to a command: the first queued script whose
// pattern matches the received command line is used once (or for every match when
// sticky). A pattern matches when the command line (without CR LF) equals it or starts
// with it followed by a space. A scripted reply replaces the command's handling: the
// mailbox does not change (a scripted "+OK" to DELE deletes nothing), except that a scripted
// PASS reply beginning with "+OK" logs the session in.
//
// Replies are written without blocking the server thread; a chunk's delay counts from the
// moment the chunk before it was written. After a reply whose ending is Silent, the
// connection answers nothing more (commands are still recorded). On EOF the lines already
// received are still handled (recorded; QUIT still commits).
//
// Every command line received is recorded (without CR LF), so tests assert the exact
// dialogue, and so are the raw bytes and how many commands had arrived unanswered at most
// (commands a client sent ahead of their replies). One client at a time; a new connection
// restarts the session state.
//
// CAPA is unknown ("-ERR") until SetCapabilities names some; then it lists them. AUTH
// takes the mechanisms of a "SASL ..." capability in the two-step form: PLAIN against the
// user and password, XOAUTH2 and OAUTHBEARER (host 127.0.0.1 and the server's port)
// against the access token; a wrong token gets a base64 JSON error challenge that must
// be answered ("AQ==" for OAUTHBEARER, an empty line for XOAUTH2) before the -ERR.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolvane::test {

struct FakeMessage {
    std::string uidl;    // answered to UIDL
    std::string content; // the whole message with CR LF line ends, without the final ".\r\n"
};

// One scripted reply: chunks sent in order, each after its delay; then what happens to
// the connection.
struct FakeReply {
    struct Chunk {
        std::string bytes;
        std::chrono::milliseconds delayBefore{0};
    };
    enum class After { Keep, Close, Reset, Silent };
    std::vector<Chunk> chunks;
    After after = After::Keep;

    static FakeReply Text(std::string bytes);               // one chunk, then keep
    static FakeReply Err(const std::string& text = "-ERR"); // "<text>\r\n"
    static FakeReply Silence();                             // nothing, ever (until close)
    static FakeReply CloseNow();                            // close without a byte
    FakeReply& Then(std::string bytes, std::chrono::milliseconds delayBefore);
    FakeReply& AndClose();
};

class FakePop3Server {
public:
    FakePop3Server();
    ~FakePop3Server(); // stops the thread, closes every socket
    FakePop3Server(const FakePop3Server&) = delete;
    FakePop3Server& operator=(const FakePop3Server&) = delete;

    unsigned Port() const { return m_port; }

    // Mailbox content and credentials (defaults: user "taro", password "secret").
    void SetUser(const std::string& user, const std::string& password);
    void SetMessages(std::vector<FakeMessage> messages);
    void AddMessage(FakeMessage message);
    std::vector<FakeMessage> Messages() const; // what remains (after QUIT-committed DELEs)
    void SetGreeting(FakeReply greeting);      // default "+OK fake POP3 ready\r\n"
    void SetCapabilities(std::vector<std::string> capabilities); // e.g. {"TOP", "PIPELINING"}
    void SetAccessToken(const std::string& token);               // default "fake-access-token"

    // Overrides the reply to the next command matching pattern (e.g. "TOP 2", "PASS").
    void Script(const std::string& pattern, FakeReply reply, bool sticky = false);

    // Writes bytes to the connected client now, outside any reply (also after a Silent
    // one): a test paces a trickle itself, one piece at a time.
    void Send(std::string bytes);

    // Called on the server thread with each command line as it arrives, before replying.
    void OnCommand(std::function<void(const std::string& line)> hook);

    std::vector<std::string> Commands() const; // every line received, in order
    std::string Received() const;              // every byte received, in order
    // The most commands that were received and not yet answered (the one being answered
    // included) at any moment: 1 for a client that waits for each reply.
    size_t MaxCommandsAhead() const;
    void ClearCommands(); // the three above
    // Blocks until a recorded command line (since the last ClearCommands) matches pattern,
    // by the rule of Script; true if so.
    bool WaitForCommand(const std::string& pattern, std::chrono::milliseconds timeout);
    int Connections() const; // accepted so far
    // Blocks until n connections were accepted; true if so.
    bool WaitForConnections(int n, std::chrono::milliseconds timeout);

private:
    struct Impl;
    Impl* m_impl;
    unsigned m_port = 0;
};

// A message in the usual shape: headers (each "Name: value"), a blank line, body lines.
std::string MakeMessage(const std::vector<std::string>& headers,
                        const std::vector<std::string>& bodyLines);

// A loopback port that was free a moment ago (bound, read back and closed again): a
// connection to it is refused.
unsigned UnusedPort();

} // namespace tolvane::test
