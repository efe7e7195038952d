// The settings tree in memory and its text form (user.reg), without any file access.
//
// A node is one key: its name, its values in creation order and its sub-keys sorted by
// name ignoring letter case (Utf8CompareNoCase: code-point order, A-Z and full-width Latin
// capitals folded), which is the order in which they are enumerated and written. Names and
// texts are UTF-8 in memory exactly as in the file, so whatever is read is written back
// byte for byte. The text form:
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
//
// A file is damaged (ParseSettings fails) when it is not a settings file, when it holds a
// byte sequence that is not UTF-8 or a NUL byte (such a value could not be written back as
// it was read), or when it exceeds one of the bounds below. Within the bounds every walk of
// a tree is shallow: copying, writing and destroying a tree recurse at most kMaxKeyDepth
// levels, and no file can make them go deeper.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The program's deepest key is five levels down (Software\Orrindale\Tolvane\Account\name)
// and a file of a hundred accounts is under 50 KB. The bounds leave ample room for keys of
// other tools, yet keep the recursion over a tree shallow and every rewrite of the file
// small; without them one header line thousands of keys deep exhausted the stack, and a
// short file could describe a tree whose written form ran to gigabytes (each implied parent
// key is a block of its own that repeats the whole path).
inline constexpr size_t kMaxKeyDepth = 32;                // levels below HKEY_CURRENT_USER
inline constexpr size_t kMaxKeyPathBytes = 2048;          // a key's path below HKEY_CURRENT_USER
inline constexpr size_t kMaxSettingsFileBytes = 8u << 20; // the file read, and as written

// Value types, numbered as the registry's.
enum RegValueType : uint32_t { REG_NONE = 0, REG_SZ = 1, REG_DWORD = 4 };

struct SettingsValue {
    std::string name; // UTF-8, case as created
    uint32_t type = REG_NONE;
    std::string text; // REG_SZ: UTF-8
    uint32_t dword = 0;

    // A REG_DWORD read back as the signed 32-bit integer it was written from.
    int32_t AsInt() const { return static_cast<int32_t>(dword); }
};

struct SettingsNode {
    std::string name; // UTF-8, case as created; empty for the root
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
// when the text is damaged (see above); root is then left empty. Empty text (or white
// space only) is an empty tree. A tree that parses is written back within
// kMaxSettingsFileBytes.
bool ParseSettings(std::string_view utf8, SettingsNode& root, size_t* errorLine = nullptr);

} // namespace tolvane
