// Where the program looks for a session bus: only an address it was given or the user's
// bus socket; never a bus of its own autolaunched for it (a daemon that would outlive it).
#include "app/desktop/SessionBus.h"

#include "tests/support/TestEnv.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace tolvane::test {
namespace {

// Sets (or, with nullptr, unsets) an environment variable for its lifetime.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_hadOld = true;
        }
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { m_hadOld ? ::setenv(m_name, m_old.c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::string m_old;
    bool m_hadOld = false;
};

bool MakeSocket(const std::filesystem::path& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

TEST(SessionBus, OnlyAGivenAddressOrTheUsersBusSocketCounts) {
    TempDir runtime;
    ScopedVariable noAddress("DBUS_SESSION_BUS_ADDRESS", nullptr);
    {
        ScopedVariable noRuntime("XDG_RUNTIME_DIR", nullptr);
        EXPECT_FALSE(gui::SessionBusExists());
        EXPECT_FALSE(gui::SessionBus().has_value());
    }
    ScopedVariable runtimeDir("XDG_RUNTIME_DIR", runtime.Path().c_str());
    EXPECT_FALSE(gui::SessionBusExists()); // no bus socket
    WriteFileBytes(runtime.Path() / "bus", "not a socket");
    EXPECT_FALSE(gui::SessionBusExists());
    std::filesystem::remove(runtime.Path() / "bus");
    ASSERT_TRUE(MakeSocket(runtime.Path() / "bus"));
    EXPECT_TRUE(gui::SessionBusExists());
    {
        ScopedVariable empty("XDG_RUNTIME_DIR", "");
        ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
        EXPECT_TRUE(gui::SessionBusExists());
    }
}

} // namespace
} // namespace tolvane::test
