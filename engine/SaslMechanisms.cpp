#include "engine/SaslMechanisms.h"

#include <cstddef>

namespace tolvane {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool SameWord(std::string_view word, std::string_view upper) {
    if (word.size() != upper.size()) {
        return false;
    }
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = word[i] >= 'a' && word[i] <= 'z' ? static_cast<char>(word[i] - 32) : word[i];
        if (c != upper[i]) {
            return false;
        }
    }
    return true;
}

// The words of a line, one at a time: false when none is left.
bool NextWord(std::string_view line, size_t& pos, std::string_view& word) {
    while (pos < line.size() && IsBlank(line[pos])) {
        ++pos;
    }
    if (pos == line.size()) {
        return false;
    }
    const size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos])) {
        ++pos;
    }
    word = line.substr(start, pos - start);
    return true;
}

uint32_t MechanismsOfLine(std::string_view line) {
    size_t pos = 0;
    std::string_view word;
    if (!NextWord(line, pos, word) || !SameWord(word, "SASL")) {
        return 0;
    }
    uint32_t offered = 0;
    while (NextWord(line, pos, word)) {
        for (const uint32_t mechanism : {SASL_PLAIN, SASL_XOAUTH2, SASL_OAUTHBEARER}) {
            if (SameWord(word, SaslMechanismName(mechanism))) {
                offered |= mechanism;
            }
        }
    }
    return offered;
}

} // namespace

uint32_t ParseSaslMechanisms(std::string_view capaReply) {
    if (capaReply.substr(0, 3) != "+OK") {
        return 0;
    }
    uint32_t offered = 0;
    size_t pos = capaReply.find('\n');
    while (pos != std::string_view::npos) {
        ++pos;
        size_t end = capaReply.find('\n', pos);
        std::string_view line = capaReply.substr(
            pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line == ".") {
            break;
        }
        offered |= MechanismsOfLine(line);
        pos = end;
    }
    return offered;
}

uint32_t ChooseSaslMechanism(int32_t authentication, uint32_t offered) {
    if (authentication == AUTH_PLAIN) {
        return offered & SASL_PLAIN;
    }
    if (authentication == AUTH_OAUTH2) {
        if ((offered & SASL_OAUTHBEARER) != 0) {
            return SASL_OAUTHBEARER;
        }
        return offered & SASL_XOAUTH2;
    }
    return 0;
}

const char* SaslMechanismName(uint32_t mechanism) {
    switch (mechanism) {
    case SASL_PLAIN:
        return "PLAIN";
    case SASL_XOAUTH2:
        return "XOAUTH2";
    case SASL_OAUTHBEARER:
        return "OAUTHBEARER";
    default:
        return "";
    }
}

} // namespace tolvane
