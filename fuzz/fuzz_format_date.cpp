// Any Date value given to FormatDate: no crash; empty gives empty; anything else gives the
// fourth word, the two-digit-or-more month and day, and the fifth word, so the result is
// never much longer than the value.
#include "engine/Account.h"
#include "fuzz/Require.h"

#include <cstdint>
#include <string>

using tolvane::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string value(reinterpret_cast<const char*>(data), size);
    const std::string date = tolvane::CAccount::FormatDate(value);
    if (value.empty()) {
        Require(date.empty());
        return 0;
    }
    // "/MM/DD " with a day of at most nine digits (leading digits stop growing there).
    Require(date.size() <= value.size() + sizeof("/00/000000000 "));
    Require(date.find('/') != std::string::npos);
    return 0;
}
