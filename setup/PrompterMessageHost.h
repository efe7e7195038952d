// Messages of the platform code (a damaged settings file) shown through the setup
// program's prompter, under the setup program's caption.
#pragma once

#include "platform/MessageHost.h"
#include "setup/SetupPrompter.h"

namespace tolvane::setup {

class CPrompterMessageHost final : public IMessageHost {
public:
    // Installs itself as the process's message host for its lifetime.
    explicit CPrompterMessageHost(ISetupPrompter& prompter);
    ~CPrompterMessageHost() override;
    CPrompterMessageHost(const CPrompterMessageHost&) = delete;
    CPrompterMessageHost& operator=(const CPrompterMessageHost&) = delete;

    int ShowMessage(const std::string& textCp932, MsgButtons buttons, MsgIcon icon) override;

private:
    ISetupPrompter& m_prompter;
    IMessageHost* m_pPrevious = nullptr;
};

} // namespace tolvane::setup
