// A private Dovecot POP3 server for tests (and the demo): started on 127.0.0.1 and a free
// port with its own base folder, plain-text login, users from a passwd file, maildirs
// the test fills. Stopped and removed at destruction.
//
// Available() is false when no dovecot binary is installed; tests then fail under CI
// (CI=true) and are skipped elsewhere — use TOLVANE_REQUIRE_DOVECOT() at a test's start.
//
// With EnableTls the server also offers STLS on Port() and POP3S on TlsPort(), with a
// certificate of the test authority (tests/support/TestCertificates.h).
//
// With EnableOAuth2 the server also takes bearer tokens (XOAUTH2, OAUTHBEARER or both) and
// asks a test's introspection endpoint (RFC 7662, POST token=...) about each: a token is
// good when the answer is "active":true with the "username" of the user logging in (one
// added here). The passwords then serve PLAIN and USER/PASS only.
#pragma once

#include "tests/support/Requirement.h"
#include "tests/support/TestCertificates.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::test {

class DovecotFixture {
public:
    DovecotFixture();
    ~DovecotFixture(); // stops the server

    static bool Available();

    // Adds a user (password in clear) with an empty maildir. Call before Start.
    void AddUser(const std::string& user, const std::string& password);
    // Whether a message's X-UIDL header becomes its UIDL (on by default here; Debian's
    // stock configuration has it off). Call before Start.
    void SetReuseXUidl(bool reuse) { m_bReuseXUidl = reuse; }
    // TLS with the given server certificate; call before Start.
    void EnableTls(TestCert certificate = TestCert::Good);
    unsigned TlsPort() const { return m_tlsPort; }
    // Bearer tokens checked at introspectionUrl, for mechanisms ("xoauth2", "oauthbearer"
    // or both, blank-separated); call before Start.
    void EnableOAuth2(const std::string& introspectionUrl,
                      const std::string& mechanisms = "xoauth2 oauthbearer");
    // Starts the server; false (with a reason in Error()) when it did not come up.
    bool Start();
    void Stop();
    const std::string& Error() const { return m_error; }
    unsigned Port() const { return m_port; }

    // Delivers a message (CR LF or LF line ends; stored with LF) into the user's maildir
    // "new" folder under a file name that fixes its position after earlier deliveries.
    void Deliver(const std::string& user, const std::string& message);
    // Messages currently in the user's maildir (new and cur), in delivery order, as stored.
    std::vector<std::string> Mailbox(const std::string& user) const;

    const std::filesystem::path& Base() const { return m_base; }
    // The server's log so far (logins and disconnections with their reasons).
    std::string Log() const;

private:
    std::filesystem::path m_base;
    std::string m_error;
    unsigned m_port = 0;
    unsigned m_tlsPort = 0;
    bool m_bTls = false;
    bool m_bReuseXUidl = true;
    TestCert m_certificate = TestCert::Good;
    std::string m_introspectionUrl; // empty: no OAuth 2.0
    std::string m_oauthMechanisms;
    int m_pid = -1;
    unsigned m_delivered = 0;
    std::vector<std::pair<std::string, std::string>> m_users;
};

} // namespace tolvane::test

// Skips the test outside CI when Dovecot is missing; fails it under CI.
#define TOLVANE_REQUIRE_DOVECOT()                                                                  \
    TOLVANE_REQUIRE(::tolvane::test::DovecotFixture::Available(), "dovecot")
