#include "tests/support/DovecotFixture.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tolvane::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBinaries[] = {"/usr/sbin/dovecot", "/usr/local/sbin/dovecot"};
constexpr int kStartSeconds = 10;
constexpr unsigned kFirstStamp = 1000000000; // maildir names: stamp + index, fixed width

const char* Binary() {
    for (const char* path : kBinaries) {
        if (::access(path, X_OK) == 0) {
            return path;
        }
    }
    return nullptr;
}

// The account the mail processes run as, and the users of the server's own processes.
struct Identity {
    uid_t uid;
    gid_t gid;
    std::string internalUser;
    std::string loginUser;
    std::string internalGroup; // empty: the package's own group
};

Identity MailIdentity() {
    if (::geteuid() == 0) {
        // The mail processes refuse to run as root; the package's own users serve the rest.
        const passwd* nobody = ::getpwnam("nobody");
        return {nobody ? nobody->pw_uid : 65534, nobody ? nobody->pw_gid : 65534, "dovecot",
                "dovenull", ""};
    }
    const passwd* self = ::getpwuid(::getuid());
    std::string name = self ? self->pw_name : "nobody";
    // Unprivileged, the server cannot give its sockets to the package's group either.
    const group* own = ::getgrgid(::getgid());
    return {::getuid(), ::getgid(), name, name, own ? own->gr_name : name};
}

void Own(const fs::path& path, const Identity& who) {
    if (::geteuid() == 0 && ::chown(path.c_str(), who.uid, who.gid) != 0) {
        // Only root changes owners; a failure shows up as a login failure with a log.
    }
}

unsigned FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    unsigned port = 0;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        socklen_t length = sizeof address;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return port;
}

// True when a POP3 greeting arrives on 127.0.0.1:port within about a second.
bool Greets(unsigned port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        pollfd readable{fd, POLLIN, 0};
        char buffer[64] = {};
        if (::poll(&readable, 1, 1000) == 1 && ::recv(fd, buffer, sizeof buffer - 1, 0) >= 3) {
            ok = std::strncmp(buffer, "+OK", 3) == 0;
        }
    }
    ::close(fd);
    return ok;
}

// Waits up to timeoutMs for the child to end; true when it did (and was reaped).
bool WaitChild(pid_t pid, int timeoutMs) {
    int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        pollfd ended{pidfd, POLLIN, 0};
        ::poll(&ended, 1, timeoutMs);
        ::close(pidfd);
        return ::waitpid(pid, nullptr, WNOHANG) == pid;
    }
    for (int waited = 0; waited < timeoutMs; waited += 10) { // kernels without pidfd
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

unsigned DeliveryIndex(const std::string& fileName) {
    return static_cast<unsigned>(std::strtoul(fileName.c_str(), nullptr, 10));
}

} // namespace

DovecotFixture::DovecotFixture() {}

DovecotFixture::~DovecotFixture() {
    Stop();
}

bool DovecotFixture::Available() {
    return Binary() != nullptr;
}

void DovecotFixture::EnableTls(TestCert certificate) {
    m_bTls = true;
    m_certificate = certificate;
}

void DovecotFixture::EnableOAuth2(const std::string& introspectionUrl,
                                  const std::string& mechanisms) {
    m_introspectionUrl = introspectionUrl;
    m_oauthMechanisms = mechanisms;
}

void DovecotFixture::AddUser(const std::string& user, const std::string& password) {
    m_users.emplace_back(user, password);
}

bool DovecotFixture::Start() {
    m_error.clear();
    const char* binary = Binary();
    if (!binary) {
        m_error = "dovecot is not installed";
        return false;
    }
    if (m_pid > 0) {
        return true;
    }
    // A fresh base every time: a stale one makes logins wait.
    std::string pattern = (fs::temp_directory_path() / "tolvane-dovecot-XXXXXX").string();
    if (m_base.empty() || !fs::exists(m_base)) {
        if (::mkdtemp(pattern.data()) == nullptr) {
            m_error = std::string("mkdtemp: ") + std::strerror(errno);
            return false;
        }
        m_base = pattern;
    }
    const Identity who = MailIdentity();
    std::error_code ignored;
    fs::permissions(m_base, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec,
                    ignored);
    fs::create_directories(m_base / "mail", ignored);
    fs::create_directories(m_base / "state", ignored);
    fs::permissions(m_base / "mail",
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec, ignored);

    std::ofstream passwdFile(m_base / "passwd");
    for (const auto& [user, password] : m_users) {
        const fs::path home = m_base / "mail" / user;
        for (const char* sub : {"", "new", "cur", "tmp"}) {
            fs::create_directories(home / sub, ignored);
            Own(home / sub, who);
        }
        passwdFile << user << ":{PLAIN}" << password << ":" << who.uid << ":" << who.gid
                   << "::" << home.string() << "::\n";
    }
    passwdFile.close();

    m_port = FreePort();
    m_tlsPort = 0;
    std::string ssl = "ssl = no\n";
    if (m_bTls) {
        const TestCertificates& certificates = TestCertificates::Get();
        if (!certificates.Ok()) {
            m_error = certificates.Error();
            return false;
        }
        const CertFiles files = certificates.Server(m_certificate);
        do {
            m_tlsPort = FreePort();
        } while (m_tlsPort == m_port);
        ssl = "ssl = yes\nssl_cert = <" + files.cert.string() + "\nssl_key = <" +
              files.key.string() + "\nssl_min_protocol = TLSv1.2\n";
    }
    // With tokens, a token is never tried as a password, nor a password as a token.
    const bool oauth = !m_introspectionUrl.empty();
    std::string passdbs = std::string("passdb {\n  driver = passwd-file\n") +
                          (oauth ? "  mechanisms = plain login\n" : "") +
                          "  args = " + (m_base / "passwd").string() + "\n}\n";
    std::string mechanisms = "plain";
    if (oauth) {
        mechanisms += " " + m_oauthMechanisms;
        passdbs += "passdb {\n  driver = oauth2\n  mechanisms = " + m_oauthMechanisms +
                   "\n  args = " + (m_base / "oauth2.conf.ext").string() + "\n}\n";
        std::ofstream oauth2(m_base / "oauth2.conf.ext");
        // Every login asks the endpoint (no token info URL, nothing cached), and only an
        // active token of a known user passes; the bound keeps a dead endpoint from
        // holding a login.
        oauth2 << "introspection_mode = post\n"
               << "introspection_url = " << m_introspectionUrl << "\n"
               << "force_introspection = yes\n"
               << "username_attribute = username\n"
               << "active_attribute = active\n"
               << "active_value = true\n"
               << "timeout_msecs = 10000\n";
    }
    const fs::path config = m_base / "dovecot.conf";
    std::ofstream conf(config);
    const std::string base = m_base.string();
    // Only root may chroot; unprivileged, the server's processes stay where they are.
    const std::string chroot = who.internalGroup.empty() ? "" : "  chroot =\n";
    conf << "protocols = pop3\n"
         << "listen = 127.0.0.1\n"
         << "base_dir = " << base << "/run\n"
         << "state_dir = " << base << "/state\n"
         << "log_path = " << base << "/dovecot.log\n"
         << ssl << "disable_plaintext_auth = no\n"
         << "auth_mechanisms = " << mechanisms << "\n"
         << "auth_failure_delay = 0\n"
         << "default_internal_user = " << who.internalUser << "\n"
         << "default_login_user = " << who.loginUser << "\n"
         << (who.internalGroup.empty() ? ""
                                       : "default_internal_group = " + who.internalGroup + "\n")
         << "mail_location = maildir:" << base << "/mail/%u\n"
         << "pop3_uidl_format = %08Xu%08Xv\n"
         // A message carrying an X-UIDL header keeps that id, as a client that reads the
         // header expects (mailboxes migrated from another server).
         << "pop3_reuse_xuidl = " << (m_bReuseXUidl ? "yes" : "no") << "\n"
         << passdbs << "userdb {\n  driver = passwd-file\n  args = " << base << "/passwd\n}\n"
         << "service pop3-login {\n"
         << chroot << "  inet_listener pop3 {\n    address = 127.0.0.1\n    port = " << m_port
         << "\n  }\n"
         << "  inet_listener pop3s {\n    address = 127.0.0.1\n    port = " << m_tlsPort
         << (m_bTls ? "\n    ssl = yes" : "") << "\n  }\n"
         << "}\n"
         << "service imap-login {\n  inet_listener imap {\n    port = 0\n  }\n"
         << "  inet_listener imaps {\n    port = 0\n  }\n}\n"
         << "service submission-login {\n  inet_listener submission {\n    port = 0\n  }\n}\n"
         << "service lmtp {\n  unix_listener lmtp {\n    mode = 0\n  }\n}\n"
         << "service anvil {\n"
         << chroot << "  unix_listener anvil-auth-penalty {\n    mode = 0\n  }\n}\n";
    conf.close();

    // The server's output goes to a file beside its log.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string output = base + "/dovecot.out";
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const std::string configPath = config.string();
    char* argv[] = {const_cast<char*>(binary), const_cast<char*>("-F"), const_cast<char*>("-c"),
                    const_cast<char*>(configPath.c_str()), nullptr};
    // Its own process group, so that Stop reaches every process of the server at once.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, binary, &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        m_error = std::string("posix_spawn: ") + std::strerror(spawned);
        return false;
    }
    m_pid = pid;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kStartSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            break;
        }
        if (Greets(m_port)) {
            return true;
        }
        // Start-up of an external process: nothing to wait on but its port.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::ifstream outputFile(output);
    std::string said((std::istreambuf_iterator<char>(outputFile)), {});
    std::ifstream logFile(m_base / "dovecot.log");
    std::string logged((std::istreambuf_iterator<char>(logFile)), {});
    m_error = "dovecot did not come up on port " + std::to_string(m_port) + ": " + said + logged;
    Stop();
    return false;
}

void DovecotFixture::Stop() {
    if (m_pid > 0) {
        ::kill(-m_pid, SIGTERM);
        if (!WaitChild(m_pid, 5000)) {
            ::kill(-m_pid, SIGKILL);
            WaitChild(m_pid, 5000);
        }
        m_pid = -1;
    }
    if (!m_base.empty()) {
        std::error_code ignored;
        fs::remove_all(m_base, ignored);
        m_base.clear();
    }
    m_delivered = 0;
}

void DovecotFixture::Deliver(const std::string& user, const std::string& message) {
    if (m_base.empty()) {
        std::string pattern = (fs::temp_directory_path() / "tolvane-dovecot-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        m_base = pattern;
    }
    const Identity who = MailIdentity();
    const fs::path maildir = m_base / "mail" / user;
    std::error_code ignored;
    for (const char* sub : {"", "new", "cur", "tmp"}) {
        fs::create_directories(maildir / sub, ignored);
        Own(maildir / sub, who);
    }
    std::string stored;
    stored.reserve(message.size());
    for (size_t i = 0; i < message.size(); ++i) {
        if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') {
            continue;
        }
        stored += message[i];
    }
    ++m_delivered;
    const std::string name = std::to_string(kFirstStamp + m_delivered) + ".M" +
                             std::to_string(m_delivered) + "P1.fixture";
    // Written in tmp and moved into new, so that the server never sees half a message.
    const fs::path temporary = maildir / "tmp" / name;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(stored.data(), static_cast<std::streamsize>(stored.size()));
    }
    fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, ignored);
    Own(temporary, who);
    fs::rename(temporary, maildir / "new" / name, ignored);
}

std::string DovecotFixture::Log() const {
    std::ifstream in(m_base / "dovecot.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> DovecotFixture::Mailbox(const std::string& user) const {
    std::vector<std::pair<unsigned, fs::path>> files;
    std::error_code ignored;
    for (const char* sub : {"new", "cur"}) {
        for (fs::directory_iterator it(m_base / "mail" / user / sub, ignored), end;
             !ignored && it != end; it.increment(ignored)) {
            if (it->is_regular_file(ignored)) {
                files.emplace_back(DeliveryIndex(it->path().filename().string()), it->path());
            }
        }
        ignored.clear();
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> messages;
    for (const auto& [index, path] : files) {
        std::ifstream in(path, std::ios::binary);
        messages.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return messages;
}

} // namespace tolvane::test
