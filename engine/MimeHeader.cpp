// Header fields and structured values of MIME header blocks.
#include "engine/MimeHeader.h"

#include "platform/CodePage.h"

#include <algorithm>

namespace tolvane {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// One line of header, without its line end; pos moves past the line end.
std::string_view NextLine(std::string_view header, size_t& pos) {
    const size_t start = pos;
    const size_t end = std::min(header.find('\n', pos), header.size());
    pos = end < header.size() ? end + 1 : end;
    std::string_view line = header.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

bool EndsUnquotedValue(char c) {
    return IsBlank(c) || c == ';' || c == '(' || c == '\r' || c == '\n';
}

// Skips a quoted string starting at pos (at its opening quote); pos ends after the
// closing quote or at the end. The unquoted text goes to out when given.
void ReadQuoted(std::string_view value, size_t& pos, std::string* out) {
    ++pos;
    while (pos < value.size() && value[pos] != '"') {
        if (value[pos] == '\\' && pos + 1 < value.size()) {
            ++pos;
        }
        if (out) {
            *out += value[pos];
        }
        ++pos;
    }
    if (pos < value.size()) {
        ++pos;
    }
}

} // namespace

std::string HeaderField(std::string_view header, std::string_view name) {
    size_t pos = 0;
    while (pos < header.size()) {
        const std::string_view line = NextLine(header, pos);
        if (line.empty()) {
            break;
        }
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || IsBlank(line[0]) ||
            !Cp932EqualNoCase(Trim(line.substr(0, colon)), name)) {
            continue;
        }
        std::string value(line.substr(colon + 1));
        size_t next = pos;
        while (next < header.size() && IsBlank(header[next])) {
            value += NextLine(header, next);
            pos = next;
        }
        return std::string(Trim(value));
    }
    return {};
}

std::string ValueToken(std::string_view value) {
    value = Trim(value);
    size_t end = 0;
    while (end < value.size() && !EndsUnquotedValue(value[end])) {
        ++end;
    }
    std::string token(value.substr(0, end));
    for (char& c : token) {
        c = Lower(c);
    }
    return token;
}

std::string ValueParameter(std::string_view value, std::string_view name) {
    size_t pos = 0;
    while (pos < value.size()) {
        // Find the next ";" outside quoted strings.
        if (value[pos] == '"') {
            ReadQuoted(value, pos, nullptr);
            continue;
        }
        if (value[pos] != ';') {
            ++pos;
            continue;
        }
        ++pos;
        const size_t equals = value.find_first_of("=;", pos);
        if (equals == std::string_view::npos) {
            break;
        }
        if (value[equals] == ';') {
            pos = equals; // a parameter without a value
            continue;
        }
        const std::string_view key = Trim(value.substr(pos, equals - pos));
        pos = equals + 1;
        while (pos < value.size() && IsBlank(value[pos])) {
            ++pos;
        }
        std::string parameter;
        if (pos < value.size() && value[pos] == '"') {
            ReadQuoted(value, pos, &parameter);
        } else {
            while (pos < value.size() && !EndsUnquotedValue(value[pos])) {
                parameter += value[pos++];
            }
        }
        if (Cp932EqualNoCase(key, name)) {
            return parameter;
        }
    }
    return {};
}

} // namespace tolvane
