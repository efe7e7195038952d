#include "cli/Arguments.h"

#include "cli/CliTexts.h"
#include "platform/CodePage.h"

#include <cstdint>
#include <cstdio>

namespace tolvane::cli {

namespace {

std::string Format(const char* format, const std::string& a, const std::string& b = {}) {
    char buffer[1024];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(buffer, sizeof buffer, format, a.c_str(), b.c_str());
#pragma GCC diagnostic pop
    return buffer;
}

struct Allowed {
    bool json, raw, quiet, yes, file, noBrowser;
    size_t minOperands, maxOperands;
};

Allowed AllowedFor(Command command) {
    switch (command) {
    case Command::Check:
        return {true, true, true, true, false, false, 0, 1}; // --yes answers the expiry questions
    case Command::Delete:
        return {true, false, false, true, false, false, 1, SIZE_MAX};
    case Command::Accounts:
        return {true, false, false, false, false, false, 0, 0};
    case Command::Password:
        return {false, false, false, false, true, false, 1, 1};
    case Command::Login:
        return {false, false, false, false, false, true, 1, 1};
    case Command::Help:
        break;
    }
    return {false, false, false, false, false, false, 0, 0};
}

} // namespace

bool ParseArguments(const std::vector<std::string>& args, Arguments& out, std::string& error) {
    out = Arguments{};
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            out.command = Command::Help;
            return true;
        }
        if (arg == "--") {
            break;
        }
    }
    if (args.empty()) {
        error = txt::kNoCommand;
        return false;
    }
    const std::string& name = args[0];
    if (name == "check") {
        out.command = Command::Check;
    } else if (name == "delete") {
        out.command = Command::Delete;
    } else if (name == "accounts") {
        out.command = Command::Accounts;
    } else if (name == "password") {
        out.command = Command::Password;
    } else if (name == "login") {
        out.command = Command::Login;
    } else {
        error = Format(txt::kUnknownCommand, name);
        return false;
    }
    const Allowed allowed = AllowedFor(out.command);
    bool bOptionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!bOptionsEnded && arg == "--") {
            bOptionsEnded = true;
            continue;
        }
        if (bOptionsEnded || arg.empty() || arg[0] != '-') {
            out.operands.push_back(Utf8ToCp932(arg));
            if (out.operands.size() > allowed.maxOperands) {
                error = Format(txt::kTooManyArguments, arg);
                return false;
            }
            continue;
        }
        bool* flag = nullptr;
        bool bAllowed = false;
        if (arg == "--json") {
            flag = &out.bJson, bAllowed = allowed.json;
        } else if (arg == "--raw") {
            flag = &out.bRaw, bAllowed = allowed.raw;
        } else if (arg == "--quiet") {
            flag = &out.bQuiet, bAllowed = allowed.quiet;
        } else if (arg == "--yes") {
            flag = &out.bYes, bAllowed = allowed.yes;
        } else if (arg == "--file") {
            flag = &out.bFile, bAllowed = allowed.file;
        } else if (arg == "--no-browser") {
            flag = &out.bNoBrowser, bAllowed = allowed.noBrowser;
        } else {
            error = Format(txt::kUnknownOption, arg);
            return false;
        }
        if (!bAllowed) {
            error = Format(txt::kOptionNotHere, arg, name);
            return false;
        }
        *flag = true;
    }
    if (out.bRaw && !out.bJson) {
        error = txt::kRawNeedsJson;
        return false;
    }
    if (out.operands.size() < allowed.minOperands) {
        error = out.command == Command::Password ? txt::kNoAccountGiven
                : out.command == Command::Login  ? txt::kNoLoginAccount
                                                 : txt::kNoUidl;
        return false;
    }
    return true;
}

} // namespace tolvane::cli
