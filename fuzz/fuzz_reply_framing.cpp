// Any bytes from a server, as the replies of a run of commands: no crash; each reply found
// is non-empty, ends in CR LF and lies within the bytes; a multi-line positive reply ends in
// the lone dot line; the boundaries split the bytes without losing or repeating one.
#include "engine/Account.h"
#include "engine/ReplyFraming.h"
#include "fuzz/Require.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tolvane::CAccount;
    using tolvane::FindReplyEnd;
    using tolvane::fuzz::Require;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The first byte says which replies are multi-line, a bit per reply.
    const unsigned kinds = size > 0 ? data[0] : 0;
    std::string_view rest(bytes);
    for (unsigned i = 0; !rest.empty(); ++i) {
        const bool multiLine = (kinds >> (i % 8)) & 1;
        const size_t end = FindReplyEnd(rest, multiLine);
        if (end == tolvane::kIncomplete) {
            break;
        }
        Require(end >= 2 && end <= rest.size());
        const std::string_view reply = rest.substr(0, end);
        Require(reply.substr(end - 2) == "\r\n");
        if (multiLine && reply.substr(0, 3) == "+OK") {
            Require(end >= 8 && reply.substr(end - 5) == "\r\n.\r\n");
        } else {
            Require(reply.find("\r\n") == end - 2);
        }
        rest.remove_prefix(end);
    }

    (void)CAccount::HasCapability(bytes, "PIPELINING");
    return 0;
}
