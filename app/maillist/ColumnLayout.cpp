#include "app/maillist/ColumnLayout.h"

#include "app/widgets/LayoutWrites.h"
#include "platform/Profile.h"

#include <string>

namespace tolvane::gui {

namespace {

constexpr char kSection[] = "Column";
constexpr int32_t kDefaultWidth = 100;

std::string Key(const char* stem, int number) {
    return stem + std::to_string(number);
}

bool IsPermutation(const std::array<int32_t, ColumnLayout::kColumns>& order) {
    std::array<bool, ColumnLayout::kColumns> seen{};
    for (int32_t column : order) {
        if (column < 0 || column >= ColumnLayout::kColumns || seen[static_cast<size_t>(column)]) {
            return false;
        }
        seen[static_cast<size_t>(column)] = true;
    }
    return true;
}

} // namespace

ColumnLayout LoadColumnLayout() {
    ColumnLayout layout;
    std::array<int32_t, ColumnLayout::kColumns> order{};
    for (int i = 0; i < ColumnLayout::kColumns; ++i) {
        const int32_t width = GetProfileInt(kSection, Key("Width", i + 1),
                                            ColumnLayout::kDefaultWidths[static_cast<size_t>(i)]);
        layout.widths[static_cast<size_t>(i)] = width > 0 ? width : kDefaultWidth;
        order[static_cast<size_t>(i)] = GetProfileInt(kSection, Key("Order", i + 1), -1);
    }
    if (IsPermutation(order)) {
        layout.order = order;
    }
    const int32_t autoWidth = GetProfileInt(kSection, "AutoWidth", 0);
    layout.bAutoWidth = autoWidth == 1 ? 1 : 0;
    layout.bAscending = GetProfileInt(kSection, "Sort", 1) != 0 ? 1 : 0;
    layout.nSortColumn = GetProfileInt(kSection, "SortColumn", 0);
    return layout;
}

void SaveColumnLayout(const ColumnLayout& layout) {
    for (int i = 0; i < ColumnLayout::kColumns; ++i) {
        WriteLayoutInt(kSection, Key("Order", i + 1).c_str(), layout.order[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < ColumnLayout::kColumns; ++i) {
        WriteLayoutInt(kSection, Key("Width", i + 1).c_str(),
                       layout.widths[static_cast<size_t>(i)]);
    }
    WriteLayoutInt(kSection, "Sort", layout.bAscending);
    WriteLayoutInt(kSection, "SortColumn", layout.nSortColumn);
    WriteLayoutInt(kSection, "AutoWidth", layout.bAutoWidth);
}

} // namespace tolvane::gui
