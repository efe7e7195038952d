#include "tests/support/KeyringFixture.h"

#include "tests/support/TestEnv.h"

#include <gio/gio.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tolvane::test {

namespace fs = std::filesystem;

namespace {

constexpr char kDaemon[] = "/usr/bin/gnome-keyring-daemon";
constexpr char kServiceName[] = "org.freedesktop.secrets";
constexpr char kKeyringPassword[] = "test keyring password";
constexpr guint kBusWaitMs = 30000; // a bound against a test that would hang, not a timing

GDBusConnection* OpenBus(std::string& error) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address == nullptr) {
        error = "no DBUS_SESSION_BUS_ADDRESS";
        return nullptr;
    }
    GError* gerror = nullptr;
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &gerror);
    if (bus == nullptr) {
        error = gerror->message;
        g_error_free(gerror);
    }
    return bus;
}

struct NameWait {
    bool wanted;
    bool present = false;
    bool known = false;
    bool expired = false;
};

// Waits until the service's name is owned (wanted true) or not (false), on the bus's own
// NameOwnerChanged events.
bool WaitForName(bool wanted, std::string& error) {
    GDBusConnection* bus = OpenBus(error);
    if (bus == nullptr) {
        return false;
    }
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    NameWait wait{wanted};
    const guint watch = g_bus_watch_name_on_connection(
        bus, kServiceName, G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, gpointer data) {
            static_cast<NameWait*>(data)->present = true;
            static_cast<NameWait*>(data)->known = true;
        },
        [](GDBusConnection*, const gchar*, gpointer data) {
            static_cast<NameWait*>(data)->present = false;
            static_cast<NameWait*>(data)->known = true;
        },
        &wait, nullptr);
    GSource* bound = g_timeout_source_new(kBusWaitMs);
    g_source_set_callback(
        bound,
        [](gpointer data) {
            static_cast<NameWait*>(data)->expired = true;
            return G_SOURCE_REMOVE;
        },
        &wait, nullptr);
    g_source_attach(bound, context);
    while (!(wait.known && wait.present == wanted) && !wait.expired) {
        g_main_context_iteration(context, TRUE);
    }
    g_source_destroy(bound);
    g_source_unref(bound);
    g_bus_unwatch_name(watch);
    while (g_main_context_iteration(context, FALSE)) {
    }
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
    if (wait.expired) {
        error = wanted ? "the keyring never took its name" : "the keyring never left the bus";
    }
    return !wait.expired;
}

} // namespace

KeyringFixture::KeyringFixture(const fs::path& dataHome)
    : m_dataHome(dataHome), m_runtime(dataHome.parent_path() / "keyring-runtime") {}

KeyringFixture::~KeyringFixture() {
    if (m_pid > 0) {
        Kill();
    }
}

bool KeyringFixture::Available() {
    return ::access(kDaemon, X_OK) == 0 && std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr;
}

bool KeyringFixture::Start() {
    std::error_code ignored;
    fs::create_directories(m_dataHome / "keyrings", ignored);
    fs::create_directories(m_runtime, ignored);
    fs::permissions(m_dataHome / "keyrings", fs::perms::owner_all, ignored);
    fs::permissions(m_runtime, fs::perms::owner_all, ignored);
    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0) {
        m_error = "pipe";
        return false;
    }
    const std::string log = (m_runtime / "daemon.log").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    // The daemon's own environment: the test's home and a runtime folder of its own, and no
    // display to put a prompt on.
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.rfind("XDG_RUNTIME_DIR=", 0) != 0 && text.rfind("DISPLAY=", 0) != 0 &&
            text.rfind("WAYLAND_DISPLAY=", 0) != 0) {
            environment.push_back(text);
        }
    }
    environment.push_back("XDG_RUNTIME_DIR=" + m_runtime.string());
    std::vector<char*> envp;
    for (std::string& text : environment) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(kDaemon), const_cast<char*>("--unlock"),
                    const_cast<char*>("--components=secrets"), const_cast<char*>("--foreground"),
                    nullptr};
    const int rc = ::posix_spawn(&m_pid, kDaemon, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    if (rc != 0) {
        ::close(input[1]);
        m_pid = -1;
        m_error = "posix_spawn: " + std::to_string(rc);
        return false;
    }
    const ssize_t written = ::write(input[1], kKeyringPassword, sizeof kKeyringPassword - 1);
    ::close(input[1]); // the end of the password
    if (written != static_cast<ssize_t>(sizeof kKeyringPassword - 1)) {
        m_error = "the password did not reach the daemon";
        return false;
    }
    return WaitForName(true, m_error);
}

bool KeyringFixture::Lock() {
    GDBusConnection* bus = OpenBus(m_error);
    if (bus == nullptr) {
        return false;
    }
    GVariantBuilder paths;
    g_variant_builder_init(&paths, G_VARIANT_TYPE("ao"));
    g_variant_builder_add(&paths, "o", "/org/freedesktop/secrets/collection/login");
    GError* gerror = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, kServiceName, "/org/freedesktop/secrets", "org.freedesktop.Secret.Service", "Lock",
        g_variant_new("(ao)", &paths), G_VARIANT_TYPE("(aoo)"), G_DBUS_CALL_FLAGS_NONE,
        static_cast<int>(kBusWaitMs), nullptr, &gerror);
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
    if (reply == nullptr) {
        m_error = gerror->message;
        g_error_free(gerror);
        return false;
    }
    g_variant_unref(reply);
    return true;
}

bool KeyringFixture::Kill() {
    if (m_pid <= 0) {
        return true;
    }
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return WaitForName(false, m_error);
}

std::string KeyringFixture::Log() const {
    return ReadFileBytes(m_runtime / "daemon.log");
}

ScopedVariable::ScopedVariable(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) {
        m_old = old;
        m_hadOld = true;
    }
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
}

ScopedVariable::~ScopedVariable() {
    m_hadOld ? ::setenv(m_name, m_old.c_str(), 1) : ::unsetenv(m_name);
}

} // namespace tolvane::test
