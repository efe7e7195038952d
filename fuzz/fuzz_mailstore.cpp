// Any bytes given to the store reader: no crash, no leak, no read past the end; what it
// accepts encodes back to a store that reads the same records.
#include "engine/MailStore.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    MailList mails;
    if (!DecodeMailStore(std::string_view(reinterpret_cast<const char*>(data), size), 7, mails)) {
        return 0;
    }
    const std::string again = EncodeMailStore(mails);
    MailList reread;
    if (!DecodeMailStore(again, 7, reread) || reread.size() != mails.size() ||
        EncodeMailStore(reread) != again) {
        std::abort();
    }
    return 0;
}
