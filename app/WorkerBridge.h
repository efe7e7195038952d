// CWorkerBridge: the engine's host (engine/Host.h) for the GUI. The worker calls it from
// its own thread; nothing here waits for the user-interface thread except Ask.
//
// - Every call that reaches the windows is queued onto the user-interface thread with the
//   context object given at construction; Qt drops it if that object is gone.
// - The title the worker reads is a cached copy under a lock, never a call into the
//   windows; the frame keeps it current with SetTitle. Titles and cancel-menu texts are
//   coalesced: however fast the worker sets them, at most one update waits in the queue,
//   and it shows the latest text.
// - Completion commands are queued in the order posted, after the title updates posted
//   before them.
// - Ask goes through the message interface as an OK/Cancel question with the question
//   icon (CMessageBoxHost answers it through a promise, and "not OK" once closing).
#pragma once

#include "engine/Host.h"

#include <QObject>
#include <QString>

#include <functional>
#include <mutex>
#include <string>

namespace tolvane::gui {

class CWorkerBridge final : public IHost {
public:
    struct Receivers {
        std::function<void(const QString& title)> title;
        std::function<void(const QString& text)> cancelText;
        std::function<void(int id)> command;
    };

    explicit CWorkerBridge(QObject* context);
    void SetReceivers(Receivers receivers);
    // The title the frame shows (CP932), kept for the worker to read.
    void SetTitle(const std::string& titleCp932);

    std::string GetWindowText() override;
    void SetWindowText(const std::string& textCp932) override;
    void SetCancelMenuText(const std::string& textCp932) override;
    void PostCommand(int id) override;
    bool Ask(const std::string& textCp932) override;

private:
    // A text the worker sets as often as it likes; the windows see the latest.
    struct CoalescedText {
        std::string text;
        bool queued = false;
    };

    // Queues fn on the user-interface thread, bound to the context's lifetime.
    void Queue(std::function<void()> fn);
    void SetCoalesced(CoalescedText& slot, const std::string& textCp932,
                      std::function<void(const QString&)> Receivers::*receiver);

    QObject* m_pContext;
    Receivers m_receivers;
    std::mutex m_lock; // guards both texts
    CoalescedText m_title;
    CoalescedText m_cancelText;
};

} // namespace tolvane::gui
