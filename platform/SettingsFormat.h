// The settings tree in memory and its text form (user.reg), without any file access.
//
// A node is one key: its name, its values in creation order and its sub-keys sorted by
// name ignoring letter case (Cp932CompareNoCase), which is the order in which they are
// enumerated and written. Names and texts in memory are CP932; the text form is UTF-8:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Orrindale\Tolvane\Account\pop]
//   "Servername"="127.0.0.1"
//   "PortNo"=dword:0000006e
//
// One block per key in enumeration order (depth first), each block preceded by a blank
// line; a key without values is its header alone; the root's block is written only when
// the root holds values. In quoted names and texts \\ \" \n \r \t are escapes and every
// other byte stands for itself; "@" names the unnamed value. Reading also accepts CR LF
// line ends, a UTF-8 byte-order mark, blank lines anywhere and ";" comment lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Value types, numbered as the registry's.
enum RegValueType : uint32_t { REG_NONE = 0, REG_SZ = 1, REG_DWORD = 4 };

struct SettingsValue {
    std::string name; // CP932, case as created
    uint32_t type = REG_NONE;
    std::string text; // REG_SZ: CP932
    uint32_t dword = 0;

    // A REG_DWORD read back as the signed 32-bit integer it was written from.
    int32_t AsInt() const { return static_cast<int32_t>(dword); }
};

struct SettingsNode {
    std::string name; // CP932, case as created; empty for the root
    std::vector<SettingsValue> values;
    std::vector<SettingsNode> children;

    // Lookups ignore letter case.
    SettingsNode* FindChild(std::string_view childName);
    const SettingsNode* FindChild(std::string_view childName) const;
    // Returns the child of that name, creating it in sorted place when missing.
    SettingsNode& AddChild(std::string_view childName, bool* created = nullptr);
    bool RemoveChild(std::string_view childName);

    SettingsValue* FindValue(std::string_view valueName);
    const SettingsValue* FindValue(std::string_view valueName) const;
    // Sets a value; an existing one keeps its place and the case of its name.
    void SetValue(const SettingsValue& value);
    bool RemoveValue(std::string_view valueName);
};

// The text form of a whole tree (root = HKEY_CURRENT_USER).
std::string SerializeSettings(const SettingsNode& root);

// Parses the text form. Returns false (and the 1-based line that failed in *errorLine)
// when the text is not a settings file; root is then left empty. Empty text (or
// white space only) is an empty tree.
bool ParseSettings(std::string_view utf8, SettingsNode& root, size_t* errorLine = nullptr);

} // namespace tolvane
