// Any reply given to the reply parsers: no crash; ParseUidList gives one entry per line
// after the status line (never more entries than line ends) and the count it returns; no
// identifier holds a space, CR or LF; a count is -1 unless the reply has a "+OK" word.
#include "engine/Account.h"
#include "fuzz/Require.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using tolvane::fuzz::Require;

bool IsWord(const std::string& text) {
    return text.find_first_of(" \r\n") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tolvane::CAccount;
    const std::string reply(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> uids = {"left from before"};
    const int count = CAccount::ParseUidList(reply, uids);
    Require(count == static_cast<int>(uids.size()));
    const auto lineEnds =
        std::count_if(reply.begin(), reply.end(), [](char c) { return c == '\r' || c == '\n'; });
    Require(uids.size() <= static_cast<size_t>(lineEnds));
    Require(std::all_of(uids.begin(), uids.end(), IsWord));

    Require(CAccount::ParseCount(reply) == -1 || reply.find("+OK ") != std::string::npos);
    Require(!reply.empty() || CAccount::ParseSize(reply) == -1);
    const std::string uid = CAccount::ParseUid(reply);
    Require(IsWord(uid) && uid.size() <= reply.size());
    return 0;
}
