// A private POP3 server for the demo and the benchmarks: starts Dovecot (through the test
// fixture) with one user, delivers the given mail files in order, prints "PORT <n>" on
// standard output and serves until standard input reaches its end or a SIGTERM, SIGINT
// or SIGHUP arrives; then stops Dovecot and removes its folder.
//
//   tool_demo_server [--user NAME] [--password PASSWORD] [--dir FOLDER] [--tls] [MAIL-FILE...]
//
// --dir delivers every *.eml of FOLDER in name order, before the files named.
// --tls also offers STLS and POP3S, with a certificate for 127.0.0.1 and localhost from a
// test authority made for this run; after the PORT line come "TLSPORT <n>" (POP3S) and
// "AUTHORITY <file>" (the authority's certificate, for SSL_CERT_FILE).
// A caller that holds our standard input open and simply goes away (even killed) thereby
// stops the server: nothing is left running.
#include "tests/support/DovecotFixture.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool InstallSignals() {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        if (sigaction(sig, &action, nullptr) != 0) {
            return false;
        }
    }
    signal(SIGPIPE, SIG_IGN); // a reader that went away must not kill us before cleanup
    return true;
}

bool SignalArrived() {
    pollfd fd{g_signalPipe[0], POLLIN, 0};
    return poll(&fd, 1, 0) > 0;
}

// Sleeps in the kernel until standard input ends (or fails) or a signal arrives.
void WaitForEnd() {
    char buffer[4096];
    bool stdinOpen = true;
    for (;;) {
        pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int count = poll(fds, stdinOpen ? 2 : 1, -1);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if (stdinOpen && (fds[1].revents & POLLNVAL)) {
            stdinOpen = false; // no standard input at all: wait for a signal only
        } else if (stdinOpen && fds[1].revents != 0) {
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                return;
            }
        }
    }
}

bool ReadFile(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int Usage() {
    std::fprintf(stderr, "usage: tool_demo_server [--user NAME] [--password PASSWORD] "
                         "[--dir FOLDER] [--tls] [MAIL-FILE...]\n");
    return 2;
}

struct Options {
    std::string user = "demo";
    std::string password = "demo";
    std::vector<std::filesystem::path> files;
    bool bTls = false;
};

bool CollectFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& files) {
    std::error_code error;
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".eml") {
            found.push_back(entry.path());
        }
    }
    if (error) {
        std::fprintf(stderr, "tool_demo_server: cannot read %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return false;
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    std::vector<std::filesystem::path> named;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--user" && hasValue) {
            options.user = argv[++i];
        } else if (arg == "--password" && hasValue) {
            options.password = argv[++i];
        } else if (arg == "--dir" && hasValue) {
            if (!CollectFolder(argv[++i], options.files)) {
                return false;
            }
        } else if (arg == "--tls") {
            options.bTls = true;
        } else if (arg.starts_with("-")) {
            return false;
        } else {
            named.emplace_back(arg);
        }
    }
    options.files.insert(options.files.end(), named.begin(), named.end());
    return !options.user.empty() && !options.password.empty();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        return Usage();
    }
    if (!tolvane::test::DovecotFixture::Available()) {
        std::fprintf(stderr, "tool_demo_server: dovecot is not installed (scripts/bootstrap "
                             "installs it)\n");
        return 1;
    }
    if (!InstallSignals()) {
        std::fprintf(stderr, "tool_demo_server: %s\n", std::strerror(errno));
        return 1;
    }

    tolvane::test::DovecotFixture dovecot;
    dovecot.AddUser(options.user, options.password);
    if (options.bTls) {
        dovecot.EnableTls();
    }
    if (!dovecot.Start()) {
        std::fprintf(stderr, "tool_demo_server: Dovecot did not start: %s\n",
                     dovecot.Error().c_str());
        return 1;
    }
    for (const auto& file : options.files) {
        std::string message;
        if (!ReadFile(file, message)) {
            std::fprintf(stderr, "tool_demo_server: cannot read %s\n", file.c_str());
            return 1;
        }
        dovecot.Deliver(options.user, message);
        if (SignalArrived()) {
            return 1;
        }
    }

    std::printf("PORT %u\n", dovecot.Port());
    if (options.bTls) {
        std::printf("TLSPORT %u\nAUTHORITY %s\n", dovecot.TlsPort(),
                    tolvane::test::TestCertificates::Get().Authority().c_str());
    }
    std::fflush(stdout);
    WaitForEnd();
    return 0; // the fixture stops Dovecot and removes its folder
}
