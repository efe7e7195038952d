#include "cli/CliApp.h"

#include <csignal>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // A file-size limit (ulimit -f) then fails a store's write with EFBIG, which is reported
    // like a full disk, instead of killing the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    return tolvane::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
