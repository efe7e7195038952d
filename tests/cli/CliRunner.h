// Runs the built tolvane-cli as a child process with the test's environment (a private
// home set up by ScopedHome), standard input from /dev/null, and collects its exit status
// and both outputs. Also writes accounts into the private settings.
#pragma once

#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane::test {

// A log text as it appears on standard error: UTF-8 with plain line feeds.
inline std::string OnTerminal(const std::string& textCp932) {
    std::string plain;
    for (char c : Cp932ToUtf8(textCp932)) {
        if (c != '\r') {
            plain += c;
        }
    }
    return plain;
}

inline const char* CliBinary() {
    return TOLVANE_BINARY_DIR "/cli/tolvane-cli";
}

using CliResult = ProcessResult;

// Who runs the program: the test's own user, or (when the test runs as root) the
// unprivileged kNobodyId through setpriv, for whom file modes hold.
enum class RunAs { Self, Unprivileged };

// tolvane-cli with the given arguments.
class CliProcess : public ChildProcess {
public:
    explicit CliProcess(const std::vector<std::string>& args, RunAs runAs = RunAs::Self,
                        const std::vector<std::string>& environment = {},
                        const std::optional<std::string>& input = std::nullopt)
        : ChildProcess(Dropping(runAs) ? "/usr/bin/setpriv" : CliBinary(), Arguments(args, runAs),
                       environment, input) {}

private:
    static bool Dropping(RunAs runAs) { return runAs == RunAs::Unprivileged && RunningAsRoot(); }
    static std::vector<std::string> Arguments(const std::vector<std::string>& args, RunAs runAs) {
        if (!Dropping(runAs)) {
            return args;
        }
        const std::string id = std::to_string(kNobodyId);
        std::vector<std::string> all = {"--reuid=" + id, "--regid=" + id, "--clear-groups", "--",
                                        CliBinary()};
        all.insert(all.end(), args.begin(), args.end());
        return all;
    }
};

inline CliResult RunCli(const std::vector<std::string>& args, RunAs runAs = RunAs::Self) {
    CliProcess process(args, runAs);
    return process.Wait();
}

// tolvane-cli with environment overrides and, when given, that standard input.
inline CliResult RunCliWith(const std::vector<std::string>& args,
                            const std::vector<std::string>& environment,
                            const std::optional<std::string>& input = std::nullopt) {
    CliProcess process(args, RunAs::Self, environment, input);
    return process.Wait();
}

struct AccountSettings {
    std::string name = "pop";
    std::string server = "127.0.0.1";
    unsigned port = 110;
    std::string user = "taro";
    std::string password = "secret";
    int lines = 5;
    int timeout = 10;
    int newOnly = 0;
    int simpleDelete = 0;
    int enable = 1;
};

// Writes an account (its name CP932, the engine's form; server, user and password UTF-8)
// into the settings of the current (private) home.
inline void WriteAccount(const AccountSettings& a) {
    const std::string section = "Account\\" + a.name;
    ASSERT_TRUE(WriteProfileStringUtf8(section, "Servername", a.server));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "Username", a.user));
    ASSERT_TRUE(WriteProfileStringUtf8(section, "Password", a.password));
    ASSERT_TRUE(WriteProfileInt(section, "PortNo", static_cast<int32_t>(a.port)));
    ASSERT_TRUE(WriteProfileInt(section, "ReceiveCount", a.lines));
    ASSERT_TRUE(WriteProfileInt(section, "Timeout", a.timeout));
    ASSERT_TRUE(WriteProfileInt(section, "SimpleDelete", a.simpleDelete));
    ASSERT_TRUE(WriteProfileInt(section, "Enable", a.enable));
    ASSERT_TRUE(WriteProfileInt(section, "ReceiveNewMailOnly", a.newOnly));
}

// Writes a new-mail-only account on 127.0.0.1:port (nameCp932: the engine's form).
inline void WriteNewOnlyAccount(unsigned port, const std::string& nameCp932 = "pop",
                                int simpleDelete = 0) {
    AccountSettings settings;
    settings.name = nameCp932;
    settings.port = port;
    settings.newOnly = 1;
    settings.simpleDelete = simpleDelete;
    WriteAccount(settings);
}

} // namespace tolvane::test
