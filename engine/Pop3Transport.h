// CPop3Transport: the byte stream under CPop3Socket: a connected non-blocking TCP socket
// and, once a TLS handshake has succeeded on it, a TLS session (OpenSSL 3) over it. The
// reply framing above sees the same bytes either way.
//
// Contract:
// - It never waits. An operation that cannot go on now returns IO_WANT and Wants() names
//   the readiness it needs (POLLIN or POLLOUT); the caller waits for that, with its own
//   cancel event and time-outs, and calls again.
// - Codes: IO_DONE (some bytes moved, or the handshake finished), IO_WANT, IO_CLOSED (the
//   peer ended the stream), IO_FAILED (errno set; a failed handshake also fills Failure()).
// - Attach(fd) starts clear text on a connected socket the caller keeps owning; Detach()
//   ends the TLS session (a close_notify is offered, never awaited) before the caller
//   closes the socket. A Failure() stays readable until the next Attach.
// - BeginTls: TLS 1.2 at least. With bVerify the peer's chain must lead to an authority
//   of the system's store (SSL_CERT_FILE and SSL_CERT_DIR are honoured) and the
//   certificate must name host (a DNS name, or an IP address as such); a DNS name is also
//   sent as SNI. Without bVerify nothing of the certificate is checked.
// - Buffered(): decrypted bytes already held that Read would hand over without touching
//   the socket. A wait for readability must not poll while it is true.
// - Writes and reads never raise SIGPIPE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct ssl_st;

namespace tolvane {

// The account's Security setting.
enum : int32_t { SECURITY_NONE = 0, SECURITY_STLS = 1, SECURITY_POP3S = 2 };

enum : int { IO_DONE = 0, IO_WANT = 1, IO_CLOSED = 2, IO_FAILED = 3 };

// Why a handshake failed.
enum class TlsFailureKind {
    None,
    Untrusted,    // the chain leads to no trusted authority (or is self-signed)
    Expired,      // a certificate of the chain is past its end
    NotYetValid,  // a certificate of the chain has not begun
    HostMismatch, // the certificate does not name the server
    Revoked,
    OtherCertificate, // any other verification failure (Detail says which)
    Protocol,         // no TLS peer, no common version or cipher, a broken record
};

struct TlsFailure {
    TlsFailureKind kind = TlsFailureKind::None;
    std::string strSubject; // the server certificate's subject (RFC 2253, UTF-8); may be empty
    std::string strDetail;  // OpenSSL's own words for it (ASCII)
};

class CPop3Transport {
public:
    CPop3Transport() = default;
    ~CPop3Transport();
    CPop3Transport(const CPop3Transport&) = delete;
    CPop3Transport& operator=(const CPop3Transport&) = delete;

    void Attach(int fd);
    void Detach();
    bool IsTls() const { return m_pSsl != nullptr; }

    // Prepares the session; false (Failure() set, kind Protocol) when OpenSSL could not.
    bool BeginTls(const std::string& host, bool bVerify);
    // Runs the handshake as far as it can go now.
    int Handshake();

    // Reads at most size bytes; got receives how many (IO_DONE only).
    int Read(char* buffer, size_t size, size_t& got);
    // Writes some of the bytes; written receives how many (IO_DONE only).
    int Write(const char* data, size_t size, size_t& written);
    bool Buffered() const;
    // The poll events the last IO_WANT needs; normal when nothing is owed.
    short Wants(short normal) const;

    const TlsFailure& Failure() const { return m_failure; }
    // Forgets the last failure (a new connection begins).
    void ClearFailure() { m_failure = TlsFailure(); }

    // Receives the verification result of every certificate of the chain (OpenSSL's callback).
    void NoteVerification(int preverifyOk, void* storeContext);

private:
    int TlsResult(int result, const char* operation);
    void RecordHandshakeFailure();

    int m_hSocket = -1;
    ssl_st* m_pSsl = nullptr;
    short m_nWants = 0; // 0: nothing owed
    TlsFailure m_failure;
};

// True when the socket's peer is a loopback address (127.0.0.0/8, ::1, or 127/8 mapped into
// IPv6).
bool IsLoopbackPeer(int fd);

} // namespace tolvane
