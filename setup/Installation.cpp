#include "setup/Installation.h"

#include "platform/Autostart.h"
#include "platform/SettingsTree.h"
#include "setup/DesktopShortcut.h"
#include "setup/FileTable.h"
#include "setup/Registration.h"
#include "setup/SettingsKeys.h"
#include "setup/SetupTexts.h"

#include <string>

namespace tolvane::setup {

bool CheckShippedFiles(const SetupContext& context, ISetupPrompter& prompter) {
    // Without its own folder the files would be looked for in the current one.
    if (context.programFolder.is_absolute() && FindMissingFile(context.programFolder).empty()) {
        return true;
    }
    prompter.Show(txt::kFilesMissing, txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Stop);
    return false;
}

namespace {

bool SetUpLoginStart(const SetupContext& context) {
    SettingsTree& tree = *context.tree;
    RegKey option;
    if (tree.CreateKey(tree.Root(), std::string(kSettingsRoot) + "\\Option", option) != REG_OK) {
        return false;
    }
    const bool bSet = tree.SetDword(option, "Autostart", 1) == REG_OK;
    tree.CloseKey(option);
    return bSet && WriteAutostartEntry(context.programFolder / "Tolvane");
}

} // namespace

int FinishInstallation(const SetupContext& context, Shortcut shortcut, ISetupPrompter& prompter,
                       LoginStart loginStart) {
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
    if (registered == REGISTER_DONE && loginStart == LoginStart::Create &&
        !SetUpLoginStart(context)) {
        prompter.Show(txt::kAutostartFailed, txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Stop);
        exitCode = SETUP_EXIT_FAILED;
    }
    prompter.Show(txt::kInstallDone, txt::kInstallDoneCaption, MsgButtons::Ok, MsgIcon::Default);
    return exitCode;
}

} // namespace tolvane::setup
