// Runs a program as a child process with the test's environment (plus overrides),
// standard input from /dev/null (or the given text, then its end), and collects its exit
// status and both outputs.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace tolvane::test {

struct ProcessResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

class ChildProcess {
public:
    // environment: NAME=VALUE entries that replace or add to the test's own.
    // input: what standard input reads (a few KiB at most), instead of /dev/null.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {},
                 const std::optional<std::string>& input = std::nullopt);
    // Kills a child that was not waited for.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }
    // Reads standard output up to its first line feed (or its end) while the child runs;
    // the line comes without the line feed. Wait's out still holds everything.
    std::string ReadOutLine();
    // Reads both outputs to their end, then reaps the child.
    ProcessResult Wait();

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    std::string m_outSoFar; // what ReadOutLine read
};

inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                                const std::vector<std::string>& environment = {},
                                const std::optional<std::string>& input = std::nullopt) {
    ChildProcess process(program, args, environment, input);
    return process.Wait();
}

} // namespace tolvane::test
