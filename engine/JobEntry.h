// One entry per account of a deletion or reload request.
#pragma once

#include "engine/Mail.h"

#include <cstdint>
#include <vector>

namespace tolvane {

struct CJobEntry {
    int32_t m_nAccount = 0;         // index in the document's account list
    std::vector<CMail*> m_arrMails; // borrowed, in mail-list order
};

} // namespace tolvane
