#include "setup/Uninstallation.h"

#include "platform/Autostart.h"
#include "platform/CodePage.h"
#include "platform/InstanceLock.h"
#include "platform/SecretStore.h"
#include "platform/Texts.h"
#include "setup/DesktopShortcut.h"
#include "setup/FileTable.h"
#include "setup/InstallationProof.h"
#include "setup/SettingsRemoval.h"
#include "setup/SetupTexts.h"

#include <unistd.h>

#include <string>
#include <vector>

namespace tolvane::setup {

namespace {

void ShowStop(ISetupPrompter& prompter, const std::string& textUtf8) {
    prompter.Show(textUtf8.c_str(), txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Stop);
}

// The refusal's text, or "" when the uninstallation may go on.
std::string RefusalText(const SetupContext& context) {
    const int proof = ProveInstallation(context.programFolder);
    if (proof != PROOF_INSTALLATION) {
        const std::string folder = proof == PROOF_NO_FOLDER
                                       ? std::string(txt::kProgramFolderUnknown)
                                       : context.programFolder.string();
        return std::string(txt::kNotAnInstallation) + "\n" + folder + "\n" + txt::kUninstallStopped;
    }
    std::string unreadableCp932;
    if (!context.tree->CheckFile(&unreadableCp932)) {
        return Cp932ToUtf8(unreadableCp932) + "\n" + txt::kUninstallStopped;
    }
    return {};
}

// The settings, with the entry; false (after saying so) when any of it stays.
bool RemoveOwnSettings(const SetupContext& context, ISetupPrompter& prompter) {
    std::vector<std::string> leftKeys;
    const int removal = RemoveSettings(*context.tree, Company::Orrindale, &leftKeys);
    if (removal != REMOVAL_WRITE_FAILED && removal != REMOVAL_KEYS_LEFT) {
        return true;
    }
    std::string text = tolvane::txt::kRegistryDeleteFailed;
    if (!leftKeys.empty()) {
        text += std::string("\n") + txt::kKeysLeft;
        for (const std::string& key : leftKeys) {
            text += "\n" + key;
        }
    }
    ShowStop(prompter, text);
    return false;
}

// Every password of Tolvane's in the keyring; false (after saying so) when the keyring
// answered and kept them. No keyring at all leaves nothing to remove.
bool RemoveOwnSecrets(ISetupPrompter& prompter) {
    int result = SECRET_OK;
    std::string error;
    prompter.RunBlocking([&result, &error] { result = RemoveAllTolvaneSecrets(&error); });
    if (result == SECRET_OK || result == SECRET_NO_SERVICE) {
        return true;
    }
    ShowStop(prompter, std::string(txt::kSecretsLeft) + "\n" + error);
    return false;
}

} // namespace

int RunUninstallation(const SetupContext& context, ISetupPrompter& prompter) {
    CInstanceLock lock;
    if (!lock.TryAcquire() && lock.HeldElsewhere()) {
        prompter.Show(txt::kProgramRunning, txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Stop);
        return SETUP_EXIT_FAILED;
    }
    if (const std::string refusal = RefusalText(context); !refusal.empty()) {
        ShowStop(prompter, refusal);
        return SETUP_EXIT_FAILED;
    }
    if (prompter.Show(txt::kUninstallQuestion, txt::kSetupCaption, MsgButtons::OkCancel,
                      MsgIcon::Default) != IDOK) {
        return SETUP_EXIT_OK;
    }
    // The passwords first: the settings name the accounts whose secrets they are.
    const bool bSecretsRemoved = RemoveOwnSecrets(prompter);
    DeleteProgramFiles(context.programFolder);
    ::unlink((context.programFolder / kInstallationMarker).c_str());
    DeleteDesktopShortcut();
    RemoveAutostartEntry(); // a missing one is no failure
    if (!RemoveOwnSettings(context, prompter) || !bSecretsRemoved) {
        return SETUP_EXIT_FAILED;
    }
    prompter.Show(txt::kUninstallDone, txt::kSetupCaption, MsgButtons::Ok, MsgIcon::Information);
    return SETUP_EXIT_OK;
}

} // namespace tolvane::setup
