// A real gnome-keyring-daemon serving the Secret Service on the test's private session bus
// (the executable runs under dbus-run-session with tests/support/session-bus.conf, so no
// prompter and no other service can be activated). Its keyrings live under the test's own
// data folder ($XDG_DATA_HOME/keyrings, made first), the login keyring created and unlocked
// with a password piped in. Started, locked and killed when the test says; every wait is
// on a bus event (the service's name appearing or vanishing), never a sleep.
#pragma once

#include "tests/support/Requirement.h"

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace tolvane::test {

class KeyringFixture {
public:
    // dataHome: the folder XDG_DATA_HOME names (ScopedHome::DataHome()).
    explicit KeyringFixture(const std::filesystem::path& dataHome);
    ~KeyringFixture(); // kills a daemon still running

    static bool Available(); // gnome-keyring-daemon installed and a session bus given
    // Starts the daemon and waits until it owns org.freedesktop.secrets; false (with a
    // reason in Error()) when it did not.
    bool Start();
    // Locks the login keyring through the Secret Service's Lock method.
    bool Lock();
    // Ends the daemon (SIGKILL) and waits until its name has left the bus.
    bool Kill();
    const std::string& Error() const { return m_error; }
    // What the daemon wrote to standard error.
    std::string Log() const;

private:
    std::filesystem::path m_dataHome;
    std::filesystem::path m_runtime;
    pid_t m_pid = -1;
    std::string m_error;
};

// Sets (or, with nullptr, unsets) an environment variable for its lifetime.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::string m_old;
    bool m_hadOld = false;
};

} // namespace tolvane::test

// Skips the test outside CI when no keyring daemon (or no test bus) is there; fails it
// under CI.
#define TOLVANE_REQUIRE_KEYRING()                                                                  \
    TOLVANE_REQUIRE(::tolvane::test::KeyringFixture::Available(),                                  \
                    "gnome-keyring-daemon or the test's session bus")
