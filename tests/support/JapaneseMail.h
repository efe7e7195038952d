// Builders of Japanese mail text for the tests and the benchmarks: UTF-8 to ISO-2022-JP,
// base64, and ISO-2022-JP encoded words as mail headers carry them. They need no test
// framework, so a benchmark can use them as they are.
#pragma once

#include <string>

namespace tolvane::test {

// UTF-8 to ISO-2022-JP, ending in ASCII mode. False when iconv has no ISO-2022-JP (jis is
// then empty) or the text does not convert (jis then holds what did).
bool Utf8ToJis(const std::string& utf8, std::string& jis);

// Standard base64 with "=" padding, no line breaks.
std::string Base64(const std::string& bytes);

// "=?ISO-2022-JP?B?...?=" around the given JIS bytes.
std::string JisWord(const std::string& jis);

} // namespace tolvane::test
