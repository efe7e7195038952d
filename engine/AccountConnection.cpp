// The connection steps of an account (open, log in, log out) and the reply parsers.
#include "engine/Account.h"

#include "engine/JobTexts.h"
#include "engine/LogSafe.h"
#include "engine/SaslMechanisms.h"
#include "platform/CodePage.h"

#include <climits>
#include <new>

namespace tolvane {

namespace {

// The index-th word (0 first) of a reply; false when the reply has fewer words. A word is
// a longest run of characters other than the space character; CR and LF belong to the
// word they follow.
bool Word(std::string_view text, size_t index, std::string_view& word) {
    size_t pos = 0;
    for (size_t i = 0;; ++i) {
        pos = text.find_first_not_of(' ', pos);
        if (pos == std::string_view::npos) {
            return false;
        }
        size_t end = text.find(' ', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (i == index) {
            word = text.substr(pos, end - pos);
            return true;
        }
        pos = end;
    }
}

// The usual decimal rule: an optional sign, then the leading digits; no digits give 0.
// Values beyond the 32-bit range are held at its ends.
int32_t Decimal(std::string_view word) {
    size_t pos = 0;
    bool negative = false;
    if (pos < word.size() && (word[pos] == '+' || word[pos] == '-')) {
        negative = word[pos] == '-';
        ++pos;
    }
    long long value = 0;
    for (; pos < word.size() && word[pos] >= '0' && word[pos] <= '9'; ++pos) {
        value = value * 10 + (word[pos] - '0');
        if (value > static_cast<long long>(INT32_MAX) + 1) {
            value = static_cast<long long>(INT32_MAX) + 1;
        }
    }
    if (negative) {
        return static_cast<int32_t>(-value);
    }
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

// True when word holds a number by the decimal rule: an optional sign, then a digit.
bool HasDigits(std::string_view word) {
    const size_t first = !word.empty() && (word[0] == '+' || word[0] == '-') ? 1 : 0;
    return first < word.size() && word[first] >= '0' && word[first] <= '9';
}

} // namespace

void CAccount::ReportName(const char* formatUtf8) const {
    // The name goes to every %s of the text (a few texts name the account twice).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    Report(SjisFormat(formatUtf8, m_strName.c_str(), m_strName.c_str()));
#pragma GCC diagnostic pop
}

bool CAccount::OpenConnection() {
    ReportName(txt::kConnecting);
    m_bOpen = 1;
    m_nServerPipelines = -1; // a new connection may reach another server
    const int code = ConnectAsConfigured();
    if (code == POP3_OK) {
        return true;
    }
    switch (code) {
    case kTlsRefusedReported:
        break;
    case POP3_TIMEOUT:
        ReportName(txt::kConnectTimeout);
        break;
    case POP3_CANCELLED:
        ReportName(txt::kStopCheck);
        break;
    default:
        ReportName(txt::kConnectFailed);
        break;
    }
    m_socket.Close();
    m_bOpen = 0;
    return false;
}

int CAccount::ConnectAsConfigured() {
    if (m_nSecurity != SECURITY_NONE && m_nSecurity != SECURITY_STLS &&
        m_nSecurity != SECURITY_POP3S) {
        Report(SjisFormat(txt::kSecurityUnknown, m_strName.c_str(), m_nSecurity));
        return kTlsRefusedReported;
    }
    const bool bVerify = m_bVerifyCertificate == 1;
    std::string reply;
    int code = m_socket.ConnectServer(m_strServer, static_cast<unsigned>(m_nPort), reply,
                                      m_nSecurity == SECURITY_POP3S, bVerify);
    if (code == POP3_OK && m_nSecurity == SECURITY_STLS) {
        code = m_socket.CmdStls(reply);
        if (code == POP3_NEGATIVE) {
            ReportName(txt::kStlsRefused);
            return kTlsRefusedReported;
        }
        if (m_socket.OutOfStep()) {
            // Clear text that arrived after the answer would pass for the server's once
            // the session is up; a server that sends it is refused.
            ReportName(txt::kStlsExtraData);
            return kTlsRefusedReported;
        }
        if (code == POP3_OK) {
            code = m_socket.StartTls(m_strServer, bVerify);
        }
    }
    if (code == POP3_ERROR && m_socket.GetTlsFailure().kind != TlsFailureKind::None) {
        ReportTlsFailure();
        return kTlsRefusedReported;
    }
    return code;
}

void CAccount::ReportTlsFailure() const {
    const TlsFailure& failure = m_socket.GetTlsFailure();
    // The detail and the subject come from the server's certificate.
    if (failure.kind == TlsFailureKind::Protocol) {
        Report(SjisFormat(txt::kTlsFailed, m_strName.c_str(), LogSafe(failure.strDetail).c_str()));
        return;
    }
    std::string reason;
    switch (failure.kind) {
    case TlsFailureKind::Untrusted:
        reason = Sjis(txt::kReasonUntrusted);
        break;
    case TlsFailureKind::Expired:
        reason = Sjis(txt::kReasonExpired);
        break;
    case TlsFailureKind::NotYetValid:
        reason = Sjis(txt::kReasonNotYetValid);
        break;
    case TlsFailureKind::HostMismatch:
        reason = SjisFormat(txt::kReasonHostMismatch, Utf8ToCp932(m_strServer).c_str());
        break;
    case TlsFailureKind::Revoked:
        reason = Sjis(txt::kReasonRevoked);
        break;
    default:
        reason = SjisFormat(txt::kReasonOther, LogSafe(failure.strDetail).c_str());
        break;
    }
    const std::string subject = failure.strSubject.empty()
                                    ? Sjis(txt::kUnknownSubject)
                                    : LogSafe(Utf8ToCp932(failure.strSubject));
    Report(
        SjisFormat(txt::kCertificateRefused, m_strName.c_str(), reason.c_str(), subject.c_str()));
}

bool CAccount::LoginFailed(int code, const std::string& reply, bool afterPass) {
    // m_bOpen stays set: the Logout that follows still owes its report.
    switch (code) {
    case POP3_TIMEOUT:
        ReportName(txt::kLoginTimeout);
        break;
    case POP3_CANCELLED:
        ReportName(txt::kStopCheck);
        break;
    case POP3_NEGATIVE:
        if (afterPass && Cp932Lower(reply).find("locked") != std::string::npos) {
            ReportName(txt::kLoginLocked);
        } else {
            ReportName(txt::kLoginRefused);
        }
        break;
    default:
        ReportName(txt::kLoginLineFault);
        break;
    }
    m_socket.Close();
    return false;
}

bool CAccount::Login() {
    if (m_nAuthentication != AUTH_USER_PASS) {
        return LoginSasl();
    }
    CSecureString password;
    if (!ObtainPassword(password)) {
        return false; // logged; nothing was sent, so QUIT can still end the session
    }
    if (m_nSecurity == SECURITY_NONE && !m_socket.IsPeerLoopback()) {
        ReportName(txt::kClearTextPassword);
    }
    std::string reply;
    int code = m_socket.CmdUser(m_strUser, reply);
    if (code != POP3_OK) {
        return LoginFailed(code, reply, false);
    }
    code = m_socket.CmdPass(password, reply);
    password.Clear();
    if (code != POP3_OK) {
        return LoginFailed(code, reply, true);
    }
    ReportName(txt::kConnected);
    return true;
}

bool CAccount::Logout() {
    if (!m_bOpen) {
        return true;
    }
    m_bOpen = 0;
    std::string reply;
    const int code = m_socket.CmdQuit(reply);
    m_socket.Close();
    ReportName(code == POP3_OK ? txt::kLoggedOut : txt::kLogoutFailed);
    return code == POP3_OK;
}

bool CAccount::PipelinesRun(size_t commands) {
    if (!m_bPipelining || commands < 2) {
        return false;
    }
    if (m_nServerPipelines < 0) {
        std::string reply;
        const int code = m_socket.CmdCapa(reply);
        m_nServerPipelines = code == POP3_OK && HasCapability(reply, "PIPELINING") ? 1 : 0;
    }
    return m_nServerPipelines == 1;
}

int32_t CAccount::ParseCount(const std::string& reply) {
    // Without a status word of its own and a count with digits ("+OK abc", "+OK\t3 0")
    // the reply says nothing about the mailbox: a failure, never "no mail".
    std::string_view status;
    std::string_view count;
    if (!Word(reply, 0, status) || status != "+OK" || !Word(reply, 1, count) || !HasDigits(count)) {
        return -1;
    }
    return Decimal(count);
}

namespace {

// The lines of a multi-line reply after its status line, up to the lone dot (not
// included), each without its line end; a reply cut short gives what it holds.
std::vector<std::string_view> BodyLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t pos = text.find("\r\n");
    while (pos != std::string_view::npos) {
        pos += 2;
        const size_t end = text.find("\r\n", pos);
        if (end == std::string_view::npos) {
            break;
        }
        const std::string_view line = text.substr(pos, end - pos);
        if (line == ".") {
            break;
        }
        lines.push_back(line);
        pos = end;
    }
    return lines;
}

} // namespace

bool CAccount::HasCapability(const std::string& reply, const char* capability) {
    for (std::string_view line : BodyLines(reply)) {
        std::string_view name;
        if (Word(line, 0, name) && Cp932Lower(std::string(name)) == Cp932Lower(capability)) {
            return true;
        }
    }
    return false;
}

} // namespace tolvane
