#include "platform/SettingsFormat.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <cstdio>

namespace tolvane {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kRootName = "HKEY_CURRENT_USER";

auto ChildLess() {
    return [](const SettingsNode& node, std::string_view name) {
        return Utf8CompareNoCase(node.name, name) < 0;
    };
}

// ---- writing ----

void AppendQuoted(std::string& out, std::string_view utf8) {
    out += '"';
    for (char c : utf8) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
            break;
        }
    }
    out += '"';
}

void AppendValue(std::string& out, const SettingsValue& value) {
    if (value.name.empty()) {
        out += '@';
    } else {
        AppendQuoted(out, value.name);
    }
    out += '=';
    if (value.type == REG_DWORD) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x", static_cast<unsigned>(value.dword));
        out += digits;
    } else {
        AppendQuoted(out, value.text);
    }
    out += '\n';
}

// "\n[<path>]\n": what every key's block starts with.
size_t BlockHeaderSize(size_t pathBytes) {
    return pathBytes + 4;
}

// Depth first, in enumeration order, with a stack of its own rather than the call stack.
void AppendBlocks(std::string& out, const SettingsNode& root) {
    struct Pending {
        const SettingsNode* node;
        std::string path;
    };
    std::vector<Pending> pending;
    pending.push_back({&root, std::string(kRootName)});
    while (!pending.empty()) {
        Pending next = std::move(pending.back());
        pending.pop_back();
        if (next.node != &root || !next.node->values.empty()) {
            out += "\n[";
            out += next.path;
            out += "]\n";
            for (const SettingsValue& value : next.node->values) {
                AppendValue(out, value);
            }
        }
        const auto& children = next.node->children;
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            pending.push_back({&*child, next.path + "\\" + child->name});
        }
    }
}

// ---- reading ----

class LineParser {
public:
    explicit LineParser(std::string_view line) : m_rest(line) {}

    bool AtEnd() {
        SkipBlanks();
        return m_rest.empty();
    }
    bool Take(std::string_view token) {
        if (m_rest.substr(0, token.size()) != token) {
            return false;
        }
        m_rest.remove_prefix(token.size());
        return true;
    }
    // A quoted text with its escapes, as UTF-8.
    bool Quoted(std::string& out) {
        if (!Take("\"")) {
            return false;
        }
        while (!m_rest.empty()) {
            char c = m_rest.front();
            m_rest.remove_prefix(1);
            if (c == '"') {
                return true;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_rest.empty()) {
                return false;
            }
            char escaped = m_rest.front();
            m_rest.remove_prefix(1);
            switch (escaped) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            default:
                return false;
            }
        }
        return false;
    }
    bool Hex8(uint32_t& value) {
        if (m_rest.size() < 8) {
            return false;
        }
        value = 0;
        for (size_t i = 0; i < 8; ++i) {
            char c = m_rest[i];
            unsigned digit = 0;
            if (c >= '0' && c <= '9') {
                digit = static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                digit = static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                digit = static_cast<unsigned>(c - 'A' + 10);
            } else {
                return false;
            }
            value = (value << 4) | digit;
        }
        m_rest.remove_prefix(8);
        return true;
    }

private:
    void SkipBlanks() {
        while (!m_rest.empty() && (m_rest.front() == ' ' || m_rest.front() == '\t')) {
            m_rest.remove_prefix(1);
        }
    }
    std::string_view m_rest;
};

// What the tree parsed so far will take when written; the parse fails before it passes
// kMaxSettingsFileBytes, however small the file that describes it.
class WrittenSize {
public:
    WrittenSize() : m_bytes(kHeader.size() + 1 + BlockHeaderSize(kRootName.size())) {}
    bool Add(size_t bytes) {
        m_bytes += bytes;
        return m_bytes <= kMaxSettingsFileBytes;
    }

private:
    size_t m_bytes;
};

bool ParseValueLine(std::string_view line, SettingsNode& node, WrittenSize& written) {
    LineParser parser(line);
    SettingsValue value;
    if (!parser.Take("@") && !parser.Quoted(value.name)) {
        return false;
    }
    if (!parser.Take("=")) {
        return false;
    }
    if (parser.Take("dword:")) {
        value.type = REG_DWORD;
        if (!parser.Hex8(value.dword)) {
            return false;
        }
    } else if (parser.Quoted(value.text)) {
        value.type = REG_SZ;
    } else {
        return false;
    }
    if (!parser.AtEnd()) {
        return false;
    }
    std::string form;
    AppendValue(form, value);
    if (!written.Add(form.size())) {
        return false;
    }
    node.SetValue(value);
    return true;
}

// "[HKEY_CURRENT_USER\a\b]": the node of that path, created with its parents, within the
// bounds of depth and path length.
SettingsNode* ParseHeaderLine(std::string_view line, SettingsNode& root, WrittenSize& written) {
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') {
        return nullptr;
    }
    std::string_view path = line.substr(1, line.size() - 2);
    if (path.size() < kRootName.size() ||
        !Utf8EqualNoCase(path.substr(0, kRootName.size()), kRootName)) {
        return nullptr;
    }
    path.remove_prefix(kRootName.size());
    if (path.size() > kMaxKeyPathBytes + 1) { // + its leading backslash
        return nullptr;
    }
    SettingsNode* node = &root;
    size_t depth = 0;
    size_t pathBytes = kRootName.size();
    while (!path.empty()) {
        if (path.front() != '\\' || ++depth > kMaxKeyDepth) {
            return nullptr;
        }
        path.remove_prefix(1);
        size_t end = path.find('\\');
        std::string_view component = path.substr(0, end);
        if (component.empty()) {
            return nullptr;
        }
        pathBytes += 1 + component.size();
        bool created = false;
        node = &node->AddChild(component, &created);
        if (created && !written.Add(BlockHeaderSize(pathBytes))) {
            return nullptr;
        }
        path.remove_prefix(component.size());
    }
    return node;
}

// A line whose bytes could not be written back as they were read.
bool HoldsForeignBytes(std::string_view line) {
    return line.find('\0') != std::string_view::npos || !IsValidUtf8(line);
}

std::string_view TrimRight(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line;
}

bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

} // namespace

SettingsNode* SettingsNode::FindChild(std::string_view childName) {
    auto it = std::lower_bound(children.begin(), children.end(), childName, ChildLess());
    return (it != children.end() && Utf8EqualNoCase(it->name, childName)) ? &*it : nullptr;
}

const SettingsNode* SettingsNode::FindChild(std::string_view childName) const {
    return const_cast<SettingsNode*>(this)->FindChild(childName);
}

SettingsNode& SettingsNode::AddChild(std::string_view childName, bool* created) {
    auto it = std::lower_bound(children.begin(), children.end(), childName, ChildLess());
    bool exists = it != children.end() && Utf8EqualNoCase(it->name, childName);
    if (created != nullptr) {
        *created = !exists;
    }
    if (exists) {
        return *it;
    }
    SettingsNode child;
    child.name = std::string(childName);
    return *children.insert(it, std::move(child));
}

bool SettingsNode::RemoveChild(std::string_view childName) {
    auto it = std::lower_bound(children.begin(), children.end(), childName, ChildLess());
    if (it == children.end() || !Utf8EqualNoCase(it->name, childName)) {
        return false;
    }
    children.erase(it);
    return true;
}

SettingsValue* SettingsNode::FindValue(std::string_view valueName) {
    for (SettingsValue& value : values) {
        if (Utf8EqualNoCase(value.name, valueName)) {
            return &value;
        }
    }
    return nullptr;
}

const SettingsValue* SettingsNode::FindValue(std::string_view valueName) const {
    return const_cast<SettingsNode*>(this)->FindValue(valueName);
}

void SettingsNode::SetValue(const SettingsValue& value) {
    if (SettingsValue* existing = FindValue(value.name)) {
        existing->type = value.type;
        existing->text = value.text;
        existing->dword = value.dword;
        return;
    }
    values.push_back(value);
}

bool SettingsNode::RemoveValue(std::string_view valueName) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (Utf8EqualNoCase(it->name, valueName)) {
            values.erase(it);
            return true;
        }
    }
    return false;
}

std::string SerializeSettings(const SettingsNode& root) {
    std::string out(kHeader);
    out += '\n';
    AppendBlocks(out, root);
    return out;
}

bool ParseSettings(std::string_view utf8, SettingsNode& root, size_t* errorLine) {
    root = SettingsNode{};
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") {
        utf8.remove_prefix(3);
    }
    if (utf8.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        return true;
    }
    SettingsNode parsed;
    SettingsNode* current = nullptr;
    WrittenSize written;
    size_t lineNumber = 0;
    bool sawHeader = false;
    while (!utf8.empty()) {
        size_t end = utf8.find('\n');
        std::string_view line = TrimRight(utf8.substr(0, end));
        utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
        ++lineNumber;
        bool ok = true;
        if (HoldsForeignBytes(line)) {
            ok = false;
        } else if (!sawHeader) {
            ok = line == kHeader;
            sawHeader = true;
        } else if (IsBlank(line) || line.front() == ';') {
            continue;
        } else if (line.front() == '[') {
            current = ParseHeaderLine(line, parsed, written);
            ok = current != nullptr;
        } else {
            ok = current != nullptr && ParseValueLine(line, *current, written);
        }
        if (!ok) {
            if (errorLine != nullptr) {
                *errorLine = lineNumber;
            }
            return false;
        }
    }
    root = std::move(parsed);
    return true;
}

} // namespace tolvane
