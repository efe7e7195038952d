#include "engine/ServerListing.h"

#include <cstdint>
#include <unordered_set>

namespace tolvane {

namespace {

// The line's words; false when there are not exactly two.
bool TwoWords(std::string_view line, std::string_view& first, std::string_view& second) {
    std::string_view words[3];
    size_t count = 0;
    size_t pos = 0;
    while (count < 3) {
        pos = line.find_first_not_of(' ', pos);
        if (pos == std::string_view::npos) {
            break;
        }
        size_t end = line.find(' ', pos);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        words[count++] = line.substr(pos, end - pos);
        pos = end;
    }
    if (count != 2) {
        return false;
    }
    first = words[0];
    second = words[1];
    return true;
}

// Digits only, within 32 bits.
bool ReadNumber(std::string_view word, uint32_t& value) {
    if (word.empty() || word.size() > 10) {
        return false;
    }
    uint64_t number = 0;
    for (char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number > UINT32_MAX) {
        return false;
    }
    value = static_cast<uint32_t>(number);
    return true;
}

bool ValidValue(std::string_view word, ListingKind kind) {
    if (kind == ListingKind::Size) {
        uint32_t size = 0;
        return ReadNumber(word, size);
    }
    if (word.empty() || word.size() > kMaxUidBytes) {
        return false;
    }
    for (char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E) {
            return false;
        }
    }
    return true;
}

// A listing line "n value": false unless well formed with n from 1 to count.
bool ReadLine(std::string_view line, ListingKind kind, unsigned maxNumber, uint32_t& number,
              std::string_view& value) {
    std::string_view word;
    return TwoWords(line, word, value) && ReadNumber(word, number) && number >= 1 &&
           number <= maxNumber && ValidValue(value, kind);
}

} // namespace

unsigned ServerListing::NumberOf(std::string_view value) const {
    for (const auto& [number, stated] : values) {
        if (stated == value) {
            return number;
        }
    }
    return 0;
}

const std::string* ServerListing::ValueOf(unsigned number) const {
    const auto found = values.find(number);
    return found == values.end() ? nullptr : &found->second;
}

bool ParseServerListing(std::string_view reply, ListingKind kind, unsigned maxNumber,
                        ServerListing& listing) {
    listing.values.clear();
    std::unordered_set<std::string_view> ids;
    size_t pos = reply.find("\r\n");
    if (reply.rfind("+OK", 0) != 0 || pos == std::string_view::npos) {
        return false;
    }
    for (pos += 2;;) {
        const size_t end = reply.find("\r\n", pos);
        if (end == std::string_view::npos) {
            break; // cut short: no terminating dot
        }
        const std::string_view line = reply.substr(pos, end - pos);
        if (line == ".") {
            return end + 2 == reply.size() || (listing.values.clear(), false);
        }
        uint32_t number = 0;
        std::string_view value;
        if (!ReadLine(line, kind, maxNumber, number, value) ||
            (kind == ListingKind::Uid && !ids.insert(value).second) ||
            !listing.values.emplace(number, std::string(value)).second) {
            break;
        }
        pos = end + 2;
    }
    listing.values.clear();
    return false;
}

bool ParseNumberedReply(std::string_view reply, ListingKind kind, unsigned number,
                        std::string& value) {
    const size_t end = reply.find("\r\n");
    if (reply.rfind("+OK ", 0) != 0 || end == std::string_view::npos || end + 2 != reply.size()) {
        return false;
    }
    std::string_view stated;
    std::string_view word;
    uint32_t parsed = 0;
    if (!TwoWords(reply.substr(4, end - 4), stated, word) || !ReadNumber(stated, parsed) ||
        parsed != number || !ValidValue(word, kind)) {
        return false;
    }
    value = std::string(word);
    return true;
}

bool StartsWithStrayStatus(std::string_view reply) {
    const size_t end = reply.find("\r\n");
    if (end == std::string_view::npos) {
        return false;
    }
    const std::string_view next = reply.substr(end + 2);
    return next.rfind("+OK", 0) == 0 || next.rfind("-ERR", 0) == 0;
}

} // namespace tolvane
