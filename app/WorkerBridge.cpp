#include "app/WorkerBridge.h"

#include "app/widgets/QtText.h"
#include "platform/MessageHost.h"

namespace tolvane::gui {

CWorkerBridge::CWorkerBridge(QObject* context) : m_pContext(context) {}

void CWorkerBridge::SetReceivers(Receivers receivers) {
    m_receivers = std::move(receivers);
}

void CWorkerBridge::Queue(std::function<void()> fn) {
    QMetaObject::invokeMethod(m_pContext, std::move(fn), Qt::QueuedConnection);
}

void CWorkerBridge::SetTitle(const std::string& titleCp932) {
    std::lock_guard guard(m_lock);
    m_title.text = titleCp932;
}

std::string CWorkerBridge::GetWindowText() {
    std::lock_guard guard(m_lock);
    return m_title.text;
}

void CWorkerBridge::SetCoalesced(CoalescedText& slot, const std::string& textCp932,
                                 std::function<void(const QString&)> Receivers::*receiver) {
    {
        std::lock_guard guard(m_lock);
        slot.text = textCp932;
        if (slot.queued) {
            return; // the update already queued will show this text
        }
        slot.queued = true;
    }
    Queue([this, &slot, receiver] {
        std::string text;
        {
            std::lock_guard guard(m_lock);
            text = slot.text;
            slot.queued = false;
        }
        if (m_receivers.*receiver) {
            (m_receivers.*receiver)(FromCp932(text));
        }
    });
}

void CWorkerBridge::SetWindowText(const std::string& textCp932) {
    SetCoalesced(m_title, textCp932, &Receivers::title);
}

void CWorkerBridge::SetCancelMenuText(const std::string& textCp932) {
    SetCoalesced(m_cancelText, textCp932, &Receivers::cancelText);
}

void CWorkerBridge::PostCommand(int id) {
    Queue([this, id] {
        if (m_receivers.command) {
            m_receivers.command(id);
        }
    });
}

bool CWorkerBridge::Ask(const std::string& textCp932) {
    return ShowMessage(textCp932, MsgButtons::OkCancel, MsgIcon::Question) == IDOK;
}

} // namespace tolvane::gui
