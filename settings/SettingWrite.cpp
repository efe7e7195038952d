#include "settings/SettingWrite.h"

#include "platform/MessageHost.h"
#include "platform/Texts.h"

namespace tolvane {

bool CheckWrite(bool bWritten) {
    if (!bWritten) {
        ShowMessageUtf8(txt::kRegistryWriteFailed, MsgButtons::Ok, MsgIcon::Stop);
    }
    return bWritten;
}

} // namespace tolvane
