// One account as the account menus show it: what the document tells the menus when the
// account list changes (CTolvaneDoc::accountMenusChanged).
#pragma once

#include <string>

namespace tolvane::gui {

struct AccountMenuItem {
    std::string nameCp932;
    bool bEnabled;
};

} // namespace tolvane::gui
