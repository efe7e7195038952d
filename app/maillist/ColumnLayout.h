// The mail list's column layout in the Column section: widths (Width1-5; a missing key
// gives the column's default width, kDefaultWidths: wide enough that a subject and a
// sender can be read at the first start; a stored 0 or less counts as 100), display order
// (Order1-5: the key of position N holds the column shown there; default -1, and any -1 means the
// built-in order 0-4), AutoWidth (default 0; anything but 0 or 1 counts as 0), Sort (1 ascending,
// default 1) and SortColumn (default 0).
#pragma once

#include <array>
#include <cstdint>

namespace tolvane::gui {

struct ColumnLayout {
    static constexpr int kColumns = 5;
    // Subject, sender, size, date received, account name.
    static constexpr std::array<int32_t, kColumns> kDefaultWidths{320, 200, 80, 140, 100};
    std::array<int32_t, kColumns> widths = kDefaultWidths;
    std::array<int32_t, kColumns> order{0, 1, 2, 3, 4}; // always a permutation of 0-4
    int32_t bAutoWidth = 0;
    int32_t bAscending = 1;
    int32_t nSortColumn = 0;
};

// Reads the section with the rules above. A stored order that is not a permutation of
// 0-4 is not applied either: the built-in order is used.
ColumnLayout LoadColumnLayout();
// Writes Order1-5, Width1-5, Sort, SortColumn and AutoWidth in that order; each failed
// write shows the write-failure message once.
void SaveColumnLayout(const ColumnLayout& layout);

} // namespace tolvane::gui
