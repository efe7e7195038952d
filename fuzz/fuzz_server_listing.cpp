// Any reply given to the listing parsers, with a STAT count taken from its length: no
// crash; a listing read names only numbers 1 ... count, each once, with ids of printable
// bytes only and no id twice, and comes from a reply that ends with its lone dot; a
// per-mail reply read states the number asked for; a count is -1 unless the reply has a
// "+OK" word.
#include "engine/Account.h"
#include "engine/ServerListing.h"
#include "fuzz/Require.h"

#include <cstdint>
#include <set>
#include <string>

namespace {

using tolvane::fuzz::Require;

bool Printable(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E) {
            return false;
        }
    }
    return !text.empty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    const unsigned count = static_cast<unsigned>(size % 32);
    const std::string reply(reinterpret_cast<const char*>(data), size);

    for (ListingKind kind : {ListingKind::Uid, ListingKind::Size}) {
        ServerListing listing;
        if (!ParseServerListing(reply, kind, count, listing)) {
            Require(listing.values.empty());
            continue;
        }
        Require(reply.size() >= 5 && reply.compare(reply.size() - 5, 5, "\r\n.\r\n") == 0);
        Require(listing.values.size() <= count);
        std::set<std::string> ids;
        for (const auto& [number, value] : listing.values) {
            Require(number >= 1 && number <= count && Printable(value));
            Require(kind != ListingKind::Uid || ids.insert(value).second);
            Require(listing.NumberOf(value) == number || kind == ListingKind::Size);
        }
    }
    std::string value;
    if (ParseNumberedReply(reply, ListingKind::Uid, count, value)) {
        Require(reply.rfind("+OK ", 0) == 0 && Printable(value));
        Require(reply.find(std::to_string(count)) != std::string::npos);
    }
    (void)StartsWithStrayStatus(reply);
    Require(CAccount::ParseCount(reply) == -1 || reply.find("+OK ") != std::string::npos);
    return 0;
}
