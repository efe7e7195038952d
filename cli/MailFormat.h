// The outputs of tolvane-cli, as pure functions from records to UTF-8 text.
//
// Human list, one line per mail, columns separated by two spaces and aligned by display
// width (East Asian wide characters count two):
//   ACCOUNT  STATE  SIZE  DATE  FROM  SUBJECT
// STATE is 新着 / 既知 / 期限切れ, SIZE is right-aligned octets, DATE is yyyy/mm/dd
// hh:mm:ss (blank without a Date header), FROM is padded to the widest sender (at most
// kFromColumnMax columns; a longer one just pushes the subject on). Server texts are made
// safe for a terminal: control characters become "?".
//
// JSON: an array of objects, one per mail, keys in this order: account, number, state
// ("new", "known", "expired"), uidl, size, date, from, subject, body, not_plain (boolean),
// received (seconds since 1970); with raw also from_cp932, subject_cp932, body_cp932 (the
// CP932 bytes in lower-case hex). Strings are UTF-8 with JSON escapes (\" \\ \n \r \t \b
// \f, other control characters \u00XX).
#pragma once

#include "engine/Account.h"
#include "engine/Mail.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::cli {

inline constexpr int kFromColumnMax = 32;

std::string FormatMailList(const std::vector<const CMail*>& mails);
std::string FormatMailJson(const std::vector<const CMail*>& mails, bool bRaw);

// Accounts, in list order, the password never shown. Human: one line per account;
// JSON: objects with name, server, port, user, lines, timeout, enabled, new_only,
// simple_delete, limit_delete, limit_days, confirm_limit_delete, decode, security,
// verify_certificate, pipelining, password_store ("file", "keyring", "command" or
// "unknown": where the password lives).
std::string FormatAccountList(const std::vector<const CAccount*>& accounts);
std::string FormatAccountJson(const std::vector<const CAccount*>& accounts);

// Helpers, exposed for the tests.
std::string JsonString(std::string_view utf8); // with the quotes
std::string HexBytes(std::string_view bytes);
int DisplayWidth(std::string_view utf8);
std::string TerminalSafe(std::string_view utf8, bool bKeepLineFeeds);
const char* StateName(uint32_t state); // "new", "known", "expired", "gone"
const char* StateWord(uint32_t state); // 新着, 既知, 期限切れ, 消去

} // namespace tolvane::cli
