#include "engine/Pop3Transport.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <netinet/in.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>

namespace tolvane {

namespace {

// One send or recv that never blocks and never raises SIGPIPE, retried when a signal
// interrupts it: the byte count, or -1 with errno.
ssize_t SendSome(int fd, const char* data, size_t size) {
    ssize_t sent;
    do {
        sent = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

ssize_t ReceiveSome(int fd, char* buffer, size_t size) {
    ssize_t got;
    do {
        got = ::recv(fd, buffer, size, MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    return got;
}

bool WouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

int SocketOf(BIO* bio) {
    return static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(bio)));
}

// The socket under the TLS session, read and written as the clear-text path does.
int BioWrite(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    const ssize_t sent = SendSome(SocketOf(bio), data, static_cast<size_t>(size));
    if (sent < 0 && WouldBlock()) {
        BIO_set_retry_write(bio);
    }
    return static_cast<int>(sent);
}

int BioRead(BIO* bio, char* buffer, int size) {
    BIO_clear_retry_flags(bio);
    const ssize_t got = ReceiveSome(SocketOf(bio), buffer, static_cast<size_t>(size));
    if (got < 0 && WouldBlock()) {
        BIO_set_retry_read(bio);
    }
    return static_cast<int>(got);
}

long BioControl(BIO* bio, int command, long, void*) {
    switch (command) {
    case BIO_CTRL_FLUSH:
        return 1;
    case BIO_C_GET_FD:
        return SocketOf(bio);
    default:
        return 0;
    }
}

BIO_METHOD* SocketBioMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "pop3 socket");
        if (made != nullptr) {
            BIO_meth_set_write(made, BioWrite);
            BIO_meth_set_read(made, BioRead);
            BIO_meth_set_ctrl(made, BioControl);
        }
        return made;
    }();
    return method;
}

TlsFailureKind KindOf(long verifyResult) {
    switch (verifyResult) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
        return TlsFailureKind::Expired;
    case X509_V_ERR_CERT_NOT_YET_VALID:
        return TlsFailureKind::NotYetValid;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        return TlsFailureKind::HostMismatch;
    case X509_V_ERR_CERT_REVOKED:
        return TlsFailureKind::Revoked;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
        return TlsFailureKind::Untrusted;
    default:
        return TlsFailureKind::OtherCertificate;
    }
}

std::string SubjectOf(X509* certificate) {
    std::string subject;
    BIO* text = BIO_new(BIO_s_mem());
    if (certificate == nullptr || text == nullptr) {
        BIO_free(text);
        return subject;
    }
    // RFC 2253 order, with UTF-8 left as it is rather than escaped.
    if (X509_NAME_print_ex(text, X509_get_subject_name(certificate), 0,
                           XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) >= 0) {
        char* data = nullptr;
        const long length = BIO_get_mem_data(text, &data);
        if (data != nullptr && length > 0) {
            subject.assign(data, static_cast<size_t>(length));
        }
    }
    BIO_free(text);
    return subject;
}

int VerifyCallback(int preverifyOk, X509_STORE_CTX* context) {
    auto* ssl = static_cast<SSL*>(
        X509_STORE_CTX_get_ex_data(context, SSL_get_ex_data_X509_STORE_CTX_idx()));
    if (ssl != nullptr) {
        if (auto* transport = static_cast<CPop3Transport*>(SSL_get_app_data(ssl))) {
            transport->NoteVerification(preverifyOk, context);
        }
    }
    return preverifyOk;
}

// SSL_set_tlsext_host_name without the macro's C cast.
long SetServerName(SSL* ssl, const std::string& host) {
    return SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                    const_cast<char*>(host.c_str()));
}

bool IsAddress(const std::string& host) {
    unsigned char address[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, host.c_str(), address) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

// OpenSSL's words for the oldest error queued, or fallback.
std::string QueuedError(const char* fallback) {
    const unsigned long error = ERR_peek_error();
    const char* reason = error != 0 ? ERR_reason_error_string(error) : nullptr;
    return reason != nullptr ? reason : fallback;
}

} // namespace

CPop3Transport::~CPop3Transport() {
    Detach();
}

void CPop3Transport::Attach(int fd) {
    Detach();
    m_hSocket = fd;
    m_failure = TlsFailure();
}

void CPop3Transport::Detach() {
    if (m_pSsl != nullptr) {
        if (SSL_is_init_finished(m_pSsl)) {
            ERR_clear_error();
            SSL_shutdown(m_pSsl); // offers close_notify; the peer's is not awaited
        }
        SSL_free(m_pSsl);
        m_pSsl = nullptr;
        ERR_clear_error();
    }
    m_hSocket = -1;
    m_nWants = 0;
}

void CPop3Transport::NoteVerification(int preverifyOk, void* storeContext) {
    auto* context = static_cast<X509_STORE_CTX*>(storeContext);
    if (m_failure.strSubject.empty()) {
        m_failure.strSubject = SubjectOf(X509_STORE_CTX_get0_cert(context));
    }
    if (!preverifyOk && m_failure.kind == TlsFailureKind::None) {
        const int error = X509_STORE_CTX_get_error(context);
        m_failure.kind = KindOf(error);
        m_failure.strDetail = X509_verify_cert_error_string(error);
    }
}

bool CPop3Transport::BeginTls(const std::string& host, bool bVerify) {
    m_failure = TlsFailure();
    auto fail = [this](SSL_CTX* context) {
        m_failure.kind = TlsFailureKind::Protocol;
        m_failure.strDetail = QueuedError("TLS could not be set up");
        SSL_CTX_free(context);
        if (m_pSsl != nullptr) {
            SSL_free(m_pSsl);
            m_pSsl = nullptr;
        }
        ERR_clear_error();
        errno = EPROTO;
        return false;
    };
    if (m_hSocket < 0 || m_pSsl != nullptr) {
        errno = EINVAL;
        return false;
    }
    ERR_clear_error();
    // A context per connection: the store is read afresh, so a changed SSL_CERT_FILE or
    // system store counts from the next check on.
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (context == nullptr || SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_default_verify_paths(context) != 1) {
        return fail(context);
    }
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    m_pSsl = SSL_new(context);
    BIO* bio = SocketBioMethod() != nullptr ? BIO_new(SocketBioMethod()) : nullptr;
    if (m_pSsl == nullptr || bio == nullptr) {
        BIO_free(bio);
        return fail(context);
    }
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<intptr_t>(m_hSocket)));
    BIO_set_init(bio, 1);
    SSL_set_bio(m_pSsl, bio, bio);
    SSL_set_app_data(m_pSsl, this);
    if (bVerify) {
        SSL_set_verify(m_pSsl, SSL_VERIFY_PEER, VerifyCallback);
        SSL_set_hostflags(m_pSsl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        if (IsAddress(host)) {
            // An address is checked against the certificate's addresses and is no SNI name.
            if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_pSsl), host.c_str()) != 1) {
                return fail(context);
            }
        } else if (SSL_set1_host(m_pSsl, host.c_str()) != 1 || SetServerName(m_pSsl, host) != 1) {
            return fail(context);
        }
    } else {
        SSL_set_verify(m_pSsl, SSL_VERIFY_NONE, nullptr);
        if (!IsAddress(host)) {
            SetServerName(m_pSsl, host); // servers pick their certificate by it
        }
    }
    SSL_CTX_free(context); // the session holds its own reference
    return true;
}

int CPop3Transport::Handshake() {
    m_nWants = 0;
    if (m_pSsl == nullptr) {
        errno = EINVAL;
        return IO_FAILED;
    }
    ERR_clear_error();
    const int result = SSL_connect(m_pSsl);
    if (result == 1) {
        return IO_DONE;
    }
    const int error = SSL_get_error(m_pSsl, result);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
        m_nWants = error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
        return IO_WANT;
    }
    RecordHandshakeFailure();
    return IO_FAILED;
}

void CPop3Transport::RecordHandshakeFailure() {
    const int savedErrno = errno;
    if (m_failure.kind == TlsFailureKind::None) {
        // Verification passed (or was not asked): the peer does not speak TLS with us.
        const long verifyResult = SSL_get_verify_result(m_pSsl);
        if (verifyResult != X509_V_OK) {
            m_failure.kind = KindOf(verifyResult);
            m_failure.strDetail = X509_verify_cert_error_string(verifyResult);
        } else {
            m_failure.kind = TlsFailureKind::Protocol;
            m_failure.strDetail = QueuedError(savedErrno != 0 ? "connection closed" : "no TLS");
        }
    }
    ERR_clear_error();
    errno = EPROTO;
}

int CPop3Transport::TlsResult(int result, const char* operation) {
    const int error = SSL_get_error(m_pSsl, result);
    switch (error) {
    case SSL_ERROR_WANT_READ:
        m_nWants = POLLIN;
        return IO_WANT;
    case SSL_ERROR_WANT_WRITE:
        m_nWants = POLLOUT;
        return IO_WANT;
    case SSL_ERROR_ZERO_RETURN:
        errno = ECONNRESET;
        return IO_CLOSED;
    case SSL_ERROR_SSL:
        // The peer closed without close_notify: to the reply framing that is a close.
        if (ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING) {
            ERR_clear_error();
            errno = ECONNRESET;
            return IO_CLOSED;
        }
        m_failure.kind = TlsFailureKind::Protocol;
        m_failure.strDetail = QueuedError(operation);
        ERR_clear_error();
        errno = EPROTO;
        return IO_FAILED;
    default: // SSL_ERROR_SYSCALL: errno tells
        ERR_clear_error();
        if (errno == 0) {
            errno = ECONNRESET;
            return IO_CLOSED;
        }
        return IO_FAILED;
    }
}

int CPop3Transport::Read(char* buffer, size_t size, size_t& got) {
    got = 0;
    m_nWants = 0;
    if (m_pSsl == nullptr) {
        const ssize_t read = ReceiveSome(m_hSocket, buffer, size);
        if (read > 0) {
            got = static_cast<size_t>(read);
            return IO_DONE;
        }
        if (read == 0) {
            errno = ECONNRESET;
            return IO_CLOSED;
        }
        m_nWants = WouldBlock() ? POLLIN : 0;
        return m_nWants != 0 ? IO_WANT : IO_FAILED;
    }
    ERR_clear_error();
    errno = 0;
    const int result = SSL_read_ex(m_pSsl, buffer, size, &got);
    return result == 1 ? IO_DONE : TlsResult(result, "TLS read failed");
}

int CPop3Transport::Write(const char* data, size_t size, size_t& written) {
    written = 0;
    m_nWants = 0;
    if (m_pSsl == nullptr) {
        const ssize_t sent = SendSome(m_hSocket, data, size);
        if (sent >= 0) {
            written = static_cast<size_t>(sent);
            return IO_DONE;
        }
        m_nWants = WouldBlock() ? POLLOUT : 0;
        return m_nWants != 0 ? IO_WANT : IO_FAILED;
    }
    ERR_clear_error();
    errno = 0;
    const int result = SSL_write_ex(m_pSsl, data, size, &written);
    return result == 1 ? IO_DONE : TlsResult(result, "TLS write failed");
}

bool CPop3Transport::Buffered() const {
    return m_pSsl != nullptr && SSL_pending(m_pSsl) > 0;
}

short CPop3Transport::Wants(short normal) const {
    return m_nWants != 0 ? m_nWants : normal;
}

bool IsLoopbackPeer(int fd) {
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (fd < 0 || ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
        return false;
    }
    if (peer.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&peer);
        return (ntohl(v4->sin_addr.s_addr) >> 24) == 127;
    }
    if (peer.ss_family == AF_INET6) {
        const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_addr;
        return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
    }
    return false;
}

} // namespace tolvane
