// Reading a launcher's Exec line back, for the tests of the launchers the setup program
// writes.
#pragma once

#include <string>
#include <vector>

namespace tolvane::test {

// The words of a launcher's Exec line, as a desktop splits it: string escapes first,
// then quoting (inside quotes a backslash takes the next character), then %% to %.
inline std::vector<std::string> ExecWords(const std::string& entry) {
    const size_t start = entry.find("\nExec=") + 6;
    const std::string raw = entry.substr(start, entry.find('\n', start) - start);
    std::string line;
    for (size_t i = 0; i < raw.size(); ++i) {
        line += raw[i] == '\\' && i + 1 < raw.size() ? raw[++i] : raw[i];
    }
    std::vector<std::string> words(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (quoted && line[i] == '\\' && i + 1 < line.size()) {
            words.back() += line[++i];
        } else if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ' ' && !quoted) {
            words.emplace_back();
        } else {
            words.back() += line[i];
            if (line[i] == '%' && i + 1 < line.size() && line[i + 1] == '%') {
                ++i;
            }
        }
    }
    return words;
}

} // namespace tolvane::test
