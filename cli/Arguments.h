// The command line of tolvane-cli:
//   check [ACCOUNT] [--json [--raw]] [--quiet] [--yes]
//   delete UIDL... [--yes] [--json]
//   accounts [--json]
//   password ACCOUNT [--file]
//   login ACCOUNT [--no-browser]
//   -h / --help (anywhere)
// Options may stand before or after the operands; "--" ends the options. Operands are
// converted from the terminal's UTF-8 to CP932, the engine's form of names and ids.
#pragma once

#include <string>
#include <vector>

namespace tolvane::cli {

enum class Command { Help, Check, Delete, Accounts, Password, Login };

struct Arguments {
    Command command = Command::Help;
    std::vector<std::string> operands; // CP932: the account (check, password, login) or UIDLs
    bool bJson = false;
    bool bRaw = false;
    bool bQuiet = false;
    bool bYes = false;
    bool bFile = false;      // password: into the settings file, not the keyring
    bool bNoBrowser = false; // login: print the address only
};

// False on a usage error; error then holds the message (UTF-8, ending in a line feed).
bool ParseArguments(const std::vector<std::string>& args, Arguments& out, std::string& error);

} // namespace tolvane::cli
