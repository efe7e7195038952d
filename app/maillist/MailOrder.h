// The order of the mail list's rows, on the CP932 texts of the records (never on their
// converted form): the size column by its number, every other column byte by byte as
// unsigned values (no locale, no case folding; a prefix sorts first).
#pragma once

#include "engine/Mail.h"

namespace tolvane::gui {

// <0, 0, >0 as a sorts before, with or after b in ascending order by column (0-4).
// A column outside 0-4 (a damaged setting) makes every pair equal.
int CompareMails(const CMail& a, const CMail& b, int column);

// The leading decimal number of a size text (leading blanks and a sign allowed; 0 when
// there are no digits).
long long SizeValue(const std::string& size);

} // namespace tolvane::gui
