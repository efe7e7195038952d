// Any bytes given to the settings-file parser: no crash, no stack exhaustion, no read past
// a buffer; a rejected text leaves an empty tree; an accepted one is written back within
// the bounds (file size, key depth), as UTF-8 without NUL, and reads back to the same text.
#include "platform/CodePage.h"
#include "platform/SettingsFormat.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

size_t Depth(const tolvane::SettingsNode& root) {
    size_t deepest = 0;
    std::vector<std::pair<const tolvane::SettingsNode*, size_t>> pending = {{&root, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        deepest = depth > deepest ? depth : deepest;
        for (const tolvane::SettingsNode& child : node->children) {
            pending.emplace_back(&child, depth + 1);
        }
    }
    return deepest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    SettingsNode root;
    if (!ParseSettings(input, root)) {
        Require(root.children.empty() && root.values.empty());
        return 0;
    }
    const std::string written = SerializeSettings(root);
    Require(written.size() <= kMaxSettingsFileBytes);
    Require(written.find('\0') == std::string::npos && IsValidUtf8(written));
    Require(Depth(root) <= kMaxKeyDepth);
    SettingsNode again;
    Require(ParseSettings(written, again));
    Require(SerializeSettings(again) == written);
    return 0;
}
