// The mail store file of a new-only account: the account's CMail records in the archive
// layout (record count, class header "CMail" schema 2, 0x8001 references, length-prefixed
// CP932 strings, little-endian dwords).
//
// Reading is pure (bytes in, records out) so that it can be table-tested and fuzzed:
// every count and length is checked against the bytes that remain before anything is
// allocated. Writing is atomic (WriteFileAtomic).
#pragma once

#include "engine/Mail.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

using MailList = std::vector<std::unique_ptr<CMail>>;

enum class StoreReadResult { Ok, Missing, Unreadable, Damaged };

// Serialises mails (schema 2) into the archive layout.
std::string EncodeMailStore(const MailList& mails);

// Parses an archive. Schema 1 records get loadTime as their time of receipt; any other
// schema than 1 and 2 counts as damage (its layout is unknown). On damage (ends early,
// another class name, unknown tag, absurd count or length; trailing bytes after the last
// record are tolerated) returns false and leaves mails empty.
bool DecodeMailStore(std::string_view bytes, uint32_t loadTime, MailList& mails);

// Reads the store at path, appending to mails. Missing/Unreadable leave mails unchanged.
// A damaged file (or one over 1 GiB) is moved aside as path + ".damaged", or
// ".damaged.N" when that is taken (kept, never overwritten), and reported as Damaged with
// mails unchanged. A path that is not a regular file, or is a link, is Unreadable.
StoreReadResult ReadMailStore(const std::filesystem::path& path, uint32_t loadTime,
                              MailList& mails);

// Writes the store atomically; false when it could not be written (the old file stays).
bool WriteMailStore(const std::filesystem::path& path, const MailList& mails);

} // namespace tolvane
