// The usual decimal rule for numbers the user types into the dialogs: optional leading
// blanks, an optional sign, then the leading ASCII digits; no digits give 0 ("110abc" is
// 110, "abc" and "" are 0, "-5" is -5). Full-width digits are not digits here.
// Values beyond the 32-bit range are held at its ends, so a long run of digits can never
// wrap round into range.
#pragma once

#include <QString>

#include <cstdint>

namespace tolvane {

int32_t DecimalValue(const QString& text);

// The dialogs' range test: the text is not empty and its value, taken as unsigned, lies in
// low..high (so every negative value is refused).
bool DecimalInRange(const QString& text, uint32_t low, uint32_t high);

} // namespace tolvane
