#include "setup/Uninstallation.h"

#include "platform/InstanceLock.h"
#include "platform/Texts.h"
#include "setup/DesktopShortcut.h"
#include "setup/FileTable.h"
#include "setup/SettingsRemoval.h"
#include "setup/SetupTexts.h"

namespace tolvane::setup {

int RunUninstallation(const SetupContext& context, ISetupPrompter& prompter) {
    CInstanceLock lock;
    if (!lock.TryAcquire() && lock.HeldElsewhere()) {
        prompter.Show(txt::kProgramRunning, txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Stop);
        return SETUP_EXIT_FAILED;
    }
    if (prompter.Show(txt::kUninstallQuestion, txt::kSetupCaption, MsgButtons::OkCancel,
                      MsgIcon::Default) != IDOK) {
        return SETUP_EXIT_OK;
    }
    DeleteProgramFiles(context.programFolder);
    DeleteDesktopShortcut();
    if (RemoveSettings(*context.tree, Company::Orrindale) == REMOVAL_WRITE_FAILED) {
        prompter.Show(tolvane::txt::kRegistryDeleteFailed, txt::kSetupCaption, MsgButtons::Ok,
                      MsgIcon::Stop);
        return SETUP_EXIT_FAILED;
    }
    prompter.Show(txt::kUninstallDone, txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Information);
    return SETUP_EXIT_OK;
}

} // namespace tolvane::setup
