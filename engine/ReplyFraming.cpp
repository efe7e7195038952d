#include "engine/ReplyFraming.h"

namespace tolvane {

size_t FindReplyEnd(std::string_view text, bool multiLine) {
    const size_t statusEnd = text.find("\r\n");
    if (statusEnd == std::string_view::npos) {
        return kIncomplete;
    }
    if (!multiLine || text.substr(0, 3) != "+OK") {
        return statusEnd + 2;
    }
    const size_t terminator = text.find("\r\n.\r\n", statusEnd);
    return terminator == std::string_view::npos ? kIncomplete : terminator + 5;
}

} // namespace tolvane
