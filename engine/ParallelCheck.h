// CParallelCheck: the check of several accounts with up to a number of connections at
// once, seen by the host and the log as if the accounts were checked one after the other.
//
// Contract:
// - Run(accounts, check, front) calls check once for each account, on up to nParallel
//   threads (the calling thread is one of them), starting the accounts in list order; it
//   returns when every started account has finished. check touches only its own account
//   and reaches the window only through the host it is given.
// - Two accounts of one mailbox (server, port and user alike) never run at once: a POP3
//   server may lock the mailbox for the first session, so the second waits for it; the
//   accounts after it go on meanwhile.
// - Log: while an account runs, its report callback is replaced; its texts go straight to
//   the original callback while it is the first unfinished account of the list (the
//   front) and are held back otherwise. When the front finishes, the next account's
//   held texts are written in their order, so the log reads account after account. Each
//   account's own callback is back in place when Run returns.
// - Front: front(account) is called when an account becomes the front, before any of its
//   texts is written, and front(nullptr) after the last; the front's latest progress
//   title then follows. Titles and menu texts of the other accounts wait; only the
//   latest title of each is kept.
// - Questions go to the host one at a time (each names its account); the other accounts
//   go on meanwhile.
// - Abandon (any thread): no account starts any more, every running one gets the
//   program-ending cancel (CPop3Socket::kCancelAbandon), and a question not yet put is
//   answered "not OK". A connect clears its socket's flag: check must test its own
//   stopping state after connecting, as the one-at-a-time check does.
// - The callbacks run under the check's lock: they must not wait for another account.
#pragma once

#include "engine/Account.h"
#include "engine/Host.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tolvane {

struct ParallelCheckAccount {
    int m_nIndex = -1; // in the document's account list
    CAccount* m_pAccount = nullptr;
};

class CParallelCheck {
public:
    using CheckFn = std::function<void(int index, CAccount& account, IHost& host)>;
    using FrontFn = std::function<void(CAccount* account)>;

    CParallelCheck(IHost* pHost, int nParallel);
    ~CParallelCheck();
    CParallelCheck(const CParallelCheck&) = delete;
    CParallelCheck& operator=(const CParallelCheck&) = delete;

    void Run(const std::vector<ParallelCheckAccount>& accounts, const CheckFn& check,
             const FrontFn& front);
    void Abandon();

private:
    struct Slot;
    class CSlotHost;

    static void SlotReport(const std::string& textCp932, void* context);
    void Report(Slot& slot, const std::string& textCp932);
    void SetTitle(Slot& slot, const std::string& textCp932);
    void SetMenuText(Slot& slot, const std::string& textCp932);
    bool Ask(const std::string& textCp932);
    // The loop of one check thread: takes the next account until none is left.
    void RunSlots(const CheckFn& check);
    // The first account not started whose mailbox is not in use; waits while only such
    // accounts are left. nullptr when none is left or the check was abandoned.
    Slot* TakeNext();
    static std::string MailboxOf(const CAccount& account);
    bool IsMailboxInUseLocked(const Slot& slot) const;
    void Finish(Slot& slot);
    // Moves the front past every finished account, writing the held texts of each new one.
    void AdvanceLocked();
    bool IsFrontLocked(const Slot& slot) const;

    IHost* m_pHost = nullptr;
    size_t m_nParallel = 1;
    const FrontFn* m_pFront = nullptr;

    std::mutex m_lock; // guards the slots, m_nFront and m_bAbandoned's changes
    std::condition_variable m_slotFinished;
    std::vector<std::unique_ptr<Slot>> m_slots;
    size_t m_nFront = 0; // the first unfinished account
    std::atomic<bool> m_bAbandoned{false};

    std::mutex m_askLock; // one question at a time
};

} // namespace tolvane
