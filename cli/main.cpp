#include "cli/CliApp.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    return tolvane::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
