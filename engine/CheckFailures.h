// CCheckFailures: which accounts the latest checks could not check (connection, login or
// job failure), so that a failed check never looks like a success where the user looks:
// the status line, the tray tip and icon, the report window and the notification.
//
// - Update takes the worker's outcomes after a check (one per account index, as
//   CWorker::GetOutcomes gives them): OUTCOME_FAILED marks the account, OUTCOME_OK clears
//   it, any other outcome (not asked for, cancelled) leaves it as it was. Accounts no longer
//   in the list are forgotten. It returns the names (CP932) that have newly failed, in
//   account order: an account that keeps failing is in it once, until a check succeeds.
// - Names are CP932, as the accounts hold them.
#pragma once

#include "engine/Account.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tolvane {

class CCheckFailures {
public:
    using AccountArray = std::vector<std::unique_ptr<CAccount>>;

    std::vector<std::string> Update(const AccountArray& accounts,
                                    const std::vector<int32_t>& outcomes);
    bool HasFailed(const std::string& nameCp932) const { return m_failed.count(nameCp932) != 0; }
    int Count() const { return static_cast<int>(m_failed.size()); }

private:
    std::set<std::string> m_failed;
};

} // namespace tolvane
