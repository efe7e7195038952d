// The form and query encoding of OAuth 2.0 requests and redirects
// (application/x-www-form-urlencoded). Pure.
//
// Contract:
// - PercentEncode keeps the unreserved characters (letters, digits, "-._~") and writes
//   every other byte as %XX (upper-case hex).
// - FormBody joins name=value pairs with "&", both sides encoded.
// - QueryValue finds name in a query ("a=1&b=2", without "?") and decodes its value ("+"
//   is a space, %XX a byte); false when the name is absent or its value holds a broken
//   escape.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane {

std::string PercentEncode(std::string_view bytes);
std::string FormBody(const std::vector<std::pair<std::string, std::string>>& pairs);
bool QueryValue(std::string_view query, std::string_view name, std::string& value);

} // namespace tolvane
