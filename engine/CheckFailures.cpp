#include "engine/CheckFailures.h"

#include "engine/Worker.h"

namespace tolvane {

std::vector<std::string> CCheckFailures::Update(const AccountArray& accounts,
                                                const std::vector<int32_t>& outcomes) {
    std::set<std::string> failed;
    std::vector<std::string> newlyFailed;
    for (size_t i = 0; i < accounts.size(); ++i) {
        const std::string& name = accounts[i]->m_strName;
        const int32_t outcome = i < outcomes.size() ? outcomes[i] : OUTCOME_NONE;
        const bool bWasFailed = HasFailed(name);
        if (outcome == OUTCOME_FAILED || (bWasFailed && outcome != OUTCOME_OK)) {
            failed.insert(name);
        }
        if (outcome == OUTCOME_FAILED && !bWasFailed) {
            newlyFailed.push_back(name);
        }
    }
    m_failed = std::move(failed);
    return newlyFailed;
}

} // namespace tolvane
