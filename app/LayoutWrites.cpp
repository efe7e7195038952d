#include "app/LayoutWrites.h"

#include "platform/MessageHost.h"
#include "platform/Profile.h"
#include "platform/Texts.h"

namespace tolvane::gui {

void ShowLayoutWriteFailed() {
    ShowMessage(Sjis(txt::kRegistryWriteFailed), MsgButtons::Ok, MsgIcon::Stop);
}

bool WriteLayoutInt(const char* section, const char* key, int32_t value) {
    if (WriteProfileInt(section, key, value)) {
        return true;
    }
    ShowLayoutWriteFailed();
    return false;
}

bool WriteLayoutString(const char* section, const char* key, const std::string& valueCp932) {
    if (WriteProfileString(section, key, valueCp932)) {
        return true;
    }
    ShowLayoutWriteFailed();
    return false;
}

} // namespace tolvane::gui
