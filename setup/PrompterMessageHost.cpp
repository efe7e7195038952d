#include "setup/PrompterMessageHost.h"

#include "platform/CodePage.h"
#include "setup/SetupTexts.h"

namespace tolvane::setup {

CPrompterMessageHost::CPrompterMessageHost(ISetupPrompter& prompter) : m_prompter(prompter) {
    m_pPrevious = SetMessageHost(this);
}

CPrompterMessageHost::~CPrompterMessageHost() {
    SetMessageHost(m_pPrevious);
}

int CPrompterMessageHost::ShowMessage(const std::string& textCp932, MsgButtons buttons,
                                      MsgIcon icon) {
    const std::string textUtf8 = Cp932ToUtf8(textCp932);
    return m_prompter.Show(textUtf8.c_str(), txt::kSetupCaption, buttons,
                           icon == MsgIcon::Default ? DefaultIconFor(buttons) : icon);
}

} // namespace tolvane::setup
