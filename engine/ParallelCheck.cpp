#include "engine/ParallelCheck.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <thread>

namespace tolvane {

struct CParallelCheck::Slot {
    int m_nIndex = -1;
    CAccount* m_pAccount = nullptr;
    CParallelCheck* m_pOwner = nullptr;
    std::string m_strMailbox; // MailboxOf the account
    std::unique_ptr<CSlotHost> m_pHost;
    // The account's own callback, while the check has put its own in place.
    ReportFn m_pfnReport = nullptr;
    void* m_pReportContext = nullptr;
    std::vector<std::string> m_arrTexts; // held back until the account is the front
    std::string m_strTitle;              // latest progress title, when m_bTitle
    std::string m_strMenu;               // latest menu text, when m_bMenu
    bool m_bTitle = false;
    bool m_bMenu = false;
    bool m_bStarted = false;
    bool m_bDone = false;
    bool m_bSkipped = false; // never started (the check was abandoned)
};

// The window as one account's job sees it.
class CParallelCheck::CSlotHost final : public IHost {
public:
    CSlotHost(CParallelCheck& owner, Slot& slot) : m_owner(owner), m_slot(slot) {}
    std::string GetWindowText() override { return m_owner.m_pHost->GetWindowText(); }
    void SetWindowText(const std::string& textCp932) override {
        m_owner.SetTitle(m_slot, textCp932);
    }
    void SetCancelMenuText(const std::string& textCp932) override {
        m_owner.SetMenuText(m_slot, textCp932);
    }
    void PostCommand(int id) override { m_owner.m_pHost->PostCommand(id); }
    bool Ask(const std::string& textCp932) override { return m_owner.Ask(textCp932); }

private:
    CParallelCheck& m_owner;
    Slot& m_slot;
};

CParallelCheck::CParallelCheck(IHost* pHost, int nParallel)
    : m_pHost(pHost), m_nParallel(static_cast<size_t>(std::max(nParallel, 1))) {}

CParallelCheck::~CParallelCheck() = default;

void CParallelCheck::Run(const std::vector<ParallelCheckAccount>& accounts, const CheckFn& check,
                         const FrontFn& front) {
    if (accounts.empty()) {
        return;
    }
    {
        std::lock_guard lock(m_lock);
        m_pFront = &front;
        m_slots.clear();
        for (const ParallelCheckAccount& account : accounts) {
            auto slot = std::make_unique<Slot>();
            slot->m_nIndex = account.m_nIndex;
            slot->m_pAccount = account.m_pAccount;
            slot->m_pOwner = this;
            slot->m_strMailbox = MailboxOf(*account.m_pAccount);
            slot->m_pHost = std::make_unique<CSlotHost>(*this, *slot);
            m_slots.push_back(std::move(slot));
        }
        m_nFront = 0;
        front(m_slots.front()->m_pAccount);
    }
    std::vector<std::thread> threads;
    const size_t extra = std::min(m_nParallel, m_slots.size()) - 1;
    for (size_t i = 0; i < extra; ++i) {
        try {
            threads.emplace_back([this, &check] { RunSlots(check); });
        } catch (const std::system_error&) {
            break; // fewer threads: this one still checks every account
        }
    }
    RunSlots(check);
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::lock_guard lock(m_lock);
    for (auto& slot : m_slots) {
        if (!slot->m_bStarted) {
            slot->m_bSkipped = true;
            slot->m_bDone = true;
        }
    }
    AdvanceLocked();
    m_pFront = nullptr;
}

void CParallelCheck::Abandon() {
    std::lock_guard lock(m_lock);
    m_bAbandoned = true;
    for (auto& slot : m_slots) {
        if (slot->m_bStarted && !slot->m_bDone) {
            slot->m_pAccount->m_socket.RequestCancel(CPop3Socket::kCancelAbandon);
        }
    }
    m_slotFinished.notify_all();
}

void CParallelCheck::RunSlots(const CheckFn& check) {
    while (Slot* slot = TakeNext()) {
        check(slot->m_nIndex, *slot->m_pAccount, *slot->m_pHost);
        Finish(*slot);
    }
}

CParallelCheck::Slot* CParallelCheck::TakeNext() {
    std::unique_lock lock(m_lock);
    for (;;) {
        if (m_bAbandoned) {
            return nullptr;
        }
        bool bWaiting = false;
        for (auto& candidate : m_slots) {
            if (candidate->m_bStarted) {
                continue;
            }
            if (IsMailboxInUseLocked(*candidate)) {
                bWaiting = true;
                continue;
            }
            Slot& slot = *candidate;
            slot.m_bStarted = true;
            slot.m_pfnReport = slot.m_pAccount->m_pfnReport;
            slot.m_pReportContext = slot.m_pAccount->m_pReportContext;
            slot.m_pAccount->SetReport(&CParallelCheck::SlotReport, &slot);
            return &slot;
        }
        if (!bWaiting) {
            return nullptr;
        }
        m_slotFinished.wait(lock);
    }
}

std::string CParallelCheck::MailboxOf(const CAccount& account) {
    std::string server = account.m_strServer;
    std::transform(server.begin(), server.end(), server.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return server + '\n' + std::to_string(account.m_nPort) + '\n' + account.m_strUser;
}

bool CParallelCheck::IsMailboxInUseLocked(const Slot& slot) const {
    return std::any_of(m_slots.begin(), m_slots.end(), [&](const std::unique_ptr<Slot>& other) {
        return other->m_bStarted && !other->m_bDone && other->m_strMailbox == slot.m_strMailbox;
    });
}

void CParallelCheck::Finish(Slot& slot) {
    std::lock_guard lock(m_lock);
    slot.m_pAccount->SetReport(slot.m_pfnReport, slot.m_pReportContext);
    slot.m_bDone = true;
    AdvanceLocked();
    m_slotFinished.notify_all();
}

bool CParallelCheck::IsFrontLocked(const Slot& slot) const {
    return m_nFront < m_slots.size() && m_slots[m_nFront].get() == &slot;
}

void CParallelCheck::AdvanceLocked() {
    while (m_nFront < m_slots.size() && m_slots[m_nFront]->m_bDone) {
        ++m_nFront;
        if (m_nFront == m_slots.size()) {
            (*m_pFront)(nullptr);
            return;
        }
        Slot& next = *m_slots[m_nFront];
        if (next.m_bSkipped) {
            continue;
        }
        (*m_pFront)(next.m_pAccount);
        for (const std::string& text : next.m_arrTexts) {
            if (next.m_pfnReport) {
                next.m_pfnReport(text, next.m_pReportContext);
            }
        }
        next.m_arrTexts.clear();
        if (next.m_bTitle) {
            m_pHost->SetWindowText(next.m_strTitle);
        }
        if (next.m_bMenu) {
            m_pHost->SetCancelMenuText(next.m_strMenu);
        }
    }
}

void CParallelCheck::SlotReport(const std::string& textCp932, void* context) {
    Slot* slot = static_cast<Slot*>(context);
    slot->m_pOwner->Report(*slot, textCp932);
}

void CParallelCheck::Report(Slot& slot, const std::string& textCp932) {
    std::lock_guard lock(m_lock);
    if (!IsFrontLocked(slot)) {
        slot.m_arrTexts.push_back(textCp932);
    } else if (slot.m_pfnReport) {
        slot.m_pfnReport(textCp932, slot.m_pReportContext);
    }
}

void CParallelCheck::SetTitle(Slot& slot, const std::string& textCp932) {
    std::lock_guard lock(m_lock);
    slot.m_strTitle = textCp932;
    slot.m_bTitle = true;
    if (IsFrontLocked(slot)) {
        m_pHost->SetWindowText(textCp932);
    }
}

void CParallelCheck::SetMenuText(Slot& slot, const std::string& textCp932) {
    std::lock_guard lock(m_lock);
    slot.m_strMenu = textCp932;
    slot.m_bMenu = true;
    if (IsFrontLocked(slot)) {
        m_pHost->SetCancelMenuText(textCp932);
    }
}

bool CParallelCheck::Ask(const std::string& textCp932) {
    std::lock_guard ask(m_askLock);
    if (m_bAbandoned) {
        return false;
    }
    return m_pHost->Ask(textCp932);
}

} // namespace tolvane
