// What a server states about its messages, read by the numbers it states: the UIDL and LIST
// listings and the per-mail replies to UIDL n and LIST n. Pure: bytes in, values out.
//
// Contract:
// - A listing is a multi-line reply: its status line (skipped), then lines "n value" up to
//   the lone dot. Each line is exactly two words (runs of spaces separate like one): a
//   message number of digits only, from 1 up to maxNumber, and the value. A per-mail reply is
//   exactly one line "+OK n value" CR LF, n being the number asked for.
// - A value is an id (ListingKind::Uid: 1 to kMaxUidBytes bytes from 0x21 to 0x7E) or a size
//   (ListingKind::Size: digits only, within 32 bits).
// - Anything else fails the whole reply: a malformed line, a number of 0 or beyond count, a
//   number listed twice, the same id listed for two numbers, a reply cut short, a per-mail
//   reply naming another number. A server that says one thing where it was asked another
//   can no longer be matched with its commands, so nothing of it is used.
// - A listing may leave numbers out and list them in any order; Complete(count) says
//   whether it names every message 1 ... count (with maxNumber count).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tolvane {

enum class ListingKind { Uid, Size };

inline constexpr size_t kMaxUidBytes = 512;

// The value stated for each message number.
struct ServerListing {
    std::map<uint32_t, std::string> values;
    bool Complete(unsigned count) const { return values.size() == count; }
    // The number stated for value (0 when it is not listed).
    unsigned NumberOf(std::string_view value) const;
    // The value stated for number, or nullptr.
    const std::string* ValueOf(unsigned number) const;
};

// maxNumber: STAT's count where it is known, else kAnyNumber.
inline constexpr unsigned kAnyNumber = UINT32_MAX;
bool ParseServerListing(std::string_view reply, ListingKind kind, unsigned maxNumber,
                        ServerListing& listing);
bool ParseNumberedReply(std::string_view reply, ListingKind kind, unsigned number,
                        std::string& value);

// A multi-line reply whose first line after the status is itself a status ("+OK", "-ERR"):
// a reply of another command read in front of it, so the replies are out of step.
bool StartsWithStrayStatus(std::string_view reply);

} // namespace tolvane
