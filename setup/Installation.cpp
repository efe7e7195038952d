#include "setup/Installation.h"

#include "setup/DesktopShortcut.h"
#include "setup/FileTable.h"
#include "setup/Registration.h"
#include "setup/SetupTexts.h"

namespace tolvane::setup {

bool CheckShippedFiles(const SetupContext& context, ISetupPrompter& prompter) {
    // Without its own folder the files would be looked for in the current one.
    if (context.programFolder.is_absolute() && FindMissingFile(context.programFolder).empty()) {
        return true;
    }
    prompter.Show(txt::kFilesMissing, txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Stop);
    return false;
}

int FinishInstallation(const SetupContext& context, Shortcut shortcut, ISetupPrompter& prompter) {
    const int registered = RegisterInstallation(context, prompter);
    if (registered == REGISTER_FAILED) {
        prompter.Show(txt::kRegistrationFailed, txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Stop);
        return SETUP_EXIT_FAILED;
    }
    int exitCode = SETUP_EXIT_OK;
    if (registered == REGISTER_DONE && shortcut == Shortcut::Create &&
        !CreateDesktopShortcut(context.programFolder)) {
        prompter.Show(txt::kShortcutFailed, txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Stop);
        exitCode = SETUP_EXIT_FAILED;
    }
    prompter.Show(txt::kInstallDone, txt::kInstallDoneCaption, MsgButtons::Ok, MsgIcon::Default);
    return exitCode;
}

} // namespace tolvane::setup
